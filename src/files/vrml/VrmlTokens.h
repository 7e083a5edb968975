#pragma once
// The tokens of a VRML text: blanks, line ends and commas separate them,
// "#" starts a comment to the end of the line, braces and brackets are
// tokens of their own even where nothing separates them, and a quoted string
// is one token however many blanks it holds. Numbers are read with
// std::from_chars, never through the locale.

#include <cstddef>
#include <string>
#include <string_view>

namespace corvid::vrml {

class Tokens {
public:
    // The tokens of text from offset start.
    Tokens(std::string_view text, size_t start) : text_(text), at_(start) {}

    // The next token, false at the end of the text or at a quoted string
    // without its closing quote (Broken() tells).
    bool Next(std::string_view& token);
    // True when the last token was a quoted string; the token is then its
    // inside, escapes not yet undone.
    bool Quoted() const { return quoted_; }
    bool Broken() const { return broken_; }

    // The next token when it is expected; otherwise the position stays.
    bool Take(std::string_view expected);

    size_t Position() const { return at_; }
    size_t Size() const { return text_.size(); }

private:
    std::string_view text_;
    size_t at_ = 0;
    bool quoted_ = false;
    bool broken_ = false;
};

// A quoted token's text with its escapes undone.
std::string Unescape(std::string_view inside);

// A whole token as a finite number; false for anything else.
bool ParseNumber(std::string_view token, float& value);
// A whole token as an integer within int's range.
bool ParseInteger(std::string_view token, int& value);

} // namespace corvid::vrml
