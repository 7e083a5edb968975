#pragma once
// Key-frame interpolators. An interpolator records keys (values at an index,
// usually a frame number of the animation) and drives the objects attached to
// it: Interpolate(index, options) computes every keyed channel's value at the
// index and hands it to the attached objects' own setters.
//
// Recording mirrors the object's API: SetIndex(t), then call the setter on the
// interpolator (SetPosition, SetUmbra, ...) and a key for that channel is
// stored at t, replacing a key of the same channel at exactly t. Every channel
// is a separate chain of keys: a key can set the umbra alone.
//
// A frame interpolator keys a frame's position and orientation (each relative
// to a reference frame) and a root frame's fog colour, fog parameters and
// background colour. A light interpolator keys a light's colour, range, cone
// angles and attenuation. A master interpolator is a frame interpolator that
// also holds other interpolators and interpolates them (children first, then
// its own keys) whenever it is interpolated.
//
// How a chain is evaluated at an index t (keys k0..kn-1 at indices t0 < ... < tn-1):
//
//  * No keys: the channel is left alone. One key: its value at every index.
//  * Open (kInterpolationOpen, also the default): before t0 the value is k0's,
//    after tn-1 it is kn-1's.
//  * Closed (kInterpolationClosed): the chain loops with the period
//    tn-1 - t0 of that chain. t is wrapped into [t0, tn-1); the key at tn-1
//    only marks the end of the loop and its value is ignored (a closed loop
//    records the first key again there), so from tn-2 toward tn-1 the value
//    runs back to k0's. A chain of two keys therefore holds k0 everywhere.
//  * Linear (kInterpolationLinear, also the default): positions, colours and
//    numbers are blended linearly between the two keys around t; orientations
//    are turned along the shorter arc (spherical interpolation of the
//    rotations built from direction and up).
//  * Spline (kInterpolationSpline): a cubic blend of the four keys around t
//    that passes through every key (Catmull-Rom with tangents from the
//    neighbouring keys, weighted by their spacing). Open chains repeat their
//    end keys as the missing neighbours; closed chains take them from the other
//    end of the loop. Orientations use squad through the same four rotations.
//    A spline colour never leaves the range of the keys it blends, so
//    colours keyed within 0..1 stay there.
//  * Nearest (kInterpolationNearest): the value of the nearest key; exactly
//    halfway between two keys the later key wins.
//
// When several in-betweening bits are given, nearest beats spline and spline
// beats linear; closed beats open.
//
// Position and orientation keys remember their reference frame weakly. When
// the keys blended for t were recorded against different references, their
// values are first carried into the reference of the key at the start of the
// segment (through the frames' transforms at the moment of interpolation) and
// the result is applied relative to that reference. If a reference frame a
// blend needs has been destroyed, that channel is not applied.
//
// Fog and background values go into the attached frame's own Scene(), which
// is what the renderer reads on a root frame.
//
// Attached frames and lights are held weakly: a destroyed object is skipped
// and dropped from the list. Interpolators attached to a master are held
// strongly (the master owns the animation); attaching an interpolator to
// itself or building a loop of masters is refused.

#include "platform/Fwd.h"
#include "platform/Math.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

