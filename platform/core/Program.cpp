#include "platform/core/Program.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <unistd.h>
#include <vector>

#include "platform/core/FileUtils.h"

namespace {

std::mutex g_mutex;
std::string g_testFileName;
bool g_haveArgs = false;
std::vector<std::string> g_args;  // without the program name

std::string ExecutablePath() {
    std::vector<char> buf(4096);
    const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    if (n <= 0) return {};
    return std::string(buf.data(), static_cast<std::size_t>(n));
}

// Without SetCommandLine the arguments come from the kernel's copy.
void LoadArgsIfNeeded() {
    if (g_haveArgs) return;
    g_haveArgs = true;
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t i = 0;
    bool first = true;
    while (i < all.size()) {
        std::size_t j = all.find('\0', i);
        if (j == std::string::npos) j = all.size();
        if (!first) g_args.push_back(all.substr(i, j - i));
        first = false;
        i = j + 1;
    }
}

}  // namespace

std::string ProgramFileName() {
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (!g_testFileName.empty()) return g_testFileName;
    }
    static const std::string path = ExecutablePath();
    return path;
}

std::string ProgramFolder() {
    const char* home = std::getenv("OMR_HOME");
    if (home != nullptr && *home != '\0') return IncludeTrailingPathDelimiter(ExpandFileName(home));
    return ExtractFilePath(ProgramFileName());
}

void SetCommandLine(int argc, const char* const* argv) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_haveArgs = true;
    g_args.clear();
    for (int i = 1; i < argc; ++i) g_args.emplace_back(argv[i] ? argv[i] : "");
}

Integer ParamCount() {
    std::lock_guard<std::mutex> lock(g_mutex);
    LoadArgsIfNeeded();
    return static_cast<Integer>(g_args.size());
}

std::string ParamStr(Integer i) {
    if (i == 0) return ProgramFileName();
    std::lock_guard<std::mutex> lock(g_mutex);
    LoadArgsIfNeeded();
    if (i < 0 || i > static_cast<Integer>(g_args.size())) return {};
    return g_args[static_cast<std::size_t>(i - 1)];
}

void SetProgramFileNameForTesting(const std::string& path) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_testFileName = path;
}
