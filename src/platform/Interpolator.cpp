#include "platform/Interpolator.h"

#include "platform/Frame.h"
#include "platform/Light.h"

#include <array>
#include <cmath>

namespace corvid {

namespace {

bool Finite(float v) { return std::isfinite(v); }
bool Finite(const Vec3& v) { return Finite(v.x) && Finite(v.y) && Finite(v.z); }
bool Finite(const ColorRGBA& c) { return Finite(c.r) && Finite(c.g) && Finite(c.b) && Finite(c.a); }

// --- locating an index in a chain -------------------------------------------

enum class Blend { Nearest, Linear, Spline };

Blend BlendOf(unsigned options)
{
    if (options & kInterpolationNearest)
        return Blend::Nearest;
    if (options & kInterpolationSpline)
        return Blend::Spline;
    return Blend::Linear;
}

// Where an index falls in a chain. Either one key's value applies (between is
// false, the key is key[1]) or the index lies in the segment from key[1] to
// key[2], with key[0] and key[3] the neighbours a spline also looks at. at[]
// holds the four keys' indices, unwrapped so that they increase.
struct Segment {
    bool between = false;
    std::array<std::size_t, 4> key{};
    std::array<float, 4> at{};
    float s = 0.0f;  // 0..1 from key[1] to key[2]
};

template <class Key>
bool Locate(const std::vector<Key>& keys, float t, unsigned options, Segment& seg)
{
    const std::size_t n = keys.size();
    if (n == 0)
        return false;
    auto single = [&seg](std::size_t i) {
        seg.between = false;
        seg.key[1] = i;
        return true;
    };
    if (n == 1)
        return single(0);

    const float first = keys.front().index;
    const bool closed = (options & kInterpolationClosed) != 0;
    // A closed chain loops over all keys but the last, whose index only marks
    // where the loop ends.
    const std::size_t count = closed ? n - 1 : n;
    const float period = keys.back().index - first;
    if (closed) {
        if (count == 1)
            return single(0);
        float u = std::fmod(t - first, period);
        if (u < 0.0f)
            u += period;
        t = first + u;
        if (!(t < first + period))  // rounding at the top of the loop
            t = first;
    } else {
        if (t <= first)
            return single(0);
        if (t >= keys.back().index)
            return single(n - 1);
    }

    auto it = std::upper_bound(keys.begin(), keys.begin() + static_cast<std::ptrdiff_t>(count), t,
                               [](float v, const Key& k) { return v < k.index; });
    const auto j = static_cast<std::ptrdiff_t>(it - keys.begin()) - 1;  // t >= first, so j >= 0
    const auto c = static_cast<std::ptrdiff_t>(count);

    for (int slot = 0; slot < 4; ++slot) {
        std::ptrdiff_t i = j - 1 + slot;
        std::size_t key;
        float at;
        if (closed) {
            // Neighbours past either end come round from the other end, one
            // period away.
            if (i < 0) {
                key = static_cast<std::size_t>(i + c);
                at = keys[key].index - period;
            } else if (i >= c) {
                key = static_cast<std::size_t>(i - c);
                at = keys[key].index + period;
            } else {
                key = static_cast<std::size_t>(i);
                at = keys[key].index;
            }
        } else if (i < 0) {
            // An open end repeats its key, one segment's length further out.
            key = 0;
            at = keys[0].index - (keys[1].index - keys[0].index);
        } else if (i >= c) {
            key = n - 1;
            at = keys[n - 1].index + (keys[n - 1].index - keys[n - 2].index);
        } else {
            key = static_cast<std::size_t>(i);
            at = keys[key].index;
        }
        seg.key[static_cast<std::size_t>(slot)] = key;
        seg.at[static_cast<std::size_t>(slot)] = at;
    }

    seg.s = (t - seg.at[1]) / (seg.at[2] - seg.at[1]);
    if (seg.s <= 0.0f)
        return single(seg.key[1]);
    if (BlendOf(options) == Blend::Nearest)
        return single(seg.s >= 0.5f ? seg.key[2] : seg.key[1]);
    seg.between = true;
    return true;
}

// Weights of the four keys of a segment.
std::array<float, 4> Weights(Blend blend, const Segment& seg)
{
    const float s = seg.s;
    if (blend != Blend::Spline)
        return {0.0f, 1.0f - s, s, 0.0f};
    // Cubic Hermite on the segment with each end's tangent taken from its two
    // neighbours; every term is linear in the key values, so it folds into
    // one weight per key.
    const float s2 = s * s, s3 = s2 * s;
    const float h00 = 2 * s3 - 3 * s2 + 1;
    const float h10 = s3 - 2 * s2 + s;
    const float h01 = -2 * s3 + 3 * s2;
    const float h11 = s3 - s2;
    const float h = seg.at[2] - seg.at[1];
    const float startTangent = h10 * h / (seg.at[2] - seg.at[0]);
    const float endTangent = h11 * h / (seg.at[3] - seg.at[1]);
    return {-startTangent, h00 - endTangent, h01 + startTangent, endTangent};
}

// Up to four numbers per key (a position, a colour, the fog parameters).
using Lanes = std::array<float, 4>;

Lanes LanesOf(float v) { return {v, 0, 0, 0}; }
Lanes LanesOf(const Vec3& v) { return {v.x, v.y, v.z, 0}; }
Lanes LanesOf(const ColorRGBA& c) { return {c.r, c.g, c.b, c.a}; }
Vec3 Vec3Of(const Lanes& l) { return {l[0], l[1], l[2]}; }
ColorRGBA ColorOf(const Lanes& l) { return {l[0], l[1], l[2], l[3]}; }

// Blends the lanes of the keys of seg; `lanes[slot]` is the value of key[slot].
Lanes Mix(const std::array<Lanes, 4>& lanes, Blend blend, const Segment& seg)
{
    if (!seg.between)
        return lanes[1];
    const auto w = Weights(blend, seg);
    Lanes out{};
    for (std::size_t slot = 0; slot < 4; ++slot)
        for (std::size_t lane = 0; lane < 4; ++lane)
            out[lane] += w[slot] * lanes[slot][lane];
    return out;
}

// The chain's value at t for channels without a reference frame.
template <class Key, class Get>
std::optional<Lanes> Evaluate(const std::vector<Key>& keys, float t, unsigned options, Get get,
                              bool keepWithinKeys = false)
{
    Segment seg;
    if (!Locate(keys, t, options, seg))
        return std::nullopt;
    std::array<Lanes, 4> lanes{};
    for (std::size_t slot = 0; slot < 4; ++slot)
        lanes[slot] = get(keys[seg.key[slot]]);
    const Blend blend = BlendOf(options);
    Lanes out = Mix(lanes, blend, seg);
    if (keepWithinKeys && seg.between && blend == Blend::Spline) {
        // No overshoot past the keys blended (keeps colours in range).
        for (std::size_t lane = 0; lane < 4; ++lane) {
            float lo = lanes[0][lane], hi = lanes[0][lane];
            for (const auto& l : lanes) {
                lo = std::min(lo, l[lane]);
                hi = std::max(hi, l[lane]);
            }
            out[lane] = std::clamp(out[lane], lo, hi);
        }
    }
    return out;
}

// --- keys relative to reference frames --------------------------------------

// Turns a raw reference into what a key stores. False when the frame is not
// owned by a shared pointer (it is being destroyed).
bool StoreReference(const Frame* reference, std::weak_ptr<Frame>& stored, bool& hasReference)
{
    hasReference = reference != nullptr;
    stored.reset();
    if (!reference)
        return true;
    stored = const_cast<Frame*>(reference)->weak_from_this();
    return !stored.expired();
}

// The reference frames of the keys a segment uses, locked, and the matrices
// that carry a key's values into the space of the segment's first key.
class References {
public:
    // False when a reference some used key was recorded against has died.
    template <class Key>
    bool Resolve(const std::vector<Key>& keys, const Segment& seg, Blend blend)
    {
        for (std::size_t slot = 0; slot < 4; ++slot) {
            used_[slot] = slot == 1 || (seg.between && (slot == 2 || blend == Blend::Spline));
            if (!used_[slot])
                continue;
            const Key& key = keys[seg.key[slot]];
            frames_[slot] = key.hasReference ? key.reference.lock() : nullptr;
            if (key.hasReference && !frames_[slot])
                return false;
        }
        base_ = frames_[1].get();
        toBaseReady_ = false;
        return true;
    }

