#include "app/ToolForms.h"

#include "scene/Ui.h"
#include "geometry/Deformers.h"
#include "geometry/MultiCopy.h"
#include "geometry/Patch.h"
#include "geometry/Primitives.h"
#include "geometry/Relax.h"
#include "platform/Light.h"
#include "app/Editor.h"
#include "scene/ObjectKind.h"
#include "tools/ToolMode.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace corvid {

namespace {

constexpr double kMaxCount = kMaxPrimitiveDivisions;
// Sizes and radii stop where the generators' clamps stop.
constexpr double kMaxExtent = kMaxPrimitiveExtent;
constexpr double kMaxAttenuation = 1000.0;
constexpr double kMinRange = 0.001;
constexpr double kPi = std::numbers::pi;

// Each helper takes access, a callable giving the tool's parameter struct
// from a const or non-const Editor, and a pointer to the member it edits.

template <class Access, class T>
FormField Count(std::string key, std::string label, double lower, double upper, Access access, int T::*member)
{
    FormField f;
    f.key = std::move(key);
    f.label = std::move(label);
    f.kind = FieldKind::Integer;
    f.lower = lower;
    f.upper = upper;
    f.get = [access, member](const Editor& e) { return static_cast<double>(access(e).*member); };
    f.set = [access, member](Editor& e, double v) { access(e).*member = static_cast<int>(v); };
    return f;
}

template <class Access, class T>
FormField Real(std::string key, std::string label, double lower, double upper, int decimals, Access access,
               float T::*member)
{
    FormField f;
    f.key = std::move(key);
    f.label = std::move(label);
    f.kind = FieldKind::Real;
    f.lower = lower;
    f.upper = upper;
    f.decimals = decimals;
    f.get = [access, member](const Editor& e) { return static_cast<double>(access(e).*member); };
    f.set = [access, member](Editor& e, double v) { access(e).*member = static_cast<float>(v); };
    return f;
}

template <class Access, class T>
FormField Toggle(std::string key, std::string label, Access access, bool T::*member)
{
    FormField f;
    f.key = std::move(key);
    f.label = std::move(label);
    f.kind = FieldKind::Toggle;
    f.lower = 0.0;
    f.upper = 1.0;
    f.get = [access, member](const Editor& e) { return (access(e).*member) ? 1.0 : 0.0; };
    f.set = [access, member](Editor& e, double v) { access(e).*member = v != 0.0; };
    return f;
}

FormField Choice(std::string key, std::string label, std::vector<std::string> choices)
{
    FormField f;
    f.key = std::move(key);
    f.label = std::move(label);
    f.kind = FieldKind::Choice;
    f.lower = 0.0;
    f.upper = static_cast<double>(choices.size()) - 1.0;
    f.choices = std::move(choices);
    return f;
}

template <class Access, class T>
FormField Sizing(Access access, SizingStyle T::*member)
{
    FormField f = Choice("sizing", "Sizing", {"From centre", "Box"});
    f.get = [access, member](const Editor& e) { return (access(e).*member) == SizingStyle::Box ? 1.0 : 0.0; };
    f.set = [access, member](Editor& e, double v) {
        access(e).*member = v != 0.0 ? SizingStyle::Box : SizingStyle::FromCentre;
    };
    return f;
}

FormField WithHint(FormField field, std::string hint)
{
    field.hint = std::move(hint);
    return field;
}

// --- the primitives ---------------------------------------------------------------

template <class Access>
ToolForm Form(std::string title, int mode, Access access, std::vector<FormField> fields)
{
    ToolForm form;
    form.title = std::move(title);
    form.mode = mode;
    form.fields = std::move(fields);
    // The tool's part of a default-constructed parameter set: Defaults has
    // the tools' parameter members, so access finds the same part in it.
    form.restoreDefaults = [access](Editor& e) {
        struct Defaults {
            struct {
                PrimitiveParameters primitives;
                PatchParameters patches;
                std::array<LightToolParameters, 5> lightTools{};
                DeformerSet deformers;
                RelaxParameters relax;
                MultiCopyParameters multiCopy;
            } tools;
        };
        const Defaults defaults;
        access(e) = access(defaults);
    };
    return form;
}

ToolForm SphereForm()
{
    auto p = [](auto& e) -> auto& { return e.tools.primitives.sphere; };
    using P = SphereParameters;
    return Form("Sphere", kModeSphere, p,
                {Count("segments", "Segments around", 3, kMaxCount, p, &P::segments),
                 Count("rings", "Rings", 2, kMaxCount, p, &P::rings)});
}

ToolForm SquareForm()
{
    auto p = [](auto& e) -> auto& { return e.tools.primitives.square; };
    using P = SquareParameters;
    return Form("Square", kModeSquare, p,
                {Count("nx", "Divisions x", 1, kMaxCount, p, &P::nx),
                 Count("nz", "Divisions z", 1, kMaxCount, p, &P::nz)});
}

ToolForm CubeForm()
{
    auto p = [](auto& e) -> auto& { return e.tools.primitives.cube; };
    using P = CubeParameters;
    return Form("Cube", kModeCube, p,
                {Count("nx", "Divisions x", 1, kMaxCount, p, &P::nx),
                 Count("ny", "Divisions y", 1, kMaxCount, p, &P::ny),
                 Count("nz", "Divisions z", 1, kMaxCount, p, &P::nz), Sizing(p, &P::sizing)});
}

template <class Access>
ToolForm TubeForm(std::string title, int mode, Access p)
{
    using P = CylinderParameters;
    return Form(std::move(title), mode, p,
                {Count("segments", "Segments", 3, kMaxCount, p, &P::segments),
                 Count("heightDivisions", "Height divisions", 1, kMaxCount, p, &P::heightDivisions),
                 Toggle("caps", "Caps", p, &P::caps), Sizing(p, &P::sizing)});
}

ToolForm SuperellipsoidForm()
{
    auto p = [](auto& e) -> auto& { return e.tools.primitives.superellipsoid; };
    using P = SuperellipsoidParameters;
    const double least = kMinPrimitiveValue, most = kMaxSuperExponent;
    return Form("SuperEllipsoid", kModeSuperEllipsoid, p,
                {WithHint(Count("segmentsAround", "Around (n)", 3, kMaxCount, p, &P::segmentsAround),
                          "Segments around the vertical axis"),
                 WithHint(Count("segmentsPoleToPole", "Pole to pole (m)", 2, kMaxCount, p, &P::segmentsPoleToPole),
                          "Segments from the bottom pole to the top pole"),
                 WithHint(Real("exponent1", "\u03b51", least, most, 3, p, &P::exponent1),
                          "Shape across a ring: below 1 square, 1 round, 2 diamond, above 2 pinched"),
                 WithHint(Real("exponent2", "\u03b52", least, most, 3, p, &P::exponent2),
                          "Shape from pole to pole: below 1 square, 1 round, 2 diamond, above 2 pinched"),
                 Real("scaleX", "Scale x", least, kMaxExtent, 3, p, &P::scaleX),
                 Real("scaleY", "Scale y", least, kMaxExtent, 3, p, &P::scaleY),
                 Real("scaleZ", "Scale z", least, kMaxExtent, 3, p, &P::scaleZ)});
}

ToolForm SupertoroidForm()
{
    auto p = [](auto& e) -> auto& { return e.tools.primitives.supertoroid; };
    using P = SupertoroidParameters;
    const double least = kMinPrimitiveValue, most = kMaxSuperExponent;
    return Form("SuperToroid", kModeSuperToroid, p,
                {WithHint(Count("segmentsAround", "Ring (n)", 3, kMaxCount, p, &P::segmentsAround),
                          "Segments around the main ring"),
                 WithHint(Count("segmentsTube", "Tube (m)", 3, kMaxCount, p, &P::segmentsTube),
                          "Segments around the tube"),
                 WithHint(Real("exponent1", "\u03b51", least, most, 3, p, &P::exponent1),
                          "Shape of the main ring: below 1 square, 1 round, above 1 pinched"),
                 WithHint(Real("exponent2", "\u03b52", least, most, 3, p, &P::exponent2),
                          "Shape of the tube: below 1 square, 1 round, above 1 pinched"),
                 Real("ringRadius", "Ring radius (R)", 0.0, kMaxExtent, 3, p, &P::ringRadius),
                 Real("tubeRadius", "Tube radius (t)", least, kMaxExtent, 3, p, &P::tubeRadius)});
}

ToolForm CameraForm()
{
    ToolForm form;
    form.title = "Camera";
    form.mode = kModeCamera;
    form.usage = "Press in a viewport where the camera should stand, drag up or down to set its height "
                 "and release. Then move the mouse to aim it and click to finish.\n"
                 "A right click places a camera at the insertion point at once.";
    form.restoreDefaults = [](Editor&) {};
    return form;
}

// --- the lights -------------------------------------------------------------------

template <class Access>
void AddSpotCone(std::vector<FormField>& fields, Access p)
{
    using P = LightToolParameters;
    fields.push_back(WithHint(Real("range", "Range", kMinRange, kMaxExtent, 3, p, &P::range),
                              "Distance beyond which the light has no effect"));
    // Full light inside the umbra, none beyond the penumbra: the umbra never
    // reaches past the penumbra.
    FormField penumbra = WithHint(Real("penumbra", "Penumbra", 0.0, kPi, 3, p, &P::penumbra),
                                  "Angle in radians where the light fades out");
    penumbra.set = [p](Editor& e, double v) {
        P& light = p(e);
        light.penumbra = static_cast<float>(v);
        light.umbra = std::min(light.umbra, light.penumbra);
    };
    FormField umbra = WithHint(Real("umbra", "Umbra", 0.0, kPi, 3, p, &P::umbra),
                               "Angle in radians of full light; at most the penumbra");
    umbra.set = [p](Editor& e, double v) {
        P& light = p(e);
        light.umbra = std::min(static_cast<float>(v), light.penumbra);
    };
    fields.push_back(std::move(penumbra));
    fields.push_back(std::move(umbra));
}

ToolForm LightForm(std::string title, int mode, LightType type)
{
    const auto index = static_cast<size_t>(type);
    auto p = [index](auto& e) -> auto& { return e.tools.lightTools[index]; };
    auto colour = [index](auto& e) -> auto& { return e.tools.lightTools[index].color; };
    using P = LightToolParameters;
    std::vector<FormField> fields{Real("red", "Red", 0.0, 1.0, 3, colour, &ColorRGBA::r),
                                  Real("green", "Green", 0.0, 1.0, 3, colour, &ColorRGBA::g),
                                  Real("blue", "Blue", 0.0, 1.0, 3, colour, &ColorRGBA::b)};
    // Ambient and directional light has no distance to weaken with.
    if (type != LightType::Ambient && type != LightType::Directional) {
        FormField attenuation =
            WithHint(Choice("attenuation", "Attenuation", {"Constant", "Linear", "Quadratic"}),
                     "Which of the three values below weakens the light with distance");
        attenuation.get = [p](const Editor& e) { return static_cast<double>(p(e).attenuationMode); };
        attenuation.set = [p](Editor& e, double v) { p(e).attenuationMode = static_cast<int>(v); };
        fields.push_back(std::move(attenuation));
        fields.push_back(Real("constant", "Constant", 0.0, kMaxAttenuation, 3, p, &P::constant));
        fields.push_back(Real("linear", "Linear", 0.0, kMaxAttenuation, 3, p, &P::linear));
        fields.push_back(Real("quadratic", "Quadratic", 0.0, kMaxAttenuation, 3, p, &P::quadratic));
    }
    if (type == LightType::Spot)
        AddSpotCone(fields, p);
    return Form(std::move(title), mode, p, std::move(fields));
}

// --- the patches ------------------------------------------------------------------

ToolForm PatchForm(std::string title, int mode, int patchType)
{
    const bool bSpline = patchType == kPatchBSpline;
    auto p = [bSpline](auto& e) -> auto& { return bSpline ? e.tools.patches.bSpline : e.tools.patches.catmullRom; };
    using P = PatchFamilyParameters;
    // Below 2 rows or columns, and rows too long for the evaluation buffer,
    // are refused with the reason rather than clamped.
    ToolForm form = Form(std::move(title), mode, p,
                         {Count("rows", "Rows (Rx)", 1, kMaxCount, p, &P::rows),
                          Count("columns", "Columns (Cz)", 1, kMaxCount, p, &P::columns),
                          Count("stepsX", "Steps x (Sx)", 1, kMaxCount, p, &P::stepsX),
                          Count("stepsZ", "Steps z (Sz)", 1, kMaxCount, p, &P::stepsZ)});
    form.problem = [p, patchType](const Editor& e) { return PatchParametersProblem(patchType, p(e)); };
    return form;
}

// --- the deformers, relax and multicopy ---------------------------------------------

// The growth bases and the pull exponent stay positive and finite.
constexpr double kMinBase = 0.01, kMaxBase = 100.0;
constexpr double kMaxDegreesPerUnit = 3600.0;

template <class Access>
FormField AxisChoice(Access access)
{
    FormField f = WithHint(Choice("axis", "Axis", {"x", "y", "z"}),
                           "The axis through the centre of the object's box that the deformer works along");
    f.get = [access](const Editor& e) { return static_cast<double>(AxisIndex(access(e).axis)); };
    f.set = [access](Editor& e, double v) {
        Vec3 selector;
        selector[static_cast<int>(v)] = 1.0f;
        access(e).axis = selector;
    };
    return f;
}

ToolForm DeformerForm(std::string title, int mode, Deformer kind, std::string usage)
{
    auto p = [kind](auto& e) -> auto& { return e.tools.deformers.Of(kind); };
    using P = DeformerParameters;
    std::vector<FormField> fields{
        WithHint(Real("lo", "Range start", 0.0, 1.0, 3, p, &P::lo),
                 "Where the deformed part begins, as a fraction of the axis; above the end it runs backwards"),
        WithHint(Real("hi", "Range end", 0.0, 1.0, 3, p, &P::hi), "Where the deformed part ends"),
        AxisChoice(p)};
    switch (kind) {
    case Deformer::Twist:
        fields.push_back(WithHint(Real("degrees", "Degrees per unit", -kMaxDegreesPerUnit, kMaxDegreesPerUnit, 2, p, &P::own),
                                  "How far the far end turns for each unit the cursor moves up"));
        break;
    case Deformer::Bulge:
    case Deformer::Taper:
        fields.push_back(WithHint(Real("base", "Growth base", kMinBase, kMaxBase, 3, p, &P::own),
                                  "The factor of growth for each unit the cursor moves"));
        break;
    case Deformer::Pull:
        fields.push_back(WithHint(Real("exponent", "Profile exponent", kMinBase, kMaxBase, 3, p, &P::own),
                                  "1 pulls a smooth bump; larger values a narrower one"));
        break;
    case Deformer::Bend:
        break;
    }
    ToolForm form = Form(std::move(title), mode, p, std::move(fields));
    form.usage = std::move(usage);
    return form;
}

ToolForm RelaxForm()
{
    auto p = [](auto& e) -> auto& { return e.tools.relax; };
    using P = RelaxParameters;
    ToolForm form = Form("Relax", kModeRelax, p,
                         {Toggle("x", "Relax x", p, &P::x), Toggle("y", "Relax y", p, &P::y),
                          Toggle("z", "Relax z", p, &P::z)});
    form.usage = "Click an object to smooth its mesh by one step along the axes ticked.";
    return form;
}

ToolForm MultiCopyForm()
{
    auto p = [](auto& e) -> auto& { return e.tools.multiCopy; };
    auto offset = [](auto& e) -> auto& { return e.tools.multiCopy.offset; };
    auto rotation = [](auto& e) -> auto& { return e.tools.multiCopy.rotation; };
    auto size = [](auto& e) -> auto& { return e.tools.multiCopy.size; };
    std::vector<FormField> fields{Count("count", "Copies", 1, kMaxMultiCopies, p, &MultiCopyParameters::count)};
    const struct {
        const char* key;
        const char* label;
    } axes[] = {{"X", "x"}, {"Y", "y"}, {"Z", "z"}};
    float Vec3::*const members[] = {&Vec3::x, &Vec3::y, &Vec3::z};
    for (int k = 0; k < 3; ++k)
        fields.push_back(Real(std::string("offset") + axes[k].key, std::string("Offset ") + axes[k].label,
                              -kMaxExtent, kMaxExtent, 3, offset, members[k]));
    for (int k = 0; k < 3; ++k)
        fields.push_back(Real(std::string("rotation") + axes[k].key, std::string("Rotation ") + axes[k].label,
                              -360.0, 360.0, 2, rotation, members[k]));
    for (int k = 0; k < 3; ++k)
        fields.push_back(Real(std::string("size") + axes[k].key, std::string("Size ") + axes[k].label, -kMaxExtent,
                              kMaxExtent, 3, size, members[k]));
    ToolForm form = Form("Multicopy", kModeMultiCopy, p, std::move(fields));
    form.usage = "Click an object to lay out copies of it, each a step further on, turned and grown "
                 "(steps in scene units and degrees).";
    return form;
}

std::vector<ToolForm> MakeForms()
{
    std::vector<ToolForm> forms;
    forms.push_back(SphereForm());
    forms.push_back(SquareForm());
    forms.push_back(CubeForm());
    forms.push_back(TubeForm("Cylinder", kModeCylinder, [](auto& e) -> auto& { return e.tools.primitives.cylinder; }));
    forms.push_back(TubeForm("Cone", kModeCone, [](auto& e) -> auto& { return e.tools.primitives.cone; }));
    forms.push_back(SuperellipsoidForm());
    forms.push_back(SupertoroidForm());
    forms.push_back(CameraForm());
    forms.push_back(LightForm("Spot light", kModeSpotLight, LightType::Spot));
    forms.push_back(LightForm("Point light", kModePointLight, LightType::Point));
    forms.push_back(LightForm("Directional light", kModeDirectionalLight, LightType::Directional));
    forms.push_back(LightForm("Ambient light", kModeAmbientLight, LightType::Ambient));
    forms.push_back(LightForm("Parallel light", kModeParallelPointLight, LightType::ParallelPoint));
    forms.push_back(PatchForm("BSpline", kModeBSplinePatch, kPatchBSpline));
    forms.push_back(PatchForm("Catmull Rom", kModeCatmullRomPatch, kPatchCatmullRom));
    const char* vertical = "Drag up or down over an object; ";
    forms.push_back(DeformerForm("Bend", kModeBend, Deformer::Bend,
                                 "Drag over an object: it bends toward where the cursor goes."));
    forms.push_back(DeformerForm("Twist", kModeTwist, Deformer::Twist, std::string(vertical) + "it twists about the axis."));
    forms.push_back(DeformerForm("Taper", kModeTaper, Deformer::Taper,
                                 std::string(vertical) + "the end narrows or widens (right button: the start)."));
    forms.push_back(DeformerForm("Bulge", kModeBulge, Deformer::Bulge,
                                 std::string(vertical) + "its middle swells or shrinks."));
    forms.push_back(DeformerForm("Pull", kModePull, Deformer::Pull,
                                 "Drag over an object: its middle follows the cursor, its ends stay."));
    forms.push_back(RelaxForm());
    forms.push_back(MultiCopyForm());
    return forms;
}

std::string StatusLine(const std::string& title) { return "Initializing " + title + " window ..."; }

} // namespace

