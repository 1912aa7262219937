// Timer, data and status triggers: kept in three lists that the dispatch
// thread evaluates on every turn, copied by the port component before a
// close and put back after the next open. The program adds none, so only
// the data-available notification occurs; the lists are still evaluated,
// saved and restored.

#include <algorithm>
#include <cctype>
#include <cstring>

#include "serial/SioBaseDispatcher.h"

bool TSioBaseDispatcher::CheckTimerTriggers() {
    for (TSioTimerTrigger& t : timerTriggers_) {
        if (t.Active && TicksExpired(t.Timer)) {
            t.Active = 0;
            {
                TCriticalSectionGuard gm(mainLock_);
                if (logActive_) AddLogEntry(kLogTrigger, kLogSubTimer, 0, nullptr, static_cast<Cardinal>(t.Handle));
            }
            return Notify(kSioMsgTimer, static_cast<Cardinal>(t.Handle), 0);
        }
    }
    return false;
}

bool TSioBaseDispatcher::CheckStatusTriggers() {
    for (TSioStatusTrigger& t : statusTriggers_) {
        if (!t.Armed || t.Hit) continue;
        bool fire = false;
        Word data = 0;
        switch (t.Kind) {
        case kStatusModem:
            fire = ((t.Value & 0xFF) ^ modemStatus_) & (t.Value >> 8);
            break;
        case kStatusLineError: {
            Cardinal bits = errorBits_;
            fire = (t.Value & bits) != 0;
            if (fire) t.Value = static_cast<Word>(bits);
            break;
        }
        case kStatusOutFree: {
            Cardinal free = OutputFree();
            fire = free >= t.Value;
            data = static_cast<Word>(free);
            break;
        }
        case kStatusOutUsed: {
            Cardinal used = OutputUsed();
            fire = used <= t.Value;
            data = static_cast<Word>(used);
            break;
        }
        case kStatusOutSent:
            fire = outputSent_.exchange(false);
            break;
        default: break;
        }
        if (fire) {
            t.Armed = 0;
            t.Hit = 1;
            statusHit_ = true;
            {
                TCriticalSectionGuard gm(mainLock_);
                if (logActive_) AddLogEntry(kLogTrigger, kLogSubStatus, 0, nullptr, static_cast<Cardinal>(t.Handle));
            }
            return Notify(kSioMsgStatus, static_cast<Cardinal>(t.Handle), data);
        }
    }
    return false;
}

void TSioBaseDispatcher::ResetStatusTriggers() {
    for (TSioStatusTrigger& t : statusTriggers_) t.Hit = 0;
    statusHit_ = false;
}

void TSioBaseDispatcher::ResetDataMatches() {
    for (TSioDataTrigger& t : dataTriggers_) std::fill(std::begin(t.Counters), std::end(t.Counters), 0);
}

void TSioBaseDispatcher::ClearTriggers() {
    TCriticalSectionGuard gm(mainLock_);
    availThreshold_ = 0;
    timerTriggers_.clear();
    dataTriggers_.clear();
    statusTriggers_.clear();
    triggerHandleCounter_ = 1;
    dataScanPosition_ = 0;  // the dispatch thread's own; the threads do not run yet
}

bool TSioBaseDispatcher::MatchDataTrigger(Integer* counters, Byte value, Integer length, bool ignoreCase,
                                          const char* text) {
    if (ignoreCase) value = static_cast<Byte>(std::toupper(value));
    const Byte first = static_cast<Byte>(text[0]);
    bool started = false;
    for (Integer i = 0; i < length && i < 22; ++i) {
        if (i > 0 && counters[i] == 0 && (started || value != first)) continue;
        Integer k = counters[i];
        if (k >= 0 && k < length && static_cast<Byte>(text[k]) == value) {
            if (k == length - 1) {
                std::fill(counters, counters + 22, 0);
                return true;
            }
            counters[i] = k + 1;
        } else if (value == first) {
            counters[i] = 1;
        } else {
            counters[i] = 0;
        }
        if (counters[i] == 1) started = true;
    }
    return false;
}

Cardinal TSioBaseDispatcher::CountUpTo(Cardinal position, Cardinal length) {
    TCriticalSectionGuard gi(inLock_);
    Cardinal p = (position + kSioRingSize - (length % kSioRingSize)) % kSioRingSize;
    Cardinal head = (p + 1) % kSioRingSize;
    Cardinal n = RingCount(head, inTail_, head == inTail_ && inFull_);
    if (inAvailNotification_) n = n > availCount_ ? n - availCount_ : 0;
    return n;
}

