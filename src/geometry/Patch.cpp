#include "geometry/Patch.h"

#include "platform/Frame.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "scene/EditParts.h"
#include "scene/ObjectKind.h"
#include "scene/Records.h"
#include "scene/SceneModel.h"
#include "scene/Ui.h"

#include <algorithm>
#include <cmath>

namespace corvid {

namespace {

constexpr float kMinPatchExtent = 0.0001f;
constexpr Vec3 kUnusedNormal{0, 1, 0};

bool IsEvaluatedFamily(int patchType) { return patchType == kPatchBSpline || patchType == kPatchCatmullRom; }

// Basis terms per span: 3 for the quadratic B-spline, 4 for the cubic
// Catmull-Rom.
int BasisCount(int patchType) { return patchType == kPatchCatmullRom ? 4 : 3; }

void Basis(int patchType, float t, float* out)
{
    const float t2 = t * t;
    if (patchType == kPatchCatmullRom) {
        const float t3 = t2 * t;
        out[0] = (-t3 + 2.0f * t2 - t) / 2.0f;
        out[1] = (3.0f * t3 - 5.0f * t2 + 2.0f) / 2.0f;
        out[2] = (-3.0f * t3 + 4.0f * t2 + t) / 2.0f;
        out[3] = (t3 - t2) / 2.0f;
    } else {
        out[0] = (1.0f - 2.0f * t + t2) / 2.0f;
        out[1] = (1.0f + 2.0f * t - 2.0f * t2) / 2.0f;
        out[2] = t2 / 2.0f;
        out[3] = 0.0f;
    }
}

// How one surface row (or column) samples the grid: the first control row
// it reads, how many, and their weights.
struct AxisSample {
    int base = 0;
    int count = 0;
    float weight[4] = {};
};

std::vector<AxisSample> AxisSamples(int patchType, int spans, int steps)
{
    std::vector<AxisSample> out(static_cast<size_t>(spans * steps + 1));
    const int full = BasisCount(patchType);
    for (int i = 0; i < spans * steps; ++i) {
        AxisSample& a = out[static_cast<size_t>(i)];
        a.base = i / steps;
        a.count = full;
        Basis(patchType, static_cast<float>(i % steps) / static_cast<float>(steps), a.weight);
    }
    // The end sample: one span further at t = 0, where the last term has no weight.
    AxisSample& end = out.back();
    end.base = spans;
    end.count = full - 1;
    Basis(patchType, 0.0f, end.weight);
    return out;
}

Vec3 SamplePoint(const PatchControlGrid& grid, const AxisSample& row, const AxisSample& column)
{
    Vec3 p;
    for (int r = 0; r < row.count; ++r)
        for (int q = 0; q < column.count; ++q)
            p += grid.At(row.base + r, column.base + q) * (row.weight[r] * column.weight[q]);
    return p;
}

// The surface rows (or columns) that read control row g: a closed range,
// empty (first > last) when none does.
std::pair<int, int> RangeReading(const std::vector<AxisSample>& samples, int g)
{
    int first = -1, last = -2;
    for (int i = 0; i < static_cast<int>(samples.size()); ++i) {
        const AxisSample& a = samples[static_cast<size_t>(i)];
        if (g >= a.base && g < a.base + a.count) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    return {first, last};
}

// The same unit normal the mesh builder gives a polygon (Newell's normal
// from the first corner), so that normals mended locally equal regenerated ones.
Vec3 UnitOrZero(const Vec3& v)
{
    float dd = Dot(v, v);
    if (dd > 1e-30f && dd < 1e30f)
        return v * (1.0f / std::sqrt(dd));
    float m = std::max({std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)});
    if (!(m > 0.0f) || !std::isfinite(m))
        return {};
    Vec3 s = v / m;
    return s * (1.0f / std::sqrt(Dot(s, s)));
}

Vec3 QuadNormal(const std::vector<Vec3>& v, int i, int columns)
{
    const int corners[4] = {i + 1, i + columns + 1, i + columns, i};
    const Vec3 p0 = v[static_cast<size_t>(corners[0])];
    Vec3 prev = v[static_cast<size_t>(corners[1])] - p0;
    Vec3 sum;
    for (int k = 2; k < 4; ++k) {
        Vec3 cur = v[static_cast<size_t>(corners[k])] - p0;
        sum += Cross(prev, cur);
        prev = cur;
    }
    return UnitOrZero(sum);
}

// Smooth normals of the vertices in rows r0..r1, columns c0..c1 of a V x U
// grid surface: the normalised sum of the unit normals of the cells around
// each, taken in cell order as a full regeneration takes them.
void MendNormals(MeshBuilder& surface, int rows, int columns, int r0, int r1, int c0, int c1)
{
    const std::vector<Vec3>& v = surface.GetVertices();
    const int cellRows = rows - 1, cellColumns = columns - 1;
    const int fr0 = std::max(r0 - 1, 0), fr1 = std::min(r1, cellRows - 1);
    const int fc0 = std::max(c0 - 1, 0), fc1 = std::min(c1, cellColumns - 1);
    const int w = fc1 - fc0 + 1;
    std::vector<Vec3> cells(static_cast<size_t>(std::max(0, (fr1 - fr0 + 1) * w)));
    for (int r = fr0; r <= fr1; ++r)
        for (int c = fc0; c <= fc1; ++c)
            cells[static_cast<size_t>((r - fr0) * w + (c - fc0))] = QuadNormal(v, r * columns + c, columns);
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c) {
            Vec3 sum;
            // Cells (r-1, c-1), (r-1, c), (r, c-1), (r, c): ascending face order.
            for (int cr = r - 1; cr <= r; ++cr)
                for (int cc = c - 1; cc <= c; ++cc) {
                    if (cr < 0 || cr >= cellRows || cc < 0 || cc >= cellColumns)
                        continue;
                    const Vec3& n = cells[static_cast<size_t>((cr - fr0) * w + (cc - fc0))];
                    if (!(n == Vec3{}))
                        sum += n;
                }
            Vec3 unit = UnitOrZero(sum);
            surface.SetNormal(r * columns + c, unit == Vec3{} ? kUnusedNormal : unit);
        }
}

// A small octahedron with its extreme points at +-1 on every axis.
MeshBuilderPtr BuildControlPointMarker()
{
    auto mesh = MeshBuilder::Create();
    const Vec3 points[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (const Vec3& p : points)
        mesh->AddVertex(p);
    const int faces[8][3] = {{2, 4, 0}, {2, 0, 5}, {2, 5, 1}, {2, 1, 4}, {3, 0, 4}, {3, 5, 0}, {3, 1, 5}, {3, 4, 1}};
    for (const auto& f : faces)
        mesh->AddFace(f);
    mesh->GenerateNormals(0.0f, 0);
    mesh->SetColorRGB(1.0f, 1.0f, 0.0f);
    return mesh;
}

float AxisScale(float wanted, float extent) { return extent > 0.0f ? wanted / extent : wanted; }

} // namespace

PatchFamilyParameters& PatchParameters::Of(int patchType)
{
    return patchType == kPatchCatmullRom ? catmullRom : bSpline;
}

PatchSizes PatchSizesOf(int patchType, const PatchFamilyParameters& p)
{
    const int extra = patchType == kPatchCatmullRom ? 2 : 1;
    PatchSizes s;
    s.controlRows = p.rows + extra;
    s.controlColumns = p.columns + extra;
    s.vertexRows = (p.rows - 1) * p.stepsX + 1;
    s.vertexColumns = (p.columns - 1) * p.stepsZ + 1;
    return s;
}

std::optional<std::string> PatchParametersProblem(int patchType, const PatchFamilyParameters& p)
{
    if (!IsEvaluatedFamily(patchType))
        return "No tool makes patches of this type.";
    if (p.rows < 2 || p.columns < 2)
        return "A patch needs at least 2 rows and 2 columns.";
    if (p.stepsX < 1 || p.stepsZ < 1)
        return "A patch needs at least 1 step per span.";
    const int extra = patchType == kPatchCatmullRom ? 2 : 1;
    if (static_cast<long long>(p.columns) + extra > kPatchRowPoints)
        return "A patch row can hold at most " + std::to_string(kPatchRowPoints) +
               " control points: use fewer columns.";
    if (static_cast<long long>(p.rows) + extra > kPatchRowPoints)
        return "A patch column can hold at most " + std::to_string(kPatchRowPoints) +
               " control points: use fewer rows.";
    // Every cell is one face, so the vertices bound the faces too. Counted in
    // 64 bits, each side alone first, so nothing here overflows.
    const long long vertexRows = static_cast<long long>(p.rows - 1) * p.stepsX + 1;
    const long long vertexColumns = static_cast<long long>(p.columns - 1) * p.stepsZ + 1;
    if (vertexRows > kMaxPatchSurfaceVertices || vertexColumns > kMaxPatchSurfaceVertices ||
        vertexRows * vertexColumns > kMaxPatchSurfaceVertices) {
        const bool countable = vertexRows <= kMaxPatchSurfaceVertices && vertexColumns <= kMaxPatchSurfaceVertices;
        const std::string count = countable ? std::to_string(vertexRows * vertexColumns) + " surface vertices"
                                            : "too many surface vertices";
        return "This patch would have " + count + "; a patch surface may have at most " +
               std::to_string(kMaxPatchSurfaceVertices) + " vertices: use fewer rows, columns or steps.";
    }
    return std::nullopt;
}

void SamplePatchSurface(int patchType, const PatchControlGrid& grid, const PatchFamilyParameters& p,
                        std::vector<Vec3>& out)
{
    const std::vector<AxisSample> rows = AxisSamples(patchType, p.rows - 1, p.stepsX);
    const std::vector<AxisSample> columns = AxisSamples(patchType, p.columns - 1, p.stepsZ);
    out.clear();
    out.reserve(rows.size() * columns.size());
    for (const AxisSample& row : rows)
        for (const AxisSample& column : columns)
            out.push_back(SamplePoint(grid, row, column));
}

MeshBuilderPtr BuildPatchSurface(int patchType, const PatchControlGrid& grid, const PatchFamilyParameters& p)
{
    std::vector<Vec3> points;
    SamplePatchSurface(patchType, grid, p, points);
    const PatchSizes s = PatchSizesOf(patchType, p);
    const int V = s.vertexRows, U = s.vertexColumns;
    auto mesh = MeshBuilder::Create();
    mesh->ReserveSpace(V * U, V * U, (V - 1) * (U - 1));
    for (const Vec3& point : points) {
        mesh->AddVertex(point);
        mesh->AddNormal(kUnusedNormal);
    }
    for (int r = 0; r + 1 < V; ++r)
        for (int c = 0; c + 1 < U; ++c) {
            const int i = r * U + c;
            const int quad[4] = {i + 1, i + U + 1, i + U, i};
            mesh->AddFace(quad);
        }
    mesh->GenerateNormals(0.0f, 0);
    return mesh;
}

void FlatPatchGrid(int patchType, const PatchFamilyParameters& p, float width, float depth, PatchControlGrid& out)
{
    const PatchSizes s = PatchSizesOf(patchType, p);
    const float rx = static_cast<float>(p.rows - 1), cz = static_cast<float>(p.columns - 1);
    out.Resize(s.controlRows);
    for (int g = 0; g < s.controlRows; ++g)
        for (int c = 0; c < s.controlColumns; ++c) {
            const float fg = static_cast<float>(g), fc = static_cast<float>(c);
            float x, z;
            if (patchType == kPatchCatmullRom) {
                x = fg * width / rx - width * (rx + 2.0f) / (2.0f * rx);
                z = fc * depth / cz - depth * (cz + 2.0f) / (2.0f * cz);
            } else {
                x = fg * width / rx - width / 2.0f - width / (2.0f * rx);
                z = fc * depth / cz - depth / 2.0f - depth / (2.0f * cz);
            }
            out.At(g, c) = {x, 0.0f, z};
        }
}

MeshBuilderPtr ControlNetOf(const Frame& group)
{
    for (const FramePtr& child : group.GetChildren())
        if (!RecordOf(child.get()) && !child->GetVisuals().empty())
            return child->GetVisuals().front();
    return nullptr;
}

FramePtr CreatePatch(SceneModel& scene, PatchParameters& patches, int patchType, const Vec3& position, float width, float depth)
{
    const PatchFamilyParameters p = patches.Of(patchType);
    if (auto problem = PatchParametersProblem(patchType, p)) {
        scene.ui().ShowMessage(*problem);
        return nullptr;
    }
    width = std::max(width, kMinPatchExtent);
    depth = std::max(depth, kMinPatchExtent);
    const bool bSpline = patchType == kPatchBSpline;
    const PatchSizes s = PatchSizesOf(patchType, p);
    Frame* sceneFrame = scene.Scene().get();

    PatchControlGrid& grid = patches.buffer;
    FlatPatchGrid(patchType, p, width, depth, grid);

    // The patch frame and its surface.
    EditStep step(scene.History(), bSpline ? "Create BSpline Patch" : "Create CatmullRom Patch");
    FramePtr patch = scene.NewObjectFrame();
    patch->SetPosition(sceneFrame, position);
    MeshBuilderPtr surface = BuildPatchSurface(patchType, grid, p);
    surface->SetQuality(kQualityGouraudLitSolid);
    auto materialRecord = std::make_unique<MaterialRecord>();
    materialRecord->id = ++scene.materialIdCounter;
    materialRecord->diffuse[0] = 0.0f;
    materialRecord->diffuse[1] = 0.5f;
    materialRecord->diffuse[2] = 1.0f;
    auto material = Material::Create(5.0f);
    material->SetSpecular(0, 0, 0);
    material->SetEmissive(0, 0, 0);
    material->SetAmbient(0, 0, 0);
    AttachRecord(*material, std::move(materialRecord));
    surface->SetMaterial(material);
    surface->SetColorSource(ColorSource::Face);
    surface->SetColorRGB(0.0f, 0.5f, 1.0f);
    auto meshRecord = std::make_unique<MeshRecord>();
    meshRecord->owner = patch;
    AttachRecord(*surface, std::move(meshRecord));
    patch->AddVisual(surface);
    AttachRecord(*patch, std::make_unique<ObjectRecord>(kPatch, bSpline ? "BSpline Patch" : "CatmullRom Patch"));

    // The control group, with the net of a B-spline patch.
    FramePtr group = Frame::Create(patch.get());
    AttachRecord(*group, std::make_unique<ObjectRecord>(kEmpty, ""));
    if (bSpline) {
        FramePtr netFrame = Frame::Create(group.get());
        netFrame->SetTraversalOptions(kRenderEnable);
        auto net = MeshBuilder::Create();
        net->SetQuality(kFillWireframe | kShadeFlat | kLightOff);
        net->ReserveSpace(s.controlRows * s.controlColumns, 0, (s.controlRows - 1) * (s.controlColumns - 1));
        for (int g = 0; g < s.controlRows; ++g)
            for (int c = 0; c < s.controlColumns; ++c)
                net->AddVertex(grid.At(g, c));
        const int W = s.controlColumns;
        for (int g = 0; g + 1 < s.controlRows; ++g)
            for (int c = 0; c + 1 < W; ++c) {
                const int i = g * W + c;
                const int quad[4] = {i, i + 1, i + 1 + W, i + W};
                net->AddFace(quad);
            }
        netFrame->AddVisual(net);
    }

    // One marker object per control point.
    if (!patches.marker)
        patches.marker = BuildControlPointMarker();
    MeshBuilderPtr marker = patches.marker->Clone();
    const Box box = marker->GetBox();
    const float size = 0.01f * width;
    marker->Scale(AxisScale(size, box.max.x), AxisScale(size, box.max.y), AxisScale(size, box.max.z));
    for (int g = 0; g < s.controlRows; ++g)
        for (int c = 0; c < s.controlColumns; ++c) {
            FramePtr point = Frame::Create(group.get());
            point->SetPosition(group.get(), grid.At(g, c));
            point->AddVisual(marker->Clone());
            auto record = std::make_unique<ObjectRecord>(kControlPoint, "");
            record->cpRow = g;
            record->cpColumn = c;
            record->cpRows = p.rows;
            record->cpColumns = p.columns;
            record->patchType = patchType;
            record->cpStepsU = p.stepsX;
            record->cpStepsV = p.stepsZ;
            AttachRecord(*point, std::move(record));
        }

    scene.RegisterObject(patch);
    return patch;
}

namespace {

void CollectPatchPoints(const FramePtr& frame, bool withChildren, std::vector<PatchPointStart>& out)
{
    const ObjectRecord* record = RecordOf(frame.get());
    if (record && record->kind == kPatch)
        for (const FramePtr& group : frame->GetChildren())
            for (const FramePtr& point : group->GetChildren())
                if (const ObjectRecord* r = RecordOf(point.get()); r && r->kind == kControlPoint)
                    out.push_back({point, frame, point->GetPosition(frame.get())});
    if (withChildren)
        for (const FramePtr& child : frame->GetChildren())
            CollectPatchPoints(child, true, out);
}

// Puts every vertex of group's control net (B-spline) where its point is.
void FollowPointsWithNet(SceneModel& scene, const Frame& group)
{
    const Frame* netFrame = nullptr;
    for (const FramePtr& child : group.GetChildren())
        if (!RecordOf(child.get()) && !child->GetVisuals().empty())
            netFrame = child.get();
    if (!netFrame)
        return;
    const MeshBuilderPtr& net = netFrame->GetVisuals().front();
    scene.History().Touch<MeshAspect>(net);
    for (const FramePtr& point : group.GetChildren()) {
        const ObjectRecord* r = RecordOf(point.get());
        if (!r || r->kind != kControlPoint)
            continue;
        const int vertex = r->cpRow * (r->cpColumns + 1) + r->cpColumn;
        if (r->cpRow >= 0 && r->cpColumn >= 0 && r->cpColumn <= r->cpColumns && vertex < net->GetVertexCount())
            net->SetVertex(vertex, point->GetPosition(netFrame));
    }
}

} // namespace

std::vector<PatchPointStart> PatchPointsOf(const FramePtr& frame, bool withChildren)
{
    std::vector<PatchPointStart> out;
    if (frame)
        CollectPatchPoints(frame, withChildren, out);
    return out;
}

void ScalePatchPoints(SceneModel& scene, const std::vector<PatchPointStart>& points, const Vec3& factors)
{
    std::vector<const Frame*> groups;
    for (const PatchPointStart& start : points) {
        scene.History().Touch<TransformAspect>(start.point);
        const Vec3& p = start.inPatch;
        start.point->SetPosition(start.patch.get(), {p.x * factors.x, p.y * factors.y, p.z * factors.z});
        if (const Frame* group = start.point->GetParent();
            group && std::find(groups.begin(), groups.end(), group) == groups.end())
            groups.push_back(group);
    }
    for (const Frame* group : groups)
        FollowPointsWithNet(scene, *group);
}

bool ReevaluatePatch(SceneModel& scene, PatchParameters& patches, Frame& controlPoint, PatchRegion region)
{
    const ObjectRecord* record = RecordOf(&controlPoint);
    if (!record || record->kind != kControlPoint || !IsEvaluatedFamily(record->patchType))
        return false;
    Frame* group = controlPoint.GetParent();
    Frame* patch = group ? group->GetParent() : nullptr;
    if (!patch || patch->GetVisuals().empty())
        return false;
    const int type = record->patchType;
    PatchFamilyParameters p;
    p.rows = record->cpRows;
    p.columns = record->cpColumns;
    p.stepsX = record->cpStepsU;
    p.stepsZ = record->cpStepsV;
    if (PatchParametersProblem(type, p))
        return false;
    const PatchSizes s = PatchSizesOf(type, p);
    const int g = record->cpRow, col = record->cpColumn;
    if (g < 0 || g >= s.controlRows || col < 0 || col >= s.controlColumns)
        return false;
    const MeshBuilderPtr& surfacePtr = patch->GetVisuals().front();
    MeshBuilder& surface = *surfacePtr;
    const int V = s.vertexRows, U = s.vertexColumns;
    if (surface.GetVertexCount() != V * U || surface.GetFaceCount() != (V - 1) * (U - 1))
        return false;
    scene.History().Touch<MeshAspect>(surfacePtr);

    if (type == kPatchBSpline)
        for (const FramePtr& child : group->GetChildren())
            if (!RecordOf(child.get()) && !child->GetVisuals().empty()) {
                const MeshBuilderPtr& net = child->GetVisuals().front();
                scene.History().Touch<MeshAspect>(net);
                net->SetVertex(g * (p.columns + 1) + col, controlPoint.GetPosition(child.get()));
                break;
            }

    // Every control point's position in the patch frame, where the surface
    // is: the group may have moved within the patch (an origin move shifts
    // it back by as much as the patch frame went).
    PatchControlGrid& grid = patches.buffer;
    grid.Resize(s.controlRows);
    const Matrix4 groupToPatch = group->GetLocalTransform();
    for (const FramePtr& child : group->GetChildren()) {
        const ObjectRecord* r = RecordOf(child.get());
        if (r && r->kind == kControlPoint && r->cpRow >= 0 && r->cpRow < s.controlRows && r->cpColumn >= 0 &&
            r->cpColumn < s.controlColumns)
            grid.At(r->cpRow, r->cpColumn) = groupToPatch.TransformPoint(child->GetLocalTransform().GetTranslation());
    }

    const std::vector<AxisSample> rows = AxisSamples(type, p.rows - 1, p.stepsX);
    const std::vector<AxisSample> columns = AxisSamples(type, p.columns - 1, p.stepsZ);
    if (region == PatchRegion::Whole) {
        for (int i = 0; i < V; ++i)
            for (int j = 0; j < U; ++j)
                surface.SetVertex(i * U + j, SamplePoint(grid, rows[static_cast<size_t>(i)], columns[static_cast<size_t>(j)]));
        surface.GenerateNormals(0.0f, 0);
        return true;
    }
    const auto [r0, r1] = RangeReading(rows, g);
    const auto [c0, c1] = RangeReading(columns, col);
    for (int i = r0; i <= r1; ++i)
        for (int j = c0; j <= c1; ++j)
            surface.SetVertex(i * U + j, SamplePoint(grid, rows[static_cast<size_t>(i)], columns[static_cast<size_t>(j)]));
    if (r0 <= r1 && c0 <= c1) {
        if (surface.GetNormalCount() != V * U)
            surface.GenerateNormals(0.0f, 0);
        else
            MendNormals(surface, V, U, std::max(r0 - 1, 0), std::min(r1 + 1, V - 1), std::max(c0 - 1, 0),
                        std::min(c1 + 1, U - 1));
    }
    return true;
}

} // namespace corvid
