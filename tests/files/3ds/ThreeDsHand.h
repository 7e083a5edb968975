#pragma once
// 3DS bytes by hand, straight from the format's tables, and a walk over
// written bytes that finds chunks by id, so tests check files without the
// reader's or the writer's code.

#include "files/FilesFixture.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace corvid::testing {

class Hand3ds {
public:
    Hand3ds& u16(uint16_t v)
    {
        bytes.push_back(static_cast<uint8_t>(v));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
        return *this;
    }
    Hand3ds& u32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
        return *this;
    }
    Hand3ds& f32(float v)
    {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        return u32(bits);
    }
    Hand3ds& f32s(std::initializer_list<float> values)
    {
        for (float v : values)
            f32(v);
        return *this;
    }
    Hand3ds& u8(uint8_t v)
    {
        bytes.push_back(v);
        return *this;
    }
    Hand3ds& str(const std::string& s)
    {
        bytes.insert(bytes.end(), s.begin(), s.end());
        bytes.push_back(0);
        return *this;
    }
    // Opens a chunk; end() writes its length.
    Hand3ds& begin(uint16_t id)
    {
        open_.push_back(bytes.size());
        u16(id);
        return u32(0);
    }
    Hand3ds& end()
    {
        const size_t start = open_.back();
        open_.pop_back();
        const auto length = static_cast<uint32_t>(bytes.size() - start);
        std::memcpy(bytes.data() + start + 2, &length, 4);
        return *this;
    }
    // Common pieces.
    Hand3ds& colorF(uint16_t id, float r, float g, float b) { return begin(id).begin(0x0010).f32s({r, g, b}).end().end(); }
    Hand3ds& percent(uint16_t id, uint16_t value) { return begin(id).begin(0x0030).u16(value).end().end(); }
    Hand3ds& points(std::initializer_list<float> xyz)
    {
        begin(0x4110).u16(static_cast<uint16_t>(xyz.size() / 3));
        f32s(xyz);
        return end();
    }
    // A face array's header and faces (a, b, c, flags each); end() it after
    // its material groups.
    Hand3ds& faces(std::initializer_list<uint16_t> abcf)
    {
        begin(0x4120).u16(static_cast<uint16_t>(abcf.size() / 4));
        for (uint16_t v : abcf)
            u16(v);
        return *this;
    }
    std::vector<uint8_t> bytes;

private:
    std::vector<size_t> open_;
};

// A chunk found in a file: its id, where its header starts, where its body
// starts and where it ends.
struct FoundChunk {
    uint16_t id = 0;
    size_t start = 0, body = 0, end = 0;
};

inline uint16_t Read16(const std::vector<uint8_t>& b, size_t at)
{
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
inline uint32_t Read32(const std::vector<uint8_t>& b, size_t at)
{
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}
inline float ReadF(const std::vector<uint8_t>& b, size_t at)
{
    float v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

// Where the sub-chunks of a chunk start (after the data of its own it holds).
inline size_t SubChunksAt(const std::vector<uint8_t>& b, const FoundChunk& c)
{
    switch (c.id) {
    case 0x4D4D: case 0xC23D: case 0x3D3D: case 0x4100: case 0xAFFF: case 0xB000:
    case 0xB002: case 0xB005: case 0xB007: case 0xA200:
        return c.body;
    case 0x4000:
        return c.body + std::strlen(reinterpret_cast<const char*>(b.data() + c.body)) + 1;
    case 0x4120:
        return c.body + 2 + 8 * size_t{Read16(b, c.body)};
    case 0x4600:
        return c.body + 12;
    default:
        return c.end;  // no sub-chunks
    }
}

// Every chunk in the file in order, depth first.
inline std::vector<FoundChunk> AllChunks(const std::vector<uint8_t>& b)
{
    std::vector<FoundChunk> out;
    std::vector<size_t> ends{b.size()};
    size_t at = 0;
    while (!ends.empty()) {
        if (at + 6 > ends.back()) {
            at = ends.back();
            ends.pop_back();
            continue;
        }
        FoundChunk c{Read16(b, at), at, at + 6, at + Read32(b, at + 2)};
        if (c.end > ends.back() || c.end < c.body)
            break;
        out.push_back(c);
        at = SubChunksAt(b, c);
        ends.push_back(c.end);
    }
    return out;
}

inline std::vector<FoundChunk> ChunksWithId(const std::vector<uint8_t>& b, uint16_t id)
{
    std::vector<FoundChunk> out;
    for (const FoundChunk& c : AllChunks(b))
        if (c.id == id)
            out.push_back(c);
    return out;
}

// The folder of this file, where the invalid-*.3ds files lie.
inline std::string ThreeDsDataFolder()
{
    return CORVID_TESTS_DIR "/files/3ds";
}

} // namespace corvid::testing
