#pragma once
// The dispatcher: one per open serial port. It owns the device, the line
// settings, an 8192-byte receive ring that its worker threads fill, an
// output ring its output thread drains, the data-available notification to
// handler windows, the trigger lists, and the trace and dispatch log.
//
// Every operation reports failure as a result code: 0 or a positive count
// for success, a negative code for failure (codes below -1000 are the serial
// library's own, other negative codes are platform error numbers negated).
// The dispatcher never raises for a device failure; the port component
// turns codes into exceptions.
//
// Locks: the main lock guards the line state, the trigger and handler
// lists, the trace and log; the output lock the output ring; the input lock
// the receive ring and the avail count. A thread holding the input lock may
// take the main or the output lock; no thread takes the input lock while
// holding the main or the output lock, and the main and output locks are
// never held together.

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/Component.h"
#include "platform/core/Threads.h"
#include "platform/core/Types.h"
#include "platform/os/PollEvent.h"
#include "platform/os/SerialDevice.h"
#include "serial/SioComWindow.h"
#include "serial/SioUtils.h"

constexpr Cardinal kSioRingSize = 8192;

// Log entry kinds and subkinds that this system records.
constexpr Byte kLogDispatch = 1;
constexpr Byte kLogTrigger = 2;
constexpr Byte kLogError = 3;
constexpr Byte kLogTrigHdAlloc = 7;
constexpr Byte kLogTrigHdDispose = 8;
constexpr Byte kLogTrigDataChange = 9;
constexpr Byte kLogSubReadCom = 1;
constexpr Byte kLogSubWriteCom = 2;
constexpr Byte kLogSubAvail = 5;
constexpr Byte kLogSubTimer = 6;
constexpr Byte kLogSubData = 7;
constexpr Byte kLogSubStatus = 8;
constexpr Byte kLogSubTrigAvail = 16;
constexpr Byte kLogSubWindow = 17;

// Trigger records, laid out as the dispatcher keeps them.
struct TSioTimerTrigger {
    Integer Handle = 0;
    TSioTickTimer Timer;
    Byte Unused[8] = {};
    Integer Active = 0;
};
struct TSioDataTrigger {
    Integer Handle = 0;
    Integer Length = 0;
    Integer Counters[22] = {};
    Integer Matched = 0;
    Integer IgnoreCase = 0;
    char Text[24] = {};
};
struct TSioStatusTrigger {
    Integer Handle = 0;
    Integer Kind = 0;
    Word Value = 0;
    Byte Armed = 0;
    Byte Hit = 0;
};
static_assert(sizeof(TSioTimerTrigger) == 24);
static_assert(sizeof(TSioDataTrigger) == 128);
static_assert(sizeof(TSioStatusTrigger) == 12);

// Status trigger kinds.
constexpr Integer kStatusModem = 1;
constexpr Integer kStatusLineError = 2;
constexpr Integer kStatusOutFree = 3;
constexpr Integer kStatusOutUsed = 4;
constexpr Integer kStatusOutSent = 5;

// A copy of a dispatcher's triggers, kept by the port component across a
// close and the next open.
struct TSioSavedTriggers {
    Integer AvailThreshold = 0;
    std::optional<std::vector<TSioTimerTrigger>> Timers;
    std::optional<std::vector<TSioDataTrigger>> Data;
    std::optional<std::vector<TSioStatusTrigger>> Status;
};

class TSioBaseDispatcher;

// A worker thread of a dispatcher.
class TSioDispatcherThread : public TThread {
public:
    explicit TSioDispatcherThread(TSioBaseDispatcher* dispatcher) : TThread(true), Dispatcher(dispatcher) {}
    // True once the body has run ThreadFinished.
    bool BodyDone() const { return bodyDone_.load(); }
    Integer Priority = 0;

    TSioBaseDispatcher* Dispatcher;

protected:
    void DoTerminate() override {}
    // Runs Body, reporting its end to the dispatcher whatever way it ends.
    void Execute() override;
    virtual void Body() = 0;

private:
    std::atomic<bool> bodyDone_{false};
};

