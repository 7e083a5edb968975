// The creation tools' windows as the core describes them: typed values are
// clamped to limits the generators accept, the patch windows refuse what
// cannot make a patch, "Defaults" restores one tool only, and the splash
// lines come in start-up order.

#include "support/ScriptedUi.h"
#include "app/ToolForms.h"
#include "geometry/Patch.h"
#include "geometry/Primitives.h"
#include "platform/Light.h"
#include "platform/MeshBuilder.h"
#include "app/Editor.h"
#include "scene/ObjectKind.h"
#include "tools/ToolMode.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>

using namespace corvid;

namespace {

class ToolFormsTest : public ::testing::Test {
protected:
    ScriptedUi ui;
    Editor editor{ui};

    static const ToolForm& FormOf(int mode)
    {
        const ToolForm* form = FindToolForm(mode);
        EXPECT_NE(form, nullptr) << mode;
        return *form;
    }
    static const FormField& FieldOf(const ToolForm& form, const char* key)
    {
        const FormField* field = form.Field(key);
        EXPECT_NE(field, nullptr) << form.title << " " << key;
        return *field;
    }
    FieldOutcome Enter(int mode, const char* key, double typed)
    {
        const ToolForm& form = FormOf(mode);
        return EnterFieldValue(editor, form, FieldOf(form, key), typed);
    }
};

// Builds mode's primitive from p exactly as given (no clamping): what a
// creation gesture would hand the generator.
bool BuildUnclamped(int mode, const PrimitiveParameters& p, MeshBuilder& mesh)
{
    switch (mode) {
    case kModeSphere:
        return BuildSphere(mesh, p.sphere);
    case kModeSquare:
        return BuildSquare(mesh, p.square);
    case kModeCube:
        return BuildCube(mesh, p.cube);
    case kModeCylinder:
        return BuildCylinder(mesh, p.cylinder);
    case kModeCone:
        return BuildCone(mesh, p.cone);
    case kModeSuperEllipsoid:
        return BuildSuperellipsoid(mesh, p.superellipsoid);
    case kModeSuperToroid:
        return BuildSupertoroid(mesh, p.supertoroid);
    default:
        ADD_FAILURE() << "no generator for mode " << mode;
        return false;
    }
}

::testing::AssertionResult BuildsFinite(int mode, const PrimitiveParameters& p)
{
    MeshBuilder mesh;
    if (!BuildUnclamped(mode, p, mesh))
        return ::testing::AssertionFailure() << "the generator refused";
    if (mesh.GetVertexCount() == 0 || mesh.GetFaceCount() == 0)
        return ::testing::AssertionFailure() << "empty mesh";
    for (const Vec3& v : mesh.GetVertices())
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
            return ::testing::AssertionFailure() << "a vertex is not finite";
    return ::testing::AssertionSuccess();
}

bool IsPrimitiveMode(int mode)
{
    return mode != kModeCamera && ((mode >= kModeSphere && mode <= kModeSuperToroid) || mode == kModeCone);
}

} // namespace

