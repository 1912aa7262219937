#include <gtest/gtest.h>

#include "platform/core/UiQueue.h"
#include "serial/SioComWindow.h"
#include "serial/tests/FakeDispatcher.h"

namespace {
std::string TakeAll(TSioBaseDispatcher& d) {
    std::string s;
    Byte b;
    while (d.TakeReceived(b) == 0) s += static_cast<char>(b);
    return s;
}
}  // namespace

TEST(SioDispatcher, RingCountAndBaudCodes) {
    EXPECT_EQ(0u, TSioBaseDispatcher::RingCount(5, 5, false));
    EXPECT_EQ(8192u, TSioBaseDispatcher::RingCount(5, 5, true));
    EXPECT_EQ(3u, TSioBaseDispatcher::RingCount(8, 5, false));
    EXPECT_EQ(8189u, TSioBaseDispatcher::RingCount(2, 5, false));
    EXPECT_EQ(19200u, TSioBaseDispatcher::ResolveBaudCode(0xFF18));
    EXPECT_EQ(115200u, TSioBaseDispatcher::ResolveBaudCode(0xFEFF));
    EXPECT_EQ(256000u, TSioBaseDispatcher::ResolveBaudCode(0xFF27));
    EXPECT_EQ(0xFF19u, TSioBaseDispatcher::ResolveBaudCode(0xFF19));
    EXPECT_EQ(9600u, TSioBaseDispatcher::ResolveBaudCode(9600));
}

TEST(SioDispatcher, ReceiveRingHolds8192BytesWhateverTheQueueSize) {
    TFakeDispatcher d;
    d.Prepare(4096, 4096);
    d.Incoming = std::string(9000, 'x');
    d.Incoming[8191] = 'L';
    d.Incoming[8192] = 'N';
    EXPECT_TRUE(d.FillReceiveRing());
    EXPECT_EQ(8192u, d.ReceivedCount()) << "a full ring reports 8192";
    EXPECT_EQ(808u, d.Incoming.size()) << "the 8193rd byte waits in the driver";
    EXPECT_TRUE(d.FillReceiveRing());
    EXPECT_EQ(808u, d.Incoming.size()) << "nothing is read into a full ring";
    EXPECT_FALSE(d.InputWanted());

    Byte b;
    ASSERT_EQ(0, d.TakeReceived(b));
    EXPECT_EQ(8191u, d.ReceivedCount()) << "taking one byte clears the full flag";
    EXPECT_TRUE(d.InputWanted());
    EXPECT_EQ(1, d.Wakes) << "the event thread is told the ring has room again";
    EXPECT_TRUE(d.FillReceiveRing());
    EXPECT_EQ(8192u, d.ReceivedCount());
    std::string all = TakeAll(d);
    ASSERT_EQ(8192u, all.size());
    EXPECT_EQ('L', all[8190]);
    EXPECT_EQ('N', all[8191]) << "the byte read after wrapping comes last";
}

TEST(SioDispatcher, PeekDoesNotMoveTheTail) {
    TFakeDispatcher d;
    d.Prepare(4096, 4096);
    d.Incoming = "ab";
    d.FillReceiveRing();
    Byte b = 0;
    EXPECT_EQ(-3007, d.PeekReceived(b, 3));
    d.Incoming = "c";
    d.FillReceiveRing();
    ASSERT_EQ(0, d.PeekReceived(b, 3));
    EXPECT_EQ('c', b);
    EXPECT_EQ(3u, d.ReceivedCount());
    EXPECT_EQ("abc", TakeAll(d));
    EXPECT_EQ(-3007, d.TakeReceived(b));
}

TEST(SioDispatcher, SendBlockFillsTheOutputRingExactly) {
    TFakeDispatcher d;
    d.Prepare(4096, 8);
    EXPECT_EQ(0, d.SendBlock("", 0));
    EXPECT_EQ(0, d.SendBlock("12345678", 8)) << "exactly the free space";
    EXPECT_EQ(8u, d.OutputUsed());
    EXPECT_EQ(0u, d.OutputFree());
    EXPECT_EQ(-3006, d.SendBlock("9", 1));
    EXPECT_EQ(8u, d.OutputUsed()) << "nothing queued";
    d.DrainOutput();
    EXPECT_EQ("12345678", d.Written);
    EXPECT_EQ(0u, d.OutputUsed());
}

