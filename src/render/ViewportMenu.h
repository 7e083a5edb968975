#pragma once
// The popup menu of a viewport window, in its initial state.

#include "render/MenuModel.h"

#include <vector>

namespace corvid {

struct DriverRecord;

constexpr const char* kDriverPopupText = "Driver";
constexpr const char* kResolutionPopupText = "Resolution";

// The menu of viewport 1..4: its view items (the initial view checked), the
// render states, Z depth, detail, an empty driver submenu, the full-screen
// settings with all thirteen resolutions greyed, image and AVI output.
MenuModel BuildViewportMenu(int viewport);

// Fills the driver submenu with one item per driver (command 1111 + index,
// the driver's name), checking checkedIndex.
void SetDriverItems(MenuModel& menu, const std::vector<DriverRecord>& drivers, int checkedIndex);

} // namespace corvid
