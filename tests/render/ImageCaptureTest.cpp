// Saving a viewport as a picture: the size and render states the capture
// uses, the BMP it writes, the smoothing, and failures that write nothing.

#include "render/ViewFakes.h"

#include "render/ImageCapture.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace corvid::testing {
namespace {

struct DeviceStates {
    unsigned quality = 0;
    ViewParameters view;
};

// A device that draws a known pattern of its own size (or nothing at all),
// and leaves the states it rendered with behind.
struct PatternDevice : FakeDevice {
    PatternDevice(Size s, CallLog& l, DeviceStates& kept) : FakeDevice(s, "capture", l), states(kept) {}
    void Render(const Frame& root, const Frame& eye, const ViewParameters& v) override
    {
        FakeDevice::Render(root, eye, v);
        states = {quality, view};
    }
    Image ReadPixels() override
    {
        if (blank)
            return {};
        Image image;
        image.width = size.width;
        image.height = size.height;
        for (int y = 0; y < size.height; ++y)
            for (int x = 0; x < size.width; ++x)
                image.rgba.insert(image.rgba.end(), {static_cast<uint8_t>(x), static_cast<uint8_t>(y),
                                                     static_cast<uint8_t>(x + 2 * y), 255});
        return image;
    }
    bool blank = false;
    DeviceStates& states;
};

struct PatternFactory : DeviceFactory {
    std::unique_ptr<Device> CreateDevice(const DeviceRequest& r) override
    {
        requests.push_back(r);
        if (failing.count(r.driverIndex))
            return nullptr;
        auto device = std::make_unique<PatternDevice>(Size{r.width, r.height}, log, last);
        device->blank = blank;
        return device;
    }
    CallLog log;
    std::vector<DeviceRequest> requests;
    std::set<int> failing;
    bool blank = false;
    DeviceStates last;  // of the last render
};

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t Little(const std::string& bytes, size_t at, size_t count)
{
    uint32_t v = 0;
    for (size_t i = 0; i < count; ++i)
        v |= uint32_t{static_cast<uint8_t>(bytes[at + i])} << (8 * i);
    return v;
}

class ImageCaptureTest : public ViewTest {
protected:
    ImageCaptureTest()
    {
        views.deviceFactory = &pictures;
        char pattern[] = "/tmp/corvid-capture-XXXXXX";
        folder = ::mkdtemp(pattern);
        path = folder + "/view.bmp";
    }
    ~ImageCaptureTest() override
    {
        // The kept device logs into this fixture's factory.
        views.ReleaseCaptureDevice();
        std::remove(path.c_str());
        std::remove((folder + "/view.png").c_str());
        ::rmdir(folder.c_str());
    }

    int Logged(const std::string& entry) const
    {
        return static_cast<int>(std::count(pictures.log.begin(), pictures.log.end(), entry));
    }

