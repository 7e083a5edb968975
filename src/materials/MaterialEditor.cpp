#include "materials/MaterialEditor.h"

#include "materials/Painting.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "platform/Texture.h"

#include <algorithm>
#include <cmath>

namespace corvid {

const float* MaterialEditor::channels(PaintColour which) const
{
    const MaterialRecord& p = paint_.paintMaterial;
    switch (which) {
    case PaintColour::Diffuse:
        return p.diffuse;
    case PaintColour::Specular:
        return p.specular;
    case PaintColour::Ambient:
        return p.ambient;
    case PaintColour::Emissive:
        return p.emissive;
    case PaintColour::ColourKey:
        break;
    }
    return p.colorKeyRGB;
}

float* MaterialEditor::channels(PaintColour which)
{
    return const_cast<float*>(static_cast<const MaterialEditor&>(*this).channels(which));
}

ColorRGBA MaterialEditor::Colour(PaintColour which) const
{
    const float* c = channels(which);
    return {c[0], c[1], c[2], 1.0f};
}

void MaterialEditor::SetColour(PaintColour which, float r, float g, float b)
{
    float* c = channels(which);
    const float values[3] = {r, g, b};
    for (int i = 0; i < 3; ++i)
        if (!std::isnan(values[i]))
            c[i] = std::clamp(values[i], 0.0f, 1.0f);
    if (which == PaintColour::ColourKey && paint_.paintTexture)
        paint_.paintTexture->SetDecalTransparentColor(MakeARGB(c[0], c[1], c[2]));
    paint_.Changed();
}

void MaterialEditor::SetPower(float power)
{
    if (!std::isfinite(power))
        return;
    paint_.paintMaterial.power = std::max(power, 0.0f);
    paint_.Changed();
}

void MaterialEditor::SetAlpha(float alpha)
{
    if (std::isnan(alpha))
        return;
    paint_.paintMaterial.alpha = std::clamp(alpha, 0.0f, 1.0f);
    paint_.Changed();
}

int MaterialEditor::TransparencyPercent() const
{
    return static_cast<int>(100.0f - paint_.paintMaterial.alpha * 100.0f);
}

bool MaterialEditor::Switch(PaintSwitch which) const
{
    switch (which) {
    case PaintSwitch::Map:
        return paint_.mapSwitch;
    case PaintSwitch::Colour:
        return paint_.colourSwitch;
    case PaintSwitch::Texture:
        return paint_.textureSwitch;
    case PaintSwitch::Material:
        break;
    }
    return paint_.materialSwitch;
}

void MaterialEditor::SetSwitch(PaintSwitch which, bool on)
{
    switch (which) {
    case PaintSwitch::Map:
        paint_.mapSwitch = on;
        break;
    case PaintSwitch::Colour:
        paint_.colourSwitch = on;
        break;
    case PaintSwitch::Texture:
        paint_.textureSwitch = on;
        break;
    case PaintSwitch::Material:
        paint_.materialSwitch = on;
        break;
    }
    // What a record holds depends on the switches.
    paint_.Changed();
}

uint32_t MaterialEditor::SwatchColor() const
{
    return PaintColor(paint_.paintMaterial);
}

void MaterialEditor::DressPreview(MeshBuilder& shape) const
{
    const MaterialRecord& p = paint_.paintMaterial;
    shape.SetMaterial(NewPaintMaterial(p));
    shape.SetColor(SwatchColor());
    shape.SetTexture(paint_.textureEnabled ? paint_.paintTexture : nullptr);
}

} // namespace corvid