TEST(SioDispatcher, BlockPastTheEndOfTheOutputRingWraps) {
    TFakeDispatcher d;
    d.Prepare(4096, 10);
    ASSERT_EQ(0, d.SendBlock("ABCDEF", 6));
    d.WriteLimit = 4;
    d.WritesLeft = 1;  // the device takes 4 bytes, then nothing for now
    d.DrainOutput();
    EXPECT_EQ("ABCD", d.Written);
    EXPECT_EQ(2u, d.OutputUsed());
    ASSERT_EQ(0, d.SendBlock("ghijklmn", 8)) << "runs past the end and continues at the start";
    EXPECT_EQ(0u, d.OutputFree());
    d.WritesLeft = -1;
    d.DrainOutput();
    EXPECT_EQ("ABCDEFghijklmn", d.Written);
    EXPECT_EQ(0u, d.OutputUsed());
    ASSERT_EQ(0, d.SendBlock("0123456789", 10)) << "an empty ring takes its whole size again";
    d.DrainOutput();
    EXPECT_EQ("ABCDEFghijklmn0123456789", d.Written);
}

TEST(SioDispatcher, ChangeLineSettingsWithoutChangeTouchesNothing) {
    TFakeDispatcher d;
    d.State.BaudRate = 19200;
    d.Prepare(4096, 4096);
    EXPECT_EQ(0, d.ChangeLineSettings(0, 5, 3, 9));
    EXPECT_EQ(0, d.SetStateCalls);
    EXPECT_EQ(0, d.ChangeLineSettings(19200, 0, 1, 8)) << "the same values make no device call";
    EXPECT_EQ(0, d.SetStateCalls);

    EXPECT_EQ(0, d.ChangeLineSettings(19200, 0, 2, 5));
    EXPECT_EQ(1, d.SetStateCalls);
    EXPECT_EQ(ONE5STOPBITS, d.State.StopBits) << "5 data bits with 2 stop bits gives 1.5";
    EXPECT_EQ(5, d.State.ByteSize);

    EXPECT_EQ(0, d.ChangeLineSettings(0xFF18, 2, 1, 7));
    EXPECT_EQ(0xFF18u, d.State.BaudRate);
    EXPECT_EQ(0xFF18u, d.LastBaud()) << "drained as 19200 baud: " << TSioBaseDispatcher::ResolveBaudCode(d.LastBaud());
    EXPECT_EQ(EVENPARITY, d.State.Parity);
    EXPECT_EQ(ONESTOPBIT, d.State.StopBits);
    EXPECT_TRUE(d.State.fBinary);
    EXPECT_TRUE(d.State.fTXContinueOnXoff);

    Integer baud, parity;
    Word stop, data;
    d.GetLineSettings(baud, parity, stop, data);
    EXPECT_EQ(19200, baud);
    EXPECT_EQ(7, data);
    EXPECT_EQ(1, stop);
}

TEST(SioDispatcher, FlowControlLimits) {
    TFakeDispatcher d;
    d.Prepare(4096, 4096);
    EXPECT_EQ(-1002, d.SetHardwareFlow(100, 200, 2));
    EXPECT_EQ(-1002, d.SetHardwareFlow(5000, 200, 2)) << "above the input queue";
    EXPECT_EQ(0, d.SetHardwareFlow(3686, 409, 2 | 8));
    EXPECT_EQ(410, d.State.XoffLim);
    EXPECT_EQ(409, d.State.XonLim);
    EXPECT_EQ(RTS_CONTROL_HANDSHAKE, d.State.fRtsControl);
    EXPECT_TRUE(d.State.fOutxCtsFlow);
    EXPECT_TRUE(d.RtsAutomatic());
    EXPECT_EQ(1, d.SetRTSLine(false)) << "a line under flow control is left alone";

    Cardinal hw, sw;
    char xon, xoff;
    EXPECT_EQ(0, d.GetFlowSettings(hw, sw, xoff, xon));
    EXPECT_EQ(2u | 8u, hw);
    EXPECT_EQ(0u, sw);

    EXPECT_EQ(0, d.SetSoftwareFlow(3072, 1024, 3));
    EXPECT_TRUE(d.State.fInX);
    EXPECT_TRUE(d.State.fOutX);
    EXPECT_EQ(17, d.State.XonChar);
    EXPECT_EQ(0, d.SetFlowChars('a', 'b'));
    EXPECT_EQ('a', d.State.XonChar);
    EXPECT_EQ(0, d.ClearSoftwareFlow());
    EXPECT_FALSE(d.State.fInX);
    EXPECT_FALSE(d.State.fOutX);
}

TEST(SioDispatcher, LineErrorsAndModemStatus) {
    TFakeDispatcher d;
    d.Prepare(4096, 4096);
    d.PendingErrors = CE_FRAME | CE_BREAK;
    d.RefreshLineErrors();
    EXPECT_EQ(4, d.TakeLineError());
    EXPECT_EQ(9, d.TakeLineError()) << "the break bit stays after the others are cleared";
    EXPECT_TRUE(d.TakeLineBreak());
    EXPECT_FALSE(d.TakeLineBreak());
    EXPECT_EQ(0, d.TakeLineError());

    d.ModemLines = MS_CTS_ON | MS_RLSD_ON;
    EXPECT_EQ(0x90, d.ReadModemStatus(0xF0));
    d.ModemLines = MS_RLSD_ON;
    d.RefreshModemDeltas();
    EXPECT_EQ(0x81, d.ReadModemStatus(0xFF)) << "CTS changed";
    EXPECT_EQ(0x81, d.ReadModemStatus(0xF0));
    EXPECT_EQ(0x80, d.ReadModemStatus(0xF0)) << "0xF0 cleared the change bits";
}

