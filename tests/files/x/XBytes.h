#pragma once
// DirectX-format files built by hand for the tests: one description written
// out as text or as binary tokens (with 32- or 64-bit floats), and a
// compressor that cuts the body into deflate blocks, each seeing the ones
// before it as its dictionary. Nothing here uses the reader's code.

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace corvid::testing {

enum class XForm { Text, Binary };

class XBytes {
public:
    explicit XBytes(XForm form, bool doubles = false) : form_(form), doubles_(doubles)
    {
        const std::string header = std::string("xof 0302") + (form == XForm::Text ? "txt " : "bin ") +
                                   (doubles ? "0064" : "0032");
        bytes.assign(header.begin(), header.end());
        if (form == XForm::Text)
            bytes.push_back('\n');
    }

    XBytes& Begin(const std::string& type, const std::string& name = "")
    {
        if (form_ == XForm::Text)
            return Text(type + (name.empty() ? "" : " " + name) + " {\n");
        Name(type);
        if (!name.empty())
            Name(name);
        return Code(10);
    }
    XBytes& End() { return form_ == XForm::Text ? Text("}\n") : Code(11); }

    XBytes& Ints(std::initializer_list<uint32_t> values) { return Ints(std::vector<uint32_t>(values)); }
    XBytes& Ints(const std::vector<uint32_t>& values)
    {
        if (form_ == XForm::Text) {
            std::string line;
            for (size_t i = 0; i < values.size(); ++i)
                line += std::to_string(values[i]) + (i + 1 < values.size() ? "," : ";");
            return Text(line + "\n");
        }
        Code(6).U32(static_cast<uint32_t>(values.size()));
        for (uint32_t v : values)
            U32(v);
        return *this;
    }

    XBytes& Floats(std::initializer_list<double> values) { return Floats(std::vector<double>(values)); }
    XBytes& Floats(const std::vector<double>& values)
    {
        if (form_ == XForm::Text) {
            std::string line;
            for (double v : values) {
                char number[32];
                std::snprintf(number, sizeof number, "%.9g;", v);
                line += number;
            }
            return Text(line + ";\n");
        }
        Code(7).U32(static_cast<uint32_t>(values.size()));
        for (double v : values) {
            if (doubles_) {
                uint8_t raw[8];
                std::memcpy(raw, &v, 8);
                bytes.insert(bytes.end(), raw, raw + 8);
            } else {
                const float f = static_cast<float>(v);
                uint32_t raw;
                std::memcpy(&raw, &f, 4);
                U32(raw);
            }
        }
        return *this;
    }

    XBytes& String(const std::string& text)
    {
        if (form_ == XForm::Text)
            return Text("\"" + text + "\";\n");
        Code(2).U32(static_cast<uint32_t>(text.size()));
        bytes.insert(bytes.end(), text.begin(), text.end());
        return U32(20);  // ended by a semicolon
    }

    XBytes& Ref(const std::string& name)
    {
        if (form_ == XForm::Text)
            return Text("{ " + name + " }\n");
        Code(10);
        Name(name);
        return Code(11);
    }

    XBytes& Text(const std::string& text)
    {
        bytes.insert(bytes.end(), text.begin(), text.end());
        return *this;
    }

    std::vector<uint8_t> bytes;

private:
    XBytes& Code(uint16_t code)
    {
        bytes.push_back(static_cast<uint8_t>(code));
        bytes.push_back(static_cast<uint8_t>(code >> 8));
        return *this;
    }
    XBytes& U32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
        return *this;
    }
    void Name(const std::string& name)
    {
        Code(1).U32(static_cast<uint32_t>(name.size()));
        bytes.insert(bytes.end(), name.begin(), name.end());
    }

    XForm form_;
    bool doubles_;
};

inline void PutLe(std::vector<uint8_t>& out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// The compressed form of a plain file: "tzip" or "bzip", the inflated size
// (header included), then blocks of at most blockSize bytes, each written as
// its inflated size, its deflated size (with "CK") and "CK".
inline std::vector<uint8_t> CompressX(const std::vector<uint8_t>& plain, size_t blockSize)
{
    std::vector<uint8_t> out(plain.begin(), plain.begin() + 16);
    std::memcpy(out.data() + 8, std::memcmp(plain.data() + 8, "txt ", 4) == 0 ? "tzip" : "bzip", 4);
    const uint8_t* body = plain.data() + 16;
    const size_t size = plain.size() - 16;
    PutLe(out, static_cast<uint32_t>(plain.size()), 4);
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::vector<uint8_t> block(65536);
    for (size_t at = 0; at < size; at += blockSize) {
        const size_t length = std::min(blockSize, size - at);
        deflateReset(&stream);
        if (at > 0) {
            const size_t window = std::min<size_t>(at, 32768);
            deflateSetDictionary(&stream, body + at - window, static_cast<uInt>(window));
        }
        stream.next_in = const_cast<Bytef*>(body + at);
        stream.avail_in = static_cast<uInt>(length);
        stream.next_out = block.data();
        stream.avail_out = static_cast<uInt>(block.size());
        deflate(&stream, Z_FINISH);
        const size_t packed = block.size() - stream.avail_out;
        PutLe(out, static_cast<uint32_t>(length), 2);
        PutLe(out, static_cast<uint32_t>(packed + 2), 2);
        out.push_back('C');
        out.push_back('K');
        out.insert(out.end(), block.begin(), block.begin() + static_cast<long>(packed));
    }
    deflateEnd(&stream);
    return out;
}

} // namespace corvid::testing
