#include "app/LightProperties.h"

#include "anim/Animation.h"
#include "app/Editor.h"
#include "app/ObjectProperties.h"
#include "render/ObjectInfo.h"
#include "scene/EditParts.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace corvid {

namespace {

// One change of the picked light, as every control makes it: the start key
// and the key at the current frame around it while animating, one step.
void ChangeLight(Editor& editor, const LightPtr& light, LightProperty property, const char* name,
            const std::function<void()>& apply)
{
    Animation& animation = editor.animation;
    {
        EditStep step(editor.scene.History(), name);
        editor.scene.History().Touch<LightAspect>(light);
        animation.BeforeLightChange(light, property);
        apply();
        animation.AfterLightChange(light, property);
    }
    editor.views.RenderAllViews();
}

} // namespace

const char* LightWindowTitle(LightType type)
{
    switch (type) {
    case LightType::Ambient:
        return "Ambient Light Info";
    case LightType::Point:
        return "Point Light Info";
    case LightType::ParallelPoint:
        return "Parallel Light Info";
    case LightType::Directional:
        return "Directional Light Info";
    case LightType::Spot:
        return "Spot Light Info";
    }
    return "Point Light Info";
}

LightPtr LightProperties::pickedLight() const
{
    const SceneModel& scene = editor_.scene;
    return scene.HasSelection() ? scene.PickedLight() : nullptr;
}

void LightProperties::Refresh()
{
    const LightPtr light = pickedLight();
    hasLight_ = light != nullptr;
    if (!light)
        return;
    type_ = light->GetType();
    const ColorRGBA c = light->GetColor();
    auto byte = [](float v) { return std::clamp(static_cast<int>(std::lround(v * 255.0f)), 0, 255); };
    color_ = {byte(c.r), byte(c.g), byte(c.b)};
    // The term that carries the attenuation names the mode.
    const float constant = light->GetConstantAttenuation();
    const float linear = light->GetLinearAttenuation();
    const float quadratic = light->GetQuadraticAttenuation();
    mode_ = quadratic != 0.0f && constant == 0.0f && linear == 0.0f ? AttenuationMode::Quadratic
            : linear != 0.0f && constant == 0.0f                  ? AttenuationMode::Linear
                                                                  : AttenuationMode::Constant;
    factor_ = FormatReal(constant + linear + quadratic);
    range_ = FormatReal(light->GetRange());
    umbra_ = FormatReal(light->GetUmbra());
    penumbra_ = FormatReal(light->GetPenumbra());
}

void LightProperties::SetColorChannel(int channel, int value)
{
    if (channel < 0 || channel > 2)
        return;
    color_[static_cast<size_t>(channel)] = std::clamp(value, 0, 255);
    const LightPtr light = pickedLight();
    if (!light)
        return;
    ChangeLight(editor_, light, LightProperty::Color, "Set Light Colour", [&] {
        light->SetColorRGB(static_cast<float>(color_[0]) / 255.0f, static_cast<float>(color_[1]) / 255.0f,
                           static_cast<float>(color_[2]) / 255.0f);
    });
}

void LightProperties::SetColor(int red, int green, int blue)
{
    SetColorChannel(0, red);
    SetColorChannel(1, green);
    SetColorChannel(2, blue);
}

void LightProperties::applyAttenuation(const LightPtr& light, float factor)
{
    light->SetConstantAttenuation(mode_ == AttenuationMode::Constant ? factor : 0.0f);
    light->SetLinearAttenuation(mode_ == AttenuationMode::Linear ? factor : 0.0f);
    light->SetQuadraticAttenuation(mode_ == AttenuationMode::Quadratic ? factor : 0.0f);
}

void LightProperties::SetMode(AttenuationMode mode)
{
    mode_ = mode;
    const LightPtr light = pickedLight();
    if (!light)
        return;
    const float factor =
        light->GetConstantAttenuation() + light->GetLinearAttenuation() + light->GetQuadraticAttenuation();
    factor_ = FormatReal(factor);
    ChangeLight(editor_, light, LightProperty::Attenuation, "Set Attenuation", [&] { applyAttenuation(light, factor); });
}

void LightProperties::EnterFactor(const std::string& text)
{
    const float factor = static_cast<float>(ReadFieldNumber(text));
    factor_ = FormatReal(factor);
    const LightPtr light = pickedLight();
    if (!light)
        return;
    ChangeLight(editor_, light, LightProperty::Attenuation, "Set Attenuation", [&] { applyAttenuation(light, factor); });
}

void LightProperties::EnterRange(const std::string& text)
{
    const float range = static_cast<float>(ReadFieldNumber(text));
    range_ = FormatReal(range);
    if (const LightPtr light = pickedLight())
        ChangeLight(editor_, light, LightProperty::Range, "Set Falloff Distance", [&] { light->SetRange(range); });
}

void LightProperties::EnterUmbra(const std::string& text)
{
    const float umbra = static_cast<float>(ReadFieldNumber(text));
    umbra_ = FormatReal(umbra);
    if (const LightPtr light = pickedLight())
        ChangeLight(editor_, light, LightProperty::Umbra, "Set Umbra", [&] { light->SetUmbra(umbra); });
}

void LightProperties::EnterPenumbra(const std::string& text)
{
    const float penumbra = static_cast<float>(ReadFieldNumber(text));
    penumbra_ = FormatReal(penumbra);
    if (const LightPtr light = pickedLight())
        ChangeLight(editor_, light, LightProperty::Penumbra, "Set Penumbra", [&] { light->SetPenumbra(penumbra); });
}

} // namespace corvid
