#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <thread>

#include "platform/os/PollEvent.h"
#include "platform/os/PseudoTerminal.h"
#include "platform/os/SerialDevice.h"
#include "platform/os/tests/UnprivilegedChild.h"

namespace {
SerialDeviceState State19200_8N1() {
    SerialDeviceState s;
    s.BaudRate = 19200;
    s.ByteSize = 8;
    s.Parity = NOPARITY;
    s.StopBits = ONESTOPBIT;
    return s;
}
}  // namespace

TEST(SerialDevice, LineSettingsReadBackFromTermios) {
    PseudoTerminal pty;
    SerialDevice dev;
    ASSERT_EQ(0, dev.Open(pty.SlavePath()));
    ASSERT_EQ(0, dev.SetupQueues(4096, 4096));
    ASSERT_EQ(0, dev.SetState(State19200_8N1()));

    termios t{};
    ASSERT_EQ(0, tcgetattr(dev.Fd(), &t));
    EXPECT_EQ(B19200, cfgetospeed(&t));
    EXPECT_EQ(B19200, cfgetispeed(&t));
    EXPECT_EQ(static_cast<tcflag_t>(CS8), t.c_cflag & CSIZE);
    EXPECT_FALSE(t.c_cflag & PARENB);
    EXPECT_FALSE(t.c_cflag & CSTOPB);
    EXPECT_FALSE(t.c_cflag & CRTSCTS);
    EXPECT_FALSE(t.c_iflag & (IXON | IXOFF));
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO));

    SerialDeviceState back;
    ASSERT_EQ(0, dev.GetState(back));
    EXPECT_EQ(19200u, back.BaudRate);
    EXPECT_EQ(8, back.ByteSize);
    EXPECT_EQ(NOPARITY, back.Parity);
    EXPECT_EQ(ONESTOPBIT, back.StopBits);

    SerialDeviceState two = back;
    two.StopBits = TWOSTOPBITS;
    two.BaudRate = 115200;
    ASSERT_EQ(0, dev.SetState(two));
    ASSERT_EQ(0, dev.GetState(back));
    EXPECT_EQ(115200u, back.BaudRate);
    EXPECT_EQ(TWOSTOPBITS, back.StopBits);
}

TEST(SerialDevice, OpeningLeavesTheSettingsAlone) {
    // A pty as the kernel makes it: canonical mode with echo.
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(0, grantpt(master));
    ASSERT_EQ(0, unlockpt(master));
    std::string slave = ptsname(master);
    SerialDevice dev;
    ASSERT_EQ(0, dev.Open(slave));
    termios t{};
    ASSERT_EQ(0, tcgetattr(dev.Fd(), &t));
    EXPECT_TRUE(t.c_lflag & ICANON) << "probing a port must not change it";
    ASSERT_EQ(0, dev.SetupQueues(4096, 4096));
    ASSERT_EQ(0, tcgetattr(dev.Fd(), &t));
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO));
    EXPECT_TRUE(t.c_cflag & CREAD);
    dev.Close();
    close(master);
}

TEST(SerialDevice, RefusesRatesAndSizesTermiosCannotSet) {
    PseudoTerminal pty;
    SerialDevice dev;
    ASSERT_EQ(0, dev.Open(pty.SlavePath()));
    SerialDeviceState s = State19200_8N1();
    s.BaudRate = 12345;
    EXPECT_EQ(-kOsErrorInvalidParameter, dev.SetState(s));
    s = State19200_8N1();
    s.ByteSize = 9;
    EXPECT_EQ(-kOsErrorInvalidParameter, dev.SetState(s));
}

TEST(SerialDevice, OpenFailuresMapToPlatformNumbers) {
    PseudoTerminal pty;
    SerialDevice first, second;
    ASSERT_EQ(0, first.Open(pty.SlavePath()));
    EXPECT_EQ(-kOsErrorAccessDenied, second.Open(pty.SlavePath()));
    first.Close();
    EXPECT_EQ(0, second.Open(pty.SlavePath())) << "the lock goes with the close";

    SerialDevice missing;
    EXPECT_EQ(-kOsErrorFileNotFound, missing.Open("/dev/no-such-serial-device"));
    EXPECT_EQ(-kOsErrorFileNotFound, missing.Open(""));

    char file[] = "/tmp/omr-not-a-tty-XXXXXX";
    int fd = mkstemp(file);
    ASSERT_GE(fd, 0);
    close(fd);
    EXPECT_EQ(-kOsErrorFileNotFound, missing.Open(file)) << "a plain file is no serial device";
    unlink(file);
}

