#pragma once
// The "Image size" dialog of "Save image ...": the viewport's current size or
// a custom size (each side 1..2048), and smoothing. Binds its controls to an
// ImageCaptureSettings.

#include "render/ImageCapture.h"

#include <QDialog>

class QCheckBox;
class QRadioButton;
class QSpinBox;

namespace corvid {

class ImageSizeDialog final : public QDialog {
    Q_OBJECT
public:
    ImageSizeDialog(const ImageCaptureSettings& settings, QWidget* parent = nullptr);
    // The settings as the controls show them.
    ImageCaptureSettings Result() const;

    QRadioButton* currentButton = nullptr;
    QRadioButton* customButton = nullptr;
    QSpinBox* widthBox = nullptr;
    QSpinBox* heightBox = nullptr;
    QCheckBox* smoothingBox = nullptr;

private:
    ImageCaptureSettings settings_;
};

} // namespace corvid
