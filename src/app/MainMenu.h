#pragma once
// The main menu's items that the core looks after.

#include "render/MenuModel.h"

namespace corvid {

// "File" (New Scene, Load, Save Scene as, Import Geometry and Export Geometry
// with the formats there are readers and writers for, Exit), "Options" ("Viewport 1 Menu ..." .. "Viewport 4 Menu ..."),
// "Show" ("Camera Light", checked) and "Help". Later commands add their own
// items.
MenuModel BuildMainMenu();

} // namespace corvid
