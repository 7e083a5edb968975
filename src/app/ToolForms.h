#pragma once
// The creation tools' parameter windows without the widgets: for each tool
// window its title, tool mode and fields (label, kind, limits, and how the
// field reads and writes the Editor's tool parameters), the rule for a typed
// value, and what its "Defaults" button restores. Also the button windows
// that choose the creation tools, and the order in which start-up creates
// the tool windows with their splash lines.
//
// A typed value outside a field's limits is clamped to them; the limits
// agree with what the generators accept, so the parameters a window leaves
// never make a generator refuse. The patch windows also refuse a value that
// would leave parameters no patch can be made from: the person is told why
// and the field keeps its previous value.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvid {

class Editor;

enum class FieldKind {
    Integer,
    Real,
    Toggle,  // 0 or 1
    Choice,  // the index of one of the choice texts
};

struct FormField {
    std::string key;    // unique within its window; names the field's widget
    std::string label;  // as the window shows it
    std::string hint;   // a longer explanation (units, effect), may be empty
    FieldKind kind = FieldKind::Integer;
    std::vector<std::string> choices;  // Choice only
    double lower = 0.0, upper = 0.0;   // every kind: the clamping limits
    int decimals = 0;                  // Real: digits shown after the point
    std::function<double(const Editor&)> get;
    // Stores a value already within the limits. A setter may keep a related
    // value consistent (the spot light's umbra within its penumbra).
    std::function<void(Editor&, double)> set;
};

struct ToolForm {
    std::string title;  // "Sphere"
    int mode = 0;       // the tool mode whose parameters it edits
    std::string usage;  // how to use the tool, for windows that need saying it
    std::vector<FormField> fields;
    // Puts this tool's default parameters back, leaving every other tool's alone.
    std::function<void(Editor&)> restoreDefaults;
    // Why the tool's current parameters cannot be used (null: any in-limits
    // values can).
    std::function<std::optional<std::string>(const Editor&)> problem;

    const FormField* Field(std::string_view key) const;
    // "Initializing Sphere window ..."
    std::string StartupStatus() const;
};

// Every parameter window, in the order start-up creates them.
const std::vector<ToolForm>& ToolForms();
// The window of mode, or null for a tool without one.
const ToolForm* FindToolForm(int mode);

// What became of a typed value.
struct FieldOutcome {
    bool accepted = false;
    double shown = 0.0;                  // the field's value now, to be shown
    std::optional<std::string> refusal;  // the message shown when refused
};

// The rule for a value typed into field of form: clamped to the field's
// limits (rounded for the counted kinds), then stored unless the tool's
// parameters would become unusable, in which case the previous value stays
// and the reason goes to the person through the Ui. A NaN changes nothing.
FieldOutcome EnterFieldValue(Editor& editor, const ToolForm& form, const FormField& field, double typed);

// A window of buttons that choose tools.
struct ToolChooser {
    std::string title;
    std::vector<int> modes;  // in button order; each has a ToolForm of the same title
};
const ToolChooser& PrimitiveChooser();  // the primitives and the camera
const ToolChooser& LightChooser();
const ToolChooser& SurfaceChooser();    // the patch families
const ToolChooser& DeformChooser();     // the deformers, relax and multicopy

enum class StartupWindowKind {
    ToolButtons,       // the tool button column
    ToolBar,
    PrimitiveChooser,
    LightChooser,
    SurfaceChooser,
    DeformChooser,
    ParameterWindow,   // the ToolForm of mode
    ObjectsList,
    ObjectProperties,  // the object information window
};

struct StartupWindow {
    StartupWindowKind kind;
    int mode = 0;        // ParameterWindow only
    std::string status;  // the splash line shown just before it is created
};

// The tool windows start-up creates, in order.
const std::vector<StartupWindow>& StartupWindows();

} // namespace corvid