namespace corvid {

// Interpolate options. Bits of one group combine with one of another group.
enum InterpolationOption : unsigned {
    kInterpolationOpen = 0x01,
    kInterpolationClosed = 0x02,
    kInterpolationLinear = 0x04,
    kInterpolationSpline = 0x08,
    kInterpolationNearest = 0x0100,
};

// Keys as read back from an interpolator, each at its index.
struct PositionKey {
    float index = 0;
    Vec3 position;
    std::weak_ptr<Frame> reference;  // meaningful only when hasReference
    bool hasReference = false;       // false: recorded in root space
};

struct OrientationKey {
    float index = 0;
    Vec3 direction;
    Vec3 up;
    std::weak_ptr<Frame> reference;
    bool hasReference = false;
};

struct ColorKey {
    float index = 0;
    ColorRGBA color;
};

struct ScalarKey {
    float index = 0;
    float value = 0;
};

struct FogParamsKey {
    float index = 0;
    float start = 0;
    float end = 0;
    float density = 0;
};

// First and last key index over all channels of an interpolator.
struct KeySpan {
    float first = 0;
    float last = 0;
};

namespace detail {
// One chain of keys, kept sorted by index with at most one key per index.
template <class Key>
class KeyChain {
public:
    // Inserts key, or replaces the key already at key.index.
    void Set(const Key& key)
    {
        auto it = std::lower_bound(keys_.begin(), keys_.end(), key.index,
                                   [](const Key& k, float index) { return k.index < index; });
        if (it != keys_.end() && it->index == key.index)
            *it = key;
        else
            keys_.insert(it, key);
    }
    // Every key at once, as Keys() gave them (sorted, one per index).
    void Assign(std::vector<Key> keys) { keys_ = std::move(keys); }
    // Removes keys with min <= index <= max; returns how many went.
    std::size_t Erase(float min, float max)
    {
        return std::erase_if(keys_, [&](const Key& k) { return k.index >= min && k.index <= max; });
    }
    const std::vector<Key>& Keys() const { return keys_; }
    std::size_t Size() const { return keys_.size(); }
    bool Empty() const { return keys_.empty(); }
    void Widen(std::optional<KeySpan>& span) const
    {
        if (keys_.empty())
            return;
        if (!span) {
            span = KeySpan{keys_.front().index, keys_.back().index};
            return;
        }
        span->first = std::min(span->first, keys_.front().index);
        span->last = std::max(span->last, keys_.back().index);
    }

private:
    std::vector<Key> keys_;
};
} // namespace detail

class Interpolator {
public:
    virtual ~Interpolator() = default;
    Interpolator(const Interpolator&) = delete;
    Interpolator& operator=(const Interpolator&) = delete;

    // The index new keys are recorded at (and the one last interpolated).
    float GetIndex() const { return index_; }
    // Refuses (false, index unchanged) a NaN or infinite index.
    bool SetIndex(float index);

    // Makes index the current index and applies every keyed channel's value
    // at it to the attached objects. A NaN or infinite index does nothing.
    void Interpolate(float index, unsigned options);

    // Keys of this interpolator's own channels (a master does not count or
    // delete the keys of the interpolators attached to it).
    virtual std::size_t GetKeyCount() const = 0;
    // Removes the keys with min <= index <= max from every channel; returns
    // how many were removed. Nothing happens when min > max or either is NaN.
    virtual std::size_t DeleteKeys(float min, float max) = 0;
    // First and last key index over all channels; empty without keys.
    virtual std::optional<KeySpan> GetKeySpan() const = 0;

protected:
    Interpolator() = default;
    // Applies the channels at GetIndex(); index is known to be finite.
    virtual void interpolate(unsigned options) = 0;

private:
    float index_ = 0.0f;
};

// Interpolating a master interpolates the whole tree below it; this is that
// call under the name the animation code uses.
inline void InterpolateTree(Interpolator& root, float index, unsigned options)
{
    root.Interpolate(index, options);
}

enum class FrameChannel { Position, Orientation, FogColor, FogParams, Background };

class FrameInterpolator : public Interpolator {
public:
    static std::shared_ptr<FrameInterpolator> Create();

    // --- recording (each stores a key at GetIndex()) -----------------------
    // Refused (false) for non-finite values, a zero direction, or a reference
    // that is not (or no longer) held by a shared pointer.
    bool SetPosition(const Frame* reference, const Vec3& position);
    bool SetOrientation(const Frame* reference, const Vec3& direction, const Vec3& up);
    bool SetSceneFogColor(const ColorRGBA& color);
    bool SetSceneFogParams(float start, float end, float density);
    bool SetSceneBackground(const ColorRGBA& color);

    // --- read-back ---------------------------------------------------------
    const std::vector<PositionKey>& GetPositionKeys() const { return position_.Keys(); }
    const std::vector<OrientationKey>& GetOrientationKeys() const { return orientation_.Keys(); }
    const std::vector<ColorKey>& GetSceneFogColorKeys() const { return fogColor_.Keys(); }
    const std::vector<FogParamsKey>& GetSceneFogParamsKeys() const { return fogParams_.Keys(); }
    const std::vector<ColorKey>& GetSceneBackgroundKeys() const { return background_.Keys(); }
    std::size_t GetKeyCount(FrameChannel channel) const;
    std::size_t GetKeyCount() const override;
    std::size_t DeleteKeys(float min, float max) override;
    std::optional<KeySpan> GetKeySpan() const override;

