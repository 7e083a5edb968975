#pragma once
// The move-axis markers: three arrows along SCENE's x (red), y (green) and z
// (blue) axes standing on the origin of the object the move, rotate, copy
// and pivot tools picked, and in orthographic views a square in the view's
// plane, the plane those tools drag in there. Both keep a constant apparent
// size, like the selection marker. They are drawn over everything and never
// picked, and they hang on the scene's auxiliary grid frame, so no file and
// no step of the edit history ever sees them.

#include "platform/Fwd.h"

namespace corvid {

class SceneModel;
class ViewSet;

// The tool modes that show the markers on a pick: move, rotate, copy, pivot.
bool ShowsMoveMarkers(int mode);

class MoveMarkers {
public:
    MoveMarkers() = default;
    MoveMarkers(const MoveMarkers&) = delete;
    MoveMarkers& operator=(const MoveMarkers&) = delete;
    ~MoveMarkers();

    // Shows the markers on the selected object (when there is one), fitted
    // to the active view; otherwise hides them.
    void Show(ViewSet& views);
    void Hide();
    // Follows the selected object and the active view while shown. Also
    // done before every redraw of the views, so the markers keep up with
    // whatever moved the object (a frame of the animation, an undo, a
    // typed position) or the view.
    void Fit(ViewSet& views);
    bool Shown() const { return shown_; }

    // The arrows' and the orthographic square's frames (null until first shown).
    const FramePtr& Axes() const { return axes_; }
    const FramePtr& Plane() const { return plane_; }

private:
    // Makes the frames under the scene's grid frame, again after New Scene
    // replaced it.
    void build(ViewSet& views);

    FramePtr axes_;
    FramePtr plane_;
    bool shown_ = false;
};

} // namespace corvid