const FormField* ToolForm::Field(std::string_view key) const
{
    for (const FormField& field : fields)
        if (field.key == key)
            return &field;
    return nullptr;
}

std::string ToolForm::StartupStatus() const
{
    return StatusLine(title);
}

const std::vector<ToolForm>& ToolForms()
{
    static const std::vector<ToolForm> forms = MakeForms();
    return forms;
}

const ToolForm* FindToolForm(int mode)
{
    for (const ToolForm& form : ToolForms())
        if (form.mode == mode)
            return &form;
    return nullptr;
}

FieldOutcome EnterFieldValue(Editor& editor, const ToolForm& form, const FormField& field, double typed)
{
    FieldOutcome outcome;
    const double before = field.get(editor);
    if (std::isnan(typed)) {
        outcome.shown = before;
        return outcome;
    }
    double value = std::clamp(typed, field.lower, field.upper);
    if (field.kind != FieldKind::Real)
        value = std::round(value);
    field.set(editor, value);
    if (form.problem) {
        if (auto problem = form.problem(editor)) {
            field.set(editor, before);
            outcome.shown = field.get(editor);
            outcome.refusal = *problem;
            editor.ui().ShowMessage(*problem);
            return outcome;
        }
    }
    outcome.accepted = true;
    outcome.shown = field.get(editor);
    return outcome;
}

