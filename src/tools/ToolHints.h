#pragma once
// One line for the status bar on what the current tool does with the mouse,
// and for the tools made in stages what the next click or move does.

#include <string>

namespace corvid {

// The hint for tool mode at stage (Tools::stage); empty for a mode with no
// mouse tool.
std::string ToolHint(int mode, int stage = 0);

} // namespace corvid
