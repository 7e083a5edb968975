#pragma once
// The texture-mapping window: the six preset buttons with the preview of
// the current one, "Relative to", the Position, Rotation, UV Offset and UV
// Scale fields, "Adaptive Scale" and "Auto wrap", the three mapping tools
// (their buttons in the tool buttons' exclusive group) and Apply, which
// lays the settings on the selected object. Binds the controls to
// app/MappingPanel.h.

#include "app/MappingPanel.h"

#include <QWidget>

#include <array>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace corvid {

class Editor;
class QtUi;
class SamplerWidget;
class ToolButtons;

class MappingWindow final : public QWidget {
    Q_OBJECT
public:
    MappingWindow(Editor& editor, QtUi& ui, ToolButtons& buttons, QWidget* parent = nullptr);

    MappingPanel& Model() { return model_; }
    SamplerWidget* Preview() const { return preview_; }
    QAbstractButton* PresetButton(int wrapType) const;
    QToolButton* ToolButton(int mode) const;
    // Shows the current settings.
    void Refresh();

private:
    void show();

    Editor& editor_;
    MappingPanel model_;
    bool refreshing_ = false;
    QButtonGroup* presets_ = nullptr;
    SamplerWidget* preview_ = nullptr;
    QComboBox* relativeTo_ = nullptr;
    std::array<QLineEdit*, 3> position_{}, rotation_{};
    std::array<QLineEdit*, 2> offset_{}, scale_{};
    QCheckBox* adaptive_ = nullptr;
    QCheckBox* autoWrap_ = nullptr;
    std::array<QToolButton*, 3> tools_{};
    QPushButton* apply_ = nullptr;
};

} // namespace corvid
