#pragma once
// The program's run from start to end: module start-up in dependency
// order, the welcome window and its message loop, then shut-down in reverse
// order. main() only calls RunProgram.

// Runs the program on its command line and returns its exit code. Qt takes
// its own options off argc/argv first. When the diagnostic log is asked for
// and cannot be written the reason is shown in a message box and the
// program ends with 1.
int RunProgram(int& argc, char** argv);
