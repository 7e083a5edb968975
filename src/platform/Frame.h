#pragma once
// A frame: a node of the scene tree with a transform relative to its parent,
// the visuals (mesh builders) and lights it carries, move callbacks, and for a
// root frame the scene-wide fog and background.
//
// Transforms use row vectors: a point p in the frame's space is p * local in
// its parent's space, and p * World() in root space. Every "relative to a
// reference" call takes the reference frame's space; a null reference means
// the root space.

#include "platform/AppData.h"
#include "platform/Fwd.h"
#include "platform/Math.h"

#include <functional>
#include <string>
#include <vector>

namespace corvid {

// How AddTransform and friends combine the new matrix with the frame's own.
enum class Combine {
    Replace,  // the new matrix becomes the frame's transform
    Before,   // applied before the existing one: local = M * local
    After,    // applied after the existing one:  local = local * M
};

// Traversal options: bits of whether the frame (and what hangs below it) is
// drawn and whether picks see it.
enum TraversalOption : unsigned {
    kRenderEnable = 1,
    kPickEnable = 2,
};

enum class ZBufferMode { FromParent = 0, Enable = 1, Disable = 2 };

enum class FogMode { Linear = 0, Exponential = 1, ExponentialSquared = 2 };
enum class FogMethod { Any = 0, Vertex = 1, Table = 2 };

// Fog and background of a scene; meaningful on a root frame.
struct SceneProperties {
    bool fogEnabled = false;
    FogMode fogMode = FogMode::Linear;
    FogMethod fogMethod = FogMethod::Any;
    ColorRGBA fogColor{0, 0, 0, 1};
    float fogStart = 0.5f;
    float fogEnd = 100.0f;
    float fogDensity = 0.0f;
    ColorRGBA background{0, 0, 0, 1};
    TexturePtr backgroundImage;
};

// Called with the moved frame and the delta of the Move that reached it.
using MoveCallback = std::function<void(Frame& frame, float delta)>;

class Frame : public HasAppData, public std::enable_shared_from_this<Frame> {
public:
    // A frame under parent (or a root when parent is null), with an identity
    // transform relative to the parent.
    static FramePtr Create(Frame* parent = nullptr);
    ~Frame();
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;

    // --- hierarchy --------------------------------------------------------
    Frame* GetParent() const { return parent_; }
    const std::vector<FramePtr>& GetChildren() const { return children_; }
    // Makes child the last child of this frame, detaching it from its old
    // parent. The child keeps its transform relative to its parent, so it now
    // moves with this frame. Refuses (false) a null child, this frame itself,
    // or any of this frame's ancestors (which would make a cycle).
    bool AddChild(const FramePtr& child);
    // The same, placing child just before before when that is one of this
    // frame's children (last otherwise). child may already be a child of
    // this frame: it moves to its new place.
    bool InsertChild(const FramePtr& child, const Frame* before);
    // Detaches child from this frame; false when it is not a child.
    bool DeleteChild(Frame* child);
    Frame* GetScene();  // the root of this frame's tree
    bool IsAncestorOf(const Frame* other) const;  // true also for other == this

    // --- visuals and lights -----------------------------------------------
    const std::vector<MeshBuilderPtr>& GetVisuals() const { return visuals_; }
    void AddVisual(const MeshBuilderPtr& visual);
    bool DeleteVisual(const MeshBuilder* visual);
    void DeleteAllVisuals() { visuals_.clear(); }
    const std::vector<LightPtr>& GetLights() const { return lights_; }
    void AddLight(const LightPtr& light);
    bool DeleteLight(const Light* light);

