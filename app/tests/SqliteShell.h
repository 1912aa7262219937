#pragma once
// The sqlite3 command-line shell as the independent reader of the program's
// database file in tests.

#include <cstdio>
#include <cstdlib>
#include <string>

inline bool HaveSqliteShell() { return std::system("command -v sqlite3 >/dev/null 2>&1") == 0; }

// Runs one statement on the file; the rows come back one a line, columns
// separated by "|", without the last line's newline.
inline std::string SqliteShell(const std::string& file, const std::string& sql) {
    const std::string command = "sqlite3 -batch -noheader -separator '|' '" + file + "' \"" + sql + "\" 2>&1";
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
        ::pclose(pipe);
    }
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

#define REQUIRE_SQLITE_SHELL() \
    do { \
        if (!HaveSqliteShell()) GTEST_SKIP() << "the sqlite3 shell is not installed (Debian package sqlite3)"; \
    } while (0)
