#include "gui/QtUi.h"

#include "gui/FileFilter.h"
#include "gui/ImportOptionsDialog.h"
#include "gui/ObjectTreeWidget.h"
#include "gui/ProgressWindow.h"
#include "gui/SplashWindow.h"
#include "gui/ViewportWidget.h"
#include "platform/Light.h"
#include "app/Editor.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QToolTip>

#include <algorithm>

namespace corvid {

namespace {

constexpr const char* kMessageTitle = "Message";

QMessageBox::StandardButtons ButtonsFor(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok: return QMessageBox::Ok;
    case Buttons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Buttons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

Answer AnswerFor(int button, Buttons buttons)
{
    switch (button) {
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Retry: return Answer::Retry;
    default:
        // Escape or the window's close button.
        if (buttons == Buttons::Ok)
            return Answer::Ok;
        return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
}

} // namespace

QtUi::QtUi()
    : tree_(new ObjectTreeWidget)
{
}

QtUi::~QtUi()
{
    // Still here and parentless: no window adopted it.
    if (tree_ && !tree_->parent())
        delete tree_.data();
    delete progress_.data();
    if (busy_)
        QApplication::restoreOverrideCursor();
}

void QtUi::SetEditor(Editor* editor)
{
    editor_ = editor;
    bindTree();
}

ObjectTreeWidget* QtUi::Tree() const
{
    return tree_;
}

void QtUi::bindTree()
{
    if (!tree_)
        return;
    ObjectTreeWidget::Actions& actions = tree_->actions;
    if (!editor_) {
        actions = {};
        return;
    }
    Editor* editor = editor_;
    actions.select = [editor](const FramePtr& frame) { editor->tools.SelectFromTree(frame); };
    actions.rename = [editor](const FramePtr& frame, const std::string& name) {
        return editor->tools.RenameFromTree(frame, name);
    };
    actions.drop = [editor](const FramePtr& dragged, const FramePtr& target) {
        return editor->tools.DropInTree(dragged, target);
    };
    actions.remove = [editor](const FramePtr& frame) { editor->tools.DeleteFromTree(frame); };
    actions.setShown = [editor](const FramePtr& frame, bool shown) { editor->tools.SetShownFromTree(frame, shown); };
    actions.beep = [this] { Beep(); };
}

void QtUi::SetSplash(SplashWindow* splash)
{
    splash_ = splash;
}

SplashWindow* QtUi::Splash() const
{
    return splash_;
}

ProgressWindow* QtUi::Progress() const
{
    return progress_;
}

void QtUi::ShowMessage(const std::string& text)
{
    if (boxHook) {
        boxHook(text, Buttons::Ok);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, kMessageTitle, QString::fromStdString(text), QMessageBox::Ok, parent_);
    box.exec();
}

Answer QtUi::Ask(const std::string& text, Buttons buttons)
{
    if (boxHook)
        return boxHook(text, buttons);
    QMessageBox box(QMessageBox::Question, kMessageTitle, QString::fromStdString(text), ButtonsFor(buttons), parent_);
    return AnswerFor(box.exec(), buttons);
}

std::optional<std::string> QtUi::AskFile(const FileDialogRequest& request)
{
    if (fileHook)
        return fileHook(request);
    QString start = QString::fromStdString(request.directory);
    if (!request.fileName.empty())
        start = start.isEmpty() ? QString::fromStdString(request.fileName)
                                : start + "/" + QString::fromStdString(request.fileName);
    const QString filter = QString::fromStdString(ToQtFileFilter(request.filter));
    const QString title = QString::fromStdString(request.title);
    const QString chosen = request.save ? QFileDialog::getSaveFileName(parent_, title, start, filter)
                                        : QFileDialog::getOpenFileName(parent_, title, start, filter);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen.toStdString();
}

std::optional<ImportDialogResult> QtUi::AskImportOptions(const ImportDialogRequest& request)
{
    ImportOptionsDialog dialog(request, parent_);
    if (optionsHook) {
        if (!optionsHook(dialog))
            return std::nullopt;
        return dialog.Result();
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Result();
}

void QtUi::ShowProgress()
{
    if (!progress_)
        progress_ = new ProgressWindow(parent_);
    progress_->SetStatus({});
    progress_->SetPercent(0);
    if (parent_) {
        QRect area = parent_->geometry();
        progress_->adjustSize();
        progress_->move(area.center() - progress_->rect().center());
    }
    progress_->show();
    progress_->repaint();
}

void QtUi::SetProgressStatus(const std::string& status)
{
    if (progress_)
        progress_->SetStatus(QString::fromStdString(status));
}

void QtUi::SetProgress(int percent)
{
    if (progress_)
        progress_->SetPercent(percent);
}

void QtUi::HideProgress()
{
    if (progress_)
        progress_->hide();
}

void QtUi::SetBusy(bool busy)
{
    if (busy == busy_)
        return;
    busy_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void QtUi::Notify(Notification what)
{
    if (what == Notification::RedrawRequested && editor_)
        editor_->views.RenderAllViews();
    if (tree_ && editor_) {
        if (what == Notification::SelectionChanged)
            tree_->ShowSelection(editor_->scene.HasSelection() ? editor_->scene.SelectedFrame().get() : nullptr);
        if (what == Notification::TreeChanged)
            tree_->ScheduleCheckRefresh();
    }
    emit Notified(static_cast<int>(what));
}

long QtUi::InsertTreeItem(const Frame& frame, const std::string& name, int icon, long parentItem, int position)
{
    return tree_ ? tree_->InsertItem(frame, QString::fromStdString(name), icon, parentItem, position) : 0;
}

void QtUi::SetTreeItemName(long item, const std::string& name)
{
    if (tree_)
        tree_->SetItemName(item, QString::fromStdString(name));
}

void QtUi::RemoveTreeItem(long item)
{
    if (tree_)
        tree_->RemoveItem(item);
}

void QtUi::SetTreeItemChecked(long item, bool checked)
{
    if (tree_)
        tree_->SetChecked(item, checked);
}

void QtUi::Beep()
{
    ++beeps_;
    QApplication::beep();
}

void QtUi::ShowLightSettings(const Light& light, int x, int y)
{
    static const char* const kTypes[] = {"Ambient", "Point", "Spot", "Directional", "Parallel point"};
    const int type = static_cast<int>(light.GetType());
    const ColorRGBA c = light.GetColor();
    QString text = QString("<b>%1 light</b><br>Colour %2, %3, %4")
                       .arg(type >= 0 && type < 5 ? kTypes[type] : "Unknown")
                       .arg(c.r, 0, 'f', 2)
                       .arg(c.g, 0, 'f', 2)
                       .arg(c.b, 0, 'f', 2);
    if (light.GetType() != LightType::Ambient && light.GetType() != LightType::Directional)
        text += QString("<br>Attenuation %1, %2, %3<br>Range %4")
                    .arg(light.GetConstantAttenuation())
                    .arg(light.GetLinearAttenuation())
                    .arg(light.GetQuadraticAttenuation())
                    .arg(light.GetRange());
    if (light.GetType() == LightType::Spot)
        text += QString("<br>Umbra %1, penumbra %2").arg(light.GetUmbra()).arg(light.GetPenumbra());
    lightSettings_ = text;
    if (!editor_)
        return;
    ViewRecord& view = editor_->views.ActiveView();
    auto* viewport = dynamic_cast<ViewportWidget*>(view.window);
    if (!viewport)
        return;
    // Render-surface pixels back to window pixels.
    const int detail = view.detail > 0 ? view.detail : 100;
    const QPoint at = viewport->FromWindowPixels(x * 100 / detail, y * 100 / detail);
    QToolTip::showText(viewport->mapToGlobal(at + QPoint(12, 12)), text, viewport, viewport->rect());
}

void QtUi::OpenViewportMenu(int n, int x, int y)
{
    if (!editor_ || n < 1 || n > 4)
        return;
    if (auto* viewport = dynamic_cast<ViewportWidget*>(editor_->views.Viewport(n).window))
        viewport->ShowPopupMenu(viewport->FromWindowPixels(x, y));
}

void QtUi::AddUserCameraEntry(const UserMenuEntry& entry)
{
    InsertUserMenuEntry(cameras_, entry);
}

void QtUi::RemoveUserCameraEntry(int command)
{
    RemoveUserMenuEntry(cameras_, command);
}

void QtUi::AddUserLightEntry(const UserMenuEntry& entry)
{
    InsertUserMenuEntry(lights_, entry);
}

void QtUi::RemoveUserLightEntry(int command)
{
    RemoveUserMenuEntry(lights_, command);
}

void QtUi::ResetUserMenus()
{
    cameras_.clear();
    lights_.clear();
}

void QtUi::SetStartupStatus(const std::string& status)
{
    if (splash_)
        splash_->SetStatus(QString::fromStdString(status));
}

} // namespace corvid
