#include "gui/ToolWindows.h"

#include "app/ToolForms.h"
#include "gui/ToolButtons.h"
#include "gui/ToolFormWidget.h"
#include "app/Editor.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvid {

namespace {

// Button columns: the light and surface windows share a row of the column.
int ChooserColumns(StartupWindowKind kind)
{
    switch (kind) {
    case StartupWindowKind::PrimitiveChooser:
    case StartupWindowKind::DeformChooser:
        return 4;
    case StartupWindowKind::LightChooser:
        return 3;
    default:
        return 1;
    }
}

const ToolChooser* ChooserOf(StartupWindowKind kind)
{
    switch (kind) {
    case StartupWindowKind::PrimitiveChooser:
        return &PrimitiveChooser();
    case StartupWindowKind::LightChooser:
        return &LightChooser();
    case StartupWindowKind::SurfaceChooser:
        return &SurfaceChooser();
    case StartupWindowKind::DeformChooser:
        return &DeformChooser();
    default:
        return nullptr;
    }
}

} // namespace

ToolWindows::ToolWindows(Editor& editor, ToolButtons& buttons, QWidget* parent)
    : QWidget(parent)
    , editor_(editor)
    , buttons_(buttons)
    , shownMode_(editor.tools.mode)
{
    setObjectName("toolWindows");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    // The button windows keep their places whatever order they are made in:
    // the primitives, then the lights and surfaces side by side.
    auto* pair = new QHBoxLayout;
    pair->setSpacing(12);
    for (StartupWindowKind kind :
         {StartupWindowKind::PrimitiveChooser, StartupWindowKind::LightChooser, StartupWindowKind::SurfaceChooser}) {
        auto* place = new QVBoxLayout;
        place->setContentsMargins(0, 0, 0, 0);
        if (kind == StartupWindowKind::PrimitiveChooser)
            column->addLayout(place);
        else
            pair->addLayout(place);
        chooserPlaces_[kind] = place;
    }
    pair->addStretch(1);
    column->addLayout(pair);
    // The deformers below them.
    auto* deform = new QVBoxLayout;
    deform->setContentsMargins(0, 0, 0, 0);
    column->addLayout(deform);
    chooserPlaces_[StartupWindowKind::DeformChooser] = deform;
    slot_ = new QVBoxLayout;
    slot_->setContentsMargins(0, 0, 0, 0);
    column->addLayout(slot_);
    connect(&buttons_, &ToolButtons::ModeShown, this, &ToolWindows::ShowMode);
}

std::function<void()> ToolWindows::Creator(const StartupWindow& window)
{
    switch (window.kind) {
    case StartupWindowKind::PrimitiveChooser:
    case StartupWindowKind::LightChooser:
    case StartupWindowKind::SurfaceChooser:
    case StartupWindowKind::DeformChooser:
        return [this, kind = window.kind] { CreateChooser(kind); };
    case StartupWindowKind::ParameterWindow:
        return [this, mode = window.mode] { CreateForm(mode); };
    default:
        return {};
    }
}

QWidget* ToolWindows::CreateChooser(StartupWindowKind kind)
{
    if (QWidget* made = Chooser(kind))
        return made;
    const ToolChooser* chooser = ChooserOf(kind);
    if (!chooser)
        return nullptr;
    auto* window = new QWidget(this);
    QString name = QString::fromStdString(chooser->title) + "Window";
    name[0] = name[0].toLower();
    window->setObjectName(name);
    window->setWindowTitle(QString::fromStdString(chooser->title));
    auto* column = new QVBoxLayout(window);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    column->addWidget(new QLabel(window->windowTitle(), window));
    auto* grid = new QGridLayout;
    grid->setSpacing(3);
    const int columns = ChooserColumns(kind);
    int i = 0;
    for (int mode : chooser->modes) {
        const ToolForm* form = FindToolForm(mode);
        const QString tip = form ? QString::fromStdString(form->title) : QString::number(mode);
        grid->addWidget(buttons_.AddButton(mode, tip, window), i / columns, i % columns);
        ++i;
    }
    grid->setColumnStretch(columns, 1);
    column->addLayout(grid);
    column->addStretch(1);  // beside a taller window, the buttons stay at the top
    chooserPlaces_[kind]->addWidget(window);
    choosers_[kind] = window;
    return window;
}

ToolFormWidget* ToolWindows::CreateForm(int mode)
{
    if (ToolFormWidget* made = Form(mode))
        return made;
    const ToolForm* form = FindToolForm(mode);
    if (!form)
        return nullptr;
    auto* window = new ToolFormWidget(editor_, *form, this);
    window->setVisible(mode == shownMode_);
    slot_->addWidget(window);
    forms_[mode] = window;
    return window;
}

QWidget* ToolWindows::Chooser(StartupWindowKind kind) const
{
    auto it = choosers_.find(kind);
    return it == choosers_.end() ? nullptr : it->second;
}

ToolFormWidget* ToolWindows::Form(int mode) const
{
    auto it = forms_.find(mode);
    return it == forms_.end() ? nullptr : it->second;
}

ToolFormWidget* ToolWindows::Shown() const
{
    ToolFormWidget* form = Form(shownMode_);
    return form && !form->isHidden() ? form : nullptr;
}

void ToolWindows::ShowMode(int mode)
{
    shownMode_ = mode;
    // Hide first, so the slot never holds two windows at once.
    for (const auto& [formMode, form] : forms_)
        if (formMode != mode)
            form->hide();
    if (ToolFormWidget* form = Form(mode))
        form->show();
    // Lay the column out now rather than at the next turn of the event loop,
    // so that a picture taken straight away shows the new window in place.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

} // namespace corvid
