#include "app/MainMenu.h"

#include "render/CommandIds.h"

namespace corvid {

MenuModel BuildMainMenu()
{
    using I = MenuItem;
    MenuModel menu;
    menu.items = {
        I::Popup("File", {I::Command(kCmdNewScene, "New Scene ...").WithShortcuts({"Ctrl+N"}), I::Separator(),
                          I::Command(kCmdLoad, "Load ...").WithShortcuts({"Ctrl+O"}),
                          I::Command(kCmdSaveSceneAs, "Save Scene as ...").WithShortcuts({"Ctrl+S"}),
                          I::Separator(), I::Command(kCmdExit, "Exit").WithShortcuts({"Ctrl+Q"})}),
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
