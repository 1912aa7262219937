#include "reportproject/VzDataChannel.h"

#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "platform/core/Filer.h"
#include "platform/core/Format.h"
#include "platform/core/Strings.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Prompts.h"
#include "report/ReportDefs.h"
#include "reportproject/VizeException.h"
#include "reportproject/VpCon.h"

namespace {

// Each wait of a request lasts this long; a refresh round waits longer for
// the applications to announce themselves.
constexpr unsigned RoundMs = 100;
constexpr unsigned AnnounceMs = 250;
constexpr unsigned LockStepMs = 5000;
// An announcement round ends at the latest after this many records, so a
// misbehaving application cannot keep the round going.
constexpr int MaxAnnouncements = 1000;

enum : int { waitAnswerNone = 0, waitAnswerCancel = 1, waitAnswerAgain = 2 };

void PutLE32(Byte* p, Integer v) {
    for (int k = 0; k < 4; ++k) p[k] = Byte((std::uint32_t(v) >> (8 * k)) & 0xFF);
}

Integer GetLE32(const Byte* p) {
    return Integer(std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
                   std::uint32_t(p[3]) << 24);
}

void Yield() { sched_yield(); }

}  // namespace

namespace {
const char* const DataTypeNames[] = {"dtString", "dtInteger",  "dtBoolean", "dtFloat", "dtCurrency",
                                     "dtBCD",    "dtDate",     "dtTime",    "dtDateTime", "dtBlob",
                                     "dtMemo",   "dtGraphic",  "dtInt64"};
}  // namespace

std::string VizeDataTypeName(TVPDataType type) {
    int i = int(type);
    return i >= 0 && i < int(std::size(DataTypeNames)) ? DataTypeNames[i] : std::string();
}

bool VizeDataTypeFromName(const std::string& name, TVPDataType& type) {
    for (int i = 0; i < int(std::size(DataTypeNames)); ++i)
        if (SameText(name, DataTypeNames[i])) {
            type = TVPDataType(i);
            return true;
        }
    return false;
}

std::string& VizeObjectNamePrefix() {
    static std::string prefix;
    return prefix;
}

namespace VizeChannelNames {
std::string Connect() { return VizeObjectNamePrefix() + "VIZECONNECT"; }
std::string Disconnect() { return VizeObjectNamePrefix() + "VIZEDISCONNECT"; }
std::string Buffer() { return VizeObjectNamePrefix() + "VIZEBUFFER"; }
std::string Lock() { return VizeObjectNamePrefix() + "VIZEMUTEX"; }
std::string Reply() { return VizeObjectNamePrefix() + "VIZEREPLY"; }
std::string Alternate(Integer number) { return VizeObjectNamePrefix() + "VIZEBUFFERALT" + std::to_string(number); }
std::string Data(const std::string& name, bool runTime) {
    return VizeObjectNamePrefix() + (runTime ? "VIZERTDATA_" : "VIZEDTDATA_") + name;
}
std::string Ack(const std::string& name, bool runTime) {
    return VizeObjectNamePrefix() + (runTime ? "VIZERTACK_" : "VIZEDTACK_") + name;
}
}  // namespace VizeChannelNames

// ============================================================== cursor

void TVizeChannelCursor::Attach(Byte* start, std::size_t size) {
    grow_ = nullptr;
    start_ = start;
    size_ = start ? size : 0;
    pos_ = 0;
    SetPos(VizeChannelHeaderSize);
}

void TVizeChannelCursor::AttachGrowing(std::vector<Byte>& bytes, std::size_t limit) {
    if (bytes.size() < VizeChannelHeaderSize) bytes.resize(VizeChannelHeaderSize);
    Attach(bytes.data(), bytes.size());
    grow_ = &bytes;
    limit_ = limit;
}

void TVizeChannelCursor::SetPos(std::size_t pos) {
    if (pos > size_) throw EVizeException(Trans("Data channel: a position beyond the end of its buffer."));
    pos_ = pos;
}

