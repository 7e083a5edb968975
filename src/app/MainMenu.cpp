#include "app/MainMenu.h"

#include "app/FileTypes.h"
#include "render/CommandIds.h"

namespace corvid {

namespace {

// "Import Geometry" and "Export Geometry", with the formats that can be read
// and written; nothing when there are none.
std::vector<MenuItem> GeometryMenus()
{
    std::vector<MenuItem> imports{MenuItem::Command(kCmdAutoDetect, "Auto-Detect 3D Format ..."),
                                  MenuItem::Separator()};
    std::vector<MenuItem> exports;
    for (const FileType& type : FileTypes()) {
        if (type.importCommand && type.read)
            imports.push_back(MenuItem::Command(type.importCommand, type.importItem));
        if (type.exportCommand && type.write)
            exports.push_back(MenuItem::Command(type.exportCommand, type.exportItem));
    }
    std::vector<MenuItem> menus;
    if (imports.size() > 2)
        menus.push_back(MenuItem::Popup("Import Geometry", std::move(imports)));
    if (!exports.empty())
        menus.push_back(MenuItem::Popup("Export Geometry", std::move(exports)));
    if (!menus.empty())
        menus.push_back(MenuItem::Separator());
    return menus;
}

} // namespace

MenuModel BuildMainMenu()
{
    using I = MenuItem;
    std::vector<MenuItem> file{I::Command(kCmdNewScene, "New Scene ...").WithShortcuts({"Ctrl+N"}), I::Separator(),
                               I::Command(kCmdLoad, "Load ...").WithShortcuts({"Ctrl+O"}),
                               I::Command(kCmdSaveSceneAs, "Save Scene as ...").WithShortcuts({"Ctrl+S"}),
                               I::Separator()};
    for (MenuItem& item : GeometryMenus())
        file.push_back(std::move(item));
    file.push_back(I::Command(kCmdExit, "Exit").WithShortcuts({"Ctrl+Q"}));
    MenuModel menu;
    menu.items = {
        I::Popup("File", std::move(file)),
        I::Popup("Edit", {I::Command(kCmdUndo, "Undo", false, false).WithShortcuts({"Ctrl+Z"}),
                          I::Command(kCmdRedo, "Redo", false, false).WithShortcuts({"Ctrl+Y", "Ctrl+Shift+Z"})}),
        I::Popup("Options", {I::Command(kViewportMenuCommands[0], "Viewport 1 Menu ..."),
                             I::Command(kViewportMenuCommands[1], "Viewport 2 Menu ..."),
                             I::Command(kViewportMenuCommands[2], "Viewport 3 Menu ..."),
                             I::Command(kViewportMenuCommands[3], "Viewport 4 Menu ...")}),
        I::Popup("Show", {I::Command(kCmdCameraLight, "Camera Light", true)}),
        I::Popup("Help", {I::Command(kCmdHelp, "Help ..."), I::Separator(),
                          I::Command(kCmdAboutCorvid, "About Corvid..."),
                          I::Command(kCmdAboutMaker, "About Lumenworks ..."), I::Separator(),
                          I::Command(kCmdWebLink, "Corvid on the Web ...")}),
    };
    return menu;
}

} // namespace corvid