TEST(SerialDevice, ErrnoTable) {
    struct Case {
        int err;
        int number;
    } cases[] = {
        {ENOENT, kOsErrorFileNotFound}, {ENODEV, kOsErrorFileNotFound}, {ENXIO, kOsErrorFileNotFound},
        {ENOTDIR, kOsErrorPathNotFound}, {EMFILE, kOsErrorTooManyOpenFiles}, {EBUSY, kOsErrorAccessDenied},
        {EACCES, kOsErrorPermissionDenied}, {EPERM, kOsErrorPermissionDenied},
        {EBADF, kOsErrorInvalidHandle},    {ENOMEM, kOsErrorNotEnoughMemory},
        {EIO, kOsErrorDeviceFailure},    {ENOTTY, kOsErrorNotSupported},    {EINVAL, kOsErrorInvalidParameter},
        {EPIPE, kOsErrorDeviceFailure},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.number, SerialErrorFromErrno(c.err)) << c.err;
        EXPECT_FALSE(OsErrorText(c.number).empty());
    }
    EXPECT_TRUE(OsErrorText(4200).empty());
}

// A device the user has no right to is a permission problem, not a device
// in use; its message names the device behind the port's link and the
// group that owns it.
TEST(SerialDevice, ADeviceWithoutPermissionIsReportedAsSuch) {
    PseudoTerminal pty;
    ASSERT_EQ(0, ::chmod(pty.SlavePath().c_str(), 0));
    std::string answer = RunUnprivileged([&] {
        SerialDevice dev;
        return std::to_string(dev.Open(pty.SlavePath()));
    });
    EXPECT_EQ(std::to_string(-kOsErrorPermissionDenied), answer);

    char folder[] = "/tmp/omr-perm-XXXXXX";
    ASSERT_NE(nullptr, ::mkdtemp(folder));
    std::string link = std::string(folder) + "/COM3";
    ASSERT_EQ(0, ::symlink(pty.SlavePath().c_str(), link.c_str()));
    struct stat st {};
    ASSERT_EQ(0, ::stat(pty.SlavePath().c_str(), &st));
    const group* g = ::getgrgid(st.st_gid);
    std::string owner = st.st_gid != 0 && g ? g->gr_name : "dialout";
    EXPECT_EQ(pty.SlavePath() + ": permission denied; add the user to the " + owner + " group",
              SerialPermissionText(link));
    EXPECT_EQ("/dev/ttyUSB7: permission denied; add the user to the dialout group",
              SerialPermissionText("/dev/ttyUSB7"));  // no such device: the name as given
    ::unlink(link.c_str());
    ::rmdir(folder);
}

TEST(SerialDevice, BytesPassBothWays) {
    PseudoTerminal pty;
    SerialDevice dev;
    ASSERT_EQ(0, dev.Open(pty.SlavePath()));
    ASSERT_EQ(0, dev.SetupQueues(4096, 4096));
    ASSERT_EQ(0, dev.SetState(State19200_8N1()));

    ASSERT_EQ(3, dev.Write("@v\r", 3));
    EXPECT_EQ("@v\r", pty.ReadExactly(3, 5000));

    dev.SetEventMask(EV_RXCHAR);
    std::uint32_t events = 1;
    ASSERT_TRUE(dev.WaitEvent(events, true));  // ended by the mask change
    EXPECT_EQ(0u, events);
    ASSERT_TRUE(pty.Write("K\r\n"));
    ASSERT_TRUE(dev.WaitEvent(events, true));
    EXPECT_EQ(EV_RXCHAR, events);
    SerialStatus status;
    EXPECT_EQ(0u, dev.ClearErrors(&status));
    EXPECT_EQ(3u, status.cbInQue);
    char buf[8];
    EXPECT_EQ(2, dev.Read(buf, 2));
    EXPECT_EQ(1, dev.Read(buf + 2, 8));
    EXPECT_EQ("K\r\n", std::string(buf, 3));
    EXPECT_EQ(0, dev.Read(buf, 8)) << "nothing waiting reads nothing";
}