// A handler window for notifications, run at once on the UI thread.
class SioNotifyTest : public ::testing::Test {
protected:
    void SetUp() override { UiQueue::Reset(); }
    void TearDown() override {
        if (window_) SioDestroyWindow(window_);
    }
    void Attach(TFakeDispatcher& d, std::function<void(Cardinal count)> handler) {
        window_ = SioCreateWindow([handler](TSioWindow, Cardinal msg, Cardinal param, Integer) {
            if (msg == kSioMsgAvail) handler(param);
            return 0;
        });
        d.AddWindowHandler(window_);
        d.SetHandlerFlags(1);
        d.SetAvailThreshold(1);
    }
    TSioWindow window_ = 0;
};

TEST_F(SioNotifyTest, UnreadBytesAreOfferedAgainWithTheNextOnes) {
    TFakeDispatcher d;
    d.Prepare(4096, 4096);
    std::vector<Cardinal> counts;
    std::string read;
    Attach(d, [&](Cardinal count) {
        counts.push_back(count);
        Byte b;
        for (int i = 0; i < 3 && d.TakeReceived(b) == 0; ++i) read += static_cast<char>(b);
    });
    d.Incoming = "abcde";
    d.FillReceiveRing();
    EXPECT_FALSE(d.CheckDataTriggers()) << "the handler left bytes: this round ends";
    EXPECT_EQ("abc", read);
    EXPECT_EQ(2u, d.ReceivedCount());
    EXPECT_FALSE(d.CheckDataTriggers()) << "no new bytes, no new notification";
    EXPECT_EQ(1u, counts.size());
    d.Incoming = "fg";
    d.FillReceiveRing();
    d.CheckDataTriggers();
    ASSERT_EQ(2u, counts.size());
    EXPECT_EQ(4u, counts[1]) << "2 unread + 2 new";
    EXPECT_EQ("abcdef", read);
}

TEST_F(SioNotifyTest, BytesTakenDuringTheHandlerAreCountedNotConsumed) {
    TFakeDispatcher d;
    d.Prepare(4096, 4096);
    std::string read;
    Cardinal duringCount = 99;
    Attach(d, [&](Cardinal count) {
        Byte b;
        for (Cardinal i = 0; i < count; ++i)
            if (d.TakeReceived(b) == 0) read += static_cast<char>(b);
        duringCount = d.ReceivedCount();
        EXPECT_EQ(-3007, d.TakeReceived(b)) << "nothing beyond the count";
    });
    d.Incoming = "K\r\n";
    d.FillReceiveRing();
    EXPECT_TRUE(d.CheckDataTriggers());
    EXPECT_EQ("K\r\n", read);
    EXPECT_EQ(0u, duringCount);
    EXPECT_EQ(0u, d.ReceivedCount()) << "the ring moved on by the count";
}

TEST_F(SioNotifyTest, FlushDuringTheNotificationConsumesEverything) {
    TFakeDispatcher d;
    d.Prepare(4096, 4096);
    Attach(d, [&](Cardinal) {
        Byte b;
        d.TakeReceived(b);
        d.FlushInput();
    });
    d.Incoming = "abcdef";
    d.FillReceiveRing();
    d.CheckDataTriggers();
    EXPECT_EQ(0u, d.ReceivedCount());
}

TEST_F(SioNotifyTest, NoPortHandlerMeansNoNotification) {
    TFakeDispatcher d;
    d.Prepare(4096, 4096);
    int calls = 0;
    Attach(d, [&](Cardinal) { ++calls; });
    d.SetHandlerFlags(2);  // the component's trigger events are all unassigned
    d.Incoming = "xyz";
    d.FillReceiveRing();
    d.CheckDataTriggers();
    EXPECT_EQ(0, calls);
    EXPECT_EQ(3u, d.ReceivedCount()) << "the bytes wait in the ring until read";
}

TEST_F(SioNotifyTest, HandlerRemovedDuringANotificationGoesAfterIt) {
    TFakeDispatcher d;
    d.Prepare(4096, 4096);
    int calls = 0;
    Attach(d, [&](Cardinal) {
        ++calls;
        d.RemoveWindowHandler(window_);
        Byte b;
        while (d.TakeReceived(b) == 0) {
        }
    });
    d.Incoming = "1";
    d.FillReceiveRing();
    d.CheckDataTriggers();
    d.Incoming = "2";
    d.FillReceiveRing();
    d.CheckDataTriggers();
    EXPECT_EQ(1, calls);
}
