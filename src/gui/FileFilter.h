#pragma once
// File-dialog filters: the program keeps them in the "Name (*.x)|*.x||" form
// (pairs of description and pattern list, closed by an empty pair); Qt's
// dialogs want "Name (*.x);;Other (*.y)".

#include <string>
#include <vector>

namespace corvid {

// One entry of a filter string: what the person reads and the patterns that
// select the files.
struct FileFilterEntry {
    std::string description;
    std::vector<std::string> patterns;
};

// The entries of a filter string, in order. Patterns of one entry are
// separated by ';' or ':'. A description without a pattern is dropped.
std::vector<FileFilterEntry> ParseFileFilter(const std::string& filter);

// The Qt form of a filter string. Each description keeps its words; its own
// parenthesised pattern list is replaced by the patterns that really select
// the files, since Qt reads the patterns from the parentheses.
std::string ToQtFileFilter(const std::string& filter);

} // namespace corvid
