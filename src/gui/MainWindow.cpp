#include "gui/MainWindow.h"

#include "gui/AnimationPanel.h"
#include "gui/DesktopDepth.h"
#include "gui/AboutBox.h"
#include "gui/HelpFile.h"
#include "gui/MenuBuilder.h"
#include "gui/ObjectInfoPanel.h"
#include "gui/ObjectTreeWidget.h"
#include "gui/PlaybackTimer.h"
#include "gui/MaterialPanel.h"
#include "gui/MappingWindow.h"
#include "gui/PropertyPanels.h"
#include "gui/SceneToolsWindow.h"
#include "gui/QtUi.h"
#include "gui/SamplerWidget.h"
#include "gui/TexturePanel.h"
#include "gui/ToolButtons.h"
#include "gui/ToolWindows.h"
#include "gui/TransportBar.h"
#include "gui/ViewportSetupDialog.h"
#include "gui/ViewportWidget.h"
#include "render/CommandIds.h"
#include "app/Controller.h"
#include "app/DocumentCommands.h"
#include "app/Editor.h"
#include "app/FileTypes.h"
#include "app/Startup.h"
#include "files/FileIo.h"
#include "tools/ToolHints.h"
#include "tools/ToolMode.h"

#include <algorithm>

#include <QAction>
#include <QCloseEvent>
#include <QDateTime>
#include <QLocale>
#include <QDesktopServices>
#include <QDockWidget>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

namespace corvid {

const char* const kHelpFileName = "Corvid.html";

namespace {

// Wide enough for four tool buttons and a parameter window's label and box.
constexpr int kToolColumnWidth = 208;
constexpr int kSamplerSize = 150;
constexpr int kNarrowestDock = 150;
// The least height the docks keep below the viewports.
constexpr int kShortestDock = 90;

// The part of the main window the viewports share; the core places them.
class ViewportAreaWidget final : public QWidget {
public:
    explicit ViewportAreaWidget(QWidget* parent)
        : QWidget(parent)
    {
        setObjectName("viewportArea");
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, QColor(24, 24, 26));
        setPalette(p);
    }
    std::function<void()> onResize;

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        if (onResize)
            onResize();
    }
};

} // namespace

MainWindow::MainWindow(Editor& editor, QtUi& ui)
    : editor_(editor)
    , ui_(ui)
{
    setObjectName("mainWindow");
    setMinimumSize(640, 480);

    toolBar_ = addToolBar("Tools");
    toolBar_->setObjectName("toolBar");
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    toolBar_->setContextMenuPolicy(Qt::PreventContextMenu);
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    viewportSetup_ = toolBar_->addAction(ViewportSetupDialog::LayoutIcon(2, 20, 16), "Viewport Setup ...");
    // A tool button drops a trailing "..." from the action's text unless told.
    viewportSetup_->setIconText(viewportSetup_->text());
    connect(viewportSetup_, &QAction::triggered, this, [this] { ShowViewportSetup(); });

    // The transport bar gets a row of its own under the tool bar.
    playback_ = new PlaybackTimer(editor_.transport, this);
    addToolBarBreak();
    transportBar_ = new TransportBar(editor_, *playback_, this);
    addToolBar(transportBar_);

    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    // The column scrolls rather than squeezing its windows in a short main
    // window; its width bounds the viewport area.
    auto* columnScroll = new QScrollArea(central);
    columnScroll->setObjectName("toolColumnScroll");
    columnScroll->setFixedWidth(kToolColumnWidth);
    columnScroll->setFrameShape(QFrame::NoFrame);
    columnScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    columnScroll->setWidgetResizable(true);
    toolColumn_ = new QWidget(columnScroll);
    toolColumn_->setObjectName("toolColumn");
    auto* column = new QVBoxLayout(toolColumn_);
    column->setContentsMargins(8, 8, 8, 8);
    tools_ = new ToolButtons(editor_, toolColumn_);
    column->addWidget(tools_);
    column->addSpacing(8);
    toolWindows_ = new ToolWindows(editor_, *tools_, toolColumn_);
    column->addWidget(toolWindows_);
    column->addSpacing(4);
    auto* samplerTitle = new QLabel("Material", toolColumn_);
    sampler_ = new SamplerWidget(toolColumn_);
    sampler_->setFixedSize(kSamplerSize, kSamplerSize);
    sampler_->onDeviceFailure = [this](const std::string&) {
        // Not from inside the paint: a message box there would paint again.
        QMetaObject::invokeMethod(
            this,
            [this] {
                ui_.ShowMessage("Cannot create Sampler device in Hardware or Sofware!");
                quitWithoutAsking();
            },
            Qt::QueuedConnection);
    };
    column->addWidget(samplerTitle);
    column->addWidget(sampler_, 0, Qt::AlignHCenter);
    column->addStretch(1);

    auto* area = new ViewportAreaWidget(central);
    area->onResize = [this] { viewportAreaResized(); };
    area_ = area;

    columnScroll->setWidget(toolColumn_);
    row->addWidget(columnScroll);
    row->addWidget(area_, 1);
    setCentralWidget(central);
    createDocks();

    toolHint_ = new QLabel(this);
    toolHint_->setObjectName("toolHint");
    statusBar()->addWidget(toolHint_, 1);
    connect(tools_, &ToolButtons::ModeShown, this, [this] { refreshToolHint(); });
    refreshToolHint();

    watchScreens();
}