const ToolChooser& PrimitiveChooser()
{
    static const ToolChooser chooser{"Primitives",
                                     {kModeSphere, kModeSquare, kModeCube, kModeCylinder, kModeCone,
                                      kModeSuperEllipsoid, kModeSuperToroid, kModeCamera}};
    return chooser;
}

const ToolChooser& LightChooser()
{
    static const ToolChooser chooser{"Light",
                                     {kModeSpotLight, kModePointLight, kModeDirectionalLight, kModeAmbientLight,
                                      kModeParallelPointLight}};
    return chooser;
}

const ToolChooser& SurfaceChooser()
{
    static const ToolChooser chooser{"Surface", {kModeBSplinePatch, kModeCatmullRomPatch}};
    return chooser;
}

const ToolChooser& DeformChooser()
{
    static const ToolChooser chooser{"Deform",
                                     {kModeBend, kModeTwist, kModeTaper, kModeBulge, kModePull, kModeRelax,
                                      kModeMultiCopy}};
    return chooser;
}

const std::vector<StartupWindow>& StartupWindows()
{
    static const std::vector<StartupWindow> windows = [] {
        std::vector<StartupWindow> list{
            {StartupWindowKind::ToolButtons, 0, StatusLine("tool")},
            {StartupWindowKind::ToolBar, 0, StatusLine("toolbar")},
        };
        // Each chooser, then the parameter windows of its tools.
        const struct {
            StartupWindowKind kind;
            const ToolChooser& chooser;
            const char* name;
        } groups[] = {{StartupWindowKind::PrimitiveChooser, PrimitiveChooser(), "primitive"},
                      {StartupWindowKind::LightChooser, LightChooser(), "Light"},
                      {StartupWindowKind::SurfaceChooser, SurfaceChooser(), "Surface"},
                      {StartupWindowKind::DeformChooser, DeformChooser(), "Deform"}};
        for (const auto& group : groups) {
            list.push_back({group.kind, 0, StatusLine(group.name)});
            for (int mode : group.chooser.modes)
                if (const ToolForm* form = FindToolForm(mode))
                    list.push_back({StartupWindowKind::ParameterWindow, mode, form->StartupStatus()});
        }
        list.push_back({StartupWindowKind::ObjectsList, 0, StatusLine("TreeView")});
        list.push_back({StartupWindowKind::ObjectProperties, 0, StatusLine("Object properties")});
        return list;
    }();
    return windows;
}

} // namespace corvid
