#include "serial/SioComPort.h"

#include <algorithm>
#include <mutex>

#include "platform/core/Events.h"
#include "platform/core/UiQueue.h"
#include "platform/os/SerialDevice.h"
#include "platform/os/SerialPorts.h"
#include "serial/ComSelectForm.h"
#include "serial/SioErrors.h"
#include "serial/SioWin32Dispatcher.h"

namespace {
constexpr Cardinal kMaxTraceSize = 4000000;
constexpr Cardinal kMaxLogSize = 16000000;

std::mutex& HandlerLock() {
    static std::mutex m;
    return m;
}
std::function<void(const std::exception_ptr&)>& ExceptionHandler() {
    static std::function<void(const std::exception_ptr&)> h;
    return h;
}

// An exception from an event handler, on the UI thread: shown by the
// program's exception display, or raised again from the UI queue's next
// drain when no display is installed.
void ShowHandlerException(std::exception_ptr e) {
    std::function<void(const std::exception_ptr&)> handler;
    {
        std::lock_guard<std::mutex> l(HandlerLock());
        handler = ExceptionHandler();
    }
    if (handler) handler(e);
    else UiQueue::Post([e] { std::rethrow_exception(e); });
}

struct Registration {
    Registration() {
        TPublished<TSioBaseComponent, TComponent>().String("Version", &TSioBaseComponent::Version);
        TPublished<TSioComPort, TSioBaseComponent>()
            .Enumeration("DeviceLayer", {"dlWin32", "dlWinsock"}, &TSioComPort::DeviceLayer, &TSioComPort::SetDeviceLayer)
            .Integer("ComNumber", &TSioComPort::ComNumber, &TSioComPort::SetComNumber)
            .Integer("Baud", &TSioComPort::Baud, &TSioComPort::SetBaud)
            .Boolean("PromptForPort", &TSioComPort::PromptForPort, &TSioComPort::SetPromptForPort)
            .Enumeration("Parity", {"pNone", "pOdd", "pEven", "pMark", "pSpace"}, &TSioComPort::Parity,
                         &TSioComPort::SetParity)
            .Integer("DataBits", &TSioComPort::DataBits, &TSioComPort::SetDataBits)
            .Integer("StopBits", &TSioComPort::StopBits, &TSioComPort::SetStopBits)
            .Integer("InSize", &TSioComPort::InSize, &TSioComPort::SetInSize)
            .Integer("OutSize", &TSioComPort::OutSize, &TSioComPort::SetOutSize)
            .Boolean("AutoOpen", &TSioComPort::AutoOpen, &TSioComPort::SetAutoOpen)
            .Boolean("Open", &TSioComPort::Open, &TSioComPort::SetOpen)
            .Boolean("DTR", &TSioComPort::DTR, &TSioComPort::SetDTR)
            .Boolean("RTS", &TSioComPort::RTS, &TSioComPort::SetRTS)
            .Enumeration("SWFlowOptions", {"swfNone", "swfReceive", "swfTransmit", "swfBoth"},
                         &TSioComPort::SWFlowOptions, &TSioComPort::SetSWFlowOptions)
            .Integer("XOnChar", &TSioComPort::XOnChar, &TSioComPort::SetXOnChar)
            .Integer("XOffChar", &TSioComPort::XOffChar, &TSioComPort::SetXOffChar)
            .Integer("BufferFull", &TSioComPort::BufferFull, &TSioComPort::SetBufferFull)
            .Integer("BufferResume", &TSioComPort::BufferResume, &TSioComPort::SetBufferResume)
            .Enumeration("Tracing", {"tlOff", "tlOn", "tlDump", "tlAppend", "tlClear", "tlPause"},
                         &TSioComPort::Tracing, &TSioComPort::SetTracing)
            .Integer("TraceSize", &TSioComPort::TraceSize, &TSioComPort::SetTraceSize)
            .String("TraceName", &TSioComPort::TraceName, &TSioComPort::SetTraceName)
            .Boolean("TraceHex", &TSioComPort::TraceHex, &TSioComPort::SetTraceHex)
            .Boolean("TraceAllHex", &TSioComPort::TraceAllHex, &TSioComPort::SetTraceAllHex)
            .Enumeration("Logging", {"tlOff", "tlOn", "tlDump", "tlAppend", "tlClear", "tlPause"},
                         &TSioComPort::Logging, &TSioComPort::SetLogging)
            .Integer("LogSize", &TSioComPort::LogSize, &TSioComPort::SetLogSize)
            .String("LogName", &TSioComPort::LogName, &TSioComPort::SetLogName)
            .Boolean("LogHex", &TSioComPort::LogHex, &TSioComPort::SetLogHex)
            .Boolean("LogAllHex", &TSioComPort::LogAllHex, &TSioComPort::SetLogAllHex)
            .Boolean("UseMSRShadow", &TSioComPort::UseMSRShadow, &TSioComPort::SetUseMSRShadow)
            .Boolean("UseEventWord", &TSioComPort::UseEventWord, &TSioComPort::SetUseEventWord)
            .Integer("CommNotificationLevel", &TSioComPort::CommNotificationLevel,
                     &TSioComPort::SetCommNotificationLevel)
            .Enumeration("TapiMode", {"tmNone", "tmAuto", "tmOn", "tmOff"}, &TSioComPort::TapiMode,
                         &TSioComPort::SetTapiMode)
            .Boolean("RS485Mode", &TSioComPort::RS485Mode, &TSioComPort::SetRS485Mode);
    }
};
const Registration registration;
}  // namespace