TEST(SerialDevice, WakeWaiterEndsTheEventWait) {
    PseudoTerminal pty;
    SerialDevice dev;
    ASSERT_EQ(0, dev.Open(pty.SlavePath()));
    dev.SetEventMask(EV_RXCHAR);
    std::uint32_t events = 1;
    ASSERT_TRUE(dev.WaitEvent(events, true));  // the mask change itself
    EXPECT_EQ(0u, events);

    std::thread t([&] { dev.WakeWaiter(); });
    events = 1;
    EXPECT_TRUE(dev.WaitEvent(events, true));
    EXPECT_EQ(0u, events);
    t.join();
}

TEST(SerialDevice, InputIsNotReportedWhileTheReaderHasNoRoom) {
    PseudoTerminal pty;
    SerialDevice dev;
    ASSERT_EQ(0, dev.Open(pty.SlavePath()));
    dev.SetEventMask(EV_RXCHAR);
    std::uint32_t events;
    dev.WaitEvent(events, true);
    ASSERT_TRUE(pty.Write("abc"));
    // With input not watched, only the wake-up ends the wait: no spinning on
    // bytes that cannot be taken.
    std::thread t([&] { dev.WakeWaiter(); });
    EXPECT_TRUE(dev.WaitEvent(events, false));
    EXPECT_EQ(0u, events);
    t.join();
    EXPECT_TRUE(dev.WaitEvent(events, true));
    EXPECT_EQ(EV_RXCHAR, events);
}

TEST(SerialDevice, HangUpEndsWaitsAndMarksTheDeviceVanished) {
    PseudoTerminal pty;
    SerialDevice dev;
    ASSERT_EQ(0, dev.Open(pty.SlavePath()));
    dev.SetEventMask(EV_RXCHAR);
    std::uint32_t events;
    dev.WaitEvent(events, true);
    pty.Close();
    EXPECT_FALSE(dev.WaitEvent(events, true));
    EXPECT_TRUE(dev.Vanished());
    EXPECT_FALSE(dev.WaitEvent(events, false)) << "also when input is not watched";
    EXPECT_LT(dev.Write("x", 1), 0);
    PollEvent cancel(false);
    EXPECT_EQ(kWaitDeviceFailed, dev.WaitWritable(cancel));
}

TEST(SerialDevice, ShutdownEndsBothWaits) {
    PseudoTerminal pty;
    SerialDevice dev;
    ASSERT_EQ(0, dev.Open(pty.SlavePath()));
    dev.SetEventMask(EV_RXCHAR);
    std::uint32_t events;
    dev.WaitEvent(events, true);
    std::thread t([&] { dev.Shutdown(); });
    EXPECT_FALSE(dev.WaitEvent(events, true));
    t.join();
    PollEvent cancel(false);
    EXPECT_EQ(kWaitDeviceFailed, dev.WaitWritable(cancel));
    EXPECT_LT(dev.Read(&events, 1), 0);
    EXPECT_FALSE(dev.Vanished());
}

TEST(SerialDevice, WritableWaitEndsOnCancel) {
    PseudoTerminal pty;
    SerialDevice dev;
    ASSERT_EQ(0, dev.Open(pty.SlavePath()));
    PollEvent cancel(false);
    EXPECT_EQ(kWaitDeviceReady, dev.WaitWritable(cancel));
    cancel.Set();
    EXPECT_EQ(0, dev.WaitWritable(cancel)) << "a cancel request comes before the device";
    EXPECT_EQ(kWaitDeviceReady, dev.WaitWritable(cancel));
}

TEST(PollEvent, AutoAndManualReset) {
    PollEvent autoEv(false), manual(true);
    EXPECT_FALSE(autoEv.WaitFor(0));
    autoEv.Set();
    autoEv.Set();
    EXPECT_TRUE(autoEv.WaitFor(0));
    EXPECT_FALSE(autoEv.WaitFor(0)) << "two sets before a wait are one signal";
    manual.Set();
    EXPECT_TRUE(manual.WaitFor(0));
    EXPECT_TRUE(manual.WaitFor(0));
    manual.Reset();
    EXPECT_FALSE(manual.IsSet());
    autoEv.Set();
    manual.Set();
    EXPECT_EQ(0, WaitForEvents({&autoEv, &manual}, 0)) << "the earlier event wins";
    EXPECT_EQ(1, WaitForEvents({&autoEv, &manual}, 0));
    manual.Reset();
    EXPECT_EQ(kWaitTimeout, WaitForEvents({&autoEv, &manual}, 10));
}