void TVizeChannelCursor::Need(std::size_t n, const char* what) {
    if (grow_ && n > size_ - pos_ && n <= limit_ - pos_) {
        grow_->resize(std::min(limit_, std::max(size_ * 2, pos_ + n)));
        start_ = grow_->data();
        size_ = grow_->size();
    }
    if (!start_ || n > size_ - pos_)
        throw EVizeException(Format(Trans("Data channel: %s runs past the end of its buffer (%d bytes left)."),
                                    {what, Int64(start_ ? size_ - pos_ : 0)}));
}

void TVizeChannelCursor::WriteBuf(const void* data, std::size_t n) {
    Need(n, "written data");
    if (n) std::memcpy(start_ + pos_, data, n);
    pos_ += n;
}

void TVizeChannelCursor::WriteInteger(Integer v) {
    Byte b[4];
    PutLE32(b, v);
    WriteBuf(b, 4);
}

void TVizeChannelCursor::WriteByte(Byte v) { WriteBuf(&v, 1); }

void TVizeChannelCursor::WriteString(const std::string& s) {
    WriteInteger(1);
    WriteInteger(Integer(s.size()));
    WriteBuf(s.data(), s.size());
    WriteInteger(0);
}

void TVizeChannelCursor::WriteFloat(double v) {
    Byte b[10];
    DoubleToExtended(v, b);
    WriteBuf(b, 10);
}

void TVizeChannelCursor::WriteInt64(Int64 v) {
    Byte b[8];
    for (int k = 0; k < 8; ++k) b[k] = Byte((std::uint64_t(v) >> (8 * k)) & 0xFF);
    WriteBuf(b, 8);
}

void TVizeChannelCursor::WriteDouble(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, 8);
    WriteInt64(Int64(bits));
}

void TVizeChannelCursor::PatchInteger(std::size_t at, Integer v) {
    if (!start_ || at > size_ || size_ - at < 4)
        throw EVizeException(Trans("Data channel: a position beyond the end of its buffer."));
    PutLE32(start_ + at, v);
}

void TVizeChannelCursor::ReadBuf(void* dest, std::size_t n) {
    Need(n, "a value");
    if (n) std::memcpy(dest, start_ + pos_, n);
    pos_ += n;
}

Integer TVizeChannelCursor::ReadInteger() {
    Byte b[4];
    ReadBuf(b, 4);
    return GetLE32(b);
}

Byte TVizeChannelCursor::ReadByte() {
    Byte b;
    ReadBuf(&b, 1);
    return b;
}

std::string TVizeChannelCursor::ReadString() {
    std::string text;
    // Every chunk consumes at least its kind word, so the loop ends at the
    // buffer's end at the latest.
    for (;;) {
        Integer kind = ReadInteger();
        if (kind <= 0) break;
        Integer len = ReadInteger();
        if (len < 0 || std::size_t(len) > Left())
            throw EVizeException(Format(Trans("Data channel: a text of %d bytes runs past the end of its buffer."),
                                        {Int64(len)}));
        if (kind == 1) text.assign(reinterpret_cast<const char*>(start_ + pos_), std::size_t(len));
        pos_ += std::size_t(len);
    }
    return text;
}

double TVizeChannelCursor::ReadFloat() {
    Byte b[10];
    ReadBuf(b, 10);
    return ExtendedToDouble(b);
}

Int64 TVizeChannelCursor::ReadInt64() {
    Byte b[8];
    ReadBuf(b, 8);
    std::uint64_t v = 0;
    for (int k = 7; k >= 0; --k) v = (v << 8) | b[k];
    return Int64(v);
}

double TVizeChannelCursor::ReadDouble() {
    std::uint64_t bits = std::uint64_t(ReadInt64());
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
}

void TVizeChannelCursor::WriteHeader(Integer alternate) {
    PatchInteger(0, Integer(pos_));
    PatchInteger(4, alternate);
}

Integer TVizeChannelCursor::HeaderSize() const { return size_ >= 8 ? GetLE32(start_) : 0; }
Integer TVizeChannelCursor::HeaderAlternate() const { return size_ >= 8 ? GetLE32(start_ + 4) : 0; }

