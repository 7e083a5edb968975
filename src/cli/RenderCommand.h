#pragma once
// corvid-cli render: draws a scene file, or the demo scene, through the
// headless device into a BMP.

namespace corvid {

// argv[0] is the program, argv[1] "render". Returns the process exit code.
int RunRenderCommand(int argc, char** argv);

} // namespace corvid
