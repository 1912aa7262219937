#pragma once
// TSioComPort: the serial port component. It holds the port's settings as
// properties, opens the port on first use (AutoOpen), re-applies settings
// to the open port, and turns the dispatcher's notifications into events on
// the user-interface thread, of which OnTriggerAvail (bytes have arrived,
// with their count) is the one the program uses. Received bytes are read one
// at a time with ReadChar; commands go out with WriteString. Every failure
// reaches the caller as a serial exception (SioErrors.h).
//
// Events are set through their Set... functions, because assigning one
// changes whether the dispatcher notifies at all.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Component.h"
#include "platform/core/Types.h"
#include "serial/SioBaseDispatcher.h"
#include "serial/SioComWindow.h"

enum TDeviceLayer { dlWin32, dlWinsock };
enum TParity { pNone, pOdd, pEven, pMark, pSpace };
enum THWFlowOption { hwfUseDTR, hwfUseRTS, hwfRequireDSR, hwfRequireCTS };
enum TSWFlowOptions { swfNone, swfReceive, swfTransmit, swfBoth };
enum TTraceLogState { tlOff, tlOn, tlDump, tlAppend, tlClear, tlPause };
enum TTapiMode { tmNone, tmAuto, tmOn, tmOff };

// A set of THWFlowOption.
class THWFlowOptions {
public:
    THWFlowOptions() = default;
    THWFlowOptions(std::initializer_list<THWFlowOption> items) {
        for (auto i : items) Include(i);
    }
    bool Contains(THWFlowOption o) const { return (bits_ & (1u << o)) != 0; }
    void Include(THWFlowOption o) { bits_ |= 1u << o; }
    void Exclude(THWFlowOption o) { bits_ &= ~(1u << o); }
    bool Empty() const { return bits_ == 0; }
    // The dispatcher's option bits: 1 DTR, 2 RTS, 4 DSR, 8 CTS.
    Cardinal Bits() const { return bits_; }
    bool operator==(const THWFlowOptions&) const = default;

private:
    Cardinal bits_ = 0;
};

using TTriggerEvent = std::function<void(TObject* cp, Word msg, Word triggerHandle, Word data)>;
using TTriggerAvailEvent = std::function<void(TObject* cp, Word count)>;
using TTriggerDataEvent = std::function<void(TObject* cp, Word triggerHandle)>;
using TTriggerStatusEvent = std::function<void(TObject* cp, Word triggerHandle)>;
using TTriggerTimerEvent = std::function<void(TObject* cp, Word triggerHandle)>;
using TTriggerLineErrorEvent = std::function<void(TObject* cp, Word error, bool lineBreak)>;
using TWaitCharEvent = std::function<void(TObject* cp, char c)>;

// Someone told of the port opening and closing: a window (messages
// 0x7E08 opened, 0x7E09 closed, 0x7E0A closing) or a callback.
struct TSioPortUser {
    TSioWindow Window = 0;
    // Simple callbacks hear True on open and False on close; extended ones
    // 0 on open, 1 while closing and 2 on close.
    std::function<void(TObject* port, Integer state)> Callback;
    bool Extended = false;
};

class TSioBaseComponent : public TComponent {
public:
    explicit TSioBaseComponent(TComponent* owner) : TComponent(owner) {}
    // The library's version text; writing it does nothing.
    std::string Version() const;
    void SetVersion(const std::string&) {}
};

class TSioCustomComPort : public TSioBaseComponent {
public:
    explicit TSioCustomComPort(TComponent* owner);
    ~TSioCustomComPort() override;

