#include "materials/WorldSettings.h"

#include "anim/Animation.h"
#include "platform/Frame.h"
#include "scene/EditHistory.h"
#include "scene/EditParts.h"
#include "scene/SceneModel.h"
#include "scene/Ui.h"

#include <algorithm>
#include <cmath>

namespace corvid {

namespace {

float Clamped(float c)
{
    return std::isnan(c) ? 0.0f : std::clamp(c, 0.0f, 1.0f);
}

float Kept(float value, float before)
{
    return std::isfinite(value) ? value : before;
}

} // namespace

ColorRGBA ClampedColor(const ColorRGBA& color)
{
    return {Clamped(color.r), Clamped(color.g), Clamped(color.b), Clamped(color.a)};
}

int ChannelSlider(float channel)
{
    return static_cast<int>(std::lround(Clamped(channel) * 255.0f));
}

float SliderChannel(int value)
{
    return static_cast<float>(std::clamp(value, 0, 255)) * 0.00392156862745098f;
}

void WorldSettings::Refresh()
{
    const SceneProperties& p = scene_.World()->Scene();
    fog_ = {ChannelSlider(p.fogColor.r), ChannelSlider(p.fogColor.g), ChannelSlider(p.fogColor.b)};
    background_ = {ChannelSlider(p.background.r), ChannelSlider(p.background.g), ChannelSlider(p.background.b)};
    // The picture shown is the one the box hides and shows again (a scene
    // file's too); a hidden one stays while the scene still names it.
    const SceneSettings& s = scene_.Settings();
    if (p.backgroundImage) {
        picture_ = p.backgroundImage;
        picturePath_ = s.backgroundImagePath;
    } else if (s.backgroundImageName.empty() || s.backgroundImagePath != picturePath_) {
        picture_ = nullptr;
        picturePath_.clear();
    }
}

bool WorldSettings::FogEnabled() const { return scene_.World()->Scene().fogEnabled; }
float WorldSettings::FogStart() const { return scene_.World()->Scene().fogStart; }
float WorldSettings::FogEnd() const { return scene_.World()->Scene().fogEnd; }
float WorldSettings::FogDensity() const { return scene_.World()->Scene().fogDensity; }
bool WorldSettings::Linked() const { return scene_.Settings().fogChangeBoth; }
bool WorldSettings::RenderGrid() const { return scene_.Settings().renderGrid; }
bool WorldSettings::RenderLights() const { return scene_.Settings().renderLights; }

bool WorldSettings::BackgroundShown() const
{
    return scene_.Settings().backgroundImageOn && scene_.World()->Scene().backgroundImage != nullptr;
}

void WorldSettings::redraw()
{
    if (quiet_ == 0)
        scene_.ui().Notify(Notification::RedrawRequested);
}

void WorldSettings::SetFogEnabled(bool on)
{
    {
        EditStep step(scene_.History(), on ? "Fog On" : "Fog Off");
        scene_.History().Touch<WorldSceneAspect>(scene_.World());
        scene_.World()->Scene().fogEnabled = on;
    }
    redraw();
}

void WorldSettings::SetFogParams(float start, float end, float density)
{
    {
        EditStep step(scene_.History(), "Fog Parameters");
        scene_.History().Touch<WorldSceneAspect>(scene_.World());
        animation_.BeforeWorldChange(WorldProperty::FogParams);
        SceneProperties& p = scene_.World()->Scene();
        p.fogStart = Kept(start, p.fogStart);
        p.fogEnd = Kept(end, p.fogEnd);
        p.fogDensity = Kept(density, p.fogDensity);
        animation_.AfterWorldChange(WorldProperty::FogParams);
    }
    redraw();
}

void WorldSettings::applyFogColor()
{
    scene_.History().Touch<WorldSceneAspect>(scene_.World());
    animation_.BeforeWorldChange(WorldProperty::FogColor);
    scene_.World()->Scene().fogColor = {SliderChannel(fog_[0]), SliderChannel(fog_[1]), SliderChannel(fog_[2]), 1.0f};
    animation_.AfterWorldChange(WorldProperty::FogColor);
}

void WorldSettings::applyBackgroundColor()
{
    scene_.History().Touch<WorldSceneAspect>(scene_.World());
    animation_.BeforeWorldChange(WorldProperty::Background);
    scene_.World()->Scene().background = {SliderChannel(background_[0]), SliderChannel(background_[1]),
                                          SliderChannel(background_[2]), 1.0f};
    animation_.AfterWorldChange(WorldProperty::Background);
}

void WorldSettings::SetFogChannel(int channel, int value)
{
    if (channel < 0 || channel > 2)
        return;
    {
        EditStep step(scene_.History(), "Fog Colour");
        fog_[static_cast<size_t>(channel)] = std::clamp(value, 0, 255);
        applyFogColor();
        if (Linked() && !linking_) {
            linking_ = true;
            ++quiet_;
            for (int c = 0; c < 3; ++c)
                SetBackgroundChannel(c, fog_[static_cast<size_t>(c)]);
            --quiet_;
            linking_ = false;
        }
    }
    redraw();
}

void WorldSettings::SetBackgroundChannel(int channel, int value)
{
    if (channel < 0 || channel > 2)
        return;
    {
        EditStep step(scene_.History(), "Background Colour");
        background_[static_cast<size_t>(channel)] = std::clamp(value, 0, 255);
        applyBackgroundColor();
        if (Linked() && !linking_) {
            linking_ = true;
            ++quiet_;
            for (int c = 0; c < 3; ++c)
                SetFogChannel(c, background_[static_cast<size_t>(c)]);
            --quiet_;
            linking_ = false;
        }
    }
    redraw();
}

void WorldSettings::SetFogColor(int red, int green, int blue)
{
    {
        EditStep step(scene_.History(), "Fog Colour");
        ++quiet_;
        SetFogChannel(0, red);
        SetFogChannel(1, green);
        SetFogChannel(2, blue);
        --quiet_;
    }
    redraw();
}

void WorldSettings::SetBackgroundColor(int red, int green, int blue)
{
    {
        EditStep step(scene_.History(), "Background Colour");
        ++quiet_;
        SetBackgroundChannel(0, red);
        SetBackgroundChannel(1, green);
        SetBackgroundChannel(2, blue);
        --quiet_;
    }
    redraw();
}

void WorldSettings::SetLinked(bool on)
{
    EditStep step(scene_.History(), on ? "Link Colours" : "Unlink Colours");
    scene_.History().Touch<SettingsAspect>(scene_.SettingsHandle());
    scene_.SetFogChangeBoth(on);
}

void WorldSettings::SetBackgroundPicture(const TexturePtr& texture, const std::string& name, const std::string& path)
{
    if (!texture)
        return;
    {
        EditStep step(scene_.History(), "Background Picture");
        scene_.History().Touch<WorldSceneAspect>(scene_.World());
        scene_.History().Touch<SettingsAspect>(scene_.SettingsHandle());
        picture_ = texture;
        picturePath_ = path;
        scene_.World()->Scene().backgroundImage = texture;
        scene_.SetBackgroundImage(true, name, path);
    }
    redraw();
}

void WorldSettings::SetBackgroundShown(bool on)
{
    if (!picture_ || on == BackgroundShown())
        return;
    {
        EditStep step(scene_.History(), on ? "Show Background Picture" : "Hide Background Picture");
        scene_.History().Touch<WorldSceneAspect>(scene_.World());
        scene_.History().Touch<SettingsAspect>(scene_.SettingsHandle());
        const SceneSettings& s = scene_.Settings();
        scene_.World()->Scene().backgroundImage = on ? picture_ : nullptr;
        scene_.SetBackgroundImage(on, s.backgroundImageName, s.backgroundImagePath);
    }
    redraw();
}

void WorldSettings::SetRenderGrid(bool on)
{
    EditStep step(scene_.History(), on ? "Show Grid" : "Hide Grid");
    scene_.History().Touch<SettingsAspect>(scene_.SettingsHandle());
    scene_.SetRenderGrid(on);
}

void WorldSettings::SetRenderLights(bool on)
{
    EditStep step(scene_.History(), on ? "Show Light Symbols" : "Hide Light Symbols");
    scene_.History().Touch<SettingsAspect>(scene_.SettingsHandle());
    scene_.SetRenderLights(on);
}

} // namespace corvid