TEST_F(ToolFormsTest, StartupAnnouncesEveryWindowInOrder)
{
    std::vector<std::string> lines;
    for (const StartupWindow& window : StartupWindows())
        lines.push_back(window.status);
    const std::vector<std::string> expected{
        "Initializing tool window ...",          "Initializing toolbar window ...",
        "Initializing primitive window ...",     "Initializing Sphere window ...",
        "Initializing Square window ...",        "Initializing Cube window ...",
        "Initializing Cylinder window ...",      "Initializing Cone window ...",
        "Initializing SuperEllipsoid window ...", "Initializing SuperToroid window ...",
        "Initializing Camera window ...",        "Initializing Light window ...",
        "Initializing Spot light window ...",    "Initializing Point light window ...",
        "Initializing Directional light window ...", "Initializing Ambient light window ...",
        "Initializing Parallel light window ...", "Initializing Surface window ...",
        "Initializing BSpline window ...",       "Initializing Catmull Rom window ...",
        "Initializing Deform window ...",        "Initializing Bend window ...",
        "Initializing Twist window ...",         "Initializing Taper window ...",
        "Initializing Bulge window ...",         "Initializing Pull window ...",
        "Initializing Relax window ...",         "Initializing Multicopy window ...",
        "Initializing TreeView window ...",      "Initializing Object properties window ...",
    };
    EXPECT_EQ(lines, expected);

    // Every parameter window is created once, under its own tool's line, and
    // every chooser button has a window.
    std::multiset<int> created;
    for (const StartupWindow& window : StartupWindows())
        if (window.kind == StartupWindowKind::ParameterWindow) {
            created.insert(window.mode);
            EXPECT_EQ(window.status, "Initializing " + FormOf(window.mode).title + " window ...");
        }
    EXPECT_EQ(created.size(), ToolForms().size());
    for (const ToolForm& form : ToolForms())
        EXPECT_EQ(created.count(form.mode), 1u) << form.title;
    for (const ToolChooser* chooser : {&PrimitiveChooser(), &LightChooser(), &SurfaceChooser(), &DeformChooser()})
        for (int mode : chooser->modes)
            EXPECT_NE(FindToolForm(mode), nullptr) << chooser->title << " " << mode;
    EXPECT_EQ(FindToolForm(kModeMove), nullptr);
}

TEST_F(ToolFormsTest, TypedValuesAreClampedAndTheWindowShowsTheValueTaken)
{
    const FieldOutcome low = Enter(kModeSphere, "segments", 2);
    EXPECT_TRUE(low.accepted);
    EXPECT_EQ(low.shown, 3);
    EXPECT_EQ(Enter(kModeSphere, "segments", 5000).shown, kMaxPrimitiveDivisions);
    EXPECT_EQ(editor.tools.primitives.sphere.segments, kMaxPrimitiveDivisions);
    EXPECT_EQ(Enter(kModeSphere, "rings", 7.6).shown, 8);  // counts are whole
    EXPECT_FLOAT_EQ(static_cast<float>(Enter(kModeSuperEllipsoid, "exponent1", 0).shown), kMinPrimitiveValue);
    EXPECT_EQ(Enter(kModeSuperToroid, "ringRadius", -1).shown, 0.0);  // a ring of radius 0 is a shape
    EXPECT_EQ(Enter(kModeCube, "sizing", 9).shown, 1.0);
    EXPECT_EQ(editor.tools.primitives.cube.sizing, SizingStyle::Box);
    EXPECT_EQ(Enter(kModeCube, "sizing", 0).shown, 0.0);
    EXPECT_EQ(editor.tools.primitives.cube.sizing, SizingStyle::FromCentre);

    // Nothing to clamp a NaN to: the field keeps its value.
    const FieldOutcome nan = Enter(kModeSphere, "rings", std::nan(""));
    EXPECT_FALSE(nan.accepted);
    EXPECT_EQ(nan.shown, 8);
    EXPECT_EQ(editor.tools.primitives.sphere.rings, 8);

    // Every numeric field of every window, at and beyond both limits.
    for (const ToolForm& form : ToolForms())
        for (const FormField& field : form.fields) {
            if (form.problem)
                continue;  // refusals, not clamps: below
            SCOPED_TRACE(form.title + " " + field.key);
            for (double typed : {field.lower, field.lower - 100.0})
                EXPECT_NEAR(EnterFieldValue(editor, form, field, typed).shown, field.lower, 1e-6);
            const double upper = EnterFieldValue(editor, form, field, field.upper + 1e7).shown;
            // The umbra stops at the penumbra, here at its own upper limit.
            const double most =
                field.key == "umbra" ? editor.tools.lightTools[static_cast<size_t>(LightType::Spot)].penumbra : field.upper;
            EXPECT_NEAR(upper, most, 1e-6);
        }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ToolFormsTest, SpotConeKeepsTheUmbraWithinThePenumbra)
{
    const LightToolParameters& spot = editor.tools.lightTools[static_cast<size_t>(LightType::Spot)];
    EXPECT_EQ(Enter(kModeSpotLight, "umbra", 0.5).shown, 0.5);
    EXPECT_FLOAT_EQ(static_cast<float>(Enter(kModeSpotLight, "umbra", 2.0).shown), spot.penumbra);
    Enter(kModeSpotLight, "penumbra", 0.25);
    EXPECT_FLOAT_EQ(spot.penumbra, 0.25f);
    EXPECT_FLOAT_EQ(spot.umbra, 0.25f);
    EXPECT_NEAR(Enter(kModeSpotLight, "penumbra", 10).shown, std::numbers::pi, 1e-6);
    EXPECT_FLOAT_EQ(spot.umbra, 0.25f);  // raising the penumbra leaves it
    // The other lights have no cone, and only the point-like ones attenuate.
    EXPECT_EQ(FormOf(kModePointLight).Field("umbra"), nullptr);
    EXPECT_NE(FormOf(kModeParallelPointLight).Field("quadratic"), nullptr);
    EXPECT_EQ(FormOf(kModeAmbientLight).Field("attenuation"), nullptr);
    EXPECT_EQ(FormOf(kModeAmbientLight).fields.size(), 3u);
}

