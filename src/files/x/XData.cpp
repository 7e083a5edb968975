#include "files/x/XData.h"

#include "files/BinaryIo.h"

#include <zlib.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

namespace corvid {

namespace {

constexpr size_t kHeaderBytes = 16;

enum class Tok { End, Error, Name, String, Numbers, Open, Close, Guid, Template, Separator, Other };

struct Token {
    Tok kind = Tok::End;
    std::string text;  // a name or a string
};

// A stream of tokens. Numbers are appended to sink (dropped when it is null)
// and reported as one Numbers token.
class XTokens {
public:
    virtual ~XTokens() = default;
    virtual void Next(Token& token, std::vector<double>* sink) = 0;
};

bool IsNameStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}

bool IsWordChar(char c)
{
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+';
}

bool IsNumberChar(char c)
{
    return (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E';
}

// A whole word as a finite number, read without the locale.
bool ParseNumber(std::string_view word, double& value)
{
    if (!word.empty() && word.front() == '+')
        word.remove_prefix(1);
    const char* end = word.data() + word.size();
    const auto [next, error] = std::from_chars(word.data(), end, value);
    return error == std::errc() && next == end && std::isfinite(value);
}

class TextTokens : public XTokens {
public:
    explicit TextTokens(std::string_view text) : text_(text) {}

    void Next(Token& token, std::vector<double>* sink) override
    {
        token.text.clear();
        SkipSpaceAndComments();
        if (at_ >= text_.size()) {
            token.kind = Tok::End;
            return;
        }
        const char c = text_[at_];
        switch (c) {
        case '{':
            ++at_;
            token.kind = Tok::Open;
            return;
        case '}':
            ++at_;
            token.kind = Tok::Close;
            return;
        case ';':
        case ',':
            ++at_;
            token.kind = Tok::Separator;
            return;
        case '[':
        case ']':
        case '(':
        case ')':
            ++at_;
            token.kind = Tok::Other;
            return;
        case '<':
            token.kind = Enclosed('>') ? Tok::Guid : Tok::Error;
            return;
        case '"': {
            const size_t start = at_ + 1;
            token.kind = Enclosed('"') ? Tok::String : Tok::Error;
            if (token.kind == Tok::String)
                token.text.assign(text_.substr(start, at_ - 1 - start));
            return;
        }
        default:
            break;
        }
        if (!IsWordChar(c)) {
            token.kind = Tok::Error;
            return;
        }
        const size_t start = at_;
        while (at_ < text_.size() && IsWordChar(text_[at_]))
            ++at_;
        const std::string_view word = text_.substr(start, at_ - start);
        if (word.find_first_not_of('.') == std::string_view::npos) {
            token.kind = Tok::Other;  // "[...]" of an open template
            return;
        }
        // "1.#QNAN0" and the like: a number cut by what starts a comment.
        if (at_ < text_.size() && text_[at_] == '#') {
            token.kind = Tok::Error;
            return;
        }
        // A word of number characters that does not start as a name is a
        // number (a name may start with a digit: "1st").
        const bool numeric = !IsNameStart(word.front()) && std::all_of(word.begin(), word.end(), IsNumberChar);
        if (numeric || !(IsNameStart(word.front()) || (word.front() >= '0' && word.front() <= '9'))) {
            double value;
            if (!ParseNumber(word, value)) {
                token.kind = Tok::Error;
                return;
            }
            if (sink)
                sink->push_back(value);
            token.kind = Tok::Numbers;
            return;
        }
        token.kind = word == "template" ? Tok::Template : Tok::Name;
        token.text.assign(word);
    }

private:
    void SkipSpaceAndComments()
    {
        while (at_ < text_.size()) {
            const char c = text_[at_];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v' || c == '\0') {
                ++at_;
            } else if (c == '#' || (c == '/' && at_ + 1 < text_.size() && text_[at_ + 1] == '/')) {
                const size_t end = text_.find('\n', at_);
                at_ = end == std::string_view::npos ? text_.size() : end + 1;
            } else {
                break;
            }
        }
    }

    // Steps past the text up to and including close; false when it is missing.
    bool Enclosed(char close)
    {
        const size_t end = text_.find(close, at_ + 1);
        if (end == std::string_view::npos)
            return false;
        at_ = end + 1;
        return true;
    }

    std::string_view text_;
    size_t at_ = 0;
};

// The binary form: 16-bit token codes, some followed by their data.
class BinaryTokens : public XTokens {
public:
    BinaryTokens(const uint8_t* data, size_t size, bool doubles) : in_(data, size), base_(data), doubles_(doubles)
    {
    }