    PatternFactory pictures;
    std::string folder, path;
};

TEST_F(ImageCaptureTest, TheCurrentSizeOfA321By200ViewGivesA321By200BottomUpBmp)
{
    windows[0].size = {321, 200};
    ImageCaptureSettings settings;
    TakeCurrentSize(views, 1, settings);
    ASSERT_TRUE(CaptureViewImage(views, 1, settings, path));
    EXPECT_TRUE(ui.messages.empty());

    const std::string bmp = ReadBytes(path);
    const size_t row = (321 * 3 + 3) / 4 * 4;
    ASSERT_EQ(bmp.size(), 54 + row * 200);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(Little(bmp, 2, 4), bmp.size());
    EXPECT_EQ(Little(bmp, 10, 4), 54u);   // pixels right after the two headers
    EXPECT_EQ(Little(bmp, 14, 4), 40u);   // the 40-byte information header
    EXPECT_EQ(Little(bmp, 18, 4), 321u);
    EXPECT_EQ(Little(bmp, 22, 4), 200u);  // positive: bottom row first
    EXPECT_EQ(Little(bmp, 26, 2), 1u);    // planes
    EXPECT_EQ(Little(bmp, 28, 2), 24u);   // bits per pixel
    EXPECT_EQ(Little(bmp, 30, 4), 0u);    // no compression
    // The first stored row is the picture's bottom row (y = 199), in BGR.
    EXPECT_EQ(static_cast<uint8_t>(bmp[54 + 5 * 3 + 0]), static_cast<uint8_t>(5 + 2 * 199));
    EXPECT_EQ(static_cast<uint8_t>(bmp[54 + 5 * 3 + 1]), 199);
    EXPECT_EQ(static_cast<uint8_t>(bmp[54 + 5 * 3 + 2]), 5);

    // Driver 1, the viewport's states and the far back plane.
    ASSERT_EQ(pictures.requests.size(), 1u);
    EXPECT_EQ(pictures.requests[0].driverIndex, 0);
    EXPECT_EQ(pictures.last.view.back, 10000.0f);
}

TEST_F(ImageCaptureTest, ACustomSizeUsesTheViewportsStatesAndACaptureDriverFallBack)
{
    View(1).fill = kFillWireframePart;
    View(1).shade = kShadeGouraudPart;
    ImageCaptureSettings settings;
    settings.useCurrentSize = false;
    settings.customWidth = 40;
    settings.customHeight = 30;
    pictures.failing = {0};  // driver 1 refuses: the viewport's own driver
    path = folder + "/view.png";
    ASSERT_TRUE(CaptureViewImage(views, 1, settings, path));
    ASSERT_EQ(pictures.requests.size(), 2u);
    EXPECT_EQ(pictures.requests[1].driverIndex, View(1).driverIndex);
    EXPECT_EQ(pictures.requests[1].width, 40);
    EXPECT_EQ(pictures.last.quality, static_cast<unsigned>(kFillWireframePart + kShadeGouraudPart + kLightOnPart));
    EXPECT_EQ(pictures.last.view.back, 10000.0f);
    EXPECT_EQ(ReadBytes(path).substr(1, 3), "PNG");
}

TEST_F(ImageCaptureTest, ACaptureThatCannotRenderWritesNothing)
{
    std::ofstream(path, std::ios::binary) << "old picture";
    ImageCaptureSettings settings;
    TakeCurrentSize(views, 1, settings);
    pictures.failing = {0, 1, 2};
    EXPECT_FALSE(CaptureViewImage(views, 1, settings, path));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"CreateDevice from surface"});
    pictures.failing.clear();
    pictures.blank = true;
    EXPECT_FALSE(CaptureViewImage(views, 1, settings, path));
    EXPECT_EQ(ui.messages.back(), "Error");
    EXPECT_EQ(ReadBytes(path), "old picture");
}

TEST_F(ImageCaptureTest, TheDeviceIsKeptForTheNextCaptureOfTheSameViewSizeAndDriver)
{
    ImageCaptureSettings settings;
    TakeCurrentSize(views, 1, settings);
    ASSERT_TRUE(CaptureViewImage(views, 1, settings, path));
    ASSERT_TRUE(CaptureViewImage(views, 1, settings, path));
    EXPECT_EQ(pictures.requests.size(), 1u) << "the second capture made no device";
    EXPECT_EQ(Logged("release capture"), 0);
    EXPECT_EQ(Logged("render capture"), 2);
    EXPECT_EQ(pictures.log.size(), 6u);  // clear, render, update twice: nothing else

    // The view's states are set again on the kept device.
    View(1).fill = kFillWireframePart;
    ASSERT_TRUE(CaptureViewImage(views, 1, settings, path));
    EXPECT_EQ(pictures.requests.size(), 1u);
    EXPECT_EQ(pictures.last.quality, static_cast<unsigned>(kFillWireframePart + kShadePhongPart + kLightOnPart));

    // Another size, Z depth, driver or viewport: the old device goes first.
    auto releases = [&] { return Logged("release capture"); };
    settings.currentWidth = 200;
    ASSERT_TRUE(CaptureViewImage(views, 1, settings, path));
    EXPECT_EQ(pictures.requests.size(), 2u);
    EXPECT_EQ(releases(), 1);
    View(1).zDepth = 24;
    ASSERT_TRUE(CaptureViewImage(views, 1, settings, path));
    EXPECT_EQ(pictures.requests.back().zDepth, 24);
    View(1).driverIndex = View(1).driverIndex == 1 ? 2 : 1;
    ASSERT_TRUE(CaptureViewImage(views, 1, settings, path));
    windows[1].size = {200, 300};
    ASSERT_TRUE(CaptureViewImage(views, 2, settings, path));
    EXPECT_EQ(pictures.requests.back().window, &windows[1]);
    EXPECT_EQ(pictures.requests.size(), 5u);
    EXPECT_EQ(releases(), 4);
    EXPECT_EQ(views.captureDevice.key.viewport, 2);
}