    const Frame* Base() const { return base_; }
    bool Used(std::size_t slot) const { return used_[slot]; }
    // Whether the key in slot was recorded against another reference than the base.
    bool Foreign(std::size_t slot) const { return frames_[slot].get() != base_; }

    // Matrix from the key's reference space into the base reference space.
    Matrix4 ToBase(std::size_t slot)
    {
        if (!toBaseReady_) {
            fromRootToBase_ = base_ ? base_->World().Inverse() : Matrix4::Identity();
            toBaseReady_ = true;
        }
        const Frame* ref = frames_[slot].get();
        return ref ? ref->World() * fromRootToBase_ : fromRootToBase_;
    }

private:
    std::array<FramePtr, 4> frames_;
    std::array<bool, 4> used_{};
    const Frame* base_ = nullptr;
    Matrix4 fromRootToBase_;
    bool toBaseReady_ = false;
};

struct Placement {
    FramePtr base;  // the reference the value is given in (null: root space)
    Vec3 position;
    Vec3 direction;
    Vec3 up;
};

std::optional<Placement> EvaluatePosition(const std::vector<PositionKey>& keys, float t, unsigned options)
{
    Segment seg;
    if (!Locate(keys, t, options, seg))
        return std::nullopt;
    const Blend blend = BlendOf(options);
    References refs;
    if (!refs.Resolve(keys, seg, blend))
        return std::nullopt;
    std::array<Lanes, 4> lanes{};
    for (std::size_t slot = 0; slot < 4; ++slot) {
        if (!refs.Used(slot))
            continue;
        Vec3 p = keys[seg.key[slot]].position;
        if (refs.Foreign(slot))
            p = refs.ToBase(slot).TransformPoint(p);
        lanes[slot] = LanesOf(p);
    }
    Placement out;
    out.base = keys[seg.key[1]].reference.lock();
    out.position = Vec3Of(Mix(lanes, blend, seg));
    return out;
}

// --- orientations -------------------------------------------------------------

Quaternion Multiply(const Quaternion& a, const Quaternion& b)
{
    return {a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z,
            a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
            a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w};
}

Quaternion Conjugate(const Quaternion& q) { return {q.w, -q.x, -q.y, -q.z}; }

// Logarithm of a unit quaternion: (0, axis * half angle).
Quaternion Log(const Quaternion& q)
{
    float len = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z);
    if (len < 1e-7f)
        return {0, 0, 0, 0};
    float k = std::atan2(len, q.w) / len;
    return {0, q.x * k, q.y * k, q.z * k};
}

Quaternion Exp(const Quaternion& q)
{
    float angle = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z);
    if (angle < 1e-7f)
        return {1, q.x, q.y, q.z};
    float k = std::sin(angle) / angle;
    return Quaternion{std::cos(angle), q.x * k, q.y * k, q.z * k}.Normalized();
}

