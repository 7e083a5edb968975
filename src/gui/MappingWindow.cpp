#include "gui/MappingWindow.h"

#include "app/Editor.h"
#include "gui/QtUi.h"
#include "gui/SamplerWidget.h"
#include "gui/ToolButtons.h"
#include "scene/Ui.h"
#include "tools/ToolMode.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvid {

namespace {

constexpr int kPreviewSize = 120;

template <size_t N>
std::array<std::string, N> Texts(const std::array<QLineEdit*, N>& fields)
{
    std::array<std::string, N> texts;
    for (size_t i = 0; i < N; ++i)
        texts[i] = fields[i]->text().toStdString();
    return texts;
}

template <size_t N>
void ShowTexts(const std::array<QLineEdit*, N>& fields, const std::array<std::string, N>& texts)
{
    for (size_t i = 0; i < N; ++i)
        if (!fields[i]->hasFocus() || !fields[i]->isModified())
            fields[i]->setText(QString::fromStdString(texts[i]));
}

} // namespace

MappingWindow::MappingWindow(Editor& editor, QtUi& ui, ToolButtons& buttons, QWidget* parent)
    : QWidget(parent)
    , editor_(editor)
    , model_(editor)
{
    setObjectName("textureMapping");
    auto* column = new QVBoxLayout(this);

    // The presets and the preview of the current one.
    auto* top = new QHBoxLayout;
    auto* presetGrid = new QGridLayout;
    presets_ = new QButtonGroup(this);
    presets_->setExclusive(true);
    const char* names[] = {"Flat", "Cylinder", "Sphere", "Chrome", "Sheet", "Box"};
    for (int t = 0; t < 6; ++t) {
        auto* button = new QPushButton(names[t], this);
        button->setObjectName(QString("preset") + names[t]);
        button->setCheckable(true);
        presets_->addButton(button, t);
        presetGrid->addWidget(button, t / 2, t % 2);
    }
    connect(presets_, &QButtonGroup::idClicked, this, [this](int type) {
        model_.ChoosePreset(type);
        preview_->SetPreviewShape(model_.PreviewShape());
        show();
    });
    top->addLayout(presetGrid);
    preview_ = new SamplerWidget(this);
    preview_->setObjectName("mappingPreview");
    preview_->setFixedSize(kPreviewSize, kPreviewSize);
    top->addWidget(preview_);
    column->addLayout(top);
    model_.SetPreviewFrames(preview_->SceneFrame(), preview_->CameraFrame());
    preview_->SetPreviewShape(model_.PreviewShape());

    auto* form = new QFormLayout;
    relativeTo_ = new QComboBox(this);
    relativeTo_->setObjectName("relativeTo");
    relativeTo_->addItems({"Object", "Scene", "Camera"});
    form->addRow("Relative to", relativeTo_);
    connect(relativeTo_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!refreshing_ && index >= 0)
            model_.SetRelativeTo(index);
        show();
    });
    auto fields = [&](const char* label, const char* name, auto& edits, auto edit) {
        auto* row = new QHBoxLayout;
        for (size_t i = 0; i < edits.size(); ++i) {
            auto* field = new QLineEdit(this);
            field->setObjectName(QString(name) + QString::number(i));
            field->setMaxLength(127);
            field->setMinimumWidth(44);
            row->addWidget(field);
            edits[i] = field;
            connect(field, &QLineEdit::editingFinished, this, [this, field, &edits, edit] {
                if (!field->isModified())
                    return;
                field->setModified(false);
                (model_.*edit)(Texts(edits));
                show();
            });
        }
        form->addRow(label, row);
    };
    fields("Position", "position", position_, &MappingPanel::EditPosition);
    fields("Rotation", "rotation", rotation_, &MappingPanel::EditRotation);
    fields("UV Offset", "offset", offset_, &MappingPanel::EditOffset);
    fields("UV Scale", "scale", scale_, &MappingPanel::EditScale);
    column->addLayout(form);

    adaptive_ = new QCheckBox("Adaptive Scale", this);
    adaptive_->setObjectName("adaptiveScale");
    autoWrap_ = new QCheckBox("Auto wrap", this);
    autoWrap_->setObjectName("autoWrap");
    auto* switches = new QHBoxLayout;
    switches->addWidget(adaptive_);
    switches->addWidget(autoWrap_);
    column->addLayout(switches);
    connect(adaptive_, &QCheckBox::toggled, this, [this](bool on) {
        if (!refreshing_)
            model_.SetAdaptiveScale(on);
        show();
    });
    connect(autoWrap_, &QCheckBox::toggled, this, [this](bool on) {
        if (!refreshing_)
            model_.SetAutoWrap(on);
        show();
    });

    // The mapping tools: a button each in the tool buttons' group. A tool
    // needs a mappable selection; without one the mode stays as it was.
    auto* toolRow = new QHBoxLayout;
    const char* toolNames[] = {"Move Map", "Turn Map", "Size Map"};
    for (int i = 0; i < 3; ++i) {
        const int mode = kModeMappingFirst + i;
        QToolButton* button = buttons.AddButton(mode, toolNames[i], this);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setFixedSize(64, 28);
        tools_[static_cast<size_t>(i)] = button;
        toolRow->addWidget(button);
        auto previous = std::make_shared<int>(0);
        connect(button, &QToolButton::pressed, this, [this, previous] { *previous = editor_.tools.mode; });
        connect(button, &QToolButton::clicked, this, [this, &buttons, previous, mode] {
            if (!editor_.tools.mappingGizmo.ChooseTool(editor_.tools, mode)) {
                editor_.tools.mode = *previous;
                buttons.ShowEditorMode();
            }
        });
    }
    toolRow->addStretch(1);
    column->addLayout(toolRow);
    // Another tool takes the gizmo away.
    connect(&buttons, &ToolButtons::ModeShown, this, [this](int mode) {
        if (mode < kModeMappingFirst || mode > kModeMappingLast)
            editor_.tools.mappingGizmo.Hide();
    });

    apply_ = new QPushButton("Apply", this);
    apply_->setObjectName("applyMapping");
    apply_->setToolTip("Lay this wrap on the selected object");
    column->addWidget(apply_, 0, Qt::AlignLeft);
    connect(apply_, &QPushButton::clicked, this, [this] { model_.Apply(); });
    column->addStretch(1);

    connect(&ui, &QtUi::Notified, this, [this](int what) {
        if (what == static_cast<int>(Notification::PanelsChanged))
            Refresh();
    });
    show();
}

QAbstractButton* MappingWindow::PresetButton(int wrapType) const
{
    return presets_->button(wrapType);
}

QToolButton* MappingWindow::ToolButton(int mode) const
{
    const int i = mode - kModeMappingFirst;
    return i >= 0 && i < 3 ? tools_[static_cast<size_t>(i)] : nullptr;
}

void MappingWindow::Refresh()
{
    show();
}

void MappingWindow::show()
{
    refreshing_ = true;
    if (QAbstractButton* button = presets_->button(model_.Preset()))
        button->setChecked(true);
    const WrapSettings& s = model_.Settings();
    relativeTo_->setCurrentIndex(s.relativeTo);
    ShowTexts(position_, model_.Position());
    ShowTexts(rotation_, model_.Rotation());
    ShowTexts(offset_, model_.Offset());
    ShowTexts(scale_, model_.Scale());
    adaptive_->setEnabled(model_.AdaptiveScaleEnabled());
    adaptive_->setChecked(s.adaptiveScale);
    autoWrap_->setChecked(s.autoWrap);
    refreshing_ = false;
    preview_->RenderSampler();
}

} // namespace corvid
