#include "gui/ProgressWindow.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>

namespace corvid {

ProgressWindow::ProgressWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint)
{
    setWindowTitle("Corvid");
    setMinimumWidth(320);
    status_ = new QLabel(this);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 100);
    bar_->setValue(0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addWidget(bar_);
}

void ProgressWindow::SetStatus(const QString& status)
{
    status_->setText(status);
    if (isVisible())
        repaint();
}

void ProgressWindow::SetPercent(int percent)
{
    bar_->setValue(std::clamp(percent, 0, 100));
    if (isVisible())
        repaint();
}

QString ProgressWindow::Status() const
{
    return status_->text();
}

int ProgressWindow::Percent() const
{
    return bar_->value();
}

} // namespace corvid
