#include "scene/MoveBehaviours.h"

#include "platform/Frame.h"
#include "platform/MeshBuilder.h"
#include "platform/Wrap.h"
#include "scene/Records.h"
#include "scene/SceneContext.h"

namespace corvid {

const char* const kLookAtCallbackTag = "look-at";
const char* const kLiveWrapCallbackTag = "live-wrap";

void InstallLookAt(Frame& frame, const std::shared_ptr<SceneContext>& context)
{
    frame.DeleteMoveCallback(kLookAtCallbackTag);
    std::weak_ptr<SceneContext> weak = context;
    frame.AddMoveCallback(kLookAtCallbackTag, [weak](Frame& moved, float delta) {
        if (delta != kRenderMoveDelta)
            return;
        auto ctx = weak.lock();
        ObjectRecord* record = RecordOf(&moved);
        if (!ctx || !record || !record->looksAt)
            return;
        if (FramePtr target = record->lookTarget.lock())
            moved.LookAt(*target, ctx->scene.get());
    });
}

void RemoveLookAt(Frame& frame)
{
    frame.DeleteMoveCallback(kLookAtCallbackTag);
}

bool ApplyRecordWrap(Frame& frame, MeshBuilder& mesh, const MeshRecord& record, const SceneContext& context)
{
    const Frame* reference = &frame;
    if (record.wrapReference == static_cast<int32_t>(WrapReference::Scene))
        reference = context.scene.get();
    else if (record.wrapReference != static_cast<int32_t>(WrapReference::Object))
        reference = context.activeCamera ? context.activeCamera.get() : context.scene.get();

    if (record.wrapType < 0 || record.wrapType > static_cast<int32_t>(WrapType::Box))
        return false;
    auto type = static_cast<WrapType>(record.wrapType);
    const auto& w = record.wrap;
    Vec3 origin{w[0], w[1], w[2]};
    Vec3 direction{w[3], w[4], w[5]};
    Vec3 up{w[6], w[7], w[8]};
    // The curved wraps keep their axes the other way round in the record.
    if (type == WrapType::Cylinder || type == WrapType::Sphere || type == WrapType::Chrome)
        std::swap(direction, up);
    auto wrap = Wrap::Create(type, reference, origin, direction, up, w[9], w[10], w[11], w[12]);
    return wrap && wrap->ApplyRelative(frame, mesh);
}

void InstallLiveWrap(Frame& frame, const std::shared_ptr<SceneContext>& context)
{
    frame.DeleteMoveCallback(kLiveWrapCallbackTag);
    std::weak_ptr<SceneContext> weak = context;
    frame.AddMoveCallback(kLiveWrapCallbackTag, [weak](Frame& moved, float delta) {
        if (delta != kRenderMoveDelta)
            return;
        auto ctx = weak.lock();
        if (!ctx || moved.GetVisuals().empty())
            return;
        MeshBuilder& mesh = *moved.GetVisuals().front();
        MeshRecord* record = RecordOf(&mesh);
        if (!record || !record->liveWrap) {
            moved.DeleteMoveCallback(kLiveWrapCallbackTag);
            return;
        }
        ApplyRecordWrap(moved, mesh, *record, *ctx);
    });
}

void RemoveLiveWrap(Frame& frame)
{
    frame.DeleteMoveCallback(kLiveWrapCallbackTag);
}

} // namespace corvid
