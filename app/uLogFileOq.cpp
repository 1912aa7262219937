#include "app/uLogFileOq.h"

#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/core/DateTime.h"
#include "platform/core/Exception.h"
#include "platform/core/Format.h"
#include "platform/core/Program.h"
#include "platform/core/Strings.h"

namespace {
std::unique_ptr<TOqLog> g_log;

[[noreturn]] void RaiseInOut(int err) {
    throw EInOutError(std::string("I/O error ") + std::to_string(err) + ": " + std::strerror(err), err);
}
}  // namespace

TOqLog::TOqLog(const std::string& path) {
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) RaiseInOut(errno);
}

TOqLog::~TOqLog() {
    if (file_) std::fclose(file_);
}

void TOqLog::WriteEntry(const std::string& message) {
    // Short date and long time of the process format settings.
    std::string line = FormatDateTime("ddddd tt", Now()) + " : " + message + "\r\n";
    errno = 0;
    if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() || std::fflush(file_) != 0)
        RaiseInOut(errno ? errno : EIO);
}

bool IsTraceArgument(const std::string& firstArgument) {
    std::string arg = UpperCase(firstArgument);
    return arg == "TRACE" || (arg.size() > 1 && arg.substr(1) == "TRACE");
}

void LogWrite(const std::string& message) {
    if (g_log) g_log->WriteEntry(message);
}

void InitializeLogModule() {
    if (!g_log && ParamCount() >= 1 && IsTraceArgument(ParamStr(1)))
        g_log = std::make_unique<TOqLog>(ProgramFolder() + "SIOUSR.LOG");
}

void FinalizeLogModule() { g_log.reset(); }

TOqLog* DiagnosticLog() { return g_log.get(); }
