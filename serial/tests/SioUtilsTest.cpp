#include <gtest/gtest.h>

#include "platform/core/Clock.h"
#include "platform/core/Exception.h"
#include "platform/core/UiQueue.h"
#include "serial/ComSelectForm.h"
#include "serial/SioComPort.h"
#include "serial/SioUtils.h"
#include "serial/tests/SioTestSupport.h"

class SioClockTest : public ::testing::Test {
protected:
    void TearDown() override { SetCurrentClock(nullptr); }
    void Use(ManualClock& c) { SetCurrentClock(&c); }
};

TEST_F(SioClockTest, MillisecondClockWrapsAt32Bits) {
    ManualClock clock(0xFFFFFFFFull);
    Use(clock);
    EXPECT_EQ(0xFFFFFFFFu, SioTimeMs());
    clock.Advance(2);
    EXPECT_EQ(1u, SioTimeMs());
}

TEST_F(SioClockTest, TickTimers) {
    ManualClock clock(55 * 1000);
    Use(clock);
    TSioTickTimer t;
    StartTicks(t, 2);
    EXPECT_FALSE(TicksExpired(t));
    clock.Advance(2 * 55);
    EXPECT_FALSE(TicksExpired(t)) << "expires once more than its length has passed";
    clock.Advance(55);
    EXPECT_TRUE(TicksExpired(t));

    StartTicks(t, 50000000);
    EXPECT_EQ(kSioMaxTicks, t.ExpiryTick - t.StartTick);
}

TEST_F(SioClockTest, TickTimerStartedJustBeforeTheWrapStillExpires) {
    const std::uint64_t lastTicks = 0xFFFFFFFFull / 55;  // the last tick before the clock wraps
    ManualClock clock((lastTicks - 1) * 55);
    Use(clock);
    TSioTickTimer t;
    StartTicks(t, 36);
    clock.Advance(20 * 55);
    EXPECT_FALSE(TicksExpired(t)) << "the tick count wrapped meanwhile";
    clock.Advance(16 * 55);
    EXPECT_FALSE(TicksExpired(t));
    clock.Advance(2 * 55);
    EXPECT_TRUE(TicksExpired(t));
}

TEST(SioUtils, DeviceNamesAndFiles) {
    EXPECT_EQ("\\\\.\\COM3", FormatDeviceName(3));
    EXPECT_EQ(3, PortNumberOfDeviceName(FormatDeviceName(3)));
    EXPECT_EQ(24, PortNumberOfDeviceName("\\\\.\\COM24"));
    EXPECT_EQ(0, PortNumberOfDeviceName("COM3"));
    EXPECT_EQ(0, PortNumberOfDeviceName("\\\\.\\COM"));
    EXPECT_EQ(0, PortNumberOfDeviceName("\\\\.\\COM3x"));
    EXPECT_FALSE(FileExistsText("/no/such/file"));
    EXPECT_FALSE(FileExistsText("/tmp")) << "a folder is no file";
}

TEST(SioUtils, PumpOneMessageRunsWhatIsQueued) {
    UiQueue::Reset();
    EXPECT_FALSE(PumpOneMessage());
    bool ran = false;
    UiQueue::Post([&] { ran = true; });
    EXPECT_TRUE(PumpOneMessage());
    EXPECT_TRUE(ran);
}

TEST(ComSelectForm, ListsPresentPortsIncludingOnesInUse) {
    UiQueue::Reset();
    TTestPortFolder ports;
    ports.HideDefaultPorts();
    auto free1 = ports.Plug(1);
    auto busy3 = ports.Plug(3);
    auto high = ports.Plug(42);
    TSioComPort holder(nullptr);
    holder.SetComNumber(3);
    holder.SetOpen(true);

    EXPECT_TRUE(IsPortPresent(1));
    EXPECT_TRUE(IsPortPresent(3)) << "present but in use";
    EXPECT_FALSE(IsPortPresent(2));
    EXPECT_FALSE(IsPortPresent(0));
    EXPECT_FALSE(IsPortPresent(99));

    TComSelectForm form(nullptr);
    EXPECT_EQ((std::vector<std::string>{"COM1", "COM3", "COM42"}), form.PortsComboBox);
    EXPECT_EQ(0, form.ItemIndex);
    EXPECT_EQ(1, form.ComSelectPortNumber());
    form.ItemIndex = 2;
    EXPECT_EQ(42, form.ComSelectPortNumber());
    EXPECT_EQ("Select Port", form.Caption);
    EXPECT_FALSE(form.ShowModal()) << "without a window the dialog is cancelled";

    form.PortsComboBox.clear();
    form.ItemIndex = -1;
    EXPECT_THROW(form.ComSelectPortNumber(), EConvertError) << "OK with no port listed";
}
