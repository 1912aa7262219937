#pragma once
// The UI call queue: the one way worker threads reach the UI thread.
//
// Post queues a callback; Send queues it and waits (with a time-out) until
// the UI thread has run it. The UI thread drains the queue: in production
// the event loop does so when the wake handler tells it there is work; in
// tests the test drains it by hand with ProcessPending.
//
// Send and time-outs: when the time-out elapses before the UI thread took
// the callback, it is withdrawn and never runs, and Send returns false. If
// the UI thread is already running it, Send waits for it to finish and
// returns true. Either way the callback never runs after Send returned, so
// it may safely refer to the caller's locals.

#include <functional>

#include "platform/core/Threads.h"
#include "platform/core/Types.h"

class UiQueue {
public:
    using TProc = std::function<void()>;

    UiQueue() = delete;

    // Makes the calling thread the UI thread (see MainThreadId).
    static void SetUiThread();
    static bool IsUiThread();

    // Queues fn for the UI thread; from any thread. Dropped after Shutdown.
    static void Post(TProc fn);
    // From a worker: queues fn and waits until the UI thread ran it (true)
    // or timeoutMs elapsed first (false, fn will not run). An exception
    // from fn is raised again in the caller. From the UI thread: runs fn at
    // once and returns true. After Shutdown: returns false.
    static bool Send(TProc fn, Cardinal timeoutMs = INFINITE);

    // Runs queued callbacks on the UI thread, including those queued while
    // draining, but stops after a bounded number of rounds so a callback
    // that keeps queueing itself cannot hold the thread forever. Returns how
    // many ran. An exception from a posted callback propagates; the rest
    // stay queued. Raises EInvalidOperation off the UI thread.
    static int ProcessPending();
    static bool HasPending();

    // On the UI thread: runs queued callbacks until done() is true or
    // timeoutMs elapsed (real time), sleeping while there is nothing to do.
    // done() is evaluated with the queue locked: it must only read state
    // (an atomic flag). Whoever makes done() true calls WakeWaiters().
    // Returns done().
    static bool ProcessUntil(const std::function<bool()>& done, Cardinal timeoutMs = INFINITE);
    static void WakeWaiters();

    // Called, on the queueing thread, whenever work is queued, so an event
    // loop can wake up. Must be thread-safe. Empty clears it.
    static void SetWakeHandler(TProc handler);
    // Extra work ProcessMessages does besides draining the queue (the GUI
    // layer processes its window events here). Empty clears it.
    static void SetProcessMessagesHook(TProc hook);

    // Closing down: withdraws everything queued (waiting senders get
    // false), refuses new work and clears the handlers.
    static void Shutdown();
    // For tests: discards everything queued as Shutdown does, then opens
    // the queue again with the calling thread as the UI thread.
    static void Reset();
};

// The long-loop pump: on the UI thread, runs the process-messages hook and
// drains the UI call queue; elsewhere does nothing.
void ProcessMessages();
