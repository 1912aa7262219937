// The dispatcher's device, line settings and rings. The worker threads and
// notifications are in SioDispatcherThreads.cpp, the trace and dispatch log
// in SioTraceLog.cpp, the trigger lists in SioTriggers.cpp.

#include "serial/SioBaseDispatcher.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace {
struct DispatcherList {
    TCriticalSection Lock;
    std::vector<TSioBaseDispatcher*> Items;
};

DispatcherList& List() {
    static DispatcherList list;
    return list;
}
}  // namespace

TCriticalSection& SioDispatcherListLock() { return List().Lock; }

TSioBaseDispatcher* SioDispatcherAt(Integer number) {
    TCriticalSectionGuard g(List().Lock);
    if (number < 0 || static_cast<std::size_t>(number) >= List().Items.size()) return nullptr;
    return List().Items[number];
}

TSioBaseDispatcher::TSioBaseDispatcher(TComponent* owner) : owner_(owner) {
    {
        TCriticalSectionGuard g(List().Lock);
        auto& items = List().Items;
        auto slot = std::find(items.begin(), items.end(), nullptr);
        if (slot != items.end()) {
            *slot = this;
            number_ = static_cast<Integer>(slot - items.begin());
        } else {
            items.push_back(this);
            number_ = static_cast<Integer>(items.size() - 1);
        }
    }
    triggerHandleCounter_ = 1;
}

TSioBaseDispatcher::~TSioBaseDispatcher() {
    // Derived destructors have shut the port down (the device operations
    // are theirs); here only the threads' objects and the list slot remain.
    comThread_.reset();
    dispThread_.reset();
    outThread_.reset();
    TCriticalSectionGuard g(List().Lock);
    auto& items = List().Items;
    if (number_ >= 0 && static_cast<std::size_t>(number_) < items.size()) items[number_] = nullptr;
    while (!items.empty() && items.back() == nullptr) items.pop_back();
}

Cardinal TSioBaseDispatcher::RingCount(Cardinal head, Cardinal tail, bool full) {
    if (head == tail) return full ? kSioRingSize : 0;
    if (tail < head) return head - tail;
    return head + kSioRingSize - tail;
}

Cardinal TSioBaseDispatcher::ResolveBaudCode(Cardinal baud) {
    switch (baud) {
    case 0xFEFF: return 115200;
    case 0xFF10: return 110;
    case 0xFF11: return 300;
    case 0xFF12: return 600;
    case 0xFF13: return 1200;
    case 0xFF14: return 2400;
    case 0xFF15: return 4800;
    case 0xFF16: return 9600;
    case 0xFF17: return 14400;
    case 0xFF18: return 19200;
    case 0xFF1B: return 38400;
    case 0xFF1F: return 56000;
    case 0xFF23: return 128000;
    case 0xFF27: return 256000;
    default: return baud;
    }
}

// ---------------------------------------------------------------------------
// Open and close
// ---------------------------------------------------------------------------

