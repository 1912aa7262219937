#include "platform/core/Threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>

#include "platform/core/UiQueue.h"

namespace {

class ThreadsTest : public ::testing::Test {
protected:
    void SetUp() override { UiQueue::Reset(); }
    void TearDown() override { UiQueue::Reset(); }
};

TEST_F(ThreadsTest, CriticalSectionIsReentrantForItsHolderOnly) {
    TCriticalSection cs;
    auto tryFromOtherThread = [&] {
        bool got = false;
        std::thread t([&] {
            got = cs.TryEnter();
            if (got) cs.Leave();
        });
        t.join();
        return got;
    };
    {
        TCriticalSectionGuard outer(cs);
        cs.Enter();  // again, by the same thread
        EXPECT_TRUE(cs.TryEnter());
        cs.Leave();
        cs.Leave();
        EXPECT_FALSE(tryFromOtherThread());  // the guard still holds it
    }
    EXPECT_TRUE(tryFromOtherThread());
}

TEST_F(ThreadsTest, ManualAndAutoResetEvents) {
    struct Case {
        bool manual;
        bool initial;
        TWaitResult first, second;
    };
    const Case cases[] = {
        {true, false, wrTimeout, wrTimeout},
        {true, true, wrSignaled, wrSignaled},   // stays signalled
        {false, true, wrSignaled, wrTimeout},   // consumed by the first wait
    };
    for (const Case& c : cases) {
        TEvent e(c.manual, c.initial);
        EXPECT_EQ(e.WaitFor(0), c.first) << c.manual << c.initial;
        EXPECT_EQ(e.WaitFor(0), c.second) << c.manual << c.initial;
    }
    TSimpleEvent simple;
    EXPECT_EQ(simple.WaitFor(0), wrTimeout);
    simple.SetEvent();
    EXPECT_EQ(simple.WaitFor(0), wrSignaled);
    simple.ResetEvent();
    EXPECT_EQ(simple.WaitFor(1), wrTimeout);

    // A waiter on another thread is released by SetEvent.
    TEvent go(false, false);
    TWaitResult seen = wrError;
    std::thread waiter([&] { seen = go.WaitFor(INFINITE); });
    go.SetEvent();
    waiter.join();
    EXPECT_EQ(seen, wrSignaled);
}

TEST_F(ThreadsTest, WaitForAnyReportsTheLowestSignalledAndConsumesOnlyIt) {
    TEvent data(false, false);  // auto-reset, like a "data arrived" event
    TEvent stop(true, false);   // manual-reset, like a "stop" event
    int which = 99;
    EXPECT_EQ(TEvent::WaitForAny({&data, &stop}, 0, &which), wrTimeout);
    EXPECT_EQ(which, -1);

    data.SetEvent();
    stop.SetEvent();
    EXPECT_EQ(TEvent::WaitForAny({&data, &stop}, INFINITE, &which), wrSignaled);
    EXPECT_EQ(which, 0);
    EXPECT_EQ(TEvent::WaitForAny({&data, &stop}, INFINITE, &which), wrSignaled);
    EXPECT_EQ(which, 1);
    EXPECT_EQ(TEvent::WaitForAny({&data, &stop}, 0, &which), wrSignaled);  // stop stays set
    EXPECT_EQ(which, 1);

    EXPECT_EQ(TEvent::WaitForAny(std::vector<TEvent*>{}, 0, &which), wrError);
    EXPECT_EQ(TEvent::WaitForAny({&data, nullptr}, 0, &which), wrError);

    // Across threads: a worker waiting on both wakes for the one set.
    stop.ResetEvent();
    int workerSaw = -1;
    std::thread worker([&] { TEvent::WaitForAny({&data, &stop}, INFINITE, &workerSaw); });
    stop.SetEvent();
    worker.join();
    EXPECT_EQ(workerSaw, 1);
}

// --- TThread ----------------------------------------------------------------

class TFnThread : public TThread {
public:
    explicit TFnThread(std::function<void(TFnThread&)> body, bool suspended = true)
        : TThread(suspended), body_(std::move(body)) {}
    ~TFnThread() override {
        Terminate();
        if (Started() && !FreeOnTerminate()) WaitFor();
    }
    using TThread::SetReturnValue;

protected:
    void Execute() override { body_(*this); }

private:
    std::function<void(TFnThread&)> body_;
};

TEST_F(ThreadsTest, ReturnValueAndOnTerminateOnTheUiThread) {
    TFnThread t([](TFnThread& self) { self.SetReturnValue(42); });
    std::thread::id terminateRanOn;
    TObject* sender = nullptr;
    t.OnTerminate = [&](TObject* s) {
        sender = s;
        terminateRanOn = std::this_thread::get_id();
    };
    EXPECT_THROW(t.WaitFor(), EThread);  // not started
    t.Start();
    EXPECT_THROW(t.Start(), EThread);
    EXPECT_EQ(t.WaitFor(), 42);  // pumps the queue, so OnTerminate can run
    EXPECT_TRUE(t.Finished());
    EXPECT_EQ(sender, &t);
    EXPECT_EQ(terminateRanOn, std::this_thread::get_id());
    EXPECT_EQ(t.FatalException(), nullptr);
}

TEST_F(ThreadsTest, ExceptionEscapingExecuteIsKept) {
    TFnThread t([](TFnThread&) { throw EInOutError("Port vanished", 5); });
    TFnThread std_([](TFnThread&) { throw std::runtime_error("plain"); });
    t.Start();
    std_.Start();
    t.WaitFor();
    std_.WaitFor();
    ASSERT_NE(t.FatalException(), nullptr);
    EXPECT_THROW(std::rethrow_exception(t.FatalException()), EInOutError);
    EXPECT_EQ(t.FatalExceptionMessage(), "Port vanished");
    EXPECT_EQ(std_.FatalExceptionMessage(), "plain");
}

TEST_F(ThreadsTest, SynchronizeRunsOnTheUiThreadAndCarriesExceptionsBack) {
    std::thread::id ranOn;
    std::string caught;
    int value = 0;
    TFnThread t([&](TFnThread&) {
        TThread::Synchronize([&] {
            ranOn = std::this_thread::get_id();
            value = 7;
        });
        value *= 2;  // after Synchronize the UI work is done
        try {
            TThread::Synchronize([] { throw EAbort("stop"); });
        } catch (const EAbort& e) {
            caught = e.Message;
        }
        TThread::Queue([&] { value += 1; });
    });
    t.Start();
    t.WaitFor();
    UiQueue::ProcessPending();  // the queued call may still be waiting
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_EQ(value, 15);
    EXPECT_EQ(caught, "stop");
}

TEST_F(ThreadsTest, SynchronizeAfterShutdownFailsInsteadOfHanging) {
    UiQueue::Shutdown();
    bool ran = false;
    TFnThread t([&](TFnThread&) { TThread::Synchronize([&] { ran = true; }); });
    t.Start();
    t.WaitFor();
    EXPECT_FALSE(ran);
    EXPECT_NE(t.FatalExceptionMessage(), "");
}

// Loops until terminated, using only what TThread provides.
class TSpinThread : public TThread {
public:
    TSpinThread(TEvent* running, bool* synced) : TThread(false), running_(running), synced_(synced) {}

protected:
    void Execute() override {
        // The test deletes the thread as soon as it is told it runs, so
        // this part is gone before ~TThread stops it: the members are read
        // first, and only the base is touched after the signal.
        bool* synced = synced_;
        TThread* self = this;
        running_->SetEvent();
        Synchronize([synced] { *synced = true; });
        while (!self->Terminated()) std::this_thread::yield();
    }

private:
    TEvent* running_;
    bool* synced_;
};

TEST_F(ThreadsTest, DestroyingARunningThreadInSynchronizeTerminatesAndWaits) {
    TEvent running;
    bool synced = false;
    TThread* t = TThread::Create<TSpinThread>(&running, &synced);  // starts at once
    ASSERT_EQ(running.WaitFor(INFINITE), wrSignaled);
    // The worker is in (or about to enter) Synchronize; deleting on the UI
    // thread must run that call rather than deadlock, then stop the thread.
    delete t;
    EXPECT_TRUE(synced);
}

class TSelfFreeing : public TThread {
public:
    explicit TSelfFreeing(TEvent* gone) : TThread(true), gone_(gone) {}
    ~TSelfFreeing() override { gone_->SetEvent(); }

protected:
    void Execute() override {}

private:
    TEvent* gone_;
};

TEST_F(ThreadsTest, FreeOnTerminateThreadFreesItself) {
    TEvent gone;
    auto* t = new TSelfFreeing(&gone);
    t->SetFreeOnTerminate(true);
    EXPECT_THROW(t->WaitFor(), EThread);
    t->Start();
    EXPECT_EQ(gone.WaitFor(INFINITE), wrSignaled);
}

TEST_F(ThreadsTest, TerminatedSetWakesAWaitingWorker) {
    // The serial-worker pattern: wait for "data or stop".
    class TWorker : public TThread {
    public:
        TWorker() : TThread(true) {}
        ~TWorker() override {
            Terminate();
            WaitFor();
        }
        TEvent Data{false, false};
        TEvent Processed{false, false};
        int Packets = 0;

    protected:
        void TerminatedSet() override { stop_.SetEvent(); }
        void Execute() override {
            int which = -1;
            while (TEvent::WaitForAny({&Data, &stop_}, INFINITE, &which) == wrSignaled &&
                   which == 0) {
                ++Packets;
                Processed.SetEvent();
            }
            SetReturnValue(Packets);
        }

    private:
        TEvent stop_{true, false};
    };
    TWorker w;
    w.Data.SetEvent();
    w.Start();
    ASSERT_EQ(w.Processed.WaitFor(INFINITE), wrSignaled);
    w.Terminate();  // the worker is waiting again; only the stop event can end it
    EXPECT_EQ(w.WaitFor(), 1);
    EXPECT_TRUE(w.Terminated());
}

TEST_F(ThreadsTest, MainThreadIdentity) {
    EXPECT_TRUE(IsMainThread());
    bool workerIsMain = true;
    std::thread([&] { workerIsMain = IsMainThread(); }).join();
    EXPECT_FALSE(workerIsMain);
}

}  // namespace
