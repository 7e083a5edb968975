#pragma once
// Forward declarations and handle types of the retained-mode layer. Scene
// objects are reference counted: whoever stores a handle keeps the object.

#include <memory>

namespace corvid {

class AppData;
class Frame;
class MeshBuilder;
class Light;
class Material;
class Texture;
class Wrap;
class Interpolator;
class FrameInterpolator;
class LightInterpolator;
class MasterInterpolator;

using FramePtr = std::shared_ptr<Frame>;
using MeshBuilderPtr = std::shared_ptr<MeshBuilder>;
using LightPtr = std::shared_ptr<Light>;
using MaterialPtr = std::shared_ptr<Material>;
using TexturePtr = std::shared_ptr<Texture>;
using InterpolatorPtr = std::shared_ptr<Interpolator>;

} // namespace corvid
