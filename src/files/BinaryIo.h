#pragma once
// Little-endian bytes in memory: a writer that grows a buffer (with chunks
// whose length is written over a placeholder once their body is done) and a
// reader over a span that checks every read against the bytes left, so a
// damaged file can make it fail but never read past its end.

#include "platform/Math.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace corvid {

class ByteWriter {
public:
    void Int32(int32_t value);
    // count numbers one after another.
    void Int32s(const int32_t* values, size_t count);
    void Float(float value);
    // count floats one after another.
    void Floats(const float* values, size_t count);
    void Byte(uint8_t value) { bytes_.push_back(value); }
    // The characters and one 0 byte.
    void String(const std::string& text);
    // 16 floats, row by row.
    void Matrix(const Matrix4& m);
    void Vec(const Vec3& v);

    // Opens a chunk: the tag as a string, a, b, c and a length placeholder.
    // EndChunk writes the chunk's whole size over the placeholder.
    void BeginChunk(const char* tag, int32_t a, int32_t b, int32_t c);
    void EndChunk();

    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    std::vector<uint8_t> Take() { return std::move(bytes_); }
    void Reserve(size_t bytes) { bytes_.reserve(bytes); }
    size_t Size() const { return bytes_.size(); }

private:
    std::vector<uint8_t> bytes_;
    size_t chunkStart_ = 0;
    size_t lengthAt_ = 0;
};

class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    size_t Position() const { return position_; }
    size_t Size() const { return size_; }
    size_t Left() const { return size_ - position_; }
    bool AtEnd() const { return position_ >= size_; }
    // False (and the position stays) when position is past the end.
    bool Seek(size_t position);
    // Every read returns false when the bytes are not there (or, for a
    // float, when the number is not finite); the value is then unchanged.
    bool Int32(int32_t& value);
    // count numbers; on failure the position stays and nothing is written.
    bool Int32s(int32_t* values, size_t count);
    bool Float(float& value);
    // count finite floats; on failure the position stays and values may be
    // partly written.
    bool Floats(float* values, size_t count);
    bool Byte(uint8_t& value);
    bool Vec(Vec3& value);
    bool Matrix(Matrix4& value);
    // A string of at most maxLength characters and its 0 byte.
    bool String(std::string& text, size_t maxLength = 255);
    bool Skip(size_t count);

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

} // namespace corvid
