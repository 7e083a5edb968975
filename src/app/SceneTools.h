#pragma once
// The scene tools window's model: fog on or off, the fog start, end and
// density fields, the fog and background colour sliders with the link
// between them, the background picture and its box, and the grid and
// light-symbol switches. The atmosphere itself is materials/WorldSettings;
// this adds the fields' texts and the background picture button.

#include "materials/WorldSettings.h"

#include <array>
#include <string>

namespace corvid {

class Editor;

// The background picture dialog's filter ("All Formats" lists both
// spellings of TIFF files).
constexpr const char* kBackgroundPictureFilter =
    "All Formats (*.bmp;*.jpg;*.gif;*.tif;*.tiff;*.tga)|*.bmp;*.jpg;*.gif;*.tif;*.tiff;*.tga|BITMAP (*.bmp)|*.bmp|"
    "JPEG (*.jpg)|*.jpg|GIF (*.gif)|*.gif|TIFF (*.tif)|*.tif|TGA (*.tga)|*.tga|All Files (*.*)|*.*||";

class SceneTools {
public:
    explicit SceneTools(Editor& editor);

    WorldSettings& World() { return world_; }
    const WorldSettings& World() const { return world_; }

    // The fields as the window shows them.
    const std::string& FogStart() const { return start_; }
    const std::string& FogEnd() const { return end_; }
    const std::string& FogDensity() const { return density_; }

    // Shows the scene as it is now (New Scene, a load, undo and redo).
    void Refresh();

    // A fog field typed: read as a number (text that is not one reads as 0),
    // applied, and written back as taken.
    void EnterFogStart(const std::string& text);
    void EnterFogEnd(const std::string& text);
    void EnterFogDensity(const std::string& text);

    // The background picture button: asks for a picture in the maps
    // folder, which then becomes the chosen one. False when cancelled or
    // when the picture could not be loaded.
    bool ChooseBackgroundPicture();
    // Loads the picture at path as the background: rounded to a texture's
    // size, a bitmap already of its width used as it is, anything else
    // converted to "c_output.bmp" in the texture work folder. A picture that
    // cannot be read or converted shows kTextureLoadFailedFormat (materials/TextureSlots.h) and changes
    // nothing.
    bool LoadBackgroundPicture(const std::string& path);

private:
    void enterFog(const std::string& text, int which);
    void showFields();

    Editor& editor_;
    WorldSettings world_;
    std::string start_, end_, density_;
};

} // namespace corvid