    void Next(Token& token, std::vector<double>* sink) override
    {
        token.text.clear();
        token.kind = Tok::Error;
        if (in_.AtEnd()) {
            token.kind = Tok::End;
            return;
        }
        uint16_t code;
        if (!Word(code))
            return;
        uint32_t count;
        switch (code) {
        case 1:  // name: count, characters
        case 2:  // string: count, characters, a separator code as 32 bits
            if (!Dword(count) || count > in_.Left())
                return;
            token.text.assign(reinterpret_cast<const char*>(Here()), count);
            in_.Skip(count);
            // A string's separator is written as 32 bits by some and as a
            // token of its own by others; no token is 0, so a separator
            // followed by two zero bytes is the 32-bit form.
            if (code == 2 && in_.Left() >= 4 && (Here()[0] == 19 || Here()[0] == 20) && Here()[1] == 0 &&
                Here()[2] == 0 && Here()[3] == 0)
                in_.Skip(4);
            token.kind = code == 1 ? Tok::Name : Tok::String;
            return;
        case 3:  // one integer
            if (!Dword(count))
                return;
            if (sink)
                sink->push_back(count);
            token.kind = Tok::Numbers;
            return;
        case 5:  // GUID
            if (in_.Skip(16))
                token.kind = Tok::Guid;
            return;
        case 6:  // integer list
            if (!Dword(count) || count > in_.Left() / 4)
                return;
            if (sink) {
                for (uint32_t i = 0; i < count; ++i) {
                    uint32_t value;
                    Dword(value);
                    sink->push_back(value);
                }
            } else {
                in_.Skip(size_t{count} * 4);
            }
            token.kind = Tok::Numbers;
            return;
        case 7:  // float list
            if (!FloatList(sink))
                return;
            token.kind = Tok::Numbers;
            return;
        case 10:
            token.kind = Tok::Open;
            return;
        case 11:
            token.kind = Tok::Close;
            return;
        case 19:
        case 20:
            token.kind = Tok::Separator;
            return;
        case 31:
            token.kind = Tok::Template;
            return;
        default:
            // Brackets, angle brackets, the dot and the type words of templates.
            if ((code >= 12 && code <= 18) || (code >= 40 && code <= 52))
                token.kind = Tok::Other;
            return;
        }
    }

private:
    const uint8_t* Here() const { return base_ + in_.Position(); }

    bool Word(uint16_t& value)
    {
        uint8_t low, high;
        if (!in_.Byte(low) || !in_.Byte(high))
            return false;
        value = static_cast<uint16_t>(low | high << 8);
        return true;
    }

    bool Dword(uint32_t& value)
    {
        int32_t signedValue;
        if (!in_.Int32(signedValue))
            return false;
        value = static_cast<uint32_t>(signedValue);
        return true;
    }

    bool FloatList(std::vector<double>* sink)
    {
        const size_t width = doubles_ ? 8 : 4;
        uint32_t count;
        if (!Dword(count) || count > in_.Left() / width)
            return false;
        for (uint32_t i = 0; i < count; ++i) {
            double value;
            if (doubles_) {
                std::memcpy(&value, Here(), 8);
            } else {
                float single;
                std::memcpy(&single, Here(), 4);
                value = single;
            }
            in_.Skip(width);
            if (!std::isfinite(value))
                return false;
            if (sink)
                sink->push_back(value);
        }
        return true;
    }

