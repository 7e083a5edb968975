#pragma once
// The view operations on a picked object, tool modes 7 to 10. A press picks;
// when it hits an object the view turns to it:
// - 7 centres the active view on the object, 8 every shown viewport;
// - 9 frames the object in the active view, 10 in every shown viewport:
//   centred as above, and then a perspective camera moves along its line of
//   sight (an orthographic view changes its field) until the object's
//   bounding sphere fills two thirds of the picture's shorter side.
// Centring a perspective view moves its view root to the centre of the
// object's box, so the camera keeps its direction and orbiting turns about
// the object; an orthographic camera slides in its own plane. Views that
// look through an object, a user camera or a user light are left alone:
// moving their camera would move that object.

#include "platform/Fwd.h"

namespace corvid {

class ViewSet;
struct ViewRecord;

bool IsViewOperationMode(int mode);

// Centres view on object, and frames it too when frame is set. False (and
// nothing moves) for a view without a standard camera or device.
bool TurnViewTo(ViewSet& views, ViewRecord& view, const Frame& object, bool frame);

// Runs mode's operation (7..10) on the selected object. False when nothing
// is selected or no view moved.
bool RunViewOperation(ViewSet& views, int mode);

} // namespace corvid