// Squad's inner control rotation at q between its neighbours.
Quaternion InnerControl(const Quaternion& before, const Quaternion& q, const Quaternion& after)
{
    Quaternion inv = Conjugate(q);
    Quaternion sum = Log(Multiply(inv, after)) + Log(Multiply(inv, before));
    return Multiply(q, Exp(sum * -0.25f));
}

Quaternion RotationOf(const Vec3& direction, const Vec3& up)
{
    return Quaternion::FromMatrix(Matrix4::FromOrientation(direction, up));
}

std::optional<Placement> EvaluateOrientation(const std::vector<OrientationKey>& keys, float t,
                                             unsigned options)
{
    Segment seg;
    if (!Locate(keys, t, options, seg))
        return std::nullopt;
    const Blend blend = BlendOf(options);
    References refs;
    if (!refs.Resolve(keys, seg, blend))
        return std::nullopt;

    Placement out;
    out.base = keys[seg.key[1]].reference.lock();
    if (!seg.between) {
        out.direction = keys[seg.key[1]].direction;
        out.up = keys[seg.key[1]].up;
        return out;
    }

    std::array<Quaternion, 4> q{};
    for (std::size_t slot = 0; slot < 4; ++slot) {
        if (!refs.Used(slot))
            continue;
        Vec3 direction = keys[seg.key[slot]].direction;
        Vec3 up = keys[seg.key[slot]].up;
        if (refs.Foreign(slot)) {
            Matrix4 m = refs.ToBase(slot);
            direction = m.TransformVector(direction);
            up = m.TransformVector(up);
        }
        q[slot] = RotationOf(direction, up);
    }

    Quaternion r;
    if (blend == Blend::Spline) {
        // Keep each rotation on the same side as its neighbour so that the
        // controls follow the short way round.
        if (q[0].Dot(q[1]) < 0)
            q[0] = q[0] * -1.0f;
        if (q[2].Dot(q[1]) < 0)
            q[2] = q[2] * -1.0f;
        if (q[3].Dot(q[2]) < 0)
            q[3] = q[3] * -1.0f;
        Quaternion a = InnerControl(q[0], q[1], q[2]);
        Quaternion b = InnerControl(q[1], q[2], q[3]);
        r = Slerp(Slerp(q[1], q[2], seg.s), Slerp(a, b, seg.s), 2 * seg.s * (1 - seg.s));
    } else {
        r = Slerp(q[1], q[2], seg.s);
    }
    Matrix4 m = r.ToMatrix();
    out.direction = m.Row(2);
    out.up = m.Row(1);
    return out;
}

