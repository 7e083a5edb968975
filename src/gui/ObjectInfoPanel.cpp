#include "gui/ObjectInfoPanel.h"

#include "render/ObjectInfo.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>

namespace corvid {

namespace {

QLabel* ValueLabel(QWidget* parent, const char* name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    label->setMinimumWidth(70);
    return label;
}

QLabel* Caption(QWidget* parent, const char* text)
{
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

} // namespace

ObjectInfoPanel::ObjectInfoPanel(QWidget* parent)
    : QWidget(parent)
{
    setObjectName("objectInfoPanel");
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(2);

    int row = 0;
    name_ = ValueLabel(this, "infoName");
    kind_ = ValueLabel(this, "infoKind");
    grid->addWidget(Caption(this, "Name"), row, 0);
    grid->addWidget(name_, row++, 1, 1, 3);
    grid->addWidget(Caption(this, "Kind"), row, 0);
    grid->addWidget(kind_, row++, 1, 1, 3);

    // Three values a row, under column titles.
    auto triple = [&](const char* caption, std::array<QLabel*, 3>& labels, const std::array<const char*, 3>& names,
                      const std::array<const char*, 3>& titles) {
        grid->addWidget(Caption(this, caption), row, 0);
        for (int i = 0; i < 3; ++i) {
            auto* title = new QLabel(titles[static_cast<size_t>(i)], this);
            title->setStyleSheet("color: palette(mid);");
            grid->addWidget(title, row, i + 1);
        }
        ++row;
        for (int i = 0; i < 3; ++i) {
            labels[static_cast<size_t>(i)] = ValueLabel(this, names[static_cast<size_t>(i)]);
            grid->addWidget(labels[static_cast<size_t>(i)], row, i + 1);
        }
        ++row;
    };
    triple("Position", position_, {"infoPositionX", "infoPositionY", "infoPositionZ"}, {"x", "y", "z"});
    triple("Orientation", orientation_, {"infoHeading", "infoElevation", "infoBank"},
           {"heading", "elevation", "bank"});
    triple("Size", size_, {"infoSizeX", "infoSizeY", "infoSizeZ"}, {"x", "y", "z"});
    triple("Mesh", counts_, {"infoFaces", "infoVertices", "infoNormals"}, {"faces", "vertices", "normals"});
    triple("Patch", patch_, {"infoPatchType", "infoPatchRow", "infoPatchColumn"}, {"type", "row", "column"});
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(4, 1);
}

void ObjectInfoPanel::Show(const ObjectInfo& info)
{
    auto set = [](QLabel* label, const std::string& text) { label->setText(QString::fromStdString(text)); };
    set(name_, info.name);
    set(kind_, info.kindName);
    const std::array<const std::string*, 3> position{&info.positionX, &info.positionY, &info.positionZ};
    const std::array<const std::string*, 3> orientation{&info.heading, &info.elevation, &info.bank};
    const std::array<const std::string*, 3> size{&info.sizeX, &info.sizeY, &info.sizeZ};
    const std::array<const std::string*, 3> counts{&info.faceCount, &info.vertexCount, &info.normalCount};
    const std::array<const std::string*, 3> patch{&info.patchType, &info.controlPointRow, &info.controlPointColumn};
    for (size_t i = 0; i < 3; ++i) {
        set(position_[i], *position[i]);
        set(orientation_[i], *orientation[i]);
        set(size_[i], *size[i]);
        set(counts_[i], *counts[i]);
        set(patch_[i], *patch[i]);
    }
}

} // namespace corvid