class TComThread : public TSioDispatcherThread {
public:
    using TSioDispatcherThread::TSioDispatcherThread;

protected:
    void Body() override;
};

class TDispThread : public TSioDispatcherThread {
public:
    using TSioDispatcherThread::TSioDispatcherThread;

protected:
    void Body() override;
};

class TOutThread : public TSioDispatcherThread {
public:
    using TSioDispatcherThread::TSioDispatcherThread;

protected:
    void Body() override;
};

class TSioBaseDispatcher : public TObject {
    friend class TComThread;
    friend class TDispThread;
    friend class TOutThread;
    friend class TSioDispatcherThread;

public:
    explicit TSioBaseDispatcher(TComponent* owner);
    ~TSioBaseDispatcher() override;
    TSioBaseDispatcher(const TSioBaseDispatcher&) = delete;
    TSioBaseDispatcher& operator=(const TSioBaseDispatcher&) = delete;

    TComponent* Owner() const { return owner_; }
    // The index in the global dispatcher list; sent in notifications.
    Integer Number() const { return number_; }
    std::string DeviceName;  // "COM" and the port number, for the dispatch log

    // ---- Device operations (the device layer) --------------------------
    virtual Integer EscapeFunction(Integer function) = 0;
    virtual Integer PurgeQueue(bool input) = 0;
    // The line error flags (CE_ values) since the last call; fills the
    // status record (whose output count is the output ring's).
    virtual Cardinal ReadErrorsAndStatus(SerialStatus& status) = 0;
    virtual void ReadFailed(Integer code) {}
    virtual Integer GetDeviceState(SerialDeviceState& state) = 0;
    virtual Integer ReadDevice(Byte* buffer, Cardinal count) = 0;
    virtual Integer SetDeviceState(const SerialDeviceState& state) = 0;
    virtual Integer QueueOutput(const Byte* data, Cardinal count);
    virtual bool SetupQueues(Cardinal inSize, Cardinal outSize) = 0;
    virtual void ReleasePort();
    virtual void StartThreads();
    virtual void StopThreads();
    // A handle (0 or above) or a negative code.
    virtual Integer OpenHandle(const std::string& name) = 0;
    virtual Integer CloseDevice() = 0;
    virtual Integer YieldTime();
    virtual void SetThreadBoost(Byte boost);
    virtual void SetHandlerFlags(Integer kind);

    // Device primitives the worker threads use.
    virtual bool DeviceValid() const = 0;
    virtual bool DeviceVanished() const = 0;
    virtual void SetDeviceEventMask(Cardinal mask) = 0;
    // Ends the event thread's wait (it then looks at the ring again).
    virtual void WakeDeviceWaiter() = 0;
    // Whether the event thread should watch for input: not while the
    // receive ring is full, so that unread bytes cannot make it spin.
    bool InputWanted();
    // Whether the dispatch thread must look around every 50 ms.
    bool NeedsPolling();
    // Makes the dispatch thread take a turn now (a trigger was added).
    void WakeDispatchThread();
    // Waits for a device event; false when the device failed or closed.
    virtual bool WaitDeviceEvent(Cardinal& mask, bool watchInput) = 0;
    // Non-blocking write: bytes written, 0 when the device takes nothing now,
    // or a negative code.
    virtual Integer WriteDevice(const Byte* data, Cardinal count) = 0;
    // Waits until the device takes output or `cancel` is set:
    // kWaitDeviceReady, 0 (cancel) or kWaitDeviceFailed.
    virtual Integer WaitDeviceWritable(PollEvent& cancel) = 0;
    virtual bool ReadModemLines(Cardinal& lines) = 0;
    virtual Integer LastError() const { return lastError_; }

