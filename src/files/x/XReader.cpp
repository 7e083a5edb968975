#include "files/x/XFile.h"

#include "files/Document.h"
#include "files/FileIo.h"
#include "files/ImportPipeline.h"
#include "files/x/XData.h"
#include "platform/Frame.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "scene/Records.h"
#include "scene/SceneModel.h"
#include "scene/Ui.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <optional>
#include <unordered_map>
#include <vector>

namespace corvid {

namespace {

// Reads an object's numbers in order, each checked for what it stands for.
class NumberCursor {
public:
    explicit NumberCursor(const std::vector<double>& numbers) : numbers_(numbers) {}

    size_t Left() const { return numbers_.size() - at_; }

    // A count of items that take at least perItem numbers each: a whole
    // number the numbers left can pay for.
    bool Count(size_t perItem, size_t& count)
    {
        double value;
        if (!Take(value) || value < 0 || value != std::floor(value) || value > static_cast<double>(Left() / perItem))
            return false;
        count = static_cast<size_t>(value);
        return true;
    }

    // An index below limit.
    bool Index(size_t limit, int& index)
    {
        double value;
        if (!Take(value) || value < 0 || value != std::floor(value) || value >= static_cast<double>(limit))
            return false;
        index = static_cast<int>(value);
        return true;
    }

    // A number that stays finite as a float.
    bool Float(float& out)
    {
        double value;
        if (!Take(value) || std::fabs(value) > std::numeric_limits<float>::max())
            return false;
        out = static_cast<float>(value);
        return true;
    }

    bool Vec(Vec3& out) { return Float(out.x) && Float(out.y) && Float(out.z); }

private:
    bool Take(double& value)
    {
        if (at_ >= numbers_.size())
            return false;
        value = numbers_[at_++];
        return true;
    }

    const std::vector<double>& numbers_;
    size_t at_ = 0;
};

// Face lists as the mesh and its normals store them: per face a corner
// count and that many indices below limit. Kept flat: face f's corners are
// corners[start[f]] up to corners[start[f + 1]].
struct FaceList {
    std::vector<size_t> start{0};
    std::vector<int> corners;

    size_t Count() const { return start.size() - 1; }
    size_t Corners(size_t face) const { return start[face + 1] - start[face]; }
    const int* Face(size_t face) const { return corners.data() + start[face]; }
};

bool ReadFaceList(NumberCursor& in, size_t limit, FaceList& faces)
{
    size_t count;
    if (!in.Count(1, count))
        return false;
    faces.start.reserve(count + 1);
    for (size_t f = 0; f < count; ++f) {
        size_t corners;
        if (!in.Count(1, corners))
            return false;
        for (size_t c = 0; c < corners; ++c) {
            int index;
            if (!in.Index(limit, index))
                return false;
            faces.corners.push_back(index);
        }
        faces.start.push_back(faces.corners.size());
    }
    return true;
}

const XObject* FirstChild(const XObject& object, const char* type)
{
    for (const auto& child : object.children)
        if (SameXName(child->type, type))
            return child.get();
    return nullptr;
}

// Material: face colour (r, g, b, a), power, specular (r, g, b), emissive (r, g, b).
constexpr size_t kMaterialNumbers = 11;

struct LoadedMesh {
    MeshBuilderPtr mesh;
    std::vector<const XObject*> faceMaterials;  // per face of mesh; null: none
};

struct LoadedFrame {
    Matrix4 transform = Matrix4::Identity();
    std::vector<LoadedFrame> children;
    std::vector<LoadedMesh> meshes;
};

// Turns the objects of a file into frames and meshes, outside the scene.
// Fails on any count, index or number that does not fit.
class XLoader {
public:
    explicit XLoader(const XDocument& document)
        : document_(document), budget_(2 * document.numberCount + 65536)
    {
        for (const auto& object : document.objects)
            IndexNames(*object);
    }

    bool Load(std::vector<LoadedFrame>& top)
    {
        for (const auto& object : document_.objects) {
            const std::string& type = object->type;
            if (SameXName(type, "Frame")) {
                top.emplace_back();
                if (!LoadFrame(*object, top.back()))
                    return false;
            } else if (SameXName(type, "Mesh")) {
                LoadedMesh mesh;
                if (!LoadMesh(*object, mesh))
                    return false;
                Normalise(*mesh.mesh);
                top.emplace_back();
                top.back().meshes.push_back(std::move(mesh));
            } else if (!SameXName(type, "Header") && !SameXName(type, "Material") &&
                       !SameXName(type, "AnimationSet") && !SameXName(type, "AnimTicksPerSecond")) {
                unsupported_ = true;
            }
        }
        return true;
    }