    ByteReader in_;
    const uint8_t* base_;  // the bytes in_ walks, for taking names and lists in place
    bool doubles_;
};

class XParser {
public:
    XParser(XTokens& tokens, XDocument& document) : tokens_(tokens), document_(document) {}

    bool ParseFile()
    {
        Token token;
        while (true) {
            tokens_.Next(token, nullptr);
            switch (token.kind) {
            case Tok::End:
                return true;
            case Tok::Template:
                if (!SkipTemplate())
                    return false;
                break;
            case Tok::Name: {
                auto object = std::make_unique<XObject>();
                object->type = std::move(token.text);
                if (object->type.empty() || !ParseObject(*object, 1))
                    return false;
                document_.objects.push_back(std::move(object));
                break;
            }
            case Tok::Open: {
                XObject ignored;
                if (!ParseReference(ignored))
                    return false;
                break;
            }
            case Tok::Separator:
                break;
            default:
                return false;
            }
        }
    }

private:
    // template Name { <GUID> members [restrictions] }
    bool SkipTemplate()
    {
        Token token;
        tokens_.Next(token, nullptr);
        if (token.kind != Tok::Name)
            return false;
        tokens_.Next(token, nullptr);
        if (token.kind != Tok::Open)
            return false;
        int depth = 1;
        while (depth > 0) {
            tokens_.Next(token, nullptr);
            if (token.kind == Tok::End || token.kind == Tok::Error)
                return false;
            if (token.kind == Tok::Open && ++depth > kXMaxNesting)
                return false;
            if (token.kind == Tok::Close)
                --depth;
        }
        return true;
    }

    // After the type: an optional name, then the body in braces.
    bool ParseObject(XObject& object, int depth)
    {
        if (depth > kXMaxNesting)
            return false;
        Token token;
        tokens_.Next(token, nullptr);
        if (token.kind == Tok::Name) {
            object.name = std::move(token.text);
            tokens_.Next(token, nullptr);
        }
        if (token.kind != Tok::Open)
            return false;
        while (true) {
            const size_t before = object.numbers.size();
            tokens_.Next(token, &object.numbers);
            document_.numberCount += object.numbers.size() - before;
            switch (token.kind) {
            case Tok::Close:
                return true;
            case Tok::Numbers:
            case Tok::Separator:
            case Tok::Guid:
                break;
            case Tok::String:
                object.strings.push_back(std::move(token.text));
                break;
            case Tok::Name: {
                auto child = std::make_unique<XObject>();
                child->type = std::move(token.text);
                if (child->type.empty() || !ParseObject(*child, depth + 1))
                    return false;
                object.children.push_back(std::move(child));
                break;
            }
            case Tok::Open: {
                auto reference = std::make_unique<XObject>();
                if (!ParseReference(*reference))
                    return false;
                if (!reference->name.empty())
                    object.children.push_back(std::move(reference));
                break;
            }
            default:
                return false;  // the end, damage, a template inside an object
            }
        }
    }

    // After "{": { Name }, { Name <GUID> } or { <GUID> }.
    bool ParseReference(XObject& reference)
    {
        Token token;
        tokens_.Next(token, nullptr);
        if (token.kind == Tok::Name) {
            reference.name = std::move(token.text);
            tokens_.Next(token, nullptr);
        }
        if (token.kind == Tok::Guid)
            tokens_.Next(token, nullptr);
        return token.kind == Tok::Close;
    }