void MainWindow::createDocks()
{
    treeDock_ = new QDockWidget("Objects List", this);
    treeDock_->setObjectName("objectsListDock");
    treeDock_->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    if (ObjectTreeWidget* tree = ui_.Tree())
        treeDock_->setWidget(tree);
    addDockWidget(Qt::RightDockWidgetArea, treeDock_);

    infoDock_ = new QDockWidget("Object Information", this);
    infoDock_->setObjectName("objectInfoDock");
    infoDock_->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    // Scrolled, so that a narrow main window can narrow the dock and keep
    // room for the viewports.
    auto* infoScroll = new QScrollArea(infoDock_);
    infoScroll->setFrameShape(QFrame::NoFrame);
    infoScroll->setWidgetResizable(true);
    info_ = new ObjectInfoPanel(infoScroll);
    infoScroll->setWidget(info_);
    infoDock_->setWidget(infoScroll);
    addDockWidget(Qt::RightDockWidgetArea, infoDock_);
    // Wide enough for the whole information panel where the window allows.
    const int panelWidth = info_->sizeHint().width() + infoScroll->verticalScrollBar()->sizeHint().width();
    dockWidth_ = std::max(230, panelWidth);
    resizeDocks({treeDock_, infoDock_}, {dockWidth_, dockWidth_}, Qt::Horizontal);

    // The animation, object properties and light windows share the
    // information panel's place as tabs; the material, texture, mapping and
    // scene tools windows are tabs of a second place below it (nine tabs in
    // one place would leave each title a few letters).
    auto dock = [this](const char* title, const char* name, QWidget* panel, QDockWidget* tabWith) {
        auto* d = new QDockWidget(title, this);
        d->setObjectName(name);
        d->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
        auto* scroll = new QScrollArea(d);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidgetResizable(true);
        panel->setParent(scroll);
        scroll->setWidget(panel);
        d->setWidget(scroll);
        // Below the last place (splitting a tabbed place would only add a tab).
        addDockWidget(Qt::RightDockWidgetArea, d, Qt::Vertical);
        if (tabWith)
            tabifyDockWidget(tabWith, d);
        return d;
    };
    animation_ = new AnimationPanel(editor_);
    objectProperties_ = new ObjectPropertiesPanel(editor_);
    lightProperties_ = new LightPropertiesPanel(editor_);
    objectPropertiesDock_ = dock("Object Properties", "objectPropertiesDock", objectProperties_, infoDock_);
    lightDock_ = dock("Point Light Info", "lightDock", lightProperties_, infoDock_);
    animationDock_ = dock("Animation", "animationDock", animation_, infoDock_);
    connect(lightProperties_, &LightPropertiesPanel::titleChanged, lightDock_, &QDockWidget::setWindowTitle);
    // The paint material's window (dressing the preview above), the texture
    // slots, the mapping and the scene tools.
    materialPanel_ = new MaterialPanel(editor_, sampler_);
    texturePanel_ = new TexturePanel(editor_);
    sceneTools_ = new SceneToolsWindow(editor_, ui_);
    mapping_ = new MappingWindow(editor_, ui_, *tools_);
    materialDock_ = dock("Material", "materialDock", materialPanel_, nullptr);
    textureDock_ = dock("Textures", "textureDock", texturePanel_, materialDock_);
    mappingDock_ = dock("Texture Mapping", "mappingDock", mapping_, materialDock_);
    sceneToolsDock_ = dock("Scene Tools", "sceneToolsDock", sceneTools_, materialDock_);
    connect(texturePanel_, &TexturePanel::paintChanged, materialPanel_, &MaterialPanel::Refresh);
    infoDock_->raise();
    materialDock_->raise();
    // Choosing a painting or mapping tool brings its window to the front.
    connect(tools_, &ToolButtons::ModeShown, this, [this](int mode) {
        if (mode >= kModePaintFirst && mode <= kModePaintLast)
            materialDock_->raise();
        else if (mode >= kModeMappingFirst && mode <= kModeMappingLast)
            mappingDock_->raise();
    });

    connect(&ui_, &QtUi::Notified, this, &MainWindow::onNotified);
    info_->Show(editor_.views.objectInfo);
    if (ObjectTreeWidget* tree = ui_.Tree())
        tree->ShowSelection(editor_.scene.HasSelection() ? editor_.scene.SelectedFrame().get() : nullptr);
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    // After the layout has taken the new size: asked for inside the resize,
    // a wider dock loses to the central widget's share.
    QMetaObject::invokeMethod(this, [this] { placeDocks(); }, Qt::QueuedConnection);
}

