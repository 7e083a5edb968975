#pragma once
// A light object: its type, colour, attenuation and spot cone. Lights are
// attached to frames, which place and aim them (a light shines along its
// frame's z axis).

#include "platform/AppData.h"
#include "platform/Fwd.h"
#include "platform/Math.h"

namespace corvid {

enum class LightType { Ambient = 0, Point = 1, Spot = 2, Directional = 3, ParallelPoint = 4 };

class Light : public HasAppData {
public:
    static LightPtr Create(LightType type, float r, float g, float b);

    LightType GetType() const { return type_; }
    void SetType(LightType type) { type_ = type; }
    ColorRGBA GetColor() const { return color_; }
    void SetColorRGB(float r, float g, float b) { color_ = {r, g, b, 1.0f}; }

    float GetConstantAttenuation() const { return constant_; }
    float GetLinearAttenuation() const { return linear_; }
    float GetQuadraticAttenuation() const { return quadratic_; }
    void SetConstantAttenuation(float v) { constant_ = v; }
    void SetLinearAttenuation(float v) { linear_ = v; }
    void SetQuadraticAttenuation(float v) { quadratic_ = v; }

    // Distance beyond which the light has no effect (point and spot lights).
    float GetRange() const { return range_; }
    void SetRange(float v) { range_ = v; }
    // Spot cone angles in radians: full intensity inside the umbra, falling
    // to nothing at the penumbra.
    float GetUmbra() const { return umbra_; }
    float GetPenumbra() const { return penumbra_; }
    void SetUmbra(float v) { umbra_ = v; }
    void SetPenumbra(float v) { penumbra_ = v; }

    // A new light with the same type, colour and parameters (no record).
    LightPtr Clone() const;

private:
    LightType type_ = LightType::Point;
    ColorRGBA color_;
    float constant_ = 1.0f;
    float linear_ = 0.0f;
    float quadratic_ = 0.0f;
    float range_ = 256.0f;
    float umbra_ = 0.4f;
    float penumbra_ = 0.5f;
};

} // namespace corvid
