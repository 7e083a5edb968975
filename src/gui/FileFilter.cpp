#include "gui/FileFilter.h"

#include <algorithm>

namespace corvid {

namespace {

std::string Trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    while (true) {
        const auto at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos)
            return parts;
        start = at + 1;
    }
}

// The description without a trailing "( ... )" group.
std::string BaseDescription(const std::string& description)
{
    std::string text = Trim(description);
    if (!text.empty() && text.back() == ')') {
        const auto open = text.rfind('(');
        if (open != std::string::npos) {
            std::string before = Trim(text.substr(0, open));
            if (!before.empty())
                return before;
        }
    }
    return text;
}

} // namespace

std::vector<FileFilterEntry> ParseFileFilter(const std::string& filter)
{
    std::vector<FileFilterEntry> entries;
    const std::vector<std::string> fields = Split(filter, '|');
    for (size_t i = 0; i + 1 < fields.size(); i += 2) {
        const std::string& description = fields[i];
        if (description.empty() && fields[i + 1].empty())
            break;  // the closing "||"
        FileFilterEntry entry;
        entry.description = description;
        // Patterns are separated by ';', and in some lists by ':' (no file
        // name pattern holds either).
        std::string patterns = fields[i + 1];
        std::replace(patterns.begin(), patterns.end(), ':', ';');
        for (const std::string& pattern : Split(patterns, ';'))
            if (std::string p = Trim(pattern); !p.empty())
                entry.patterns.push_back(p);
        if (!entry.patterns.empty())
            entries.push_back(std::move(entry));
    }
    return entries;
}

std::string ToQtFileFilter(const std::string& filter)
{
    std::string result;
    for (const FileFilterEntry& entry : ParseFileFilter(filter)) {
        if (!result.empty())
            result += ";;";
        std::string base = BaseDescription(entry.description);
        std::string patterns;
        for (const std::string& p : entry.patterns)
            patterns += (patterns.empty() ? "" : " ") + p;
        result += base.empty() ? patterns : base + " (" + patterns + ")";
    }
    return result;
}

} // namespace corvid