void MainWindow::placeDocks()
{
    // The viewports keep at least half the window's width. The docks stand
    // at the right while that leaves them a usable width (narrowed as far
    // as needed, and back to their width when the window widens again; a
    // width the person chose within that stays); in a narrower window they
    // go below the viewports, side by side, where they take at most what
    // leaves the viewports half the window's height.
    if (treeDock_->isFloating() || infoDock_->isFloating())
        return;
    const int spareWidth = width() - kToolColumnWidth - width() / 2;
    const Qt::DockWidgetArea area = spareWidth >= kNarrowestDock ? Qt::RightDockWidgetArea : Qt::BottomDockWidgetArea;
    if (dockWidgetArea(treeDock_) != area || dockWidgetArea(infoDock_) != area) {
        const Qt::Orientation along = area == Qt::RightDockWidgetArea ? Qt::Vertical : Qt::Horizontal;
        // Out of the old area first, so that it closes behind them.
        const std::array<QDockWidget*, 9> docks{treeDock_,      infoDock_,     objectPropertiesDock_,
                                                lightDock_,     animationDock_, materialDock_,
                                                textureDock_,   mappingDock_,   sceneToolsDock_};
        for (QDockWidget* dock : docks)
            removeDockWidget(dock);
        addDockWidget(area, treeDock_, along);
        addDockWidget(area, infoDock_, along);
        addDockWidget(area, materialDock_, along);
        for (QDockWidget* tab : {objectPropertiesDock_, lightDock_, animationDock_})
            tabifyDockWidget(infoDock_, tab);
        for (QDockWidget* tab : {textureDock_, mappingDock_, sceneToolsDock_})
            tabifyDockWidget(materialDock_, tab);
        for (QDockWidget* dock : docks)
            dock->show();
        infoDock_->raise();
        materialDock_->raise();
        docksNarrowed_ = true;  // sized below
    }
    if (area == Qt::BottomDockWidgetArea) {
        // What the viewports and the docks share, less half the window.
        const int shared = centralWidget()->height() + treeDock_->height();
        const int tall = std::max(kShortestDock, shared - height() / 2);
        if (std::abs(treeDock_->height() - tall) > 1)
            resizeDocks({treeDock_, infoDock_, materialDock_}, {tall, tall, tall}, Qt::Vertical);
        return;
    }
    int wanted = 0;
    if (treeDock_->width() > spareWidth) {
        wanted = spareWidth;
        docksNarrowed_ = true;
    } else if (docksNarrowed_) {
        wanted = std::min(spareWidth, dockWidth_);
        docksNarrowed_ = wanted < dockWidth_;
    }
    if (wanted > 0)
        resizeDocks({treeDock_, infoDock_, materialDock_}, {wanted, wanted, wanted}, Qt::Horizontal);
}

ObjectTreeWidget* MainWindow::ObjectsList() const
{
    return ui_.Tree();
}

void MainWindow::onNotified(int what)
{
    switch (static_cast<Notification>(what)) {
    case Notification::SelectionChanged:
    case Notification::PanelsChanged:
        // Gestures made in stages say what the next move or click does.
        refreshToolHint();
        info_->Show(editor_.views.objectInfo);
        objectProperties_->Refresh();
        lightProperties_->Refresh();
        materialPanel_->Refresh();
        texturePanel_->Refresh();
        break;
    case Notification::TransportChanged:
        transportBar_->Refresh();
        animation_->Refresh();
        break;
    case Notification::HistoryChanged:
        // The Edit items' texts and states, so that their keys work at once.
        // Later: the command that changed the history may still be running
        // from one of these actions.
        QMetaObject::invokeMethod(this, [this] { refreshMenus(); RefreshTitle(); }, Qt::QueuedConnection);
        break;
    case Notification::TreeChanged:
        RefreshTitle();
        break;
    default:
        break;
    }
}

