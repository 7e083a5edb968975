#pragma once
// Reading the text formats: lines with any line end, words split at runs of
// blanks and tabs, keywords in any case, and numbers read without the
// locale ("0.5" is one half in every language).

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace corvid {

bool IsBlank(char c);
// text without blanks, tabs and carriage returns at either end.
std::string_view TrimBlanks(std::string_view text);

// The first word of a line; rest receives what follows it, trimmed.
std::string_view FirstWord(std::string_view line, std::string_view& rest);

// word equals keyword (given in lower case) in any case.
bool IsKeyword(std::string_view word, std::string_view keyword);

// count finite numbers separated by blanks or tabs, each a whole field
// ("1.5x" is not a number); a leading '+' is allowed. rest, when given,
// receives what follows the last number. False when one is missing or bad.
bool ReadFloats(std::string_view text, float* out, int count, std::string_view* rest = nullptr);
// One whole-field integer.
bool ReadInt(std::string_view text, long long& out);

// A colour channel (clamped to 0 .. 1) as a byte.
uint32_t ColorByte(float channel);

// The lines of a text, each trimmed, with the share of the text read so far.
class LineScanner {
public:
    explicit LineScanner(std::string_view text) : text_(text) {}
    // The next line; false at the end.
    bool Next(std::string_view& line);
    uint64_t Consumed() const { return at_ < text_.size() ? at_ : text_.size(); }
    uint64_t Size() const { return text_.size(); }
    // The 1-based number of the line Next returned last.
    size_t LineNumber() const { return lineNumber_; }

private:
    std::string_view text_;
    size_t at_ = 0;
    size_t lineNumber_ = 0;
};

} // namespace corvid
