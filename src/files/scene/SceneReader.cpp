// The scene file's reader: one pass over the chunks, building as it goes,
// with node indices looked up in a table of the objects read. Every count and
// length is checked against the bytes that are left before anything is
// made or reserved, so a damaged file ends the load with the corrupted-file
// message, never with a crash or an unbounded allocation.

#include "anim/Animation.h"
#include "anim/KeyLists.h"
#include "anim/Transport.h"
#include "files/BinaryIo.h"
#include "files/Document.h"
#include "files/FileIo.h"
#include "files/ImportPipeline.h"
#include "files/scene/SceneFile.h"
#include "files/scene/SceneFormat.h"
#include "materials/WorldSettings.h"
#include "platform/Frame.h"
#include "platform/Interpolator.h"
#include "platform/Light.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "platform/Texture.h"
#include "platform/Wrap.h"
#include "render/ViewSet.h"
#include "scene/EditParts.h"
#include "scene/MoveBehaviours.h"
#include "scene/Records.h"
#include "scene/SceneModel.h"
#include "scene/Ui.h"

#include <cstring>
#include <optional>
#include <unordered_map>

namespace corvid {

namespace {

struct ChunkHeader {
    std::string tag;
    int32_t a = 0, b = 0, c = 0;
    size_t start = 0;  // where the tag begins
    size_t end = 0;    // one past the chunk's last byte
};

// An object made for a node index; a light's frame also keeps its light.
struct Entry {
    FramePtr frame;
    LightPtr light;
};

struct FileMaterial {
    uint32_t color = 0;
    MaterialPtr material;
    TexturePtr texture;
};

constexpr int kLightTypeCount = 5;

class SceneReader {
public:
    SceneReader(Document& document, const uint8_t* data, size_t size, const ImportOptions& options,
                std::string folder, ImportProgress& progress)
        : doc_(document), scene_(document.scene), data_(data), in_(data, size), options_(options), folder_(std::move(folder)),
          progress_(progress)
    {
    }

    bool Read()
    {
        if (!IsSceneFile(data_, in_.Size()))
            return false;
        progress_.Status("File Validated...");
        createDefaultMaterial();
        in_.Seek(cvd::kHeaderSize);
        while (!in_.AtEnd()) {
            progress_.Bytes(in_.Position(), in_.Size());
            ChunkHeader chunk;
            if (!readHeader(chunk) || !dispatch(chunk))
                return false;
            // Whatever a chunk holds past what was read is skipped.
            in_.Seek(chunk.end);
        }
        progress_.Percent(100);
        progress_.Status(kImportedSuccessfully);
        return true;
    }

private:
    // --- chunk headers ----------------------------------------------------------------------
    // Reads the header at the position; the chunk must lie inside the file
    // and be at least as long as its header.
    bool readHeader(ChunkHeader& chunk)
    {
        chunk.start = in_.Position();
        int32_t length = 0;
        if (!in_.String(chunk.tag) || !in_.Int32(chunk.a) || !in_.Int32(chunk.b) || !in_.Int32(chunk.c) ||
            !in_.Int32(length))
            return false;
        const size_t headerBytes = in_.Position() - chunk.start;
        if (length < 0 || static_cast<size_t>(length) < headerBytes ||
            static_cast<size_t>(length) > in_.Size() - chunk.start)
            return false;
        chunk.end = chunk.start + static_cast<size_t>(length);
        return true;
    }

    // The chunk after the current one when its tag is tag (the position is
    // then at its body); otherwise the position stays where it was.
    bool nextIs(const char* tag, ChunkHeader& chunk)
    {
        const size_t at = in_.Position();
        if (!in_.AtEnd() && readHeader(chunk) && chunk.tag == tag)
            return true;
        in_.Seek(at);
        return false;
    }

    // The bytes of the current chunk not yet read.
    size_t leftIn(const ChunkHeader& chunk) const { return chunk.end > in_.Position() ? chunk.end - in_.Position() : 0; }

    bool dispatch(const ChunkHeader& chunk)
    {
        // A body must end inside its chunk: read it from a view that stops there.
        const std::string& t = chunk.tag;
        if (t == cvd::kMaterial)
            return !options_.addMaterials || readMaterial(chunk);
        if (t == cvd::kSwitches)
            return readSwitches(chunk);
        if (t == cvd::kMesh || t == cvd::kPatch)
            return t == cvd::kPatch || readMesh(chunk);
        if (t == cvd::kGroup)
            return readGroup(chunk);
        if (t == cvd::kLight)
            return !options_.addLights || readLight(chunk);
        if (t == cvd::kCamera)
            return !options_.addCameras || readCamera(chunk);
        if (t == cvd::kLookAt)
            return readLookAt(chunk);
        if (t == cvd::kAnimationSettings)
            return !options_.addAnimation || readAnimationSettings(chunk);
        if (t == cvd::kKeys)
            return !options_.addAnimation || readKeys(chunk);
        if (t == cvd::kFog)
            return !options_.addFog || readFog(chunk);
        if (t == cvd::kBackground)
            return !options_.addBackground || readBackground(chunk);
        if (t == cvd::kViewCamera)
            return readViewCamera(chunk);
        return true;  // not one of ours: skipped by its length
    }

