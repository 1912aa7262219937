#include "platform/core/Program.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
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
std::string g_argv0;
std::vector<std::string> g_args;  // without the program name
std::function<std::string()> g_dataFolderName;

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
        if (first) g_argv0 = all.substr(i, j - i);
        else g_args.push_back(all.substr(i, j - i));
        first = false;
        i = j + 1;
    }
}

// Whether a file can be created in `folder`: tried, because permission bits
// do not tell (root passes them, read-only mounts and /proc do not).
bool CanCreateFilesIn(const std::string& folder) {
    static std::mutex cacheMutex;
    static std::string cachedFolder;
    static bool cachedResult = false;
    std::lock_guard<std::mutex> lock(cacheMutex);
    if (folder == cachedFolder) return cachedResult;
    std::string probe = folder + ".omr-write-probe-" + std::to_string(::getpid());
    int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    bool ok = fd >= 0;
    if (ok) {
        ::close(fd);
        ::unlink(probe.c_str());
    }
    cachedFolder = folder;
    cachedResult = ok;
    return ok;
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

std::string ExecutableFolder() { return ExtractFilePath(ProgramFileName()); }

void SetUserDataFolderName(std::function<std::string()> name) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_dataFolderName = std::move(name);
}

std::string UserDataFolder() {
    std::function<std::string()> nameOf;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        nameOf = g_dataFolderName;
    }
    std::string name = nameOf ? nameOf() : ChangeFileExt(ExtractFileName(ProgramFileName()), "");
    if (name.empty()) name = "Scorvane";
    std::string base;
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && *xdg == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home != nullptr && *home == '/' ? home : "/tmp") + "/.local/share";
    }
    return IncludeTrailingPathDelimiter(base) + name + "/";
}

std::string ProgramFolder() {
    const char* home = std::getenv("OMR_HOME");
    if (home != nullptr && *home != '\0') return IncludeTrailingPathDelimiter(ExpandFileName(home));
    std::string exeFolder = ExecutableFolder();
    if (CanCreateFilesIn(exeFolder)) return exeFolder;
    std::string data = UserDataFolder();
    // Created here so that the first settings write or log finds it; when it
    // cannot be made, that write reports the folder.
    std::error_code ec;
    std::filesystem::create_directories(data, ec);
    return data;
}

std::string ProgramInvocationName() {
    std::lock_guard<std::mutex> lock(g_mutex);
    LoadArgsIfNeeded();
    return g_argv0;
}

void SetCommandLine(int argc, const char* const* argv) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_haveArgs = true;
    g_args.clear();
    g_argv0 = argc > 0 && argv[0] ? argv[0] : "";
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
