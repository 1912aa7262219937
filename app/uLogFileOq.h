#pragma once
// Diagnostic log "SIOUSR.LOG": one line per user action, kept only when the
// program is started with the diagnostics argument.

#include <cstdio>
#include <string>

class TOqLog {
public:
    // Creates or truncates the file; raises EInOutError when it cannot.
    explicit TOqLog(const std::string& path);
    ~TOqLog();
    TOqLog(const TOqLog&) = delete;
    TOqLog& operator=(const TOqLog&) = delete;

    // Writes "<short date> <long time> : <message>" and flushes at once, so
    // the log survives a crash. Raises EInOutError on a write error.
    void WriteEntry(const std::string& message);

private:
    std::FILE* file_ = nullptr;
};

// True when the first command-line argument asks for diagnostics: upper-cased,
// it equals "TRACE", or equals it once its first character is dropped
// (so "/trace" and "-trace" count).
bool IsTraceArgument(const std::string& firstArgument);

// Writes one entry when the log exists; does nothing otherwise.
void LogWrite(const std::string& message);

// Module start-up: creates the log in the program folder when the first
// command-line argument asks for diagnostics. Module shut-down closes it.
void InitializeLogModule();
void FinalizeLogModule();
// The log of this run, or nullptr.
TOqLog* DiagnosticLog();
