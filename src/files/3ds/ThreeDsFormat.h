#pragma once
// The bytes of a 3D Studio file: little-endian chunks, each a 16-bit id and
// a 32-bit length that counts its 6-byte header, its data and its
// sub-chunks. A cursor that checks every read against the bytes left and a
// writer that patches each chunk's length once its contents are written.

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace corvid::tds {

constexpr size_t kHeaderSize = 6;
// The most vertices, triangles and indices a mesh can have, and the largest
// node id (0xFFFF means "no parent").
constexpr uint32_t kMaxCount = 0xFFFF;
constexpr uint16_t kNoParent = 0xFFFF;

enum Chunk : uint16_t {
    kNull = 0x0000,
    kVersion = 0x0002,
    kColorFloat = 0x0010,
    kColorBytes = 0x0011,
    kPercentInt = 0x0030,
    kPercentFloat = 0x0031,
    kMasterScale = 0x0100,
    kMeshData = 0x3D3D,
    kMeshVersion = 0x3D3E,
    kNamedObject = 0x4000,
    kTriangleObject = 0x4100,
    kPointArray = 0x4110,
    kFaceArray = 0x4120,
    kMaterialGroup = 0x4130,
    kTextureVertices = 0x4140,
    kMeshMatrix = 0x4160,
    kLightObject = 0x4600,
    kSpotLight = 0x4610,
    kSpotRoll = 0x4656,
    kOuterRange = 0x465A,
    kMain = 0x4D4D,
    kViewportLayout = 0x7001,
    kMaterialName = 0xA000,
    kAmbient = 0xA010,
    kDiffuse = 0xA020,
    kSpecular = 0xA030,
    kShininess = 0xA040,
    kShininessStrength = 0xA041,
    kTransparency = 0xA050,
    kReflectionBlur = 0xA052,
    kTransparencyFalloff = 0xA053,
    kSelfIllumination = 0xA084,
    kWireSize = 0xA087,
    kMaterial0xA08A = 0xA08A,
    kMaterial0xA08C = 0xA08C,
    kShading = 0xA100,
    kTextureMap = 0xA200,
    kMapName = 0xA300,
    kMapTiling = 0xA351,
    kMapBlur = 0xA353,
    kMaterialEntry = 0xAFFF,
    kKeyframer = 0xB000,
    kObjectNode = 0xB002,
    kLightNode = 0xB005,
    kSpotNode = 0xB007,
    kNodeHeader = 0xB010,
    kInstanceName = 0xB011,
    kPivot = 0xB013,
    kPositionTrack = 0xB020,
    kRotationTrack = 0xB021,
    kScaleTrack = 0xB022,
    kNodeId = 0xB030,
    kProject = 0xC23D,
};

// Reads little-endian values from bytes, each checked against the end.
class Cursor {
public:
    Cursor(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    size_t Position() const { return at_; }
    size_t Size() const { return size_; }
    size_t Left() const { return size_ - at_; }
    void Seek(size_t position) { at_ = position < size_ ? position : size_; }

    bool U16(uint16_t& v)
    {
        if (Left() < 2)
            return false;
        v = static_cast<uint16_t>(data_[at_] | (data_[at_ + 1] << 8));
        at_ += 2;
        return true;
    }
    bool U32(uint32_t& v)
    {
        if (Left() < 4)
            return false;
        v = Load32(data_ + at_);
        at_ += 4;
        return true;
    }
    // A finite float.
    bool F32(float& v)
    {
        uint32_t bits = 0;
        if (!U32(bits))
            return false;
        v = std::bit_cast<float>(bits);
        return std::isfinite(v);
    }
    bool F32s(float* values, size_t count)
    {
        for (size_t i = 0; i < count; ++i)
            if (!F32(values[i]))
                return false;
        return true;
    }
    bool U8(uint8_t& v)
    {
        if (Left() < 1)
            return false;
        v = data_[at_++];
        return true;
    }
    // A zero-terminated name that ends before limit, cut to maxLength
    // characters.
    bool Name(std::string& text, size_t limit, size_t maxLength = 255)
    {
        if (limit > size_)
            limit = size_;
        const size_t start = at_;
        size_t end = start;
        while (end < limit && data_[end] != 0)
            ++end;
        if (end >= limit)
            return false;
        text.assign(reinterpret_cast<const char*>(data_ + start), std::min(end - start, maxLength));
        at_ = end + 1;
        return true;
    }
    const uint8_t* Here() const { return data_ + at_; }

    static uint32_t Load32(const uint8_t* p)
    {
        return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
               (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    }
    static uint16_t Load16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// Writes chunks into a growing buffer.
class ChunkWriter {
public:
    // Opens a chunk with a placeholder length; returns where it starts.
    size_t Begin(uint16_t id)
    {
        const size_t start = bytes_.size();
        U16(id);
        U32(0);
        return start;
    }
    // Writes the chunk's length (header, data and sub-chunks) over the
    // placeholder.
    void End(size_t start)
    {
        const auto length = static_cast<uint32_t>(bytes_.size() - start);
        Store32(bytes_.data() + start + 2, length);
    }
    void U16(uint16_t v)
    {
        bytes_.push_back(static_cast<uint8_t>(v));
        bytes_.push_back(static_cast<uint8_t>(v >> 8));
    }
    void U32(uint32_t v)
    {
        const size_t at = bytes_.size();
        bytes_.resize(at + 4);
        Store32(bytes_.data() + at, v);
    }
    void F32(float v) { U32(std::bit_cast<uint32_t>(v)); }
    void F32s(const float* values, size_t count)
    {
        const size_t at = bytes_.size();
        bytes_.resize(at + 4 * count);
        uint8_t* out = bytes_.data() + at;
        for (size_t i = 0; i < count; ++i)
            Store32(out + 4 * i, std::bit_cast<uint32_t>(values[i]));
    }
    void U8(uint8_t v) { bytes_.push_back(v); }
    void String(const std::string& text)
    {
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        bytes_.push_back(0);
    }
    // Room for count more bytes, returned to be filled in place.
    uint8_t* Grow(size_t count)
    {
        const size_t at = bytes_.size();
        bytes_.resize(at + count);
        return bytes_.data() + at;
    }
    void Reserve(size_t bytes) { bytes_.reserve(bytes); }
    std::vector<uint8_t> Take() { return std::move(bytes_); }

    static void Store32(uint8_t* p, uint32_t v)
    {
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(p, &v, 4);
        } else {
            for (int i = 0; i < 4; ++i)
                p[i] = static_cast<uint8_t>(v >> (8 * i));
        }
    }
    static void Store16(uint8_t* p, uint16_t v)
    {
        p[0] = static_cast<uint8_t>(v);
        p[1] = static_cast<uint8_t>(v >> 8);
    }

private:
    std::vector<uint8_t> bytes_;
};

} // namespace corvid::tds