bool TSioBaseDispatcher::CheckDataTriggers() {
    Cardinal head;
    {
        TCriticalSectionGuard gi(inLock_);
        if (inRing_.empty()) return false;
        head = inHead_;
    }
    if (dataTriggers_.empty()) dataScanPosition_ = head;
    while (dataScanPosition_ != head) {
        const Cardinal p = dataScanPosition_;
        Byte value;
        {
            TCriticalSectionGuard gi(inLock_);
            value = inRing_[p];
        }
        bool matched = false;
        Integer longest = 0;
        for (TSioDataTrigger& t : dataTriggers_) {
            if (t.Length == 0) continue;
            t.Matched = t.Matched || MatchDataTrigger(t.Counters, value, t.Length, t.IgnoreCase != 0, t.Text);
            if (t.Matched) {
                matched = true;
                longest = std::max(longest, t.Length);
            }
        }
        if (matched) {
            bool result = true;
            if (availThreshold_ != 0 && p != notificationTail_ &&
                static_cast<Integer>(CountUpTo(p, 0)) - longest >= availThreshold_) {
                Cardinal d = CountUpTo(p, static_cast<Cardinal>(longest));
                {
                    TCriticalSectionGuard gm(mainLock_);
                    if (logActive_) AddLogEntry(kLogTrigger, kLogSubAvail, 0, nullptr, d);
                }
                result = Notify(kSioMsgAvail, d, 0);
                dataScanPosition_ = p;
                notificationTail_ = p;
            }
            for (auto it = dataTriggers_.rbegin(); it != dataTriggers_.rend(); ++it) {
                if (!it->Matched) continue;
                {
                    TCriticalSectionGuard gm(mainLock_);
                    if (logActive_) AddLogEntry(kLogTrigger, kLogSubData, 0, nullptr, static_cast<Cardinal>(it->Handle));
                }
                it->Matched = 0;
                result = Notify(kSioMsgData, static_cast<Cardinal>(it->Handle), static_cast<Word>(it->Length));
            }
            dataScanPosition_ = (p + 1) % kSioRingSize;
            return result;
        }
        dataScanPosition_ = (p + 1) % kSioRingSize;
    }
    return DataAvailableCheck();
}

void TSioBaseDispatcher::SaveTriggers(TSioSavedTriggers& saved) {
    TCriticalSectionGuard gm(mainLock_);
    FreeSavedTriggers(saved);
    saved.AvailThreshold = availThreshold_;
    saved.Timers = timerTriggers_;
    saved.Data = dataTriggers_;
    saved.Status = statusTriggers_;
}

void TSioBaseDispatcher::RestoreTriggers(const TSioSavedTriggers& saved) {
    TCriticalSectionGuard gm(mainLock_);
    availThreshold_ = saved.AvailThreshold;
    timerTriggers_.clear();
    dataTriggers_.clear();
    statusTriggers_.clear();
    if (saved.Timers) timerTriggers_ = *saved.Timers;
    if (saved.Data) dataTriggers_ = *saved.Data;
    if (saved.Status) statusTriggers_ = *saved.Status;
    WakeDispatchThread();
}

void TSioBaseDispatcher::FreeSavedTriggers(TSioSavedTriggers& saved) {
    saved.Timers.reset();
    saved.Data.reset();
    saved.Status.reset();
}

Integer TSioBaseDispatcher::AddTimerTrigger(Integer ticks) {
    TCriticalSectionGuard gm(mainLock_);
    TSioTimerTrigger t;
    t.Handle = (triggerHandleCounter_++) << 3;
    StartTicks(t.Timer, ticks);
    t.Active = 1;
    timerTriggers_.push_back(t);
    WakeDispatchThread();
    return t.Handle;
}

Integer TSioBaseDispatcher::AddDataTrigger(const std::string& text, bool ignoreCase) {
    if (text.empty() || text.size() > 22) return -5002;
    TCriticalSectionGuard gm(mainLock_);
    TSioDataTrigger t;
    t.Handle = (triggerHandleCounter_++) << 3;
    t.Length = static_cast<Integer>(text.size());
    t.IgnoreCase = ignoreCase ? 1 : 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        t.Text[i] = ignoreCase ? static_cast<char>(std::toupper(static_cast<unsigned char>(text[i]))) : text[i];
    dataTriggers_.push_back(t);
    return t.Handle;
}

Integer TSioBaseDispatcher::AddStatusTrigger(Integer kind, Word value) {
    if (kind < kStatusModem || kind > kStatusOutSent) return -1002;
    TCriticalSectionGuard gm(mainLock_);
    TSioStatusTrigger t;
    t.Handle = ((triggerHandleCounter_++) << 3) | kind;
    t.Kind = kind;
    t.Value = value;
    t.Armed = 1;
    statusTriggers_.push_back(t);
    WakeDispatchThread();
    return t.Handle;
}

std::size_t TSioBaseDispatcher::TimerTriggerCount() {
    TCriticalSectionGuard gm(mainLock_);
    return timerTriggers_.size();
}

std::size_t TSioBaseDispatcher::DataTriggerCount() {
    TCriticalSectionGuard gm(mainLock_);
    return dataTriggers_.size();
}

std::size_t TSioBaseDispatcher::StatusTriggerCount() {
    TCriticalSectionGuard gm(mainLock_);
    return statusTriggers_.size();
}
