// The GUI's parts that need no OpenGL: filter conversion, the options and
// layout dialogs, the Ui's boxes, progress window, cursor and user menus,
// menus drawn from a model, the desktop depth, the built shapes, the
// command line, help, the About boxes and the icon.

#include "support/ScriptedUi.h"
#include "app/DemoScene.h"
#include "app/DisplayChange.h"
#include "app/Startup.h"
#include "gui/AboutBox.h"
#include "gui/AppIcon.h"
#include "gui/CommandLine.h"
#include "gui/DesktopDepth.h"
#include "gui/QtStartupPlatform.h"
#include "gui/ToolButtons.h"
#include "gui/ToolCursors.h"
#include "tools/ToolMode.h"
#include "gui/FileFilter.h"
#include "gui/GlDeviceFactory.h"
#include "render/DriverRecord.h"
#include "render/ViewWindow.h"
#include "gui/HelpFile.h"
#include "gui/ImportOptionsDialog.h"
#include "gui/MenuBuilder.h"
#include "scene/SimpleShapes.h"
#include "gui/ProgressWindow.h"
#include "gui/QtUi.h"
#include "gui/SplashWindow.h"
#include "gui/ViewportSetupDialog.h"
#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "app/Editor.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QDoubleSpinBox>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <cstdlib>
#include <functional>

using namespace corvid;

namespace {

// Runs act on the first modal box that shows up while call runs.
template <typename Call>
auto WithModalBox(const std::function<void(QMessageBox&)>& act, Call call)
{
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            poll.stop();
            act(*box);
        }
    });
    poll.start();
    return call();
}

} // namespace

