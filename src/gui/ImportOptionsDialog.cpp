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
#include <QVBoxLayout>

#include <initializer_list>
#include <string_view>

namespace corvid {

namespace {

bool IsOneOf(std::string_view type, std::initializer_list<std::string_view> types)
{
    for (std::string_view t : types)
        if (type == t)
            return true;
    return false;
}

void SetBox(QCheckBox* box, bool enabled, bool checked)
{
    box->setEnabled(enabled);
    box->setChecked(checked);
}

} // namespace

ImportOptionsDialog::ImportOptionsDialog(const ImportDialogRequest& request, QWidget* parent)
    : QDialog(parent)
    , exporting_(request.exporting)
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

    // Textures come with materials; an explicit scale only without the
    // automatic one.
    connect(materials_, &QCheckBox::toggled, this, [this](bool on) {
        if (!on)
            textures_->setChecked(false);
        textures_->setEnabled(on);
    });
    connect(scaleToViewport_, &QCheckBox::toggled, this, [this](bool on) { scale_->setEnabled(!on); });

    setUpFor(request);
}

void ImportOptionsDialog::setUpFor(const ImportDialogRequest& request)
{
    const std::string_view type = request.fileType;
    const bool scene = type == "*.cvd";

    replace_->setChecked(true);
    (type == "*.cob" ? clockwise_ : counterClockwise_)->setChecked(true);
    clockwise_->setEnabled(!scene);
    counterClockwise_->setEnabled(!scene);

    const bool materials = type != "*.dxf";
    const bool textures = IsOneOf(type, {"*.cob", "*.cvd", "*.wrl", "*.3ds", "*.prj"});
    const bool lights = IsOneOf(type, {"*.cvd", "*.wrl", "*.3ds", "*.prj"});
    const bool sceneParts = IsOneOf(type, {"*.cvd", "*.wrl"});
    // Set the materials box first: its toggle handler governs the textures box.
    SetBox(materials_, materials, materials);
    SetBox(textures_, textures, textures);
    SetBox(lights_, lights, lights);
    for (QCheckBox* box : {animation_, cameras_, fog_, background_})
        SetBox(box, sceneParts, sceneParts);
    SetBox(lastPicked_, false, false);
    SetBox(scaleToViewport_, !scene, !scene);
    scale_->setValue(1.0);
    scale_->setEnabled(false);

    if (request.exporting) {
        for (QRadioButton* button : {replace_, merge_, clockwise_, counterClockwise_})
            button->setEnabled(false);
        lastPicked_->setEnabled(true);
        if (type == "*.wrl") {
            SetBox(materials_, true, true);
            SetBox(textures_, false, true);
        }
    }
}

ImportDialogResult ImportOptionsDialog::Result() const
{
    ImportDialogResult result;
    ImportOptions& o = result.options;
    o.winding = counterClockwise_->isChecked() ? 1 : 0;
    o.scale = static_cast<float>(scale_->value());
    o.scaleToViewport = scaleToViewport_->isChecked();
    o.addAnimation = animation_->isChecked();
    o.addMaterials = materials_->isChecked();
    o.addTextures = textures_->isChecked();
    o.addLights = lights_->isChecked();
    o.addCameras = cameras_->isChecked();
    o.addFog = fog_->isChecked();
    o.addBackground = background_->isChecked();
    o.lastPickedOnly = exporting_ && lastPicked_->isChecked();
    result.replaceScene = replace_->isChecked();
    return result;
}

} // namespace corvid
