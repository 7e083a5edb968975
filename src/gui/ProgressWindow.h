#pragma once
// The small progress window of long operations: one status line and a bar
// from 0 to 100.

#include <QWidget>

class QLabel;
class QProgressBar;

namespace corvid {

class ProgressWindow final : public QWidget {
    Q_OBJECT
public:
    explicit ProgressWindow(QWidget* parent = nullptr);

    void SetStatus(const QString& status);
    void SetPercent(int percent);
    QString Status() const;
    int Percent() const;

private:
    QLabel* status_ = nullptr;
    QProgressBar* bar_ = nullptr;
};

} // namespace corvid
