#pragma once
// Running the outside programs that check what the report library writes
// (qpdf, poppler's tools, a browser, the print system).

#include <cstdio>
#include <cstdlib>
#include <string>

#include <sys/wait.h>

inline bool HaveTool(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command; answers its output (standard error included) and
// sets code to its exit status (-1 when it could not run).
inline std::string RunTool(const std::string& command, int& code) {
    std::string out;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) {
        code = -1;
        return out;
    }
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    int status = pclose(pipe);
    code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}
