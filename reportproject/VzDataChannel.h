#pragma once
// The data channel between a report and the applications that serve its
// data. Both sides share one buffer: a request is written into it, the
// serving side is woken through its named data event, writes its reply into
// the same buffer (or into an alternate buffer named in the reply's header)
// and signals the reply event. One request is in flight at a time: a named
// lock serialises the report engines of the machine.
//
// Buffer layout (integers 32-bit little-endian): size, alternate-buffer
// number (0: the reply is here), then the payload from offset 8. A request's
// payload begins with the command.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Types.h"
#include "report/ReportDefs.h"
#include "report/SharedObjects.h"

class TVizeDataConnect;
class TVizeDataView;

// Requests of the channel.
enum TVizeChannelCommand : int {
    dcFirst = 1,
    dcNext = 2,
    dcEndQuery = 3,
    dcGetColumns = 4,
    dcCurrent = 5,
    dcSetFilter = 6,
    dcGetSorts = 7,
    dcSetSort = 8,
    dcOpen = 9,
    dcRestore = 10,
    dcConnect = 11
};

// Protocol version this engine speaks and announces.
inline constexpr Integer VizeChannelVersion = 30003;
// Size of the shared request and reply buffer.
inline constexpr std::size_t VizeChannelBufferSize = 65536;
inline constexpr std::size_t VizeChannelHeaderSize = 8;
// Kind of connection a data application announces; others are ignored.
inline constexpr Integer VizeConnectionKindData = 2;

// The name of a data type as the channel sends it ("dtString", ...), and
// back; false for a name that is none.
std::string VizeDataTypeName(TVPDataType type);
bool VizeDataTypeFromName(const std::string& name, TVPDataType& type);

// Prefix put before every named object of the channel (empty unless set;
// tests set one so that parallel runs never meet).
std::string& VizeObjectNamePrefix();

// Names of the channel's objects (the prefix included).
namespace VizeChannelNames {
std::string Connect();                               // announcement request
std::string Disconnect();                            // end of an announcement round
std::string Buffer();                                // the shared buffer
std::string Lock();                                  // one request at a time
std::string Reply();                                 // reply to a data request
std::string Alternate(Integer number);               // an alternate reply buffer
std::string Data(const std::string& name, bool runTime);  // request event of a connection
std::string Ack(const std::string& name, bool runTime);   // acknowledgement of a connect
}  // namespace VizeChannelNames

// Reads and writes the channel's encodings at a cursor inside one buffer.
// Every access is checked against the buffer's end: a damaged or short
// frame raises EVizeException instead of reading or writing beyond it.
class TVizeChannelCursor {
public:
    TVizeChannelCursor() = default;
    TVizeChannelCursor(Byte* start, std::size_t size) { Attach(start, size); }
    // The cursor moves to the payload (offset 8).
    void Attach(Byte* start, std::size_t size);
    // Writes past the end grow bytes, up to limit bytes in all.
    void AttachGrowing(std::vector<Byte>& bytes, std::size_t limit);
    Byte* Start() const { return start_; }
    std::size_t Size() const { return size_; }
    std::size_t Pos() const { return pos_; }
    void SetPos(std::size_t pos);
    std::size_t Left() const { return size_ - pos_; }

    void WriteInteger(Integer v);
    void WriteByte(Byte v);
    // A channel string: kind 1, length, the bytes, kind 0.
    void WriteString(const std::string& s);
    void WriteFloat(double v);  // 10-byte extended real
    void WriteInt64(Int64 v);
    void WriteDouble(double v);
    void WriteBuf(const void* data, std::size_t n);
    void PatchInteger(std::size_t at, Integer v);

    Integer ReadInteger();
    Byte ReadByte();
    // Any chunks (kind > 0, length, bytes) up to a kind of 0 or less; the
    // bytes of kind-1 chunks are kept.
    std::string ReadString();
    double ReadFloat();
    Int64 ReadInt64();
    double ReadDouble();
    void ReadBuf(void* dest, std::size_t n);