Integer TSioBaseDispatcher::OpenPort(const std::string& name, Integer baud, Cardinal lines, Cardinal outSize,
                                     Cardinal inSize, Word stopBits, Word dataBits, Integer parity) {
    ringSeen_ = false;
    dispatching_ = false;
    removalPending_ = false;
    for (int i = 0; i < 6; ++i) events_[i] = std::make_unique<PollEvent>(i == 4);

    Integer handle = OpenHandle(name);
    if (handle < 0) {
        ShutDownPort();
        return handle;
    }
    if (!SetupQueues(inSize, outSize)) {
        Integer code = -LastError();
        ShutDownPort();
        return code;
    }
    {
        TCriticalSectionGuard gi(inLock_);
        inRing_.assign(kSioRingSize, 0);
        inHead_ = inTail_ = 0;
        inFull_ = false;
        inAvailNotification_ = false;
        availCount_ = 0;
    }
    {
        TCriticalSectionGuard go(outLock_);
        outRing_.assign(outSize, 0);
        outHead_ = outCount_ = 0;
    }
    {
        TCriticalSectionGuard gm(mainLock_);
        inQueueSize_ = inSize;
        outSize_ = outSize;
        errorBits_ = 0;
        outputSent_ = false;
        closePending_ = false;
        rs485_ = false;
        baseAddress_ = 0;
        GetDeviceState(dcb_);
        if (lines & 16) {
            dtrAuto_ = true;
        } else {
            dtrAuto_ = false;
            SetDTRLine((lines & 1) != 0);
        }
        if (lines & 32) {
            rtsAuto_ = true;
        } else {
            rtsAuto_ = false;
            SetRTSLine((lines & 2) != 0);
        }
    }
    ClearTriggers();
    {
        TCriticalSectionGuard gm(mainLock_);
        notificationTail_ = 0;
        ResetStatusTriggers();
        modemStatus_ = 0;
        ReadModemStatus(0xF0);
        lastBaud_ = 115200;
    }
    Integer code = ChangeLineSettings(baud, parity, stopBits, dataBits);
    if (code < 0) {
        ShutDownPort();
        return code;
    }
    RefreshLineErrors();
    {
        TCriticalSectionGuard gm(mainLock_);
        StopTrace();
        StopLog();
        logClockBase_ = SioTimeMs();
    }
    if (triggersAtOpen_) {
        RestoreTriggers(*triggersAtOpen_);
        triggersAtOpen_.reset();
    }
    StartThreads();
    return 0;
}

void TSioBaseDispatcher::ShutDownPort() {
    bool deferred;
    {
        TCriticalSectionGuard gm(mainLock_);
        // Closed from inside a notification: the dispatch thread releases
        // the port when the notification returns.
        deferred = dispatching_.load();
        if (deferred) closePending_ = true;
    }
    if (DeviceValid()) {
        FlushOutput();
        FlushInput();
        CloseDevice();
    }
    if (!deferred) ReleasePort();
}

void TSioBaseDispatcher::ReleasePort() {
    releaseAtThreadEnd_ = false;
    StopThreads();
    {
        TCriticalSectionGuard gi(inLock_);
        inRing_.clear();
        inRing_.shrink_to_fit();
        inHead_ = inTail_ = 0;
        inFull_ = false;
    }
    {
        TCriticalSectionGuard go(outLock_);
        outRing_.clear();
        outRing_.shrink_to_fit();
        outHead_ = outCount_ = 0;
    }
}

Integer TSioBaseDispatcher::YieldTime() {
    std::this_thread::yield();
    return 0;
}

Integer TSioBaseDispatcher::ResizeQueues(Cardinal inSize, Cardinal outSize) {
    if (!SetupQueues(inSize, outSize)) return -LastError();
    return 0;
}

// ---------------------------------------------------------------------------
// Line settings
// ---------------------------------------------------------------------------

SerialDeviceState TSioBaseDispatcher::DeviceState() {
    TCriticalSectionGuard gm(mainLock_);
    return dcb_;
}

Integer TSioBaseDispatcher::ChangeLineSettings(Integer baud, Integer parity, Word stopBits, Word dataBits) {
    SerialDeviceState st;
    {
        TCriticalSectionGuard gm(mainLock_);
        GetDeviceState(dcb_);
        dcb_.fBinary = true;
        dcb_.fParity = false;
        dcb_.fDsrSensitivity = false;
        dcb_.fTXContinueOnXoff = true;
        dcb_.fNull = false;
        st = dcb_;
    }
    if (stopBits == 0) stopBits = 1;
    else if (stopBits > 3) stopBits = 2;

    Cardinal newBaud = baud == 0 ? st.BaudRate : static_cast<Cardinal>(baud);
    Byte newParity = parity == 5 ? st.Parity : static_cast<Byte>(parity);
    Byte newSize = dataBits == 9 ? st.ByteSize : static_cast<Byte>(dataBits);
    Byte newStop;
    if (stopBits == 3) newStop = dataBits == 5 ? ONE5STOPBITS : st.StopBits;
    else if (stopBits == 1) newStop = newSize == 5 ? ONE5STOPBITS : ONESTOPBIT;
    else newStop = newSize == 5 ? ONE5STOPBITS : TWOSTOPBITS;

    if (newBaud == st.BaudRate && newParity == st.Parity && newSize == st.ByteSize && newStop == st.StopBits)
        return 0;

    WaitOutputDrained();
    TCriticalSectionGuard gm(mainLock_);
    GetDeviceState(dcb_);
    dcb_.fBinary = true;
    dcb_.fParity = false;
    dcb_.fDsrSensitivity = false;
    dcb_.fTXContinueOnXoff = true;
    dcb_.fNull = false;
    st = dcb_;
    st.BaudRate = newBaud;
    st.Parity = newParity;
    st.ByteSize = newSize;
    st.StopBits = newStop;
    return ApplyLineState(st);
}

