#include "app/MappingPanel.h"

#include "app/Editor.h"
#include "app/ObjectProperties.h"
#include "geometry/Primitives.h"
#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "platform/Texture.h"
#include "platform/ImageService.h"
#include "render/ObjectInfo.h"
#include "scene/Records.h"
#include "scene/SimpleShapes.h"
#include "scene/Ui.h"

#include <algorithm>

namespace corvid {

namespace {

enum PreviewShapeKind { kSphereShape, kCylinderShape, kCubeShape, kSquareShape };

PreviewShapeKind ShapeFor(int wrapType)
{
    switch (static_cast<WrapType>(wrapType)) {
    case WrapType::Cylinder:
        return kCylinderShape;
    case WrapType::Box:
        return kCubeShape;
    case WrapType::Flat:
    case WrapType::Sheet:
        return kSquareShape;
    default:
        return kSphereShape;
    }
}

// A checker picture, so the preview shows where the wrap puts the texture.
TexturePtr Checker()
{
    constexpr int kSide = 64, kSquare = 8;
    Image image;
    image.width = image.height = kSide;
    image.rgba.resize(static_cast<size_t>(kSide * kSide * 4));
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const uint8_t c = ((x / kSquare + y / kSquare) % 2) ? 230 : 60;
            uint8_t* p = &image.rgba[static_cast<size_t>((y * kSide + x) * 4)];
            p[0] = c;
            p[1] = c;
            p[2] = c;
            p[3] = 255;
        }
    return Texture::FromImage(std::move(image), "checker");
}

MeshBuilderPtr Shaped(PreviewShapeKind kind)
{
    MeshBuilderPtr mesh = kind == kSphereShape ? BuildUvSphere(1.0f, 16, 24) : MeshBuilder::Create();
    if (kind == kCylinderShape) {
        CylinderParameters p;
        p.segments = 24;
        BuildCylinder(*mesh, p);
    } else if (kind == kCubeShape) {
        BuildCube(*mesh, {});
    } else if (kind == kSquareShape) {
        SquareParameters p;
        p.nx = p.nz = 4;
        BuildSquare(*mesh, p);
    }
    // Centred on the preview frame, about two units across.
    const Box box = mesh->GetBox();
    if (!box.IsEmpty()) {
        const Vec3 c = box.Center();
        mesh->Translate(-c.x, -c.y, -c.z);
        const Vec3 size = box.Size();
        const float across = std::max({size.x, size.y, size.z});
        if (across > 0.0f)
            mesh->Scale(2.0f / across, 2.0f / across, 2.0f / across);
    }
    mesh->SetColorRGB(0.9f, 0.9f, 0.9f);
    mesh->SetQuality(kQualityGouraudLitSolid);
    return mesh;
}

std::string Text(float value)
{
    return FormatReal(value);
}

float Number(const std::string& text)
{
    return static_cast<float>(ReadFieldNumber(text));
}

} // namespace

MappingPanel::MappingPanel(Editor& editor) : editor_(editor)
{
    const TexturePtr checker = Checker();
    for (int k = kSphereShape; k <= kSquareShape; ++k) {
        shapes_[static_cast<size_t>(k)] = Shaped(static_cast<PreviewShapeKind>(k));
        shapes_[static_cast<size_t>(k)]->SetTexture(checker);
    }
}

WrapSettings& MappingPanel::settings() { return editor_.tools.mapping.Current(); }
const WrapSettings& MappingPanel::Settings() const { return editor_.tools.mapping.Current(); }
int MappingPanel::Preset() const { return editor_.tools.mapping.CurrentType(); }

std::array<std::string, 3> MappingPanel::Position() const
{
    const Vec3& o = Settings().origin;
    return {Text(o.x), Text(o.y), Text(o.z)};
}

std::array<std::string, 3> MappingPanel::Rotation() const
{
    const Vec3 a = OrientationToAngles(Settings().axisA, Settings().axisB);
    return {Text(a.x), Text(a.y), Text(a.z)};
}

std::array<std::string, 2> MappingPanel::Offset() const
{
    return {Text(Settings().ou), Text(Settings().ov)};
}

std::array<std::string, 2> MappingPanel::Scale() const
{
    return {Text(Settings().su), Text(Settings().sv)};
}

bool MappingPanel::AdaptiveScaleEnabled() const
{
    return AdaptiveScaleApplies(Settings().wrapType);
}

void MappingPanel::changed()
{
    LayPreview();
    editor_.ui().Notify(Notification::PanelsChanged);
}

void MappingPanel::ChoosePreset(int wrapType)
{
    if (!editor_.tools.mapping.ChoosePreset(wrapType))
        return;
    if (!AdaptiveScaleEnabled())
        settings().adaptiveScale = false;
    changed();
}

void MappingPanel::EditPosition(const std::array<std::string, 3>& texts)
{
    settings().origin = {Number(texts[0]), Number(texts[1]), Number(texts[2])};
    changed();
}

void MappingPanel::EditRotation(const std::array<std::string, 3>& texts)
{
    AnglesToOrientation({Number(texts[0]), Number(texts[1]), Number(texts[2])}, settings().axisA, settings().axisB);
    changed();
}

void MappingPanel::EditOffset(const std::array<std::string, 2>& texts)
{
    settings().ou = Number(texts[0]);
    settings().ov = Number(texts[1]);
    changed();
}

void MappingPanel::EditScale(const std::array<std::string, 2>& texts)
{
    settings().su = Number(texts[0]);
    settings().sv = Number(texts[1]);
    changed();
}

void MappingPanel::SetRelativeTo(int reference)
{
    if (reference < 0 || reference > static_cast<int>(MappingReference::Camera))
        return;
    settings().relativeTo = reference;
    changed();
}

void MappingPanel::SetAdaptiveScale(bool on)
{
    settings().adaptiveScale = on && AdaptiveScaleEnabled();
    changed();
}

void MappingPanel::SetAutoWrap(bool on)
{
    settings().autoWrap = on;
    changed();
}

bool MappingPanel::Apply()
{
    SceneModel& scene = editor_.scene;
    const MeshBuilderPtr mesh = scene.HasSelection() ? scene.CurrentVisual() : nullptr;
    if (!mesh || !RecordOf(mesh.get())) {
        editor_.ui().ShowMessage(kNoObjectSelected);
        return false;
    }
    if (!ApplyMapping(scene, Settings()))
        return false;
    if (editor_.tools.mappingGizmo.Shown() != GizmoShape::None)
        editor_.tools.mappingGizmo.Show(editor_.tools);
    editor_.views.RenderAllViews();
    return true;
}

void MappingPanel::SetPreviewFrames(const FramePtr& frame, const FramePtr& camera)
{
    previewFrame_ = frame;
    previewCamera_ = camera;
    LayPreview();
}

const MeshBuilderPtr& MappingPanel::PreviewShape() const
{
    return shapes_[static_cast<size_t>(ShapeFor(Settings().wrapType))];
}

bool MappingPanel::LayPreview()
{
    if (!previewFrame_)
        return false;
    const WrapSettings& s = Settings();
    const bool chrome = s.wrapType == static_cast<int>(WrapType::Chrome);
    const Frame* reference = chrome && previewCamera_ ? previewCamera_.get() : previewFrame_.get();
    std::shared_ptr<Wrap> wrap = CreateWrap(s, reference, s.su, s.sv);
    return wrap && wrap->ApplyRelative(*previewFrame_, *PreviewShape());
}

} // namespace corvid