    // ---- Port, line settings and rings -----------------------------------
    Integer OpenPort(const std::string& name, Integer baud, Cardinal lines, Cardinal outSize, Cardinal inSize,
                     Word stopBits, Word dataBits, Integer parity);
    void ShutDownPort();
    Integer ResizeQueues(Cardinal inSize, Cardinal outSize);
    Integer ChangeLineSettings(Integer baud, Integer parity, Word stopBits, Word dataBits);
    void GetLineSettings(Integer& baud, Integer& parity, Word& stopBits, Word& dataBits);
    Integer SetDTRLine(bool level);
    Integer SetRTSLine(bool level);
    Integer SetHardwareFlow(Cardinal full, Cardinal resume, Cardinal options);
    Integer SetSoftwareFlow(Cardinal full, Cardinal resume, Cardinal options);
    Integer ClearSoftwareFlow();
    Integer SetFlowChars(char xon, char xoff);
    Integer GetFlowSettings(Cardinal& hardwareOptions, Cardinal& softwareOptions, char& xoff, char& xon);
    void SetOptionFlags(Cardinal bits);
    void ClearOptionFlags(Cardinal bits);
    Cardinal OptionFlags() const { return optionFlags_; }

    Integer SendBlock(const void* data, Cardinal count);
    Cardinal OutputUsed();
    Cardinal OutputFree();
    Integer FlushOutput();
    Integer FlushInput();
    Integer TakeReceived(Byte& value);
    Integer PeekReceived(Byte& value, Cardinal n);
    Cardinal ReceivedCount();
    bool FillReceiveRing();

    Byte ReadModemStatus(Byte mask);
    void RefreshModemDeltas();
    void RefreshLineErrors();
    Integer TakeLineError();
    bool TakeLineBreak();
    void SetRS485(bool on);
    bool RS485Mode() const { return rs485_; }

    // Settings as last applied (for inspection).
    SerialDeviceState DeviceState();
    bool DtrLevel() const { return dtrLevel_; }
    bool RtsLevel() const { return rtsLevel_; }
    bool DtrAutomatic() const { return dtrAuto_; }
    bool RtsAutomatic() const { return rtsAuto_; }
    Cardinal LastBaud() const { return lastBaud_; }
    Cardinal InputQueueSize() const { return inQueueSize_; }
    Cardinal OutputSize() const { return outSize_; }

    // The receive ring's count for head, tail and full flag.
    static Cardinal RingCount(Cardinal head, Cardinal tail, bool full);
    // Legacy baud index codes (0xFF10 and up) as rates; other values unchanged.
    static Cardinal ResolveBaudCode(Cardinal baud);

    // ---- Worker threads and notification ---------------------------------
    bool Notify(Cardinal message, Cardinal param, Word data);
    void AddWindowHandler(TSioWindow window);
    void RemoveWindowHandler(TSioWindow window);
    void SetAvailThreshold(Integer n);
    Integer AvailThreshold() const { return availThreshold_; }
    Byte ThreadBoost() const { return threadBoost_; }
    void ThreadFinished(TSioDispatcherThread* thread);
    bool Dispatching() const { return dispatching_.load(); }
    bool ThreadsStarted() const { return threadsStarted_.load(); }
    bool ClosePending() const { return closePending_.load(); }
    // The device hung up (was unplugged) while open: the threads have ended
    // or are ending, and writes fail.
    bool DeviceLost() const { return deviceLost_.load(); }
    Integer RunningThreads() const { return runningThreads_.load(); }
    // Priorities of the threads that exist (-1 for none): event, dispatch, output.
    void ThreadPriorities(Integer& event, Integer& dispatch, Integer& output);
    // Notifications whose handler window did not answer in time.
    Integer NotifyTimeouts() const { return notifyTimeouts_.load(); }
    // Device events the event thread has handed to the dispatch thread.
    Integer DeviceEventTurns() const { return deviceEventTurns_.load(); }
    // Called (on any thread) once every worker thread has ended; replaced
    // by each call, empty clears it.
    void SetOnThreadsEnded(std::function<void()> callback);

