// The VRML import: checks the two header lines, then scans the tokens for
// the node names the export writes (and the primitives), each handled as it
// is met. Transforms in force are a stack, not recursion: a Transform's
// values hold until its closing brace, and nesting deeper than
// kMaxVrmlNesting makes the file corrupted. Every list is checked before a
// mesh is built from it, so a damaged file ends the import with the message,
// never with a crash; what was built before the damage stays.

#include "files/Document.h"
#include "files/FileIo.h"
#include "files/ImportPipeline.h"
#include "files/vrml/VrmlFile.h"
#include "files/vrml/VrmlTokens.h"
#include "geometry/Primitives.h"
#include "platform/Frame.h"
#include "platform/Light.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "scene/EditParts.h"
#include "scene/Records.h"
#include "scene/SceneModel.h"
#include "scene/Ui.h"

#include <cmath>
#include <new>
#include <utility>

namespace corvid {

namespace {

using vrml::ParseInteger;
using vrml::ParseNumber;
using vrml::Tokens;

constexpr const char* kMaterialPrefix = "MATERIALCVD_";
constexpr const char* kObjectPrefix = "Object_";
constexpr const char* kLightPrefix = "Light_";

bool Finite(const Vec3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

bool Finite(const Matrix4& m)
{
    for (const auto& row : m.m)
        for (float v : row)
            if (!std::isfinite(v))
                return false;
    return true;
}

// The mirror between the file's axes and the program's: z negated.
const Matrix4& FlipZ()
{
    static const Matrix4 flip = Matrix4::Scale({1, 1, -1});
    return flip;
}

struct TextureTransform {
    float center[2] = {0, 0};
    float rotation = 0;
    float scale[2] = {1, 1};
    float translation[2] = {0, 0};
};

// The material of the last Material node, until a shape takes it.
struct CurrentMaterial {
    MaterialPtr material;
    uint32_t color = 0;
    MaterialRecord* record = nullptr;
};

enum class Primitive { Cube, Cone, Cylinder, Sphere };

// A Transform in force: its matrix (in the file's axes, combined with the
// Transforms around it) and the depth of the braces that close it.
struct Level {
    Matrix4 transform;
    int depth = 0;
};

class VrmlReader {
public:
    VrmlReader(Document& document, std::string_view text, const ImportOptions& options, std::string folder,
               ImportProgress& progress)
        : scene_(document.scene), text_(text), tokens_(text, 0), options_(options), folder_(std::move(folder)),
          progress_(progress)
    {
    }

    bool Read()
    {
        if (!header())
            return false;
        defaultMaterial_ = CreateDefaultMaterial(scene_, DefaultMaterialStyle::Vrml);
        if (!scan())
            return false;
        progress_.Percent(100);
        progress_.Status(kImportedSuccessfully);
        scene_.ui().Notify(Notification::RedrawRequested);
        return true;
    }

private:
    // --- header and scan ------------------------------------------------------------------------

    // The line from at (without its line end); at moves past it.
    std::string_view line(size_t& at) const
    {
        const size_t end = std::min(text_.find('\n', at), text_.size());
        std::string_view result = text_.substr(at, end - at);
        if (!result.empty() && result.back() == '\r')
            result.remove_suffix(1);
        at = end < text_.size() ? end + 1 : end;
        return result;
    }

    bool header()
    {
        size_t at = 0;
        if (!line(at).starts_with(kVrmlHeaderLine))
            return false;
        progress_.Status(kVrmlHeaderVerified);
        if (!line(at).starts_with(kVrmlMarkerLine)) {
            progress_.Status(kVrmlTampered);
            return false;
        }
        progress_.Status(kVrmlMarkerFound);
        tokens_ = Tokens(text_, at);
        return true;
    }

    void tick() { progress_.Bytes(tokens_.Position(), tokens_.Size()); }

    bool scan()
    {
        std::string_view token;
        while (tokens_.Next(token)) {
            tick();
            if (tokens_.Quoted())
                continue;
            if (token == "{" || token == "[") {
                ++depth_;
            } else if (token == "}" || token == "]") {
                if (depth_ == 0)
                    return false;
                --depth_;
                while (!levels_.empty() && levels_.back().depth > depth_) {
                    levels_.pop_back();
                    worldClosed_ = worldClosed_ || levels_.empty();
                }
            } else if (!dispatch(token)) {
                return false;
            }
        }
        // Every export ends with the Transform that holds the shapes: a file
        // that stops before it closes was cut short.
        return !tokens_.Broken() && depth_ == 0 && worldClosed_;
    }

    bool dispatch(std::string_view token)
    {
        if (token == "Background")
            return !options_.addBackground || readBackground();
        if (token == "Fog")
            return !options_.addFog || readFog();
        if (token == "Material")
            return !options_.addMaterials || readMaterial();
        if (token == "ImageTexture")
            return !options_.addTextures || readImageTexture();
        if (token == "TextureTransform")
            return !options_.addTextures || readTextureTransform();
        if (token == "Transform")
            return readTransform();
        if (token == "DirectionalLight")
            return !options_.addLights || readLight(LightType::Directional);
        if (token == "PointLight")
            return !options_.addLights || readLight(LightType::Point);
        if (token == "SpotLight")
            return !options_.addLights || readLight(LightType::Spot);
        if (token == "Cube" || token == "Box")
            return readPrimitive(Primitive::Cube);
        if (token == "Cone")
            return readPrimitive(Primitive::Cone);
        if (token == "Cylinder")
            return readPrimitive(Primitive::Cylinder);
        if (token == "Sphere")
            return readPrimitive(Primitive::Sphere);
        if (token == "IndexedFaceSet")
            return readFaceSet();
        if (token == "Normal")
            return !tokens_.Take("{") || skipBlock();
        return true;
    }

    // --- fields -----------------------------------------------------------------------------------

    // Past the rest of a block whose opening brace or bracket was taken.
    bool skipBlock()
    {
        int depth = 1;
        std::string_view token;
        while (depth > 0) {
            if (!tokens_.Next(token))
                return false;
            if (tokens_.Quoted())
                continue;
            if (token == "{" || token == "[")
                ++depth;
            else if (token == "}" || token == "]")
                --depth;
        }
        return true;
    }

    // The fields of a node whose opening brace was taken, up to its closing
    // brace: each name goes to field, which reads the values it knows.
    // Inner blocks nobody asked for are passed over.
    template <typename Field>
    bool fields(Field field)
    {
        std::string_view token;
        for (;;) {
            if (!tokens_.Next(token))
                return false;
            tick();
            if (tokens_.Quoted())
                continue;
            if (token == "}")
                return true;
            if (token == "]")
                return false;
            if (token == "{" || token == "[") {
                if (!skipBlock())
                    return false;
            } else if (!field(token)) {
                return false;
            }
        }
    }

    bool numbers(float* values, int count)
    {
        std::string_view token;
        for (int i = 0; i < count; ++i)
            if (!tokens_.Next(token) || tokens_.Quoted() || !ParseNumber(token, values[i]))
                return false;
        return true;
    }

    bool vec(Vec3& v)
    {
        float values[3];
        if (!numbers(values, 3))
            return false;
        v = {values[0], values[1], values[2]};
        return true;
    }

    // A colour, bare or as a one-entry list.
    bool color(Vec3& v)
    {
        if (!tokens_.Take("["))
            return vec(v);
        return vec(v) && (tokens_.Take("]") || skipBlock());
    }

    // A string, bare or the first of a list.
    bool string(std::string& value)
    {
        const bool list = tokens_.Take("[");
        std::string_view token;
        if (!tokens_.Next(token) || !tokens_.Quoted())
            return false;
        value = vrml::Unescape(token);
        return !list || tokens_.Take("]") || skipBlock();
    }

    bool boolean(bool& value)
    {
        std::string_view token;
        if (!tokens_.Next(token) || tokens_.Quoted() || (token != "TRUE" && token != "FALSE"))
            return false;
        value = token == "TRUE";
        return true;
    }

    // The numbers of a list of tuples of per values ("[ ... ]", or one bare
    // tuple).
    bool floats(std::vector<float>& out, int per)
    {
        out.clear();
        if (!tokens_.Take("[")) {
            out.resize(static_cast<size_t>(per));
            return numbers(out.data(), per);
        }
        std::string_view token;
        float value = 0;
        for (;;) {
            if (!tokens_.Next(token) || tokens_.Quoted())
                return false;
            if (token == "]")
                return out.size() % static_cast<size_t>(per) == 0;
            if (!ParseNumber(token, value))
                return false;
            out.push_back(value);
            if ((out.size() & 0xFFF) == 0)
                tick();
        }
    }

    bool integers(std::vector<int>& out)
    {
        out.clear();
        std::string_view token;
        int value = 0;
        if (!tokens_.Take("[")) {
            if (!tokens_.Next(token) || tokens_.Quoted() || !ParseInteger(token, value))
                return false;
            out.push_back(value);
            return true;
        }
        for (;;) {
            if (!tokens_.Next(token) || tokens_.Quoted())
                return false;
            if (token == "]")
                return true;
            if (!ParseInteger(token, value))
                return false;
            out.push_back(value);
            if ((out.size() & 0xFFF) == 0)
                tick();
        }
    }

    // --- scene-wide nodes ---------------------------------------------------------------------------

    void touchWorld()
    {
        scene_.History().Touch<WorldSceneAspect>(scene_.World());
        scene_.History().Touch<SettingsAspect>(scene_.SettingsHandle());
    }

    bool readBackground()
    {
        if (!tokens_.Take("{"))
            return true;
        std::optional<Vec3> sky;
        std::optional<std::string> back;
        const bool read = fields([&](std::string_view name) {
            if (name == "skyColor")
                return color(sky.emplace());
            if (name == "backUrl")
                return string(back.emplace());
            return true;
        });
        if (!read)
            return false;
        touchWorld();
        SceneProperties& p = scene_.World()->Scene();
        if (sky)
            p.background = {sky->x, sky->y, sky->z, 1.0f};
        if (back && !back->empty()) {
            std::string path;
            p.backgroundImage = ResolveBackgroundImage(scene_, folder_, *back, path, progress_);
            scene_.SetBackgroundImage(true, *back, path);
        }
        scene_.ui().Notify(Notification::FogPanelChanged);
        return true;
    }

    bool readFog()
    {
        if (!tokens_.Take("{"))
            return true;
        Vec3 fogColor{1, 1, 1};
        std::string type = "LINEAR";
        float range = 0;
        const bool read = fields([&](std::string_view name) {
            if (name == "color")
                return color(fogColor);
            if (name == "fogType")
                return string(type);
            if (name == "visibilityRange")
                return numbers(&range, 1);
            return true;
        });
        if (!read)
            return false;
        touchWorld();
        SceneProperties& p = scene_.World()->Scene();
        p.fogColor = {fogColor.x, fogColor.y, fogColor.z, 1.0f};
        p.fogMode = type == "EXPONENTIAL" ? FogMode::Exponential : FogMode::Linear;
        p.fogStart = range;
        p.fogEnabled = true;
        scene_.ui().Notify(Notification::FogPanelChanged);
        return true;
    }

    // --- appearance ----------------------------------------------------------------------------------

    bool readMaterial()
    {
        if (!tokens_.Take("{"))
            return true;
        Vec3 diffuse{0.8f, 0.8f, 0.8f}, ambient, emissive, specular;
        float creationPower = 100.0f, transparency = 0.0f;
        std::optional<float> shininess;
        const bool read = fields([&](std::string_view name) {
            if (name == "diffuseColor")
                return color(diffuse);
            if (name == "ambientColor")
                return color(ambient);
            if (name == "emissiveColor")
                return color(emissive);
            if (name == "specularColor")
                return color(specular);
            if (name == "ambientIntensity")
                return numbers(&creationPower, 1);
            if (name == "shininess")
                return numbers(&shininess.emplace(), 1);
            if (name == "transparency")
                return numbers(&transparency, 1);
            return true;
        });
        if (!read)
            return false;
        const float power = shininess ? *shininess * 100.0f : creationPower;
        const float alpha = 1.0f - transparency;
        if (!std::isfinite(power) || !std::isfinite(alpha))
            return false;
        auto record = std::make_unique<MaterialRecord>();
        record->id = ++scene_.materialIdCounter;
        record->name = kMaterialPrefix + std::to_string(record->id);
        const Vec3* sources[] = {&diffuse, &specular, &ambient, &emissive};
        float* targets[] = {record->diffuse, record->specular, record->ambient, record->emissive};
        for (int i = 0; i < 4; ++i) {
            targets[i][0] = sources[i]->x;
            targets[i][1] = sources[i]->y;
            targets[i][2] = sources[i]->z;
        }
        record->power = power;
        record->alpha = alpha;
        CurrentMaterial current;
        current.material = Material::Create(creationPower);
        current.material->SetAmbient(ambient.x, ambient.y, ambient.z);
        current.material->SetEmissive(emissive.x, emissive.y, emissive.z);
        current.material->SetPower(power);
        current.material->SetSpecular(specular.x, specular.y, specular.z);
        current.color = MakeARGB(diffuse.x, diffuse.y, diffuse.z, alpha);
        current.record = AttachRecord(*current.material, std::move(record));
        scene_.materials.push_back(current.material);
        material_ = std::move(current);
        return true;
    }

    bool readImageTexture()
    {
        if (!tokens_.Take("{"))
            return true;
        std::optional<std::string> url;
        repeatS_ = repeatT_ = true;
        const bool read = fields([&](std::string_view name) {
            if (name == "url")
                return string(url.emplace());
            if (name == "repeatS")
                return boolean(repeatS_);
            if (name == "repeatT")
                return boolean(repeatT_);
            return true;
        });
        if (!read)
            return false;
        if (!url || url->empty())
            return true;
        MaterialRecord unused;
        MaterialRecord& record = material_.record ? *material_.record : unused;
        record.textureName = *url;
        texture_ = ResolveTexture(scene_, folder_, *url, record, progress_);
        return true;
    }

    bool readTextureTransform()
    {
        if (!tokens_.Take("{"))
            return true;
        TextureTransform t;
        const bool read = fields([&](std::string_view name) {
            if (name == "center")
                return numbers(t.center, 2);
            if (name == "rotation")
                return numbers(&t.rotation, 1);
            if (name == "scale")
                return numbers(t.scale, 2);
            if (name == "translation")
                return numbers(t.translation, 2);
            return true;
        });
        if (read)
            textureTransform_ = t;
        return read;
    }

    // Gives a new mesh the current material and texture (or the default
    // material), which a shape takes for itself.
    void applyAppearance(MeshBuilder& mesh)
    {
        if (material_.material) {
            mesh.SetColor(material_.color);
            mesh.SetMaterial(material_.material);
        } else {
            mesh.SetColor(defaultMaterial_.faceColor);
            mesh.SetMaterial(defaultMaterial_.material);
        }
        if (texture_) {
            mesh.SetTexture(texture_);
            mesh.SetTextureTopology(repeatS_, repeatT_);
            mesh.SetPerspective(true);
            if (MeshRecord* record = RecordOf(&mesh)) {
                record->wrap[9] = textureTransform_.translation[0];
                record->wrap[10] = textureTransform_.translation[1];
                record->wrap[11] = textureTransform_.scale[0];
                record->wrap[12] = textureTransform_.scale[1];
            }
        }
        material_ = {};
        texture_ = nullptr;
        repeatS_ = repeatT_ = true;
        textureTransform_ = {};
    }

    // --- transforms --------------------------------------------------------------------------------

    const Matrix4& inForce() const
    {
        static const Matrix4 identity = Matrix4::Identity();
        return levels_.empty() ? identity : levels_.back().transform;
    }

    // The transform in force as a frame's transform relative to SCENE: the
    // file's axes mirrored to the program's, its translation scaled. Points
    // given to the frame are ImportPoint's (scaled and mirrored).
    Matrix4 frameTransform() const
    {
        Matrix4 m = inForce();
        m.SetTranslation(m.GetTranslation() * options_.scale);
        return FlipZ() * m * FlipZ();
    }

    bool readTransform()
    {
        if (!tokens_.Take("{"))
            return true;
        ++depth_;
        Vec3 translation, scale{1, 1, 1}, center;
        float rotation[4] = {0, 0, 1, 0}, unused[4];
        std::string_view token;
        for (;;) {
            if (!tokens_.Next(token))
                return false;
            tick();
            if (tokens_.Quoted())
                continue;
            bool read = true;
            if (token == "}") {
                --depth_;
                worldClosed_ = worldClosed_ || levels_.empty();
                return true;
            } else if (token == "]") {
                return false;
            } else if (token == "{" || token == "[") {
                read = skipBlock();
            } else if (token == "translation") {
                read = vec(translation);
            } else if (token == "scale" || token == "scaleFactor") {
                read = vec(scale);
            } else if (token == "center") {
                read = vec(center);
            } else if (token == "rotation") {
                read = numbers(rotation, 4);
            } else if (token == "scaleOrientation") {
                read = numbers(unused, 4);
            } else if (token == "children") {
                break;
            }
            if (!read)
                return false;
        }
        // The children follow; the values hold until the Transform's brace
        // closes.
        if (levels_.size() >= static_cast<size_t>(kMaxVrmlNesting))
            return false;
        const Vec3 axis{rotation[0], rotation[1], rotation[2]};
        const Matrix4 turn =
            axis.x == 0 && axis.y == 0 && axis.z == 0 ? Matrix4::Identity() : Matrix4::Rotation(axis, rotation[3]);
        const Matrix4 local = Matrix4::Translation(-center) * Matrix4::Scale(scale) * turn *
                              Matrix4::Translation(center + translation);
        const Matrix4 combined = local * inForce();
        if (!Finite(combined))
            return false;
        levels_.push_back({combined, depth_});
        return true;
    }

    // --- lights ------------------------------------------------------------------------------------

    bool readLight(LightType type)
    {
        if (!tokens_.Take("{"))
            return true;
        Vec3 lightColor{1, 1, 1}, location, direction{0, 0, -1};
        LightPtr light = Light::Create(type, 1, 1, 1);
        float attenuation[3] = {light->GetConstantAttenuation(), light->GetLinearAttenuation(),
                                light->GetQuadraticAttenuation()};
        float range = light->GetRange(), umbra = light->GetUmbra(), penumbra = light->GetPenumbra(), unused = 0;
        bool on = true;
        const bool read = fields([&](std::string_view name) {
            if (name == "color")
                return color(lightColor);
            if (name == "location")
                return vec(location);
            if (name == "direction")
                return vec(direction);
            if (name == "attenuation")
                return numbers(attenuation, 3);
            if (name == "radius")
                return numbers(&range, 1);
            if (name == "cutOffAngle")
                return numbers(&umbra, 1);
            if (name == "beamWidth")
                return numbers(&penumbra, 1);
            if (name == "on")
                return boolean(on);
            if (name == "intensity" || name == "ambientIntensity")
                return numbers(&unused, 1);
            return true;
        });
        if (!read)
            return false;
        const Matrix4 place = frameTransform();
        const Vec3 position = place.TransformPoint(ImportPoint(location, options_.scale, AxisConvention::NegateZ));
        const Vec3 aim = place.TransformVector({direction.x, direction.y, -direction.z});
        if (!Finite(position) || !Finite(aim))
            return false;

        FramePtr frame = scene_.NewObjectFrame();
        ObjectRecord* record =
            AttachRecord(*frame, std::make_unique<ObjectRecord>(kLight, kLightPrefix + std::to_string(lights_++)));
        light->SetColorRGB(lightColor.x, lightColor.y, lightColor.z);
        frame->AddVisual(scene_.LightIcon(type));
        frame->AddLight(light);
        scene_.AddLightEntry(frame, *record);
        frame->SetPosition(scene_.Scene().get(), position);
        const bool aimed = type == LightType::Directional || type == LightType::Spot;
        if (aimed && (aim.x != 0 || aim.y != 0 || aim.z != 0))
            frame->SetOrientation(scene_.Scene().get(), aim, {0, 1, 0});
        if (type != LightType::Directional) {
            light->SetConstantAttenuation(attenuation[0]);
            light->SetLinearAttenuation(attenuation[1]);
            light->SetQuadraticAttenuation(attenuation[2]);
            light->SetRange(range);
        }
        if (type == LightType::Spot) {
            light->SetUmbra(umbra);
            light->SetPenumbra(penumbra);
        }
        scene_.Select(frame);
        scene_.RegisterObject(frame);
        scene_.RegisterLight(light);
        return true;
    }

    // --- shapes ------------------------------------------------------------------------------------

    std::string nextObjectName() { return kObjectPrefix + std::to_string(objects_++); }

    // A new mesh object under SCENE, at the transform in force.
    MeshObject newObject(const std::string& name)
    {
        MeshObject object = CreateMeshObject(scene_, scene_.Scene(), name, progress_);
        progress_.Status(kVrmlFormingObject + name);
        object.frame->SetTransform(scene_.Scene().get(), frameTransform());
        return object;
    }

    bool readPrimitive(Primitive kind)
    {
        if (!tokens_.Take("{"))
            return true;
        Vec3 size{1, 1, 1};
        float radius = 1, height = 1;
        const bool read = fields([&](std::string_view name) {
            if (name == "width")
                return numbers(&size.x, 1);
            if (name == "height") {
                if (!numbers(&height, 1))
                    return false;
                size.y = height;
                return true;
            }
            if (name == "depth")
                return numbers(&size.z, 1);
            if (name == "size")
                return vec(size);
            if (name == "radius" || name == "bottomRadius")
                return numbers(&radius, 1);
            return true;
        });
        if (!read)
            return false;
        Vec3 extent = kind == Primitive::Cube     ? size
                      : kind == Primitive::Sphere ? Vec3{radius, radius, radius}
                                                  : Vec3{radius, height, radius};
        extent = Vec3{std::fabs(extent.x), std::fabs(extent.y), std::fabs(extent.z)} * options_.scale;
        if (!Finite(extent) || !Finite(frameTransform()))
            return false;

        MeshObject object = newObject(nextObjectName());
        MeshBuilder& mesh = *object.mesh;
        const PrimitiveParameters defaults;
        switch (kind) {
        case Primitive::Cube:
            BuildCube(mesh, defaults.cube);
            break;
        case Primitive::Cone:
            BuildCone(mesh, defaults.cone);
            break;
        case Primitive::Cylinder:
            BuildCylinder(mesh, defaults.cylinder);
            break;
        case Primitive::Sphere:
            BuildSphere(mesh, defaults.sphere);
            break;
        }
        mesh.Scale(extent.x, extent.y, extent.z);
        // Stretching turns the slanted normals of the round sides.
        if (kind == Primitive::Cone || kind == Primitive::Cylinder)
            FinishMeshObject(mesh);
        applyAppearance(mesh);
        return true;
    }

    bool readFaceSet()
    {
        if (!tokens_.Take("{"))
            return true;
        points_.clear();
        texCoords_.clear();
        coordIndex_.clear();
        texCoordIndex_.clear();
        const bool read = fields([&](std::string_view name) {
            if (name == "Coordinate" || name == "TextureCoordinate") {
                std::vector<float>& list = name == "Coordinate" ? points_ : texCoords_;
                const int per = name == "Coordinate" ? 3 : 2;
                return !tokens_.Take("{") ||
                       fields([&](std::string_view field) { return field != "point" || floats(list, per); });
            }
            if (name == "coordIndex")
                return integers(coordIndex_);
            if (name == "texCoordIndex")
                return integers(texCoordIndex_);
            if (name == "Normal")
                return !tokens_.Take("{") || skipBlock();
            if (name == "normalIndex")
                return !tokens_.Take("[") || skipBlock();
            return true;
        });
        return read && buildFaceSet();
    }

    bool buildFaceSet()
    {
        const int pointCount = static_cast<int>(points_.size() / 3);
        const int texCount = static_cast<int>(texCoords_.size() / 2);
        for (int index : coordIndex_)
            if (index < -1 || index >= pointCount)
                return false;
        for (int index : texCoordIndex_)
            if (index < -1 || index >= texCount)
                return false;
        // The faces as runs of the index list; a last face may end without
        // -1, and faces of fewer than three corners are left out.
        faces_.clear();
        size_t start = 0;
        for (size_t i = 0; i <= coordIndex_.size(); ++i) {
            if (i < coordIndex_.size() && coordIndex_[i] != -1)
                continue;
            if (i - start >= 3)
                faces_.emplace_back(start, i);
            start = i + 1;
        }
        const Matrix4 place = frameTransform();
        const bool moved = !(place == Matrix4::Identity());
        const float scale = options_.scale;
        for (size_t i = 0; i < points_.size(); i += 3) {
            const Vec3 p = ImportPoint({points_[i], points_[i + 1], points_[i + 2]}, scale, AxisConvention::NegateZ);
            if (!Finite(p) || (moved && !Finite(place.TransformPoint(p))))
                return false;
        }

        MeshObject object = newObject(nextObjectName());
        MeshBuilder& mesh = *object.mesh;
        mesh.ReserveSpace(pointCount + 2, pointCount + 2, static_cast<int>(faces_.size()) + 2);
        for (size_t i = 0; i < points_.size(); i += 3) {
            mesh.AddVertex(ImportPoint({points_[i], points_[i + 1], points_[i + 2]}, scale, AxisConvention::NegateZ));
            mesh.AddNormal({});
        }
        // Texture coordinates go to the vertex of the same place in the
        // index lists.
        const size_t paired = std::min(texCoordIndex_.size(), coordIndex_.size());
        for (size_t i = 0; i < paired; ++i) {
            const int t = texCoordIndex_[i], v = coordIndex_[i];
            if (t >= 0 && v >= 0)
                mesh.SetTextureCoordinates(v, texCoords_[2 * static_cast<size_t>(t)],
                                           -texCoords_[2 * static_cast<size_t>(t) + 1]);
        }
        // Reversed winding walks the list from its end: the faces and their
        // corners come in the reverse order.
        const bool reverse = options_.winding == 1;
        for (size_t n = 0; n < faces_.size(); ++n) {
            const auto [first, end] = faces_[reverse ? faces_.size() - 1 - n : n];
            const int face = mesh.CreateFace();
            for (size_t k = 0; k < end - first; ++k) {
                const int v = coordIndex_[reverse ? end - 1 - k : first + k];
                mesh.AddVertexAndNormalIndexed(face, v, v);
            }
        }
        applyAppearance(mesh);
        FinishMeshObject(mesh);
        return true;
    }

    SceneModel& scene_;
    std::string_view text_;
    Tokens tokens_;
    const ImportOptions& options_;
    std::string folder_;
    ImportProgress& progress_;

    DefaultMaterial defaultMaterial_;
    CurrentMaterial material_;
    TexturePtr texture_;
    bool repeatS_ = true, repeatT_ = true;
    TextureTransform textureTransform_;
    std::vector<Level> levels_;
    int depth_ = 0;  // braces and brackets open
    bool worldClosed_ = false;  // a Transform at the top has been closed
    int objects_ = 0, lights_ = 0;

    // The lists of the face set being read.
    std::vector<float> points_, texCoords_;
    std::vector<int> coordIndex_, texCoordIndex_;
    std::vector<std::pair<size_t, size_t>> faces_;
};

} // namespace

bool ReadVrmlText(Document& document, std::string_view text, const ImportOptions& options, const std::string& folder)
{
    ImportProgress progress(document.scene);
    bool read = false;
    try {
        VrmlReader reader(document, text, options, folder, progress);
        read = reader.Read();
    } catch (const std::bad_alloc&) {
        document.scene.ui().ShowMessage(kVrmlOutOfMemory);
        return false;
    }
    if (!read)
        document.scene.ui().ShowMessage(kVrmlNotOurs);
    return read;
}

bool ImportVrml(Document& document, const std::string& path, const ImportOptions& options)
{
    std::vector<uint8_t> bytes;
    if (ReadWholeFile(path, bytes) != ReadStatus::Read) {
        document.scene.ui().ShowMessage(kVrmlOpenForReadFailed);
        return false;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return ReadVrmlText(document, text, options, FolderOf(path));
}

} // namespace corvid
