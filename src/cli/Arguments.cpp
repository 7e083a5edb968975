#include "cli/Arguments.h"

#include <cstdio>

namespace corvid {

Words SplitWords(int argc, char** argv)
{
    Words words;
    bool optionsEnded = false;
    for (int i = 2; i < argc; ++i) {
        std::string word = argv[i];
        if (!optionsEnded && word == "--")
            optionsEnded = true;
        else if (!optionsEnded && word.size() > 1 && word[0] == '-')
            words.options.push_back(word);
        else
            words.files.push_back(word);
    }
    return words;
}

bool AsksForHelp(int argc, char** argv)
{
    for (int i = 2; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--")
            return false;
        if (word == "-h" || word == "--help")
            return true;
    }
    return false;
}

int PrintHelp(const char* usage)
{
    std::fputs(usage, stdout);
    return 0;
}

int UsageError(const char* command, const std::string& problem, const char* usage)
{
    std::fprintf(stderr, "corvid-cli %s: %s\n", command, problem.c_str());
    std::fputs(usage, stderr);
    return 2;
}

} // namespace corvid
