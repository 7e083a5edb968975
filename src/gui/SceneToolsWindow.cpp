#include "gui/SceneToolsWindow.h"

#include "app/Editor.h"
#include "gui/QtUi.h"
#include "scene/Ui.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace corvid {

namespace {

QLineEdit* NumberField(QWidget* parent, const char* name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMaxLength(127);
    return edit;
}

QCheckBox* CheckBox(QWidget* parent, const char* text, const char* name)
{
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(name);
    return box;
}

} // namespace

SceneToolsWindow::SceneToolsWindow(Editor& editor, QtUi& ui, QWidget* parent) : QWidget(parent), model_(editor)
{
    setObjectName("sceneTools");
    auto* column = new QVBoxLayout(this);

    auto* fogGroup = new QGroupBox("Fog", this);
    auto* fogForm = new QFormLayout(fogGroup);
    fogOn_ = CheckBox(fogGroup, "Fog on", "fogOn");
    start_ = NumberField(fogGroup, "fogStart");
    end_ = NumberField(fogGroup, "fogEnd");
    density_ = NumberField(fogGroup, "fogDensity");
    fogForm->addRow(fogOn_);
    fogForm->addRow("Start", start_);
    fogForm->addRow("End", end_);
    fogForm->addRow("Density", density_);
    column->addWidget(fogGroup);
    connect(fogOn_, &QCheckBox::toggled, this, [this](bool on) {
        if (!refreshing_)
            model_.World().SetFogEnabled(on);
    });
    for (auto [edit, enter] : {std::pair{start_, &SceneTools::EnterFogStart}, {end_, &SceneTools::EnterFogEnd},
                               {density_, &SceneTools::EnterFogDensity}}) {
        connect(edit, &QLineEdit::editingFinished, this, [this, edit = edit, enter = enter] {
            if (!edit->isModified())
                return;
            edit->setModified(false);
            (model_.*enter)(edit->text().toStdString());
            show();
        });
    }

    fog_ = colourGroup("Fog Colour", "fog", &WorldSettings::SetFogChannel, &WorldSettings::SetFogColor);
    background_ = colourGroup("Background Colour", "background", &WorldSettings::SetBackgroundChannel,
                              &WorldSettings::SetBackgroundColor);
    link_ = CheckBox(this, "Change Both", "changeBoth");
    column->addWidget(link_);
    connect(link_, &QCheckBox::toggled, this, [this](bool on) {
        if (!refreshing_)
            model_.World().SetLinked(on);
    });

    auto* pictureRow = new QHBoxLayout;
    picture_ = new QPushButton("Background Image ...", this);
    picture_->setObjectName("backgroundImage");
    pictureOn_ = CheckBox(this, "Background texture", "backgroundOn");
    pictureRow->addWidget(picture_);
    pictureRow->addWidget(pictureOn_);
    column->addLayout(pictureRow);
    connect(picture_, &QPushButton::clicked, this, [this] {
        model_.ChooseBackgroundPicture();
        show();
    });
    connect(pictureOn_, &QCheckBox::toggled, this, [this](bool on) {
        if (!refreshing_)
            model_.World().SetBackgroundShown(on);
        show();
    });

    grid_ = CheckBox(this, "Render Grid", "renderGrid");
    lights_ = CheckBox(this, "Render Lights", "renderLights");
    column->addWidget(grid_);
    column->addWidget(lights_);
    connect(grid_, &QCheckBox::toggled, this, [this](bool on) {
        if (!refreshing_)
            model_.World().SetRenderGrid(on);
    });
    connect(lights_, &QCheckBox::toggled, this, [this](bool on) {
        if (!refreshing_)
            model_.World().SetRenderLights(on);
    });
    column->addStretch(1);

    connect(&ui, &QtUi::Notified, this, [this](int what) {
        if (what == static_cast<int>(Notification::FogPanelChanged))
            Refresh();
    });
    show();
}

SceneToolsWindow::ColourControls SceneToolsWindow::colourGroup(const QString& title, const QString& name,
                                                               void (WorldSettings::*channel)(int, int),
                                                               void (WorldSettings::*all)(int, int, int))
{
    ColourControls c;
    auto* group = new QGroupBox(title, this);
    auto* grid = new QGridLayout(group);
    const char* channels[] = {"Red", "Green", "Blue"};
    for (int i = 0; i < 3; ++i) {
        auto* slider = new QSlider(Qt::Horizontal, group);
        slider->setObjectName(name + channels[i]);
        slider->setRange(0, 255);
        auto* value = new QLabel("0", group);
        value->setMinimumWidth(28);
        c.sliders[static_cast<size_t>(i)] = slider;
        c.values[static_cast<size_t>(i)] = value;
        grid->addWidget(new QLabel(channels[i], group), i, 0);
        grid->addWidget(slider, i, 1);
        grid->addWidget(value, i, 2);
        connect(slider, &QSlider::valueChanged, this, [this, i, channel](int v) {
            if (refreshing_)
                return;
            (model_.World().*channel)(i, v);
            show();
        });
    }
    c.swatch = new QLabel(group);
    c.swatch->setObjectName(name + "Swatch");
    c.swatch->setFixedSize(36, 36);
    c.swatch->setAutoFillBackground(true);
    c.button = new QPushButton("Colour ...", group);
    c.button->setObjectName(name + "ColourButton");
    grid->addWidget(c.swatch, 0, 3, 2, 1);
    grid->addWidget(c.button, 2, 3);
    const bool isFog = name == "fog";
    connect(c.button, &QPushButton::clicked, this, [this, all, isFog] {
        const auto& v = isFog ? model_.World().FogSliders() : model_.World().BackgroundSliders();
        const QColor chosen = QColorDialog::getColor(QColor(v[0], v[1], v[2]), this);
        if (!chosen.isValid())
            return;
        (model_.World().*all)(chosen.red(), chosen.green(), chosen.blue());
        show();
    });
    layout()->addWidget(group);
    return c;
}

void SceneToolsWindow::Refresh()
{
    model_.Refresh();
    show();
}

void SceneToolsWindow::show()
{
    refreshing_ = true;
    const WorldSettings& w = model_.World();
    fogOn_->setChecked(w.FogEnabled());
    for (auto [edit, text] : {std::pair{start_, model_.FogStart()}, {end_, model_.FogEnd()},
                              {density_, model_.FogDensity()}})
        if (!edit->hasFocus() || !edit->isModified())
            edit->setText(QString::fromStdString(text));
    for (auto [controls, values] : {std::pair{&fog_, w.FogSliders()}, {&background_, w.BackgroundSliders()}}) {
        for (size_t i = 0; i < 3; ++i) {
            controls->sliders[i]->setValue(values[i]);
            controls->values[i]->setNum(values[i]);
        }
        QPalette p = controls->swatch->palette();
        p.setColor(QPalette::Window, QColor(values[0], values[1], values[2]));
        controls->swatch->setPalette(p);
    }
    link_->setChecked(w.Linked());
    pictureOn_->setEnabled(w.HasBackgroundPicture());
    pictureOn_->setChecked(w.BackgroundShown());
    grid_->setChecked(w.RenderGrid());
    lights_->setChecked(w.RenderLights());
    refreshing_ = false;
}

} // namespace corvid