void SetSioExceptionHandler(std::function<void(const std::exception_ptr&)> handler) {
    std::lock_guard<std::mutex> l(HandlerLock());
    ExceptionHandler() = std::move(handler);
}

std::string TSioBaseComponent::Version() const { return TSioBaseDispatcher::LibraryVersion(); }

// ---------------------------------------------------------------------------
// Construction, loading, destruction
// ---------------------------------------------------------------------------

TSioCustomComPort::TSioCustomComPort(TComponent* owner) : TSioBaseComponent(owner) {}

TSioCustomComPort::~TSioCustomComPort() {
    try {
        ClosePort();
    } catch (...) {
        // A dump that cannot be written must not stop the port from closing.
    }
    if (portState_ == psShuttingDown) FinishDeferredClose();
    portUsers_.clear();
    TSioBaseDispatcher::FreeSavedTriggers(savedTriggers_);
}

void TSioCustomComPort::Loaded() {
    TSioBaseComponent::Loaded();
    if (Designing()) return;
    if (forceOpen_) open_ = true;
    if (open_) {
        forceOpen_ = false;
        try {
            DoOpen();
        } catch (...) {
            open_ = false;
            ShowHandlerException(std::current_exception());
        }
    }
}

// ---------------------------------------------------------------------------
// Open and close
// ---------------------------------------------------------------------------

void TSioCustomComPort::SetOpen(bool value) {
    if (value == open_) return;
    if (Designing() || LoadingNow()) {
        open_ = value;
        if (value) forceOpen_ = true;
        return;
    }
    if (!value) ClosePort();
    else if (portState_ == psShuttingDown) openPending_ = true;
    else DoOpen();
}

void TSioCustomComPort::DoOpen() {
    if (tapiMode_ != tmOn) ValidatePort();
    dispatcher_ = CreateDispatcher();
    dispatcher_->DeviceName = "COM" + std::to_string(comNumber_);
    // Triggers saved at the last close come back as the port opens, before
    // its threads run.
    if (copyTriggers_) dispatcher_->RestoreTriggersAtOpen(savedTriggers_);
    try {
        if (tapiMode_ == tmOn) {
            if (tapiHandle_ == 0) CheckSerialResult(this, -2012);
            Integer baud, parity;
            Word stop, data;
            dispatcher_->GetLineSettings(baud, parity, stop, data);
            baud_ = baud;
            parity_ = static_cast<TParity>(parity);
            stopBits_ = stop;
            dataBits_ = data;
        }
        Integer result = OpenDevice();
        // Not "already open": the user lacks the right to the device. The
        // message names the device and the group that grants it.
        if (result == -kOsErrorPermissionDenied && tapiMode_ != tmOn)
            throw EInOutError(SerialPermissionText(SerialPortDevicePath(comNumber_)), kOsErrorPermissionDenied);
        if (result == -5) result = -2008;
        else if (result == -3 || result == -2) result = -2001;
        if (result != 0) CheckSerialResult(this, result);

        portState_ = psOpen;
        UpdateEventHandlers();
        force_ = true;
        SetTracing(tracing_);
        SetLogging(logging_);
        SetHWFlowOptions(hwFlow_);
        SetSWFlowOptions(swFlow_);
        SetXOnChar(xonChar_);
        SetXOffChar(xoffChar_);
        SetAvailThreshold(availThreshold_);
        SetDTR(dtr_);
        SetRTS(rts_);
        SetUseEventWord(useEventWord_);
        SetRS485Mode(rs485Mode_);
        SetPriorityBoost(priorityBoost_);
        force_ = false;
        open_ = true;
        SetupNotifyWindow(true);
        copyTriggers_ = false;
        NotifyPortOpened();
    } catch (...) {
        force_ = false;
        open_ = false;
        portState_ = psClosed;
        if (notifyWindow_) SetupNotifyWindow(false);
        dispatcher_.reset();
        throw;
    }
}

