#include "tools/PaintGestures.h"

#include "materials/Painting.h"
#include "render/ViewSet.h"
#include "scene/SceneModel.h"
#include "scene/Ui.h"
#include "tools/ToolMode.h"
#include "tools/Tools.h"

namespace corvid {

bool PaintPress(Tools& tools, int mode, int x, int y)
{
    SceneModel& scene = tools.scene();
    ViewSet& views = tools.views();
    if (!views.PickObjectOnly(x, y) || !scene.HasSelection())
        return false;
    const MeshBuilderPtr mesh = scene.CurrentVisual();
    const int face = views.pickDetails.face;
    if (!mesh || !mesh->GetFaceAttributes(face))
        return false;
    PaintState& paint = tools.paint;
    bool done = false;
    switch (mode) {
    case kModePaintFace:
        done = PaintFace(scene, paint, mesh, face);
        break;
    case kModePaintObject:
        done = PaintObject(scene, paint, scene.SelectedFrame(), mesh, face);
        break;
    case kModePickUpMaterial:
        done = PickUpMaterial(paint, *mesh, face);
        if (done)
            tools.ui().Notify(Notification::PanelsChanged);
        break;
    case kModePaintMatching:
        done = RepaintMatchingFaces(scene, paint, mesh, face) > 0;
        break;
    default:
        break;
    }
    return done;
}

} // namespace corvid
