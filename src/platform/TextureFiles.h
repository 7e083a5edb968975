#pragma once
// Pictures becoming textures: the texture size a picture's side rounds to,
// the folder where pictures are converted, and loading a picture as it is or
// through a resized bitmap copy there.

#include "platform/Fwd.h"

#include <string>

namespace corvid {

// A picture's side rounded to a texture's: below 12 gives 8, then 16, 32,
// 64, 128, 256, 512, below 1500 gives 1024, anything else 2048.
int RoundTextureSize(int pixels);

// The folder where pictures are converted for loading ($XDG_CACHE_HOME/corvid,
// or ~/.cache/corvid), created when missing. Empty when it cannot be made.
std::string TextureWorkFolder();

// The name of the converted copy in the work folder.
constexpr const char* kConvertedPictureName = "c_output.bmp";

// Loads the picture at path as a texture: the file itself when keep, else a
// copy resized to width x height written to the work folder's
// "c_output.bmp" and loaded from there. Null when the picture cannot be read,
// converted or loaded; a copy left by an earlier conversion is then never
// loaded in its place.
TexturePtr LoadPictureTexture(const std::string& path, bool keep, int width, int height);

} // namespace corvid