MainWindow::~MainWindow()
{
    ReleaseViewDevices();
}

void MainWindow::InstallMainMenu()
{
    menuBar()->clear();
    menus_.clear();
    for (const MenuItem& top : editor_.mainMenu.items) {
        if (top.kind != MenuItem::Kind::Popup)
            continue;
        QMenu* menu = menuBar()->addMenu(QString::fromStdString(top.text));
        menu->setEnabled(top.enabled);
        AppendMenuItems(*menu, top.items, [this](int command) { RunCommand(command); });
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { refreshMenu(*menu); });
        menus_.push_back(menu);
    }
    menuRevision_ = editor_.mainMenu.Revision();
}

void MainWindow::CreateViewportWindows()
{
    for (int n = 1; n <= 4; ++n) {
        auto* viewport = new ViewportWidget(editor_, ui_, n, area_);
        viewport->setVisible(n == 1);
        viewports_[static_cast<size_t>(n - 1)] = viewport;
    }
    viewports_[0]->onFirstResize = [this] {
        if (onViewport1FirstResize)
            onViewport1FirstResize();
    };
    viewportAreaResized();
}

void MainWindow::ReleaseViewDevices()
{
    for (int n = 1; n <= 4; ++n) {
        ViewRecord& view = editor_.views.Viewport(n);
        if (view.window == viewports_[static_cast<size_t>(n - 1)] && view.window)
            editor_.views.ReleaseViewDevice(view);
    }
}

ViewportWidget* MainWindow::Viewport(int n) const
{
    return n >= 1 && n <= 4 ? viewports_[static_cast<size_t>(n - 1)] : nullptr;
}

QAction* MainWindow::FindMenuAction(int command) const
{
    for (QMenu* menu : menus_)
        if (QAction* action = FindCommandAction(*menu, command))
            return action;
    return nullptr;
}

void MainWindow::RunCommand(int command)
{
    if (!editor_.mainMenu.IsEnabled(command))
        return;
    for (int n = 1; n <= 4; ++n) {
        if (command == kViewportMenuCommands[static_cast<size_t>(n - 1)]) {
            editor_.tools.ShowViewportMenu(n);
            return;
        }
    }
    switch (command) {
    case kCmdExit:
        close();
        break;
    case kCmdUndo:
        editor_.Undo();
        break;
    case kCmdRedo:
        editor_.Redo();
        break;
    case kCmdCameraLight:
        editor_.views.ToggleCameraLight();
        break;
    case kCmdHelp:
        openHelp();
        break;
    case kCmdAboutCorvid:
        ShowAboutCorvid(this);
        break;
    case kCmdAboutMaker:
        ShowAboutMaker(this);
        break;
    case kCmdWebLink:
        QDesktopServices::openUrl(QUrl(kMakerWebAddress));
        break;
    case kCmdInputDevice:
        if (onInputDevice)
            onInputDevice();
        break;
    default:
        // New Scene, Load, Save Scene as, the imports, the exports, Auto-Detect.
        RunDocumentCommand(editor_, command);
        break;
    }
    refreshMenus();
}

ViewportSetupDialog* MainWindow::ShowViewportSetup()
{
    auto* dialog = new ViewportSetupDialog(editor_.views.layoutKind, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &ViewportSetupDialog::LayoutChosen, this, [this](int kind) {
        editor_.views.ChooseLayout(kind);
        refreshMenus();
    });
    dialog->open();
    return dialog;
}