// Calls apply on every live object of list and drops the dead ones.
template <class T, class Apply>
void ForEachLive(std::vector<std::weak_ptr<T>>& list, Apply apply)
{
    bool dead = false;
    for (const auto& weak : list) {
        if (auto object = weak.lock())
            apply(*object);
        else
            dead = true;
    }
    if (dead)
        std::erase_if(list, [](const std::weak_ptr<T>& w) { return w.expired(); });
}

template <class T>
bool AttachWeak(std::vector<std::weak_ptr<T>>& list, const std::shared_ptr<T>& object)
{
    if (!object)
        return false;
    std::erase_if(list, [](const std::weak_ptr<T>& w) { return w.expired(); });
    for (const auto& weak : list)
        if (weak.lock() == object)
            return true;
    list.push_back(object);
    return true;
}

template <class T>
bool DetachWeak(std::vector<std::weak_ptr<T>>& list, const T* object)
{
    if (!object)
        return false;
    auto removed = std::erase_if(list, [object](const std::weak_ptr<T>& w) { return w.lock().get() == object; });
    return removed > 0;
}

template <class T>
std::vector<std::shared_ptr<T>> Live(const std::vector<std::weak_ptr<T>>& list)
{
    std::vector<std::shared_ptr<T>> out;
    for (const auto& weak : list)
        if (auto object = weak.lock())
            out.push_back(std::move(object));
    return out;
}

bool ValidRange(float min, float max) { return min <= max; }  // false for NaN too

} // namespace

// --- Interpolator ---------------------------------------------------------------

bool Interpolator::SetIndex(float index)
{
    if (!Finite(index))
        return false;
    index_ = index;
    return true;
}

void Interpolator::Interpolate(float index, unsigned options)
{
    if (!SetIndex(index))
        return;
    interpolate(options);
}

// --- FrameInterpolator ------------------------------------------------------------

std::shared_ptr<FrameInterpolator> FrameInterpolator::Create()
{
    return std::shared_ptr<FrameInterpolator>(new FrameInterpolator());
}

