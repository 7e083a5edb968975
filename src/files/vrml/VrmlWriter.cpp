// The VRML export: collects the meshes and lights depth first, then writes
// the fixed header, background, fog, viewpoint, lights and one Shape per
// material of every mesh, in world coordinates with z negated. Numbers go
// through std::to_chars, so the text is the same under every locale.

#include "files/Document.h"
#include "files/FileIo.h"
#include "files/ImportPipeline.h"
#include "files/vrml/VrmlFile.h"
#include "platform/Frame.h"
#include "platform/Light.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "scene/Records.h"
#include "scene/SceneModel.h"
#include "scene/Ui.h"

#include <charconv>
#include <new>
#include <unordered_map>

namespace corvid {

namespace {

constexpr const char* kUnnamedMaterialPrefix = "MATERIALCVD_";

// The text being written, with the number forms of the file: "%f" (six
// decimals) and "%d".
class VrmlText {
public:
    void Reserve(size_t bytes) { out_.reserve(bytes); }
    VrmlText& operator<<(std::string_view text)
    {
        out_.append(text);
        return *this;
    }
    VrmlText& Fixed(double value)
    {
        char buffer[400];  // room for any double in fixed notation
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
        out_.append(buffer, result.ptr);
        return *this;
    }
    VrmlText& Int(long long value)
    {
        char buffer[24];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        out_.append(buffer, result.ptr);
        return *this;
    }
    // Three numbers separated by blanks.
    VrmlText& Triple(double a, double b, double c) { return Fixed(a).Blank().Fixed(b).Blank().Fixed(c); }
    VrmlText& Blank()
    {
        out_.push_back(' ');
        return *this;
    }
    // A quoted string; quotes and backslashes inside are escaped.
    VrmlText& Quoted(std::string_view text)
    {
        out_.push_back('"');
        for (char c : text) {
            if (c == '"' || c == '\\')
                out_.push_back('\\');
            out_.push_back(c);
        }
        out_.push_back('"');
        return *this;
    }
    std::string Take() { return std::move(out_); }

private:
    std::string out_;
};

struct MeshEntry {
    FramePtr frame;
    MeshBuilderPtr mesh;
};

struct LightEntry {
    FramePtr frame;
    LightPtr light;
};

// The faces of one mesh written as one shape: those of one material, or
// (record null) those without a material of the program's.
struct Shape {
    MaterialRecord* record = nullptr;
    std::vector<int> faces;
};

class VrmlWriter {
public:
    VrmlWriter(Document& document, const ImportOptions& options, const std::string& path,
               const VrmlWriteSettings& settings)
        : scene_(document.scene), options_(options), path_(path), folder_(FolderOf(path)), settings_(settings)
    {
    }

    void Collect()
    {
        FramePtr start = scene_.Scene();
        if (options_.lastPickedOnly) {
            start = scene_.SelectedFrame();
            if (!start || !RecordOf(start.get()))
                return;
        }
        // Depth first, each frame before its children, without recursion:
        // a deep hierarchy cannot overflow the stack.
        std::vector<FramePtr> stack{start};
        while (!stack.empty()) {
            FramePtr frame = std::move(stack.back());
            stack.pop_back();
            if (const ObjectRecord* record = RecordOf(frame.get())) {
                if (record->kind == kObject || record->kind == kPatch) {
                    for (const MeshBuilderPtr& mesh : frame->GetVisuals())
                        meshes_.push_back({frame, mesh});
                } else if (record->kind == kLight) {
                    for (const LightPtr& light : frame->GetLights())
                        lights_.push_back({frame, light});
                }
            }
            const std::vector<FramePtr>& children = frame->GetChildren();
            for (auto child = children.rbegin(); child != children.rend(); ++child)
                stack.push_back(*child);
        }
    }

    std::string Write()
    {
        size_t estimate = 4096;
        for (const MeshEntry& entry : meshes_)
            estimate += 150 * static_cast<size_t>(entry.mesh->GetVertexCount()) +
                        40 * static_cast<size_t>(entry.mesh->GetFaceCount());
        out_.Reserve(estimate);
        writeHeader();
        writeBackground();
        if (options_.addFog && scene_.World()->Scene().fogEnabled)
            writeFog();
        writeViewpoint();
        if (!lights_.empty() && options_.addLights) {
            for (const LightEntry& entry : lights_)
                writeLight(entry);
        } else {
            out_ << "PointLight {\n\tambientIntensity 1\n\ton TRUE\n\tcolor  1 1 1\n}\n\n";
        }
        out_ << "Transform {\n\tchildren [\n";
        for (const MeshEntry& entry : meshes_)
            writeMesh(entry);
        out_ << "\t]\n}\n";
        return out_.Take();
    }

private:
    void writeHeader()
    {
        // A line break in the path would end the comment line early.
        std::string shown = path_;
        for (char& c : shown)
            if (c == '\n' || c == '\r')
                c = ' ';
        out_ << "#VRML V2.0 utf8\n#CVD EXPORT\n\n#VRML 2.0 file: " << shown << "\n";
        const std::time_t now = settings_.time ? *settings_.time : std::time(nullptr);
        std::tm local{};
        char date[128] = "";
        if (localtime_r(&now, &local))
            std::strftime(date, sizeof date, "%A, %B %d, %Y  %H:%M:%S", &local);
        out_ << "#Date/Time " << date << "\n\n";
        out_ << "WorldInfo {\n\t info \"Gravity: off\"\n}\n\n";
        out_ << "NavigationInfo {\n\theadlight TRUE\n}\n\n";
    }

