// The dispatcher's three worker threads and the notification of received
// data to handler windows on the UI thread.
//
// The event thread waits for the device and hands each event to the
// dispatch thread, which reads into the receive ring, evaluates triggers and
// notifies; the output thread writes the output ring to the device. While a
// data-available handler runs on the UI thread the dispatch thread waits for
// it (at most NotifyTimeoutMs); bytes the handler takes are counted, not
// consumed, and the ring moves on by the count when the handler returns.

#include <algorithm>

#include "platform/core/UiQueue.h"
#include "serial/SioBaseDispatcher.h"

std::atomic<Cardinal> TSioBaseDispatcher::NotifyTimeoutMs{3000};

namespace {
constexpr int E0 = 0, E1 = 1, E2 = 2, E3 = 3, E5 = 5;
constexpr Integer kNormalPriority = 3;  // the fourth of seven steps, counted from 0
}  // namespace

// ---------------------------------------------------------------------------
// Thread bodies
// ---------------------------------------------------------------------------

void TSioDispatcherThread::Execute() {
    ++Dispatcher->runningThreads_;
    try {
        Body();
    } catch (...) {
        // Shown by the program's exception display the next time the UI
        // queue is drained.
        auto e = std::current_exception();
        UiQueue::Post([e] { std::rethrow_exception(e); });
    }
    Dispatcher->ThreadFinished(this);
    bodyDone_ = true;
}

void TComThread::Body() {
    TSioBaseDispatcher& d = *Dispatcher;
    d.SetDeviceEventMask(EV_RXCHAR | EV_CTS | EV_DSR | EV_RLSD | EV_BREAK | EV_ERR | EV_RING);
    d.events_[E2]->Set();
    do {
        Cardinal mask = 0;
        if (!d.WaitDeviceEvent(mask, d.InputWanted())) {
            if (d.DeviceVanished() && !d.killThreads_) {
                // Unplugged: the other threads end as well, after the
                // dispatch thread has taken what the device still had.
                d.deviceLost_ = true;
                {
                    TCriticalSectionGuard gm(d.mainLock_);
                    if (d.logActive_) d.AddLogEntry(kLogError, 0, 0, nullptr, kOsErrorDeviceFailure);
                }
                d.events_[E0]->Set();
                d.events_[E5]->Set();
            }
            d.events_[E2]->Set();
            return;
        }
        if (mask & EV_RING) d.ringSeen_ = true;
        d.deviceEventMask_ = mask;
        if (d.killThreads_) break;
        ++d.deviceEventTurns_;
        d.events_[E0]->Set();
        d.events_[E1]->WaitFor(-1);
    } while (!d.killThreads_);
    d.events_[E2]->Set();
}

void TDispThread::Body() {
    TSioBaseDispatcher& d = *Dispatcher;
    d.events_[E2]->Set();
    do {
        // Turns come every 50 ms while there are timer or status triggers to
        // look at or a notification to offer again; otherwise only device
        // events (and stopping) wake the thread, so an idle port costs no CPU.
        d.events_[E0]->WaitFor(d.NeedsPolling() ? 50 : -1);
        if (d.killThreads_) {
            d.releaseAtThreadEnd_ = d.closePending_.load();
            return;
        }
        d.DispatchEvent();
        d.PollTriggers();
        if (d.deviceLost_) {
            d.DispatchEvent();  // whatever the device still delivered
            break;
        }
    } while (!d.killThreads_ && !d.closePending_);
    d.events_[E2]->Set();
    d.releaseAtThreadEnd_ = d.closePending_.load();
}

void TOutThread::Body() {
    TSioBaseDispatcher& d = *Dispatcher;
    d.events_[E2]->Set();
    do {
        int r = WaitForEvents({d.events_[E3].get(), d.events_[E5].get()}, -1);
        if (r == 0) {
            if (d.killThreads_) return;
            d.DrainOutput();
        } else if (r == 1) {
            d.events_[E2]->Set();
        }
    } while (!d.killThreads_ && !d.closePending_ && !d.deviceLost_);
}

// ---------------------------------------------------------------------------
// Starting and stopping
// ---------------------------------------------------------------------------

