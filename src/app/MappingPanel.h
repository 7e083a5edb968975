#pragma once
// The texture-mapping window's model: the current wrap settings as the
// window shows them (position, rotation as three angles read back from the
// wrap's axes, texture offset and scale, the reference, adaptive scale and
// auto wrap), the six preset buttons, the preview shape, and applying the
// settings to the selected object.
//
// A typed field is read as a number (text that is not one reads as 0); the
// field is then shown as taken. The rotation fields rebuild both axes from
// (0, 0, 1) and (0, 1, 0), turned about x, then y, then z. After every change
// the wrap is laid on the preview shape.

#include "materials/Mapping.h"
#include "platform/Fwd.h"

#include <array>
#include <string>

namespace corvid {

class Editor;

class MappingPanel {
public:
    explicit MappingPanel(Editor& editor);

    // --- what the window shows ---------------------------------------------------------------
    const WrapSettings& Settings() const;
    int Preset() const;
    std::array<std::string, 3> Position() const;
    std::array<std::string, 3> Rotation() const;
    std::array<std::string, 2> Offset() const;
    std::array<std::string, 2> Scale() const;
    // "Adaptive Scale" is unticked and disabled for sphere and chrome.
    bool AdaptiveScaleEnabled() const;

    // --- the controls --------------------------------------------------------------------------
    void ChoosePreset(int wrapType);
    void EditPosition(const std::array<std::string, 3>& texts);
    void EditRotation(const std::array<std::string, 3>& texts);
    void EditOffset(const std::array<std::string, 2>& texts);
    void EditScale(const std::array<std::string, 2>& texts);
    void SetRelativeTo(int reference);  // MappingReference, 0..2
    void SetAdaptiveScale(bool on);
    void SetAutoWrap(bool on);
    // Lays the settings on the selected object (one step); "No object
    // selected" without a selected object whose mesh can take a wrap.
    bool Apply();

    // --- the preview ---------------------------------------------------------------------------
    // The frame the preview shape hangs in and the preview's camera (the
    // chrome preset is laid relative to it); the window's preview view gives
    // them. Until then nothing is laid.
    void SetPreviewFrames(const FramePtr& frame, const FramePtr& camera);
    // The shape for the current preset: a sphere for sphere and chrome, a
    // cylinder, a cube for box, a square for flat and sheet.
    const MeshBuilderPtr& PreviewShape() const;
    // Lays the current wrap on the preview shape; false when the settings
    // make no wrap or there is no preview.
    bool LayPreview();

private:
    WrapSettings& settings();
    void changed();

    Editor& editor_;
    std::array<MeshBuilderPtr, 4> shapes_;
    FramePtr previewFrame_, previewCamera_;
};

} // namespace corvid