class GuiPartsTest : public QObject {
    Q_OBJECT

private slots:
    void helpFileIsInstalledOnceAndNeverOverwritten()
    {
        QTemporaryDir base;
        QVERIFY(base.isValid());
        const QString help = base.filePath("Corvid/Help");  // made on the way
        const QString path = InstallHelpFile(help, "Corvid.html");
        QCOMPARE(path, help + "/Corvid.html");
        QFile guide(path);
        QVERIFY(guide.open(QIODevice::ReadOnly));
        const QByteArray text = guide.readAll();
        guide.close();
        QVERIFY(text.contains("<title>Corvid 1.0"));
        QVERIFY(text.trimmed().endsWith("</html>"));  // whole, not cut short

        // A guide put there by someone else stays.
        QVERIFY(guide.open(QIODevice::WriteOnly | QIODevice::Truncate));
        guide.write("local guide");
        guide.close();
        QCOMPARE(InstallHelpFile(help, "Corvid.html"), path);
        QVERIFY(guide.open(QIODevice::ReadOnly));
        QCOMPARE(guide.readAll(), QByteArray("local guide"));
        guide.close();

        // Where no folder can be made, there is no guide to open.
        QFile blocker(base.filePath("plain"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QVERIFY(InstallHelpFile(base.filePath("plain/Help"), "Corvid.html").isEmpty());
        QVERIFY(InstallHelpFile(QString(), "Corvid.html").isEmpty());
    }

    void filtersKeepTheirRealPatterns()
    {
        QCOMPARE(ToQtFileFilter("Corvid (*.cvd)|*.cvd||"), std::string("Corvid (*.cvd)"));
        // The pattern after the bar selects the files, not the text in the
        // description: "*slp" has no dot.
        QCOMPARE(ToQtFileFilter("ProEngineer (*.slp)|*slp||"), std::string("ProEngineer (*slp)"));
        QCOMPARE(ToQtFileFilter("DirectX   (*.x)  |*.x||"), std::string("DirectX (*.x)"));
        QCOMPARE(ToQtFileFilter("VRML      (*.wrl)|*.wrl||"), std::string("VRML (*.wrl)"));
        QCOMPARE(ToQtFileFilter(""), std::string());

        const std::string known =
            "Known Formats (*.x;*.3ds;*.prj;*.cob;*.obj:*.slp:*.wrl:*.dxf)|*.x;*.3ds;*.prj;*.cob;*.obj:*.slp:*.wrl:*.dxf|"
            "DirectX (*.x)|*.x|3DS4 Object (*.3ds)|*.3ds|3DS4 Project (*.prj)|*.prj|TrueSpace (*.cob)|*.cob|"
            "WaveFront (*.slp)|*.slp|VRML 2 (*.wrl)|*.wrl|AutoCAD 12/13 (*.dxf)|*.dxf|All Files (*.*)|*.*||";
        const auto entries = ParseFileFilter(known);
        QCOMPARE(entries.size(), size_t(9));
        // The colons separate patterns too: "Known Formats" shows .obj, .slp,
        // .wrl and .dxf files.
        QCOMPARE(entries[0].patterns, (std::vector<std::string>{"*.x", "*.3ds", "*.prj", "*.cob", "*.obj", "*.slp",
                                                                "*.wrl", "*.dxf"}));
        QCOMPARE(entries[8].description, std::string("All Files (*.*)"));
        const std::string qt = ToQtFileFilter(known);
        QVERIFY(qt.starts_with("Known Formats (*.x *.3ds *.prj *.cob *.obj *.slp *.wrl *.dxf);;DirectX (*.x);;"));
        QVERIFY(qt.ends_with(";;All Files (*.*)"));
    }

    void importDialogStartsAsTheFileTypeSays()
    {
        ImportOptionsDialog cob({false, "*.cob", "/tmp/ship.cob"});
        QVERIFY(cob.clockwiseButton()->isChecked());
        QVERIFY(cob.replaceButton()->isChecked());
        QVERIFY(cob.texturesBox()->isEnabled() && cob.texturesBox()->isChecked());
        QVERIFY(!cob.lightsBox()->isEnabled() && !cob.lightsBox()->isChecked());
        QVERIFY(!cob.animationBox()->isEnabled());
        QVERIFY(!cob.lastPickedBox()->isEnabled());
        QVERIFY(cob.scaleToViewportBox()->isChecked());
        QVERIFY(!cob.scaleEdit()->isEnabled());
        QCOMPARE(cob.Result().options.winding, 0);

        ImportOptionsDialog scene({false, "*.cvd", "/tmp/a.cvd"});
        QVERIFY(!scene.clockwiseButton()->isEnabled() && !scene.counterClockwiseButton()->isEnabled());
        QVERIFY(!scene.scaleToViewportBox()->isEnabled() && !scene.scaleToViewportBox()->isChecked());
        for (QCheckBox* box : {scene.animationBox(), scene.materialsBox(), scene.texturesBox(), scene.lightsBox(),
                               scene.camerasBox(), scene.fogBox(), scene.backgroundBox()})
            QVERIFY2(box->isEnabled() && box->isChecked(), qPrintable(box->text()));
        const ImportDialogResult result = scene.Result();
        QCOMPARE(result.options.winding, 1);
        QVERIFY(result.options.addFog && result.options.addCameras && !result.options.lastPickedOnly);
        QVERIFY(result.replaceScene);

        ImportOptionsDialog dxf({false, "*.dxf", "/tmp/plan.dxf"});
        QVERIFY(!dxf.materialsBox()->isEnabled() && !dxf.materialsBox()->isChecked());
        QVERIFY(!dxf.texturesBox()->isEnabled() && !dxf.texturesBox()->isChecked());
        QVERIFY(dxf.counterClockwiseButton()->isChecked());
    }

    void importDialogControlsFollowEachOther()
    {
        ImportOptionsDialog dialog({false, "*.3ds", "/tmp/car.3ds"});
        dialog.materialsBox()->click();
        QVERIFY(!dialog.texturesBox()->isChecked() && !dialog.texturesBox()->isEnabled());
        dialog.materialsBox()->click();
        QVERIFY(dialog.texturesBox()->isEnabled());

        dialog.scaleToViewportBox()->click();
        QVERIFY(dialog.scaleEdit()->isEnabled());
        dialog.scaleEdit()->setValue(2.5);
        dialog.mergeButton()->click();
        const ImportDialogResult result = dialog.Result();
        QCOMPARE(result.options.scale, 2.5f);
        QVERIFY(!result.options.scaleToViewport);
        QVERIFY(!result.options.addTextures);
        QVERIFY(!result.replaceScene);
        dialog.scaleToViewportBox()->click();
        QVERIFY(!dialog.scaleEdit()->isEnabled());
    }

    void exportDialogOffersTheLastPickedObject()
    {
        ImportOptionsDialog vrml({true, "*.wrl", "/tmp/out.wrl"});
        for (QRadioButton* b : {vrml.replaceButton(), vrml.mergeButton(), vrml.clockwiseButton(),
                                vrml.counterClockwiseButton()})
            QVERIFY(!b->isEnabled());
        QVERIFY(vrml.lastPickedBox()->isEnabled() && !vrml.lastPickedBox()->isChecked());
        QVERIFY(vrml.materialsBox()->isEnabled() && vrml.materialsBox()->isChecked());
        QVERIFY(!vrml.texturesBox()->isEnabled() && vrml.texturesBox()->isChecked());
        vrml.lastPickedBox()->click();
        QVERIFY(vrml.Result().options.lastPickedOnly);
    }

    void layoutDialogHasOneButtonPerLayout()
    {
        ViewportSetupDialog dialog(5);
        QSignalSpy chosen(&dialog, &ViewportSetupDialog::LayoutChosen);
        for (int kind = 1; kind <= 16; ++kind)
            QVERIFY(dialog.Button(kind));
        QVERIFY(!dialog.Button(17));
        QVERIFY(dialog.Button(5)->isChecked());
        QVERIFY(!dialog.Button(1)->isChecked());
        dialog.show();
        QTest::mouseClick(dialog.Button(7), Qt::LeftButton);
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.at(0).at(0).toInt(), 7);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
    }

    void layoutIconsDrawTheViewports()
    {
        // Four quarters of different colours for kind 2, one colour for kind 1.
        const QImage four = ViewportSetupDialog::LayoutIcon(2, 64, 48).pixmap(64, 48).toImage();
        const QImage one = ViewportSetupDialog::LayoutIcon(1, 64, 48).pixmap(64, 48).toImage();
        const QPoint quarters[] = {{12, 8}, {12, 40}, {52, 8}, {52, 40}};
        QSet<QRgb> fourColours, oneColours;
        for (QPoint p : quarters) {
            fourColours.insert(four.pixel(p));
            oneColours.insert(one.pixel(p));
        }
        QCOMPARE(fourColours.size(), 4);
        QCOMPARE(oneColours.size(), 1);
    }

    void messagesUseTheMessageBoxWithTheExactText()
    {
        QtUi ui;
        QString title, text;
        WithModalBox(
            [&](QMessageBox& box) {
                title = box.windowTitle();
                text = box.text();
                box.button(QMessageBox::Ok)->click();
            },
            [&] {
                ui.ShowMessage("Enum Devices Error");
                return 0;
            });
        QCOMPARE(title, QString("Message"));
        QCOMPARE(text, QString("Enum Devices Error"));
    }

    void questionsOfferTheirButtonsAndMapTheAnswer()
    {
        QtUi ui;
        QMessageBox::StandardButtons offered;
        Answer answer = WithModalBox(
            [&](QMessageBox& box) {
                offered = box.standardButtons();
                box.button(QMessageBox::Retry)->click();
            },
            [&] { return ui.Ask("Must run at 16 or 32 bit color depth", Buttons::RetryCancel); });
        QCOMPARE(offered, QMessageBox::Retry | QMessageBox::Cancel);
        QCOMPARE(answer, Answer::Retry);

        answer = WithModalBox(
            [&](QMessageBox& box) {
                offered = box.standardButtons();
                QTest::keyClick(&box, Qt::Key_Escape);
            },
            [&] { return ui.Ask("Would you like to save your scene?", Buttons::YesNoCancel); });
        QCOMPARE(offered, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(answer, Answer::Cancel);

        answer = WithModalBox([&](QMessageBox& box) { box.button(QMessageBox::No)->click(); },
                              [&] { return ui.Ask("?", Buttons::YesNoCancel); });
        QCOMPARE(answer, Answer::No);
    }

    void progressWindowShowsStatusAndBar()
    {
        QWidget parent;
        QtUi ui;
        ui.SetDialogParent(&parent);
        ui.SetProgressStatus("ignored: no window yet");
        ui.ShowProgress();
        ProgressWindow* progress = ui.Progress();
        QVERIFY(progress && progress->isVisible());
        QCOMPARE(progress->Percent(), 0);
        ui.SetProgressStatus("Reading faces ...");
        ui.SetProgress(40);
        QCOMPARE(progress->Status(), QString("Reading faces ..."));
        QCOMPARE(progress->Percent(), 40);
        ui.SetProgress(250);
        QCOMPARE(progress->Percent(), 100);
        ui.HideProgress();
        QVERIFY(!progress->isVisible());
        // Shown again, it starts from nothing.
        ui.ShowProgress();
        QCOMPARE(progress->Percent(), 0);
        QCOMPARE(progress->Status(), QString());
        ui.HideProgress();
    }

    void busyCursorDoesNotStack()
    {
        {
            QtUi ui;
            ui.SetBusy(true);
            ui.SetBusy(true);
            QVERIFY(QApplication::overrideCursor());
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
            ui.SetBusy(false);
            QCOMPARE(QApplication::overrideCursor(), nullptr);
            ui.SetBusy(true);
        }
        // A Ui that goes while busy gives the cursor back.
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void userMenuEntriesKeepTheirPositions()
    {
        QtUi ui;
        ui.AddUserCameraEntry({"Camera 0", 2222, 0});
        ui.AddUserCameraEntry({"Camera 1", 2223, 1});
        ui.AddUserCameraEntry({"Camera 9", 2231, 0});  // put first
        ui.AddUserLightEntry({"Light 0", 3333, 0});
        QCOMPARE(ui.UserCameraEntries().size(), size_t(3));
        QCOMPARE(ui.UserCameraEntries()[0].command, 2231);
        QCOMPARE(ui.UserCameraEntries()[2].command, 2223);
        ui.RemoveUserCameraEntry(2222);
        QCOMPARE(ui.UserCameraEntries().size(), size_t(2));
        QCOMPARE(ui.UserLightEntries().size(), size_t(1));
        ui.ResetUserMenus();
        QVERIFY(ui.UserCameraEntries().empty() && ui.UserLightEntries().empty());
    }

    void editorCamerasReachTheUserMenus()
    {
        QtUi ui;
        Editor editor(ui);
        FramePtr first = editor.scene.CreateCamera();
        FramePtr second = editor.scene.CreateCamera();
        QCOMPARE(ui.UserCameraEntries().size(), size_t(2));
        editor.scene.DeleteObjectTree(first);
        QCOMPARE(ui.UserCameraEntries().size(), size_t(1));
        editor.scene.CreateLight(LightType::Point, {});
        QCOMPARE(ui.UserLightEntries().size(), size_t(1));
        editor.scene.NewScene();
        QVERIFY(ui.UserCameraEntries().empty() && ui.UserLightEntries().empty());
    }

    void redrawRequestsReachTheListeners()
    {
        QtUi ui;  // no editor: a redraw request draws nothing and does not fail
        QSignalSpy spy(&ui, &QtUi::Notified);
        ui.Notify(Notification::RedrawRequested);
        ui.Notify(Notification::TreeChanged);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(1).at(0).toInt(), static_cast<int>(Notification::TreeChanged));
    }

    void splashShowsTheStatusLineCentred()
    {
        QtUi ui;
        ui.SetStartupStatus("no splash yet");  // nothing to show it in
        SplashWindow splash;
        ui.SetSplash(&splash);
        splash.ShowCentred();
        QVERIFY(splash.isVisible());
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QVERIFY((splash.geometry().center() - screen.center()).manhattanLength() <= 2);
        ui.SetStartupStatus("Enumerating Devices ...");
        QCOMPARE(splash.Status(), QString("Enumerating Devices ..."));
        ui.SetSplash(nullptr);
    }

    void menusAreDrawnFromTheModel()
    {
        MenuModel model;
        model.items = {
            MenuItem::Command(10, "Ten", true),
            MenuItem::Command(11, "Eleven", false, false),
            MenuItem::Separator(),
            MenuItem::Popup("More", {MenuItem::Command(12, "Twelve"), MenuItem::Command(0, "Inert")}, false),
        };
        std::vector<int> ran;
        QMenu menu;
        AppendMenuItems(menu, model.items, [&](int command) { ran.push_back(command); });
        QCOMPARE(menu.actions().size(), 4);
        QVERIFY(menu.actions()[2]->isSeparator());
        QAction* ten = FindCommandAction(menu, 10);
        QVERIFY(ten && ten->isCheckable() && ten->isChecked());
        QVERIFY(!FindCommandAction(menu, 11)->isEnabled());
        QVERIFY(!menu.actions()[3]->menu()->isEnabled());
        QAction* twelve = FindCommandAction(menu, 12);
        QVERIFY(twelve && !twelve->isChecked());

        ten->trigger();
        twelve->trigger();
        menu.actions()[3]->menu()->actions()[1]->trigger();  // inert
        QCOMPARE(ran, (std::vector<int>{10, 12}));

        model.Check(10, false);
        model.Check(12, true);
        model.Enable(11, true);
        model.FindPopup("More")->enabled = true;
        RefreshMenuStates(menu, model);
        QVERIFY(!FindCommandAction(menu, 10)->isChecked());
        QVERIFY(FindCommandAction(menu, 12)->isChecked());
        QVERIFY(FindCommandAction(menu, 11)->isEnabled());
        QVERIFY(menu.actions()[3]->menu()->isEnabled());
    }

    void theDisplaysOwnDepthPassesTheMachineCheck()
    {
        // The test display is a 24-bit X server (xvfb-run -s "... x24"):
        // the editor must start on it and keep running when it reports the
        // same depth again.
        const int depth = CurrentDesktopColorDepth();
        QCOMPARE(ColorDepthProblem(depth), std::string());
        ScriptedUi ui;
        Editor editor(ui);
        editor.views.colorDepth = depth;
        ShellHooks hooks;
        hooks.readColorDepth = [] { return CurrentDesktopColorDepth(); };
        QCOMPARE(HandleDisplayChange(editor, CurrentDesktopColorDepth(), hooks), DisplayChangeResult::DevicesRebuilt);
        QVERIFY(ui.questions.empty());
    }

    void aDeviceThatCannotBeMadeIsReportedWithTheRenderersReason()
    {
        // A window with no OpenGL context behind it.
        struct NoContextWindow : ViewWindow {
            Size ClientSize() const override { return {64, 48}; }
            void MakeCurrent() override {}
            void Present(Device&, const Rect&) override {}
            void SetGeometry(const Rect&) override {}
            void SetVisible(bool) override {}
        } window;
        DriverRecord display;
        display.SetNames("Display (llvmpipe)", "OpenGL 4.5");
        display.key = kDisplayRendererKey;
        DeviceRequest request;
        request.driver = &display;
        request.width = 64;
        request.height = 48;
        request.window = &window;

        ScriptedUi ui;
        GlDeviceFactory factory(&ui);
        QVERIFY(!factory.CreateDevice(request));
        QCOMPARE(ui.messages, (std::vector<std::string>{
                                  "Cannot create the view's device on Display (llvmpipe)\n "
                                  "the viewport window has no OpenGL context"}));
        request.window = nullptr;
        QVERIFY(!factory.CreateDevice(request));
        QCOMPARE(ui.messages.back(), std::string("Cannot create the view's device on Display (llvmpipe)\n "
                                                 "the view has no window"));
    }

    void viewportCursorsFollowTheToolMode()
    {
        ScriptedUi ui;
        Editor editor(ui);
        QWidget viewport, other;
        ToolCursorTracker tracker(editor, nullptr, [&viewport](QObject* o) { return o == &viewport; });
        qApp->installEventFilter(&tracker);
        auto enter = [](QWidget& widget) {
            QEvent event(QEvent::Enter);
            QCoreApplication::sendEvent(&widget, &event);
            return widget.cursor();
        };
        const QCursor pick = ToolCursor(ToolCursorKind::Pick), create = ToolCursor(ToolCursorKind::Create);
        QCOMPARE(pick.shape(), Qt::BitmapCursor);
        QCOMPARE(pick.hotSpot(), QPoint(15, 15));
        QVERIFY(pick.pixmap().toImage() != create.pixmap().toImage());

        editor.tools.mode = kModeMove;
        QCOMPARE(enter(viewport).pixmap().cacheKey(), pick.pixmap().cacheKey());
        editor.tools.mode = kModeSphere;
        QCOMPARE(enter(viewport).pixmap().cacheKey(), create.pixmap().cacheKey());
        editor.tools.mode = kModePan;
        QCOMPARE(enter(viewport).shape(), Qt::SizeAllCursor);
        QVERIFY(!other.testAttribute(Qt::WA_SetCursor));
        enter(other);
        QVERIFY2(!other.testAttribute(Qt::WA_SetCursor), "only viewports take the tool's cursor");
        qApp->removeEventFilter(&tracker);

        // Every button's tool has the cursor of what it does.
        for (const ToolEntry& tool : NavigationTools())
            QVERIFY2(CursorKindOf(tool.mode) != ToolCursorKind::Pick && CursorKindOf(tool.mode) != ToolCursorKind::Create,
                     tool.name);
        for (const auto* tools : {&ObjectTools(), &HierarchyTools()})
            for (const ToolEntry& tool : *tools)
                QVERIFY2(CursorKindOf(tool.mode) == ToolCursorKind::Pick, tool.name);
        for (int mode : {kModeSphere, kModeCone, kModeCamera, kModeBSplinePatch, kModeSpotLight, kModeAmbientLight})
            QCOMPARE(CursorKindOf(mode), ToolCursorKind::Create);
    }

    void startUpShowsTheBusyCursorUntilTheSplashGoes()
    {
        QtUi ui;
        QtStartupPlatform platform(ui);
        QVERIFY(!QApplication::overrideCursor());
        platform.ShowSplash();
        QVERIFY(QApplication::overrideCursor());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        platform.CloseSplash();
        QVERIFY(!QApplication::overrideCursor());
    }

    void commandLineRefusesWhatItCannotUse()
    {
        using Action = ParsedCommandLine::Action;
        struct Case {
            std::vector<std::string> words;
            bool strict;
            Action action;
            std::string error;
        } cases[] = {
            {{"--help"}, true, Action::Help, ""},
            {{"scene.cvd", "-h"}, false, Action::Help, ""},
            {{"--version"}, false, Action::Version, ""},
            {{"--layout", "99"}, false, Action::Error, "corvid: --layout '99' is not a layout from 1 to 16"},
            {{"--layout", "0"}, false, Action::Error, "corvid: --layout '0' is not a layout from 1 to 16"},
            {{"--layout", "4x"}, false, Action::Error, "corvid: --layout '4x' is not a layout from 1 to 16"},
            {{"--tool", "999"}, false, Action::Error, "corvid: --tool '999' is not a tool mode"},
            {{"--tool", "move"}, false, Action::Error, "corvid: --tool 'move' is not a tool mode"},
            {{"--tool"}, false, Action::Error, "corvid: --tool needs a value"},
            {{"--view", "top"}, false, Action::Error, "corvid: unknown option '--view'"},
            {{"a.cvd", "b.cvd"}, true, Action::Error, "corvid: unexpected argument 'b.cvd' (one scene at a time)"},
            {{"-platform", "offscreen"}, true, Action::Error, "corvid: unknown option '-platform'"},
            // Before Qt's parse, Qt's options and the scene are passed over.
            {{"-platform", "offscreen", "a.cvd", "b.cvd"}, false, Action::Run, ""},
        };
        for (const Case& c : cases) {
            const ParsedCommandLine parsed = ParseCommandLine(c.words, c.strict);
            QCOMPARE(parsed.action, c.action);
            QVERIFY2(parsed.error.rfind(c.error, 0) == 0, parsed.error.c_str());
        }

        const ParsedCommandLine good = ParseCommandLine(
            {"--demo", "--layout", "16", "--tool", "600", "--select", "Cube 0", "--", "--odd name.cvd"}, true);
        QCOMPARE(good.action, Action::Run);
        QVERIFY(good.line.shell.demo);
        QCOMPARE(good.line.layout, 16);
        QCOMPARE(good.line.tool, 600);
        QCOMPARE(good.line.select, std::string("Cube 0"));
        QCOMPARE(good.line.shell.sceneFile, std::string("--odd name.cvd"));
        // Every tool a button offers can be asked for.
        for (const auto* tools : {&NavigationTools(), &ObjectTools(), &HierarchyTools()})
            for (const ToolEntry& tool : *tools)
                QVERIFY2(IsToolMode(tool.mode), tool.name);
        QVERIFY(IsToolMode(kModeSphere) && IsToolMode(kModeSpotLight) && IsToolMode(kModeCatmullRomPatch));
    }

    void helpSaysWhenNothingCanOpenTheGuide()
    {
        QTemporaryDir base;
        QVERIFY(base.isValid());
        const QString help = base.filePath("Help");
        std::vector<QUrl> opened;
        auto opener = [&opened](bool works) {
            return [&opened, works](const QUrl& url) {
                opened.push_back(url);
                return works;
            };
        };
        QCOMPARE(OpenHelpFile(help, "Corvid.html", opener(true)), std::string());
        QCOMPARE(opened.back(), QUrl::fromLocalFile(help + "/Corvid.html"));

        const std::string none = OpenHelpFile(help, "Corvid.html", opener(false));
        QVERIFY2(none.rfind("No program to open the help file", 0) == 0, none.c_str());
        QVERIFY(none.find((help + "/Corvid.html").toStdString()) != std::string::npos);

        // With no program on the PATH the desktop's own opener finds none.
        const QByteArray path = qgetenv("PATH");
        const QByteArray browser = qgetenv("BROWSER");
        qputenv("PATH", base.path().toLocal8Bit());
        qunsetenv("BROWSER");
        const std::string real = OpenHelpFile(help, "Corvid.html");
        qputenv("PATH", path);
        if (!browser.isEmpty())
            qputenv("BROWSER", browser);
        QVERIFY2(real.rfind("No program to open the help file", 0) == 0, real.c_str());

        // A guide that cannot be put in place is another matter.
        QFile blocker(base.filePath("file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const std::string cannot = OpenHelpFile(base.filePath("file/Help"), "Corvid.html", opener(true));
        QVERIFY2(cannot.rfind("Cannot open the help file\n ", 0) == 0, cannot.c_str());
    }

    void aboutBoxesSayWhatTheProgramIsItsVersionAndLicence()
    {
        for (const QString& text : {AboutCorvidText(), AboutMakerText()}) {
            QVERIFY(text.contains("Corvid 1.0"));
            QVERIFY(text.contains("editor for 3D scenes"));
            QVERIFY(text.contains("MIT License"));
            QVERIFY(text.contains("The Corvid developers"));
        }
        QVERIFY(AboutMakerText().contains(kMakerWebAddress));
        // The licence the boxes name is the one shipped.
        QFile licence(QStringLiteral(CORVID_SOURCE_DIR "/LICENSE"));
        QVERIFY(licence.open(QIODevice::ReadOnly));
        const QByteArray shipped = licence.readAll();
        QVERIFY(shipped.startsWith("MIT License\n\nCopyright (c) 2026 The Corvid developers\n"));

        QApplication::setWindowIcon(ApplicationIcon());
        QString title, text;
        bool hasIcon = false;
        WithModalBox(
            [&](QMessageBox& box) {
                title = box.windowTitle();
                text = box.text();
                hasIcon = !box.iconPixmap().isNull();
                box.accept();
            },
            [] { ShowAboutCorvid(nullptr); });
        QCOMPARE(title, QString("About Corvid"));
        QCOMPARE(text, AboutCorvidText());
        QVERIFY(hasIcon);
    }

    void theIconIsDrawnAndTheShippedFilesAreThatDrawing()
    {
        const QIcon icon = ApplicationIcon();
        QCOMPARE(icon.availableSizes().size(), static_cast<qsizetype>(std::size(kApplicationIconSizes)));
        for (int size : kApplicationIconSizes) {
            const QImage drawn = DrawApplicationIcon(size);
            QCOMPARE(drawn.size(), QSize(size, size));
            // Transparent corners, an opaque tile, and more than one colour on it.
            QCOMPARE(qAlpha(drawn.pixel(0, 0)), 0);
            QCOMPARE(qAlpha(drawn.pixel(size / 2, size / 2)), 255);
            QVERIFY(drawn.pixel(size / 2, size * 3 / 4) != drawn.pixel(size / 2, size / 8));

            const QString file = QStringLiteral(CORVID_SOURCE_DIR "/data/icons/hicolor/%1x%1/apps/corvid.png").arg(size);
            if (qEnvironmentVariableIsSet("CORVID_WRITE_ICONS")) {
                QDir().mkpath(QFileInfo(file).path());
                QVERIFY(drawn.save(file));
            }
            const QImage shipped(file);
            QVERIFY2(!shipped.isNull(), qPrintable(file + " is missing: run GuiPartsTest with CORVID_WRITE_ICONS=1"));
            QVERIFY2(shipped.convertToFormat(QImage::Format_ARGB32) == drawn.convertToFormat(QImage::Format_ARGB32),
                     qPrintable(file + " is not the drawn icon: run GuiPartsTest with CORVID_WRITE_ICONS=1"));
        }
        // The desktop entry names the program and the icon that is installed.
        QFile entry(QStringLiteral(CORVID_SOURCE_DIR "/data/corvid.desktop"));
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QByteArray text = entry.readAll();
        for (const char* line : {"[Desktop Entry]\n", "\nType=Application\n", "\nName=Corvid\n", "\nExec=corvid %f\n",
                                 "\nIcon=corvid\n"})
            QVERIFY2(text.contains(line), line);
    }

    void previewShapesFaceOutwards()
    {
        // Back faces are culled: a face turned inwards would vanish.
        auto outwards = [](const MeshBuilder& mesh, const Vec3& centre) {
            int checked = 0;
            for (int f = 0; f < mesh.GetFaceCount(); ++f) {
                const Vec3 n = mesh.GetFaceNormal(f);
                if (Length(n) < 0.5f)
                    continue;  // the degenerate faces at a sphere's poles
                Vec3 mid{};
                const int corners = mesh.GetFaceVertexCount(f);
                for (int c = 0; c < corners; ++c) {
                    Vec3 p;
                    mesh.GetVertex(mesh.GetFaceVertexIndex(f, c), p);
                    mid = mid + p * (1.0f / static_cast<float>(corners));
                }
                if (Dot(n, mid - centre) <= 0.0f)
                    return -1;
                ++checked;
            }
            return checked;
        };
        MeshBuilderPtr sphere = BuildUvSphere(2.0f, 8, 12);
        QCOMPARE(sphere->GetFaceCount(), 8 * 12);
        for (const Vec3& v : sphere->GetVertices())
            QVERIFY(std::abs(Length(v) - 2.0f) < 1e-4f);
        QVERIFY(outwards(*sphere, {}) > 8 * 12 - 2 * 12 - 1);
    }

    void demoSceneIsTheSameEveryTime()
    {
        auto colours = [] {
            ScriptedUi ui;
            Editor editor(ui);
            BuildDemoScene(editor);
            std::vector<uint32_t> result;
            for (const FramePtr& child : editor.scene.Scene()->GetChildren())
                for (const MeshBuilderPtr& mesh : child->GetVisuals())
                    result.push_back(mesh->GetColor());
            return std::make_tuple(result, editor.scene.CameraCount(), editor.scene.LightCount());
        };
        const auto first = colours();
        QCOMPARE(std::get<1>(first), 1);
        QCOMPARE(std::get<2>(first), 2);
        QVERIFY(std::get<0>(first).size() >= 4);
        QCOMPARE(std::get<0>(colours()), std::get<0>(first));
    }
};

int main(int argc, char** argv)
{
    // Nothing here draws with OpenGL: without an X server Qt's off-screen
    // platform will do.
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    GuiPartsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "GuiPartsTest.moc"