bool FrameInterpolator::SetPosition(const Frame* reference, const Vec3& position)
{
    PositionKey key{GetIndex(), position, {}, false};
    if (!Finite(position) || !StoreReference(reference, key.reference, key.hasReference))
        return false;
    position_.Set(key);
    return true;
}

bool FrameInterpolator::SetOrientation(const Frame* reference, const Vec3& direction, const Vec3& up)
{
    OrientationKey key{GetIndex(), direction, up, {}, false};
    if (!Finite(direction) || !Finite(up) || Normalize(direction) == Vec3{}
        || !StoreReference(reference, key.reference, key.hasReference))
        return false;
    orientation_.Set(key);
    return true;
}

bool FrameInterpolator::SetSceneFogColor(const ColorRGBA& color)
{
    if (!Finite(color))
        return false;
    fogColor_.Set({GetIndex(), color});
    return true;
}

bool FrameInterpolator::SetSceneFogParams(float start, float end, float density)
{
    if (!Finite(start) || !Finite(end) || !Finite(density))
        return false;
    fogParams_.Set({GetIndex(), start, end, density});
    return true;
}

bool FrameInterpolator::SetSceneBackground(const ColorRGBA& color)
{
    if (!Finite(color))
        return false;
    background_.Set({GetIndex(), color});
    return true;
}

std::size_t FrameInterpolator::GetKeyCount(FrameChannel channel) const
{
    switch (channel) {
    case FrameChannel::Position:
        return position_.Size();
    case FrameChannel::Orientation:
        return orientation_.Size();
    case FrameChannel::FogColor:
        return fogColor_.Size();
    case FrameChannel::FogParams:
        return fogParams_.Size();
    case FrameChannel::Background:
        return background_.Size();
    }
    return 0;
}

std::size_t FrameInterpolator::GetKeyCount() const
{
    return position_.Size() + orientation_.Size() + fogColor_.Size() + fogParams_.Size() + background_.Size();
}

std::size_t FrameInterpolator::DeleteKeys(float min, float max)
{
    if (!ValidRange(min, max))
        return 0;
    return position_.Erase(min, max) + orientation_.Erase(min, max) + fogColor_.Erase(min, max)
           + fogParams_.Erase(min, max) + background_.Erase(min, max);
}

std::optional<KeySpan> FrameInterpolator::GetKeySpan() const
{
    std::optional<KeySpan> span;
    position_.Widen(span);
    orientation_.Widen(span);
    fogColor_.Widen(span);
    fogParams_.Widen(span);
    background_.Widen(span);
    return span;
}

bool FrameInterpolator::AttachObject(const FramePtr& frame)
{
    return AttachWeak(frames_, frame);
}

bool FrameInterpolator::DetachObject(const Frame* frame)
{
    return DetachWeak(frames_, frame);
}

std::vector<FramePtr> FrameInterpolator::GetAttachedFrames() const
{
    return Live(frames_);
}

void FrameInterpolator::interpolate(unsigned options)
{
    if (frames_.empty())
        return;
    const float t = GetIndex();
    const auto position = EvaluatePosition(position_.Keys(), t, options);
    const auto orientation = EvaluateOrientation(orientation_.Keys(), t, options);
    const auto fogColor = Evaluate(fogColor_.Keys(), t, options,
                                   [](const ColorKey& k) { return LanesOf(k.color); }, true);
    const auto fogParams = Evaluate(fogParams_.Keys(), t, options,
                                    [](const FogParamsKey& k) { return Lanes{k.start, k.end, k.density, 0}; });
    const auto background = Evaluate(background_.Keys(), t, options,
                                     [](const ColorKey& k) { return LanesOf(k.color); }, true);

    ForEachLive(frames_, [&](Frame& frame) {
        if (position)
            frame.SetPosition(position->base.get(), position->position);
        if (orientation)
            frame.SetOrientation(orientation->base.get(), orientation->direction, orientation->up);
        SceneProperties& scene = frame.Scene();
        if (fogColor)
            scene.fogColor = ColorOf(*fogColor);
        if (fogParams) {
            scene.fogStart = (*fogParams)[0];
            scene.fogEnd = (*fogParams)[1];
            scene.fogDensity = (*fogParams)[2];
        }
        if (background)
            scene.background = ColorOf(*background);
    });
}