    void writeBackground()
    {
        const ColorRGBA& c = scene_.World()->Scene().background;
        out_ << "Background {\n\tskyColor ";
        out_.Triple(c.r, c.g, c.b) << "\n\tgroundColor ";
        out_.Triple(c.r, c.g, c.b) << "\n";
        const SceneSettings& s = scene_.Settings();
        if (s.backgroundImageOn && options_.addBackground && IsBareFileName(s.backgroundImageName) &&
            s.backgroundImageName != kNoBackgroundName) {
            const std::string& name = s.backgroundImageName;
            copyBeside(s.backgroundImagePath, name);
            for (const char* field : {"backUrl", "frontUrl", "topUrl", "bottomUrl", "rightUrl", "leftUrl"}) {
                out_ << "\t" << field << " ";
                out_.Quoted(name) << "\n";
            }
        }
        out_ << "}\n\n";
    }

    void writeFog()
    {
        const SceneProperties& p = scene_.World()->Scene();
        out_ << "Fog {\n\tcolor ";
        out_.Triple(p.fogColor.r, p.fogColor.g, p.fogColor.b) << "\n\tfogType \"EXPONENTIAL\"\n\tvisibilityRange ";
        out_.Fixed(p.fogStart) << "\n}\n\n";
    }

    void writeViewpoint()
    {
        const Box box = scene_.Scene()->GetHierarchyBox();
        float height = 0.0f, depth = 0.0f;
        if (!box.IsEmpty()) {
            height = (box.min.y + box.max.y) * 0.33333334f * 2.0f;
            depth = box.max.z;
        }
        out_ << "Viewpoint {\n\tfieldOfView 0.78\n\tposition 0 ";
        out_.Fixed(height).Blank().Fixed(depth);
        out_ << "\n\torientation  1 0 0 -0.1\n\tdescription \"default view\"\n}\n\n";
    }

    void writeLight(const LightEntry& entry)
    {
        const Light& light = *entry.light;
        const LightType type = light.GetType();
        const bool directional = type == LightType::Directional;
        const bool spot = type == LightType::Spot;
        out_ << (directional ? "DirectionalLight {\n" : spot ? "SpotLight {\n" : "PointLight {\n");
        out_ << "\ton TRUE\n\tintensity 1\n\tambientIntensity 0\n\tcolor ";
        const ColorRGBA color = light.GetColor();
        out_.Triple(color.r, color.g, color.b) << "\n";
        const Frame* scene = scene_.Scene().get();
        if (directional || spot) {
            Vec3 direction, up;
            entry.frame->GetOrientation(scene, direction, up);
            out_ << "\tdirection ";
            out_.Triple(direction.x, direction.y, -direction.z) << "\n";
        }
        if (!directional) {
            const Vec3 at = entry.frame->GetTransform(scene).GetTranslation();
            out_ << "\tlocation ";
            out_.Triple(at.x, at.y, -at.z) << "\n\tattenuation ";
            out_.Triple(light.GetConstantAttenuation(), light.GetLinearAttenuation(), light.GetQuadraticAttenuation());
            out_ << "\n\tradius ";
            out_.Fixed(light.GetRange()) << "\n";
        }
        if (spot) {
            out_ << "\tcutOffAngle ";
            out_.Fixed(light.GetUmbra() > 0.1f ? light.GetUmbra() : 0.1f) << "\n\tbeamWidth ";
            out_.Fixed(light.GetPenumbra()) << "\n";
        }
        out_ << "}\n\n";
    }

    // --- meshes ---------------------------------------------------------------------------------

