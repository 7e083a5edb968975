#include "gui/ImageSizeDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace corvid {

ImageSizeDialog::ImageSizeDialog(const ImageCaptureSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings)
{
    setWindowTitle("Image size");
    auto* layout = new QVBoxLayout(this);
    currentButton = new QRadioButton(QString("Current %1 x %2").arg(settings.currentWidth).arg(settings.currentHeight));
    customButton = new QRadioButton("Custom");
    (settings.useCurrentSize ? currentButton : customButton)->setChecked(true);
    layout->addWidget(currentButton);
    layout->addWidget(customButton);

    auto* form = new QFormLayout;
    auto side = [](int value) {
        auto* box = new QSpinBox;
        box->setRange(1, kMaxCaptureSide);
        box->setValue(IsCaptureSide(value) ? value : 1);
        return box;
    };
    widthBox = side(settings.customWidth);
    heightBox = side(settings.customHeight);
    form->addRow("Width", widthBox);
    form->addRow("Height", heightBox);
    layout->addLayout(form);
    smoothingBox = new QCheckBox("Smoothing");
    smoothingBox->setChecked(settings.smoothing);
    layout->addWidget(smoothingBox);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

ImageCaptureSettings ImageSizeDialog::Result() const
{
    ImageCaptureSettings result = settings_;
    result.useCurrentSize = currentButton->isChecked();
    result.customWidth = widthBox->value();
    result.customHeight = heightBox->value();
    result.smoothing = smoothingBox->isChecked();
    return result;
}

} // namespace corvid