    // How long a handler window may take to answer a notification.
    static std::atomic<Cardinal> NotifyTimeoutMs;

    // ---- Trace and dispatch log ------------------------------------------
    Integer StartTrace(Cardinal count);
    Integer ClearTrace();
    void StopTrace();
    void ResumeTrace();
    void PauseTrace();
    void AddTraceEntry(char kind, Byte value);
    Integer WriteTrace(const std::string& name, bool append, bool allHex, bool hex);
    bool TraceActive() const { return traceActive_.load(); }
    bool HasTraceBuffer();

    void StartLog(Cardinal size);
    void ClearLog();
    void StopLog();
    void ResumeLog();
    void PauseLog();
    void AddLogEntry(Byte kind, Byte subkind, Cardinal length, const void* data, Cardinal value);
    bool PutLogBytes(const void* data, Cardinal n);
    // Takes the oldest entry out of the ring; true when the ring was empty.
    bool GetLogEntry(Byte* entry16, std::vector<Byte>& scratch, Cardinal& length);
    Integer WriteLog(const std::string& name, bool append, bool allHex, bool hex);
    Cardinal LogClock();
    bool LogActive() const { return logActive_.load(); }
    bool HasLogBuffer();

    static std::string LogTimeText(Cardinal ms);
    static std::string OperatingSystemText();
    // The library's version text (also the port component's Version).
    static std::string LibraryVersion();

    // ---- Triggers ---------------------------------------------------------
    bool CheckTimerTriggers();
    bool CheckStatusTriggers();
    bool CheckDataTriggers();
    void ResetStatusTriggers();
    void ResetDataMatches();
    void ClearTriggers();
    void SaveTriggers(TSioSavedTriggers& saved);
    void RestoreTriggers(const TSioSavedTriggers& saved);
    // Triggers that OpenPort restores before it starts the threads (the
    // dispatch thread reads the lists without a lock).
    void RestoreTriggersAtOpen(const TSioSavedTriggers& saved) { triggersAtOpen_ = saved; }
    static void FreeSavedTriggers(TSioSavedTriggers& saved);
    static bool MatchDataTrigger(Integer* counters, Byte value, Integer length, bool ignoreCase, const char* text);
    Cardinal CountUpTo(Cardinal position, Cardinal length);
    // Adds triggers (nothing in the program does; tests and tools may, before
    // the port's threads run: the dispatch thread reads the lists unlocked).
    Integer AddTimerTrigger(Integer ticks);
    Integer AddDataTrigger(const std::string& text, bool ignoreCase);
    Integer AddStatusTrigger(Integer kind, Word value);
    std::size_t TimerTriggerCount();
    std::size_t DataTriggerCount();
    std::size_t StatusTriggerCount();

protected:
    // One turn of the dispatch thread: device events, reading, triggers.
    void DispatchEvent();
    void PollTriggers();
    void DrainOutput();
    bool DataAvailableCheck();
    void RunStatusRound();
    // Writes the head and tail of the output ring; under the output lock.
    Cardinal OutputCount() const { return outCount_; }
    void AdvanceOutputTail(Cardinal n);
    void LogThreadEnd();
    void SignalAllThreads();
    void WaitForThread(TSioDispatcherThread* thread);
    void ApplyPriorities();

    Integer ApplyLineState(SerialDeviceState& state);
    void WaitOutputDrained();

    TCriticalSection mainLock_;
    TCriticalSection outLock_;
    TCriticalSection inLock_;

    TComponent* owner_;
    Integer number_ = -1;
    Integer lastError_ = 0;

    std::atomic<Cardinal> errorBits_{0};
    Cardinal inQueueSize_ = 0;
    Cardinal outSize_ = 0;
    Byte modemStatus_ = 0;
    SerialStatus deviceStatus_;
    SerialDeviceState dcb_;
    Cardinal lastBaud_ = 115200;
    Cardinal optionFlags_ = 0;
    bool dtrLevel_ = false, dtrAuto_ = false, rtsLevel_ = false, rtsAuto_ = false;
    bool rs485_ = false;
    Word baseAddress_ = 0;