// ============================================================= channel

TVizeDataChannel::TVizeDataChannel() {
    buffer_ = OpenSharedMemory(VizeChannelNames::Buffer(), VizeChannelBufferSize);
    if (buffer_ && SharedMemorySize(buffer_) >= VizeChannelBufferSize)
        view_ = static_cast<Byte*>(MapSharedMemory(buffer_));
    lock_ = OpenSharedMutex(VizeChannelNames::Lock());
    reply_ = OpenSharedEvent(VizeChannelNames::Reply());
    if (!view_ || !lock_ || !reply_) {
        CloseSharedMemory(buffer_, view_);
        CloseSharedHandle(lock_);
        CloseSharedHandle(reply_);
        throw EVizeException(Trans("Unable to create the VIZE Data Communication System's shared objects."));
    }
    cursor_.Attach(view_, SharedMemorySize(buffer_));
    ProcessMessages = [] {
        if (Application) Application->ProcessMessages();
    };
}

TVizeDataChannel::~TVizeDataChannel() {
    CloseAlternate();
    if (controlCount_ > 0) SetSharedEvent(lock_);
    CloseSharedMemory(buffer_, view_);
    CloseSharedHandle(lock_);
    CloseSharedHandle(reply_);
}

void TVizeDataChannel::Pump() {
    if (ProcessMessages) ProcessMessages();
}

bool TVizeDataChannel::GainControl() {
    if (controlCount_ >= 1) {
        ++controlCount_;
        return true;
    }
    while (!WaitSharedEvent(lock_, LockStepMs)) {
        int answer = MessageDlg(Trans("Unable to gain control of VIZE Data Communication System."), mtError,
                                {mbRetry, mbCancel});
        if (answer != mrRetry) return false;
    }
    controlCount_ = 1;
    return true;
}

void TVizeDataChannel::ReleaseControl() {
    --controlCount_;
    if (controlCount_ < 0) {
        controlCount_ = 0;
        throw EReportPrinter("Control count underflow on ReleaseControl");
    }
    if (controlCount_ == 0) SetSharedEvent(lock_);
}

void TVizeDataChannel::ResetBuffer() {
    CloseAlternate();
    cursor_.Attach(view_, SharedMemorySize(buffer_));
}

void TVizeDataChannel::CloseAlternate() {
    if (!altHandle_) return;
    CloseSharedMemory(altHandle_, altView_);
    altHandle_ = nullptr;
    altView_ = nullptr;
    altNumber_ = 0;
    served_ = nullptr;
    cursor_.Attach(view_, SharedMemorySize(buffer_));
}

void TVizeDataChannel::UseReply(TVizeDataConnection* connection) {
    std::size_t offset = cursor_.Pos();
    Integer number = GetLE32(view_ + 4);
    if (number != 0) {
        if (number < 0)
            throw EVizeException(
                Format(Trans("Data channel: the reply names alternate buffer %d, which cannot exist."), {Int64(number)}));
        altHandle_ = OpenSharedMemory(VizeChannelNames::Alternate(number), 0);
        altView_ = altHandle_ ? static_cast<Byte*>(MapSharedMemory(altHandle_)) : nullptr;
        std::size_t size = SharedMemorySize(altHandle_);
        if (!altView_ || size < VizeChannelHeaderSize) {
            CloseSharedMemory(altHandle_, altView_);
            altHandle_ = nullptr;
            altView_ = nullptr;
            throw EVizeException(Format(Trans("Data channel: the reply's alternate buffer %d cannot be opened."),
                                        {Int64(number)}));
        }
        altNumber_ = number;
        cursor_.Attach(altView_, size);
        cursor_.SetPos(std::min(offset, size));
    }
    served_ = connection;
}

bool TVizeDataChannel::IsConnectionUnique(const std::string& name) const {
    if (!runTime_ || !designTime_) return true;
    for (const auto* list : {runTime_.get(), designTime_.get()}) {
        int count = 0;
        for (const Entry& e : *list)
            if (SameText(e.Name, name)) ++count;
        if (count > 0) return count == 1;
    }
    return true;
}

