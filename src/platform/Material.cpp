#include "platform/Material.h"

namespace corvid {

MaterialPtr Material::Create(float power)
{
    auto material = std::make_shared<Material>();
    material->power_ = power;
    return material;
}

MaterialPtr Material::Clone() const
{
    return std::make_shared<Material>(*this);
}

} // namespace corvid