    // Handler lists.
    struct WindowHandler {
        TSioWindow Window;
        bool Deleted;
    };
    std::vector<WindowHandler> windowHandlers_;
    bool portHandlerInstalled_ = false;
    std::atomic<bool> serviceNeeded_{false};
    std::atomic<bool> removalPending_{false};

    // Notification state.
    bool inAvailNotification_ = false;
    Cardinal availCount_ = 0;
    Cardinal availMaximum_ = 0;
    std::atomic<Integer> availThreshold_{0};
    Cardinal dataScanPosition_ = 0;
    Cardinal notificationTail_ = 0;
    bool bytesSinceNotify_ = false;  // bytes arrived since the last avail notification
    std::atomic<bool> dispatching_{false};
    std::atomic<bool> closePending_{false};
    std::atomic<bool> threadsStarted_{false};
    std::atomic<bool> releaseAtThreadEnd_{false};
    std::atomic<Integer> runningThreads_{0};
    std::atomic<bool> killThreads_{false};
    std::atomic<bool> deviceLost_{false};
    std::atomic<bool> notifyTimedOut_{false};
    std::atomic<bool> notifyServed_{false};  // the last notification reached a handler
    std::atomic<Integer> notifyTimeouts_{0};
    std::atomic<Integer> deviceEventTurns_{0};
    Byte threadBoost_ = 0;
    std::mutex endedLock_;
    std::function<void()> onThreadsEnded_;

    // Threads (owned; deleted once they have ended).
    std::unique_ptr<TComThread> comThread_;
    std::unique_ptr<TDispThread> dispThread_;
    std::unique_ptr<TOutThread> outThread_;
    std::atomic<TSioDispatcherThread*> liveCom_{nullptr};
    std::atomic<TSioDispatcherThread*> liveDisp_{nullptr};
    std::atomic<TSioDispatcherThread*> liveOut_{nullptr};

    // Events: E0 device event seen, E1 dispatch done, E2 acknowledge,
    // E3 output queued, E4 write done (unused on this platform: the device
    // itself is waited on), E5 output control.
    std::unique_ptr<PollEvent> events_[6];
    std::atomic<Cardinal> deviceEventMask_{0};
    std::atomic<bool> ringSeen_{false};

    // Output ring: count-based, so a full ring and an empty one differ.
    std::vector<Byte> outRing_;
    Cardinal outHead_ = 0;  // where the next queued byte goes
    Cardinal outCount_ = 0;
    std::atomic<bool> outputSent_{false};

    // Receive ring.
    std::vector<Byte> inRing_;
    Cardinal inHead_ = 0;
    Cardinal inTail_ = 0;
    bool inFull_ = false;

    // Trace.
    std::atomic<bool> traceActive_{false};
    std::vector<Byte> traceBuf_;
    Cardinal traceCapacity_ = 0;
    Integer tracePos_ = 0;
    bool traceWrapped_ = false;

    // Dispatch log.
    std::atomic<bool> logActive_{false};
    std::vector<Byte> logBuf_;
    std::vector<Byte> logScratch_;
    Cardinal logHead_ = 0, logTail_ = 0, logFree_ = 0, logSize_ = 0;
    Cardinal logClockBase_ = 0;

    // Triggers.
    std::vector<TSioTimerTrigger> timerTriggers_;
    std::vector<TSioDataTrigger> dataTriggers_;
    std::vector<TSioStatusTrigger> statusTriggers_;
    Integer triggerHandleCounter_ = 1;
    std::optional<TSioSavedTriggers> triggersAtOpen_;
    bool statusHit_ = false;
};

// The global dispatcher list: the dispatcher at a number, or null. The
// caller holds the list lock while it uses the result.
TCriticalSection& SioDispatcherListLock();
TSioBaseDispatcher* SioDispatcherAt(Integer number);
