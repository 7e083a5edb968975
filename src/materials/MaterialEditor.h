#pragma once
// The material window's model: the paint material's colours, power and
// alpha, its colour-key colour and the four painting switches, as the window
// shows and edits them, and the preview shape dressed in them. Every change
// of a paint value means the next paint makes a new record.

#include "materials/PaintState.h"
#include "platform/Fwd.h"
#include "platform/Math.h"

namespace corvid {

enum class PaintColour { Diffuse, Specular, Ambient, Emissive, ColourKey };
enum class PaintSwitch { Map, Colour, Texture, Material };

class MaterialEditor {
public:
    explicit MaterialEditor(PaintState& paint) : paint_(paint) {}

    // Channels 0..1. A value that is not a number leaves the channel as it
    // was; others are held to 0..1. The colour key's colour is also the
    // paint texture's transparent colour.
    ColorRGBA Colour(PaintColour which) const;
    void SetColour(PaintColour which, float r, float g, float b);
    // 0 and up; a value that is not a finite number is refused.
    float Power() const { return paint_.paintMaterial.power; }
    void SetPower(float power);
    // 0 (clear) to 1 (opaque), held to that range; not a number is refused.
    float Alpha() const { return paint_.paintMaterial.alpha; }
    void SetAlpha(float alpha);
    // What the window's transparency shows: 100 - alpha x 100, truncated.
    int TransparencyPercent() const;

    bool Switch(PaintSwitch which) const;
    void SetSwitch(PaintSwitch which, bool on);

    // The swatch: the diffuse colour with alpha, as a face painted now gets it.
    uint32_t SwatchColor() const;

    // Dresses the preview shape: the paint colour, a material with the paint
    // power, specular, emissive and ambient colours, and the paint texture
    // while the texture panel offers it.
    void DressPreview(MeshBuilder& shape) const;

private:
    float* channels(PaintColour which);
    const float* channels(PaintColour which) const;

    PaintState& paint_;
};

} // namespace corvid
