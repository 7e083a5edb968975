#include "gui/TransportBar.h"

#include "anim/Transport.h"
#include "app/Editor.h"
#include "gui/PlaybackTimer.h"

#include <QAction>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QSlider>
#include <QStyle>
#include <QToolButton>

namespace corvid {

namespace {

// A red dot: recording keys while animating.
QIcon AnimateIcon(bool stop)
{
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(120, 0, 0), 1.5));
    p.setBrush(stop ? QColor(120, 120, 120) : QColor(220, 30, 30));
    p.drawEllipse(QRectF(3, 3, 14, 14));
    if (stop) {
        p.setBrush(QColor(220, 30, 30));
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(7, 7, 6, 6));
    }
    return QIcon(pixmap);
}

} // namespace

TransportBar::TransportBar(Editor& editor, PlaybackTimer& timer, QWidget* parent)
    : QToolBar("Transport", parent)
    , editor_(editor)
    , timer_(timer)
{
    setObjectName("transportBar");
    setMovable(false);
    setFloatable(false);
    setContextMenuPolicy(Qt::PreventContextMenu);

    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setObjectName("frameSlider");
    slider_->setToolTip("Frame");
    slider_->setMinimumWidth(120);
    addWidget(slider_);
    status_ = new QLabel(this);
    status_->setObjectName("transportStatus");
    status_->setMinimumWidth(160);
    status_->setAlignment(Qt::AlignCenter);
    addWidget(status_);
    connect(slider_, &QSlider::valueChanged, this, [this](int value) {
        if (!refreshing_)
            editor_.transport.MoveSlider(value);
    });

    Transport& t = editor_.transport;
    struct ButtonPlan {
        Button button;
        QIcon icon;
        const char* tip;
        std::function<void()> run;
    };
    const ButtonPlan plans[] = {
        {Play, style()->standardIcon(QStyle::SP_MediaPlay), "Play", [this, &t] { t.Play(timer_.Now()); }},
        {Stop, style()->standardIcon(QStyle::SP_MediaStop), "Stop", [&t] { t.Stop(); }},
        {Animate, AnimateIcon(false), "Animate", [&t] { t.Animate(); }},
        {StopAnimating, AnimateIcon(true), "Stop animating", [&t] { t.StopAnimating(); }},
        {GoToStart, style()->standardIcon(QStyle::SP_MediaSkipBackward), "Go to start", [&t] { t.GoToStart(); }},
        {StepBack, style()->standardIcon(QStyle::SP_MediaSeekBackward), "Step back", [&t] { t.StepBack(); }},
        {StepForward, style()->standardIcon(QStyle::SP_MediaSeekForward), "Step forward", [&t] { t.StepForward(); }},
        {GoToEnd, style()->standardIcon(QStyle::SP_MediaSkipForward), "Go to end", [&t] { t.GoToEnd(); }},
    };
    for (const ButtonPlan& plan : plans) {
        auto* button = new QToolButton(this);
        button->setIcon(plan.icon);
        button->setToolTip(plan.tip);
        button->setObjectName(QString(plan.tip).toLower().replace(' ', '-'));
        button->setAutoRaise(true);
        connect(button, &QToolButton::clicked, this, plan.run);
        buttons_[plan.button] = button;
        actions_[plan.button] = addWidget(button);
    }
    Refresh();
}

void TransportBar::Refresh()
{
    const Transport& t = editor_.transport;
    refreshing_ = true;
    const FrameSlider& s = t.Slider();
    slider_->setRange(0, s.maximum);
    slider_->setPageStep(s.page);
    slider_->setValue(s.position);
    refreshing_ = false;
    status_->setText(QString("Frame %1  %2").arg(s.position).arg(t.StateText()));
    // Animate and stop animating share one place.
    actions_[Animate]->setVisible(!t.StopAnimatingShown());
    actions_[StopAnimating]->setVisible(t.StopAnimatingShown());
    timer_.Follow();
}

} // namespace corvid
