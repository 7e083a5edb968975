#pragma once
// "Viewport Setup ...": one button per viewport layout, each showing a small
// drawing of where the four viewports go.

#include <QDialog>

class QAbstractButton;
class QIcon;

namespace corvid {

class ViewportSetupDialog final : public QDialog {
    Q_OBJECT
public:
    explicit ViewportSetupDialog(int currentKind, QWidget* parent = nullptr);

    // The button of layout kind 1..16, or null.
    QAbstractButton* Button(int kind) const;

    // The drawing of layout kind at width x height pixels.
    static QIcon LayoutIcon(int kind, int width, int height);

signals:
    // A button was pressed; the dialog has closed.
    void LayoutChosen(int kind);
};

} // namespace corvid
