#pragma once
// A surface material: specular power and the specular, emissive and ambient
// colours. The diffuse colour comes from the face or vertex colour.

#include "platform/AppData.h"
#include "platform/Fwd.h"
#include "platform/Math.h"

namespace corvid {

class Material : public HasAppData {
public:
    static MaterialPtr Create(float power);

    float GetPower() const { return power_; }
    void SetPower(float p) { power_ = p; }
    Vec3 GetSpecular() const { return specular_; }
    void SetSpecular(float r, float g, float b) { specular_ = {r, g, b}; }
    Vec3 GetEmissive() const { return emissive_; }
    void SetEmissive(float r, float g, float b) { emissive_ = {r, g, b}; }
    Vec3 GetAmbient() const { return ambient_; }
    void SetAmbient(float r, float g, float b) { ambient_ = {r, g, b}; }

    MaterialPtr Clone() const;

private:
    float power_ = 5.0f;
    Vec3 specular_;
    Vec3 emissive_;
    Vec3 ambient_;
};

} // namespace corvid
