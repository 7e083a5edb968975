#pragma once
// The creation tools' windows in the tool column, below the tool buttons:
// the button windows that choose a primitive, a light or a surface (their
// buttons in the tool buttons' exclusive group), and one slot that shows the
// parameter window of the chosen tool in place of the previous one, or
// nothing for a tool without one. Start-up creates each window just after
// announcing it.

#include <QWidget>

#include <functional>
#include <map>

class QVBoxLayout;

namespace corvid {

class Editor;
class ToolButtons;
class ToolFormWidget;
struct StartupWindow;
enum class StartupWindowKind;

class ToolWindows final : public QWidget {
    Q_OBJECT
public:
    ToolWindows(Editor& editor, ToolButtons& buttons, QWidget* parent = nullptr);

    // What creates the window start-up announces with window: empty for the
    // windows the main window makes itself.
    std::function<void()> Creator(const StartupWindow& window);

    // Each creates its window once; a second call returns the first one.
    // A button window is named "<title>Window" in lower case first
    // ("primitivesWindow", "lightWindow", "surfaceWindow").
    QWidget* CreateChooser(StartupWindowKind kind);
    ToolFormWidget* CreateForm(int mode);

    QWidget* Chooser(StartupWindowKind kind) const;
    ToolFormWidget* Form(int mode) const;
    // The parameter window in view, or null.
    ToolFormWidget* Shown() const;
    // Shows mode's parameter window in the slot (none for a tool without one).
    void ShowMode(int mode);

private:
    Editor& editor_;
    ToolButtons& buttons_;
    std::map<StartupWindowKind, QVBoxLayout*> chooserPlaces_;
    std::map<StartupWindowKind, QWidget*> choosers_;
    QVBoxLayout* slot_ = nullptr;
    std::map<int, ToolFormWidget*> forms_;
    int shownMode_ = 0;
};

} // namespace corvid
