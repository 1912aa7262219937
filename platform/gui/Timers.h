#pragma once
// Window timers on the injectable clock. A timer is due Interval ms after it
// was enabled or last fired (no catching up on missed periods). Due timers
// fire on the UI thread when the loop pumps: from the application's loop,
// ProcessMessages, or a Qt timer armed for the next due time. With a
// ManualClock installed, timers fire only after the test advances the clock
// and pumps.

#include "platform/core/Component.h"
#include "platform/core/Types.h"

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool e);
    Cardinal Interval() const { return interval_; }
    void SetInterval(Cardinal ms);
    // Clock tick at which the timer fires next (when enabled).
    UInt64 DueTick() const { return due_; }

    TNotifyEvent OnTimer;

private:
    friend int FireDueTimers();
    void Restart();
    bool enabled_ = true;
    Cardinal interval_ = 1000;
    UInt64 due_ = 0;
    UInt64 order_ = 0;
};

// Fires every timer that is due now; returns how many fired.
int FireDueTimers();
// Milliseconds until the next timer is due (0 when one is due, -1 when
// none is enabled).
Int64 NextTimerDueMs();