void TSioCustomComPort::ValidatePort() {
    if (comNumber_ != 0) return;
    if (!promptForPort_) throw ENoPortSelected(-2011);
    TComSelectForm dialog(nullptr);
    if (!dialog.ShowModal()) throw ENoPortSelected(-2011);
    comNumber_ = static_cast<Word>(dialog.ComSelectPortNumber());
}

std::unique_ptr<TSioBaseDispatcher> TSioCustomComPort::CreateDispatcher() {
    if (deviceLayer_ != dlWin32) throw ENullApi(-3001);
    if (tapiMode_ == tmOn) return std::make_unique<TSioTAPI32Dispatcher>(this, tapiHandle_);
    return std::make_unique<TSioWin32Dispatcher>(this);
}

Integer TSioCustomComPort::OpenDevice() {
    std::string name = tapiMode_ == tmOn ? std::string() : FormatDeviceName(comNumber_);
    Cardinal lines = (dtr_ ? 1 : 0) + (rts_ ? 2 : 0) + (hwFlow_.Contains(hwfUseDTR) ? 16 : 0) +
                     (hwFlow_.Contains(hwfUseRTS) ? 32 : 0);
    return dispatcher_->OpenPort(name, baud_, lines, outSize_, inSize_, stopBits_, dataBits_,
                                 static_cast<Integer>(parity_));
}

void TSioCustomComPort::ClosePort() {
    if (portState_ != psOpen) return;
    // The dumps are written first; one that fails does not keep the port
    // open, its error is raised once the port is closed.
    std::exception_ptr dumpError;
    try {
        SetTracing(tlDump);
    } catch (...) {
        dumpError = std::current_exception();
    }
    try {
        SetLogging(tlDump);
    } catch (...) {
        if (!dumpError) dumpError = std::current_exception();
    }
    portState_ = psShuttingDown;
    NotifyPortClosing();
    dispatcher_->SaveTriggers(savedTriggers_);
    copyTriggers_ = true;
    dispatcher_->ShutDownPort();
    if (dispatcher_->ClosePending()) {
        // Closed from inside a notification: the dispatch thread releases
        // the port when the handler returns; the rest follows on a message.
        SioPostMessage(notifyWindow_, kSioMsgPortClosing, 0,
                       static_cast<Integer>(static_cast<Cardinal>(dispatcher_->Number()) << 16));
    } else {
        SetupNotifyWindow(false);
        dispatcher_.reset();
        portState_ = psClosed;
        open_ = false;
    }
    NotifyPortClosed();
    if (dumpError) std::rethrow_exception(dumpError);
}

void TSioCustomComPort::CompleteClose(TSioBaseDispatcher* dispatcher) {
    if (dispatcher != dispatcher_.get() || portState_ != psShuttingDown) return;
    if (dispatcher->ThreadsStarted()) {
        // Handled again once the last worker thread has ended.
        TSioWindow window = notifyWindow_;
        Integer second = static_cast<Integer>(static_cast<Cardinal>(dispatcher->Number()) << 16);
        dispatcher->SetOnThreadsEnded([window, second] { SioPostMessage(window, kSioMsgPortClosing, 0, second); });
        return;
    }
    SetupNotifyWindow(false);
    dispatcher_.reset();
    portState_ = psClosed;
    open_ = false;
    if (openPending_) {
        openPending_ = false;
        DoOpen();
    }
}

void TSioCustomComPort::FinishDeferredClose() {
    // Destroyed while a deferred close is still under way: end it here.
    if (dispatcher_) dispatcher_->SetOnThreadsEnded(nullptr);
    SetupNotifyWindow(false);
    dispatcher_.reset();
    portState_ = psClosed;
    open_ = false;
    openPending_ = false;
}

