#pragma once
// One creation tool's parameter window, built from its core description: a
// spin box, check box or drop-down list per field, committed when editing
// finishes (or at once for a step, a tick or a choice), then showing the
// value the tool took; a "Defaults" button; or, for a tool without
// parameters, how to use it. Named "toolWindow<mode>", each field widget
// after its field's key.

#include <QGroupBox>

#include <string>
#include <vector>

class QPushButton;

namespace corvid {

class Editor;
struct ToolForm;

class ToolFormWidget final : public QGroupBox {
    Q_OBJECT
public:
    ToolFormWidget(Editor& editor, const ToolForm& form, QWidget* parent = nullptr);

    const ToolForm& Form() const { return form_; }
    // The widget of the field with this key, or null.
    QWidget* FieldWidget(const std::string& key) const;
    // Null for a window without parameters.
    QPushButton* DefaultsButton() const { return defaults_; }
    // Shows the tool's current parameters.
    void Refresh();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void commit(size_t field, double typed);
    void restoreDefaults();

    Editor& editor_;
    const ToolForm& form_;
    std::vector<QWidget*> widgets_;  // by field
    QPushButton* defaults_ = nullptr;
};

} // namespace corvid
