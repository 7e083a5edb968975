#include "gui/TexturePanel.h"

#include "app/Editor.h"
#include "materials/TextureSlots.h"
#include "platform/Texture.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <QVBoxLayout>

namespace corvid {

namespace {

constexpr int kThumbnailSize = 42;

// The slot's picture scaled into a thumbnail, or an empty pixmap.
QPixmap Thumbnail(const TextureSlot& slot)
{
    if (!slot.texture)
        return {};
    const Image& image = slot.texture->GetImage();
    const QImage picture(image.rgba.data(), image.width, image.height, image.width * 4, QImage::Format_RGBA8888);
    return QPixmap::fromImage(
        picture.scaled(kThumbnailSize, kThumbnailSize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

} // namespace

TextureSlotWidget::TextureSlotWidget(int slot, QWidget* parent) : QLabel(parent), slot_(slot)
{
    setObjectName(QString("textureSlot%1").arg(slot));
    setFixedSize(kThumbnailSize + 4, kThumbnailSize + 4);
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setAlignment(Qt::AlignCenter);
    setToolTip("Left: choose this texture. Right: load a picture into it.");
}

void TextureSlotWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit chosen(slot_);
    else if (event->button() == Qt::RightButton)
        emit loadAsked(slot_);
}

TexturePanel::TexturePanel(Editor& editor, QWidget* parent) : QWidget(parent), editor_(editor)
{
    setObjectName("texturePanel");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(3);
    auto* grid = new QGridLayout;
    grid->setSpacing(2);
    for (int k = 0; k < kTextureSlotCount; ++k) {
        auto* slot = new TextureSlotWidget(k, this);
        connect(slot, &TextureSlotWidget::chosen, this, [this](int n) { choose(n); });
        connect(slot, &TextureSlotWidget::loadAsked, this, [this](int n) { load(n); });
        slots_[static_cast<size_t>(k)] = slot;
        grid->addWidget(slot, k / 4, k % 4);
    }
    column->addLayout(grid);
    fileLabel_ = new QLabel(this);
    fileLabel_->setObjectName("textureFileLabel");
    column->addWidget(fileLabel_);
    colourKey_ = new QCheckBox("Colour key", this);
    colourKey_->setObjectName("textureColourKey");
    connect(colourKey_, &QCheckBox::toggled, this, [this](bool on) {
        if (showing_)
            return;
        editor_.textureSlots.SetColourKey(on);
        afterChange();
    });
    enabled_ = new QCheckBox("Paint the texture", this);
    enabled_->setObjectName("textureEnabled");
    enabled_->setToolTip("Off: painting the texture removes it");
    connect(enabled_, &QCheckBox::toggled, this, [this](bool on) {
        if (showing_)
            return;
        editor_.tools.paint.textureEnabled = on;
        editor_.tools.paint.Changed();
        afterChange();
    });
    column->addWidget(colourKey_);
    column->addWidget(enabled_);
    Refresh();
}

void TexturePanel::load(int k)
{
    WorkingDirectory& maps = editor_.mapsDirectory;
    std::string directory = maps.current.empty() ? maps.defaultPath : maps.current;
    if (!editor_.textureSlots.LoadFromDialog(editor_.scene, k, directory))
        return;
    maps.current = directory;
    afterChange();
}

void TexturePanel::choose(int k)
{
    editor_.textureSlots.Choose(k);
    afterChange();
}

void TexturePanel::afterChange()
{
    Refresh();
    emit paintChanged();
    editor_.views.RenderAllViews();
}

void TexturePanel::Refresh()
{
    showing_ = true;
    const TextureSlots& textures = editor_.textureSlots;
    for (int k = 0; k < kTextureSlotCount; ++k)
        Slot(k)->setPixmap(Thumbnail(textures.Slot(k)));
    // A long path would widen the tool column: the label shows it shortened
    // in the middle, the tip in full.
    const QString path = QString::fromStdString(textures.FileLabel());
    fileLabel_->setToolTip(path);
    fileLabel_->setText(fileLabel_->fontMetrics().elidedText(path, Qt::ElideMiddle, 4 * (kThumbnailSize + 6)));
    colourKey_->setChecked(textures.ColourKey());
    enabled_->setChecked(editor_.tools.paint.textureEnabled);
    showing_ = false;
}

} // namespace corvid