void TVizeDataChannel::RefreshConnections() {
    runTime_ = std::make_unique<std::vector<Entry>>();
    designTime_ = std::make_unique<std::vector<Entry>>();
    TSharedHandle connect = OpenSharedEvent(VizeChannelNames::Connect());
    TSharedHandle disconnect = OpenSharedManualEvent(VizeChannelNames::Disconnect());
    if (!GainControl()) {
        CloseSharedHandle(connect);
        CloseSharedHandle(disconnect);
        return;
    }
    for (int n = 0; n < MaxAnnouncements; ++n) {
        ResetSharedEvent(reply_);
        SetSharedEvent(connect);
        if (!WaitSharedEvent(reply_, AnnounceMs)) {
            ResetSharedEvent(connect);
            break;
        }
        ResetBuffer();
        try {
            auto conn = std::make_unique<TVizeDataConnection>();
            conn->Name = cursor_.ReadString();
            conn->RunTime = cursor_.ReadByte() != 0;
            conn->AppHandle = cursor_.ReadInteger();
            cursor_.ReadInteger();  // the application's own reference
            conn->Version = cursor_.ReadInteger();
            Integer kind = VizeConnectionKindData;
            if (conn->Version >= VizeChannelVersion) kind = cursor_.ReadInteger();
            if (kind != VizeConnectionKindData) continue;
            std::string key = conn->Name;
            (conn->RunTime ? runTime_ : designTime_)->push_back({key, std::move(conn)});
        } catch (const EVizeException&) {
            // A record that does not parse is skipped; the round goes on.
        }
    }
    SetSharedEvent(disconnect);
    usleep(20 * 1000);  // let every application waiting for the end see it
    ResetSharedEvent(disconnect);
    CloseSharedHandle(connect);
    CloseSharedHandle(disconnect);
    ReleaseControl();
}

void TVizeDataChannel::ReadConnectReply(TVizeDataConnection& connection) {
    connection.Name = cursor_.ReadString();
    connection.RunTime = cursor_.ReadByte() != 0;
    connection.AppHandle = cursor_.ReadInteger();
    connection.Version = cursor_.ReadInteger();
    connection.InProcess = nullptr;
}

bool TVizeDataChannel::Wait(const std::vector<TSharedHandle>& events, int command, const std::string& name,
                            int* which) {
    bool progressCalled = false, timeOutCalled = false, success = false;
    int answer = waitAnswerNone;
    unsigned step = RoundMs / unsigned(events.empty() ? 1 : events.size());
    for (int round = 1; round <= RoundLimit && !success; ++round) {
        Pump();
        for (size_t k = 0; k < events.size() && !success; ++k)
            if (WaitSharedEvent(events[k], step)) {
                success = true;
                if (which) *which = int(k);
            }
        if (success) break;
        answer = waitAnswerNone;
        if (OnWaitProgress) {
            progressCalled = true;
            do {
                if (answer == waitAnswerAgain) Pump();
                answer = waitAnswerNone;
                OnWaitProgress(this, round, answer, round == 1, name, command, RoundLimit);
            } while (answer > waitAnswerCancel);
        }
        if (answer != waitAnswerCancel && round >= TimeOutThreshold && OnTimeOut) {
            timeOutCalled = true;
            answer = waitAnswerNone;
            OnTimeOut(this, round, answer, round == TimeOutThreshold, name, command, RoundLimit);
        }
        if (answer == waitAnswerCancel) break;
    }
    int outcome = success ? 0 : -1;
    if (progressCalled) OnWaitProgress(this, outcome, answer, false, name, command, 0);
    if (timeOutCalled) OnTimeOut(this, outcome, answer, false, name, command, 0);
    return success;
}