    // ---- Properties ------------------------------------------------------
    TDeviceLayer DeviceLayer() const { return deviceLayer_; }
    void SetDeviceLayer(TDeviceLayer value);
    Word ComNumber() const { return comNumber_; }
    void SetComNumber(Word value);
    Integer Baud() const { return baud_; }
    void SetBaud(Integer value);
    bool PromptForPort() const { return promptForPort_; }
    void SetPromptForPort(bool value) { promptForPort_ = value; }
    TParity Parity() const { return parity_; }
    void SetParity(TParity value);
    Word DataBits() const { return dataBits_; }
    void SetDataBits(Word value);
    Word StopBits() const { return stopBits_; }
    void SetStopBits(Word value);
    Word InSize() const { return inSize_; }
    void SetInSize(Word value);
    Word OutSize() const { return outSize_; }
    void SetOutSize(Word value);
    bool AutoOpen() const { return autoOpen_; }
    void SetAutoOpen(bool value) { autoOpen_ = value; }
    bool Open() const { return open_; }
    void SetOpen(bool value);
    bool DTR() const { return dtr_; }
    void SetDTR(bool value);
    bool RTS() const { return rts_; }
    void SetRTS(bool value);
    THWFlowOptions HWFlowOptions() const { return hwFlow_; }
    void SetHWFlowOptions(THWFlowOptions value);
    TSWFlowOptions SWFlowOptions() const { return swFlow_; }
    void SetSWFlowOptions(TSWFlowOptions value);
    char XOnChar() const { return xonChar_; }
    void SetXOnChar(char value);
    char XOffChar() const { return xoffChar_; }
    void SetXOffChar(char value);
    Word BufferFull() const { return bufferFull_; }
    void SetBufferFull(Word value);
    Word BufferResume() const { return bufferResume_; }
    void SetBufferResume(Word value);
    TTraceLogState Tracing() const { return tracing_; }
    void SetTracing(TTraceLogState value);
    Cardinal TraceSize() const { return traceSize_; }
    void SetTraceSize(Cardinal value);
    const std::string& TraceName() const { return traceName_; }
    void SetTraceName(const std::string& value) { traceName_ = value.substr(0, 255); }
    bool TraceHex() const { return traceHex_; }
    void SetTraceHex(bool value) { traceHex_ = value; }
    bool TraceAllHex() const { return traceAllHex_; }
    void SetTraceAllHex(bool value) { traceAllHex_ = value; }
    TTraceLogState Logging() const { return logging_; }
    void SetLogging(TTraceLogState value);
    Cardinal LogSize() const { return logSize_; }
    void SetLogSize(Cardinal value);
    const std::string& LogName() const { return logName_; }
    void SetLogName(const std::string& value) { logName_ = value.substr(0, 255); }
    bool LogHex() const { return logHex_; }
    void SetLogHex(bool value) { logHex_ = value; }
    bool LogAllHex() const { return logAllHex_; }
    void SetLogAllHex(bool value) { logAllHex_ = value; }
    // Its setter does nothing, so it always reads True.
    bool UseMSRShadow() const { return true; }
    virtual void SetUseMSRShadow(bool) {}
    bool UseEventWord() const { return useEventWord_; }
    void SetUseEventWord(bool value);
    Word CommNotificationLevel() const { return commNotificationLevel_; }
    void SetCommNotificationLevel(Word value);
    TTapiMode TapiMode() const { return tapiMode_; }
    void SetTapiMode(TTapiMode value) { tapiMode_ = value; }
    bool RS485Mode() const { return rs485Mode_; }
    void SetRS485Mode(bool value);
    Word AvailThreshold() const { return availThreshold_; }
    void SetAvailThreshold(Word value);
    Byte PriorityBoost() const { return priorityBoost_; }
    void SetPriorityBoost(Byte value);

    // ---- Events ----------------------------------------------------------
    TNotifyEvent OnPortClose;
    TNotifyEvent OnPortOpen;
    const TTriggerEvent& OnTrigger() const { return onTrigger_; }
    void SetOnTrigger(TTriggerEvent e);
    const TTriggerAvailEvent& OnTriggerAvail() const { return onTriggerAvail_; }
    void SetOnTriggerAvail(TTriggerAvailEvent e);
    const TTriggerDataEvent& OnTriggerData() const { return onTriggerData_; }
    void SetOnTriggerData(TTriggerDataEvent e);
    const TTriggerStatusEvent& OnTriggerStatus() const { return onTriggerStatus_; }
    void SetOnTriggerStatus(TTriggerStatusEvent e);
    const TTriggerTimerEvent& OnTriggerTimer() const { return onTriggerTimer_; }
    void SetOnTriggerTimer(TTriggerTimerEvent e);
    const TTriggerLineErrorEvent& OnTriggerLineError() const { return onTriggerLineError_; }
    void SetOnTriggerLineError(TTriggerLineErrorEvent e);
    const TNotifyEvent& OnTriggerModemStatus() const { return onTriggerModemStatus_; }
    void SetOnTriggerModemStatus(TNotifyEvent e);
    const TNotifyEvent& OnTriggerOutbuffFree() const { return onTriggerOutbuffFree_; }
    void SetOnTriggerOutbuffFree(TNotifyEvent e);
    const TNotifyEvent& OnTriggerOutbuffUsed() const { return onTriggerOutbuffUsed_; }
    void SetOnTriggerOutbuffUsed(TNotifyEvent e);
    const TNotifyEvent& OnTriggerOutSent() const { return onTriggerOutSent_; }
    void SetOnTriggerOutSent(TNotifyEvent e);
    // Set only from code; fired by DoWaitChar.
    TWaitCharEvent OnWaitChar;

    // ---- Operations ------------------------------------------------------
    // The next received byte; 0 while the port is shutting down. Raises
    // EBufferIsEmpty when nothing is left.
    char ReadChar();
    // Queues the text's bytes for sending; nothing while shutting down.
    void WriteString(const std::string& text);
    void YieldToDispatcher();
    Word CurrentLineError();
    bool CurrentLineBreak();

    // The dispatcher, opening the port first when AutoOpen allows it; none
    // when it could not.
    TSioBaseDispatcher* AutoOpenDispatcher();
    // The dispatcher or ECommNotOpen.
    TSioBaseDispatcher* RequireDispatcher();
    // The dispatcher of the open port (none while closed).
    TSioBaseDispatcher* Dispatcher() const { return dispatcher_.get(); }
    bool ShuttingDown() const { return portState_ == psShuttingDown; }