void TSioCustomComPort::SetupNotifyWindow(bool create) {
    if (create) {
        notifyWindow_ = SioCreateWindow(&TSioCustomComPort::ComWindowProc);
        if (dispatcher_) dispatcher_->AddWindowHandler(notifyWindow_);
    } else if (notifyWindow_) {
        if (dispatcher_) dispatcher_->RemoveWindowHandler(notifyWindow_);
        SioDestroyWindow(notifyWindow_);
        notifyWindow_ = 0;
    }
}

void TSioCustomComPort::NotifyPortOpened() {
    for (auto it = portUsers_.rbegin(); it != portUsers_.rend(); ++it) {
        if (it->Window) SioSendMessageTimeout(it->Window, kSioMsgPortOpened, 0, 0, INFINITE);
        else if (it->Callback) it->Callback(this, it->Extended ? 0 : 1);
    }
    if (OnPortOpen) OnPortOpen(this);
}

void TSioCustomComPort::NotifyPortClosed() {
    for (auto it = portUsers_.rbegin(); it != portUsers_.rend(); ++it) {
        if (it->Window) SioSendMessageTimeout(it->Window, kSioMsgPortClosed, 0, 0, INFINITE);
        else if (it->Callback) it->Callback(this, it->Extended ? 2 : 0);
    }
    if (OnPortClose) OnPortClose(this);
}

void TSioCustomComPort::NotifyPortClosing() {
    for (auto it = portUsers_.rbegin(); it != portUsers_.rend(); ++it) {
        if (it->Window) SioSendMessageTimeout(it->Window, kSioMsgPortClosing, 0, 0, INFINITE);
        else if (it->Callback && it->Extended) it->Callback(this, 1);
    }
}

// ---------------------------------------------------------------------------
// The notification window
// ---------------------------------------------------------------------------