    // --- reading within a chunk ---------------------------------------------------------------
    // Every read below must stay inside the chunk.
    bool within(const ChunkHeader& chunk) const { return in_.Position() <= chunk.end; }
    bool int32(const ChunkHeader& chunk, int32_t& v) { return in_.Int32(v) && within(chunk); }
    bool real(const ChunkHeader& chunk, float& v) { return in_.Float(v) && within(chunk); }
    bool byte(const ChunkHeader& chunk, uint8_t& v) { return in_.Byte(v) && within(chunk); }
    bool vec(const ChunkHeader& chunk, Vec3& v) { return in_.Vec(v) && within(chunk); }
    bool text(const ChunkHeader& chunk, std::string& v) { return in_.String(v) && within(chunk); }
    // The lengths of a transform's first three rows are the object's scale
    // along its axes, and turning the object keeps them. The frames'
    // arithmetic squares and multiplies them (a row's length, products with
    // parents), so a finite scale beyond this bound can overflow there into
    // a NaN that the scene would then keep and save. Such a transform counts
    // as damage.
    static constexpr double kMaxScale = 1e9;
    bool matrix(const ChunkHeader& chunk, Matrix4& v)
    {
        if (!in_.Matrix(v) || !within(chunk))
            return false;
        for (int r = 0; r < 3; ++r) {
            double squared = 0;
            for (int c = 0; c < 3; ++c)
                squared += static_cast<double>(v.m[r][c]) * v.m[r][c];
            if (squared > kMaxScale * kMaxScale)
                return false;
        }
        return true;
    }
    // A count of items of at least itemBytes each that the chunk can hold.
    bool count(const ChunkHeader& chunk, int32_t& n, size_t itemBytes)
    {
        return int32(chunk, n) && n >= 0 && static_cast<size_t>(n) <= leftIn(chunk) / itemBytes;
    }

    // --- objects --------------------------------------------------------------------------------
    Entry* entry(int32_t node)
    {
        if (node < 1)
            return nullptr;
        auto found = table_.find(node);
        return found == table_.end() || !found->second.frame ? nullptr : &found->second;
    }

    // The frame a reference index names: 0 SCENE, an object read, or none.
    FramePtr frameOf(int32_t node)
    {
        if (node == cvd::kSceneNode)
            return scene_.Scene();
        Entry* e = entry(node);
        return e ? e->frame : nullptr;
    }

    // A new object frame under the object of parent index c (SCENE when
    // there is none), with its record.
    FramePtr newObject(int32_t parent, int32_t kind, const std::string& name)
    {
        Entry* p = entry(parent);
        FramePtr frame = scene_.NewObjectFrame(p ? p->frame : nullptr);
        AttachRecord(*frame, std::make_unique<ObjectRecord>(kind, name));
        return frame;
    }

    // The file keeps transforms relative to the scene root of the writer;
    // whatever the object hangs under, it gets that placement here. Frames
    // are affine: the last column is taken as (0, 0, 0, 1) whatever the file
    // holds there (the writer's rounding, or damage), since a point's w is
    // divided out and one near 0 throws it to infinity. What the file said
    // is kept for saving it again unchanged.
    void place(Frame& frame, const Matrix4& transform)
    {
        Matrix4 affine = transform;
        affine.m[0][3] = affine.m[1][3] = affine.m[2][3] = 0.0f;
        affine.m[3][3] = 1.0f;
        frame.SetTransform(scene_.Scene().get(), affine);
        remember(frame, transform, {}, {}, {});
    }

    // Keeps what the file said beside where the frame now is (FilePlacement).
    void remember(Frame& frame, const Matrix4& transform, const Vec3& position, const Vec3& direction, const Vec3& up)
    {
        ObjectRecord* record = RecordOf(&frame);
        if (!record)
            return;
        auto placement = std::make_shared<FilePlacement>();
        placement->sceneTransform = transform;
        placement->position = position;
        placement->direction = direction;
        placement->up = up;
        placement->local = frame.GetLocalTransform();
        placement->parentToScene =
            frame.GetParent() ? frame.GetParent()->GetTransform(scene_.Scene().get()) : Matrix4::Identity();
        record->filePlacement = std::move(placement);
    }