    // Header: size := the cursor's offset, then the alternate number.
    void WriteHeader(Integer alternate);
    Integer HeaderSize() const;
    Integer HeaderAlternate() const;

private:
    void Need(std::size_t n, const char* what);
    std::vector<Byte>* grow_ = nullptr;
    std::size_t limit_ = 0;
    Byte* start_ = nullptr;
    std::size_t size_ = 0;
    std::size_t pos_ = 0;
};

// A data connection as the report side knows it.
struct TVizeDataConnection {
    std::string Name;
    bool RunTime = false;
    Integer AppHandle = 0;  // the serving process's id (no window handles here)
    TVizeDataConnect* InProcess = nullptr;
    TSharedHandle RequestEvent = nullptr;
    Integer Version = 0;
    TVizeDataView* DataView = nullptr;
};

// Called after an unanswered round of a request, and once more after the
// wait: (channel, round or 0 on success or -1 on failure, answer, first
// round, connection name, command, round limit). Answer 1 ends the wait
// unsuccessfully; answer 2 asks to be called again after window messages.
class TVizeDataChannel;
using TVizeChannelWaitEvent = std::function<void(TVizeDataChannel* channel, int round, int& answer, bool first,
                                                 const std::string& name, int command, int limit)>;
using TVizeChannelChangeEvent = std::function<void(TVizeDataChannel* channel, bool closing)>;

class TVizeDataChannel {
public:
    TVizeDataChannel();
    ~TVizeDataChannel();
    TVizeDataChannel(const TVizeDataChannel&) = delete;
    TVizeDataChannel& operator=(const TVizeDataChannel&) = delete;

    // Re-entrant within this engine; across engines the named lock. False
    // when the user cancels after a lock that stays taken.
    bool GainControl();
    void ReleaseControl();
    int ControlCount() const { return controlCount_; }

    void ResetBuffer();
    void CloseAlternate();
    void UseReply(TVizeDataConnection* connection);
    TVizeChannelCursor& Cursor() { return cursor_; }
    Integer AlternateNumber() const { return altNumber_; }

    bool IsConnectionUnique(const std::string& name) const;
    void RefreshConnections();
    bool OpenConnection(const std::string& name, TVizeDataConnection& connection);
    // Command 0: the command already written at offset 8.
    bool SendCommand(int command, TVizeDataConnection& connection);
    void CloseConnection(TVizeDataConnection& connection);

    // Connections announced in the last refresh (names may repeat).
    struct Entry {
        std::string Name;
        std::unique_ptr<TVizeDataConnection> Connection;
    };
    const std::vector<Entry>* RunTimeConnections() const { return runTime_.get(); }
    const std::vector<Entry>* DesignTimeConnections() const { return designTime_.get(); }

    TVizeChannelWaitEvent OnWaitProgress;
    TVizeChannelWaitEvent OnTimeOut;
    TVizeChannelChangeEvent OnConnectionChange;
    // Set at creation: the first connection opened refreshes the lists.
    bool RefreshNeeded = true;
    // Rounds of 100 ms a request waits at most, and the round at which the
    // time-out callback starts being called.
    int RoundLimit = 600;
    int TimeOutThreshold = 50;
    // Window messages handled between waits (the application's, if any).
    std::function<void()> ProcessMessages;

private:
    bool Wait(const std::vector<TSharedHandle>& events, int command, const std::string& name, int* which);
    void ReadConnectReply(TVizeDataConnection& connection);
    void Pump();

    int controlCount_ = 0;
    TSharedHandle buffer_ = nullptr;
    Byte* view_ = nullptr;
    TSharedHandle altHandle_ = nullptr;
    Byte* altView_ = nullptr;
    Integer altNumber_ = 0;
    TVizeChannelCursor cursor_;
    TVizeDataConnection* served_ = nullptr;
    TSharedHandle lock_ = nullptr;
    TSharedHandle reply_ = nullptr;
    std::unique_ptr<std::vector<Entry>> runTime_;
    std::unique_ptr<std::vector<Entry>> designTime_;
};

// The channel of this process, created on first use.
TVizeDataChannel& VizeDataChannel();
bool VizeDataChannelExists();
void FreeVizeDataChannel();