    // Every key of every channel, to put back later with RestoreKeys.
    struct Keys {
        std::vector<PositionKey> position;
        std::vector<OrientationKey> orientation;
        std::vector<ColorKey> fogColor;
        std::vector<FogParamsKey> fogParams;
        std::vector<ColorKey> background;
    };
    Keys TakeKeys() const;
    void RestoreKeys(const Keys& keys);

    // --- driven frames -----------------------------------------------------
    // Attaching null is refused; attaching a frame twice keeps one entry.
    bool AttachObject(const FramePtr& frame);
    bool DetachObject(const Frame* frame);
    bool DetachObject(const FramePtr& frame) { return DetachObject(frame.get()); }
    // The attached frames that are still alive.
    std::vector<FramePtr> GetAttachedFrames() const;

protected:
    FrameInterpolator() = default;
    void interpolate(unsigned options) override;

private:
    detail::KeyChain<PositionKey> position_;
    detail::KeyChain<OrientationKey> orientation_;
    detail::KeyChain<ColorKey> fogColor_;
    detail::KeyChain<FogParamsKey> fogParams_;
    detail::KeyChain<ColorKey> background_;
    std::vector<std::weak_ptr<Frame>> frames_;
};

enum class LightChannel {
    Color,
    Range,
    Umbra,
    Penumbra,
    ConstantAttenuation,
    LinearAttenuation,
    QuadraticAttenuation,
};

class LightInterpolator : public Interpolator {
public:
    static std::shared_ptr<LightInterpolator> Create();

    // --- recording (each stores a key at GetIndex()); non-finite refused ---
    // Lights have no alpha: a colour key's alpha is stored as 1.
    bool SetColor(const ColorRGBA& color);
    bool SetColor(float r, float g, float b) { return SetColor(ColorRGBA{r, g, b, 1.0f}); }
    bool SetRange(float range);
    bool SetUmbra(float umbra);
    bool SetPenumbra(float penumbra);
    bool SetConstantAttenuation(float value);
    bool SetLinearAttenuation(float value);
    bool SetQuadraticAttenuation(float value);

    // --- read-back ---------------------------------------------------------
    const std::vector<ColorKey>& GetColorKeys() const { return color_.Keys(); }
    // The keys of a numeric channel; empty for LightChannel::Color.
    const std::vector<ScalarKey>& GetScalarKeys(LightChannel channel) const;
    std::size_t GetKeyCount(LightChannel channel) const;
    std::size_t GetKeyCount() const override;
    std::size_t DeleteKeys(float min, float max) override;
    std::optional<KeySpan> GetKeySpan() const override;

    struct Keys {
        std::vector<ColorKey> color;
        std::vector<ScalarKey> scalars[6];  // Range .. QuadraticAttenuation
    };
    Keys TakeKeys() const;
    void RestoreKeys(const Keys& keys);

    // --- driven lights -----------------------------------------------------
    bool AttachObject(const LightPtr& light);
    bool DetachObject(const Light* light);
    bool DetachObject(const LightPtr& light) { return DetachObject(light.get()); }
    std::vector<LightPtr> GetAttachedLights() const;

protected:
    LightInterpolator() = default;
    void interpolate(unsigned options) override;

private:
    static constexpr int kScalarChannels = 6;  // Range .. QuadraticAttenuation
    bool setScalar(LightChannel channel, float value);

    detail::KeyChain<ColorKey> color_;
    detail::KeyChain<ScalarKey> scalars_[kScalarChannels];
    std::vector<std::weak_ptr<Light>> lights_;
};

class MasterInterpolator : public FrameInterpolator {
public:
    static std::shared_ptr<MasterInterpolator> Create();

    using FrameInterpolator::AttachObject;
    using FrameInterpolator::DetachObject;
    // Refuses null, this master itself, and any interpolator that would close
    // a loop (a master that already holds this one, directly or not).
    // Attaching an interpolator twice keeps one entry.
    bool AttachObject(const InterpolatorPtr& interpolator);
    bool DetachObject(const Interpolator* interpolator);
    bool DetachObject(const InterpolatorPtr& interpolator) { return DetachObject(interpolator.get()); }
    const std::vector<InterpolatorPtr>& GetAttached() const { return children_; }
    // True when interpolator is attached here or below an attached master.
    bool Holds(const Interpolator* interpolator) const;

protected:
    MasterInterpolator() = default;
    // The attached interpolators in attachment order, then the own keys.
    void interpolate(unsigned options) override;

private:
    std::vector<InterpolatorPtr> children_;
};

} // namespace corvid