    void remember(int32_t node, const FramePtr& frame, const LightPtr& light = nullptr)
    {
        if (node >= 1)
            table_[node] = {frame, light};
    }

    void finishObject(const FramePtr& frame)
    {
        scene_.Select(frame);
        scene_.RegisterObject(frame);
    }

    bool readGroup(const ChunkHeader& chunk)
    {
        std::string name;
        Matrix4 transform;
        if (!text(chunk, name) || !matrix(chunk, transform))
            return false;
        // The writer's own SCENE comes first: it stands for this scene's
        // SCENE, so that a saved scene loads back as it was.
        if (chunk.c == cvd::kSceneNode && name == "SCENE" && !sceneTaken_) {
            sceneTaken_ = true;
            remember(chunk.b, scene_.Scene());
            return true;
        }
        FramePtr frame = newObject(chunk.c, kEmpty, name);
        scene_.RegisterObject(frame);
        place(*frame, transform);
        remember(chunk.b, frame);
        return true;
    }

    bool readMesh(const ChunkHeader& chunk)
    {
        std::string name;
        if (!text(chunk, name))
            return false;
        progress_.Status("Building object..." + name);
        FramePtr frame = newObject(chunk.c, chunk.a == kObject ? kObject : kPatch, name);
        MeshBuilderPtr mesh = MeshBuilder::Create();
        auto meshRecord = std::make_unique<MeshRecord>();
        meshRecord->owner = frame;
        MeshRecord& wrap = *AttachRecord(*mesh, std::move(meshRecord));
        frame->AddVisual(mesh);
        mesh->SetQuality(kQualityGouraudLitSolid);
        // The object is registered even when its body turns out damaged, so
        // that what was made stays a proper object of the scene.
        struct Register {
            SceneReader& reader;
            FramePtr frame;
            ~Register() { reader.finishObject(frame); }
        } registerOnExit{*this, frame};

        int32_t vertexCount = 0, normalCount = 0, faceCount = 0;
        if (!count(chunk, vertexCount, 12) || !count(chunk, normalCount, 12) || !count(chunk, faceCount, 4))
            return false;
        if (static_cast<size_t>(vertexCount) + static_cast<size_t>(normalCount) > leftIn(chunk) / 12)
            return false;
        mesh->ReserveSpace(vertexCount, normalCount, faceCount);
        std::vector<Vec3> points(static_cast<size_t>(std::max(vertexCount, normalCount)));
        if (!in_.Floats(reinterpret_cast<float*>(points.data()), static_cast<size_t>(vertexCount) * 3))
            return false;
        for (int32_t i = 0; i < vertexCount; ++i)
            mesh->AddVertex(points[static_cast<size_t>(i)]);
        progress_.Bytes(in_.Position(), in_.Size());
        if (!in_.Floats(reinterpret_cast<float*>(points.data()), static_cast<size_t>(normalCount) * 3))
            return false;
        for (int32_t i = 0; i < normalCount; ++i)
            mesh->AddNormal(points[static_cast<size_t>(i)]);
        progress_.Bytes(in_.Position(), in_.Size());

        int32_t groupCount = 0;
        if (!count(chunk, groupCount, 5))
            return false;
        for (int32_t g = 0; g < groupCount; ++g)
            if (!readFaceGroup(chunk, *mesh, vertexCount, normalCount))
                return false;
        progress_.Bytes(in_.Position(), in_.Size());
        Matrix4 transform;
        if (!matrix(chunk, transform))
            return false;
        place(*frame, transform);
        remember(chunk.b, frame);

        ChunkHeader next;
        if (nextIs(cvd::kPatch, next)) {
            ObjectRecord& record = *RecordOf(frame.get());
            int32_t v[6];
            for (int32_t& value : v)
                if (!int32(next, value))
                    return false;
            record.cpRow = v[0];
            record.cpColumn = v[1];
            record.cpRows = v[2];
            record.cpColumns = v[3];
            record.patchType = next.a;
            record.cpStepsU = v[4];
            record.cpStepsV = v[5];
            in_.Seek(next.end);
        }
        if (options_.addTextures && nextIs(cvd::kWrap, next)) {
            if (!readWrap(next, *frame, *mesh, wrap, vertexCount))
                return false;
            in_.Seek(next.end);
        }
        return true;
    }

