#include "files/BinaryIo.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace corvid {

namespace {

// The four bytes of u, least significant first.
inline void StoreLittle(uint8_t* out, uint32_t u)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(out, &u, 4);
    } else {
        for (int i = 0; i < 4; ++i)
            out[i] = static_cast<uint8_t>(u >> (8 * i));
    }
}

inline uint32_t LoadLittle(const uint8_t* in)
{
    uint32_t u = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&u, in, 4);
    } else {
        for (int i = 0; i < 4; ++i)
            u |= static_cast<uint32_t>(in[i]) << (8 * i);
    }
    return u;
}

} // namespace

void ByteWriter::Int32(int32_t value)
{
    const size_t at = bytes_.size();
    bytes_.resize(at + 4);
    StoreLittle(bytes_.data() + at, static_cast<uint32_t>(value));
}

void ByteWriter::Int32s(const int32_t* values, size_t count)
{
    if constexpr (std::endian::native == std::endian::little) {
        const auto* in = reinterpret_cast<const uint8_t*>(values);
        bytes_.insert(bytes_.end(), in, in + 4 * count);
    } else {
        const size_t at = bytes_.size();
        bytes_.resize(at + 4 * count);
        uint8_t* out = bytes_.data() + at;
        for (size_t i = 0; i < count; ++i)
            StoreLittle(out + 4 * i, static_cast<uint32_t>(values[i]));
    }
}

void ByteWriter::Floats(const float* values, size_t count)
{
    if constexpr (std::endian::native == std::endian::little) {
        const auto* in = reinterpret_cast<const uint8_t*>(values);
        bytes_.insert(bytes_.end(), in, in + 4 * count);
    } else {
        const size_t at = bytes_.size();
        bytes_.resize(at + 4 * count);
        uint8_t* out = bytes_.data() + at;
        for (size_t i = 0; i < count; ++i) {
            uint32_t u;
            std::memcpy(&u, &values[i], 4);
            StoreLittle(out + 4 * i, u);
        }
    }
}

void ByteWriter::Float(float value)
{
    uint32_t u;
    std::memcpy(&u, &value, 4);
    Int32(static_cast<int32_t>(u));
}

void ByteWriter::String(const std::string& text)
{
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    bytes_.push_back(0);
}

void ByteWriter::Matrix(const Matrix4& m)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            Float(m.m[r][c]);
}

void ByteWriter::Vec(const Vec3& v)
{
    Float(v.x);
    Float(v.y);
    Float(v.z);
}

void ByteWriter::BeginChunk(const char* tag, int32_t a, int32_t b, int32_t c)
{
    chunkStart_ = bytes_.size();
    String(tag);
    Int32(a);
    Int32(b);
    Int32(c);
    lengthAt_ = bytes_.size();
    Int32(0);
}

void ByteWriter::EndChunk()
{
    StoreLittle(bytes_.data() + lengthAt_, static_cast<uint32_t>(bytes_.size() - chunkStart_));
}

bool ByteReader::Seek(size_t position)
{
    if (position > size_)
        return false;
    position_ = position;
    return true;
}

bool ByteReader::Skip(size_t count)
{
    if (count > Left())
        return false;
    position_ += count;
    return true;
}

bool ByteReader::Int32(int32_t& value)
{
    if (Left() < 4)
        return false;
    value = static_cast<int32_t>(LoadLittle(data_ + position_));
    position_ += 4;
    return true;
}

bool ByteReader::Int32s(int32_t* values, size_t count)
{
    if (count > Left() / 4)
        return false;
    const uint8_t* in = data_ + position_;
    if constexpr (std::endian::native == std::endian::little) {
        if (count > 0)
            std::memcpy(values, in, 4 * count);
    } else {
        for (size_t i = 0; i < count; ++i)
            values[i] = static_cast<int32_t>(LoadLittle(in + 4 * i));
    }
    position_ += 4 * count;
    return true;
}

bool ByteReader::Float(float& value)
{
    const size_t at = position_;
    int32_t bits = 0;
    if (!Int32(bits))
        return false;
    float f;
    std::memcpy(&f, &bits, 4);
    if (!std::isfinite(f)) {
        position_ = at;
        return false;
    }
    value = f;
    return true;
}

bool ByteReader::Byte(uint8_t& value)
{
    if (Left() < 1)
        return false;
    value = data_[position_++];
    return true;
}

bool ByteReader::Floats(float* values, size_t count)
{
    if (count > Left() / 4)
        return false;
    const uint8_t* in = data_ + position_;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t u = LoadLittle(in + 4 * i);
        float f;
        std::memcpy(&f, &u, 4);
        if (!std::isfinite(f))
            return false;
        values[i] = f;
    }
    position_ += 4 * count;
    return true;
}

bool ByteReader::Vec(Vec3& value)
{
    Vec3 v;
    if (!Float(v.x) || !Float(v.y) || !Float(v.z))
        return false;
    value = v;
    return true;
}

bool ByteReader::Matrix(Matrix4& value)
{
    Matrix4 m;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (!Float(m.m[r][c]))
                return false;
    value = m;
    return true;
}

bool ByteReader::String(std::string& text, size_t maxLength)
{
    const size_t start = position_;
    size_t end = start;
    while (end < size_ && data_[end] != 0) {
        if (end - start >= maxLength)
            return false;
        ++end;
    }
    if (end >= size_)
        return false;  // no terminator before the end
    text.assign(reinterpret_cast<const char*>(data_ + start), end - start);
    position_ = end + 1;
    return true;
}

} // namespace corvid
