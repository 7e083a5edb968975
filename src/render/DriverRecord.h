#pragma once
// One renderer the machine offers (the display's OpenGL, the headless one),
// as found at start-up, and the rules that pick a driver and a Z-buffer depth.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace corvid {

constexpr std::size_t kDriverNameMax = 29;         // characters of DriverRecord::name
constexpr std::size_t kDriverDescriptionMax = 49;  // characters of DriverRecord::description

struct DriverRecord {
    // A Z-buffer format the driver accepts at one depth. format is the
    // renderer's own code for it; only the device factory reads it.
    struct ZFormat {
        bool present = false;
        unsigned format = 0;
    };

    std::string name;         // at most kDriverNameMax bytes
    std::string description;  // at most kDriverDescriptionMax bytes
    std::string key;          // what the device factory uses to find the renderer again
    bool hardware = false;
    bool perspectiveCorrect = false;
    bool zBuffer = false;                // the renderer has any depth buffer at all
    bool rendersAtDesktopDepth = false;  // it can render at the desktop's colour depth
    std::array<ZFormat, 4> zFormats{};   // depths 8, 16, 24, 32

    // Sets name and description, cut to their field sizes on a character
    // boundary.
    void SetNames(const std::string& newName, const std::string& newDescription);
    bool HasZDepth(int bits) const;
    // Records a Z format; a later format of the same depth replaces an earlier
    // one, depths other than 8, 16, 24 and 32 are ignored.
    void AddZFormat(int bits, unsigned format);
};

// The driver the views start with: 0 with one driver, 1 with two, 2 with
// three or more; -1 with none.
int DefaultDriverIndex(int driverCount);

// The Z depth to use after a change to driver, starting from current:
//   8 -> 8, 16, 24, 32     16 -> 16, 24, 32, 8
//  24 -> 24, 16, 32, 8     32 -> 32, 16, 24
// the first the driver has. Nothing when none fits.
std::optional<int> ChooseZDepth(int current, const DriverRecord& driver);

// text cut to at most maxBytes bytes without splitting a UTF-8 character.
std::string TruncateUtf8(const std::string& text, std::size_t maxBytes);

} // namespace corvid