    bool readFaceGroup(const ChunkHeader& chunk, MeshBuilder& mesh, int32_t vertexCount, int32_t normalCount)
    {
        std::string materialName;
        int32_t faces = 0;
        if (!text(chunk, materialName) || !count(chunk, faces, 4))
            return false;
        const FileMaterial* material = nullptr;
        if (auto found = materialByName_.find(materialName); found != materialByName_.end())
            material = &materials_[found->second];
        const uint32_t color = material ? material->color : cvd::kDefaultFaceColor;
        const MaterialPtr& faceMaterial = material ? material->material : defaultMaterial_;
        const TexturePtr texture = material ? material->texture : nullptr;
        for (int32_t f = 0; f < faces; ++f) {
            // A face's corners are read at once: vertex and normal index each.
            int32_t corners = 0;
            if (!count(chunk, corners, 8))
                return false;
            const size_t n = static_cast<size_t>(corners);
            cornerValues_.resize(2 * n);
            if (!in_.Int32s(cornerValues_.data(), 2 * n) || !within(chunk))
                return false;
            faceVertices_.resize(n);
            faceNormals_.resize(n);
            size_t good = 0;
            for (; good < n; ++good) {
                const int32_t vertex = cornerValues_[2 * good], normal = cornerValues_[2 * good + 1];
                // A corner without a normal is written with -1.
                if (vertex < 0 || vertex >= vertexCount || normal < -1 || normal >= normalCount)
                    break;
                faceVertices_[good] = vertex;
                faceNormals_[good] = normal;
            }
            int face = 0;
            if (good == n && n >= 3) {
                face = mesh.AddFace(faceVertices_, faceNormals_);
            } else {
                // A face of fewer than three corners, or one that a bad
                // corner ends (and the read with it): corner by corner, so
                // that what came before the bad one stays.
                face = mesh.CreateFace();
                for (size_t k = 0; k < good; ++k)
                    mesh.AddVertexAndNormalIndexed(face, faceVertices_[k], faceNormals_[k]);
                if (good < n)
                    return false;
            }
            mesh.SetFaceColor(face, color);
            mesh.SetFaceMaterial(face, faceMaterial);
            if (texture)
                mesh.SetFaceTexture(face, texture);
        }
        return true;
    }

    bool readWrap(const ChunkHeader& chunk, Frame& frame, MeshBuilder& mesh, MeshRecord& record, int32_t vertexCount)
    {
        int32_t reference = 0;
        uint8_t adaptive = 0, live = 0;
        std::array<float, 13> fields{};
        if (!int32(chunk, reference) || !byte(chunk, adaptive) || !byte(chunk, live) ||
            !in_.Floats(fields.data(), fields.size()) || !within(chunk))
            return false;
        if (static_cast<size_t>(vertexCount) > leftIn(chunk) / 8)
            return false;
        // Only the six wrap shapes can be laid again.
        if (chunk.a < static_cast<int32_t>(WrapType::Flat) || chunk.a > static_cast<int32_t>(WrapType::Box))
            return false;
        std::vector<float> uv(static_cast<size_t>(vertexCount) * 2);
        if (!in_.Floats(uv.data(), uv.size()))
            return false;
        record.wrapType = chunk.a;
        const bool wraps = chunk.a == 1 || chunk.a == 2 || chunk.a == 3;
        mesh.SetTextureTopology(wraps, wraps);
        record.wrapReference = reference;
        record.adaptiveScale = adaptive != 0;
        record.liveWrap = live != 0;
        record.wrap = fields;
        if (record.liveWrap)
            InstallLiveWrap(frame, scene_.Context());
        else
            RemoveLiveWrap(frame);
        for (int32_t v = 0; v < vertexCount; ++v)
            mesh.SetTextureCoordinates(v, uv[2 * static_cast<size_t>(v)], uv[2 * static_cast<size_t>(v) + 1]);
        mesh.SetPerspective(true);
        return true;
    }

    // Sets the frame's orientation relative to SCENE from the file (when
    // oriented; lights without a direction keep theirs) and remembers the
    // placement read.
    bool readOrientation(const ChunkHeader& chunk, Frame& frame, const Vec3& position, bool oriented)
    {
        Vec3 direction, up;
        if (oriented) {
            if (!vec(chunk, direction) || !vec(chunk, up))
                return false;
            frame.SetOrientation(scene_.Scene().get(), direction, up);
        } else {
            frame.GetOrientation(scene_.Scene().get(), direction, up);
        }
        remember(frame, frame.GetTransform(scene_.Scene().get()), position, direction, up);
        return true;
    }