    // The shapes of a mesh: one per material record, in the order first met,
    // then one for the faces without a material record.
    std::vector<Shape> shapesOf(const MeshBuilder& mesh)
    {
        std::vector<Shape> shapes;
        std::unordered_map<int32_t, size_t> shapeOfId;
        Shape plain;
        const int faceCount = mesh.GetFaceCount();
        for (int face = 0; face < faceCount; ++face) {
            const FaceAttributes* attributes = mesh.GetFaceAttributes(face);
            MaterialRecord* record = attributes && attributes->material ? RecordOf(attributes->material.get()) : nullptr;
            if (!record) {
                plain.faces.push_back(face);
                continue;
            }
            if (record->name.empty())
                record->name = kUnnamedMaterialPrefix + std::to_string(record->id);
            auto [at, added] = shapeOfId.try_emplace(record->id, shapes.size());
            if (added)
                shapes.push_back({record, {}});
            shapes[at->second].faces.push_back(face);
        }
        if (!plain.faces.empty())
            shapes.push_back(std::move(plain));
        return shapes;
    }

    void writeMesh(const MeshEntry& entry)
    {
        const MeshBuilder& mesh = *entry.mesh;
        const MeshRecord* meshRecord = RecordOf(&mesh);
        const bool repeat = meshRecord && meshRecord->wrapType >= 1 && meshRecord->wrapType <= 3;
        const Matrix4 toScene = entry.frame->GetTransform(scene_.Scene().get());
        number_.assign(static_cast<size_t>(mesh.GetVertexCount()), -1);
        for (const Shape& shape : shapesOf(mesh))
            writeShape(mesh, shape, toScene, repeat);
    }

    void writeMaterial(const MeshBuilder& mesh, const Shape& shape)
    {
        MaterialRecord plain;
        if (!shape.record) {
            // Faces without a material of the program's: their own colour.
            const FaceAttributes* first = mesh.GetFaceAttributes(shape.faces.front());
            const ColorRGBA color = ColorFromARGB(first ? first->color : 0xFFFFFFFF);
            plain.diffuse[0] = color.r;
            plain.diffuse[1] = color.g;
            plain.diffuse[2] = color.b;
            plain.alpha = color.a;
        }
        const MaterialRecord& r = shape.record ? *shape.record : plain;
        out_ << "\t\tShape {\n\t\t\tappearance Appearance {\n\t\t\t\tmaterial Material {\n\t\t\t\t\tdiffuseColor ";
        out_.Triple(r.diffuse[0], r.diffuse[1], r.diffuse[2]) << "\n\t\t\t\t\temissiveColor ";
        out_.Triple(r.emissive[0], r.emissive[1], r.emissive[2]) << "\n\t\t\t\t\tspecularColor ";
        out_.Triple(r.specular[0], r.specular[1], r.specular[2]) << "\n\t\t\t\t\tambientIntensity ";
        out_.Fixed(r.power) << "\n\t\t\t\t\tshininess ";
        out_.Fixed(r.power * 0.01f) << "\n\t\t\t\t\ttransparency ";
        out_.Fixed(1.0f - r.alpha) << "\n\t\t\t\t}\n";
    }

    // The bare name a material's texture is written under; empty for none.
    static std::string TextureNameOf(const Shape& shape)
    {
        if (!shape.record || shape.record->textureName.empty())
            return {};
        std::string name = FileNameOf(shape.record->textureName);
        return IsBareFileName(name) ? name : std::string{};
    }

