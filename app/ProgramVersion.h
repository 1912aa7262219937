#pragma once
// The program file's version information, as the About box reads it: the
// build embeds the project version; tests can stand in a program file
// without version information, or with other values.

#include <map>
#include <string>

struct TProgramVersionInfo {
    // Whether the program file carries version information at all.
    bool Present = false;
    // Values by their query path, e.g. "StringFileInfo\040904E4\FileVersion".
    std::map<std::string, std::string> Values;

    // The value of a query path; false when the query fails.
    bool QueryValue(const std::string& path, std::string& value) const;
};

// The query path of the file version text.
extern const char* const kFileVersionQuery;

// The running program's version information.
TProgramVersionInfo ProgramVersionInfo();
// Tests: replaces the program's version information; nullptr restores the
// built-in one. The caller keeps the object alive while it is set.
void SetProgramVersionInfoForTesting(const TProgramVersionInfo* info);