    bool readLight(const ChunkHeader& chunk)
    {
        if (chunk.a < 0 || chunk.a >= kLightTypeCount)
            return false;
        const auto type = static_cast<LightType>(chunk.a);
        std::string name;
        Vec3 position, color;
        if (!text(chunk, name))
            return false;
        progress_.Status("Reading light..." + name);
        if (!vec(chunk, position) || !vec(chunk, color))
            return false;
        FramePtr frame = newObject(chunk.c, kLight, name);
        frame->SetPosition(scene_.Scene().get(), position);
        LightPtr light = Light::Create(type, color.x, color.y, color.z);
        frame->AddVisual(scene_.LightIcon(type));
        frame->AddLight(light);
        scene_.AddLightEntry(frame, *RecordOf(frame.get()));
        remember(chunk.b, frame, light);
        finishObject(frame);
        scene_.RegisterLight(light);
        const bool oriented =
            type == LightType::Spot || type == LightType::Directional || type == LightType::ParallelPoint;
        if (!readOrientation(chunk, *frame, position, oriented))
            return false;
        if (type == LightType::Spot) {
            float v[6];
            for (float& value : v)
                if (!real(chunk, value))
                    return false;
            light->SetConstantAttenuation(v[0]);
            light->SetLinearAttenuation(v[1]);
            light->SetQuadraticAttenuation(v[2]);
            light->SetRange(v[3]);
            light->SetPenumbra(v[4]);
            light->SetUmbra(v[5]);
        }
        return true;
    }

    bool readCamera(const ChunkHeader& chunk)
    {
        std::string name;
        if (!text(chunk, name))
            return false;
        progress_.Status("Forming camera..." + name);
        Vec3 position;
        if (!vec(chunk, position))
            return false;
        FramePtr frame = newObject(chunk.c, kCamera, name);
        frame->AddVisual(scene_.CameraIcon());
        frame->SetPosition(scene_.Scene().get(), position);
        scene_.AddCameraEntry(frame, *RecordOf(frame.get()));
        remember(chunk.b, frame);
        finishObject(frame);
        return readOrientation(chunk, *frame, position, true);
    }

    // Makes object turn to face target.
    void lookAt(const FramePtr& object, const FramePtr& target)
    {
        ObjectRecord* record = RecordOf(object.get());
        if (!record || !target || target == object || !RecordOf(target.get()))
            return;
        record->SetLookTarget(target);
        InstallLookAt(*object, scene_.Context());
    }

    bool readLookAt(const ChunkHeader& chunk)
    {
        Entry* object = entry(chunk.c);
        if (!object)
            return true;
        if (Entry* target = entry(chunk.b)) {
            lookAt(object->frame, target->frame);
        } else if (ObjectRecord* record = RecordOf(object->frame.get())) {
            RemoveLookAt(*object->frame);
            record->ClearLookTarget();
        }
        return true;
    }

    // --- scene-wide chunks -------------------------------------------------------------------------
    bool readSwitches(const ChunkHeader& chunk)
    {
        uint8_t cameraLight = 0, grid = 0, lights = 0;
        float field = 0;
        if (!byte(chunk, cameraLight) || !byte(chunk, grid) || !byte(chunk, lights) || !real(chunk, field))
            return false;
        if (scene_.CameraLightOn() != (cameraLight != 0))
            doc_.views.ToggleCameraLight();
        scene_.History().Touch<SettingsAspect>(scene_.SettingsHandle());
        scene_.SetRenderGrid(grid != 0);
        scene_.SetRenderLights(lights != 0);
        field_ = field;
        return true;
    }

    bool readAnimationSettings(const ChunkHeader& chunk)
    {
        uint8_t unused8[2];
        int32_t unused32 = 0, pathStyle = 0, maxFrames = 0;
        float openClosed = 0, userSpeed = 0;
        if (!byte(chunk, unused8[0]) || !byte(chunk, unused8[1]) || !int32(chunk, unused32) ||
            !int32(chunk, pathStyle) || !real(chunk, openClosed) || !real(chunk, userSpeed) ||
            !int32(chunk, maxFrames))
            return false;
        Transport& transport = doc_.transport;
        transport.SetMaxFrames(maxFrames);
        if (pathStyle >= 0 && pathStyle <= 2)
            transport.SetPathStyle(static_cast<PathStyle>(pathStyle));
        // Closed when its whole part is 1 (a float too large for an int too).
        transport.SetClosed(openClosed >= 1.0f && openClosed < 2.0f);
        transport.SetUserSpeedTicked(true);
        transport.SetUserSpeed(userSpeed);
        return true;
    }

