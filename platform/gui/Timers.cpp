#include "platform/gui/Timers.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <vector>

#include "platform/core/Clock.h"
#include "platform/gui/Controls.h"

namespace {

std::vector<TTimer*>& Registry() {
    static std::vector<TTimer*> list;
    return list;
}

UInt64 g_order = 0;

// The Qt timer that wakes whatever Qt loop runs when a timer falls due.
void Rearm() {
    if (!QCoreApplication::instance()) return;
    static QTimer* wake = nullptr;
    if (!wake) {
        wake = new QTimer(QCoreApplication::instance());
        wake->setSingleShot(true);
        QObject::connect(wake, &QTimer::timeout, [] { FireDueTimers(); });
        QObject::connect(QCoreApplication::instance(), &QObject::destroyed, [] { wake = nullptr; });
    }
    Int64 next = NextTimerDueMs();
    if (next < 0) {
        wake->stop();
        return;
    }
    wake->start(int(std::min<Int64>(next, 1000000000)));
}

}  // namespace

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
    order_ = ++g_order;
    Registry().push_back(this);
    Restart();
}

TTimer::~TTimer() {
    auto& r = Registry();
    r.erase(std::remove(r.begin(), r.end(), this), r.end());
}

void TTimer::Restart() {
    due_ = CurrentClock().TickMs() + interval_;
    Rearm();
}

void TTimer::SetEnabled(bool e) {
    if (e == enabled_) return;
    enabled_ = e;
    if (e) Restart();
}

void TTimer::SetInterval(Cardinal ms) {
    if (ms == interval_) return;
    interval_ = ms;
    if (enabled_) Restart();
}

int FireDueTimers() {
    UInt64 now = CurrentClock().TickMs();
    std::vector<TTimer*> due;
    for (TTimer* t : Registry())
        if (t->enabled_ && t->interval_ > 0 && t->OnTimer && t->due_ <= now) due.push_back(t);
    std::sort(due.begin(), due.end(), [](TTimer* a, TTimer* b) {
        return a->due_ != b->due_ ? a->due_ < b->due_ : a->order_ < b->order_;
    });
    int fired = 0;
    for (TTimer* t : due) {
        // A handler may free other timers (or disable them).
        auto& r = Registry();
        if (std::find(r.begin(), r.end(), t) == r.end()) continue;
        if (!t->enabled_ || t->due_ > now) continue;
        t->due_ = now + t->interval_;
        ++fired;
        auto handler = t->OnTimer;
        DispatchGuarded([&] { handler(t); });
    }
    Rearm();
    return fired;
}

Int64 NextTimerDueMs() {
    UInt64 now = CurrentClock().TickMs();
    Int64 best = -1;
    for (TTimer* t : Registry()) {
        if (!t->Enabled() || t->Interval() == 0 || !t->OnTimer) continue;
        Int64 d = t->DueTick() <= now ? 0 : Int64(t->DueTick() - now);
        if (best < 0 || d < best) best = d;
    }
    return best;
}
