#include "gui/AnimationExporterDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace corvid {

AnimationExporterDialog::AnimationExporterDialog(const AviExportSettings& settings, int viewportWidth,
                                                 int viewportHeight, QWidget* parent)
    : QDialog(parent), model_(settings, viewportWidth, viewportHeight)
{
    setWindowTitle("Animation Exporter");
    auto* layout = new QVBoxLayout(this);

    auto* sizeGroup = new QGroupBox("Size");
    auto* sizeGrid = new QGridLayout(sizeGroup);
    currentSizeButton = new QRadioButton("Current Size");
    resolutionButton = new QRadioButton("Resolution");
    customButton = new QRadioButton("Custom");
    resolutionList = new QComboBox;
    for (const AviResolution& r : kAviResolutions)
        resolutionList->addItem(r.text);
    widthEdit = new QLineEdit;
    heightEdit = new QLineEdit;
    sizeGrid->addWidget(currentSizeButton, 0, 0, 1, 2);
    sizeGrid->addWidget(resolutionButton, 1, 0);
    sizeGrid->addWidget(resolutionList, 1, 1, 1, 3);
    sizeGrid->addWidget(customButton, 2, 0);
    sizeGrid->addWidget(new QLabel("Width"), 2, 1);
    sizeGrid->addWidget(widthEdit, 2, 2);
    sizeGrid->addWidget(new QLabel("Height"), 3, 1);
    sizeGrid->addWidget(heightEdit, 3, 2);
    layout->addWidget(sizeGroup);

    auto* frameGroup = new QGroupBox("Frames");
    auto* frameGrid = new QGridLayout(frameGroup);
    allFramesButton = new QRadioButton("All frames");
    rangeButton = new QRadioButton("From");
    fromEdit = new QLineEdit;
    toEdit = new QLineEdit;
    frameRateEdit = new QLineEdit;
    frameGrid->addWidget(allFramesButton, 0, 0, 1, 2);
    frameGrid->addWidget(rangeButton, 1, 0);
    frameGrid->addWidget(fromEdit, 1, 1);
    frameGrid->addWidget(new QLabel("To"), 1, 2);
    frameGrid->addWidget(toEdit, 1, 3);
    frameGrid->addWidget(new QLabel("Frame rate"), 2, 0);
    frameGrid->addWidget(frameRateEdit, 2, 1);
    layout->addWidget(frameGroup);

    const AviExportSettings& s = model_.Settings();
    resolutionList->setCurrentIndex(s.resolutionIndex);
    (s.aviSizeMode == 1 ? currentSizeButton : s.aviSizeMode == 2 ? resolutionButton : customButton)->setChecked(true);
    (s.aviFrameMode == 1 ? allFramesButton : rangeButton)->setChecked(true);
    showFields();

    connect(currentSizeButton, &QRadioButton::clicked, this, [this] { model_.ChooseCurrentSize(); });
    connect(resolutionButton, &QRadioButton::clicked, this, [this] { model_.ChooseResolution(); });
    connect(customButton, &QRadioButton::clicked, this, [this] { model_.ChooseCustomSize(); });
    connect(resolutionList, qOverload<int>(&QComboBox::activated), this,
            [this](int index) { model_.SelectResolution(index); });
    connect(allFramesButton, &QRadioButton::clicked, this, [this] { model_.ChooseAllFrames(); });
    connect(rangeButton, &QRadioButton::clicked, this, [this] { model_.ChooseFrameRange(); });
    bindField(widthEdit, &AnimationExporterModel::EnterWidth, &AviExportSettings::customWidth);
    bindField(heightEdit, &AnimationExporterModel::EnterHeight, &AviExportSettings::customHeight);
    bindField(fromEdit, &AnimationExporterModel::EnterFrom, &AviExportSettings::aviFrom);
    bindField(toEdit, &AnimationExporterModel::EnterTo, &AviExportSettings::aviTo);
    bindField(frameRateEdit, &AnimationExporterModel::EnterFrameRate, &AviExportSettings::aviFrameRate);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void AnimationExporterDialog::accept()
{
    // A field still being typed in counts.
    for (QLineEdit* edit : {widthEdit, heightEdit, fromEdit, toEdit, frameRateEdit})
        emit edit->editingFinished();
    QDialog::accept();
}

void AnimationExporterDialog::bindField(QLineEdit* edit, bool (AnimationExporterModel::*enter)(const std::string&),
                                        int AviExportSettings::*value)
{
    // The field shows the value taken: the old one when refused, the limit
    // when beyond it.
    connect(edit, &QLineEdit::editingFinished, this, [this, edit, enter, value] {
        (model_.*enter)(edit->text().toStdString());
        edit->setText(QString::number(model_.Settings().*value));
    });
}

void AnimationExporterDialog::showFields()
{
    const AviExportSettings& s = model_.Settings();
    widthEdit->setText(QString::number(s.customWidth));
    heightEdit->setText(QString::number(s.customHeight));
    fromEdit->setText(QString::number(s.aviFrom));
    toEdit->setText(QString::number(s.aviTo));
    frameRateEdit->setText(QString::number(s.aviFrameRate));
}

} // namespace corvid
