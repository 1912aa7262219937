#pragma once
// Threads and synchronisation: the main (UI) thread identity, a re-entrant
// critical section, manual- and auto-reset events with single and multiple
// waits, and TThread.
//
// Worker threads never touch windows or datasets; they reach the UI thread
// through Synchronize (waits) or Queue (does not), both going through the
// UI call queue (UiQueue.h).

#include <atomic>
#include <exception>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/Object.h"
#include "platform/core/Types.h"

// Wait without a time-out.
constexpr Cardinal INFINITE = 0xFFFFFFFFu;

// The UI thread. Unless set with SetMainThread (or UiQueue::SetUiThread),
// it is the first thread that asks, which is the thread that runs the
// program's static initialisation, i.e. the process's main thread.
std::thread::id MainThreadId();
bool IsMainThread();
// Makes the calling thread the UI thread.
void SetMainThread();

// A lock its holder may take again; each Enter needs its Leave.
class TCriticalSection : public TObject {
public:
    void Enter() { m_.lock(); }
    void Leave() { m_.unlock(); }
    bool TryEnter() { return m_.try_lock(); }
    void Acquire() { Enter(); }
    void Release() { Leave(); }

private:
    std::recursive_mutex m_;
};

// Holds a critical section for the lifetime of the guard.
class TCriticalSectionGuard {
public:
    explicit TCriticalSectionGuard(TCriticalSection& cs) : cs_(cs) { cs_.Enter(); }
    ~TCriticalSectionGuard() { cs_.Leave(); }
    TCriticalSectionGuard(const TCriticalSectionGuard&) = delete;
    TCriticalSectionGuard& operator=(const TCriticalSectionGuard&) = delete;

private:
    TCriticalSection& cs_;
};

enum TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError };

// An event a thread can wait for. A manual-reset event stays signalled until
// ResetEvent and releases every waiter; an auto-reset event releases one
// waiter and resets itself. Time-outs are real time: they bound a wait for
// another thread, not the program's notion of time.
class TEvent : public TObject {
public:
    explicit TEvent(bool manualReset = true, bool initialState = false);
    // Waiters still blocked on the event return wrAbandoned.
    ~TEvent() override;
    TEvent(const TEvent&) = delete;
    TEvent& operator=(const TEvent&) = delete;

    void SetEvent();
    void ResetEvent();
    TWaitResult WaitFor(Cardinal timeoutMs = INFINITE);

    // Waits until one of events is signalled. On wrSignaled (or wrAbandoned)
    // *signaledIndex is the position of that event, the lowest one when
    // several are signalled; only that event is consumed if it resets
    // itself. An empty list or a null event gives wrError.
    static TWaitResult WaitForAny(const std::vector<TEvent*>& events, Cardinal timeoutMs,
                                  int* signaledIndex = nullptr);
    static TWaitResult WaitForAny(std::initializer_list<TEvent*> events, Cardinal timeoutMs,
                                  int* signaledIndex = nullptr) {
        return WaitForAny(std::vector<TEvent*>(events), timeoutMs, signaledIndex);
    }

    struct State;

private:
    std::shared_ptr<State> state_;
};

// A manual-reset event, initially not signalled (unless asked otherwise).
class TSimpleEvent : public TEvent {
public:
    explicit TSimpleEvent(bool manualReset = true, bool initialState = false)
        : TEvent(manualReset, initialState) {}
};

// A thread running Execute.
//
// C++ cannot start the thread from the TThread constructor: Execute would
// run before the derived class exists. So a thread created not suspended
// starts in AfterConstruction, which TThread::Create<T>(args...) calls;
// a thread created suspended starts with Start().
//
// A derived class whose Execute uses its own members must stop the thread
// in its own destructor (Terminate(); WaitFor();) because ~TThread runs
// after those members are gone. ~TThread itself terminates and waits for a
// running thread.
class TThread : public TObject {
public:
    explicit TThread(bool createSuspended = true);
    ~TThread() override;
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    // new T(args...) followed by AfterConstruction().
    template <class T, class... A>
    static T* Create(A&&... args) {
        T* thread = new T(std::forward<A>(args)...);
        thread->AfterConstruction();
        return thread;
    }
    // Starts the thread unless it was created suspended.
    void AfterConstruction();

    // Raises EThread when the thread was started before.
    void Start();
    // Asks Execute to stop: sets Terminated and calls TerminatedSet.
    void Terminate();
    bool Terminated() const { return terminated_.load(); }
    // Waits for the thread to end and returns ReturnValue. Called on the UI
    // thread, it keeps running the UI call queue meanwhile, so a thread in
    // Synchronize (or delivering OnTerminate) can finish. Raises EThread for
    // a thread never started or one that frees itself.
    Integer WaitFor();

    bool Started() const { return started_.load(); }
    bool Finished() const { return finished_.load(); }
    bool FreeOnTerminate() const { return freeOnTerminate_.load(); }
    void SetFreeOnTerminate(bool value) { freeOnTerminate_.store(value); }
    Integer ReturnValue() const { return returnValue_.load(); }
    std::thread::id ThreadID() const { return threadId_.load(); }

    // An exception that escaped Execute (or OnTerminate), or null.
    std::exception_ptr FatalException() const;
    // Its message (Exception::Message or what()), or "" when none.
    std::string FatalExceptionMessage() const;

    // Runs on the UI thread after Execute returns, before the thread counts
    // as finished. Sender is the thread.
    TNotifyEvent OnTerminate;

    // Runs fn on the UI thread and waits for it; an exception from fn is
    // raised again here. On the UI thread fn runs at once. Raises EThread if
    // the UI call queue is shut down before fn ran.
    static void Synchronize(std::function<void()> fn);
    // Queues fn for the UI thread without waiting.
    static void Queue(std::function<void()> fn);

protected:
    virtual void Execute() = 0;
    void SetReturnValue(Integer value) { returnValue_.store(value); }
    // Called by Terminate, on the terminating thread: wake Execute from a
    // wait here (set its stop event).
    virtual void TerminatedSet() {}
    // Calls OnTerminate through Synchronize.
    virtual void DoTerminate();

private:
    void Run();
    void WaitUntilFinished(bool keepErrorsForLater);

    std::thread thread_;
    std::atomic<std::thread::id> threadId_{};
    TEvent startGate_{true, false};
    TEvent finishedEvent_{true, false};
    bool createSuspended_;
    std::atomic<bool> started_{false};
    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false};
    std::atomic<bool> freeOnTerminate_{false};
    std::atomic<Integer> returnValue_{0};
    mutable std::mutex fatalLock_;
    std::exception_ptr fatal_;
};
