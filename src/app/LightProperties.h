#pragma once
// The light property windows' model: the picked light's colour (three
// sliders 0..255), its attenuation (a mode and a factor: exactly one of the
// constant, linear and quadratic terms carries the factor) and, for a spot
// light, its range, umbra and penumbra. Every change applies at once to the
// picked light (one step of the edit history), keeps its light key while
// animating and renders; with no picked light only the window's own fields
// change.

#include "platform/Light.h"

#include <array>
#include <string>

namespace corvid {

class Editor;

enum class AttenuationMode { Constant = 0, Linear = 1, Quadratic = 2 };

// The title of the window for a light type ("Spot Light Info").
const char* LightWindowTitle(LightType type);

class LightProperties {
public:
    explicit LightProperties(Editor& editor) : editor_(editor) {}

    // Whether a light is picked, and its type (the window to show).
    bool HasLight() const { return hasLight_; }
    LightType Type() const { return type_; }

    const std::array<int, 3>& Color() const { return color_; }  // 0..255
    AttenuationMode Mode() const { return mode_; }
    const std::string& Factor() const { return factor_; }
    const std::string& Range() const { return range_; }
    const std::string& Umbra() const { return umbra_; }
    const std::string& Penumbra() const { return penumbra_; }

    // Fills the window from the picked light.
    void Refresh();

    // A colour slider (channel 0 red, 1 green, 2 blue) moved to value.
    void SetColorChannel(int channel, int value);
    // The colour dialog's choice: the three sliders, each applying itself.
    void SetColor(int red, int green, int blue);
    // Moves the light's current attenuation (the sum of its terms) to mode's term.
    void SetMode(AttenuationMode mode);
    void EnterFactor(const std::string& text);
    void EnterRange(const std::string& text);
    void EnterUmbra(const std::string& text);
    void EnterPenumbra(const std::string& text);

private:
    LightPtr pickedLight() const;
    void applyAttenuation(const LightPtr& light, float factor);

    Editor& editor_;
    bool hasLight_ = false;
    LightType type_ = LightType::Point;
    std::array<int, 3> color_{255, 255, 255};
    AttenuationMode mode_ = AttenuationMode::Constant;
    std::string factor_ = "1.000000";
    std::string range_, umbra_, penumbra_;
};

} // namespace corvid
