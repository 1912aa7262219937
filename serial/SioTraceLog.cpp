// The trace (bytes the program sent and read) and the dispatch log (the
// dispatcher's own activity), kept in memory while the port is open and
// written to text files on demand and when the port closes.

#include <sys/utsname.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>

#include "platform/core/Clock.h"
#include "serial/SioBaseDispatcher.h"
#include "serial/SioMessageTable.h"

namespace {
constexpr Cardinal kMaxTraceEntries = 4000000;
constexpr Cardinal kLogHeaderSize = 16;
const char* const kLineEnd = "\r\n";

// The runtime's input/output error number for a failed open or write.
Integer IoErrorCode(int err, bool creating) {
    if (creating && err == ENOENT) return 3;  // a folder on the path is missing
    return SerialErrorFromErrno(err);
}

// A text file written through a buffer, as the dumps use it.
class TextFile {
public:
    Integer Open(const std::string& name, bool append) {
        bool exists = FileExistsText(name);
        errno = 0;
        file_ = std::fopen(name.c_str(), append && exists ? "ab" : "wb");
        if (!file_) return -IoErrorCode(errno, !exists);
        std::setvbuf(file_, nullptr, _IOFBF, 512);
        return 0;
    }
    void Write(const std::string& s) {
        if (file_ && !s.empty() && std::fwrite(s.data(), 1, s.size(), file_) != s.size() && !error_) error_ = errno;
    }
    void WriteLn(const std::string& s = {}) {
        Write(s);
        Write(kLineEnd);
    }
    // 0, or minus the error of a write or of the close.
    Integer Close() {
        if (!file_) return 0;
        if (std::fclose(file_) != 0 && !error_) error_ = errno ? errno : EIO;
        file_ = nullptr;
        return error_ ? -IoErrorCode(error_, false) : 0;
    }
    ~TextFile() {
        if (file_) std::fclose(file_);
    }

private:
    std::FILE* file_ = nullptr;
    int error_ = 0;
};

// A byte as the dumps show it, with its width in columns.
std::string ByteText(Byte b, bool allHex, bool hex, int& width) {
    char buf[8];
    if (allHex) {
        std::snprintf(buf, sizeof buf, "[%02X]", b);
        width = 4;
        return buf;
    }
    if (b >= (hex ? 0x21 : 0x20) && b <= 0x7E) {
        width = 1;
        return std::string(1, static_cast<char>(b));
    }
    if (hex) std::snprintf(buf, sizeof buf, "[%02X]", b);
    else std::snprintf(buf, sizeof buf, "[%u]", b);
    width = static_cast<int>(std::strlen(buf));
    return buf;
}

void PutU32(Byte* p, Cardinal v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<Byte>(v >> (8 * i));
}

Cardinal GetU32(const Byte* p) {
    return static_cast<Cardinal>(p[0]) | (static_cast<Cardinal>(p[1]) << 8) | (static_cast<Cardinal>(p[2]) << 16) |
           (static_cast<Cardinal>(p[3]) << 24);
}

std::string Cut(std::string s, std::size_t n) {
    if (s.size() > n) s.resize(n);
    return s;
}
}  // namespace

// ---------------------------------------------------------------------------
// Trace
// ---------------------------------------------------------------------------

Integer TSioBaseDispatcher::StartTrace(Cardinal count) {
    TCriticalSectionGuard gm(mainLock_);
    if (!traceBuf_.empty()) {
        ClearTrace();
    } else {
        if (count > kMaxTraceEntries) return -1002;
        if (count == 0) count = 1;
        traceBuf_.assign(static_cast<std::size_t>(count) * 2, 0);
        traceCapacity_ = count;
        tracePos_ = 0;
        traceWrapped_ = false;
    }
    traceActive_ = true;
    return 0;
}

Integer TSioBaseDispatcher::ClearTrace() {
    TCriticalSectionGuard gm(mainLock_);
    tracePos_ = 0;
    traceWrapped_ = false;
    return 0;
}

void TSioBaseDispatcher::StopTrace() {
    TCriticalSectionGuard gm(mainLock_);
    traceActive_ = false;
    traceBuf_.clear();
    traceBuf_.shrink_to_fit();
    traceCapacity_ = 0;
    tracePos_ = 0;
    traceWrapped_ = false;
}

void TSioBaseDispatcher::ResumeTrace() {
    TCriticalSectionGuard gm(mainLock_);
    if (!traceBuf_.empty()) traceActive_ = true;
}

void TSioBaseDispatcher::PauseTrace() { traceActive_ = false; }

bool TSioBaseDispatcher::HasTraceBuffer() {
    TCriticalSectionGuard gm(mainLock_);
    return !traceBuf_.empty();
}

void TSioBaseDispatcher::AddTraceEntry(char kind, Byte value) {
    TCriticalSectionGuard gm(mainLock_);
    if (traceBuf_.empty()) return;
    traceBuf_[tracePos_ * 2] = static_cast<Byte>(kind);
    traceBuf_[tracePos_ * 2 + 1] = value;
    if (static_cast<Cardinal>(++tracePos_) >= traceCapacity_) {
        tracePos_ = 0;
        traceWrapped_ = true;
    }
}

