#include "render/DriverRecord.h"
#include "render/ViewMath.h"

#include <gtest/gtest.h>

using namespace corvid;

namespace {
std::string Str(const std::optional<Rect>& r)
{
    return r ? std::to_string(r->x) + "," + std::to_string(r->y) + "," + std::to_string(r->width) + "," +
                   std::to_string(r->height)
             : "-";
}
} // namespace

TEST(Layouts, SixteenKindsOnAnOddArea)
{
    // 1001 x 703: W/2 500, W/3 333, 2W/3 667, H/2 351, H/3 234, 2H/3 468.
    const char* expected[16][4] = {
        {"0,0,1001,703", "-", "-", "-"},
        {"0,0,500,351", "0,351,500,351", "500,0,500,351", "500,351,500,351"},
        {"0,0,333,234", "0,234,333,234", "0,468,333,234", "333,0,667,703"},
        {"0,0,667,703", "667,0,333,234", "667,234,333,234", "667,468,333,234"},
        {"0,0,1001,468", "0,468,333,234", "333,468,333,234", "667,468,333,234"},
        {"0,0,333,234", "333,0,333,234", "667,0,333,234", "0,234,1001,468"},
        {"0,0,333,351", "0,351,333,351", "333,0,667,703", "-"},
        {"0,0,667,703", "667,0,333,351", "667,351,333,351", "-"},
        {"0,0,1001,234", "0,234,1001,468", "-", "-"},
        {"0,0,1001,468", "0,468,1001,234", "-", "-"},
        {"0,0,333,703", "333,0,667,703", "-", "-"},
        {"0,0,667,703", "667,0,333,703", "-", "-"},
        {"0,0,500,351", "500,0,500,351", "0,351,1001,351", "-"},
        {"0,0,1001,351", "0,351,500,351", "500,351,500,351", "-"},
        {"0,0,1001,351", "0,351,1001,351", "-", "-"},
        {"0,0,500,703", "500,0,500,703", "-", "-"},
    };
    for (int kind = 1; kind <= 16; ++kind) {
        auto rects = LayoutViewports(kind, 1001, 703);
        auto used = UsedViewports(kind);
        for (int v = 0; v < 4; ++v) {
            EXPECT_EQ(Str(rects[v]), expected[kind - 1][v]) << "kind " << kind << " VIEWPORT_" << v + 1;
            EXPECT_EQ(used[v], rects[v].has_value()) << "kind " << kind;
        }
    }
    EXPECT_EQ(Str(LayoutViewports(17, 800, 600)[0]), "-");
}

TEST(RenderOutputBox, FourThreeIsThreeHundredHighWiderIsFourHundredWide)
{
    struct Case {
        const char* name;
        int width, height;
        const char* box;  // centred in an 800 x 600 window
    } cases[] = {
        {"4:3", 320, 240, "200,150,400,300"},
        {"wider than 4:3", 640, 240, "200,225,400,150"},
        {"a hair wider still counts as 4:3", 321, 240, "199,150,401,300"},
        {"truncated", 700, 300, "200,214,400,171"},
        {"no picture", 0, 240, "0,0,0,0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Str(RenderOutputBox({800, 600}, c.width, c.height)), c.box) << c.name;
}

TEST(Drivers, ZDepthFallBackOrder)
{
    struct Case {
        int current;
        std::initializer_list<int> available;
        int expected;  // 0: none fits
    } cases[] = {
        {8, {8, 16}, 8},    {8, {16, 24, 32}, 16}, {8, {32}, 32},        {16, {8, 16, 24}, 16}, {16, {8, 24, 32}, 24},
        {16, {8, 32}, 32},  {16, {8}, 8},          {24, {8, 16, 32}, 16}, {24, {8, 32}, 32},    {24, {8}, 8},
        {32, {16, 32}, 32}, {32, {8, 16, 24}, 16}, {32, {8, 24}, 24},    {32, {8}, 0},          {16, {}, 0},
    };
    for (const auto& c : cases) {
        DriverRecord d;
        for (int bits : c.available)
            d.AddZFormat(bits, 0);
        EXPECT_EQ(ChooseZDepth(c.current, d).value_or(0), c.expected)
            << "from " << c.current << " with " << c.available.size() << " formats";
    }
}

TEST(Drivers, NamesAreCutOnACharacterBoundary)
{
    DriverRecord d;
    d.SetNames(std::string(28, 'a') + "\xC3\xA9" + "b", std::string(60, 'd'));
    EXPECT_EQ(d.name, std::string(28, 'a'));  // the 2-byte character would straddle byte 29
    EXPECT_EQ(d.description.size(), 49u);
}
