#include "platform/core/Threads.h"

#include <chrono>
#include <condition_variable>

#include "platform/core/UiQueue.h"

// ---------------------------------------------------------------------------
// Main thread
// ---------------------------------------------------------------------------

namespace {

struct MainThreadInfo {
    std::mutex Lock;
    std::thread::id Id;
    bool Set = false;
};

// Built on first use, so other start-up code may ask before this file's
// own statics are initialised.
MainThreadInfo& MainInfo() {
    static MainThreadInfo* info = new MainThreadInfo;
    return *info;
}

// Latches the thread running static initialisation: the process's main
// thread.
const std::thread::id g_initialMain = MainThreadId();

}  // namespace

std::thread::id MainThreadId() {
    MainThreadInfo& info = MainInfo();
    std::lock_guard<std::mutex> lock(info.Lock);
    if (!info.Set) {
        info.Id = std::this_thread::get_id();
        info.Set = true;
    }
    return info.Id;
}

bool IsMainThread() { return std::this_thread::get_id() == MainThreadId(); }

void SetMainThread() {
    MainThreadInfo& info = MainInfo();
    std::lock_guard<std::mutex> lock(info.Lock);
    info.Id = std::this_thread::get_id();
    info.Set = true;
}

// ---------------------------------------------------------------------------
// Events
//
// All events share one lock and one condition variable: a wait on several
// events then needs nothing special, and the few threads of this program
// make the shared wake-ups cheap.
// ---------------------------------------------------------------------------

struct TEvent::State {
    bool ManualReset = true;
    bool Signaled = false;
    bool Abandoned = false;
};

namespace {

std::mutex& EventLock() {
    static std::mutex* m = new std::mutex;  // outlives every thread
    return *m;
}
std::condition_variable& EventSignal() {
    static std::condition_variable* cv = new std::condition_variable;
    return *cv;
}

}  // namespace

TEvent::TEvent(bool manualReset, bool initialState) : state_(std::make_shared<State>()) {
    state_->ManualReset = manualReset;
    state_->Signaled = initialState;
}

TEvent::~TEvent() {
    std::lock_guard<std::mutex> lock(EventLock());
    state_->Abandoned = true;
    EventSignal().notify_all();
}

void TEvent::SetEvent() {
    std::lock_guard<std::mutex> lock(EventLock());
    state_->Signaled = true;
    EventSignal().notify_all();
}

void TEvent::ResetEvent() {
    std::lock_guard<std::mutex> lock(EventLock());
    state_->Signaled = false;
}

TWaitResult TEvent::WaitFor(Cardinal timeoutMs) { return WaitForAny({this}, timeoutMs); }

TWaitResult TEvent::WaitForAny(const std::vector<TEvent*>& events, Cardinal timeoutMs,
                               int* signaledIndex) {
    if (signaledIndex) *signaledIndex = -1;
    if (events.empty()) return wrError;
    std::vector<std::shared_ptr<State>> states;
    for (TEvent* e : events) {
        if (!e) return wrError;
        states.push_back(e->state_);
    }
    std::unique_lock<std::mutex> lock(EventLock());
    TWaitResult result = wrTimeout;
    auto ready = [&] {
        for (std::size_t i = 0; i < states.size(); ++i) {
            State& s = *states[i];
            if (s.Abandoned || s.Signaled) {
                result = s.Abandoned ? wrAbandoned : wrSignaled;
                if (!s.Abandoned && !s.ManualReset) s.Signaled = false;
                if (signaledIndex) *signaledIndex = static_cast<int>(i);
                return true;
            }
        }
        return false;
    };
    if (timeoutMs == INFINITE) {
        EventSignal().wait(lock, ready);
    } else {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        if (!EventSignal().wait_until(lock, deadline, ready)) return wrTimeout;
    }
    return result;
}

// ---------------------------------------------------------------------------
// TThread
// ---------------------------------------------------------------------------

TThread::TThread(bool createSuspended) : createSuspended_(createSuspended) {}

TThread::~TThread() {
    if (!thread_.joinable()) return;
    if (std::this_thread::get_id() == thread_.get_id()) {
        // Freeing itself on termination.
        thread_.detach();
        return;
    }
    if (!finished_.load()) {
        Terminate();
        WaitUntilFinished(true);
    }
    thread_.join();
}

void TThread::AfterConstruction() {
    if (!createSuspended_ && !started_.load()) Start();
}

void TThread::Start() {
    if (started_.exchange(true)) throw EThread("Cannot call Start on a running or finished thread");
    // The thread waits at the gate until thread_ is assigned, so even a
    // thread that frees itself at once finds its handle in place.
    thread_ = std::thread([this] {
        startGate_.WaitFor(INFINITE);
        Run();
    });
    threadId_.store(thread_.get_id());
    startGate_.SetEvent();
    // From here on a thread that frees itself may already be gone.
}

void TThread::Run() {
    threadId_.store(std::this_thread::get_id());
    try {
        if (!Terminated()) Execute();
    } catch (...) {
        std::lock_guard<std::mutex> lock(fatalLock_);
        fatal_ = std::current_exception();
    }
    const bool freeIt = freeOnTerminate_.load();
    try {
        DoTerminate();
    } catch (...) {
        std::lock_guard<std::mutex> lock(fatalLock_);
        if (!fatal_) fatal_ = std::current_exception();
    }
    finished_.store(true);
    finishedEvent_.SetEvent();
    UiQueue::WakeWaiters();
    if (freeIt) delete this;
}

void TThread::Terminate() {
    terminated_.store(true);
    TerminatedSet();
}

Integer TThread::WaitFor() {
    if (freeOnTerminate_.load())
        throw EThread("Cannot wait for a thread that frees itself on termination");
    if (!started_.load()) throw EThread("Cannot wait for a thread that was not started");
    if (std::this_thread::get_id() == threadId_.load())
        throw EThread("A thread cannot wait for itself");
    WaitUntilFinished(false);
    return ReturnValue();
}

void TThread::WaitUntilFinished(bool keepErrorsForLater) {
    if (!IsMainThread()) {
        finishedEvent_.WaitFor(INFINITE);
        return;
    }
    auto done = [this] { return finished_.load(); };
    if (!keepErrorsForLater) {
        UiQueue::ProcessUntil(done);
        return;
    }
    // In a destructor: errors of callbacks run meanwhile cannot be raised
    // here, so they are queued again to surface at the next drain.
    std::vector<std::exception_ptr> errors;
    for (;;) {
        try {
            UiQueue::ProcessUntil(done);
            break;
        } catch (...) {
            errors.push_back(std::current_exception());
        }
    }
    for (auto& e : errors) UiQueue::Post([e] { std::rethrow_exception(e); });
}

std::exception_ptr TThread::FatalException() const {
    std::lock_guard<std::mutex> lock(fatalLock_);
    return fatal_;
}

std::string TThread::FatalExceptionMessage() const {
    std::exception_ptr e = FatalException();
    if (!e) return {};
    try {
        std::rethrow_exception(e);
    } catch (const Exception& ex) {
        return ex.Message;
    } catch (const std::exception& ex) {
        return ex.what();
    } catch (...) {
        return "Unknown exception";
    }
}

void TThread::DoTerminate() {
    if (OnTerminate) Synchronize([this] { OnTerminate(this); });
}

void TThread::Synchronize(std::function<void()> fn) {
    if (!UiQueue::Send(std::move(fn), INFINITE))
        throw EThread("The UI thread closed down before the call could run");
}

void TThread::Queue(std::function<void()> fn) { UiQueue::Post(std::move(fn)); }
