#pragma once
// The import and export options dialog: what to take from (or write to) a
// file, the winding and scale of its geometry, and whether it replaces the
// scene or is merged into it.

#include "files/ImportPipeline.h"

#include <QDialog>

class QAbstractButton;
class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QRadioButton;

namespace corvid {

class ImportOptionsDialog final : public QDialog {
    Q_OBJECT
public:
    explicit ImportOptionsDialog(const ImportDialogRequest& request, QWidget* parent = nullptr);

    // The choices as they stand in the controls.
    ImportDialogResult Result() const;

    QRadioButton* replaceButton() const { return replace_; }
    QRadioButton* mergeButton() const { return merge_; }
    QRadioButton* clockwiseButton() const { return clockwise_; }
    QRadioButton* counterClockwiseButton() const { return counterClockwise_; }
    QCheckBox* scaleToViewportBox() const { return scaleToViewport_; }
    QDoubleSpinBox* scaleEdit() const { return scale_; }
    QCheckBox* animationBox() const { return animation_; }
    QCheckBox* materialsBox() const { return materials_; }
    QCheckBox* texturesBox() const { return textures_; }
    QCheckBox* lightsBox() const { return lights_; }
    QCheckBox* camerasBox() const { return cameras_; }
    QCheckBox* fogBox() const { return fog_; }
    QCheckBox* backgroundBox() const { return background_; }
    QCheckBox* lastPickedBox() const { return lastPicked_; }

private:
    // Shows the model in the controls.
    void showModel();

    ImportDialogModel model_;
    QLabel* heading_ = nullptr;
    QRadioButton* replace_ = nullptr;
    QRadioButton* merge_ = nullptr;
    QRadioButton* clockwise_ = nullptr;
    QRadioButton* counterClockwise_ = nullptr;
    QCheckBox* scaleToViewport_ = nullptr;
    QDoubleSpinBox* scale_ = nullptr;
    QCheckBox* animation_ = nullptr;
    QCheckBox* materials_ = nullptr;
    QCheckBox* textures_ = nullptr;
    QCheckBox* lights_ = nullptr;
    QCheckBox* cameras_ = nullptr;
    QCheckBox* fog_ = nullptr;
    QCheckBox* background_ = nullptr;
    QCheckBox* lastPicked_ = nullptr;
};

} // namespace corvid
