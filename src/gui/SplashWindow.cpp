#include "gui/SplashWindow.h"

#include "app/Startup.h"
#include "gui/AppIcon.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace corvid {

SplashWindow::SplashWindow()
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(380, 150);

    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::Box);
    frame->setObjectName("splashFrame");
    frame->setStyleSheet("#splashFrame { background: #29292c; border: 1px solid #6a6a70; }"
                         "QLabel { color: #e8e8ea; }");

    auto* icon = new QLabel(frame);
    icon->setPixmap(QPixmap::fromImage(DrawApplicationIcon(64)));
    icon->setAlignment(Qt::AlignCenter);

    auto* title = new QLabel(kMainWindowTitle, frame);
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    title->setFont(big);
    title->setAlignment(Qt::AlignCenter);

    status_ = new QLabel(frame);
    status_->setAlignment(Qt::AlignCenter);

    auto* inner = new QVBoxLayout(frame);
    inner->addStretch(1);
    auto* heading = new QHBoxLayout;
    heading->addStretch(1);
    heading->addWidget(icon);
    heading->addSpacing(12);
    heading->addWidget(title);
    heading->addStretch(1);
    inner->addLayout(heading);
    inner->addSpacing(12);
    inner->addWidget(status_);
    inner->addStretch(1);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
}

void SplashWindow::ShowCentred()
{
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->geometry();
        move(area.center() - rect().center());
    }
    show();
    raise();
    // Let the window system map it before start-up goes on without an event
    // loop.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    repaint();
}

void SplashWindow::SetStatus(const QString& status)
{
    status_->setText(status);
    if (isVisible())
        repaint();
}

QString SplashWindow::Status() const
{
    return status_->text();
}

} // namespace corvid