ShellHooks MainWindow::Hooks()
{
    ShellHooks hooks;
    hooks.readColorDepth = [] { return CurrentDesktopColorDepth(); };
    hooks.saveScene = [this] { return SaveSceneAsCommand(editor_); };
    hooks.renderSampler = [this] { sampler_->RenderSampler(); };
    return hooks;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (closeWithoutAsking_) {
        event->accept();
        return;
    }
    switch (AskBeforeClose(editor_, Hooks())) {
    case CloseDecision::Close:
        // A clean end: nothing is left to recover.
        editor_.autosave.Discard();
        event->accept();
        break;
    case CloseDecision::Stay:
        event->ignore();
        break;
    }
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    // Enter confirms nothing in the main window.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void MainWindow::viewportAreaResized()
{
    const QPoint origin = area_->mapTo(this, QPoint(0, 0));
    editor_.views.MainWindowResized({origin.x(), origin.y(), area_->width(), area_->height()});
}

void MainWindow::refreshToolHint()
{
    const QString hint = QString::fromStdString(ToolHint(editor_.tools.mode, editor_.tools.stage));
    if (toolHint_ && toolHint_->text() != hint)
        toolHint_->setText(hint);
}

void MainWindow::refreshMenus()
{
    for (QMenu* menu : menus_)
        RefreshMenuStates(*menu, editor_.mainMenu);
}

void MainWindow::refreshMenu(QMenu& menu)
{
    if (editor_.mainMenu.Revision() != menuRevision_) {
        // Items may have come or gone: draw the menus again from the model.
        // None of them is open, so no action is deleted while it runs.
        for (QMenu* m : menus_) {
            m->clear();
            if (const MenuItem* popup = editor_.mainMenu.FindPopup(m->title().toStdString()))
                AppendMenuItems(*m, popup->items, [this](int command) { RunCommand(command); });
        }
        menuRevision_ = editor_.mainMenu.Revision();
    }
    RefreshMenuStates(menu, editor_.mainMenu);
}

void MainWindow::openHelp()
{
    // Says why when the guide cannot be put in place or nothing can show it.
    if (const std::string message = OpenHelpFile(QString::fromStdString(editor_.helpDirectory), kHelpFileName);
        !message.empty())
        ui_.ShowMessage(message);
}

void MainWindow::watchScreens()
{
    auto watch = [this](QScreen* screen) {
        connect(screen, &QScreen::geometryChanged, this, [this] { checkDisplayDepth(); });
    };
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
    connect(qApp, &QGuiApplication::screenAdded, this, [this, watch](QScreen* screen) {
        watch(screen);
        checkDisplayDepth();
    });
    connect(qApp, &QGuiApplication::primaryScreenChanged, this, [this] { checkDisplayDepth(); });
}

void MainWindow::checkDisplayDepth()
{
    const int depth = CurrentDesktopColorDepth();
    if (depth == editor_.views.colorDepth)
        return;
    switch (HandleDisplayChange(editor_, depth, Hooks())) {
    case DisplayChangeResult::Quit:
    case DisplayChangeResult::RebuildFailed:
        quitWithoutAsking();
        break;
    default:
        break;
    }
}

void MainWindow::quitWithoutAsking()
{
    closeWithoutAsking_ = true;
    close();
}

bool MainWindow::OpenScene(const std::string& path)
{
    // A model file named on the command line comes in as its import would,
    // with the options dialog's starting choice; anything else is read as a
    // scene file.
    const FileType* type = FileTypeForName(path);
    if (!type || !type->read)
        type = &SceneFileType();
    const bool read = ReadDocumentFile(editor_, *type, path, DefaultOptions(*type, false), true);
    RefreshTitle();
    return read;
}

void MainWindow::StartAutosave()
{
    if (autosaveTimer_)
        return;
    Autosave& autosave = editor_.autosave;
    autosave.SetFolder(Autosave::DefaultFolder(SystemEnvironment()));
    autosave.intervalSeconds = Autosave::ConfiguredSeconds(SystemEnvironment());
    autosaveTimer_ = new QTimer(this);
    autosaveTimer_->setObjectName("autosaveTimer");
    connect(autosaveTimer_, &QTimer::timeout, this, [this] { editor_.autosave.Tick(); });
    if (autosave.intervalSeconds > 0)
        autosaveTimer_->start(autosave.intervalSeconds * 1000);
}

void MainWindow::OfferRecovery()
{
    const std::vector<RecoverableScene> found = Autosave::FindRecoverable(editor_.autosave.Folder());
    if (found.empty())
        return;
    const RecoverableScene& newest = found.front();
    const QString when = QLocale::c().toString(QDateTime::fromSecsSinceEpoch(newest.savedAt), "yyyy-MM-dd HH:mm:ss");
    const std::string what = newest.documentPath.empty() ? std::string("a new scene") : newest.documentPath;
    const std::string question = "Corvid ended without saving " + what + ".\nThe scene was saved automatically at " +
                                 when.toStdString() + ".\n\nWould you like to recover it?";
    if (ui_.Ask(question, Buttons::YesNo) == Answer::Yes && OpenScene(newest.autosavePath)) {
        // What was recovered is not saved anywhere the person chose.
        editor_.documentPath = newest.documentPath;
        editor_.scene.SetModified(true);
        RefreshTitle();
    }
    for (const RecoverableScene& scene : found)
        Autosave::Forget(scene);
}

void MainWindow::RefreshTitle()
{
    const std::string name = editor_.documentPath.empty() ? "Untitled" : FileNameOf(editor_.documentPath);
    setWindowTitle(QString::fromStdString((editor_.scene.Modified() ? "*" : "") + name + " - " + kMainWindowTitle));
}

} // namespace corvid