bool TVizeDataChannel::OpenConnection(const std::string& name, TVizeDataConnection& connection) {
    if (TVizeDataConnect* local = DataConnectManager().FindConnection(name)) {
        if (OnConnectionChange) OnConnectionChange(this, false);
        connection.Name = name;
        connection.RunTime = true;
        connection.AppHandle = Integer(getpid());
        connection.Version = VizeChannelVersion;
        connection.RequestEvent = nullptr;
        connection.InProcess = local;
        ResetBuffer();
        return true;
    }
    if (RefreshNeeded) {
        RefreshConnections();
        RefreshNeeded = false;
    }
    TSharedHandle rtData = OpenSharedEvent(VizeChannelNames::Data(name, true));
    TSharedHandle rtAck = OpenSharedEvent(VizeChannelNames::Ack(name, true));
    ResetBuffer();
    cursor_.WriteInteger(dcConnect);
    cursor_.WriteHeader(0);
    ResetSharedEvent(rtAck);
    SetSharedEvent(rtData);
    Yield();
    Pump();
    bool ok = false;
    if (WaitSharedEvent(rtAck, RoundMs)) {
        if (OnConnectionChange) OnConnectionChange(this, false);
        ResetBuffer();
        ReadConnectReply(connection);
        connection.RequestEvent = rtData;
        CloseSharedHandle(rtAck);
        ResetBuffer();
        return true;
    }
    TSharedHandle dtData = OpenSharedEvent(VizeChannelNames::Data(name, false));
    TSharedHandle dtAck = OpenSharedEvent(VizeChannelNames::Ack(name, false));
    ResetSharedEvent(dtAck);
    SetSharedEvent(dtData);
    Yield();
    int which = -1;
    if (Wait({rtAck, dtAck}, dcConnect, name, &which)) {
        if (OnConnectionChange) OnConnectionChange(this, false);
        ResetBuffer();
        ReadConnectReply(connection);
        connection.RequestEvent = which == 0 ? rtData : dtData;
        CloseSharedHandle(which == 0 ? dtData : rtData);
        ok = true;
    } else {
        CloseSharedHandle(rtData);
        CloseSharedHandle(dtData);
    }
    CloseSharedHandle(rtAck);
    CloseSharedHandle(dtAck);
    ResetBuffer();
    return ok;
}

bool TVizeDataChannel::SendCommand(int command, TVizeDataConnection& connection) {
    CloseAlternate();
    cursor_.WriteHeader(0);
    ResetBuffer();
    if (command != 0)
        cursor_.WriteInteger(command);
    else
        command = cursor_.ReadInteger();
    bool ok = false;
    if (connection.InProcess) {
        // A connection component freed since the connection opened fails
        // the request instead of being called.
        ok = command >= dcFirst && command <= dcRestore && DataConnectManager().Contains(connection.InProcess) &&
             connection.InProcess->HandleRequest(view_, SharedMemorySize(buffer_));
    } else if (connection.RequestEvent) {
        ResetSharedEvent(reply_);
        SetSharedEvent(connection.RequestEvent);
        Yield();
        ok = Wait({reply_}, command, connection.Name, nullptr);
    }
    cursor_.Attach(view_, SharedMemorySize(buffer_));
    if (ok) UseReply(&connection);
    return ok;
}

void TVizeDataChannel::CloseConnection(TVizeDataConnection& connection) {
    CloseAlternate();
    if (OnConnectionChange) OnConnectionChange(this, true);
    CloseSharedHandle(connection.RequestEvent);
    connection.RequestEvent = nullptr;
    connection.InProcess = nullptr;
}

// ============================================================== global

namespace {
std::unique_ptr<TVizeDataChannel>& ChannelInstance() {
    static std::unique_ptr<TVizeDataChannel> channel;
    return channel;
}
}  // namespace

TVizeDataChannel& VizeDataChannel() {
    auto& channel = ChannelInstance();
    if (!channel) channel = std::make_unique<TVizeDataChannel>();
    return *channel;
}

bool VizeDataChannelExists() { return ChannelInstance() != nullptr; }

void FreeVizeDataChannel() { ChannelInstance().reset(); }
