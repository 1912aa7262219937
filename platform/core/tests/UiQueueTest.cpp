#include "platform/core/UiQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

class UiQueueTest : public ::testing::Test {
protected:
    void SetUp() override { UiQueue::Reset(); }
    void TearDown() override { UiQueue::Reset(); }
};

TEST_F(UiQueueTest, PostedCallbacksRunInOrderOnlyWhenDrainedOnTheUiThread) {
    std::atomic<int> wakes{0};
    UiQueue::SetWakeHandler([&] { ++wakes; });
    std::vector<std::string> ran;
    std::vector<std::thread::id> threads;
    std::thread worker([&] {
        for (const char* s : {"a", "b", "c"})
            UiQueue::Post([&, s] {
                ran.push_back(s);
                threads.push_back(std::this_thread::get_id());
            });
    });
    worker.join();
    EXPECT_EQ(wakes.load(), 3);
    EXPECT_TRUE(ran.empty());
    EXPECT_TRUE(UiQueue::HasPending());

    EXPECT_EQ(UiQueue::ProcessPending(), 3);
    EXPECT_EQ(ran, (std::vector<std::string>{"a", "b", "c"}));
    for (auto id : threads) EXPECT_EQ(id, std::this_thread::get_id());
    EXPECT_EQ(UiQueue::ProcessPending(), 0);

    bool offUiRaised = false;
    std::thread([&] {
        try {
            UiQueue::ProcessPending();
        } catch (const EInvalidOperation&) {
            offUiRaised = true;
        }
    }).join();
    EXPECT_TRUE(offUiRaised);
}

TEST_F(UiQueueTest, DrainingRunsWhatIsPostedMeanwhileButNotForever) {
    std::vector<int> ran;
    UiQueue::Post([&] {
        ran.push_back(1);
        UiQueue::Post([&] { ran.push_back(2); });
    });
    EXPECT_EQ(UiQueue::ProcessPending(), 2);
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));

    int repeats = 0;
    std::function<void()> again = [&] {
        ++repeats;
        UiQueue::Post(again);
    };
    UiQueue::Post(again);
    int n = UiQueue::ProcessPending();  // must return
    EXPECT_GT(n, 1);
    EXPECT_EQ(n, repeats);
    EXPECT_TRUE(UiQueue::HasPending());
}

TEST_F(UiQueueTest, ExceptionFromAPostedCallbackLeavesTheRestQueued) {
    std::vector<int> ran;
    UiQueue::Post([] { throw EAbort("boom"); });
    UiQueue::Post([&] { ran.push_back(2); });
    EXPECT_THROW(UiQueue::ProcessPending(), EAbort);
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(UiQueue::ProcessPending(), 1);
    EXPECT_EQ(ran, (std::vector<int>{2}));
}

TEST_F(UiQueueTest, SendFromTheUiThreadRunsAtOnce) {
    bool ran = false;
    EXPECT_TRUE(UiQueue::Send([&] { ran = true; }, 0));
    EXPECT_TRUE(ran);
    EXPECT_FALSE(UiQueue::HasPending());
}

TEST_F(UiQueueTest, SendFromAWorkerWaitsForTheUiThreadAndCarriesErrorsBack) {
    std::atomic<bool> workerDone{false};
    bool sent = false;
    int local = 0;
    std::thread::id ranOn;
    std::string error;
    std::thread worker([&] {
        sent = UiQueue::Send([&] {
            local = 5;
            ranOn = std::this_thread::get_id();
        });
        local *= 3;  // the UI work is complete when Send returns
        try {
            UiQueue::Send([] { throw EConvertError("bad value"); }, INFINITE);
        } catch (const EConvertError& e) {
            error = e.Message;
        }
        workerDone = true;
        UiQueue::WakeWaiters();
    });
    EXPECT_TRUE(UiQueue::ProcessUntil([&] { return workerDone.load(); }));
    worker.join();
    EXPECT_TRUE(sent);
    EXPECT_EQ(local, 15);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_EQ(error, "bad value");
}

TEST_F(UiQueueTest, SendThatTimesOutIsWithdrawnAndNeverRuns) {
    bool ran = false;
    bool sent = true;
    // The UI thread does not drain while the worker waits.
    std::thread worker([&] { sent = UiQueue::Send([&] { ran = true; }, 1); });
    worker.join();
    EXPECT_FALSE(sent);
    EXPECT_FALSE(UiQueue::HasPending());
    EXPECT_EQ(UiQueue::ProcessPending(), 0);
    EXPECT_FALSE(ran);
}

TEST_F(UiQueueTest, SendNeverReturnsWhileItsCallbackStillRuns) {
    // The callback outlasts the sender's time-out. Whichever way the race
    // goes, the callback must not be running or run later once Send has
    // returned: it uses the worker's locals.
    std::atomic<bool> workerDone{false};
    std::atomic<bool> started{false}, finished{false};
    bool sent = false;
    bool startedWhenReturned = false, finishedWhenReturned = false;
    std::thread worker([&] {
        TEvent never;
        sent = UiQueue::Send(
            [&] {
                started = true;
                never.WaitFor(50);  // longer than the sender's time-out
                finished = true;
            },
            10);
        startedWhenReturned = started;
        finishedWhenReturned = finished;
        workerDone = true;
        UiQueue::WakeWaiters();
    });
    UiQueue::ProcessUntil([&] { return workerDone.load(); });
    worker.join();
    UiQueue::ProcessPending();
    if (sent) {
        EXPECT_TRUE(finishedWhenReturned);
    } else {
        EXPECT_FALSE(startedWhenReturned);
        EXPECT_FALSE(started.load());
    }
}

TEST_F(UiQueueTest, ShutdownReleasesWaitingSendersAndRefusesWork) {
    TEvent queued(false, false);
    UiQueue::SetWakeHandler([&] { queued.SetEvent(); });
    bool sent = true, ran = false;
    std::thread worker([&] { sent = UiQueue::Send([&] { ran = true; }, INFINITE); });
    ASSERT_EQ(queued.WaitFor(INFINITE), wrSignaled);
    UiQueue::Shutdown();
    worker.join();
    EXPECT_FALSE(sent);

    UiQueue::Post([&] { ran = true; });
    EXPECT_FALSE(UiQueue::HasPending());
    std::thread late([&] { sent = UiQueue::Send([&] { ran = true; }, INFINITE); });
    late.join();
    EXPECT_FALSE(sent);
    EXPECT_FALSE(ran);

    UiQueue::Reset();  // open again
    UiQueue::Post([&] { ran = true; });
    UiQueue::ProcessPending();
    EXPECT_TRUE(ran);
}

TEST_F(UiQueueTest, ProcessMessagesRunsTheHookAndDrains) {
    std::vector<std::string> ran;
    UiQueue::SetProcessMessagesHook([&] { ran.push_back("hook"); });
    UiQueue::Post([&] { ran.push_back("posted"); });
    std::thread([] { ProcessMessages(); }).join();  // off the UI thread: nothing
    EXPECT_TRUE(ran.empty());
    ProcessMessages();
    EXPECT_EQ(ran, (std::vector<std::string>{"hook", "posted"}));
}

TEST_F(UiQueueTest, ProcessUntilGivesUpAtItsTimeOut) {
    EXPECT_FALSE(UiQueue::ProcessUntil([] { return false; }, 1));
    EXPECT_TRUE(UiQueue::ProcessUntil([] { return true; }, 0));
}

}  // namespace
