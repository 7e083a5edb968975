#include "platform/Light.h"

namespace corvid {

LightPtr Light::Create(LightType type, float r, float g, float b)
{
    auto light = std::make_shared<Light>();
    light->type_ = type;
    light->SetColorRGB(r, g, b);
    return light;
}

LightPtr Light::Clone() const
{
    return std::make_shared<Light>(*this);
}

} // namespace corvid
