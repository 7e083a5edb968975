#include "gui/PropertyPanels.h"

#include "app/Editor.h"

#include <QColorDialog>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace corvid {

namespace {

// The 127 characters the fields hold.
constexpr int kFieldLength = 127;

QLineEdit* Field(QWidget* parent, const QString& name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMaxLength(kFieldLength);
    edit->setMinimumWidth(60);
    return edit;
}

void Show(QLineEdit* edit, const std::string& text)
{
    if (!edit->hasFocus() || !edit->isModified())
        edit->setText(QString::fromStdString(text));
}

ObjectProperties::Fields Texts(const std::array<QLineEdit*, 3>& fields)
{
    return {fields[0]->text().toStdString(), fields[1]->text().toStdString(), fields[2]->text().toStdString()};
}

} // namespace

// --- the object properties window -------------------------------------------------------------

ObjectPropertiesPanel::ObjectPropertiesPanel(Editor& editor, QWidget* parent) : QWidget(parent), model_(editor)
{
    setObjectName("objectProperties");
    auto* grid = new QGridLayout(this);
    const char* axes[] = {"x", "y", "z"};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(axes[i], this);
        label->setAlignment(Qt::AlignCenter);
        grid->addWidget(label, 0, i + 1);
    }
    struct Row {
        const char* label;
        std::array<QLineEdit*, 3>* fields;
        void (ObjectProperties::*edit)(const ObjectProperties::Fields&);
    } rows[] = {{"Position", &position_, &ObjectProperties::EditPosition},
                {"Rotation", &rotation_, &ObjectProperties::EditRotation},
                {"Size", &size_, &ObjectProperties::EditSize}};
    int r = 1;
    for (const Row& row : rows) {
        grid->addWidget(new QLabel(row.label, this), r, 0);
        for (int i = 0; i < 3; ++i) {
            QLineEdit* edit = Field(this, QString(row.label).toLower() + axes[i]);
            (*row.fields)[static_cast<size_t>(i)] = edit;
            grid->addWidget(edit, r, i + 1);
            // A change takes effect as soon as the field reports it: Enter or
            // leaving the field.
            auto fields = row.fields;
            auto apply = row.edit;
            connect(edit, &QLineEdit::editingFinished, this, [this, edit, fields, apply] {
                if (!edit->isModified())
                    return;
                edit->setModified(false);
                (model_.*apply)(Texts(*fields));
                show();
            });
        }
        ++r;
    }
    grid->setRowStretch(r, 1);
}

void ObjectPropertiesPanel::Refresh()
{
    model_.Refresh();
    show();
}

void ObjectPropertiesPanel::show()
{
    for (int i = 0; i < 3; ++i) {
        Show(position_[static_cast<size_t>(i)], model_.Position()[static_cast<size_t>(i)]);
        Show(rotation_[static_cast<size_t>(i)], model_.Rotation()[static_cast<size_t>(i)]);
        Show(size_[static_cast<size_t>(i)], model_.Size()[static_cast<size_t>(i)]);
    }
}

// --- the light property window ----------------------------------------------------------------