    bool readKeys(const ChunkHeader& chunk)
    {
        progress_.Status("Reading Animation info...");
        Entry* object = entry(chunk.c);
        ObjectRecord* record = object ? RecordOf(object->frame.get()) : nullptr;
        if (!record || !record->keyList || !record->interpolator)
            return true;  // skipped by its length
        for (uint8_t& flag : record->animFlags)
            if (!byte(chunk, flag))
                return false;
        int32_t keys = 0;
        if (!count(chunk, keys, 48))
            return false;
        for (int32_t k = 0; k < keys; ++k) {
            float time = 0;
            int32_t positionReference = 0, orientationReference = 0;
            Vec3 position, direction, up;
            if (!real(chunk, time) || !int32(chunk, positionReference) || !int32(chunk, orientationReference) ||
                !vec(chunk, position) || !vec(chunk, direction) || !vec(chunk, up))
                return false;
            FrameInterpolator& interpolator = *record->interpolator;
            if (FramePtr reference = frameOf(positionReference)) {
                SetPositionKey(*record->keyList, time, reference, position);
                if (interpolator.SetIndex(time))
                    interpolator.SetPosition(reference.get(), position);
            }
            if (FramePtr reference = frameOf(orientationReference)) {
                SetOrientationKey(*record->keyList, time, reference, direction, up);
                if (interpolator.SetIndex(time))
                    interpolator.SetOrientation(reference.get(), direction, up);
            }
        }
        if (chunk.a == kLightKeyListType)
            return readLightKeys(chunk, object->light);
        return true;
    }

    bool readLightKeys(const ChunkHeader& chunk, const LightPtr& light)
    {
        LightRecord* record = light ? RecordOf(light.get()) : nullptr;
        std::array<uint8_t, 6> flags{};
        for (uint8_t& flag : flags)
            if (!byte(chunk, flag))
                return false;
        int32_t keys = 0;
        if (!count(chunk, keys, 40))
            return false;
        if (record)
            record->flags = flags;
        const bool store = record && record->keyList && record->interpolator;
        LightKeyTimes times;
        if (store)
            times.Index(record->keyList->lightKeys);
        for (int32_t k = 0; k < keys; ++k) {
            float v[10];
            for (float& value : v)
                if (!real(chunk, value))
                    return false;
            if (store)
                storeLightKey(*record, v, times);
        }
        return true;
    }

    // A light's keys by time while the keys of a chunk are stored, so that
    // each finds the key at its time without going through all of them, and
    // how many of them are placeholders (keys that set nothing).
    struct LightKeyTimes {
        std::unordered_map<uint32_t, size_t> at;  // the first key at a time
        size_t placeholders = 0;

        static uint32_t Bits(float time)
        {
            if (time == 0.0f)
                time = 0.0f;  // -0 is the same time
            uint32_t bits;
            std::memcpy(&bits, &time, 4);
            return bits;
        }
        void Index(const std::vector<LightKey>& keys)
        {
            at.clear();
            placeholders = 0;
            for (size_t i = 0; i < keys.size(); ++i) {
                at.emplace(Bits(keys[i].time), i);
                placeholders += IsPlaceholder(keys[i]) ? 1 : 0;
            }
        }
    };

    // One light key: time, red, green, blue, range, umbra, penumbra and the
    // three attenuations; 999999 leaves a value unset. A key at a new time
    // first removes the placeholders.
    static void storeLightKey(LightRecord& record, const float (&v)[10], LightKeyTimes& times)
    {
        const float time = v[0];
        std::vector<LightKey>& keys = record.keyList->lightKeys;
        LightKey* key = nullptr;
        if (auto found = times.at.find(LightKeyTimes::Bits(time)); found != times.at.end()) {
            key = &keys[found->second];
        } else {
            if (times.placeholders == 1 && IsPlaceholder(keys.back())) {
                // The one placeholder is the last key, as it always is after
                // the first removal (values are only ever set, so only a new
                // key can be one): dropping it removes them all.
                if (auto last = times.at.find(LightKeyTimes::Bits(keys.back().time));
                    last != times.at.end() && last->second == keys.size() - 1)
                    times.at.erase(last);
                keys.pop_back();
                times.placeholders = 0;
            } else if (times.placeholders > 0) {
                std::erase_if(keys, [](const LightKey& k) { return IsPlaceholder(k); });
                times.Index(keys);
            }
            key = &keys.emplace_back();
            key->time = time;
            times.at.emplace(LightKeyTimes::Bits(time), keys.size() - 1);
            times.placeholders += IsPlaceholder(*key) ? 1 : 0;
        }
        const bool wasPlaceholder = IsPlaceholder(*key);
        auto set = [](float value) { return value != kUnsetKeyValue; };
        LightInterpolator& interpolator = *record.interpolator;
        const bool indexed = interpolator.SetIndex(time);
        if (set(v[1]) || set(v[2]) || set(v[3])) {
            key->color = MakeARGB(v[1], v[2], v[3]);
            if (indexed)
                interpolator.SetColor(ColorFromARGB(key->color));
        }
        if (set(v[4])) {
            key->range = v[4];
            if (indexed)
                interpolator.SetRange(v[4]);
        }
        if (set(v[5])) {
            key->umbra = v[5];
            if (indexed)
                interpolator.SetUmbra(v[5]);
        }
        if (set(v[6])) {
            key->penumbra = v[6];
            if (indexed)
                interpolator.SetPenumbra(v[6]);
        }
        if (set(v[7]) || set(v[8]) || set(v[9])) {
            key->constantAttenuation = v[7];
            key->linearAttenuation = v[8];
            key->quadraticAttenuation = v[9];
            if (indexed) {
                interpolator.SetConstantAttenuation(v[7]);
                interpolator.SetLinearAttenuation(v[8]);
                interpolator.SetQuadraticAttenuation(v[9]);
            }
        }
        if (const bool isPlaceholder = IsPlaceholder(*key); isPlaceholder != wasPlaceholder) {
            if (isPlaceholder)
                ++times.placeholders;
            else
                --times.placeholders;
        }
    }

