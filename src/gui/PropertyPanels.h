#pragma once
// The object properties window (position, rotation and size fields of the
// selection) and the light property window (colour sliders and swatch,
// attenuation mode and factor, and a spot light's falloff distance, umbra
// and penumbra), bound to the core's models; the light window's title
// follows the picked light's type.

#include "app/LightProperties.h"
#include "app/ObjectProperties.h"

#include <QWidget>

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace corvid {

class Editor;

class ObjectPropertiesPanel final : public QWidget {
    Q_OBJECT
public:
    ObjectPropertiesPanel(Editor& editor, QWidget* parent = nullptr);
    // Fills the fields from the selection.
    void Refresh();
    ObjectProperties& Model() { return model_; }
    // Position, rotation and size fields, x y z each.
    const std::array<QLineEdit*, 3>& PositionFields() const { return position_; }
    const std::array<QLineEdit*, 3>& RotationFields() const { return rotation_; }
    const std::array<QLineEdit*, 3>& SizeFields() const { return size_; }

private:
    void show();
    ObjectProperties model_;
    std::array<QLineEdit*, 3> position_{}, rotation_{}, size_{};
};

class LightPropertiesPanel final : public QWidget {
    Q_OBJECT
public:
    LightPropertiesPanel(Editor& editor, QWidget* parent = nullptr);
    void Refresh();
    LightProperties& Model() { return model_; }
    // The window's title for the picked light ("Spot Light Info").
    QString Title() const;
    const std::array<QSlider*, 3>& ColorSliders() const { return sliders_; }
    QComboBox* Mode() const { return mode_; }
    QLineEdit* Factor() const { return factor_; }
    QLineEdit* Range() const { return range_; }

signals:
    void titleChanged(const QString& title);

private:
    void show();
    LightProperties model_;
    std::array<QSlider*, 3> sliders_{};
    std::array<QLabel*, 3> values_{};
    QLabel* swatch_ = nullptr;
    QPushButton* colorButton_ = nullptr;
    QComboBox* mode_ = nullptr;
    QLineEdit* factor_ = nullptr;
    QLineEdit* range_ = nullptr;
    QLineEdit* umbra_ = nullptr;
    QLineEdit* penumbra_ = nullptr;
    QWidget* spotPart_ = nullptr;
    bool refreshing_ = false;
};

} // namespace corvid
