#pragma once
// The object properties window's model: nine fields with the selected
// object's position and orientation relative to SCENE and its mesh's size,
// and what typing into them does. Each edit reads its three fields, writes
// back the values taken, changes the selection (one step of the edit
// history), keeps its keys while animating (the start key before, the key at
// the current frame after), stops a playback, re-shapes the patch of a moved
// control point, refreshes the information panel and renders.
//
// Orientation is three angles in degrees: the direction (0, 0, 1) and up
// (0, 1, 0) turned about x by the first, then about y by the second, then
// about z by the third. The fields read back in the same convention.

#include <array>
#include <optional>
#include <string>

namespace corvid {

class Editor;
struct Vec3;

// A field's text as a number: what the C library's conversion reads from
// its start (in the C locale, whatever the person's), 0 when it reads
// nothing, "nan", "inf" or a number beyond a float's range.
double ReadFieldNumber(const std::string& text);

// The orientation (direction and up) of three angles in degrees, and back.
void AnglesToOrientation(const Vec3& degrees, Vec3& direction, Vec3& up);
Vec3 OrientationToAngles(const Vec3& direction, const Vec3& up);

constexpr const char* kNegativeSizeMessage = "The size must not be negative.";

class ObjectProperties {
public:
    explicit ObjectProperties(Editor& editor) : editor_(editor) {}

    using Fields = std::array<std::string, 3>;
    const Fields& Position() const { return position_; }
    const Fields& Rotation() const { return rotation_; }
    const Fields& Size() const { return size_; }

    // Fills the fields from the selection (empty without one).
    void Refresh();

    // The three fields of a group as they read now, one of them just typed.
    void EditPosition(const Fields& texts);
    void EditRotation(const Fields& texts);
    // A size of 0 keeps that extent, as does an axis the mesh has no extent
    // along; lights, cameras and groups keep their size. A negative size is
    // refused with kNegativeSizeMessage and nothing changes.
    void EditSize(const Fields& texts);

private:
    void afterEdit();

    Editor& editor_;
    Fields position_, rotation_, size_;
};

} // namespace corvid
