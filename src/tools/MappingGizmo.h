#pragma once
// The texture-mapping gizmo and its three tools: 5001 moves the wrap, 5002
// turns it and 5003 sizes its texture, each by dragging in a viewport.
//
// The gizmo shows the shape and placement of the selected object's wrap: a
// sphere, a flat square, a sheet, a box or a cylinder, as wide and high as
// the object's bounding box is across (twice its radius), placed at the
// object's origin and turned like the wrap relative to its reference. It
// hangs under WORLD, drawn but never picked nor saved. Its shapes are made
// once, at unit size, and never scaled: the gizmo's own frame carries the size.
//
// A drag works on the mapping window's current settings and lays the wrap
// again on the selected object at every step; the whole drag is one step
// of the edit history. Left drags: the move tool slides the wrap's origin
// across the view, the turn tool turns both axes about the view's up (across)
// and right (up and down) axes, a degree a pixel, the size tool scales u
// across and v up and down (doubling every 70 pixels). A right drag sizes u
// and v together and turns about the view's axis.

#include "materials/Mapping.h"
#include "platform/Fwd.h"

#include <array>

namespace corvid {

class Tools;

enum class GizmoShape { None = -1, Sphere = 0, Flat = 1, Sheet = 2, Box = 3, Cylinder = 4 };

// Which gizmo shows an object wrapped with recordType while the window's
// current type is currentType (None: no gizmo for that pair).
GizmoShape ChooseGizmoShape(int recordType, int currentType);

class MappingGizmo {
public:
    MappingGizmo();

    // A mapping tool button: with a selected object whose mesh has a
    // MeshRecord, makes mode (5001..5003) the tool mode and shows the gizmo;
    // otherwise shows "No object selected" and leaves the mode as it was.
    bool ChooseTool(Tools& tools, int mode);
    // Shows the gizmo on the selected object: "Object is not Mapable" without
    // a MeshRecord, "Object does have mapping information: Using current map
    // type" (and no gizmo) when no shape fits. False when none is shown.
    bool Show(Tools& tools);
    void Hide();

    GizmoShape Shown() const { return shown_; }
    const FramePtr& GizmoFrame() const { return frame_; }
    const MeshBuilderPtr& Shape(GizmoShape shape) const { return shapes_[static_cast<size_t>(shape)]; }

    // --- the drag (ToolDispatch.cpp hands them over in modes 5001..5003) ---------------------
    void Press(Tools& tools, bool left, bool first, int x, int y);
    void Drag(Tools& tools, int x, int y);
    // Escape: the window's settings as they were at the press (the history
    // puts the object back).
    void Cancel(Tools& tools);

private:
    void place(Tools& tools);

    FramePtr frame_;
    std::array<MeshBuilderPtr, 5> shapes_;
    GizmoShape shown_ = GizmoShape::None;

    bool dragging_ = false;
    bool right_ = false;
    int pressX_ = 0, pressY_ = 0;
    WrapSettings start_;       // the settings at the newest press
    WrapSettings firstStart_;  // and at the first
    FramePtr object_;
    MeshBuilderPtr mesh_;
    float unitsPerPixel_ = 0.01f;
};

} // namespace corvid
