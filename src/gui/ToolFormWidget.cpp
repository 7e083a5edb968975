#include "gui/ToolFormWidget.h"

#include "app/ToolForms.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace corvid {

namespace {

// The boxes take any number; the tool's rule clamps it and the box then
// shows what was taken, rather than the box silently refusing keystrokes.
constexpr int kWideInteger = 1000000000;
constexpr double kWideReal = 1e9;
constexpr int kFieldMinimumWidth = 56;

// The column is narrow: a box's width comes from the column, not from the
// widest number it could hold.
void FitToColumn(QWidget* box)
{
    box->setMinimumWidth(kFieldMinimumWidth);
    box->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

} // namespace

ToolFormWidget::ToolFormWidget(Editor& editor, const ToolForm& form, QWidget* parent)
    : QGroupBox(QString::fromStdString(form.title), parent)
    , editor_(editor)
    , form_(form)
{
    setObjectName(QString("toolWindow%1").arg(form.mode));
    setWindowTitle(title());
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(6);

    if (!form.usage.empty()) {
        auto* usage = new QLabel(QString::fromStdString(form.usage), this);
        usage->setObjectName("usage");
        usage->setWordWrap(true);
        column->addWidget(usage);
    }

    auto* rows = new QFormLayout;
    rows->setRowWrapPolicy(QFormLayout::WrapLongRows);
    rows->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    rows->setHorizontalSpacing(6);
    rows->setVerticalSpacing(3);
    for (size_t i = 0; i < form.fields.size(); ++i) {
        const FormField& field = form.fields[i];
        QWidget* widget = nullptr;
        switch (field.kind) {
        case FieldKind::Integer: {
            auto* box = new QSpinBox(this);
            box->setRange(-kWideInteger, kWideInteger);
            box->setKeyboardTracking(false);  // valueChanged on Enter, focus loss or a step
            connect(box, &QSpinBox::valueChanged, this, [this, i](int v) { commit(i, v); });
            widget = box;
            break;
        }
        case FieldKind::Real: {
            auto* box = new QDoubleSpinBox(this);
            box->setDecimals(field.decimals);
            box->setRange(-kWideReal, kWideReal);
            box->setSingleStep(0.1);
            box->setKeyboardTracking(false);
            connect(box, &QDoubleSpinBox::valueChanged, this, [this, i](double v) { commit(i, v); });
            widget = box;
            break;
        }
        case FieldKind::Toggle: {
            auto* box = new QCheckBox(this);
            connect(box, &QCheckBox::toggled, this, [this, i](bool on) { commit(i, on ? 1.0 : 0.0); });
            widget = box;
            break;
        }
        case FieldKind::Choice: {
            auto* list = new QComboBox(this);
            for (const std::string& choice : field.choices)
                list->addItem(QString::fromStdString(choice));
            // Never narrower than its longest choice: in a narrow column the
            // form puts it under its label instead.
            list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
            list->setMinimumWidth(list->sizeHint().width());
            list->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
            connect(list, &QComboBox::currentIndexChanged, this, [this, i](int index) { commit(i, index); });
            widget = list;
            break;
        }
        }
        widget->setObjectName(QString::fromStdString(field.key));
        widget->setToolTip(QString::fromStdString(field.hint));
        if (field.kind == FieldKind::Integer || field.kind == FieldKind::Real)
            FitToColumn(widget);
        rows->addRow(QString::fromStdString(field.label), widget);
        widgets_.push_back(widget);
    }
    column->addLayout(rows);

    if (!form.fields.empty()) {
        defaults_ = new QPushButton("Defaults", this);
        defaults_->setObjectName("defaults");
        defaults_->setToolTip("Restore this tool's default parameters");
        connect(defaults_, &QPushButton::clicked, this, [this] { restoreDefaults(); });
        column->addWidget(defaults_, 0, Qt::AlignRight);
    }
    Refresh();
}

QWidget* ToolFormWidget::FieldWidget(const std::string& key) const
{
    for (size_t i = 0; i < form_.fields.size(); ++i)
        if (form_.fields[i].key == key)
            return widgets_[i];
    return nullptr;
}

void ToolFormWidget::Refresh()
{
    for (size_t i = 0; i < form_.fields.size(); ++i) {
        const double value = form_.fields[i].get(editor_);
        QWidget* widget = widgets_[i];
        const QSignalBlocker quiet(widget);
        if (auto* box = qobject_cast<QSpinBox*>(widget))
            box->setValue(static_cast<int>(value));
        else if (auto* real = qobject_cast<QDoubleSpinBox*>(widget))
            real->setValue(value);
        else if (auto* check = qobject_cast<QCheckBox*>(widget))
            check->setChecked(value != 0.0);
        else if (auto* list = qobject_cast<QComboBox*>(widget))
            list->setCurrentIndex(static_cast<int>(value));
    }
}

void ToolFormWidget::showEvent(QShowEvent* event)
{
    Refresh();
    QGroupBox::showEvent(event);
}

void ToolFormWidget::commit(size_t field, double typed)
{
    {
        // A refusal's message box moves the focus: the box must not commit
        // again while it still shows the refused value.
        const QSignalBlocker quiet(widgets_[field]);
        EnterFieldValue(editor_, form_, form_.fields[field], typed);
    }
    // A field may have moved another (the umbra follows the penumbra).
    Refresh();
}

void ToolFormWidget::restoreDefaults()
{
    form_.restoreDefaults(editor_);
    Refresh();
}

} // namespace corvid
