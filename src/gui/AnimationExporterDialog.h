#pragma once
// The "Animation Exporter" dialog: picture size (current, a listed
// resolution or custom), the frames to write and the frame rate. Every
// control goes through an AnimationExporterModel; OK keeps its settings.

#include "anim/AnimationExport.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace corvid {

class AnimationExporterDialog final : public QDialog {
    Q_OBJECT
public:
    AnimationExporterDialog(const AviExportSettings& settings, int viewportWidth, int viewportHeight,
                            QWidget* parent = nullptr);
    // The settings OK keeps (the size from the chosen mode).
    AviExportSettings Result() const { return model_.Accept(); }
    const AnimationExporterModel& Model() const { return model_; }

    QRadioButton* currentSizeButton = nullptr;
    QRadioButton* resolutionButton = nullptr;
    QRadioButton* customButton = nullptr;
    QComboBox* resolutionList = nullptr;
    QLineEdit* widthEdit = nullptr;
    QLineEdit* heightEdit = nullptr;
    QRadioButton* allFramesButton = nullptr;
    QRadioButton* rangeButton = nullptr;
    QLineEdit* fromEdit = nullptr;
    QLineEdit* toEdit = nullptr;
    QLineEdit* frameRateEdit = nullptr;

public slots:
    void accept() override;

private:
    // Shows the model's numbers.
    void showFields();
    void bindField(QLineEdit* edit, bool (AnimationExporterModel::*enter)(const std::string&),
                   int AviExportSettings::*value);

    AnimationExporterModel model_;
};

} // namespace corvid
