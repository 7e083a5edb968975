#include "gui/MaterialPanel.h"

#include "app/Editor.h"
#include "gui/SamplerWidget.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QSignalBlocker>
#include <QToolButton>

#include <cmath>

namespace corvid {

namespace {

QColor ToQColor(const ColorRGBA& c)
{
    return QColor::fromRgbF(static_cast<float>(c.r), static_cast<float>(c.g), static_cast<float>(c.b));
}

QIcon SwatchIcon(const QColor& colour)
{
    QPixmap pixmap(28, 14);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

} // namespace

MaterialPanel::MaterialPanel(Editor& editor, SamplerWidget* sampler, QWidget* parent)
    : QWidget(parent), editor_(editor), sampler_(sampler), model_(editor.tools.paint)
{
    setObjectName("materialPanel");
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);
    const struct {
        PaintColour which;
        const char* label;
        const char* name;
    } colours[] = {
        {PaintColour::Diffuse, "Diffuse", "diffuseSwatch"},
        {PaintColour::Specular, "Specular", "specularSwatch"},
        {PaintColour::Ambient, "Ambient", "ambientSwatch"},
        {PaintColour::Emissive, "Emissive", "emissiveSwatch"},
    };
    int row = 0;
    for (const auto& c : colours) {
        auto* swatch = new QToolButton(this);
        swatch->setObjectName(c.name);
        swatch->setToolTip(QString(c.label) + " colour");
        connect(swatch, &QToolButton::clicked, this, [this, which = c.which] { chooseColour(which); });
        swatches_[static_cast<size_t>(c.which)] = swatch;
        grid->addWidget(new QLabel(c.label, this), row, 0);
        grid->addWidget(swatch, row, 1);
        ++row;
    }
    power_ = new QDoubleSpinBox(this);
    power_->setObjectName("powerField");
    power_->setRange(0.0, 10000.0);
    power_->setDecimals(1);
    connect(power_, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        if (showing_)
            return;
        model_.SetPower(static_cast<float>(v));
        changed();
    });
    alpha_ = new QDoubleSpinBox(this);
    alpha_->setObjectName("alphaField");
    alpha_->setRange(0.0, 1.0);
    alpha_->setSingleStep(0.05);
    alpha_->setDecimals(2);
    connect(alpha_, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        if (showing_)
            return;
        model_.SetAlpha(static_cast<float>(v));
        changed();
    });
    grid->addWidget(new QLabel("Power", this), row, 0);
    grid->addWidget(power_, row, 1);
    ++row;
    grid->addWidget(new QLabel("Alpha", this), row, 0);
    grid->addWidget(alpha_, row, 1);
    ++row;

    colourKey_ = new QCheckBox("Colour key", this);
    colourKey_->setObjectName("materialColourKey");
    connect(colourKey_, &QCheckBox::toggled, this, [this](bool on) {
        if (showing_)
            return;
        editor_.textureSlots.SetColourKey(on);
        changed();
    });
    auto* keySwatch = new QToolButton(this);
    keySwatch->setObjectName("colourKeySwatch");
    keySwatch->setToolTip("Colour key colour");
    connect(keySwatch, &QToolButton::clicked, this, [this] { chooseColour(PaintColour::ColourKey); });
    swatches_[static_cast<size_t>(PaintColour::ColourKey)] = keySwatch;
    grid->addWidget(colourKey_, row, 0);
    grid->addWidget(keySwatch, row, 1);
    ++row;

    const struct {
        PaintSwitch which;
        const char* label;
        const char* name;
    } switches[] = {
        {PaintSwitch::Map, "Map", "mapSwitch"},
        {PaintSwitch::Colour, "Colour", "colourSwitch"},
        {PaintSwitch::Texture, "Texture", "textureSwitch"},
        {PaintSwitch::Material, "Material", "materialSwitch"},
    };
    int i = 0;
    for (const auto& s : switches) {
        auto* box = new QCheckBox(s.label, this);
        box->setObjectName(s.name);
        connect(box, &QCheckBox::toggled, this, [this, which = s.which](bool on) {
            if (showing_)
                return;
            model_.SetSwitch(which, on);
            changed();
        });
        switches_[static_cast<size_t>(s.which)] = box;
        grid->addWidget(box, row + i / 2, i % 2);
        ++i;
    }
    grid->setColumnStretch(2, 1);
    Refresh();
}

void MaterialPanel::chooseColour(PaintColour which)
{
    const QColor chosen = QColorDialog::getColor(ToQColor(model_.Colour(which)), this);
    if (!chosen.isValid())
        return;
    model_.SetColour(which, static_cast<float>(chosen.redF()), static_cast<float>(chosen.greenF()),
                     static_cast<float>(chosen.blueF()));
    changed();
}

void MaterialPanel::changed()
{
    Refresh();
}

void MaterialPanel::Refresh()
{
    showing_ = true;
    for (PaintColour which : {PaintColour::Diffuse, PaintColour::Specular, PaintColour::Ambient, PaintColour::Emissive,
                              PaintColour::ColourKey})
        Swatch(which)->setIcon(SwatchIcon(ToQColor(model_.Colour(which))));
    power_->setValue(model_.Power());
    alpha_->setValue(model_.Alpha());
    colourKey_->setChecked(editor_.textureSlots.ColourKey());
    for (PaintSwitch which : {PaintSwitch::Map, PaintSwitch::Colour, PaintSwitch::Texture, PaintSwitch::Material})
        Switch(which)->setChecked(model_.Switch(which));
    showing_ = false;
    if (sampler_ && sampler_->PreviewShape()) {
        model_.DressPreview(*sampler_->PreviewShape());
        sampler_->RenderSampler();
    }
}

} // namespace corvid