TEST_F(ToolFormsTest, PatchWindowsRefuseParametersThatCannotMakeAPatch)
{
    // A row of the evaluation buffer holds 100 control points: the B-spline
    // has Cz + 1 in a row, the Catmull-Rom Cz + 2.
    const struct {
        int mode, longest;
        PatchFamilyParameters& parameters;
    } families[] = {{kModeBSplinePatch, 99, editor.tools.patches.bSpline},
                    {kModeCatmullRomPatch, 98, editor.tools.patches.catmullRom}};
    for (const auto& family : families) {
        SCOPED_TRACE(family.mode);
        ui.messages.clear();
        FieldOutcome fits = Enter(family.mode, "columns", family.longest);
        EXPECT_TRUE(fits.accepted);
        EXPECT_EQ(fits.shown, family.longest);
        EXPECT_EQ(family.parameters.columns, family.longest);

        FieldOutcome tooLong = Enter(family.mode, "columns", family.longest + 1);
        EXPECT_FALSE(tooLong.accepted);
        EXPECT_EQ(tooLong.shown, family.longest);
        EXPECT_EQ(family.parameters.columns, family.longest);
        ASSERT_TRUE(tooLong.refusal);
        EXPECT_NE(tooLong.refusal->find("100 control points"), std::string::npos) << *tooLong.refusal;

        FieldOutcome oneRow = Enter(family.mode, "rows", 1);
        EXPECT_FALSE(oneRow.accepted);
        EXPECT_EQ(oneRow.shown, 5);
        EXPECT_EQ(family.parameters.rows, 5);
        FieldOutcome noColumns = Enter(family.mode, "columns", -4);  // clamped, then refused
        EXPECT_FALSE(noColumns.accepted);
        EXPECT_EQ(family.parameters.columns, family.longest);
        EXPECT_EQ(ui.messages, (std::vector<std::string>{*tooLong.refusal, "A patch needs at least 2 rows and 2 columns.",
                                                         "A patch needs at least 2 rows and 2 columns."}));

        // What the window accepted makes a patch.
        Enter(family.mode, "rows", 2);
        Enter(family.mode, "stepsX", 1);
        Enter(family.mode, "stepsZ", 1);
        const int patchType = family.mode == kModeBSplinePatch ? kPatchBSpline : kPatchCatmullRom;
        EXPECT_TRUE(CreatePatch(editor.scene, editor.tools.patches, patchType, {}, 2.0f, 2.0f));
    }
    // Each window edits its own family.
    EXPECT_EQ(editor.tools.patches.bSpline.columns, 99);
    EXPECT_EQ(editor.tools.patches.catmullRom.columns, 98);
}