    bool Unsupported() const { return unsupported_; }

private:
    void IndexNames(const XObject& object)
    {
        if (!object.IsReference() && !object.name.empty())
            names_.emplace(object.name, &object);
        for (const auto& child : object.children)
            IndexNames(*child);
    }

    // The object a reference names, when it is of type.
    const XObject* Resolve(const XObject& reference, const char* type) const
    {
        const auto found = names_.find(reference.name);
        return found != names_.end() && SameXName(found->second->type, type) ? found->second : nullptr;
    }

    // Elements built: a mesh referred to from many frames is built for each,
    // so the total is held to what the file's size can stand for.
    bool Spend(size_t elements)
    {
        if (elements > budget_)
            return false;
        budget_ -= elements;
        return true;
    }

    bool LoadFrame(const XObject& object, LoadedFrame& frame)
    {
        for (const auto& child : object.children) {
            const XObject* mesh = child->IsReference() ? Resolve(*child, "Mesh") : nullptr;
            if (!child->IsReference() && SameXName(child->type, "Mesh"))
                mesh = child.get();
            if (mesh) {
                frame.meshes.emplace_back();
                if (!LoadMesh(*mesh, frame.meshes.back()))
                    return false;
            } else if (SameXName(child->type, "FrameTransformMatrix")) {
                NumberCursor in(child->numbers);
                for (auto& row : frame.transform.m)
                    for (float& value : row)
                        if (!in.Float(value))
                            return false;
            } else if (SameXName(child->type, "Frame")) {
                frame.children.emplace_back();
                if (!LoadFrame(*child, frame.children.back()))
                    return false;
            }
        }
        return true;
    }

    bool LoadMesh(const XObject& object, LoadedMesh& loaded)
    {
        NumberCursor in(object.numbers);
        size_t vertexCount;
        if (!in.Count(3, vertexCount) || !Spend(vertexCount))
            return false;
        std::vector<Vec3> points(vertexCount);
        for (Vec3& p : points)
            if (!in.Vec(p))
                return false;
        FaceList faces;
        if (!ReadFaceList(in, vertexCount, faces))
            return false;

        std::vector<Vec3> normals;
        FaceList normalFaces;
        bool withNormals = false;
        if (const XObject* meshNormals = FirstChild(object, "MeshNormals")) {
            NumberCursor normalsIn(meshNormals->numbers);
            size_t normalCount;
            if (!normalsIn.Count(3, normalCount) || !Spend(normalCount))
                return false;
            normals.resize(normalCount);
            for (Vec3& n : normals)
                if (!normalsIn.Vec(n))
                    return false;
            if (!ReadFaceList(normalsIn, normalCount, normalFaces))
                return false;
            // Normals that do not match the faces are not used.
            withNormals = normalFaces.Count() == faces.Count();
        }

        MeshBuilder& mesh = *(loaded.mesh = MeshBuilder::Create());
        mesh.ReserveSpace(static_cast<int>(vertexCount), withNormals ? static_cast<int>(normals.size()) : 0,
                          static_cast<int>(faces.Count()));
        for (const Vec3& p : points)
            mesh.AddVertex(p);
        if (withNormals)
            for (const Vec3& n : normals)
                mesh.AddNormal(n);
        // The file's faces by number, to the mesh's (-1: fewer than three corners).
        std::vector<int> meshFace(faces.Count(), -1);
        for (size_t f = 0; f < faces.Count(); ++f) {
            const size_t corners = faces.Corners(f);
            if (corners < 3)
                continue;
            if (!Spend(corners))
                return false;
            const int* normal = withNormals && normalFaces.Corners(f) == corners ? normalFaces.Face(f) : nullptr;
            meshFace[f] = mesh.CreateFace();
            for (size_t c = 0; c < corners; ++c)
                mesh.AddVertexAndNormalIndexed(meshFace[f], faces.Face(f)[c], normal ? normal[c] : -1);
        }

        if (const XObject* coordinates = FirstChild(object, "MeshTextureCoords")) {
            NumberCursor uvIn(coordinates->numbers);
            size_t count;
            if (!uvIn.Count(2, count))
                return false;
            for (size_t i = 0; i < count; ++i) {
                float u, v;
                if (!uvIn.Float(u) || !uvIn.Float(v))
                    return false;
                if (i < vertexCount)
                    mesh.SetTextureCoordinates(static_cast<int>(i), u, v);
            }
        }

        loaded.faceMaterials.assign(static_cast<size_t>(mesh.GetFaceCount()), nullptr);
        if (const XObject* list = FirstChild(object, "MeshMaterialList"))
            if (!LoadMaterialList(*list, meshFace, loaded.faceMaterials))
                return false;

        if (!withNormals)
            FinishMeshObject(mesh);
        return true;
    }