LightPropertiesPanel::LightPropertiesPanel(Editor& editor, QWidget* parent) : QWidget(parent), model_(editor)
{
    setObjectName("lightProperties");
    auto* column = new QVBoxLayout(this);
    auto* colors = new QGridLayout;
    const char* channels[] = {"Red", "Green", "Blue"};
    for (int c = 0; c < 3; ++c) {
        auto* slider = new QSlider(Qt::Horizontal, this);
        slider->setObjectName(QString(channels[c]).toLower());
        slider->setRange(0, 255);
        auto* value = new QLabel("255", this);
        value->setMinimumWidth(28);
        sliders_[static_cast<size_t>(c)] = slider;
        values_[static_cast<size_t>(c)] = value;
        colors->addWidget(new QLabel(channels[c], this), c, 0);
        colors->addWidget(slider, c, 1);
        colors->addWidget(value, c, 2);
        connect(slider, &QSlider::valueChanged, this, [this, c](int v) {
            values_[static_cast<size_t>(c)]->setNum(v);
            if (refreshing_)
                return;
            model_.SetColorChannel(c, v);
            show();
        });
    }
    swatch_ = new QLabel(this);
    swatch_->setFixedSize(40, 40);
    swatch_->setAutoFillBackground(true);
    colorButton_ = new QPushButton("Colour ...", this);
    colorButton_->setObjectName("colorButton");
    colors->addWidget(swatch_, 0, 3, 2, 1);
    colors->addWidget(colorButton_, 2, 3);
    column->addLayout(colors);
    connect(colorButton_, &QPushButton::clicked, this, [this] {
        const auto& c = model_.Color();
        const QColor chosen = QColorDialog::getColor(QColor(c[0], c[1], c[2]), this);
        if (!chosen.isValid())
            return;
        // Each slider applies itself.
        sliders_[0]->setValue(chosen.red());
        sliders_[1]->setValue(chosen.green());
        sliders_[2]->setValue(chosen.blue());
    });

    auto* form = new QFormLayout;
    mode_ = new QComboBox(this);
    mode_->setObjectName("attenuationMode");
    mode_->addItems({"Constant", "Linear", "Quadratic"});
    factor_ = Field(this, "attenuationFactor");
    form->addRow("Attenuation Mode", mode_);
    form->addRow("Attenuation Factor", factor_);
    column->addLayout(form);
    connect(mode_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (refreshing_ || index < 0)
            return;
        model_.SetMode(static_cast<AttenuationMode>(index));
        show();
    });

    spotPart_ = new QWidget(this);
    auto* spot = new QFormLayout(spotPart_);
    spot->setContentsMargins(0, 0, 0, 0);
    range_ = Field(spotPart_, "falloffDistance");
    umbra_ = Field(spotPart_, "umbra");
    penumbra_ = Field(spotPart_, "penumbra");
    spot->addRow("Falloff Distance", range_);
    spot->addRow("Umbra", umbra_);
    spot->addRow("Penumbra", penumbra_);
    column->addWidget(spotPart_);
    column->addStretch(1);

    auto enter = [this](QLineEdit* edit, void (LightProperties::*take)(const std::string&)) {
        connect(edit, &QLineEdit::editingFinished, this, [this, edit, take] {
            if (!edit->isModified())
                return;
            edit->setModified(false);
            (model_.*take)(edit->text().toStdString());
            show();
        });
    };
    enter(factor_, &LightProperties::EnterFactor);
    enter(range_, &LightProperties::EnterRange);
    enter(umbra_, &LightProperties::EnterUmbra);
    enter(penumbra_, &LightProperties::EnterPenumbra);
    show();
}

QString LightPropertiesPanel::Title() const
{
    return LightWindowTitle(model_.Type());
}

void LightPropertiesPanel::Refresh()
{
    const QString before = Title();
    model_.Refresh();
    show();
    if (Title() != before)
        emit titleChanged(Title());
}

void LightPropertiesPanel::show()
{
    refreshing_ = true;
    const auto& c = model_.Color();
    for (size_t i = 0; i < 3; ++i) {
        sliders_[i]->setValue(c[i]);
        values_[i]->setNum(c[i]);
    }
    QPalette p = swatch_->palette();
    p.setColor(QPalette::Window, QColor(c[0], c[1], c[2]));
    swatch_->setPalette(p);
    mode_->setCurrentIndex(static_cast<int>(model_.Mode()));
    Show(factor_, model_.Factor());
    Show(range_, model_.Range());
    Show(umbra_, model_.Umbra());
    Show(penumbra_, model_.Penumbra());
    spotPart_->setVisible(model_.Type() == LightType::Spot);
    refreshing_ = false;
}

} // namespace corvid
