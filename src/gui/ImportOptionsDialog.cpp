#include "gui/ImportOptionsDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QLocale>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace corvid {

namespace {

void Show(QAbstractButton* button, const DialogControl& control)
{
    const QSignalBlocker quiet(button);
    button->setEnabled(control.enabled);
    button->setChecked(control.checked);
}

} // namespace

ImportOptionsDialog::ImportOptionsDialog(const ImportDialogRequest& request, QWidget* parent)
    : QDialog(parent)
    , model_(ImportDialogModel::For(request))
{
    setWindowTitle(request.exporting ? "Export" : "Import");

    heading_ = new QLabel(QString::fromStdString(request.fileName), this);
    heading_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* sceneGroup = new QGroupBox(this);
    replace_ = new QRadioButton("Replace scene", sceneGroup);
    merge_ = new QRadioButton("Merge to scene", sceneGroup);
    auto* sceneLayout = new QVBoxLayout(sceneGroup);
    sceneLayout->addWidget(replace_);
    sceneLayout->addWidget(merge_);

    auto* windingGroup = new QGroupBox(this);
    clockwise_ = new QRadioButton("Clockwise", windingGroup);
    counterClockwise_ = new QRadioButton("Counter-Clockwise", windingGroup);
    auto* windingLayout = new QVBoxLayout(windingGroup);
    windingLayout->addWidget(clockwise_);
    windingLayout->addWidget(counterClockwise_);

    scaleToViewport_ = new QCheckBox("Scale to viewport", this);
    scale_ = new QDoubleSpinBox(this);
    // Numbers read the same whatever the person's locale.
    scale_->setLocale(QLocale::c());
    scale_->setRange(0.0, 10000.0);
    scale_->setDecimals(3);
    scale_->setSingleStep(0.1);
    scale_->setValue(1.0);
    animation_ = new QCheckBox("Add Animation", this);
    materials_ = new QCheckBox("Add Materials", this);
    textures_ = new QCheckBox("Add Textures", this);
    lights_ = new QCheckBox("Add lights", this);
    cameras_ = new QCheckBox("Add Cameras", this);
    fog_ = new QCheckBox("Add Fog", this);
    background_ = new QCheckBox("Add Background", this);
    lastPicked_ = new QCheckBox("Last picked object.", this);

    auto* boxes = new QGridLayout;
    boxes->addWidget(materials_, 0, 0);
    boxes->addWidget(textures_, 1, 0);
    boxes->addWidget(lights_, 2, 0);
    boxes->addWidget(cameras_, 3, 0);
    boxes->addWidget(animation_, 0, 1);
    boxes->addWidget(fog_, 1, 1);
    boxes->addWidget(background_, 2, 1);
    boxes->addWidget(lastPicked_, 3, 1);

    auto* scaleRow = new QHBoxLayout;
    scaleRow->addWidget(scaleToViewport_);
    scaleRow->addStretch(1);
    scaleRow->addWidget(scale_);

    auto* radios = new QHBoxLayout;
    radios->addWidget(sceneGroup);
    radios->addWidget(windingGroup);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addLayout(radios);
    layout->addLayout(scaleRow);
    layout->addLayout(boxes);
    layout->addWidget(buttons);

    // Every click goes through the model, which keeps the rules between
    // the controls; the controls then show the model again.
    auto on = [this](QAbstractButton* button, auto change) {
        connect(button, &QAbstractButton::clicked, this, [this, change] {
            change(model_);
            showModel();
        });
    };
    on(replace_, [](ImportDialogModel& m) { m.ChooseReplace(true); });
    on(merge_, [](ImportDialogModel& m) { m.ChooseReplace(false); });
    on(clockwise_, [](ImportDialogModel& m) { m.ChooseWinding(false); });
    on(counterClockwise_, [](ImportDialogModel& m) { m.ChooseWinding(true); });
    on(scaleToViewport_, [](ImportDialogModel& m) { m.ToggleScaleToViewport(); });
    on(materials_, [](ImportDialogModel& m) { m.ToggleMaterials(); });
    on(textures_, [](ImportDialogModel& m) { ImportDialogModel::Toggle(m.textures); });
    on(lights_, [](ImportDialogModel& m) { ImportDialogModel::Toggle(m.lights); });
    on(cameras_, [](ImportDialogModel& m) { ImportDialogModel::Toggle(m.cameras); });
    on(animation_, [](ImportDialogModel& m) { ImportDialogModel::Toggle(m.animation); });
    on(fog_, [](ImportDialogModel& m) { ImportDialogModel::Toggle(m.fog); });
    on(background_, [](ImportDialogModel& m) { ImportDialogModel::Toggle(m.background); });
    on(lastPicked_, [](ImportDialogModel& m) { ImportDialogModel::Toggle(m.lastPicked); });
    connect(scale_, &QDoubleSpinBox::valueChanged, this,
            [this](double value) { model_.SetScale(static_cast<float>(value)); });
    showModel();
}

void ImportOptionsDialog::showModel()
{
    Show(replace_, model_.replace);
    Show(merge_, model_.merge);
    Show(clockwise_, model_.clockwise);
    Show(counterClockwise_, model_.counterClockwise);
    Show(scaleToViewport_, model_.scaleToViewport);
    Show(animation_, model_.animation);
    Show(materials_, model_.materials);
    Show(textures_, model_.textures);
    Show(lights_, model_.lights);
    Show(cameras_, model_.cameras);
    Show(fog_, model_.fog);
    Show(background_, model_.background);
    Show(lastPicked_, model_.lastPicked);
    const QSignalBlocker quiet(scale_);
    scale_->setEnabled(model_.scaleEnabled);
    scale_->setValue(model_.scale);
}

ImportDialogResult ImportOptionsDialog::Result() const
{
    return model_.Result();
}

} // namespace corvid