void TSioBaseDispatcher::StartThreads() {
    TCriticalSectionGuard gm(mainLock_);
    if (threadsStarted_) throw Exception("Dispatcher already started");
    threadsStarted_ = true;
    killThreads_ = false;
    deviceLost_ = false;

    comThread_ = std::make_unique<TComThread>(this);
    liveCom_ = comThread_.get();
    comThread_->Start();
    events_[E2]->WaitFor(3000);

    dispThread_ = std::make_unique<TDispThread>(this);
    liveDisp_ = dispThread_.get();
    dispThread_->Start();
    events_[E2]->WaitFor(3000);

    outThread_ = std::make_unique<TOutThread>(this);
    liveOut_ = outThread_.get();
    outThread_->Start();
    events_[E2]->WaitFor(3000);
    ApplyPriorities();
}

void TSioBaseDispatcher::WaitForThread(TSioDispatcherThread* thread) {
    if (!thread || !thread->Started() || thread->ThreadID() == std::this_thread::get_id()) return;
    if (!UiQueue::IsUiThread()) {
        thread->WaitFor();
        return;
    }
    // On the UI thread the queue keeps running meanwhile, so a notification
    // the dispatch thread is waiting on can still be answered. Errors of
    // unrelated callbacks that run meanwhile surface at the next drain.
    std::vector<std::exception_ptr> errors;
    for (;;) {
        try {
            thread->WaitFor();
            break;
        } catch (...) {
            errors.push_back(std::current_exception());
        }
    }
    for (auto& e : errors) UiQueue::Post([e] { std::rethrow_exception(e); });
}

void TSioBaseDispatcher::StopThreads() {
    {
        // The main lock is not held while waiting: a worker that needs it
        // (for a log entry) must be able to finish.
        TCriticalSectionGuard gm(mainLock_);
        if (!threadsStarted_ && !comThread_ && !dispThread_ && !outThread_) return;
        killThreads_ = true;
    }
    if (events_[E5]) events_[E5]->Set();
    WaitForThread(outThread_.get());
    WakeDeviceWaiter();
    if (events_[E1]) events_[E1]->Set();
    WaitForThread(comThread_.get());
    if (events_[E0]) events_[E0]->Set();
    WaitForThread(dispThread_.get());
}

void TSioBaseDispatcher::ThreadFinished(TSioDispatcherThread* thread) {
    TSioDispatcherThread* expected = thread;
    liveCom_.compare_exchange_strong(expected, nullptr);
    expected = thread;
    liveOut_.compare_exchange_strong(expected, nullptr);
    expected = thread;
    if (liveDisp_.compare_exchange_strong(expected, nullptr) && releaseAtThreadEnd_.exchange(false)) ReleasePort();
    if (--runningThreads_ == 0) {
        threadsStarted_ = false;
        std::function<void()> callback;
        {
            std::lock_guard<std::mutex> l(endedLock_);
            callback = onThreadsEnded_;
        }
        if (callback) callback();
    }
}

void TSioBaseDispatcher::SetOnThreadsEnded(std::function<void()> callback) {
    bool callNow;
    {
        std::lock_guard<std::mutex> l(endedLock_);
        onThreadsEnded_ = std::move(callback);
        callNow = onThreadsEnded_ && !threadsStarted_ && runningThreads_ == 0;
    }
    if (callNow) onThreadsEnded_();
}

bool TSioBaseDispatcher::NeedsPolling() {
    if (notifyTimedOut_) return true;
    TCriticalSectionGuard gm(mainLock_);
    return !timerTriggers_.empty() || !statusTriggers_.empty();
}

void TSioBaseDispatcher::WakeDispatchThread() {
    if (events_[E0]) events_[E0]->Set();
}

bool TSioBaseDispatcher::InputWanted() {
    TCriticalSectionGuard gi(inLock_);
    return !inFull_;
}

void TSioBaseDispatcher::SetThreadBoost(Byte boost) {
    TCriticalSectionGuard gm(mainLock_);
    if (boost == threadBoost_) return;
    threadBoost_ = boost;
    ApplyPriorities();
}

void TSioBaseDispatcher::ApplyPriorities() {
    TCriticalSectionGuard gm(mainLock_);
    if (TSioDispatcherThread* t = liveCom_) t->Priority = kNormalPriority + threadBoost_;
    if (TSioDispatcherThread* t = liveDisp_) t->Priority = kNormalPriority + threadBoost_;
    if (TSioDispatcherThread* t = liveOut_) t->Priority = kNormalPriority + threadBoost_ + (rs485_ ? 1 : 0);
}

void TSioBaseDispatcher::ThreadPriorities(Integer& event, Integer& dispatch, Integer& output) {
    TCriticalSectionGuard gm(mainLock_);
    TSioDispatcherThread* c = liveCom_;
    TSioDispatcherThread* d = liveDisp_;
    TSioDispatcherThread* o = liveOut_;
    event = c ? c->Priority : -1;
    dispatch = d ? d->Priority : -1;
    output = o ? o->Priority : -1;
}