    bool readFog(const ChunkHeader& chunk)
    {
        progress_.Status("Reading Fog info...");
        Vec3 color;
        uint8_t enabled = 0, changeBoth = 0;
        int32_t unusedInt = 0, unusedMethod = 0;
        float unusedFloat = 0, start = 0, end = 0, density = 0;
        if (!vec(chunk, color) || !byte(chunk, enabled) || !byte(chunk, changeBoth) || !int32(chunk, unusedInt) ||
            !int32(chunk, unusedMethod) || !real(chunk, unusedFloat) || !real(chunk, start) || !real(chunk, end) ||
            !real(chunk, density))
            return false;
        scene_.History().Touch<WorldSceneAspect>(scene_.World());
        scene_.History().Touch<SettingsAspect>(scene_.SettingsHandle());
        SceneProperties& p = scene_.World()->Scene();
        if (chunk.a >= 0 && chunk.a <= 2)
            p.fogMode = static_cast<FogMode>(chunk.a);
        p.fogColor = ClampedColor({color.x, color.y, color.z, 1.0f});
        p.fogEnabled = enabled != 0;
        p.fogStart = start;
        p.fogEnd = end;
        p.fogDensity = density;
        scene_.SetFogChangeBoth(false);
        scene_.ui().Notify(Notification::FogPanelChanged);
        return true;
    }

    bool readBackground(const ChunkHeader& chunk)
    {
        std::string name;
        Vec3 color;
        if (!text(chunk, name) || !vec(chunk, color))
            return false;
        progress_.Status("Adding background..." + name);
        scene_.History().Touch<WorldSceneAspect>(scene_.World());
        scene_.History().Touch<SettingsAspect>(scene_.SettingsHandle());
        SceneProperties& p = scene_.World()->Scene();
        if (!name.empty() && name != kNoBackgroundName) {
            std::string path;
            p.backgroundImage = ResolveBackgroundImage(scene_, folder_, name, path, progress_);
            // The picture counts as shown only when it could be loaded.
            scene_.SetBackgroundImage(p.backgroundImage != nullptr, name, path);
        } else {
            p.backgroundImage = nullptr;
            scene_.SetBackgroundImage(false, name, {});
        }
        p.background = ClampedColor({color.x, color.y, color.z, 1.0f});
        scene_.SetFogChangeBoth(false);
        scene_.ui().Notify(Notification::FogPanelChanged);
        return true;
    }

    bool readViewCamera(const ChunkHeader& chunk)
    {
        Entry* camera = entry(chunk.c);
        ObjectRecord* record = camera ? RecordOf(camera->frame.get()) : nullptr;
        if (!record || record->kind != kCamera || record->menuCommand < kCameraMenuBase)
            return true;
        uint8_t looks = 0;
        int32_t target = 0;
        if (!byte(chunk, looks) || !int32(chunk, target))
            return false;
        ViewSet& views = doc_.views;
        views.Viewport(1).fields[kViewObject] = field_ > 0 ? field_ : views.Viewport(1).fields[kViewObject];
        views.ViewCommand(1, record->menuCommand);
        views.Viewport(1).menu.Check(record->menuCommand, true);
        if (Entry* t = entry(target); t && looks)
            lookAt(camera->frame, t->frame);
        return true;
    }

