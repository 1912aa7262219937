#include <gtest/gtest.h>

#include <cstring>

#include "platform/core/Clock.h"
#include "platform/core/UiQueue.h"
#include "serial/SioComWindow.h"
#include "serial/tests/FakeDispatcher.h"

TEST(SioTriggers, OverlappingAttemptsAreFound) {
    auto matches = [](const char* text, const std::string& input) {
        Integer counters[22] = {};
        std::vector<int> at;
        for (std::size_t i = 0; i < input.size(); ++i)
            if (TSioBaseDispatcher::MatchDataTrigger(counters, static_cast<Byte>(input[i]),
                                                     static_cast<Integer>(std::strlen(text)), false, text))
                at.push_back(static_cast<int>(i));
        return at;
    };
    EXPECT_EQ(std::vector<int>{3}, matches("AAB", "AAAB")) << "a new attempt starts inside a partial match";
    EXPECT_EQ((std::vector<int>{2, 6}), matches("ABA", "ABABABA"));
    EXPECT_EQ((std::vector<int>{5}), matches("ABA", "ABBABA"));
    EXPECT_EQ(std::vector<int>{}, matches("ABC", "ABXABD"));

    Integer counters[22] = {};
    bool found = false;
    for (char c : std::string("xok"))
        found = TSioBaseDispatcher::MatchDataTrigger(counters, static_cast<Byte>(c), 2, true, "OK") || found;
    EXPECT_TRUE(found) << "ignoring case upper-cases the received bytes";
}

class SioTriggerNotifyTest : public ::testing::Test {
protected:
    void SetUp() override {
        UiQueue::Reset();
        d_.Prepare(4096, 64);
        window_ = SioCreateWindow([this](TSioWindow, Cardinal msg, Cardinal param, Integer second) {
            messages_.push_back({msg, param, static_cast<Cardinal>(second & 0xFFFF)});
            if (msg == kSioMsgAvail) {
                Byte b;
                for (Cardinal i = 0; i < param; ++i) d_.TakeReceived(b);
            }
            return 0;
        });
        d_.AddWindowHandler(window_);
        d_.SetHandlerFlags(1);
        d_.SetAvailThreshold(1);
    }
    void TearDown() override {
        SioDestroyWindow(window_);
        SetCurrentClock(nullptr);
    }
    struct Message {
        Cardinal msg, param, data;
        bool operator==(const Message&) const = default;
    };
    TFakeDispatcher d_;
    TSioWindow window_ = 0;
    std::vector<Message> messages_;
};

TEST_F(SioTriggerNotifyTest, EmptyListsGiveOnlyTheDataAvailableNotification) {
    EXPECT_FALSE(d_.CheckTimerTriggers());
    EXPECT_FALSE(d_.CheckStatusTriggers());
    d_.Incoming = "S12E";
    d_.FillReceiveRing();
    EXPECT_TRUE(d_.CheckDataTriggers());
    EXPECT_EQ((std::vector<Message>{{kSioMsgAvail, 4, 0}}), messages_);
}

TEST_F(SioTriggerNotifyTest, DataTriggerAnnouncesTheBytesBeforeItAndItself) {
    Integer handle = d_.AddDataTrigger("E", false);
    d_.Incoming = "S12E";
    d_.FillReceiveRing();
    d_.CheckDataTriggers();
    ASSERT_EQ(2u, messages_.size());
    EXPECT_EQ((Message{kSioMsgAvail, 3, 0}), messages_[0]) << "the bytes before the matched text";
    EXPECT_EQ((Message{kSioMsgData, static_cast<Cardinal>(handle), 1}), messages_[1]);
}

TEST_F(SioTriggerNotifyTest, TimerAndStatusTriggersFireOnce) {
    ManualClock clock(55 * 100);
    SetCurrentClock(&clock);
    Integer timer = d_.AddTimerTrigger(2);
    EXPECT_FALSE(d_.CheckTimerTriggers());
    clock.Advance(3 * 55);
    d_.CheckTimerTriggers();
    EXPECT_FALSE(d_.CheckTimerTriggers());
    ASSERT_EQ(1u, messages_.size());
    EXPECT_EQ((Message{kSioMsgTimer, static_cast<Cardinal>(timer), 0}), messages_[0]);

    Integer status = d_.AddStatusTrigger(kStatusOutFree, 10);
    EXPECT_EQ(kStatusOutFree, status & 7) << "the handle's low bits are the kind";
    d_.CheckStatusTriggers();
    d_.ResetStatusTriggers();
    EXPECT_FALSE(d_.CheckStatusTriggers()) << "disarmed after firing";
    ASSERT_EQ(2u, messages_.size());
    EXPECT_EQ((Message{kSioMsgStatus, static_cast<Cardinal>(status), 64}), messages_[1]);
}

TEST(SioTriggers, SavedTriggersComeBackEntryForEntry) {
    TFakeDispatcher a;
    a.Prepare(4096, 4096);
    a.SetAvailThreshold(3);
    a.AddTimerTrigger(5);
    a.AddDataTrigger("OK", true);
    a.AddStatusTrigger(kStatusLineError, 0x1F);
    TSioSavedTriggers saved;
    a.SaveTriggers(saved);

    TFakeDispatcher b;
    b.Prepare(4096, 4096);
    b.RestoreTriggers(saved);
    EXPECT_EQ(3, b.AvailThreshold());
    EXPECT_EQ(1u, b.TimerTriggerCount());
    EXPECT_EQ(1u, b.DataTriggerCount());
    EXPECT_EQ(1u, b.StatusTriggerCount());
    TSioSavedTriggers again;
    b.SaveTriggers(again);
    ASSERT_TRUE(again.Data && saved.Data);
    EXPECT_EQ(0, std::memcmp(&(*again.Data)[0], &(*saved.Data)[0], sizeof(TSioDataTrigger)));
    EXPECT_EQ(0, std::memcmp(&(*again.Status)[0], &(*saved.Status)[0], sizeof(TSioStatusTrigger)));
    EXPECT_EQ(0, std::memcmp(&(*again.Timers)[0], &(*saved.Timers)[0], sizeof(TSioTimerTrigger)));

    b.ClearTriggers();
    EXPECT_EQ(0u, b.DataTriggerCount());
    EXPECT_EQ(0, b.AvailThreshold());
    TSioBaseDispatcher::FreeSavedTriggers(saved);
    EXPECT_FALSE(saved.Data);
}
