#include "cli/ConsoleUi.h"

#include <cstdio>
#include <string>

namespace corvid {

namespace {

// A message's text as one block of lines: the dialogs' texts may end in a
// line break of their own.
std::string Trimmed(const std::string& text)
{
    size_t end = text.find_last_not_of(" \n");
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

} // namespace

void ConsoleUi::ShowMessage(const std::string& text)
{
    ++messagesShown_;
    std::fprintf(stderr, "%s\n", Trimmed(text).c_str());
}

Answer ConsoleUi::Ask(const std::string& text, Buttons buttons)
{
    Answer answer = buttons == Buttons::YesNo ? Answer::No : (buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel);
    const char* name = answer == Answer::No ? "No" : (answer == Answer::Ok ? "OK" : "Cancel");
    std::fprintf(stderr, "%s [answered %s]\n", text.c_str(), name);
    return answer;
}

void ConsoleUi::SetProgressStatus(const std::string& status)
{
    if (verbose)
        std::fprintf(stderr, "%s\n", status.c_str());
}

} // namespace corvid
