#pragma once
// corvid-cli info, convert and save-demo: the commands that read and write
// scene files without drawing them.

namespace corvid {

// argv[0] is the program, argv[1] the command. Each returns the process's
// exit code: 0 done, 1 a file could not be read or written, 2 a usage error.
int RunInfoCommand(int argc, char** argv);
int RunConvertCommand(int argc, char** argv);
int RunSaveDemoCommand(int argc, char** argv);

} // namespace corvid