void TSioBaseDispatcher::WaitOutputDrained() {
    for (int polls = 0; polls < 5000 && OutputUsed() > 0; ++polls)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    SerialDeviceState st;
    {
        TCriticalSectionGuard gm(mainLock_);
        GetDeviceState(st);
    }
    Cardinal bits = st.ByteSize + 2u + (st.Parity != 0 ? 1u : 0u) + (st.StopBits != ONESTOPBIT ? 1u : 0u);
    Cardinal rate = ResolveBaudCode(lastBaud_);
    if (rate == 0) rate = 1;
    // About 18 character times, in units of 100 ns.
    std::uint64_t t = (10000000ull / rate) * bits * 18;
    if (t < 10000) t *= 2;
    std::uint64_t ms = (t + 9999) / 10000;
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void TSioBaseDispatcher::GetLineSettings(Integer& baud, Integer& parity, Word& stopBits, Word& dataBits) {
    TCriticalSectionGuard gm(mainLock_);
    GetDeviceState(dcb_);
    baud = static_cast<Integer>(ResolveBaudCode(dcb_.BaudRate));
    parity = dcb_.Parity;
    dataBits = dcb_.ByteSize;
    stopBits = dcb_.StopBits == ONESTOPBIT ? 1 : 2;
}

Integer TSioBaseDispatcher::ApplyLineState(SerialDeviceState& state) {
    TCriticalSectionGuard gm(mainLock_);
    if (!dtrAuto_) state.fDtrControl = dtrLevel_ ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
    if (!rtsAuto_) state.fRtsControl = rtsLevel_ ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
    Integer result = SetDeviceState(state);
    if (result == 0) dcb_ = state;
    lastBaud_ = state.BaudRate;
    SetDTRLine(dtrLevel_);
    if (!rs485_) SetRTSLine(rtsLevel_);
    return result;
}

Integer TSioBaseDispatcher::SetDTRLine(bool level) {
    TCriticalSectionGuard gm(mainLock_);
    if (dtrAuto_) return 1;
    Integer r = EscapeFunction(level ? SETDTR : CLRDTR);
    dtrLevel_ = level;
    return r < 0 ? -1002 : r;
}

Integer TSioBaseDispatcher::SetRTSLine(bool level) {
    TCriticalSectionGuard gm(mainLock_);
    if (rtsAuto_) return 1;
    Integer r = EscapeFunction(level ? SETRTS : CLRRTS);
    rtsLevel_ = level;
    return r < 0 ? -1002 : r;
}

Integer TSioBaseDispatcher::SetHardwareFlow(Cardinal full, Cardinal resume, Cardinal options) {
    if (full < resume || full > inQueueSize_) return -1002;
    TCriticalSectionGuard gm(mainLock_);
    SerialDeviceState st;
    GetDeviceState(st);
    st.fOutxCtsFlow = false;
    st.fOutxDsrFlow = false;
    st.fDtrControl = DTR_CONTROL_DISABLE;
    st.fRtsControl = RTS_CONTROL_DISABLE;
    dtrAuto_ = false;
    rtsAuto_ = false;
    if (options & 1) {
        st.fDtrControl = DTR_CONTROL_HANDSHAKE;
        dtrAuto_ = true;
    } else if (dtrLevel_) {
        st.fDtrControl = DTR_CONTROL_ENABLE;
    }
    if (options & 2) {
        st.fRtsControl = RTS_CONTROL_HANDSHAKE;
        rtsAuto_ = true;
    } else if (rtsLevel_) {
        st.fRtsControl = RTS_CONTROL_ENABLE;
    }
    if (rs485_) {
        st.fRtsControl = RTS_CONTROL_TOGGLE;
        rtsAuto_ = true;
    }
    st.XoffLim = static_cast<Word>((inQueueSize_ & 0xFFFF) - full);
    st.XonLim = static_cast<Word>(resume);
    if (options & 4) st.fOutxDsrFlow = true;
    if (options & 8) st.fOutxCtsFlow = true;
    return ApplyLineState(st);
}

Integer TSioBaseDispatcher::SetSoftwareFlow(Cardinal full, Cardinal resume, Cardinal options) {
    if (full < resume || full > inQueueSize_) return -1002;
    TCriticalSectionGuard gm(mainLock_);
    SerialDeviceState st;
    GetDeviceState(st);
    if (options & 2) {
        st.fInX = true;
        st.XoffLim = static_cast<Word>((inQueueSize_ & 0xFFFF) - full);
        st.XonLim = static_cast<Word>(resume);
        st.XonChar = 17;
        st.XoffChar = 19;
    }
    if (options & 1) {
        st.fOutX = true;
        st.XonChar = 17;
        st.XoffChar = 19;
    }
    return ApplyLineState(st);
}

Integer TSioBaseDispatcher::ClearSoftwareFlow() {
    TCriticalSectionGuard gm(mainLock_);
    SerialDeviceState st;
    GetDeviceState(st);
    st.fOutX = false;
    st.fInX = false;
    return ApplyLineState(st);
}

Integer TSioBaseDispatcher::SetFlowChars(char xon, char xoff) {
    TCriticalSectionGuard gm(mainLock_);
    SerialDeviceState st;
    GetDeviceState(st);
    st.XonChar = xon;
    st.XoffChar = xoff;
    return ApplyLineState(st);
}

Integer TSioBaseDispatcher::GetFlowSettings(Cardinal& hardwareOptions, Cardinal& softwareOptions, char& xoff,
                                            char& xon) {
    TCriticalSectionGuard gm(mainLock_);
    SerialDeviceState st;
    Integer r = GetDeviceState(st);
    hardwareOptions = (st.fDtrControl == DTR_CONTROL_HANDSHAKE ? 1 : 0) |
                      (st.fRtsControl == RTS_CONTROL_HANDSHAKE ? 2 : 0) | (st.fOutxDsrFlow ? 4 : 0) |
                      (st.fOutxCtsFlow ? 8 : 0);
    softwareOptions = (st.fInX ? 2 : 0) | (st.fOutX ? 1 : 0);
    xoff = st.XoffChar;
    xon = st.XonChar;
    return r;
}

void TSioBaseDispatcher::SetOptionFlags(Cardinal bits) {
    TCriticalSectionGuard gm(mainLock_);
    optionFlags_ |= bits;
}

void TSioBaseDispatcher::ClearOptionFlags(Cardinal bits) {
    TCriticalSectionGuard gm(mainLock_);
    optionFlags_ &= ~bits;
}

void TSioBaseDispatcher::SetRS485(bool on) {
    TCriticalSectionGuard gm(mainLock_);
    rs485_ = on;
    ApplyPriorities();
}

// ---------------------------------------------------------------------------
// Output
// ---------------------------------------------------------------------------

Integer TSioBaseDispatcher::SendBlock(const void* data, Cardinal count) {
    if (count == 0) return 0;
    // A device that vanished takes nothing more: say so instead of queueing
    // bytes that would never leave.
    if (deviceLost_) return -kOsErrorDeviceFailure;
    Integer queued;
    {
        TCriticalSectionGuard go(outLock_);
        if (outRing_.empty()) return -3006;
        SerialStatus st;
        errorBits_ = ReadErrorsAndStatus(st) & 0x1F;
        Cardinal free = outSize_ - outCount_;
        if (count > free) return -3006;
        queued = QueueOutput(static_cast<const Byte*>(data), count);
        if (queued <= 0) {
            ReadErrorsAndStatus(st);
            return -3004;
        }
        outputSent_ = true;
    }
    TCriticalSectionGuard gm(mainLock_);
    if (logActive_) AddLogEntry(kLogDispatch, kLogSubWriteCom, queued, data, queued);
    if (traceActive_) {
        const Byte* p = static_cast<const Byte*>(data);
        for (Integer i = 0; i < queued; ++i) AddTraceEntry('T', p[i]);
    }
    return 0;
}

Integer TSioBaseDispatcher::QueueOutput(const Byte* data, Cardinal count) {
    TCriticalSectionGuard go(outLock_);
    const Cardinal size = static_cast<Cardinal>(outRing_.size());
    if (size == 0 || count > size - outCount_) return 0;
    Cardinal room = size - outHead_;
    if (count > room) {
        std::memcpy(&outRing_[outHead_], data, room);
        std::memcpy(&outRing_[0], data + room, count - room);
        outHead_ = count - room;
    } else {
        std::memcpy(&outRing_[outHead_], data, count);
        outHead_ += count;
        if (outHead_ == size) outHead_ = 0;
    }
    outCount_ += count;
    if (events_[3]) events_[3]->Set();
    return static_cast<Integer>(count);
}

void TSioBaseDispatcher::AdvanceOutputTail(Cardinal n) {
    TCriticalSectionGuard go(outLock_);
    if (n > outCount_) n = outCount_;
    outCount_ -= n;
    if (outCount_ == 0) outHead_ = 0;
}

Cardinal TSioBaseDispatcher::OutputUsed() {
    TCriticalSectionGuard go(outLock_);
    RefreshLineErrors();
    return outCount_;
}

Cardinal TSioBaseDispatcher::OutputFree() {
    TCriticalSectionGuard go(outLock_);
    Cardinal used = OutputUsed();
    return outSize_ > used ? outSize_ - used : 0;
}

Integer TSioBaseDispatcher::FlushOutput() { return PurgeQueue(false); }

Integer TSioBaseDispatcher::FlushInput() {
    TCriticalSectionGuard gi(inLock_);
    Integer r = PurgeQueue(true);
    bool wasFull = inFull_;
    if (inAvailNotification_) {
        // The notification's end consumes everything that was unread.
        availMaximum_ = RingCount(inHead_, inTail_, inFull_);
    } else {
        inTail_ = inHead_;
        availCount_ = 0;
        inFull_ = false;
    }
    ResetDataMatches();
    if (wasFull && !inFull_) WakeDeviceWaiter();
    return r;
}

// ---------------------------------------------------------------------------
// Input
// ---------------------------------------------------------------------------

Integer TSioBaseDispatcher::PeekReceived(Byte& value, Cardinal n) {
    TCriticalSectionGuard gi(inLock_);
    if (inRing_.empty() || n == 0 || RingCount(inHead_, inTail_, inFull_) < n) return -3007;
    value = inRing_[(inTail_ + n - 1) % kSioRingSize];
    return 0;
}

Integer TSioBaseDispatcher::TakeReceived(Byte& value) {
    TCriticalSectionGuard gi(inLock_);
    Integer r;
    if (inAvailNotification_) {
        ++availCount_;
        r = PeekReceived(value, availCount_);
        if (r != 0) --availCount_;
    } else {
        r = PeekReceived(value, 1);
        if (r == 0) {
            inTail_ = (inTail_ + 1) % kSioRingSize;
            if (inFull_) {
                inFull_ = false;
                // The event thread stopped watching input while the ring was full.
                WakeDeviceWaiter();
            }
        }
    }
    if (r == 0 && traceActive_) AddTraceEntry('R', value);
    return r;
}

Cardinal TSioBaseDispatcher::ReceivedCount() {
    TCriticalSectionGuard gi(inLock_);
    Cardinal n = RingCount(inHead_, inTail_, inFull_);
    if (inAvailNotification_) n = n > availCount_ ? n - availCount_ : 0;
    return n;
}

bool TSioBaseDispatcher::FillReceiveRing() {
    TCriticalSectionGuard gi(inLock_);
    if (inRing_.empty()) return false;
    if (inFull_) return true;
    SerialStatus status;
    errorBits_ |= ReadErrorsAndStatus(status) & 0x1F;
    Cardinal waiting = status.cbInQue;
    if (waiting == 0) return false;

    Cardinal free, contiguous;
    if (inHead_ == inTail_) {
        free = kSioRingSize;
        contiguous = kSioRingSize - inHead_;
    } else if (inTail_ < inHead_) {
        free = inTail_ + kSioRingSize - inHead_;
        contiguous = kSioRingSize - inHead_;
    } else {
        free = contiguous = inTail_ - inHead_;
    }
    Cardinal want = std::min(free, waiting);
    Cardinal second = contiguous < want ? want - contiguous : 0;
    bool any = false;

    if (contiguous > 0) {
        Integer n = ReadDevice(&inRing_[inHead_], contiguous);
        if (n < 0) n = 0;
        if (n > 0 && logActive_) AddLogEntry(kLogDispatch, kLogSubReadCom, n, &inRing_[inHead_], n);
        inHead_ += n;
        if (static_cast<Cardinal>(n) < contiguous) second = 0;
        if (n > 0) any = true;
    }
    if (inHead_ == kSioRingSize) inHead_ = 0;
    if (any) inFull_ = inHead_ == inTail_;
    if (second > 0) {
        Integer n = ReadDevice(&inRing_[inHead_], second);
        if (n < 0) n = 0;
        if (n > 0 && logActive_) AddLogEntry(kLogDispatch, kLogSubReadCom, n, &inRing_[inHead_], n);
        inHead_ += n;
        if (n > 0) any = true;
        inFull_ = inHead_ == inTail_;
    }
    if (any) bytesSinceNotify_ = true;
    return true;
}

// ---------------------------------------------------------------------------
// Modem status and line errors
// ---------------------------------------------------------------------------

Byte TSioBaseDispatcher::ReadModemStatus(Byte mask) {
    TCriticalSectionGuard gm(mainLock_);
    Cardinal lines = 0;
    ReadModemLines(lines);
    Byte status = static_cast<Byte>((lines & 0xF0) | (modemStatus_ & 0x0F));
    if (ringSeen_.exchange(false)) status |= 0x04;
    modemStatus_ = status & mask;
    return status;
}

void TSioBaseDispatcher::RefreshModemDeltas() {
    TCriticalSectionGuard gm(mainLock_);
    Byte old = modemStatus_;
    ReadModemStatus(0xFF);
    modemStatus_ |= static_cast<Byte>(((old ^ modemStatus_) >> 4) & 0x0F);
}

void TSioBaseDispatcher::RefreshLineErrors() {
    SerialStatus st;
    Cardinal bits = ReadErrorsAndStatus(st);
    errorBits_ |= bits & 0x1F;
}

Integer TSioBaseDispatcher::TakeLineError() {
    TCriticalSectionGuard gm(mainLock_);
    Cardinal bits = errorBits_;
    Integer result = 0;
    if (bits & CE_RXOVER) result = 1;
    else if (bits & CE_OVERRUN) result = 2;
    else if (bits & CE_RXPARITY) result = 3;
    else if (bits & CE_FRAME) result = 4;
    else if (bits & CE_BREAK) result = 9;
    if (result != 0) errorBits_ &= ~0x0Fu;
    return result;
}

bool TSioBaseDispatcher::TakeLineBreak() {
    TCriticalSectionGuard gm(mainLock_);
    bool b = (errorBits_ & CE_BREAK) != 0;
    errorBits_ &= ~CE_BREAK;
    return b;
}
