#pragma once
// The texture panel: eight slots showing the pictures loaded into them (the
// right button loads one, the left chooses the slot), the path of the slot
// loaded or chosen last, the colour-key box and the switch that offers the
// paint texture to painting. Bound to the Editor's TextureSlots.

#include <QLabel>
#include <QWidget>

#include <array>

class QCheckBox;

namespace corvid {

class Editor;

// One slot's picture; reports its clicks.
class TextureSlotWidget final : public QLabel {
    Q_OBJECT
public:
    TextureSlotWidget(int slot, QWidget* parent = nullptr);
    int SlotNumber() const { return slot_; }

signals:
    void chosen(int slot);
    void loadAsked(int slot);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    int slot_;
};

class TexturePanel final : public QWidget {
    Q_OBJECT
public:
    explicit TexturePanel(Editor& editor, QWidget* parent = nullptr);
    // Shows the slots, the label and the boxes again.
    void Refresh();

    TextureSlotWidget* Slot(int k) const { return slots_[static_cast<size_t>(k)]; }
    // The path of the slot loaded or chosen last: shortened to fit, in full
    // as the tip.
    QLabel* FileLabel() const { return fileLabel_; }
    QCheckBox* ColourKey() const { return colourKey_; }
    QCheckBox* TextureEnabled() const { return enabled_; }

signals:
    // The paint material or texture changed: the material window shows it again.
    void paintChanged();

private:
    void load(int k);
    void choose(int k);
    void afterChange();

    Editor& editor_;
    std::array<TextureSlotWidget*, 8> slots_{};
    QLabel* fileLabel_ = nullptr;
    QCheckBox* colourKey_ = nullptr;
    QCheckBox* enabled_ = nullptr;
    bool showing_ = false;
};

} // namespace corvid