    // The materials in the list's order (inline or referred to; null for a
    // reference to no material), and a material number per face; faces past
    // the numbers given take the last one.
    bool LoadMaterialList(const XObject& list, const std::vector<int>& meshFace,
                          std::vector<const XObject*>& faceMaterials)
    {
        std::vector<const XObject*> materials;
        for (const auto& child : list.children) {
            const XObject* material = nullptr;
            if (child->IsReference())
                material = Resolve(*child, "Material");
            else if (SameXName(child->type, "Material"))
                material = child.get();
            else
                continue;
            if (material && material->numbers.size() < kMaterialNumbers)
                return false;
            materials.push_back(material);
        }
        NumberCursor in(list.numbers);
        size_t declared, numbered;
        if (!in.Count(1, declared) || !in.Count(1, numbered))
            return false;
        int number = -1;
        for (size_t f = 0; f < meshFace.size(); ++f) {
            if (f < numbered && !in.Index(materials.size(), number))
                return false;
            if (number >= 0 && meshFace[f] >= 0)
                faceMaterials[static_cast<size_t>(meshFace[f])] = materials[static_cast<size_t>(number)];
        }
        return true;
    }

    // Scales a mesh so that its largest side is kXNormalisedSize.
    static void Normalise(MeshBuilder& mesh)
    {
        const Box box = mesh.GetBox();
        if (box.IsEmpty())
            return;
        const Vec3 size = box.Size();
        const float largest = std::max({size.x, size.y, size.z});
        if (largest > 0.0f && std::isfinite(largest) && std::isfinite(kXNormalisedSize / largest)) {
            const float s = kXNormalisedSize / largest;
            mesh.Scale(s, s, s);
        }
    }

    const XDocument& document_;
    std::unordered_map<std::string, const XObject*> names_;
    size_t budget_;
    bool unsupported_ = false;
};

struct AppliedMaterial {
    MaterialPtr material;
    uint32_t color = 0xFFFFFFFF;
    TexturePtr texture;
};

float Channel(double value)
{
    return std::clamp(static_cast<float>(value), 0.0f, 1.0f);
}

// A texture name as a bare file name: folders written with either slash go.
std::string BareTextureName(std::string name)
{
    std::replace(name.begin(), name.end(), '\\', '/');
    return FileNameOf(name);
}

// Puts what was loaded into the scene: each frame an object under its
// parent, each mesh a visual of its frame, one material (with its record)
// per distinct material of the file.
class XSceneBuilder {
public:
    XSceneBuilder(SceneModel& scene, const std::string& folder) : scene_(scene), folder_(folder) {}

