#include "files/vrml/VrmlTokens.h"

#include <charconv>
#include <cmath>

namespace corvid::vrml {

namespace {

bool IsSeparator(char c)
{
    return static_cast<unsigned char>(c) <= ' ' || c == ',';
}

bool IsSingle(char c)
{
    return c == '{' || c == '}' || c == '[' || c == ']';
}

// from_chars takes no leading plus.
std::string_view WithoutPlus(std::string_view token)
{
    if (token.size() > 1 && token.front() == '+' && token[1] != '-' && token[1] != '+')
        token.remove_prefix(1);
    return token;
}

} // namespace

bool Tokens::Next(std::string_view& token)
{
    quoted_ = false;
    const size_t size = text_.size();
    for (;;) {
        while (at_ < size && IsSeparator(text_[at_]))
            ++at_;
        if (at_ >= size)
            return false;
        if (text_[at_] != '#')
            break;
        const size_t end = text_.find('\n', at_);
        at_ = end == std::string_view::npos ? size : end + 1;
    }
    const char c = text_[at_];
    if (IsSingle(c)) {
        token = text_.substr(at_++, 1);
        return true;
    }
    if (c == '"') {
        size_t end = at_ + 1;
        while (end < size && text_[end] != '"')
            end += text_[end] == '\\' ? 2 : 1;
        if (end >= size) {
            broken_ = true;
            at_ = size;
            return false;
        }
        token = text_.substr(at_ + 1, end - at_ - 1);
        quoted_ = true;
        at_ = end + 1;
        return true;
    }
    const size_t start = at_;
    while (at_ < size && !IsSeparator(text_[at_]) && !IsSingle(text_[at_]) && text_[at_] != '#' && text_[at_] != '"')
        ++at_;
    token = text_.substr(start, at_ - start);
    return true;
}

bool Tokens::Take(std::string_view expected)
{
    const size_t at = at_;
    std::string_view token;
    if (Next(token) && !quoted_ && token == expected)
        return true;
    at_ = at;
    quoted_ = false;
    return false;
}

std::string Unescape(std::string_view inside)
{
    std::string out;
    out.reserve(inside.size());
    for (size_t i = 0; i < inside.size(); ++i) {
        if (inside[i] == '\\' && i + 1 < inside.size())
            ++i;
        out.push_back(inside[i]);
    }
    return out;
}

bool ParseNumber(std::string_view token, float& value)
{
    token = WithoutPlus(token);
    float parsed = 0;
    const auto result = std::from_chars(token.data(), token.data() + token.size(), parsed);
    if (result.ec != std::errc{} || result.ptr != token.data() + token.size() || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

bool ParseInteger(std::string_view token, int& value)
{
    token = WithoutPlus(token);
    const auto result = std::from_chars(token.data(), token.data() + token.size(), value);
    return result.ec == std::errc{} && result.ptr == token.data() + token.size();
}

} // namespace corvid::vrml
