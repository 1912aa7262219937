#pragma once
// The running program: its file, its folder and its command line.

#include <string>

#include "platform/core/Types.h"

// Full path of the executable (or the one set for testing).
std::string ProgramFileName();
// The folder that holds settings, database, logs and sounds, with a trailing
// "/": the environment variable OMR_HOME when set and not empty, else the
// folder of the executable.
std::string ProgramFolder();

// Records the command line; main() calls this first.
void SetCommandLine(int argc, const char* const* argv);
// Number of arguments after the program name.
Integer ParamCount();
// Argument i (1-based); 0 gives ProgramFileName(); empty when out of range.
std::string ParamStr(Integer i);

// Makes ProgramFileName() return `path` (tests); empty restores the real one.
void SetProgramFileNameForTesting(const std::string& path);
