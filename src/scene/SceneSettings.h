#pragma once
// Scene-wide switches and names that belong to the document (a scene file
// keeps them): the grid and light symbols, the link between the fog and
// background colours, and the background picture.

#include <string>

namespace corvid {

// The background image name that stands for "no image".
constexpr const char* kNoBackgroundName = "NOBKG";

struct SceneSettings {
    bool renderGrid = true;      // "Render Grid"
    bool renderLights = true;    // "Render Lights": the light symbols are drawn
    bool fogChangeBoth = false;  // "Change Both": fog and background colours move together
    bool backgroundImageOn = false;  // "Background texture"
    std::string backgroundImageName;  // file name without folder
    std::string backgroundImagePath;  // where it was loaded from
    bool operator==(const SceneSettings&) const = default;
};

// How a picture becomes a texture: rounded to the size table, or one fixed size.
struct TextureSizing {
    bool automatic = true;
    int width = 256;
    int height = 256;
};

} // namespace corvid
