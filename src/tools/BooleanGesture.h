#pragma once
// The gesture of the boolean tools: the press picks the first operand, the
// release over the second combines the two (geometry/BooleanOperation.h).
//
// Modes 200 union, 201 intersection and 202 difference (first minus second);
// the rest of 200..206 pick on the press and do nothing on the release.

#include <optional>

namespace corvid {

class Tools;
enum class BooleanKind;

bool IsBooleanMode(int mode);
std::optional<BooleanKind> BooleanKindOf(int mode);

// The press: selects the object under the cursor (lights, cameras and
// control points are not taken).
void PressBoolean(Tools& tools, int x, int y);
// The release: with an object selected by the press, picks at (x, y) and
// combines the two. Releasing over nothing or over the first operand itself
// leaves the first selected and changes nothing; over a light, a camera or a
// control point it leaves nothing selected.
void ReleaseBoolean(Tools& tools, int mode, int x, int y);

} // namespace corvid
