#include "render/ViewportMenu.h"

#include "render/CommandIds.h"
#include "render/DriverRecord.h"
#include "render/ViewRecord.h"

namespace corvid {

MenuModel BuildViewportMenu(int viewport)
{
    using I = MenuItem;
    const int v = viewport >= 1 && viewport <= 4 ? viewport : 1;
    const auto& views = kViewCommands[static_cast<size_t>(v - 1)];
    const int initial = InitialStandardView(v);
    auto viewItem = [&](int slot, const char* text) {
        return I::Command(views[static_cast<size_t>(slot)], text, slot == initial);
    };

    std::vector<MenuItem> resolutions;
    for (const auto& r : kFullScreenResolutions)
        resolutions.push_back(I::Command(r.command, r.text, r.width == 640 && r.height == 480, false));

    MenuModel menu;
    menu.items = {
        viewItem(kViewPerspective, "Perspective"),
        viewItem(kViewObject, "Object"),
        viewItem(kViewTop, "Top"),
        viewItem(kViewFront, "Front"),
        viewItem(kViewLeft, "Left"),
        viewItem(kViewRight, "Right"),
        viewItem(kViewBottom, "Bottom"),
        viewItem(kViewBack, "Back"),
        I::Separator(),
        I::Popup("Texture Quality",
                 {I::Command(kCmdTextureNearest, "Nearest"), I::Command(kCmdTextureLinear, "Linear", true),
                  I::Command(kCmdTextureMipNearest, "Mip Nearest"), I::Command(kCmdTextureMipLinear, "Mip Linear"),
                  I::Command(kCmdTextureLinearMipNearest, "Linear Mip Nearest"),
                  I::Command(kCmdTextureLinearMipLinear, "Linear Mip Linear")}),
        I::Popup("Shading", {I::Command(kCmdShadeFlat, "Flat"), I::Command(kCmdShadeGouraud, "Gouraud", true),
                             I::Command(kCmdShadePhong, "Phong", false, false)}),
        I::Popup("Fill", {I::Command(kCmdFillSolid, "Solid", true), I::Command(kCmdFillWireframe, "Wireframe", false, false),
                          I::Command(kCmdFillPoints, "Point Cloud")}),
        I::Popup("Lighting", {I::Command(kCmdLightsOn, "Lights on", true), I::Command(kCmdLightsOff, "Lights off")}),
        I::Command(kCmdDither, "Dither", true),
        I::Command(kCmdAsync, "Async"),
        I::Command(kCmdPerspectiveCorrect, "Perspective Correct", true, false),
        I::Command(0, "Antialiasing", false, false),
        I::Popup("Antialiasing Mode", {I::Command(0, "Fullscreen"), I::Command(0, "Edge", true)}, false),
        I::Command(0, "Anisotropy Correction", false, false),
        I::Popup("Z Buffer Depth", {I::Command(kCmdZDepth8, "8"), I::Command(kCmdZDepth16, "16", true),
                                    I::Command(kCmdZDepth24, "24"), I::Command(kCmdZDepth32, "32")}),
        I::Popup("Detail", {I::Command(kCmdDetail100, "100 %", true), I::Command(kCmdDetail75, " 75%"),
                            I::Command(kCmdDetail50, " 50%"), I::Command(kCmdDetail25, " 25%")}),
        I::Popup(kDriverPopupText, {}),
        I::Separator(),
        I::Popup("Fullscreen",
                 {I::Command(v == 1 ? kCmdFullScreenViewport1 : kCmdFullScreenOther, "Fullscreen mode ..."),
                  I::Popup(kResolutionPopupText, std::move(resolutions)),
                  I::Popup("Color Depth", {I::Command(kCmdFullScreenDepth32, "32"),
                                           I::Command(kCmdFullScreenDepth16, "16", true)}),
                  I::Command(kCmdVSync, "VSync")}),
        I::Separator(),
        I::Command(kCmdSaveImage, "Save image ..."),
        I::Command(kCmdSaveAvi, "Save AVI animation ..."),
    };
    return menu;
}

void SetDriverItems(MenuModel& menu, const std::vector<DriverRecord>& drivers, int checkedIndex)
{
    MenuItem* popup = menu.FindPopup(kDriverPopupText);
    if (!popup)
        return;
    popup->items.clear();
    for (size_t i = 0; i < drivers.size() && i < static_cast<size_t>(kMaxDrivers); ++i)
        popup->items.push_back(MenuItem::Command(kCmdDriverBase + static_cast<int>(i), drivers[i].name,
                                                 static_cast<int>(i) == checkedIndex));
    menu.Touch();
}

} // namespace corvid
