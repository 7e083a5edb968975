#pragma once
// The scene's atmosphere and display switches as the scene tools window
// edits them: fog on or off, its start, end and density, the fog and
// background colours as three sliders each (0..255), the link that moves
// the two colours together, the background picture and the grid and
// light-symbol switches. Everything is applied to WORLD (or the scene's
// switches) at once, as one step of the edit history; while the transport
// animates, the fog parameters and both colours keep world keys (the start
// key before the first change, the key at the current frame after each).

#include "platform/Fwd.h"
#include "platform/Math.h"

#include <array>
#include <string>

namespace corvid {

class Animation;
class SceneModel;

// A colour read from a file or typed, with each channel in 0..1 (a value
// that is not a number reads as 0), so that it makes the bytes it stands for.
ColorRGBA ClampedColor(const ColorRGBA& color);
// A slider's value (0..255) for a channel, and the channel for a value.
int ChannelSlider(float channel);
float SliderChannel(int value);

class WorldSettings {
public:
    WorldSettings(SceneModel& scene, Animation& animation) : scene_(scene), animation_(animation) { Refresh(); }

    // --- what the window shows ---------------------------------------------------------------
    // Takes the sliders from WORLD's colours (New Scene, a load, undo).
    void Refresh();
    const std::array<int, 3>& FogSliders() const { return fog_; }
    const std::array<int, 3>& BackgroundSliders() const { return background_; }
    bool FogEnabled() const;
    float FogStart() const;
    float FogEnd() const;
    float FogDensity() const;
    bool Linked() const;
    // The background box: on only while a picture is shown.
    bool BackgroundShown() const;
    // A picture is loaded (the box is enabled).
    bool HasBackgroundPicture() const { return picture_ != nullptr; }
    bool RenderGrid() const;
    bool RenderLights() const;

    // --- the controls --------------------------------------------------------------------------
    void SetFogEnabled(bool on);
    // A value that is not finite keeps the one there was.
    void SetFogParams(float start, float end, float density);
    // A slider moved (channel 0 red, 1 green, 2 blue; value clamped to 0..255).
    // With the link on, the other colour's sliders follow (the follower does
    // not move the first back).
    void SetFogChannel(int channel, int value);
    void SetBackgroundChannel(int channel, int value);
    // The colour dialog's choice: the three sliders, one redraw at the end.
    void SetFogColor(int red, int green, int blue);
    void SetBackgroundColor(int red, int green, int blue);
    void SetLinked(bool on);
    // A picture loaded for the background (texture not null): shown at once,
    // with its file name (no folder) and its full path kept for the scene file.
    void SetBackgroundPicture(const TexturePtr& texture, const std::string& name, const std::string& path);
    // The background box: hides the loaded picture or shows it again; nothing
    // while no picture is loaded.
    void SetBackgroundShown(bool on);
    // The grid and the light symbols (their meshes, not their frames: the
    // selection marker hangs under the grid's frame and the symbols sit on
    // the lights' own frames).
    void SetRenderGrid(bool on);
    void SetRenderLights(bool on);

private:
    void applyFogColor();
    void applyBackgroundColor();
    void redraw();

    SceneModel& scene_;
    Animation& animation_;
    std::array<int, 3> fog_{};
    std::array<int, 3> background_{};
    TexturePtr picture_;  // the loaded background picture, shown or not
    std::string picturePath_;  // where it came from
    bool linking_ = false;  // a linked update is running
    int quiet_ = 0;         // redraws held back while the colour dialog sets its sliders
};

} // namespace corvid