    XTokens& tokens_;
    XDocument& document_;
};

uint16_t ReadLe16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t ReadLe32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

// Owns a raw-deflate inflater.
class Inflater {
public:
    Inflater() { ready_ = inflateInit2(&stream_, -MAX_WBITS) == Z_OK; }
    ~Inflater()
    {
        if (ready_)
            inflateEnd(&stream_);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Inflates one block from in (at most inSize bytes) onto out, with the
    // last 32 KiB of out as its dictionary. consumed receives the bytes the
    // block took.
    bool Block(const uint8_t* in, size_t inSize, std::vector<uint8_t>& out, size_t& consumed)
    {
        if (!ready_ || inflateReset(&stream_) != Z_OK)
            return false;
        if (!out.empty()) {
            const size_t window = std::min(out.size(), kXMaxBlockBytes);
            if (inflateSetDictionary(&stream_, out.data() + out.size() - window, static_cast<uInt>(window)) != Z_OK)
                return false;
        }
        const size_t start = out.size();
        out.resize(start + kXMaxBlockBytes + 1);  // one byte more shows an oversized block
        stream_.next_in = const_cast<Bytef*>(in);
        stream_.avail_in = static_cast<uInt>(std::min<size_t>(inSize, UINT32_MAX));
        stream_.next_out = out.data() + start;
        stream_.avail_out = static_cast<uInt>(kXMaxBlockBytes + 1);
        const int result = inflate(&stream_, Z_FINISH);
        const size_t produced = kXMaxBlockBytes + 1 - stream_.avail_out;
        out.resize(start + produced);
        consumed = inSize - stream_.avail_in;
        return result == Z_STREAM_END && produced <= kXMaxBlockBytes;
    }

private:
    z_stream stream_{};
    bool ready_ = false;
};

bool IsFormat(const uint8_t* header, const char* format)
{
    return std::memcmp(header + 8, format, 4) == 0;
}

} // namespace

bool SameXName(const std::string& a, const char* b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return i == a.size() && b[i] == '\0';
}

bool InflateXBlocks(const uint8_t* data, size_t size, size_t maxBytes, std::vector<uint8_t>& out)
{
    out.clear();
    if (size < 4)
        return false;
    const size_t stated = ReadLe32(data);
    if (stated > maxBytes + kHeaderBytes)
        return false;
    Inflater inflater;
    size_t at = 4;
    while (at < size) {
        // Each block: its inflated and deflated sizes, "CK", then the data
        // (how far it reaches is for the inflater to find).
        if (size - at < 6 || data[at + 4] != 'C' || data[at + 5] != 'K' || ReadLe16(data + at) > kXMaxBlockBytes)
            return false;
        const size_t start = at + 6;
        size_t consumed = 0;
        if (!inflater.Block(data + start, size - start, out, consumed) || out.size() > stated)
            return false;
        at = start + consumed;
    }
    return out.size() == stated || out.size() + kHeaderBytes == stated;
}

bool ParseXData(const uint8_t* data, size_t size, XDocument& document)
{
    document = XDocument{};
    if (size < kHeaderBytes || std::memcmp(data, "xof ", 4) != 0)
        return false;
    const bool doubles = std::memcmp(data + 12, "0064", 4) == 0;
    if (!doubles && std::memcmp(data + 12, "0032", 4) != 0)
        return false;
    const bool text = IsFormat(data, "txt ") || IsFormat(data, "tzip");
    const bool compressed = IsFormat(data, "tzip") || IsFormat(data, "bzip");
    if (!text && !IsFormat(data, "bin ") && !compressed)
        return false;

    std::vector<uint8_t> inflated;
    const uint8_t* body = data + kHeaderBytes;
    size_t bodySize = size - kHeaderBytes;
    if (compressed) {
        if (!InflateXBlocks(body, bodySize, kXMaxInflatedBytes, inflated))
            return false;
        body = inflated.data();
        bodySize = inflated.size();
    }
    if (text) {
        TextTokens tokens(std::string_view(reinterpret_cast<const char*>(body), bodySize));
        return XParser(tokens, document).ParseFile();
    }
    BinaryTokens tokens(body, bodySize, doubles);
    return XParser(tokens, document).ParseFile();
}

} // namespace corvid
