#include "gui/ViewportSetupDialog.h"

#include "render/ViewMath.h"

#include <QGridLayout>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>

namespace corvid {

namespace {
constexpr int kColumns = 4;
constexpr int kIconWidth = 64, kIconHeight = 48;
} // namespace

ViewportSetupDialog::ViewportSetupDialog(int currentKind, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle("Viewport Setup");
    auto* grid = new QGridLayout(this);
    for (int kind = 1; kind <= kLayoutKindCount; ++kind) {
        auto* button = new QToolButton(this);
        button->setObjectName(QString("layout%1").arg(kind));
        button->setIcon(LayoutIcon(kind, kIconWidth, kIconHeight));
        button->setIconSize(QSize(kIconWidth, kIconHeight));
        button->setCheckable(true);
        button->setChecked(kind == currentKind);
        button->setToolTip(QString("Layout %1").arg(kind));
        connect(button, &QToolButton::clicked, this, [this, kind] {
            accept();
            emit LayoutChosen(kind);
        });
        grid->addWidget(button, (kind - 1) / kColumns, (kind - 1) % kColumns);
    }
}

QAbstractButton* ViewportSetupDialog::Button(int kind) const
{
    return findChild<QAbstractButton*>(QString("layout%1").arg(kind));
}

QIcon ViewportSetupDialog::LayoutIcon(int kind, int width, int height)
{
    QPixmap pixmap(width, height);
    pixmap.fill(QColor(40, 40, 44));
    QPainter painter(&pixmap);
    const auto rects = LayoutViewports(kind, width, height);
    static const QColor fills[4] = {QColor(96, 132, 176), QColor(120, 150, 110), QColor(170, 140, 90),
                                    QColor(150, 110, 150)};
    painter.setPen(QPen(QColor(230, 230, 230), 1));
    for (size_t i = 0; i < rects.size(); ++i) {
        if (!rects[i])
            continue;
        const Rect& r = *rects[i];
        QRect box(r.x + 1, r.y + 1, r.width - 2, r.height - 2);
        painter.fillRect(box, fills[i]);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        painter.drawText(box, Qt::AlignCenter, QString::number(static_cast<int>(i) + 1));
    }
    painter.end();
    return QIcon(pixmap);
}

} // namespace corvid
