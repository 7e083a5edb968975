#include "render/DriverRecord.h"

namespace corvid {

namespace {

int ZSlot(int bits)
{
    switch (bits) {
    case 8: return 0;
    case 16: return 1;
    case 24: return 2;
    case 32: return 3;
    default: return -1;
    }
}

} // namespace

std::string TruncateUtf8(const std::string& text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text;
    std::size_t cut = maxBytes;
    // Step back over continuation bytes (10xxxxxx) to the start of the
    // character that would be split.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return text.substr(0, cut);
}

void DriverRecord::SetNames(const std::string& newName, const std::string& newDescription)
{
    name = TruncateUtf8(newName, kDriverNameMax);
    description = TruncateUtf8(newDescription, kDriverDescriptionMax);
}

bool DriverRecord::HasZDepth(int bits) const
{
    int slot = ZSlot(bits);
    return slot >= 0 && zFormats[static_cast<std::size_t>(slot)].present;
}

void DriverRecord::AddZFormat(int bits, unsigned format)
{
    int slot = ZSlot(bits);
    if (slot < 0)
        return;
    zFormats[static_cast<std::size_t>(slot)] = {true, format};
}

int DefaultDriverIndex(int driverCount)
{
    if (driverCount <= 0)
        return -1;
    if (driverCount == 1)
        return 0;
    if (driverCount == 2)
        return 1;
    return 2;
}

std::optional<int> ChooseZDepth(int current, const DriverRecord& driver)
{
    std::vector<int> order;
    switch (current) {
    case 8: order = {8, 16, 24, 32}; break;
    case 16: order = {16, 24, 32, 8}; break;
    case 24: order = {24, 16, 32, 8}; break;
    case 32: order = {32, 16, 24}; break;
    default: return std::nullopt;
    }
    for (int bits : order)
        if (driver.HasZDepth(bits))
            return bits;
    return std::nullopt;
}

} // namespace corvid