// ---------------------------------------------------------------------------
// Handlers
// ---------------------------------------------------------------------------

void TSioBaseDispatcher::AddWindowHandler(TSioWindow window) {
    TCriticalSectionGuard gm(mainLock_);
    windowHandlers_.push_back({window, false});
    serviceNeeded_ = true;
    WakeDispatchThread();
    if (logActive_) AddLogEntry(kLogTrigHdAlloc, kLogSubWindow, 0, nullptr, static_cast<Cardinal>(window));
}

void TSioBaseDispatcher::RemoveWindowHandler(TSioWindow window) {
    TCriticalSectionGuard gm(mainLock_);
    auto it = std::find_if(windowHandlers_.begin(), windowHandlers_.end(),
                           [&](const WindowHandler& h) { return h.Window == window && !h.Deleted; });
    if (it == windowHandlers_.end()) {
        SetHandlerFlags(0);
        return;
    }
    if (logActive_) AddLogEntry(kLogTrigHdDispose, kLogSubWindow, 0, nullptr, static_cast<Cardinal>(window));
    if (dispatching_) {
        it->Deleted = true;
        removalPending_ = true;
    } else {
        windowHandlers_.erase(it);
    }
}

void TSioBaseDispatcher::SetHandlerFlags(Integer kind) {
    TCriticalSectionGuard gm(mainLock_);
    bool others = windowHandlers_.size() > 1;
    switch (kind) {
    case 0: serviceNeeded_ = others || portHandlerInstalled_; break;
    case 1:
        portHandlerInstalled_ = true;
        serviceNeeded_ = true;
        break;
    case 2:
        portHandlerInstalled_ = false;
        serviceNeeded_ = others;
        break;
    default: break;
    }
    // Bytes that waited for a handler may be announced now.
    WakeDispatchThread();
}

void TSioBaseDispatcher::SetAvailThreshold(Integer n) {
    TCriticalSectionGuard gm(mainLock_);
    availThreshold_ = n;
    WakeDispatchThread();
    if (logActive_) AddLogEntry(kLogTrigDataChange, kLogSubTrigAvail, 0, nullptr, static_cast<Cardinal>(n));
}

// ---------------------------------------------------------------------------
// Notification
// ---------------------------------------------------------------------------

bool TSioBaseDispatcher::Notify(Cardinal message, Cardinal param, Word data) {
    notifyServed_ = false;
    if (!serviceNeeded_) return true;
    std::vector<WindowHandler> windows;
    bool serve;
    {
        TCriticalSectionGuard gm(mainLock_);
        dispatching_ = true;
        windows = windowHandlers_;
        serve = windowHandlers_.size() > 1 || portHandlerInstalled_;
    }
    {
        TCriticalSectionGuard gi(inLock_);
        availMaximum_ = 0;
        availCount_ = 0;
        inAvailNotification_ = message == kSioMsgAvail || message == kSioMsgData;
    }
    const Integer second = static_cast<Integer>((static_cast<Cardinal>(number_) << 16) + data);
    bool result = true;
    bool closed = false;
    notifyTimedOut_ = false;

    if (serve) {
        for (const WindowHandler& w : windows) {
            {
                TCriticalSectionGuard gi(inLock_);
                availCount_ = 0;
            }
            bool deleted;
            {
                TCriticalSectionGuard gm(mainLock_);
                auto it = std::find_if(windowHandlers_.begin(), windowHandlers_.end(),
                                       [&](const WindowHandler& h) { return h.Window == w.Window; });
                deleted = it == windowHandlers_.end() || it->Deleted;
            }
            if (!deleted) notifyServed_ = true;
            if (!deleted && !SioSendMessageTimeout(w.Window, message, param, second, NotifyTimeoutMs)) {
                // Not answered in time: the message was withdrawn, so the
                // same bytes are offered again on a later turn.
                ++notifyTimeouts_;
                notifyTimedOut_ = true;
            }
            if (closePending_) {
                result = false;
                closed = true;
                break;
            }
            TCriticalSectionGuard gi(inLock_);
            availMaximum_ = std::max(availMaximum_, availCount_);
        }
    }

    if (!closed) {
        // The count a handler took is read and committed under the input
        // lock in one step, so bytes it takes can be neither repeated nor
        // skipped.
        TCriticalSectionGuard gi(inLock_);
        if (inAvailNotification_) {
            inAvailNotification_ = false;
            availMaximum_ = std::max(availMaximum_, availCount_);
            Cardinal unread = RingCount(inHead_, inTail_, inFull_);
            Cardinal taken = std::min(availMaximum_, unread);
            inTail_ = (inTail_ + taken) % kSioRingSize;
            if (taken > 0 && inFull_) {
                inFull_ = false;
                WakeDeviceWaiter();
            }
            if (message == kSioMsgAvail && availMaximum_ != param) result = false;
        }
        availCount_ = 0;
    }

    TCriticalSectionGuard gm(mainLock_);
    dispatching_ = false;
    if (removalPending_) {
        for (auto it = windowHandlers_.end(); it != windowHandlers_.begin();) {
            --it;
            if (it->Deleted) it = windowHandlers_.erase(it);
        }
        removalPending_ = false;
        SetHandlerFlags(0);
    }
    return result;
}

