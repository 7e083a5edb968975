#pragma once
// The "Material" window: the paint material's diffuse, specular, ambient
// and emissive colours (swatches opening the colour dialog), power, alpha,
// the colour key with its colour, and the four painting switches, bound to
// the core's MaterialEditor. Every change dresses the sampler's preview
// shape again.

#include "materials/MaterialEditor.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QDoubleSpinBox;
class QToolButton;

namespace corvid {

class Editor;
class SamplerWidget;

class MaterialPanel final : public QWidget {
    Q_OBJECT
public:
    MaterialPanel(Editor& editor, SamplerWidget* sampler, QWidget* parent = nullptr);
    // Shows the paint material and the switches again (after a pick-up or
    // a slot chosen) and dresses the preview.
    void Refresh();

    MaterialEditor& Model() { return model_; }
    QToolButton* Swatch(PaintColour which) const { return swatches_[static_cast<size_t>(which)]; }
    QDoubleSpinBox* Power() const { return power_; }
    QDoubleSpinBox* Alpha() const { return alpha_; }
    QCheckBox* Switch(PaintSwitch which) const { return switches_[static_cast<size_t>(which)]; }
    QCheckBox* ColourKey() const { return colourKey_; }

private:
    void chooseColour(PaintColour which);
    void changed();

    Editor& editor_;
    SamplerWidget* sampler_;
    MaterialEditor model_;
    std::array<QToolButton*, 5> swatches_{};
    std::array<QCheckBox*, 4> switches_{};
    QDoubleSpinBox* power_ = nullptr;
    QDoubleSpinBox* alpha_ = nullptr;
    QCheckBox* colourKey_ = nullptr;
    bool showing_ = false;
};

} // namespace corvid
