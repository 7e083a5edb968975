#pragma once
// The tool buttons of the left column: one checkable button per tool mode,
// exclusive, each with a drawn icon and a tool tip. Choosing one sets the
// editor's tool mode; the viewports then dispatch on it. The creation tools'
// button windows add their buttons to the same exclusive group.

#include <QIcon>
#include <QWidget>

#include <map>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QToolButton;

namespace corvid {

class Editor;

struct ToolEntry {
    int mode;
    const char* name;  // the tool tip
};

// The tools the column offers, in groups.
const std::vector<ToolEntry>& NavigationTools();
// Centre or fill the active view, or every view, on a clicked object.
const std::vector<ToolEntry>& ViewOperationTools();
const std::vector<ToolEntry>& ObjectTools();
const std::vector<ToolEntry>& HierarchyTools();
// Painting: the picked face, the whole object, picking a material up, every face alike.
const std::vector<ToolEntry>& PaintTools();
const std::vector<ToolEntry>& BooleanTools();

class ToolButtons final : public QWidget {
    Q_OBJECT
public:
    ToolButtons(Editor& editor, QWidget* parent = nullptr);

    // The button of mode (the column's or an added one), or null.
    QToolButton* Button(int mode) const;
    // The modes of the column's own buttons.
    std::vector<int> Modes() const;
    // A button for mode in the same exclusive group, for a window of
    // parent's to lay out.
    QToolButton* AddButton(int mode, const QString& name, QWidget* parent);
    QCheckBox* GridSnapBox() const { return gridSnap_; }
    // Checks the button of the editor's current mode (none for a mode
    // without a button).
    void ShowEditorMode();

    static QIcon ToolIcon(int mode, int size = 24);

signals:
    // The mode a button chose, or the editor's mode ShowEditorMode showed.
    void ModeShown(int mode);

private:
    QToolButton* makeButton(int mode, const QString& name, QWidget* parent);
    void choose(int mode);

    Editor& editor_;
    QButtonGroup* group_ = nullptr;
    std::map<int, QToolButton*> buttons_;
    std::map<int, QToolButton*> added_;
    QCheckBox* gridSnap_ = nullptr;
};

} // namespace corvid