bool TSioBaseDispatcher::DataAvailableCheck() {
    Cardinal n = ReceivedCount();
    bool fresh;
    {
        TCriticalSectionGuard gi(inLock_);
        fresh = bytesSinceNotify_;
    }
    if (availThreshold_ == 0 || !fresh || n < static_cast<Cardinal>(availThreshold_)) return false;
    {
        TCriticalSectionGuard gm(mainLock_);
        if (logActive_) AddLogEntry(kLogTrigger, kLogSubAvail, 0, nullptr, n);
    }
    bool r = Notify(kSioMsgAvail, n, 0);
    // Bytes that no handler saw (none attached yet, or none answered in
    // time) stay announced-to-be: they are offered once a handler is there.
    if (!notifyServed_) return false;
    if (!notifyTimedOut_) {
        TCriticalSectionGuard gi(inLock_);
        notificationTail_ = dataScanPosition_;
        bytesSinceNotify_ = false;
    }
    return r;
}

void TSioBaseDispatcher::RunStatusRound() {
    while (CheckStatusTriggers())
        if (closePending_) return;
    if (statusHit_) ResetStatusTriggers();
}

void TSioBaseDispatcher::DispatchEvent() {
    const Cardinal mask = deviceEventMask_;
    if (mask & (EV_CTS | EV_DSR | EV_RLSD | EV_RING | 0x2000)) {
        RefreshModemDeltas();
        if (!dispatching_) {
            RunStatusRound();
            if (closePending_) return;
        }
    }
    if ((mask & 0xFF) & (EV_BREAK | EV_ERR)) {
        RefreshLineErrors();
        if (!dispatching_) {
            RunStatusRound();
            if (closePending_) return;
        }
    }
    FillReceiveRing();
    if (!dispatching_) {
        {
            TCriticalSectionGuard gm(mainLock_);
            modemStatus_ = ReadModemStatus(0xF0);
        }
        while (CheckStatusTriggers())
            if (closePending_) return;
        while (CheckDataTriggers())
            if (closePending_) return;
        if (closePending_) return;
    }
    if (statusHit_) ResetStatusTriggers();
    if (events_[E1]) events_[E1]->Set();
}

void TSioBaseDispatcher::PollTriggers() {
    if (closePending_ || dispatching_) return;
    statusHit_ = false;
    bool fired;
    do {
        fired = CheckStatusTriggers();
        fired = CheckTimerTriggers() || fired;
    } while (fired && !closePending_);
    if (statusHit_) ResetStatusTriggers();
}

void TSioBaseDispatcher::DrainOutput() {
    for (;;) {
        const Byte* block;
        Cardinal size;
        {
            TCriticalSectionGuard go(outLock_);
            const Cardinal ringSize = static_cast<Cardinal>(outRing_.size());
            if (outCount_ == 0 || ringSize == 0) return;
            Cardinal tail = (outHead_ + ringSize - outCount_) % ringSize;
            size = std::min(outCount_, ringSize - tail);
            block = &outRing_[tail];
        }
        // The block is not touched by QueueOutput (it writes only into free
        // space) and a purge waits for this thread first, so it is written
        // without the lock.
        Integer n = WriteDevice(block, size);
        if (n > 0) {
            AdvanceOutputTail(static_cast<Cardinal>(n));
            continue;
        }
        if (n == 0) {
            Integer r = WaitDeviceWritable(*events_[E5]);
            if (r == kWaitDeviceReady) continue;
            if (r == 0) {
                // A flush asked for the thread: acknowledge and leave.
                events_[E2]->Set();
                return;
            }
        }
        // A failed write drops its block.
        AdvanceOutputTail(size);
        if (DeviceVanished() || !DeviceValid()) return;
    }
}
