#include "geometry/BooleanOperation.h"

#include "platform/Frame.h"
#include "platform/Math.h"
#include "platform/MeshBuilder.h"
#include "scene/EditHistory.h"
#include "scene/Records.h"
#include "scene/SceneModel.h"
#include "scene/Ui.h"

namespace corvid {

namespace {

const char* StepName(BooleanKind kind)
{
    switch (kind) {
    case BooleanKind::Union:
        return "Union";
    case BooleanKind::Intersection:
        return "Intersection";
    case BooleanKind::Difference:
        return "Difference";
    }
    return "Boolean";
}

} // namespace

PolygonMesh OperandMesh(const MeshBuilder& mesh, const Matrix4& toWorld)
{
    PolygonMesh out;
    out.positions.reserve(mesh.GetVertices().size());
    for (const Vec3& p : mesh.GetVertices())
        out.positions.push_back(toWorld.TransformPoint(p));
    out.texcoords = mesh.GetTextureCoordinateList();
    if (out.texcoords.size() != out.positions.size())
        out.texcoords.assign(out.positions.size(), Vec2{});
    for (int f = 0; f < mesh.GetFaceCount(); ++f) {
        for (const Corner& c : mesh.GetFaceCorners(f))
            out.corners.push_back(c.vertex);
        out.faceStart.push_back(static_cast<int>(out.corners.size()));
        out.faces.push_back(*mesh.GetFaceAttributes(f));
    }
    return out;
}

FramePtr BooleanOperation(SceneModel& scene, BooleanKind kind, const FramePtr& frameA, const MeshBuilderPtr& meshA,
                          const FramePtr& frameB, const MeshBuilderPtr& meshB)
{
    if (!frameA || !meshA || !frameB || !meshB || meshA == meshB)
        return nullptr;
    const ObjectRecord* recordA = RecordOf(frameA.get());
    if (!recordA)
        return nullptr;
    Frame* sceneFrame = scene.Scene().get();
    const BooleanResult result = BooleanMeshes(kind, OperandMesh(*meshA, frameA->GetTransform(sceneFrame)),
                                               OperandMesh(*meshB, frameB->GetTransform(sceneFrame)));
    if (result.status == BooleanStatus::Illegal) {
        scene.ui().ShowMessage("Illegal Boolean Operation");
        return nullptr;
    }
    if (result.status == BooleanStatus::Failed) {
        scene.ui().ShowMessage("Cutting Algorithm Failed");
        return nullptr;
    }

    EditStep step(scene.History(), StepName(kind));
    const PolygonMesh& m = result.mesh;
    Box box;
    for (const Vec3& p : m.positions)
        box.Add(p);
    const Vec3 centre = box.IsEmpty() ? frameA->GetPosition(sceneFrame) : box.Center();
    FramePtr frame = scene.NewObjectFrame();
    frame->SetPosition(sceneFrame, centre);

    auto mesh = MeshBuilder::Create();
    mesh->ReserveSpace(static_cast<int>(m.positions.size()), static_cast<int>(m.positions.size()), m.FaceCount());
    for (size_t i = 0; i < m.positions.size(); ++i) {
        mesh->AddVertex(m.positions[i] - centre);
        mesh->AddNormal({});
        mesh->SetTextureCoordinates(static_cast<int>(i), m.texcoords[i].u, m.texcoords[i].v);
    }
    std::vector<int> corners;
    for (int f = 0; f < m.FaceCount(); ++f) {
        corners.assign(m.corners.begin() + m.faceStart[f], m.corners.begin() + m.faceStart[f + 1]);
        const int face = mesh->AddFace(corners, corners);
        const FaceAttributes& a = m.faces[f];
        mesh->SetFaceColor(face, a.color);
        mesh->SetFaceMaterial(face, a.material);
        mesh->SetFaceTexture(face, a.texture);
        mesh->SetFaceTextureTopology(face, a.wrapU, a.wrapV);
    }
    mesh->SetColorSource(ColorSource::Face);
    frame->AddVisual(mesh);

    auto record = std::make_unique<ObjectRecord>();
    record->CopyScalarsFrom(*recordA);
    AttachRecord(*frame, std::move(record));
    std::unique_ptr<MeshRecord> meshRecord;
    if (const MeshRecord* wrapA = RecordOf(meshA.get()))
        meshRecord = wrapA->CloneFor(frame);
    else {
        meshRecord = std::make_unique<MeshRecord>();
        meshRecord->owner = frame;
    }
    AttachRecord(*mesh, std::move(meshRecord));
    if (result.status == BooleanStatus::Empty)
        scene.ui().ShowMessage("Empty object created");
    scene.RegisterObject(frame);
    mesh->SetQuality((meshA->GetQuality() & ~kShadeMask) | kShadeGouraud);
    mesh->GenerateNormals(1.0f, kGenerateNormalsUseCreaseAngle);

    // The operands leave, and whatever hangs below the one that goes.
    if (frameB->IsAncestorOf(frameA.get())) {
        scene.DeleteObjectTree(frameB);
    } else if (frameA->IsAncestorOf(frameB.get())) {
        scene.DeleteObjectTree(frameA);
    } else {
        scene.DeleteObjectTree(frameB);
        scene.DeleteObjectTree(frameA);
    }
    scene.SetSelection(frame, mesh, nullptr);
    scene.ui().Notify(Notification::SelectionChanged);
    scene.ui().Notify(Notification::PanelsChanged);
    return frame;
}

} // namespace corvid