Integer TSioBaseDispatcher::WriteTrace(const std::string& name, bool append, bool allHex, bool hex) {
    TCriticalSectionGuard gm(mainLock_);
    if (traceBuf_.empty()) return 0;
    traceActive_ = false;
    const Integer first = traceWrapped_ ? tracePos_ : 0;
    if (!traceWrapped_ && tracePos_ == 0) {
        StopTrace();
        return 0;
    }
    TextFile out;
    if (Integer r = out.Open(name, append); r != 0) {
        StopTrace();
        return r;
    }
    int column = 0;
    int previous = -1;
    bool firstEntry = true;
    Integer i = first;
    do {
        const Byte kind = traceBuf_[i * 2];
        const Byte value = traceBuf_[i * 2 + 1];
        if (kind != previous) {
            if (!firstEntry) {
                out.Write(kLineEnd);
                out.WriteLn();
            }
            column = 0;
            if (kind == 'R') out.WriteLn("Receive: ");
            else if (kind == 'T') out.WriteLn("Transmit: ");
            else out.WriteLn(std::string("Special-") + static_cast<char>(kind) + ": ");
            previous = kind;
        }
        int width = 0;
        std::string text = ByteText(value, allHex, hex, width);
        column += width;
        if (column > 78) {
            out.WriteLn();
            column = width;
        }
        out.Write(text);
        firstEntry = false;
        if (static_cast<Cardinal>(++i) >= traceCapacity_) i = 0;
    } while (i != tracePos_);
    Integer r = out.Close();
    StopTrace();
    return r;
}

// ---------------------------------------------------------------------------
// Dispatch log
// ---------------------------------------------------------------------------

void TSioBaseDispatcher::StartLog(Cardinal size) {
    TCriticalSectionGuard gm(mainLock_);
    if (!logBuf_.empty()) {
        ClearLog();
    } else {
        if (size == 0) size = 1;
        logBuf_.assign(size, 0);
        logScratch_.assign(std::max<Cardinal>(std::max(inQueueSize_, outSize_), 1), 0);
        logSize_ = size;
        logHead_ = logTail_ = 0;
        logFree_ = size;
    }
    logActive_ = true;
}

void TSioBaseDispatcher::ClearLog() {
    TCriticalSectionGuard gm(mainLock_);
    logHead_ = logTail_ = 0;
    logFree_ = logSize_;
}

void TSioBaseDispatcher::StopLog() {
    TCriticalSectionGuard gm(mainLock_);
    logActive_ = false;
    logBuf_.clear();
    logBuf_.shrink_to_fit();
    logScratch_.clear();
    logSize_ = logFree_ = logHead_ = logTail_ = 0;
}

void TSioBaseDispatcher::ResumeLog() {
    TCriticalSectionGuard gm(mainLock_);
    if (!logBuf_.empty()) logActive_ = true;
}

void TSioBaseDispatcher::PauseLog() { logActive_ = false; }

bool TSioBaseDispatcher::HasLogBuffer() {
    TCriticalSectionGuard gm(mainLock_);
    return !logBuf_.empty();
}

Cardinal TSioBaseDispatcher::LogClock() { return SioTimeMs() - logClockBase_; }

void TSioBaseDispatcher::AddLogEntry(Byte kind, Byte subkind, Cardinal length, const void* data, Cardinal value) {
    TCriticalSectionGuard gm(mainLock_);
    if (!logActive_ || logBuf_.empty()) return;
    // Header and data go in together or not at all, so that the ring never
    // holds a header whose data is missing.
    const std::uint64_t total = kLogHeaderSize + static_cast<std::uint64_t>(data ? length : 0);
    if (total >= logSize_) return;
    Byte header[kLogHeaderSize] = {};
    header[0] = kind;
    header[1] = subkind;
    PutU32(header + 4, LogClock());
    PutU32(header + 8, value);
    PutU32(header + 12, data ? length : 0);
    std::vector<Byte> entry(header, header + kLogHeaderSize);
    if (data && length) entry.insert(entry.end(), static_cast<const Byte*>(data), static_cast<const Byte*>(data) + length);
    PutLogBytes(entry.data(), static_cast<Cardinal>(entry.size()));
}

bool TSioBaseDispatcher::PutLogBytes(const void* data, Cardinal n) {
    TCriticalSectionGuard gm(mainLock_);
    if (n >= logSize_) return false;
    Byte entry[kLogHeaderSize];
    Cardinal length;
    while (logFree_ < n)
        if (GetLogEntry(entry, logScratch_, length)) break;
    const Byte* p = static_cast<const Byte*>(data);
    Cardinal room = logSize_ - logHead_;
    if (n >= room) {
        std::memcpy(&logBuf_[logHead_], p, room);
        std::memcpy(&logBuf_[0], p + room, n - room);
        logHead_ = n - room;
    } else {
        std::memcpy(&logBuf_[logHead_], p, n);
        logHead_ += n;
    }
    logFree_ -= n;
    return true;
}

