#include "cli/ConsoleUi.h"

#include <cstdio>

namespace corvid {

void ConsoleUi::ShowMessage(const std::string& text)
{
    std::fprintf(stderr, "%s\n", text.c_str());
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
