// The spreadsheet application over a helper process: commands as lines of
// tab-separated, escaped fields; replies "OK" or "ERR" with one text.

#include "platform/office/CalcAutomation.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/office/CalcBridgeScript.h"

extern char** environ;

namespace {

// How long the application may take to start, and to answer one call.
constexpr int kStartTimeoutMs = 120000;
constexpr int kCallTimeoutMs = 60000;
const char* const kNotInstalled = "The spreadsheet application (LibreOffice Calc) is not installed.";

bool Executable(const std::string& path) { return !path.empty() && ::access(path.c_str(), X_OK) == 0; }

std::string FindOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string candidate = dirs.substr(start, end - start) + "/" + name;
        if (Executable(candidate)) return candidate;
        start = end + 1;
    }
    return {};
}

std::string OfficeProgram() {
    if (const char* forced = std::getenv("OMR_OFFICE")) return Executable(forced) ? forced : std::string();
    for (const char* name : {"soffice", "libreoffice"})
        if (std::string found = FindOnPath(name); !found.empty()) return found;
    const std::string installed = "/usr/lib/libreoffice/program/soffice";
    return Executable(installed) ? installed : std::string();
}

// The Python that carries the suite's bridge: the system's first, as the
// bridge is installed for it.
std::string BridgePython() {
    static const std::string found = [] {
        std::vector<std::string> candidates{"/usr/bin/python3"};
        if (std::string onPath = FindOnPath("python3"); !onPath.empty()) candidates.push_back(onPath);
        for (const std::string& python : candidates) {
            if (!Executable(python)) continue;
            const std::string probe = "'" + python + "' -c 'import uno' >/dev/null 2>&1";
            if (std::system(probe.c_str()) == 0) return python;
        }
        return std::string();
    }();
    return found;
}

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: out += c;
        }
    }
    return out;
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char n = text[++i];
            out += n == 't' ? '\t' : n == 'n' ? '\n' : n == 'r' ? '\r' : n;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

struct TCalcApplication::TProcess {
    pid_t Pid = -1;
    int ToHelper = -1;
    int FromHelper = -1;
    std::string Pending;  // bytes read past the last reply
    std::filesystem::path Folder;

    ~TProcess() { Stop(); }

    void Stop() {
        if (ToHelper >= 0) ::close(ToHelper);
        if (FromHelper >= 0) ::close(FromHelper);
        ToHelper = FromHelper = -1;
        if (Pid > 0) {
            // The helper ends its office process on end of input; give it a
            // moment, then end the whole group.
            for (int i = 0; i < 100; ++i) {
                if (::waitpid(Pid, nullptr, WNOHANG) == Pid) {
                    Pid = -1;
                    break;
                }
                ::usleep(50000);
            }
            if (Pid > 0) {
                ::kill(-Pid, SIGKILL);
                ::waitpid(Pid, nullptr, 0);
                Pid = -1;
            }
        }
        std::error_code ignored;
        if (!Folder.empty()) std::filesystem::remove_all(Folder, ignored);
        Folder.clear();
    }

    // One reply line, or EOleError when none comes in time.
    std::string ReadLine(int timeoutMs) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            if (std::size_t eol = Pending.find('\n'); eol != std::string::npos) {
                std::string line = Pending.substr(0, eol);
                Pending.erase(0, eol + 1);
                return line;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) throw EOleError("The spreadsheet application did not answer in time.");
            pollfd p{FromHelper, POLLIN, 0};
            const int ready = ::poll(&p, 1, int(left.count()));
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0) continue;
            char buffer[4096];
            const ssize_t got = ::read(FromHelper, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) throw EOleError("The spreadsheet application ended unexpectedly.");
            Pending.append(buffer, std::size_t(got));
        }
    }
};

bool TCalcApplication::Available(std::string* why) {
    if (OfficeProgram().empty()) {
        if (why) *why = kNotInstalled;
        return false;
    }
    if (BridgePython().empty()) {
        if (why) *why = "The spreadsheet application's Python bridge (python3-uno) is not installed.";
        return false;
    }
    return true;
}