bool TSioBaseDispatcher::GetLogEntry(Byte* entry16, std::vector<Byte>& scratch, Cardinal& length) {
    TCriticalSectionGuard gm(mainLock_);
    length = 0;
    if (logFree_ == logSize_) return true;
    auto take = [this](Byte* to, Cardinal n) {
        for (Cardinal i = 0; i < n; ++i) {
            to[i] = logBuf_[logTail_];
            if (++logTail_ == logSize_) logTail_ = 0;
        }
        logFree_ += n;
    };
    take(entry16, kLogHeaderSize);
    length = GetU32(entry16 + 12);
    if (length > 0) {
        if (scratch.size() < length) scratch.resize(length);
        take(scratch.data(), length);
    }
    return false;
}

std::string TSioBaseDispatcher::LogTimeText(Cardinal ms) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%07u", ms);
    std::string s = buf;
    s.insert(s.size() - 3, ".");
    return s;
}

std::string TSioBaseDispatcher::OperatingSystemText() {
    utsname u{};
    if (uname(&u) != 0) return "Unknown";
    int major = 0, minor = 0;
    std::sscanf(u.release, "%d.%d", &major, &minor);
    return std::string(u.sysname) + " " + std::to_string(major) + "." + std::to_string(minor) + " " + u.release;
}

std::string TSioBaseDispatcher::LibraryVersion() { return "1.00"; }

namespace {
std::string CompilerText() {
#if defined(__clang__)
    return "Clang " __clang_version__;
#elif defined(__GNUC__)
    return "GCC " __VERSION__;
#else
    return "C++";
#endif
}

std::string DateTimeText() {
    std::time_t t = std::chrono::system_clock::to_time_t(CurrentClock().WallTime());
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[64];
    std::strftime(buf, sizeof buf, "%d/%m/%y, %H:%M:%S", &tm);
    return buf;
}

const char* const kStatusTriggerNames[] = {"(Not active)",         "(Modem status)",         "(Line status)",
                                           "(Output buffer free)", "(Output buffer used)", "(Output sent)"};
}  // namespace

Integer TSioBaseDispatcher::WriteLog(const std::string& name, bool append, bool allHex, bool hex) {
    TCriticalSectionGuard gm(mainLock_);
    if (logBuf_.empty() || logFree_ == logSize_) {
        StopLog();
        return 0;
    }
    logActive_ = false;
    TextFile out;
    if (Integer r = out.Open(name, append); r != 0) return r;

    out.WriteLn("APRO " + LibraryVersion());
    out.WriteLn("Compiler : " + CompilerText());
    out.WriteLn("Operating System : " + Cut(OperatingSystemText(), 80));
    out.WriteLn("Device: " + DeviceName);
    out.WriteLn("Date/time: " + Cut(DateTimeText(), 80));
    out.WriteLn(FindSerialMessage(15501));
    out.WriteLn(FindSerialMessage(15502));

    Byte entry[kLogHeaderSize];
    Cardinal length;
    std::vector<Byte> scratch = logScratch_;
    while (!GetLogEntry(entry, scratch, length)) {
        const Byte kind = entry[0];
        const Byte subkind = entry[1];
        const Cardinal time = GetU32(entry + 4);
        const Cardinal value = GetU32(entry + 8);
        std::string kindText = kind <= 20 ? FindSerialMessage(15001 + kind) : std::string();
        std::string subText = FindSerialMessage(15100 + subkind);
        char columns[160];
        std::snprintf(columns, sizeof columns, "%8s  %-8s  %-12s  %08x  ", LogTimeText(time).c_str(),
                      kindText.c_str(), subText.c_str(), value);
        out.Write(columns);
        if (length == 0) {
            if (kind == 10) out.Write("[" + (value <= 42 ? FindSerialMessage(15700 + static_cast<Integer>(value)) : "") + "]");
        } else if (subkind == 15 && (kind == 5 || kind == 6)) {
            Byte k = scratch[0];
            if (k < 6) out.Write(kStatusTriggerNames[k]);
        } else {
            int column = 45;
            for (Cardinal i = 0; i < length; ++i) {
                int width = 0;
                std::string text;
                if (allHex && kind == 19) {
                    text = std::string(1, static_cast<char>(scratch[i]));
                    width = 1;
                } else {
                    text = ByteText(scratch[i], allHex, hex, width);
                }
                column += width;
                if (column >= 79) {
                    out.WriteLn();
                    out.Write(std::string(44, ' '));
                    column = width + 45;
                }
                out.Write(text);
            }
            if (subkind == 4) {
                std::string names;
                for (int bit = 0; bit < 8; ++bit)
                    if (value & (1u << bit)) names += FindSerialMessage(15601 + bit);
                std::size_t a = names.find_first_not_of(' ');
                std::size_t b = names.find_last_not_of(' ');
                names = a == std::string::npos ? "" : names.substr(a, b - a + 1);
                out.Write(" (" + names + ")");
            }
        }
        out.WriteLn();
    }
    Integer r = out.Close();
    StopLog();
    return r;
}