TEST_F(ToolFormsTest, DefaultsRestoreOnlyTheirOwnTool)
{
    ScriptedUi freshUi;
    const Editor fresh{freshUi};
    // A value that differs from the default and is accepted, for each field
    // of each window.
    auto editAll = [&] {
        for (const ToolForm& form : ToolForms())
            for (const FormField& field : form.fields) {
                bool changed = false;
                for (double candidate : {field.upper, field.lower, field.get(fresh) + 1.0}) {
                    const FieldOutcome outcome = EnterFieldValue(editor, form, field, candidate);
                    if (outcome.accepted && outcome.shown != field.get(fresh)) {
                        changed = true;
                        break;
                    }
                }
                ASSERT_TRUE(changed) << form.title << " " << field.key;
            }
    };
    auto atDefaults = [&](const ToolForm& form) {
        for (const FormField& field : form.fields)
            if (field.get(editor) != field.get(fresh))
                return false;
        return true;
    };
    for (const ToolForm& restored : ToolForms()) {
        if (restored.fields.empty())
            continue;
        SCOPED_TRACE(restored.title);
        editAll();
        restored.restoreDefaults(editor);
        EXPECT_TRUE(atDefaults(restored));
        for (const ToolForm& other : ToolForms()) {
            if (&other != &restored && !other.fields.empty()) {
                EXPECT_FALSE(atDefaults(other)) << other.title << " was restored too";
            }
        }
    }
    // The cone's defaults are its own, not the cylinder's.
    FormOf(kModeCone).restoreDefaults(editor);
    EXPECT_EQ(editor.tools.primitives.cone.heightDivisions, 3);
}

TEST_F(ToolFormsTest, GeneratorsAcceptEveryLimit)
{
    for (const ToolForm& form : ToolForms()) {
        if (!IsPrimitiveMode(form.mode))
            continue;
        SCOPED_TRACE(form.title);
        // Every field at its lower limit at once.
        form.restoreDefaults(editor);
        for (const FormField& field : form.fields)
            EnterFieldValue(editor, form, field, field.lower);
        EXPECT_TRUE(BuildsFinite(form.mode, editor.tools.primitives));
        // Each field alone at its upper limit (all together would be slow).
        for (const FormField& field : form.fields) {
            SCOPED_TRACE(field.key);
            form.restoreDefaults(editor);
            EnterFieldValue(editor, form, field, field.upper);
            EXPECT_TRUE(BuildsFinite(form.mode, editor.tools.primitives));
        }
    }
}

TEST_F(ToolFormsTest, DeformerWindowsEditTheirOwnBlockWithinUsableLimits)
{
    // The defaults each window shows.
    EXPECT_EQ(FieldOf(FormOf(kModeTwist), "degrees").get(editor), 20.0);
    EXPECT_FLOAT_EQ(static_cast<float>(FieldOf(FormOf(kModeBulge), "base").get(editor)), 1.07f);
    EXPECT_FLOAT_EQ(static_cast<float>(FieldOf(FormOf(kModeTaper), "base").get(editor)), 1.1f);
    EXPECT_EQ(FieldOf(FormOf(kModePull), "exponent").get(editor), 1.0);
    EXPECT_EQ(FormOf(kModeBend).fields.size(), 3u);  // range and axis only
    EXPECT_EQ(FieldOf(FormOf(kModeMultiCopy), "count").get(editor), 10.0);

    // The axis choice writes a selector with one 1 in it, in its own block.
    EXPECT_EQ(Enter(kModeTaper, "axis", 2).shown, 2.0);
    EXPECT_EQ(editor.tools.deformers.taper.axis, Vec3(0, 0, 1));
    EXPECT_EQ(editor.tools.deformers.twist.axis, Vec3(0, 1, 0));
    // Growth bases and the exponent stay positive; fractions within 0..1;
    // at least one copy.
    EXPECT_GT(Enter(kModeBulge, "base", -3).shown, 0.0);
    EXPECT_GT(Enter(kModePull, "exponent", 0).shown, 0.0);
    EXPECT_EQ(Enter(kModeBend, "hi", 7).shown, 1.0);
    EXPECT_EQ(Enter(kModeMultiCopy, "count", 0).shown, 1.0);
    EXPECT_EQ(Enter(kModeRelax, "y", 0).shown, 0.0);
    EXPECT_FALSE(editor.tools.relax.y);
    EXPECT_TRUE(editor.tools.relax.x);
}
