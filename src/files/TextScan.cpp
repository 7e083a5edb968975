#include "files/TextScan.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace corvid {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view FirstWord(std::string_view line, std::string_view& rest)
{
    line = TrimBlanks(line);
    size_t end = 0;
    while (end < line.size() && !IsBlank(line[end]))
        ++end;
    rest = TrimBlanks(line.substr(end));
    return line.substr(0, end);
}

bool IsKeyword(std::string_view word, std::string_view keyword)
{
    if (word.size() != keyword.size())
        return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(word[i])) != keyword[i])
            return false;
    return true;
}

bool ReadFloats(std::string_view text, float* out, int count, std::string_view* rest)
{
    const char* at = text.data();
    const char* end = text.data() + text.size();
    for (int i = 0; i < count; ++i) {
        while (at < end && IsBlank(*at))
            ++at;
        if (at < end && *at == '+')
            ++at;  // from_chars takes no plus sign
        const auto [next, error] = std::from_chars(at, end, out[i]);
        if (error != std::errc() || !std::isfinite(out[i]))
            return false;
        at = next;
        if (at < end && !IsBlank(*at))
            return false;
    }
    if (rest)
        *rest = TrimBlanks(std::string_view(at, static_cast<size_t>(end - at)));
    return true;
}

bool ReadInt(std::string_view text, long long& out)
{
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    const auto [next, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && next == text.data() + text.size() && !text.empty();
}

uint32_t ColorByte(float channel)
{
    return static_cast<uint32_t>(std::clamp(channel, 0.0f, 1.0f) * 255.0f);
}

bool LineScanner::Next(std::string_view& line)
{
    if (at_ >= text_.size())
        return false;
    size_t end = text_.find('\n', at_);
    if (end == std::string_view::npos)
        end = text_.size();
    line = TrimBlanks(text_.substr(at_, end - at_));
    at_ = end + 1;
    ++lineNumber_;
    return true;
}

} // namespace corvid