    void writeShape(const MeshBuilder& mesh, const Shape& shape, const Matrix4& toScene, bool repeat)
    {
        writeMaterial(mesh, shape);
        const std::string texture = TextureNameOf(shape);
        if (!texture.empty()) {
            out_ << "\t\t\t\ttexture ImageTexture {\n";
            out_ << (repeat ? "\t\t\t\t\trepeatS TRUE\n\t\t\t\t\trepeatT TRUE\n"
                            : "\t\t\t\t\trepeatS FALSE\n\t\t\t\t\trepeatT FALSE\n");
            out_ << "\t\t\t\t\turl ";
            out_.Quoted(texture) << "\n\t\t\t\t}\n";
            copyBeside(shape.record->textureFile, texture);
            out_ << "\t\t\t\ttextureTransform TextureTransform {\n\t\t\t\t\tcenter 0 0\n\t\t\t\t\trotation 0\n"
                    "\t\t\t\t\tscale 1 1\n\t\t\t\t\ttranslation 0 0\n\t\t\t\t}\n";
        }
        out_ << "\t\t\t}\n";

        // One walk over the corners, each face from its last corner to its
        // first, numbers the vertices in the order they are first met. The
        // points, normals and texture coordinates are all numbered by it, so
        // the three index lists are one text.
        written_.clear();
        firstNormal_.clear();
        std::string indices;
        VrmlText list;
        list << "\t\t\t\t\t";
        for (int face : shape.faces) {
            const std::span<const Corner> corners = mesh.GetFaceCorners(face);
            for (auto corner = corners.rbegin(); corner != corners.rend(); ++corner) {
                int& number = number_[static_cast<size_t>(corner->vertex)];
                if (number < 0) {
                    number = static_cast<int>(written_.size());
                    written_.push_back(corner->vertex);
                    firstNormal_.push_back(corner->normal);
                }
                list.Blank().Int(number) << ",";
            }
            list << " -1,\n\t\t\t\t\t";
        }
        list << "]\n";
        indices = list.Take();
        for (int vertex : written_)
            number_[static_cast<size_t>(vertex)] = -1;

        out_ << "\t\t\tgeometry IndexedFaceSet {\n\t\t\t\tcoord Coordinate {\n\t\t\t\t\tpoint [\n";
        const std::vector<Vec3>& vertices = mesh.GetVertices();
        for (int vertex : written_) {
            const Vec3 p = toScene.TransformPoint(vertices[static_cast<size_t>(vertex)]);
            out_ << "\t\t\t\t\t\t";
            out_.Triple(p.x, p.y, -p.z) << ",\n";
        }
        out_ << "\t\t\t\t\t]\n\t\t\t\t}\n\t\t\t\tcoordIndex [\n" << indices;

        out_ << "\t\t\t\tnormal Normal {\n\t\t\t\t\tvector [\n";
        for (size_t i = 0; i < written_.size(); ++i) {
            Vec3 n;
            // The corner's own normal; a corner without one has its vertex's.
            if (!mesh.GetNormal(firstNormal_[i], n) && !mesh.GetNormal(written_[i], n))
                n = {};
            out_ << "\t\t\t\t\t\t";
            out_.Triple(n.x, n.y, -n.z) << ",\n";
        }
        out_ << "\t\t\t\t\t]\n\t\t\t\t}\n\t\t\t\tnormalIndex [\n" << indices;

        if (!texture.empty()) {
            out_ << "\t\t\t\ttexCoord TextureCoordinate {\n\t\t\t\t\tpoint [\n";
            for (int vertex : written_) {
                float u = 0, v = 0;
                mesh.GetTextureCoordinates(vertex, u, v);
                out_ << "\t\t\t\t\t\t";
                out_.Fixed(u).Blank().Fixed(-v) << ",\n";
            }
            out_ << "\t\t\t\t\t]\n\t\t\t\t}\n\t\t\t\ttexCoordIndex [\n" << indices;
        }
        out_ << "\t\t\t}\n\t\t}\n";
    }

    // Copies a picture beside the written file under its bare name; never
    // onto itself. A failed copy is not reported: the world itself is written.
    void copyBeside(const std::string& source, const std::string& name)
    {
        if (settings_.copyFiles)
            CopyFileBeside(source, folder_, name);
    }

    SceneModel& scene_;
    const ImportOptions& options_;
    std::string path_;
    std::string folder_;
    VrmlWriteSettings settings_;
    VrmlText out_;
    std::vector<MeshEntry> meshes_;
    std::vector<LightEntry> lights_;
    // Per mesh vertex: its number in the shape being written, or -1.
    std::vector<int> number_;
    // The shape's vertices in number order, with the normal of the corner
    // that first met each.
    std::vector<int> written_;
    std::vector<int> firstNormal_;
};

} // namespace

std::string WriteVrmlText(Document& document, const ImportOptions& options, const std::string& path,
                          const VrmlWriteSettings& settings)
{
    VrmlWriter writer(document, options, path, settings);
    writer.Collect();
    return writer.Write();
}

bool ExportVrml(Document& document, const std::string& path, const ImportOptions& options)
{
    Ui& ui = document.scene.ui();
    ImportProgress progress(document.scene);
    progress.Status(kVrmlCollecting);
    std::string text;
    try {
        VrmlWriter writer(document, options, path, {});
        writer.Collect();
        progress.Status(kVrmlWriting);
        text = writer.Write();
    } catch (const std::bad_alloc&) {
        ui.ShowMessage(kVrmlWriteError);
        return false;
    }
    const WriteStatus status = WriteFileAtomically(path, std::vector<uint8_t>(text.begin(), text.end()));
    if (status != WriteStatus::Written) {
        ui.ShowMessage(status == WriteStatus::CannotOpen ? kVrmlOpenForWriteFailed : kVrmlWriteError);
        return false;
    }
    progress.Percent(100);
    progress.Status(kVrmlWritten);
    return true;
}

bool IsVrmlFile(const uint8_t* data, size_t size)
{
    return size >= kVrmlHeaderLine.size() &&
           std::string_view(reinterpret_cast<const char*>(data), kVrmlHeaderLine.size()) == kVrmlHeaderLine;
}

} // namespace corvid
