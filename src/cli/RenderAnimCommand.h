#pragma once
// corvid-cli render-anim: renders a scene's animation through the headless
// device into an AVI file.

namespace corvid {

// argv[0] is the program, argv[1] "render-anim". Returns the process exit code.
int RunRenderAnimCommand(int argc, char** argv);

} // namespace corvid
