#pragma once
// The running program: its file, its folder and its command line.

#include <functional>
#include <string>

#include "platform/core/Types.h"

// Full path of the executable (or the one set for testing).
std::string ProgramFileName();
// The folder that holds settings, database and logs, with a trailing "/":
// the environment variable OMR_HOME when set and not empty; else the folder
// of the executable when files can be created in it; else (a program
// installed in a read-only folder) the program's folder under the user's
// data folder ($XDG_DATA_HOME, by default ~/.local/share), created on first
// use.
std::string ProgramFolder();
// The folder of the executable, with a trailing "/": where the files that
// come with the program lie.
std::string ExecutableFolder();
// Names the program's folder under the user's data folder; asked each time
// the folder is needed. Without one the executable's file name is used.
void SetUserDataFolderName(std::function<std::string()> name);
// The user's data folder for this program, with a trailing "/", not created.
std::string UserDataFolder();

// The name the program was started by (argv[0]) as given, which may be a
// link to the executable.
std::string ProgramInvocationName();

// Records the command line; main() calls this first.
void SetCommandLine(int argc, const char* const* argv);
// Number of arguments after the program name.
Integer ParamCount();
// Argument i (1-based); 0 gives ProgramFileName(); empty when out of range.
std::string ParamStr(Integer i);

// Makes ProgramFileName() return `path` (tests); empty restores the real one.
void SetProgramFileNameForTesting(const std::string& path);