TCalcApplication::TCalcApplication() {
    std::string why;
    if (!Available(&why)) throw EOleError(why);
    auto process = std::make_unique<TProcess>();
    char folderTemplate[] = "/tmp/calcbridge-XXXXXX";
    if (!::mkdtemp(folderTemplate)) throw EOleError("Cannot make a folder for the spreadsheet application.");
    process->Folder = folderTemplate;
    const std::string script = (process->Folder / "bridge.py").string();
    {
        std::ofstream out(script, std::ios::binary);
        out << kCalcBridgeScript;
        if (!out) throw EOleError("Cannot write the spreadsheet application's helper.");
    }
    int toHelper[2], fromHelper[2];
    if (::pipe2(toHelper, O_CLOEXEC) != 0) throw EOleError("Cannot start the spreadsheet application.");
    if (::pipe2(fromHelper, O_CLOEXEC) != 0) {
        ::close(toHelper[0]);
        ::close(toHelper[1]);
        throw EOleError("Cannot start the spreadsheet application.");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toHelper[0], 0);
    posix_spawn_file_actions_adddup2(&actions, fromHelper[1], 1);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // Its own process group, so the office process can be ended with it.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    const std::string python = BridgePython(), office = OfficeProgram();
    const std::string profile = (process->Folder / "profile").string();
    std::vector<char*> argv{const_cast<char*>(python.c_str()), const_cast<char*>(script.c_str()),
                            const_cast<char*>(office.c_str()), const_cast<char*>(profile.c_str()), nullptr};
    pid_t pid = -1;
    const int failed = ::posix_spawn(&pid, python.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(toHelper[0]);
    ::close(fromHelper[1]);
    if (failed != 0) {
        ::close(toHelper[1]);
        ::close(fromHelper[0]);
        throw EOleError("Cannot start the spreadsheet application.");
    }
    process->Pid = pid;
    process->ToHelper = toHelper[1];
    process->FromHelper = fromHelper[0];
    const std::string first = process->ReadLine(kStartTimeoutMs);
    if (first.rfind("OK\t", 0) != 0) throw EOleError(Unescape(first.substr(first.find('\t') + 1)));
    process_ = std::move(process);
}

TCalcApplication::~TCalcApplication() {
    if (Running()) {
        try {
            Quit();
        } catch (const std::exception&) {
            // The helper is ended below in any case.
        }
    }
}

bool TCalcApplication::Running() const { return process_ != nullptr; }

std::string TCalcApplication::Call(const std::string& command, std::initializer_list<std::string> args) {
    if (!process_) throw EOleError("The spreadsheet application is not running.");
    std::string line = Escape(command);
    for (const std::string& arg : args) line += "\t" + Escape(arg);
    line += "\n";
    std::size_t written = 0;
    while (written < line.size()) {
        const ssize_t n = ::write(process_->ToHelper, line.data() + written, line.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw EOleError("The spreadsheet application ended unexpectedly.");
        written += std::size_t(n);
    }
    const std::string reply = process_->ReadLine(kCallTimeoutMs);
    const std::size_t tab = reply.find('\t');
    const std::string status = reply.substr(0, tab);
    const std::string text = tab == std::string::npos ? std::string() : Unescape(reply.substr(tab + 1));
    if (status != "OK") throw EOleError(text.empty() ? "The spreadsheet application refused a call." : text);
    return text;
}

TCalcWorkbook TCalcApplication::OpenWorkbook(const std::string& fileName, bool readOnly) {
    active_ = std::stoi(Call("open", {fileName, readOnly ? "1" : "0"}));
    return TCalcWorkbook(this, active_);
}

TCalcWorkbook TCalcApplication::NewWorkbook(int sheets) {
    active_ = std::stoi(Call("new", {std::to_string(sheets)}));
    return TCalcWorkbook(this, active_);
}

TCalcWorkbook TCalcApplication::ActiveWorkbook() const {
    if (active_ == 0) throw EOleError("No workbook is open.");
    return TCalcWorkbook(const_cast<TCalcApplication*>(this), active_);
}

void TCalcApplication::Save() { ActiveWorkbook().Save(); }

void TCalcApplication::Quit() {
    if (!process_) return;
    std::unique_ptr<TProcess> process = std::move(process_);
    process_ = nullptr;
    active_ = 0;
    // Closing the helper's input ends it and its office process.
    const char quit[] = "quit\n";
    (void)!::write(process->ToHelper, quit, sizeof quit - 1);
    try {
        process->ReadLine(kCallTimeoutMs);
    } catch (const EOleError&) {
        // Ended below.
    }
    process->Stop();
}

void TCalcWorkbook::Save() { app_->Call("save", {std::to_string(id_)}); }

void TCalcWorkbook::SaveCopyAs(const std::string& fileName, const std::string& filterName) {
    app_->Call("saveas", {std::to_string(id_), fileName, filterName});
}

void TCalcWorkbook::Close() { app_->Call("close", {std::to_string(id_)}); }

int TCalcSheets::Count() const { return std::stoi(app_->Call("count", {std::to_string(book_)})); }

TCalcSheet TCalcSheets::Item(int index) const {
    if (index < 1) throw EOleError("Sheets count from 1.");
    return TCalcSheet(app_, book_, index);
}

void TCalcSheet::Unprotect(const std::string& password) {
    app_->Call("unprotect", {std::to_string(book_), std::to_string(index_), password});
}

void TCalcSheet::Protect(const std::string& password) {
    app_->Call("protect", {std::to_string(book_), std::to_string(index_), password});
}

bool TCalcSheet::ProtectionMode() const {
    return app_->Call("protected", {std::to_string(book_), std::to_string(index_)}) == "1";
}

TCalcCell TCalcSheet::Cells(int row, int column) const {
    if (row < 1 || column < 1) throw EOleError("Cell rows and columns count from 1.");
    return TCalcCell(app_, book_, index_, row, column);
}

void TCalcCell::SetValue(const std::string& text) {
    app_->Call("set", {std::to_string(book_), std::to_string(sheet_), std::to_string(row_), std::to_string(column_),
                       text});
}

std::string TCalcCell::Value() const {
    return app_->Call("get", {std::to_string(book_), std::to_string(sheet_), std::to_string(row_),
                              std::to_string(column_)});
}
