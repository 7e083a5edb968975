#pragma once
// The small frameless window that shows the start-up status line until the
// first viewport has a size.

#include <QWidget>

class QLabel;

namespace corvid {

class SplashWindow final : public QWidget {
    Q_OBJECT
public:
    SplashWindow();

    // Centres the window on the primary screen, shows it and paints it.
    void ShowCentred();
    // Replaces the status line and paints it at once.
    void SetStatus(const QString& status);
    QString Status() const;

private:
    QLabel* status_ = nullptr;
};

} // namespace corvid