// --- LightInterpolator ------------------------------------------------------------

namespace {
// Slot of a numeric light channel in the scalar chains; -1 for the colour.
int ScalarSlot(LightChannel channel)
{
    switch (channel) {
    case LightChannel::Color:
        return -1;
    case LightChannel::Range:
        return 0;
    case LightChannel::Umbra:
        return 1;
    case LightChannel::Penumbra:
        return 2;
    case LightChannel::ConstantAttenuation:
        return 3;
    case LightChannel::LinearAttenuation:
        return 4;
    case LightChannel::QuadraticAttenuation:
        return 5;
    }
    return -1;
}

const std::vector<ScalarKey> kNoScalarKeys;
} // namespace

std::shared_ptr<LightInterpolator> LightInterpolator::Create()
{
    return std::shared_ptr<LightInterpolator>(new LightInterpolator());
}

bool LightInterpolator::SetColor(const ColorRGBA& color)
{
    if (!Finite(color))
        return false;
    color_.Set({GetIndex(), {color.r, color.g, color.b, 1.0f}});
    return true;
}

bool LightInterpolator::setScalar(LightChannel channel, float value)
{
    int slot = ScalarSlot(channel);
    if (slot < 0 || !Finite(value))
        return false;
    scalars_[slot].Set({GetIndex(), value});
    return true;
}

bool LightInterpolator::SetRange(float range) { return setScalar(LightChannel::Range, range); }
bool LightInterpolator::SetUmbra(float umbra) { return setScalar(LightChannel::Umbra, umbra); }
bool LightInterpolator::SetPenumbra(float penumbra) { return setScalar(LightChannel::Penumbra, penumbra); }
bool LightInterpolator::SetConstantAttenuation(float value)
{
    return setScalar(LightChannel::ConstantAttenuation, value);
}
bool LightInterpolator::SetLinearAttenuation(float value)
{
    return setScalar(LightChannel::LinearAttenuation, value);
}
bool LightInterpolator::SetQuadraticAttenuation(float value)
{
    return setScalar(LightChannel::QuadraticAttenuation, value);
}

const std::vector<ScalarKey>& LightInterpolator::GetScalarKeys(LightChannel channel) const
{
    int slot = ScalarSlot(channel);
    return slot < 0 ? kNoScalarKeys : scalars_[slot].Keys();
}

std::size_t LightInterpolator::GetKeyCount(LightChannel channel) const
{
    int slot = ScalarSlot(channel);
    return slot < 0 ? color_.Size() : scalars_[slot].Size();
}

std::size_t LightInterpolator::GetKeyCount() const
{
    std::size_t count = color_.Size();
    for (const auto& chain : scalars_)
        count += chain.Size();
    return count;
}

std::size_t LightInterpolator::DeleteKeys(float min, float max)
{
    if (!ValidRange(min, max))
        return 0;
    std::size_t removed = color_.Erase(min, max);
    for (auto& chain : scalars_)
        removed += chain.Erase(min, max);
    return removed;
}

std::optional<KeySpan> LightInterpolator::GetKeySpan() const
{
    std::optional<KeySpan> span;
    color_.Widen(span);
    for (const auto& chain : scalars_)
        chain.Widen(span);
    return span;
}

bool LightInterpolator::AttachObject(const LightPtr& light)
{
    return AttachWeak(lights_, light);
}

bool LightInterpolator::DetachObject(const Light* light)
{
    return DetachWeak(lights_, light);
}

std::vector<LightPtr> LightInterpolator::GetAttachedLights() const
{
    return Live(lights_);
}

