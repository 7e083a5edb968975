#include "scene/Shadow.h"

#include "platform/Frame.h"
#include "platform/Light.h"
#include "platform/MeshBuilder.h"
#include "scene/SceneModel.h"
#include "scene/EditParts.h"
#include "scene/Records.h"
#include "scene/Ui.h"

#include <algorithm>

namespace corvid {

namespace {

constexpr float kMaxStretch = 100.0f;

} // namespace

std::optional<Vec3> ProjectOntoShadowPlane(const ShadowCaster& caster, const Vec3& p)
{
    const float h = kShadowPlaneHeight;
    if (caster.parallel) {
        const Vec3& d = caster.direction;
        if (!(d.y < -1e-6f))
            return std::nullopt;
        return p - d * ((p.y - h) / d.y);
    }
    const Vec3& light = caster.position;
    float height = light.y - h;
    if (!(height > 0.0f))
        return std::nullopt;
    float below = std::max(light.y - p.y, height / kMaxStretch);
    return light + (p - light) * (height / below);
}

MeshBuilderPtr SceneModel::CastShadow(const Frame& lightFrame, const Light& light, FramePtr object,
                                  MeshBuilderPtr visual)
{
    if (!object || !visual || !RecordOf(object.get()))
        return nullptr;
    const auto& visuals = object->GetVisuals();
    if (std::find(visuals.begin(), visuals.end(), visual) == visuals.end())
        return nullptr;

    const Frame* scene = scene_.get();
    Matrix4 toScene = object->GetTransform(scene);
    Matrix4 fromScene = toScene.Inverse();
    ShadowCaster caster;
    Vec3 lightPosition = lightFrame.GetPosition(scene);
    switch (light.GetType()) {
    case LightType::Ambient:
        return nullptr;
    case LightType::Point:
    case LightType::Spot:
        caster.position = lightPosition;
        break;
    case LightType::Directional: {
        Vec3 up;
        lightFrame.GetOrientation(scene, caster.direction, up);
        caster.parallel = true;
        break;
    }
    case LightType::ParallelPoint:
        caster.direction = toScene.GetTranslation() - lightPosition;
        caster.parallel = true;
        break;
    }

    MeshBuilderPtr shadow = visual->Clone();
    for (int i = 0; i < shadow->GetVertexCount(); ++i) {
        Vec3 v;
        shadow->GetVertex(i, v);
        auto onPlane = ProjectOntoShadowPlane(caster, toScene.TransformPoint(v));
        if (!onPlane)
            return nullptr;
        shadow->SetVertex(i, fromScene.TransformPoint(*onPlane));
    }
    shadow->SetMaterial(nullptr);
    shadow->SetTexture(nullptr);
    shadow->SetColorSource(ColorSource::Face);
    shadow->SetColorRGB(0.1f, 0.1f, 0.1f);
    shadow->SetQuality(kShadeFlat | kLightOff | kFillSolid);
    shadow->GenerateNormals(0.0f, 0);
    auto record = std::make_unique<MeshRecord>();
    record->owner = object;
    AttachRecord(*shadow, std::move(record));
    EditStep step(history_, "Cast Shadow on " + RecordOf(object.get())->name);
    history_.Touch<ContentsAspect>(object);
    object->AddVisual(shadow);
    return shadow;
}

} // namespace corvid