Integer TSioCustomComPort::ComWindowProc(TSioWindow, Cardinal message, Cardinal param, Integer second) {
    if (!(message >= kSioMsgAvail && message <= kSioMsgStatus) && message != kSioMsgPortClosing) return 0;
    TCriticalSectionGuard g(SioDispatcherListLock());
    TSioBaseDispatcher* d = SioDispatcherAt(static_cast<Integer>((static_cast<Cardinal>(second) >> 16) & 0xFFFF));
    if (!d || !d->Owner()) return 0;
    auto* port = dynamic_cast<TSioCustomComPort*>(d->Owner());
    if (!port || port->dispatcher_.get() != d) return 0;
    try {
        if (message == kSioMsgPortClosing) {
            port->CompleteClose(d);
            return 0;
        }
        const Word data = message == kSioMsgAvail ? static_cast<Word>(param) : static_cast<Word>(second & 0xFFFF);
        port->DoTrigger(static_cast<Word>(message), static_cast<Word>(param), data);
        switch (message) {
        case kSioMsgAvail: {
            // The count is taken now, under the input lock: bytes read since
            // the notification left are not offered twice.
            Cardinal count = std::min<Cardinal>(param, d->ReceivedCount());
            if (count > 0) port->DoTriggerAvail(static_cast<Word>(std::min<Cardinal>(count, 0xFFFF)));
            break;
        }
        case kSioMsgData: port->DoTriggerData(static_cast<Word>(param)); break;
        case kSioMsgTimer: port->DoTriggerTimer(static_cast<Word>(param)); break;
        case kSioMsgStatus:
            port->DoTriggerStatus(static_cast<Word>(param));
            switch (param & 7) {
            case kStatusModem: port->DoTriggerModemStatus(); break;
            case kStatusLineError: port->DoTriggerLineError(port->CurrentLineError(), port->CurrentLineBreak()); break;
            case kStatusOutFree: port->DoTriggerOutbuffFree(); break;
            case kStatusOutUsed: port->DoTriggerOutbuffUsed(); break;
            case kStatusOutSent: port->DoTriggerOutSent(); break;
            default: break;
            }
            break;
        default: break;
        }
    } catch (...) {
        // Never reaches the dispatcher's threads.
        if (UiQueue::IsUiThread()) ShowHandlerException(std::current_exception());
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Reading and writing
// ---------------------------------------------------------------------------

TSioBaseDispatcher* TSioCustomComPort::AutoOpenDispatcher() {
    if (!dispatcher_ && !Designing() && !LoadingNow() && portState_ != psOpen && autoOpen_) SetOpen(true);
    return dispatcher_.get();
}

TSioBaseDispatcher* TSioCustomComPort::RequireDispatcher() {
    TSioBaseDispatcher* d = AutoOpenDispatcher();
    if (!d) CheckSerialResult(this, -2007);
    return d;
}

char TSioCustomComPort::ReadChar() {
    if (portState_ == psShuttingDown) return 0;
    TSioBaseDispatcher* d = RequireDispatcher();
    Byte b = 0;
    CheckSerialResult(this, d->TakeReceived(b));
    return static_cast<char>(b);
}

void TSioCustomComPort::WriteString(const std::string& text) {
    if (portState_ == psShuttingDown || text.empty()) return;
    TSioBaseDispatcher* d = RequireDispatcher();
    CheckSerialResult(this, d->SendBlock(text.data(), static_cast<Cardinal>(text.size())));
}

void TSioCustomComPort::YieldToDispatcher() {
    if (portState_ == psShuttingDown) return;
    RequireDispatcher()->YieldTime();
}

Word TSioCustomComPort::CurrentLineError() {
    return portState_ == psOpen && dispatcher_ ? static_cast<Word>(dispatcher_->TakeLineError()) : 0;
}

bool TSioCustomComPort::CurrentLineBreak() {
    return portState_ == psOpen && dispatcher_ ? dispatcher_->TakeLineBreak() : false;
}

// ---------------------------------------------------------------------------
// Property setters
// ---------------------------------------------------------------------------

void TSioCustomComPort::SetDeviceLayer(TDeviceLayer value) {
    if (portState_ != psClosed || value == deviceLayer_) return;
    if (std::find(allowedLayers_.begin(), allowedLayers_.end(), value) == allowedLayers_.end()) return;
    deviceLayer_ = value;
    DeviceLayerChanged();
}

void TSioCustomComPort::SetComNumber(Word value) {
    if (value == comNumber_) return;
    if (portState_ != psOpen) {
        comNumber_ = value;
        return;
    }
    dispatcher_->SaveTriggers(savedTriggers_);
    TTraceLogState tracing = tracing_;
    TTraceLogState logging = logging_;
    SetOpen(false);
    comNumber_ = value;
    SetTracing(tracing);
    SetLogging(logging);
    SetOpen(true);  // restores the saved triggers into the new dispatcher
}

void TSioCustomComPort::SetBaud(Integer value) {
    if (value == baud_) return;
    baud_ = value;
    if (portState_ == psOpen)
        CheckSerialResult(this, dispatcher_->ChangeLineSettings(baud_, parity_, stopBits_, dataBits_));
}

void TSioCustomComPort::SetParity(TParity value) {
    if (value == parity_) return;
    parity_ = value;
    if (portState_ == psOpen)
        CheckSerialResult(this, dispatcher_->ChangeLineSettings(baud_, parity_, stopBits_, dataBits_));
}

void TSioCustomComPort::SetDataBits(Word value) {
    if (value == dataBits_) return;
    dataBits_ = value;
    if (portState_ == psOpen)
        CheckSerialResult(this, dispatcher_->ChangeLineSettings(baud_, parity_, stopBits_, dataBits_));
}

void TSioCustomComPort::SetStopBits(Word value) {
    if (value == stopBits_) return;
    stopBits_ = value;
    if (portState_ == psOpen)
        CheckSerialResult(this, dispatcher_->ChangeLineSettings(baud_, parity_, stopBits_, dataBits_));
}

void TSioCustomComPort::SetInSize(Word value) {
    inSize_ = value;
    if (portState_ == psOpen) dispatcher_->ResizeQueues(inSize_, outSize_);
}

void TSioCustomComPort::SetOutSize(Word value) {
    outSize_ = value;
    if (portState_ == psOpen) dispatcher_->ResizeQueues(inSize_, outSize_);
}

void TSioCustomComPort::SetHWFlowOptions(THWFlowOptions value) {
    if (value == hwFlow_ && !force_) return;
    const Cardinal options = value.Bits();
    if (options != 0) {
        if (bufferFull_ == 0 || bufferFull_ > inSize_) bufferFull_ = static_cast<Word>(inSize_ * 0.9);
        if (bufferResume_ == 0 || bufferResume_ > bufferFull_) bufferResume_ = static_cast<Word>(inSize_ * 0.1);
    }
    if (portState_ == psOpen)
        CheckSerialResult(this, dispatcher_->SetHardwareFlow(bufferFull_, bufferResume_, options));
    hwFlow_ = value;
    if (value.Contains(hwfUseRTS) || value.Contains(hwfRequireCTS)) SetRS485Mode(false);
}

void TSioCustomComPort::SetSWFlowOptions(TSWFlowOptions value) {
    if (value == swFlow_ && !force_) return;
    const Cardinal options = value == swfBoth ? 3 : value == swfTransmit ? 1 : value == swfReceive ? 2 : 0;
    if (options != 0) {
        if (bufferFull_ == 0 || bufferFull_ > inSize_) bufferFull_ = static_cast<Word>(inSize_ * 0.75);
        if (bufferResume_ == 0 || bufferResume_ > bufferFull_) bufferResume_ = static_cast<Word>(inSize_ * 0.25);
    }
    if (portState_ == psOpen) {
        Integer r = options != 0 ? dispatcher_->SetSoftwareFlow(bufferFull_, bufferResume_, options)
                                 : dispatcher_->ClearSoftwareFlow();
        CheckSerialResult(this, r);
    }
    swFlow_ = value;
}

void TSioCustomComPort::SetBufferFull(Word value) {
    if (value == bufferFull_ && !force_) return;
    bufferFull_ = value > inSize_ ? static_cast<Word>(value * 0.9) : value;
    bool saved = force_;
    force_ = true;
    try {
        SetHWFlowOptions(hwFlow_);
        SetSWFlowOptions(swFlow_);
    } catch (...) {
        force_ = saved;
        throw;
    }
    force_ = saved;
}

void TSioCustomComPort::SetBufferResume(Word value) {
    if (value == bufferResume_ && !force_) return;
    bufferResume_ = value > bufferFull_ ? static_cast<Word>(bufferFull_ * 0.1) : value;
    bool saved = force_;
    force_ = true;
    try {
        SetHWFlowOptions(hwFlow_);
        SetSWFlowOptions(swFlow_);
    } catch (...) {
        force_ = saved;
        throw;
    }
    force_ = saved;
}

void TSioCustomComPort::SetXOnChar(char value) {
    if (value == xonChar_ && !force_) return;
    xonChar_ = value;
    if (portState_ == psOpen) CheckSerialResult(this, dispatcher_->SetFlowChars(xonChar_, xoffChar_));
}

void TSioCustomComPort::SetXOffChar(char value) {
    if (value == xoffChar_ && !force_) return;
    xoffChar_ = value;
    if (portState_ == psOpen) CheckSerialResult(this, dispatcher_->SetFlowChars(xonChar_, xoffChar_));
}

void TSioCustomComPort::SetDTR(bool value) {
    if (value == dtr_ && !force_) return;
    if (portState_ != psOpen) {
        dtr_ = value;
        return;
    }
    if (CheckSerialResult(this, dispatcher_->SetDTRLine(value)) == 0) dtr_ = value;
}

void TSioCustomComPort::SetRTS(bool value) {
    if (value == rts_ && !force_) return;
    if (portState_ != psOpen) {
        rts_ = value;
        return;
    }
    if (CheckSerialResult(this, dispatcher_->SetRTSLine(value)) == 0) rts_ = value;
}

void TSioCustomComPort::SetRS485Mode(bool value) {
    if (value == rs485Mode_ && !force_) return;
    rs485Mode_ = value;
    if (portState_ != psOpen) return;
    dispatcher_->SetRS485(value);
    if (value) {
        THWFlowOptions options = hwFlow_;
        options.Exclude(hwfUseRTS);
        options.Exclude(hwfRequireCTS);
        SetHWFlowOptions(options);
        SetRTS(false);
    }
}

void TSioCustomComPort::SetUseEventWord(bool value) {
    useEventWord_ = value;
    if (portState_ != psOpen) return;
    if (value) dispatcher_->SetOptionFlags(4);
    else dispatcher_->ClearOptionFlags(4);
}

void TSioCustomComPort::SetCommNotificationLevel(Word value) {
    if (value != commNotificationLevel_ || force_) commNotificationLevel_ = value;
}

void TSioCustomComPort::SetAvailThreshold(Word value) {
    if (value == availThreshold_ && !force_) return;
    availThreshold_ = value;
    if (portState_ == psOpen) dispatcher_->SetAvailThreshold(value);
}

void TSioCustomComPort::SetPriorityBoost(Byte value) {
    if (value == priorityBoost_ && !force_) return;
    priorityBoost_ = value;
    if (portState_ == psOpen) dispatcher_->SetThreadBoost(value);
}

// ---------------------------------------------------------------------------
// Trace and dispatch log
// ---------------------------------------------------------------------------

void TSioCustomComPort::ApplyTraceState(TTraceLogState value, bool log) {
    TTraceLogState& state = log ? logging_ : tracing_;
    if (value == state && !force_) return;
    if (portState_ == psShuttingDown) return;
    if (portState_ != psOpen) {
        state = value == tlOff || value == tlOn ? value : tlOff;
        return;
    }
    TSioBaseDispatcher& d = *dispatcher_;
    const bool running = state == tlOn || state == tlPause;
    switch (value) {
    case tlOff:
        if (running) log ? d.StopLog() : d.StopTrace();
        state = tlOff;
        break;
    case tlOn:
        if (state != tlPause) {
            if (log) d.StartLog(logSize_);
            else CheckSerialResult(this, d.StartTrace(traceSize_));
        } else {
            log ? d.ResumeLog() : d.ResumeTrace();
        }
        state = tlOn;
        break;
    case tlDump:
    case tlAppend:
        if (running) {
            Integer r;
            if (log) {
                d.ResumeLog();
                r = d.WriteLog(logName_, value == tlAppend, logAllHex_, logHex_);
            } else {
                d.ResumeTrace();
                r = d.WriteTrace(traceName_, value == tlAppend, traceAllHex_, traceHex_);
            }
            state = tlOff;
            CheckSerialResult(this, r);
        }
        break;
    case tlClear:
        if (running) {
            if (log) d.ClearLog();
            else CheckSerialResult(this, d.ClearTrace());
        }
        break;
    case tlPause:
        if (state == tlOn) {
            log ? d.PauseLog() : d.PauseTrace();
            state = tlPause;
        }
        break;
    }
}

void TSioCustomComPort::SetTracing(TTraceLogState value) { ApplyTraceState(value, false); }

void TSioCustomComPort::SetLogging(TTraceLogState value) { ApplyTraceState(value, true); }

void TSioCustomComPort::SetTraceSize(Cardinal value) {
    traceSize_ = std::min(value, kMaxTraceSize);
    if (portState_ == psOpen && (tracing_ == tlOn || tracing_ == tlPause)) {
        TTraceLogState old = tracing_;
        dispatcher_->StopTrace();
        tracing_ = tlOff;
        SetTracing(old);
    }
}

void TSioCustomComPort::SetLogSize(Cardinal value) {
    logSize_ = std::min(value, kMaxLogSize);
    if (portState_ == psOpen && (logging_ == tlOn || logging_ == tlPause)) {
        TTraceLogState old = logging_;
        dispatcher_->StopLog();
        logging_ = tlOff;
        SetLogging(old);
    }
}

// ---------------------------------------------------------------------------
// Events
// ---------------------------------------------------------------------------

bool TSioCustomComPort::AnyTriggerHandler() const {
    return onTrigger_ || onTriggerAvail_ || onTriggerData_ || onTriggerStatus_ || onTriggerTimer_ ||
           onTriggerLineError_ || onTriggerModemStatus_ || onTriggerOutbuffFree_ || onTriggerOutbuffUsed_ ||
           onTriggerOutSent_;
}

void TSioCustomComPort::UpdateEventHandlers() {
    if (portState_ != psOpen || !dispatcher_) return;
    dispatcher_->SetHandlerFlags(AnyTriggerHandler() ? 1 : 2);
}

void TSioCustomComPort::SetOnTrigger(TTriggerEvent e) {
    onTrigger_ = std::move(e);
    UpdateEventHandlers();
}
void TSioCustomComPort::SetOnTriggerAvail(TTriggerAvailEvent e) {
    onTriggerAvail_ = std::move(e);
    UpdateEventHandlers();
}
void TSioCustomComPort::SetOnTriggerData(TTriggerDataEvent e) {
    onTriggerData_ = std::move(e);
    UpdateEventHandlers();
}
void TSioCustomComPort::SetOnTriggerStatus(TTriggerStatusEvent e) {
    onTriggerStatus_ = std::move(e);
    UpdateEventHandlers();
}
void TSioCustomComPort::SetOnTriggerTimer(TTriggerTimerEvent e) {
    onTriggerTimer_ = std::move(e);
    UpdateEventHandlers();
}
void TSioCustomComPort::SetOnTriggerLineError(TTriggerLineErrorEvent e) {
    onTriggerLineError_ = std::move(e);
    UpdateEventHandlers();
}
void TSioCustomComPort::SetOnTriggerModemStatus(TNotifyEvent e) {
    onTriggerModemStatus_ = std::move(e);
    UpdateEventHandlers();
}
void TSioCustomComPort::SetOnTriggerOutbuffFree(TNotifyEvent e) {
    onTriggerOutbuffFree_ = std::move(e);
    UpdateEventHandlers();
}
void TSioCustomComPort::SetOnTriggerOutbuffUsed(TNotifyEvent e) {
    onTriggerOutbuffUsed_ = std::move(e);
    UpdateEventHandlers();
}
void TSioCustomComPort::SetOnTriggerOutSent(TNotifyEvent e) {
    onTriggerOutSent_ = std::move(e);
    UpdateEventHandlers();
}

void TSioCustomComPort::DoTrigger(Word msg, Word triggerHandle, Word data) {
    FireEvent(onTrigger_, this, msg, triggerHandle, data);
}
void TSioCustomComPort::DoTriggerAvail(Word count) {
    FireEvent(onTriggerAvail_, this, count);
}
void TSioCustomComPort::DoTriggerData(Word triggerHandle) {
    FireEvent(onTriggerData_, this, triggerHandle);
}
void TSioCustomComPort::DoTriggerStatus(Word triggerHandle) {
    FireEvent(onTriggerStatus_, this, triggerHandle);
}
void TSioCustomComPort::DoTriggerTimer(Word triggerHandle) {
    FireEvent(onTriggerTimer_, this, triggerHandle);
}
void TSioCustomComPort::DoTriggerLineError(Word error, bool lineBreak) {
    FireEvent(onTriggerLineError_, this, error, lineBreak);
}
void TSioCustomComPort::DoTriggerModemStatus() {
    FireEvent(onTriggerModemStatus_, this);
}
void TSioCustomComPort::DoTriggerOutbuffFree() {
    FireEvent(onTriggerOutbuffFree_, this);
}
void TSioCustomComPort::DoTriggerOutbuffUsed() {
    FireEvent(onTriggerOutbuffUsed_, this);
}
void TSioCustomComPort::DoTriggerOutSent() {
    FireEvent(onTriggerOutSent_, this);
}
void TSioCustomComPort::DoWaitChar(char c) {
    FireEvent(OnWaitChar, this, c);
}

// ---------------------------------------------------------------------------
// Assign
// ---------------------------------------------------------------------------

void TSioCustomComPort::Assign(const TPersistent* source) {
    auto* src = dynamic_cast<const TSioCustomComPort*>(source);
    if (!src) return;
    portUsers_ = src->portUsers_;
    if (src->portState_ == psOpen && src->dispatcher_) {
        src->dispatcher_->SaveTriggers(savedTriggers_);
        copyTriggers_ = true;
    }
    force_ = src->force_;
    deviceLayer_ = src->deviceLayer_;
    comNumber_ = src->comNumber_;
    baud_ = src->baud_;
    parity_ = src->parity_;
    dataBits_ = src->dataBits_;
    stopBits_ = src->stopBits_;
    inSize_ = src->inSize_;
    outSize_ = src->outSize_;
    open_ = false;
    autoOpen_ = src->autoOpen_;
    promptForPort_ = src->promptForPort_;
    rs485Mode_ = src->rs485Mode_;
    priorityBoost_ = src->priorityBoost_;
    dtr_ = src->dtr_;
    rts_ = src->rts_;
    bufferFull_ = src->bufferFull_;
    bufferResume_ = src->bufferResume_;
    hwFlow_ = src->hwFlow_;
    swFlow_ = src->swFlow_;
    xonChar_ = src->xonChar_;
    xoffChar_ = src->xoffChar_;
    tracing_ = src->tracing_;
    traceSize_ = src->traceSize_;
    traceName_ = src->traceName_;
    traceHex_ = src->traceHex_;
    traceAllHex_ = src->traceAllHex_;
    logging_ = src->logging_;
    logSize_ = src->logSize_;
    logName_ = src->logName_;
    logHex_ = src->logHex_;
    logAllHex_ = src->logAllHex_;
    availThreshold_ = src->availThreshold_;
    SetOnTrigger(src->onTrigger_);
    SetOnTriggerAvail(src->onTriggerAvail_);
    SetOnTriggerData(src->onTriggerData_);
    SetOnTriggerStatus(src->onTriggerStatus_);
    SetOnTriggerTimer(src->onTriggerTimer_);
    OnPortOpen = src->OnPortOpen;
    OnPortClose = src->OnPortClose;
    tapiMode_ = src->tapiMode_;
}
