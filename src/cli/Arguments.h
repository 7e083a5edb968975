#pragma once
// What corvid-cli's commands share in reading their arguments: the words
// split into options and the rest, the help option, and the usage error.

#include <string>
#include <vector>

namespace corvid {

// The words after the command (argv[2] on): options (starting with '-',
// until "--") and the rest in order.
struct Words {
    std::vector<std::string> options;
    std::vector<std::string> files;
};
Words SplitWords(int argc, char** argv);

// True when the words after the command ask for its help (-h or --help).
bool AsksForHelp(int argc, char** argv);

// Prints usage on standard output, as --help does; returns 0.
int PrintHelp(const char* usage);

// A usage error: "corvid-cli COMMAND: PROBLEM" and the command's usage on
// stderr. Returns 2, the exit code for it.
int UsageError(const char* command, const std::string& problem, const char* usage);

} // namespace corvid