TEST_F(ImageCaptureTest, TheKeptDeviceGoesWithItsViewsDeviceTheDriverTableAndTheViewSet)
{
    ImageCaptureSettings settings;
    TakeCurrentSize(views, 1, settings);
    auto releases = [&] { return Logged("release capture"); };
    ASSERT_TRUE(CaptureViewImage(views, 1, settings, path));

    // Another viewport's device going leaves it; its own view's takes it.
    views.ReleaseViewDevice(View(2));
    EXPECT_TRUE(views.captureDevice.device);
    views.ReleaseViewDevice(View(1));
    EXPECT_FALSE(views.captureDevice.device);
    EXPECT_EQ(releases(), 1);

    // A new driver table.
    ASSERT_TRUE(CaptureViewImage(views, 1, settings, path));
    views.SetDriverTable(views.drivers);
    EXPECT_EQ(releases(), 2);

    // A device that gives no picture is not kept.
    ASSERT_TRUE(CaptureViewImage(views, 1, settings, path));
    static_cast<PatternDevice&>(*views.captureDevice.device).blank = true;
    EXPECT_FALSE(CaptureViewImage(views, 1, settings, path));
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Error"});
    EXPECT_EQ(releases(), 3);
    ASSERT_TRUE(CaptureViewImage(views, 1, settings, path));
    EXPECT_EQ(pictures.requests.size(), 4u);

}

TEST(ImageCaptureDevice, TheKeptDeviceGoesWithTheViewSet)
{
    PatternFactory pictures;
    CallLog log;
    FakeWindow window{"v1", log};
    ScriptedUi ui;
    SceneModel scene{ui};
    MenuModel menu = MainMenuItems();
    char pattern[] = "/tmp/corvid-capture-XXXXXX";
    const std::string folder = ::mkdtemp(pattern);
    {
        ViewSet views{scene, menu};
        views.deviceFactory = &pictures;  // no driver table: the factory's own choice
        views.Viewport(1).window = &window;
        ImageCaptureSettings settings;
        TakeCurrentSize(views, 1, settings);
        ASSERT_TRUE(CaptureViewImage(views, 1, settings, folder + "/view.bmp"));
        EXPECT_EQ(pictures.log.back(), "update capture");
    }
    EXPECT_EQ(pictures.log.back(), "release capture");
    std::remove((folder + "/view.bmp").c_str());
    ::rmdir(folder.c_str());
}

TEST(ImageSmoothing, ACornerAveragesFourPixelsAndAOnePixelColumnItsVerticalNeighbours)
{
    Image image;
    image.width = 3;
    image.height = 3;
    for (int v : {0, 10, 20, 30, 40, 50, 60, 70, 80})
        image.rgba.insert(image.rgba.end(), {static_cast<uint8_t>(v), 0, 255, 7});
    SmoothImage(image);
    EXPECT_EQ(image.rgba[0], (0 + 10 + 30 + 40) / 4);             // corner
    EXPECT_EQ(image.rgba[4 * 4], (0 + 10 + 20 + 30 + 40 + 50 + 60 + 70 + 80) / 9);  // centre
    EXPECT_EQ(image.rgba[8 * 4], (40 + 50 + 70 + 80) / 4);        // from the untouched copy
    EXPECT_EQ(image.rgba[3], 7) << "alpha stays";

    Image column;
    column.width = 1;
    column.height = 4;
    for (int v : {0, 9, 30, 101})
        column.rgba.insert(column.rgba.end(), {static_cast<uint8_t>(v), 0, 0, 255});
    SmoothImage(column);
    EXPECT_EQ(column.rgba[0], (0 + 9) / 2);
    EXPECT_EQ(column.rgba[4], (0 + 9 + 30) / 3);
    EXPECT_EQ(column.rgba[8], (9 + 30 + 101) / 3);
    EXPECT_EQ(column.rgba[12], (30 + 101) / 2);
}

TEST(ImageCaptureNames, BmpIsAddedOnlyToANameWithoutExtension)
{
    EXPECT_EQ(ImageFileName("/a/shot"), "/a/shot.bmp");
    EXPECT_EQ(ImageFileName("/a/shot.png"), "/a/shot.png");
    EXPECT_EQ(ImageFileName("/a.d/shot"), "/a.d/shot.bmp");
    EXPECT_TRUE(IsCaptureSide(1) && IsCaptureSide(2048));
    EXPECT_FALSE(IsCaptureSide(0) || IsCaptureSide(2049));
}

} // namespace
} // namespace corvid::testing
