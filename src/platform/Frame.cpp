#include "platform/Frame.h"

#include "platform/MeshBuilder.h"

#include <algorithm>

namespace corvid {

namespace {
Matrix4 WorldOf(const Frame* frame)
{
    return frame ? frame->World() : Matrix4::Identity();
}

// Applies combine to a frame's local matrix.
Matrix4 Combined(Combine combine, const Matrix4& local, const Matrix4& m)
{
    switch (combine) {
    case Combine::Replace:
        return m;
    case Combine::Before:
        return m * local;
    case Combine::After:
        return local * m;
    }
    return local;
}
} // namespace

FramePtr Frame::Create(Frame* parent)
{
    FramePtr frame(new Frame());
    if (parent)
        parent->AddChild(frame);
    return frame;
}

Frame::~Frame()
{
    // Children kept alive elsewhere must not point back at a dead parent.
    for (auto& child : children_)
        child->parent_ = nullptr;
}

bool Frame::IsAncestorOf(const Frame* other) const
{
    for (const Frame* f = other; f; f = f->parent_)
        if (f == this)
            return true;
    return false;
}

bool Frame::AddChild(const FramePtr& child)
{
    if (!child || child->IsAncestorOf(this))
        return false;
    // Copy the handle first: child may refer to the old parent's own list entry.
    FramePtr keep = child;
    if (keep->parent_)
        keep->parent_->DeleteChild(keep.get());
    keep->parent_ = this;
    children_.push_back(std::move(keep));
    return true;
}

bool Frame::InsertChild(const FramePtr& child, const Frame* before)
{
    if (!child || child.get() == before || child->IsAncestorOf(this))
        return false;
    FramePtr keep = child;
    if (keep->parent_)
        keep->parent_->DeleteChild(keep.get());
    keep->parent_ = this;
    auto at = std::find_if(children_.begin(), children_.end(),
                           [before](const FramePtr& c) { return c.get() == before; });
    children_.insert(at, std::move(keep));
    return true;
}

bool Frame::DeleteChild(Frame* child)
{
    auto it = std::find_if(children_.begin(), children_.end(),
                           [child](const FramePtr& c) { return c.get() == child; });
    if (it == children_.end())
        return false;
    (*it)->parent_ = nullptr;
    children_.erase(it);
    return true;
}

Frame* Frame::GetScene()
{
    Frame* f = this;
    while (f->parent_)
        f = f->parent_;
    return f;
}

void Frame::AddVisual(const MeshBuilderPtr& visual)
{
    if (visual)
        visuals_.push_back(visual);
}

bool Frame::DeleteVisual(const MeshBuilder* visual)
{
    auto it = std::find_if(visuals_.begin(), visuals_.end(),
                           [visual](const MeshBuilderPtr& v) { return v.get() == visual; });
    if (it == visuals_.end())
        return false;
    visuals_.erase(it);
    return true;
}

void Frame::AddLight(const LightPtr& light)
{
    if (light)
        lights_.push_back(light);
}

bool Frame::DeleteLight(const Light* light)
{
    auto it = std::find_if(lights_.begin(), lights_.end(),
                           [light](const LightPtr& l) { return l.get() == light; });
    if (it == lights_.end())
        return false;
    lights_.erase(it);
    return true;
}

Matrix4 Frame::World() const
{
    Matrix4 w = local_;
    for (const Frame* p = parent_; p; p = p->parent_)
        w = w * p->local_;
    return w;
}

void Frame::setWorld(const Matrix4& world)
{
    local_ = parent_ ? world * parent_->World().Inverse() : world;
}

Matrix4 Frame::GetTransform(const Frame* reference) const
{
    return reference ? World() * reference->World().Inverse() : World();
}

void Frame::SetTransform(const Frame* reference, const Matrix4& m)
{
    setWorld(m * WorldOf(reference));
}

void Frame::AddTransform(Combine combine, const Matrix4& m)
{
    local_ = Combined(combine, local_, m);
}

void Frame::AddTranslation(Combine combine, const Vec3& t)
{
    local_ = Combined(combine, local_, Matrix4::Translation(t));
}

void Frame::AddScale(Combine combine, const Vec3& s)
{
    local_ = Combined(combine, local_, Matrix4::Scale(s));
}

void Frame::AddRotation(Combine combine, const Vec3& axis, float angle)
{
    local_ = Combined(combine, local_, Matrix4::Rotation(axis, angle));
}

Vec3 Frame::GetPosition(const Frame* reference) const
{
    Vec3 world = World().GetTranslation();
    return reference ? reference->InverseTransform(world) : world;
}

void Frame::SetPosition(const Frame* reference, const Vec3& position)
{
    Vec3 world = WorldOf(reference).TransformPoint(position);
    local_.SetTranslation(parent_ ? parent_->InverseTransform(world) : world);
}

void Frame::GetOrientation(const Frame* reference, Vec3& direction, Vec3& up) const
{
    Matrix4 m = GetTransform(reference);
    direction = Normalize(m.Row(2));
    up = Normalize(m.Row(1));
}

namespace {
// Axes closer than this (relative to their length) count as the same.
constexpr float kSameOrientation = 1e-6f;
} // namespace

void Frame::SetOrientation(const Frame* reference, const Vec3& direction, const Vec3& up)
{
    // Bring both vectors into the parent's space, then rebuild the rotation rows.
    Matrix4 toParent = WorldOf(reference);
    if (parent_)
        toParent = toParent * parent_->World().Inverse();
    Vec3 dir = toParent.TransformVector(direction);
    Vec3 u = toParent.TransformVector(up);
    if (Normalize(dir) == Vec3{})
        return;
    Matrix4 r = Matrix4::FromOrientation(dir, u);
    bool same = true;
    for (int row = 0; row < 3; ++row) {
        float scale = Length(local_.Row(row));
        if (!(scale > 0.0f))
            scale = 1.0f;
        r.SetRow(row, r.Row(row) * scale);
        same = same && Length(r.Row(row) - local_.Row(row)) <= kSameOrientation * scale;
    }
    // A frame already turned this way is left as it is: turning it again on
    // every redraw (a look-at does) would let rounding creep into its scale.
    if (same)
        return;
    r.SetTranslation(local_.GetTranslation());
    local_ = r;
}

void Frame::LookAt(const Frame& target, const Frame* reference)
{
    Vec3 direction = target.World().GetTranslation() - World().GetTranslation();
    if (Normalize(direction) == Vec3{})
        return;
    Vec3 up = reference ? Normalize(reference->World().Row(1)) : Vec3{0, 1, 0};
    SetOrientation(nullptr, direction, up);
}

Vec3 Frame::InverseTransform(const Vec3& world) const
{
    return World().Inverse().TransformPoint(world);
}

Box Frame::GetHierarchyBox() const
{
    Box box;
    for (const auto& visual : visuals_)
        box.Add(visual->GetBox());
    for (const auto& child : children_)
        box.Add(child->GetHierarchyBox().Transformed(child->local_));
    return box;
}

void Frame::SetRotation(const Frame* reference, const Vec3& axis, float theta)
{
    rotationAxis_ = WorldOf(reference).TransformVector(axis);
    rotationTheta_ = theta;
}

void Frame::SetVelocity(const Frame* reference, const Vec3& velocity)
{
    velocity_ = WorldOf(reference).TransformVector(velocity);
}

void Frame::collectTree(std::vector<FramePtr>& out)
{
    out.push_back(shared_from_this());
    for (const auto& child : children_)
        child->collectTree(out);
}

void Frame::Move(float delta)
{
    // Snapshot the tree: callbacks may re-parent or delete frames.
    std::vector<FramePtr> tree;
    collectTree(tree);

    for (const auto& frame : tree) {
        if (frame->rotationTheta_ == 0.0f && frame->velocity_ == Vec3{})
            continue;
        Matrix4 world = frame->World();
        Vec3 origin = world.GetTranslation();
        if (frame->rotationTheta_ != 0.0f) {
            world = world * Matrix4::Translation(-origin)
                    * Matrix4::Rotation(frame->rotationAxis_, frame->rotationTheta_ * delta)
                    * Matrix4::Translation(origin);
        }
        world.SetTranslation(world.GetTranslation() + frame->velocity_ * delta);
        frame->setWorld(world);
    }

    for (const auto& frame : tree) {
        // Copy the list: a callback may remove itself or add others.
        auto callbacks = frame->callbacks_;
        for (const auto& entry : callbacks) {
            bool stillInstalled = std::any_of(frame->callbacks_.begin(), frame->callbacks_.end(),
                                              [&](const TaggedCallback& c) { return c.serial == entry.serial; });
            if (stillInstalled)
                entry.callback(*frame, delta);
        }
    }
}

void Frame::AddMoveCallback(const std::string& tag, MoveCallback callback)
{
    if (callback)
        callbacks_.push_back({tag, std::move(callback), nextSerial_++});
}

bool Frame::DeleteMoveCallback(const std::string& tag)
{
    auto removed = std::erase_if(callbacks_, [&](const TaggedCallback& c) { return c.tag == tag; });
    return removed > 0;
}

bool Frame::HasMoveCallback(const std::string& tag) const
{
    return std::any_of(callbacks_.begin(), callbacks_.end(), [&](const TaggedCallback& c) { return c.tag == tag; });
}

FramePtr Frame::CloneTransformOnly(Frame* parent) const
{
    FramePtr clone = Create(parent);
    clone->local_ = local_;
    clone->rotationAxis_ = rotationAxis_;
    clone->rotationTheta_ = rotationTheta_;
    clone->velocity_ = velocity_;
    clone->traversal_ = traversal_;
    clone->zbuffer_ = zbuffer_;
    return clone;
}

} // namespace corvid