    // --- materials ---------------------------------------------------------------------------------
    void createDefaultMaterial()
    {
        defaultMaterial_ = Material::Create(100.0f);
        defaultMaterial_->SetAmbient(0.8f, 0.8f, 0.8f);
        defaultMaterial_->SetEmissive(0, 0, 0);
        defaultMaterial_->SetSpecular(0.8f, 0.8f, 0.8f);
        auto record = std::make_unique<MaterialRecord>();
        for (int i = 0; i < 3; ++i)
            record->diffuse[i] = record->specular[i] = record->ambient[i] = record->emissive[i] = 0.8f;
        record->power = 100.0f;
        record->alpha = 1.0f;
        record->name = cvd::kDefaultMaterialName;
        record->id = ++scene_.materialIdCounter;
        AttachRecord(*defaultMaterial_, std::move(record));
    }

    bool readMaterial(const ChunkHeader& chunk)
    {
        progress_.Status("Reading Material info...");
        auto record = std::make_unique<MaterialRecord>();
        float v[14];
        if (!text(chunk, record->name))
            return false;
        for (float& value : v)
            if (!real(chunk, value))
                return false;
        std::copy(v, v + 3, record->diffuse);
        std::copy(v + 3, v + 6, record->specular);
        record->power = v[6];
        std::copy(v + 7, v + 10, record->ambient);
        std::copy(v + 10, v + 13, record->emissive);
        record->alpha = v[13];
        FileMaterial file;
        file.material = Material::Create(record->power);
        file.material->SetAmbient(v[7], v[8], v[9]);
        file.material->SetEmissive(v[10], v[11], v[12]);
        file.material->SetSpecular(v[3], v[4], v[5]);
        file.color = MakeARGB(v[0], v[1], v[2], v[13]);
        in_.Seek(chunk.end);

        ChunkHeader next;
        if (options_.addTextures && nextIs(cvd::kTexture, next)) {
            if (!text(next, record->textureName))
                return false;
            in_.Seek(next.end);
        }
        record->id = ++scene_.materialIdCounter;
        if (!record->textureName.empty())
            file.texture = ResolveTexture(scene_, folder_, record->textureName, *record, progress_);
        if (options_.addTextures && nextIs(cvd::kColorKey, next)) {
            uint8_t enabled = 0;
            Vec3 key;
            if (!byte(next, enabled) || !vec(next, key))
                return false;
            record->colorKey = enabled != 0;
            record->colorKeyRGB[0] = key.x;
            record->colorKeyRGB[1] = key.y;
            record->colorKeyRGB[2] = key.z;
            if (file.texture) {
                file.texture->SetDecalTransparentColor(MakeARGB(key.x, key.y, key.z));
                file.texture->SetDecalTransparency(enabled != 0);
            }
            in_.Seek(next.end);
        }
        materialByName_.emplace(record->name, materials_.size());
        AttachRecord(*file.material, std::move(record));
        scene_.materials.push_back(file.material);
        materials_.push_back(std::move(file));
        return true;
    }

    Document& doc_;
    SceneModel& scene_;
    const uint8_t* data_;
    ByteReader in_;
    const ImportOptions& options_;
    std::string folder_;
    ImportProgress& progress_;

    std::unordered_map<int32_t, Entry> table_;
    std::vector<FileMaterial> materials_;
    std::unordered_map<std::string, size_t> materialByName_;
    MaterialPtr defaultMaterial_;
    // One face's corners as read, and as handed to the mesh.
    std::vector<int32_t> cornerValues_;
    std::vector<int> faceVertices_, faceNormals_;
    float field_ = 0.0f;
    bool sceneTaken_ = false;
};

} // namespace

bool IsSceneFile(const uint8_t* data, size_t size)
{
    return size >= cvd::kHeaderSize && std::memcmp(data + cvd::kFormatTagOffset, "cvd", 4) == 0 &&
           std::memcmp(data + cvd::kVersionOffset, "V2.1", 5) == 0;
}

bool ReadSceneBytes(Document& document, const uint8_t* data, size_t size, const ImportOptions& options,
                    const std::string& folder)
{
    ImportProgress progress(document.scene);
    SceneReader reader(document, data, size, options, folder, progress);
    if (reader.Read())
        return true;
    document.scene.ui().ShowMessage(kSceneCorrupted);
    return false;
}

bool LoadScene(Document& document, const std::string& path, const ImportOptions& options)
{
    std::vector<uint8_t> bytes;
    switch (ReadWholeFile(path, bytes)) {
    case ReadStatus::Read:
        break;
    case ReadStatus::CannotOpen:
        document.scene.ui().ShowMessage(kSceneOpenForReadFailed);
        return false;
    case ReadStatus::Failed:
        document.scene.ui().ShowMessage(kSceneReadError);
        document.scene.ui().ShowMessage(kSceneCorrupted);
        return false;
    }
    return ReadSceneBytes(document, bytes.data(), bytes.size(), options, FolderOf(path));
}

} // namespace corvid