    void Build(LoadedFrame& loaded, const FramePtr& parent)
    {
        FramePtr frame = scene_.NewObjectFrame(parent);
        frame->AddTransform(Combine::Replace, loaded.transform);
        std::string name = kXLoadedObjectFormat;
        name.replace(name.find("%s"), 2, std::to_string(scene_.names.importedObject++));
        AttachRecord(*frame, std::make_unique<ObjectRecord>(kObject, name));
        scene_.RegisterObject(frame);
        for (LoadedMesh& loadedMesh : loaded.meshes) {
            MeshBuilder& mesh = *loadedMesh.mesh;
            auto record = std::make_unique<MeshRecord>();
            record->owner = frame;
            AttachRecord(mesh, std::move(record));
            mesh.SetQuality(kQualityGouraudLitSolid);
            mesh.SetPerspective(true);
            mesh.SetColorSource(ColorSource::Face);
            for (size_t f = 0; f < loadedMesh.faceMaterials.size(); ++f) {
                const AppliedMaterial& applied = MaterialFor(loadedMesh.faceMaterials[f]);
                const int face = static_cast<int>(f);
                mesh.SetFaceColor(face, applied.color);
                mesh.SetFaceMaterial(face, applied.material);
                if (applied.texture)
                    mesh.SetFaceTexture(face, applied.texture);
            }
            frame->AddVisual(loadedMesh.mesh);
        }
        for (LoadedFrame& child : loaded.children)
            Build(child, frame);
    }

private:
    // The material of a file's material (null: a face without one), made
    // on first use.
    const AppliedMaterial& MaterialFor(const XObject* source)
    {
        const auto found = materials_.find(source);
        if (found != materials_.end())
            return found->second;
        AppliedMaterial& applied = materials_[source];
        auto record = std::make_unique<MaterialRecord>();
        record->id = scene_.materialIdCounter++;
        if (!source) {
            applied.material = Material::Create(5.0f);
        } else {
            const std::vector<double>& v = source->numbers;
            const float power = static_cast<float>(std::clamp(v[4], 0.0, 1e6));
            applied.material = Material::Create(power);
            applied.material->SetSpecular(Channel(v[5]), Channel(v[6]), Channel(v[7]));
            applied.material->SetEmissive(Channel(v[8]), Channel(v[9]), Channel(v[10]));
            applied.color = MakeARGB(Channel(v[0]), Channel(v[1]), Channel(v[2]), Channel(v[3]));
            record->power = power;
            record->name = source->name;
            for (int i = 0; i < 3; ++i) {
                record->specular[i] = Channel(v[5 + static_cast<size_t>(i)]);
                record->emissive[i] = Channel(v[8 + static_cast<size_t>(i)]);
            }
            const XObject* texture = FirstChild(*source, "TextureFilename");
            if (texture && !texture->strings.empty())
                applied.texture = LoadTexture(BareTextureName(texture->strings.front()), *record);
        }
        const ColorRGBA color = ColorFromARGB(applied.color);
        record->diffuse[0] = color.r;
        record->diffuse[1] = color.g;
        record->diffuse[2] = color.b;
        record->alpha = color.a;
        AttachRecord(*applied.material, std::move(record));
        scene_.materials.push_back(applied.material);
        return applied;
    }

    TexturePtr LoadTexture(const std::string& name, MaterialRecord& record)
    {
        if (!IsBareFileName(name))
            return nullptr;
        record.textureName = name;
        if (!progress_)
            progress_.emplace(scene_);
        return ResolveTexture(scene_, folder_, name, record, *progress_);
    }

    SceneModel& scene_;
    const std::string& folder_;
    std::map<const XObject*, AppliedMaterial> materials_;
    // Shown only while textures are loaded: the format has no progress of its own.
    std::optional<ImportProgress> progress_;
};

} // namespace

bool ReadXBytes(Document& document, const uint8_t* data, size_t size, const std::string& folder)
{
    SceneModel& scene = document.scene;
    // The file's objects stay while the scene is built: the materials are
    // made from them.
    XDocument file;
    std::vector<LoadedFrame> top;
    bool unsupported = false;
    bool loaded = ParseXData(data, size, file);
    if (loaded) {
        XLoader loader(file);
        loaded = loader.Load(top);
        unsupported = loader.Unsupported();
    }
    if (!loaded) {
        scene.ui().ShowMessage(kXLoadFailed);
        return false;
    }
    if (unsupported)
        scene.ui().ShowMessage(kXObjectNotSupported);
    XSceneBuilder builder(scene, folder);
    for (LoadedFrame& frame : top)
        builder.Build(frame, scene.Scene());
    return true;
}

bool ImportX(Document& document, const std::string& path, const ImportOptions& /*options*/)
{
    std::vector<uint8_t> bytes;
    if (ReadWholeFile(path, bytes) != ReadStatus::Read) {
        document.scene.ui().ShowMessage(kXLoadFailed);
        return false;
    }
    return ReadXBytes(document, bytes.data(), bytes.size(), FolderOf(path));
}

} // namespace corvid