    // --- transform --------------------------------------------------------
    const Matrix4& GetLocalTransform() const { return local_; }
    Matrix4 World() const;  // local to root space
    // Transform mapping this frame's space into reference's space.
    Matrix4 GetTransform(const Frame* reference) const;
    // Sets the transform so that GetTransform(reference) == m.
    void SetTransform(const Frame* reference, const Matrix4& m);
    void AddTransform(Combine combine, const Matrix4& m);
    void AddTranslation(Combine combine, const Vec3& t);
    void AddScale(Combine combine, const Vec3& s);
    void AddRotation(Combine combine, const Vec3& axis, float angle);

    Vec3 GetPosition(const Frame* reference) const;
    void SetPosition(const Frame* reference, const Vec3& position);
    // The frame's z axis (direction) and y axis (up) in reference's space.
    void GetOrientation(const Frame* reference, Vec3& direction, Vec3& up) const;
    // Turns the frame so that its z axis points along direction and its y axis
    // toward up (both in reference's space). Keeps position and axis scales.
    void SetOrientation(const Frame* reference, const Vec3& direction, const Vec3& up);
    // Turns the frame's z axis toward target's origin; the roll is free, the
    // up vector is reference's y axis.
    void LookAt(const Frame& target, const Frame* reference);

    Vec3 Transform(const Vec3& local) const { return World().TransformPoint(local); }
    Vec3 InverseTransform(const Vec3& world) const;

    // Box around the visuals of this frame and all its descendants, in this
    // frame's space. Empty when there is nothing to measure.
    Box GetHierarchyBox() const;

    // --- motion and callbacks ---------------------------------------------
    // Per-tick rotation about axis (in reference's space, through the frame's
    // own origin) and velocity (in reference's space), applied by Move.
    void SetRotation(const Frame* reference, const Vec3& axis, float theta);
    void SetVelocity(const Frame* reference, const Vec3& velocity);
    // Advances this frame and its descendants by delta ticks: applies each
    // frame's rotation and velocity scaled by delta, then runs the move
    // callbacks of every frame of the tree (parents before children).
    void Move(float delta);
    // Callbacks are keyed by a tag so a caller can remove what it installed.
    void AddMoveCallback(const std::string& tag, MoveCallback callback);
    bool DeleteMoveCallback(const std::string& tag);  // removes every callback with the tag
    bool HasMoveCallback(const std::string& tag) const;

    // --- options ----------------------------------------------------------
    unsigned GetTraversalOptions() const { return traversal_; }
    void SetTraversalOptions(unsigned options) { traversal_ = options; }
    bool IsRenderEnabled() const { return traversal_ & kRenderEnable; }
    bool IsPickEnabled() const { return traversal_ & kPickEnable; }
    ZBufferMode GetZBufferMode() const { return zbuffer_; }
    void SetZBufferMode(ZBufferMode mode) { zbuffer_ = mode; }

    // Scene fog and background: set on a root, read by the renderer.
    SceneProperties& Scene() { return scene_; }
    const SceneProperties& Scene() const { return scene_; }

    // A new frame with the same local transform, options and motion (no
    // children, visuals, lights, callbacks or record), attached to parent.
    FramePtr CloneTransformOnly(Frame* parent) const;

private:
    Frame() = default;
    void collectTree(std::vector<FramePtr>& out);
    void setWorld(const Matrix4& world);

    Frame* parent_ = nullptr;
    std::vector<FramePtr> children_;
    std::vector<MeshBuilderPtr> visuals_;
    std::vector<LightPtr> lights_;
    Matrix4 local_ = Matrix4::Identity();

    // Motion applied by Move, kept in root space.
    Vec3 rotationAxis_;
    float rotationTheta_ = 0.0f;
    Vec3 velocity_;

    struct TaggedCallback {
        std::string tag;
        MoveCallback callback;
        unsigned long serial;
    };
    std::vector<TaggedCallback> callbacks_;
    unsigned long nextSerial_ = 1;

    unsigned traversal_ = kRenderEnable | kPickEnable;
    ZBufferMode zbuffer_ = ZBufferMode::FromParent;
    SceneProperties scene_;
};

} // namespace corvid
