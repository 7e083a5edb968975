// The material window's model: every change makes the next paint fresh,
// values from the window are held to their ranges, and the preview wears
// what a paint would lay.

#include "materials/MaterialEditor.h"
#include "materials/Painting.h"
#include "platform/Material.h"
#include "platform/MeshBuilder.h"
#include "platform/Texture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace corvid {
namespace {

TEST(MaterialEditorTest, EveryChangeMakesTheNextPaintFresh)
{
    PaintState paint;
    MaterialEditor editor(paint);
    const std::function<void()> changes[] = {
        [&] { editor.SetColour(PaintColour::Diffuse, 0.5f, 0.5f, 0.5f); },
        [&] { editor.SetColour(PaintColour::Emissive, 0.1f, 0.0f, 0.0f); },
        [&] { editor.SetPower(12.0f); },
        [&] { editor.SetAlpha(0.5f); },
        [&] { editor.SetSwitch(PaintSwitch::Material, false); },
        [&] { editor.SetColour(PaintColour::ColourKey, 1.0f, 0.0f, 1.0f); },
    };
    for (const auto& change : changes) {
        paint.freshRecord = false;
        change();
        EXPECT_TRUE(paint.freshRecord);
    }
    EXPECT_FALSE(paint.materialSwitch);
    EXPECT_FLOAT_EQ(editor.Power(), 12.0f);
}

TEST(MaterialEditorTest, ValuesAreHeldToTheirRangesAndNonNumbersRefused)
{
    PaintState paint;
    MaterialEditor editor(paint);
    editor.SetColour(PaintColour::Specular, 2.0f, -1.0f, NAN);
    const ColorRGBA specular = editor.Colour(PaintColour::Specular);
    EXPECT_FLOAT_EQ(specular.r, 1.0f);
    EXPECT_FLOAT_EQ(specular.g, 0.0f);
    EXPECT_FLOAT_EQ(specular.b, 0.0f) << "NaN keeps the channel's value";
    editor.SetPower(INFINITY);
    EXPECT_FLOAT_EQ(editor.Power(), 5.0f);
    editor.SetPower(-3.0f);
    EXPECT_FLOAT_EQ(editor.Power(), 0.0f);
    editor.SetAlpha(NAN);
    EXPECT_FLOAT_EQ(editor.Alpha(), 1.0f);
    editor.SetAlpha(0.333f);
    EXPECT_EQ(editor.TransparencyPercent(), 66);
    editor.SetAlpha(7.0f);
    EXPECT_FLOAT_EQ(editor.Alpha(), 1.0f);
}

TEST(MaterialEditorTest, ThePreviewWearsThePaintAndTheKeyColourReachesTheTexture)
{
    PaintState paint;
    MaterialEditor editor(paint);
    paint.paintTexture = Texture::FromImage(Image{1, 1, {9, 9, 9, 255}}, "dot.bmp");
    editor.SetColour(PaintColour::Diffuse, 1.0f, 0.0f, 0.0f);
    editor.SetAlpha(0.5f);
    editor.SetPower(30.0f);
    editor.SetColour(PaintColour::ColourKey, 0.0f, 1.0f, 0.0f);
    EXPECT_EQ(paint.paintTexture->GetDecalTransparentColor() & 0xFFFFFF, 0x00FF00u);

    auto shape = MeshBuilder::Create();
    const int corners[3] = {shape->AddVertex({0, 0, 0}), shape->AddVertex({1, 0, 0}), shape->AddVertex({0, 1, 0})};
    shape->AddFace(corners);
    editor.DressPreview(*shape);
    const FaceAttributes& face = *shape->GetFaceAttributes(0);
    EXPECT_EQ(face.color, editor.SwatchColor());
    EXPECT_EQ(face.color, 0x7FFF0000u);
    EXPECT_FLOAT_EQ(face.material->GetPower(), 30.0f);
    EXPECT_EQ(face.texture, paint.paintTexture);
    paint.textureEnabled = false;
    editor.DressPreview(*shape);
    EXPECT_EQ(shape->GetFaceAttributes(0)->texture, nullptr);
}

} // namespace
} // namespace corvid
