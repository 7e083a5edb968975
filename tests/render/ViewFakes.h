#pragma once
// Fakes for the view code (a device and a window that log what they are
// asked to do, a factory that can be told which drivers fail) and an editor
// wired to them with three drivers: driver 2 the default, driver 1 the
// fall-back.

#include "support/ScriptedUi.h"
#include "platform/Device.h"
#include "render/DeviceFactory.h"
#include "render/ViewWindow.h"
#include "render/CommandIds.h"
#include "render/ViewSet.h"
#include "scene/SceneModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

namespace corvid::testing {

using CallLog = std::vector<std::string>;

struct FakeDevice : Device {
    FakeDevice(Size s, std::string n, CallLog& l) : size(s), name(std::move(n)), log(l) {}
    ~FakeDevice() override { log.push_back("release " + name); }
    int GetWidth() const override { return size.width; }
    int GetHeight() const override { return size.height; }
    void SetQuality(unsigned q) override { quality = q; }
    void SetShades(int s) override { shades = s; }
    void SetDither(bool on) override { dither = on; }
    void SetRenderMode(unsigned) override {}
    void SetTextureQuality(TextureQuality q) override { texture = static_cast<int>(q); }
    void Clear(const Frame&) override { log.push_back("clear " + name); }
    void Render(const Frame&, const Frame& c, const ViewParameters& v) override
    {
        log.push_back("render " + name);
        camera = &c;
        view = v;
    }
    void Update() override { log.push_back("update " + name); }
    Image ReadPixels() override { return {}; }

    Size size;
    std::string name;
    CallLog& log;
    unsigned quality = 0;
    int shades = 0, texture = -1;
    bool dither = false;
    const Frame* camera = nullptr;
    ViewParameters view;
};

struct FakeWindow : ViewWindow {
    FakeWindow(std::string n, CallLog& l, Size s = {400, 300}) : name(std::move(n)), size(s), log(l) {}
    Size ClientSize() const override { return size; }
    void MakeCurrent() override {}
    void Present(Device&, const Rect& target) override
    {
        log.push_back("present " + name);
        presented.push_back(target);
    }
    void SetGeometry(const Rect& rect) override { geometry = rect; }
    void SetVisible(bool v) override { visible = v; }

    std::string name;
    Size size;
    CallLog& log;
    Rect geometry;
    bool visible = false;
    std::vector<Rect> presented;
};

struct FakeFactory : DeviceFactory {
    explicit FakeFactory(CallLog& l) : log(l) {}
    std::unique_ptr<Device> CreateDevice(const DeviceRequest& r) override
    {
        requests.push_back(r);
        if (onCreate)
            onCreate();
        if (failing.count(r.driverIndex))
            return nullptr;
        return std::make_unique<FakeDevice>(Size{r.width, r.height}, static_cast<FakeWindow*>(r.window)->name, log);
    }
    CallLog& log;
    std::vector<DeviceRequest> requests;
    std::set<int> failing;
    std::function<void()> onCreate;
};

inline DriverRecord MakeDriver(const std::string& name, std::initializer_list<int> zDepths)
{
    DriverRecord d;
    d.SetNames(name, name);
    for (int bits : zDepths)
        d.AddZFormat(bits, 0);
    return d;
}

// The main menu's items that the views enable, grey and check.
inline MenuModel MainMenuItems()
{
    MenuModel menu;
    for (int n = 1; n <= 4; ++n)
        menu.items.push_back(MenuItem::Command(kViewportMenuCommands[static_cast<size_t>(n - 1)],
                                               "Viewport " + std::to_string(n) + " Menu ..."));
    menu.items.push_back(MenuItem::Command(kCmdCameraLight, "Camera Light", true));
    return menu;
}

class ViewTest : public ::testing::Test {
protected:
    ViewTest()
    {
        views.deviceFactory = &factory;
        views.SetDriverTable({MakeDriver("Display", {16, 24, 32}), MakeDriver("Fallback", {16, 24}),
                               MakeDriver("Fast", {24, 32})});
        views.UseDefaultDriver();
        for (int n = 1; n <= 4; ++n)
            views.Viewport(n).window = &windows[n - 1];
    }
    ViewRecord& View(int n) { return views.Viewport(n); }
    FakeDevice* DeviceOf(int n) { return static_cast<FakeDevice*>(View(n).device.get()); }
    int Count(const std::string& entry) const { return static_cast<int>(std::count(log.begin(), log.end(), entry)); }

    CallLog log;
    FakeFactory factory{log};
    FakeWindow windows[4]{{"v1", log}, {"v2", log}, {"v3", log}, {"v4", log}};
    ScriptedUi ui;
    SceneModel scene{ui};
    // The main menu's items the views enable, grey and check.
    MenuModel menu = MainMenuItems();
    ViewSet views{scene, menu};
};

} // namespace corvid::testing
