#pragma once
// The scene tools window: fog on or off with its start, end and density,
// the fog and background colours (three sliders, their values, a swatch and
// the colour dialog each), the link between the two colours, the background
// picture button and its box, and the grid and light-symbol switches. Binds
// the controls to app/SceneTools.h.

#include "app/SceneTools.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace corvid {

class Editor;
class QtUi;

class SceneToolsWindow final : public QWidget {
    Q_OBJECT
public:
    SceneToolsWindow(Editor& editor, QtUi& ui, QWidget* parent = nullptr);

    SceneTools& Model() { return model_; }
    // Shows the scene as it is (after New Scene, a load, undo or redo).
    void Refresh();

    // One colour's controls.
    struct ColourControls {
        std::array<QSlider*, 3> sliders{};
        std::array<QLabel*, 3> values{};
        QLabel* swatch = nullptr;
        QPushButton* button = nullptr;
    };
    const ColourControls& Fog() const { return fog_; }
    const ColourControls& Background() const { return background_; }

private:
    ColourControls colourGroup(const QString& title, const QString& name, void (WorldSettings::*channel)(int, int),
                               void (WorldSettings::*all)(int, int, int));
    void show();

    SceneTools model_;
    bool refreshing_ = false;
    QCheckBox* fogOn_ = nullptr;
    QLineEdit* start_ = nullptr;
    QLineEdit* end_ = nullptr;
    QLineEdit* density_ = nullptr;
    ColourControls fog_, background_;
    QCheckBox* link_ = nullptr;
    QPushButton* picture_ = nullptr;
    QCheckBox* pictureOn_ = nullptr;
    QCheckBox* grid_ = nullptr;
    QCheckBox* lights_ = nullptr;
};

} // namespace corvid
