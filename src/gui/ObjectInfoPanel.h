#pragma once
// The object information panel: name, kind, position, orientation, size,
// mesh counts and patch type (with a control point's row and column) of the
// selected object, as the editor formats them.

#include <QWidget>

#include <array>

class QLabel;

namespace corvid {

struct ObjectInfo;

class ObjectInfoPanel final : public QWidget {
    Q_OBJECT
public:
    explicit ObjectInfoPanel(QWidget* parent = nullptr);

    // Shows info; empty texts leave empty fields.
    void Show(const ObjectInfo& info);

    QLabel* NameLabel() const { return name_; }
    QLabel* KindLabel() const { return kind_; }
    // x, y, z relative to SCENE.
    const std::array<QLabel*, 3>& PositionLabels() const { return position_; }
    // heading, elevation, bank.
    const std::array<QLabel*, 3>& OrientationLabels() const { return orientation_; }
    const std::array<QLabel*, 3>& SizeLabels() const { return size_; }
    // faces, vertices, normals.
    const std::array<QLabel*, 3>& CountLabels() const { return counts_; }
    // patch type, control point row and column.
    const std::array<QLabel*, 3>& PatchLabels() const { return patch_; }

private:
    QLabel* name_ = nullptr;
    QLabel* kind_ = nullptr;
    std::array<QLabel*, 3> position_{};
    std::array<QLabel*, 3> orientation_{};
    std::array<QLabel*, 3> size_{};
    std::array<QLabel*, 3> counts_{};
    std::array<QLabel*, 3> patch_{};
};

} // namespace corvid
