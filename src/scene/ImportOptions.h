#pragma once
// The option values of the import/export dialog. The scene reader and writer
// take the same set.

#include <string>

namespace corvid {

struct ImportOptions {
    int winding = 0;               // 0 keeps each face's vertex order, 1 reverses it
    float scale = 1.0f;            // applied to every imported coordinate, 0..10000
    bool scaleToViewport = false;
    bool addAnimation = true;
    bool addMaterials = true;
    bool addTextures = true;
    bool addLights = true;
    bool addCameras = true;
    bool addFog = true;
    bool addBackground = true;
    bool lastPickedOnly = false;   // exporters only
};

// What the dialog is opened for.
struct ImportDialogRequest {
    bool exporting = false;
    std::string fileType;   // the filter pattern of the format, e.g. "*.cvd"
    std::string fileName;
};

struct ImportDialogResult {
    ImportOptions options;
    bool replaceScene = true;  // "Replace scene" (true) or "Merge to scene" (false)
};

} // namespace corvid