    std::vector<TSioPortUser>& PortUsers() { return portUsers_; }
    TSioSavedTriggers& SavedTriggers() { return savedTriggers_; }
    TSioWindow NotifyWindow() const { return notifyWindow_; }

    void Assign(const TPersistent* source) override;

    // Event firers.
    virtual void DoTrigger(Word msg, Word triggerHandle, Word data);
    virtual void DoTriggerAvail(Word count);
    virtual void DoTriggerData(Word triggerHandle);
    virtual void DoTriggerStatus(Word triggerHandle);
    virtual void DoTriggerTimer(Word triggerHandle);
    virtual void DoTriggerLineError(Word error, bool lineBreak);
    virtual void DoTriggerModemStatus();
    virtual void DoTriggerOutbuffFree();
    virtual void DoTriggerOutbuffUsed();
    virtual void DoTriggerOutSent();
    virtual void DoWaitChar(char c);

    // The hidden window's procedure: turns dispatcher messages into events.
    static Integer ComWindowProc(TSioWindow window, Cardinal message, Cardinal param, Integer second);

protected:
    void Loaded() override;

    virtual std::unique_ptr<TSioBaseDispatcher> CreateDispatcher();
    virtual void DeviceLayerChanged() {}
    virtual Integer OpenDevice();
    virtual void SetupNotifyWindow(bool create);
    virtual void ValidatePort();
    virtual void UpdateEventHandlers();
    virtual void ClosePort();

    virtual void NotifyPortOpened();
    virtual void NotifyPortClosed();
    virtual void NotifyPortClosing();
    virtual void DoOpen();

private:
    enum TPortState { psClosed, psShuttingDown, psOpen };

    bool Designing() const { return ComponentState().Contains(csDesigning); }
    bool LoadingNow() const { return ComponentState().Contains(csLoading); }
    bool AnyTriggerHandler() const;
    void ApplyTraceState(TTraceLogState value, bool log);
    void FinishDeferredClose();
    // Runs the deferred-close completion once the dispatcher's threads have ended.
    void CompleteClose(TSioBaseDispatcher* dispatcher);

    bool force_ = false;
    TPortState portState_ = psClosed;
    bool openPending_ = false;
    bool forceOpen_ = false;
    std::vector<TSioPortUser> portUsers_;
    bool copyTriggers_ = false;
    TSioSavedTriggers savedTriggers_;
    TSioWindow notifyWindow_ = 0;
    std::unique_ptr<TSioBaseDispatcher> dispatcher_;
    std::vector<TDeviceLayer> allowedLayers_{dlWin32};
    Integer tapiHandle_ = 0;

    TDeviceLayer deviceLayer_ = dlWin32;
    Word comNumber_ = 0;
    Integer baud_ = 19200;
    bool promptForPort_ = true;
    TParity parity_ = pNone;
    Word dataBits_ = 8;
    Word stopBits_ = 1;
    Word inSize_ = 4096;
    Word outSize_ = 4096;
    bool autoOpen_ = true;
    bool open_ = false;
    bool dtr_ = true;
    bool rts_ = true;
    THWFlowOptions hwFlow_;
    TSWFlowOptions swFlow_ = swfNone;
    char xonChar_ = 17;
    char xoffChar_ = 19;
    Word bufferFull_ = 0;
    Word bufferResume_ = 0;
    TTraceLogState tracing_ = tlOff;
    Cardinal traceSize_ = 10000;
    std::string traceName_ = "APRO.TRC";
    bool traceHex_ = true;
    bool traceAllHex_ = false;
    TTraceLogState logging_ = tlOff;
    Cardinal logSize_ = 10000;
    std::string logName_ = "APRO.LOG";
    bool logHex_ = true;
    bool logAllHex_ = false;
    bool useEventWord_ = true;
    Word commNotificationLevel_ = 10;
    TTapiMode tapiMode_ = tmAuto;
    bool rs485Mode_ = false;
    Word availThreshold_ = 1;
    Byte priorityBoost_ = 0;

    TTriggerEvent onTrigger_;
    TTriggerAvailEvent onTriggerAvail_;
    TTriggerDataEvent onTriggerData_;
    TTriggerStatusEvent onTriggerStatus_;
    TTriggerTimerEvent onTriggerTimer_;
    TTriggerLineErrorEvent onTriggerLineError_;
    TNotifyEvent onTriggerModemStatus_;
    TNotifyEvent onTriggerOutbuffFree_;
    TNotifyEvent onTriggerOutbuffUsed_;
    TNotifyEvent onTriggerOutSent_;
};

class TSioComPort : public TSioCustomComPort {
public:
    explicit TSioComPort(TComponent* owner) : TSioCustomComPort(owner) {}
};

// How an exception raised by an event handler on the UI thread is shown
// (the application's standard exception display). Without a handler it is
// dropped.
void SetSioExceptionHandler(std::function<void(const std::exception_ptr&)> handler);