void LightInterpolator::interpolate(unsigned options)
{
    if (lights_.empty())
        return;
    const float t = GetIndex();
    const auto color = Evaluate(color_.Keys(), t, options,
                                [](const ColorKey& k) { return LanesOf(k.color); }, true);
    std::array<std::optional<Lanes>, kScalarChannels> values;
    for (int i = 0; i < kScalarChannels; ++i)
        values[static_cast<std::size_t>(i)] =
            Evaluate(scalars_[i].Keys(), t, options, [](const ScalarKey& k) { return LanesOf(k.value); });
    auto value = [&](LightChannel channel) -> const std::optional<Lanes>& {
        return values[static_cast<std::size_t>(ScalarSlot(channel))];
    };

    ForEachLive(lights_, [&](Light& light) {
        if (color)
            light.SetColorRGB((*color)[0], (*color)[1], (*color)[2]);
        if (const auto& v = value(LightChannel::Range))
            light.SetRange((*v)[0]);
        if (const auto& v = value(LightChannel::Umbra))
            light.SetUmbra((*v)[0]);
        if (const auto& v = value(LightChannel::Penumbra))
            light.SetPenumbra((*v)[0]);
        if (const auto& v = value(LightChannel::ConstantAttenuation))
            light.SetConstantAttenuation((*v)[0]);
        if (const auto& v = value(LightChannel::LinearAttenuation))
            light.SetLinearAttenuation((*v)[0]);
        if (const auto& v = value(LightChannel::QuadraticAttenuation))
            light.SetQuadraticAttenuation((*v)[0]);
    });
}

// --- MasterInterpolator ---------------------------------------------------------------

std::shared_ptr<MasterInterpolator> MasterInterpolator::Create()
{
    return std::shared_ptr<MasterInterpolator>(new MasterInterpolator());
}

bool MasterInterpolator::Holds(const Interpolator* interpolator) const
{
    for (const auto& child : children_) {
        if (child.get() == interpolator)
            return true;
        if (auto* master = dynamic_cast<const MasterInterpolator*>(child.get()); master && master->Holds(interpolator))
            return true;
    }
    return false;
}

bool MasterInterpolator::AttachObject(const InterpolatorPtr& interpolator)
{
    if (!interpolator || interpolator.get() == this)
        return false;
    if (auto* master = dynamic_cast<const MasterInterpolator*>(interpolator.get()); master && master->Holds(this))
        return false;
    if (std::find(children_.begin(), children_.end(), interpolator) == children_.end())
        children_.push_back(interpolator);
    return true;
}

bool MasterInterpolator::DetachObject(const Interpolator* interpolator)
{
    if (!interpolator)
        return false;
    auto removed = std::erase_if(children_, [interpolator](const InterpolatorPtr& c) { return c.get() == interpolator; });
    return removed > 0;
}

void MasterInterpolator::interpolate(unsigned options)
{
    const float t = GetIndex();
    for (const auto& child : children_)
        child->Interpolate(t, options);
    FrameInterpolator::interpolate(options);
}

} // namespace corvid

namespace corvid {

FrameInterpolator::Keys FrameInterpolator::TakeKeys() const
{
    return {position_.Keys(), orientation_.Keys(), fogColor_.Keys(), fogParams_.Keys(), background_.Keys()};
}

void FrameInterpolator::RestoreKeys(const Keys& keys)
{
    position_.Assign(keys.position);
    orientation_.Assign(keys.orientation);
    fogColor_.Assign(keys.fogColor);
    fogParams_.Assign(keys.fogParams);
    background_.Assign(keys.background);
}

LightInterpolator::Keys LightInterpolator::TakeKeys() const
{
    Keys keys;
    keys.color = color_.Keys();
    for (int i = 0; i < kScalarChannels; ++i)
        keys.scalars[i] = scalars_[i].Keys();
    return keys;
}

void LightInterpolator::RestoreKeys(const Keys& keys)
{
    color_.Assign(keys.color);
    for (int i = 0; i < kScalarChannels; ++i)
        scalars_[i].Assign(keys.scalars[i]);
}

} // namespace corvid
