#include "platform/os/SerialDevice.h"

#include <fcntl.h>
#include <grp.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

int SerialErrorFromErrno(int err) {
    switch (err) {
    case ENOENT:
    case ENODEV:
    case ENXIO: return kOsErrorFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return kOsErrorPathNotFound;
    case EMFILE:
    case ENFILE: return kOsErrorTooManyOpenFiles;
    case EACCES:
    case EPERM: return kOsErrorPermissionDenied;
    case EBUSY: return kOsErrorAccessDenied;
    case EBADF: return kOsErrorInvalidHandle;
    case ENOMEM: return kOsErrorNotEnoughMemory;
    case ENOTTY: return kOsErrorNotSupported;
    case EINVAL: return kOsErrorInvalidParameter;
    case EIO:
    default: return kOsErrorDeviceFailure;
    }
}

std::string OsErrorText(int number) {
    switch (number) {
    case kOsErrorFileNotFound: return "The serial device does not exist.";
    case kOsErrorPathNotFound: return "The path of the serial device is not valid.";
    case kOsErrorTooManyOpenFiles: return "Too many files are open.";
    case kOsErrorAccessDenied: return "The serial device is in use.";
    case kOsErrorPermissionDenied: return "Permission to open the serial device is denied.";
    case kOsErrorInvalidHandle: return "The device handle is not valid.";
    case kOsErrorNotEnoughMemory: return "Not enough memory.";
    case kOsErrorDeviceFailure: return "The serial device is not working or has been disconnected.";
    case kOsErrorNotSupported: return "The device is not a serial device.";
    case kOsErrorInvalidParameter: return "A parameter is not valid.";
    default: return {};
    }
}

std::string SerialPermissionText(const std::string& devicePath) {
    std::string device = devicePath;
    if (char* real = ::realpath(devicePath.c_str(), nullptr)) {
        device = real;
        std::free(real);
    }
    std::string owner = "dialout";
    struct stat st {};
    if (::stat(device.c_str(), &st) == 0 && st.st_gid != 0) {
        if (const struct group* g = ::getgrgid(st.st_gid); g != nullptr && g->gr_name != nullptr) owner = g->gr_name;
    }
    return device + ": permission denied; add the user to the " + owner + " group";
}

namespace {
struct SpeedEntry {
    std::uint32_t baud;
    speed_t code;
};
const SpeedEntry kSpeeds[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

std::uint32_t BaudFromSpeed(speed_t code) {
    for (const auto& e : kSpeeds)
        if (e.code == code) return e.baud;
    return 0;
}
}  // namespace

unsigned SerialSpeedCode(std::uint32_t baud) {
    for (const auto& e : kSpeeds)
        if (e.baud == baud) return e.code;
    return 0;
}

SerialDevice::SerialDevice() = default;

SerialDevice::~SerialDevice() { Close(); }

int SerialDevice::Open(const std::string& path) {
    if (fd_ >= 0) return -kOsErrorAccessDenied;
    if (path.empty()) return -kOsErrorFileNotFound;
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        int err = errno;
        // A device node without hardware behind it fails with EIO or ENXIO:
        // for the caller it is a port that does not exist.
        if (err == EIO || err == ENXIO || err == ENODEV || err == ENOENT) return -kOsErrorFileNotFound;
        return -SerialErrorFromErrno(err);
    }
    if (!isatty(fd)) {
        ::close(fd);
        return -kOsErrorFileNotFound;
    }
    // Exclusive use: the advisory lock holds for every user including root;
    // TIOCEXCL also turns away plain opens by other programs.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int err = errno;
        ::close(fd);
        return err == EWOULDBLOCK ? -kOsErrorAccessDenied : -SerialErrorFromErrno(err);
    }
    ioctl(fd, TIOCEXCL);

    // Opening changes no setting (probing a port must leave it as it was);
    // SetupQueues makes it ready for binary transfer.
    termios t{};
    if (tcgetattr(fd, &t) != 0) {
        int err = errno;
        ioctl(fd, TIOCNXCL);
        ::close(fd);
        return err == EIO ? -kOsErrorFileNotFound : -SerialErrorFromErrno(err);
    }

    std::lock_guard<std::mutex> l(mutex_);
    fd_ = fd;
    shutdown_ = false;
    vanished_ = false;
    wake_.Reset();
    stop_.Reset();
    shadow_ = SerialDeviceState{};
    haveCounters_ = false;
    linesKnown_ = false;
    std::uint32_t flags, lines;
    ReadCounters(flags, lines);  // sets the baseline of the error counters
    int bits;
    if (ioctl(fd_, TIOCMGET, &bits) == 0) linesKnown_ = true;
    return 0;
}

void SerialDevice::Close() {
    if (fd_ < 0) return;
    shutdown_ = true;
    stop_.Set();
    ioctl(fd_, TIOCNXCL);
    ::close(fd_);  // releases the lock as well
    fd_ = -1;
}

void SerialDevice::Shutdown() {
    shutdown_ = true;
    stop_.Set();
}

int SerialDevice::Fail(int err) {
    if (err == EIO) vanished_ = true;
    return -SerialErrorFromErrno(err);
}

int SerialDevice::GetState(SerialDeviceState& state) {
    if (fd_ < 0 || shutdown_) return -kOsErrorInvalidHandle;
    termios t{};
    if (tcgetattr(fd_, &t) != 0) return Fail(errno);
    std::lock_guard<std::mutex> l(mutex_);
    state = shadow_;
    std::uint32_t baud = BaudFromSpeed(cfgetospeed(&t));
    if (baud != 0) state.BaudRate = baud;
    switch (t.c_cflag & CSIZE) {
    case CS5: state.ByteSize = 5; break;
    case CS6: state.ByteSize = 6; break;
    case CS7: state.ByteSize = 7; break;
    default: state.ByteSize = 8; break;
    }
    if (!(t.c_cflag & PARENB)) state.Parity = NOPARITY;
    else if (t.c_cflag & CMSPAR) state.Parity = (t.c_cflag & PARODD) ? MARKPARITY : SPACEPARITY;
    else state.Parity = (t.c_cflag & PARODD) ? ODDPARITY : EVENPARITY;
    if (!(t.c_cflag & CSTOPB)) state.StopBits = ONESTOPBIT;
    else state.StopBits = state.ByteSize == 5 ? ONE5STOPBITS : TWOSTOPBITS;
    if (!(t.c_cflag & CRTSCTS)) {
        state.fOutxCtsFlow = false;
        if (state.fRtsControl == RTS_CONTROL_HANDSHAKE) state.fRtsControl = RTS_CONTROL_ENABLE;
    }
    state.fInX = (t.c_iflag & IXOFF) != 0;
    state.fOutX = (t.c_iflag & IXON) != 0;
    state.XonChar = static_cast<char>(t.c_cc[VSTART]);
    state.XoffChar = static_cast<char>(t.c_cc[VSTOP]);
    return 0;
}

int SerialDevice::SetState(const SerialDeviceState& state) {
    if (fd_ < 0 || shutdown_) return -kOsErrorInvalidHandle;
    termios t{};
    if (tcgetattr(fd_, &t) != 0) return Fail(errno);
    speed_t speed = SerialSpeedCode(state.BaudRate);
    if (speed == 0) return -kOsErrorInvalidParameter;
    if (state.ByteSize < 5 || state.ByteSize > 8 || state.Parity > SPACEPARITY || state.StopBits > TWOSTOPBITS)
        return -kOsErrorInvalidParameter;
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    static const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= sizes[state.ByteSize - 5];
    switch (state.Parity) {
    case ODDPARITY: t.c_cflag |= PARENB | PARODD; break;
    case EVENPARITY: t.c_cflag |= PARENB; break;
    case MARKPARITY: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case SPACEPARITY: t.c_cflag |= PARENB | CMSPAR; break;
    default: break;
    }
    if (state.StopBits != ONESTOPBIT) t.c_cflag |= CSTOPB;
    // termios has one hardware handshake: RTS out, CTS in.
    if (state.fOutxCtsFlow || state.fRtsControl == RTS_CONTROL_HANDSHAKE) t.c_cflag |= CRTSCTS;
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (state.fInX) t.c_iflag |= IXOFF;
    if (state.fOutX) t.c_iflag |= IXON;
    t.c_cc[VSTART] = static_cast<cc_t>(state.XonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(state.XoffChar);
    if (tcsetattr(fd_, TCSANOW, &t) != 0) return Fail(errno);
    {
        std::lock_guard<std::mutex> l(mutex_);
        shadow_ = state;
    }
    // The manual line levels follow the record, as the platform does.
    if (state.fDtrControl == DTR_CONTROL_ENABLE) Escape(SETDTR);
    else if (state.fDtrControl == DTR_CONTROL_DISABLE) Escape(CLRDTR);
    if (state.fRtsControl == RTS_CONTROL_ENABLE) Escape(SETRTS);
    else if (state.fRtsControl == RTS_CONTROL_DISABLE) Escape(CLRRTS);
    return 0;
}

int SerialDevice::SetupQueues(std::uint32_t, std::uint32_t) {
    if (fd_ < 0 || shutdown_) return -kOsErrorInvalidHandle;
    // Binary transfer: no echo, no line editing, no translation, the
    // receiver on, modem control lines not required, reads never block.
    termios t{};
    if (tcgetattr(fd_, &t) != 0) return Fail(errno);
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (tcsetattr(fd_, TCSANOW, &t) != 0) return Fail(errno);
    return 0;
}

int SerialDevice::Escape(int function) {
    if (fd_ < 0 || shutdown_) return -kOsErrorInvalidHandle;
    int bits = 0;
    int r = 0;
    switch (function) {
    case SETDTR: bits = TIOCM_DTR; r = ioctl(fd_, TIOCMBIS, &bits); break;
    case CLRDTR: bits = TIOCM_DTR; r = ioctl(fd_, TIOCMBIC, &bits); break;
    case SETRTS: bits = TIOCM_RTS; r = ioctl(fd_, TIOCMBIS, &bits); break;
    case CLRRTS: bits = TIOCM_RTS; r = ioctl(fd_, TIOCMBIC, &bits); break;
    case SETBREAK: r = ioctl(fd_, TIOCSBRK); break;
    case CLRBREAK: r = ioctl(fd_, TIOCCBRK); break;
    case SETXOFF: r = tcflow(fd_, TCOOFF); break;
    case SETXON: r = tcflow(fd_, TCOON); break;
    default: return -kOsErrorInvalidParameter;
    }
    return r == 0 ? 0 : Fail(errno);
}

int SerialDevice::Purge(bool input) {
    if (fd_ < 0 || shutdown_) return -kOsErrorInvalidHandle;
    return tcflush(fd_, input ? TCIFLUSH : TCOFLUSH) == 0 ? 0 : Fail(errno);
}

bool SerialDevice::ReadCounters(std::uint32_t& errorFlags, std::uint32_t& ringChanges) {
    errorFlags = 0;
    ringChanges = 0;
    serial_icounter_struct ic{};
    if (ioctl(fd_, TIOCGICOUNT, &ic) != 0) return false;
    Counters now{ic.frame, ic.overrun, ic.parity, ic.brk, ic.buf_overrun, ic.rng};
    if (haveCounters_) {
        if (now.bufOverrun != counters_.bufOverrun) errorFlags |= CE_RXOVER;
        if (now.overrun != counters_.overrun) errorFlags |= CE_OVERRUN;
        if (now.parity != counters_.parity) errorFlags |= CE_RXPARITY;
        if (now.frame != counters_.frame) errorFlags |= CE_FRAME;
        if (now.brk != counters_.brk) errorFlags |= CE_BREAK;
        ringChanges = static_cast<std::uint32_t>(now.rng - counters_.rng);
    }
    counters_ = now;
    haveCounters_ = true;
    return true;
}

std::uint32_t SerialDevice::ClearErrors(SerialStatus* status) {
    if (status) *status = SerialStatus{};
    if (fd_ < 0 || shutdown_) return 0;
    std::uint32_t flags = 0, rings = 0;
    {
        std::lock_guard<std::mutex> l(mutex_);
        ReadCounters(flags, rings);
    }
    if (status) {
        int n = 0;
        if (ioctl(fd_, FIONREAD, &n) == 0 && n > 0) status->cbInQue = static_cast<std::uint32_t>(n);
        else if (n < 0) Fail(errno);
        n = 0;
        if (ioctl(fd_, TIOCOUTQ, &n) == 0 && n > 0) status->cbOutQue = static_cast<std::uint32_t>(n);
    }
    return flags;
}

bool SerialDevice::ModemStatus(std::uint32_t& lines) {
    lines = 0;
    if (fd_ < 0 || shutdown_) return false;
    int bits = 0;
    if (ioctl(fd_, TIOCMGET, &bits) != 0) return false;
    if (bits & TIOCM_CTS) lines |= MS_CTS_ON;
    if (bits & TIOCM_DSR) lines |= MS_DSR_ON;
    if (bits & TIOCM_RNG) lines |= MS_RING_ON;
    if (bits & TIOCM_CAR) lines |= MS_RLSD_ON;
    return true;
}

int SerialDevice::Read(void* buffer, std::size_t count) {
    if (fd_ < 0 || shutdown_) return -kOsErrorInvalidHandle;
    if (count == 0) return 0;
    for (;;) {
        ssize_t n = ::read(fd_, buffer, count);
        if (n >= 0) return static_cast<int>(n);
        if (errno == EINTR) continue;
        if (errno == EAGAIN) return 0;
        return Fail(errno);
    }
}

int SerialDevice::Write(const void* data, std::size_t count) {
    if (fd_ < 0 || shutdown_) return -kOsErrorInvalidHandle;
    if (count == 0) return 0;
    for (;;) {
        ssize_t n = ::write(fd_, data, count);
        if (n >= 0) return static_cast<int>(n);
        if (errno == EINTR) continue;
        if (errno == EAGAIN) return 0;
        return Fail(errno);
    }
}

void SerialDevice::SetEventMask(std::uint32_t mask) {
    mask_ = mask;
    wake_.Set();
}

void SerialDevice::WakeWaiter() { wake_.Set(); }

bool SerialDevice::WaitEvent(std::uint32_t& events, bool watchInput) {
    events = 0;
    if (fd_ < 0 || shutdown_) return false;
    const std::uint32_t mask = mask_;
    const short deviceEvents = (watchInput && (mask & EV_RXCHAR)) ? POLLIN : 0;
    // termios cannot wait for line changes together with input, so devices
    // with modem lines are looked at every 100 ms; ptys have none and wait
    // without limit.
    const bool watchLines = linesKnown_ && (mask & (EV_CTS | EV_DSR | EV_RLSD | EV_RING | EV_ERR | EV_BREAK));
    std::uint32_t before = 0;
    if (watchLines) ModemStatus(before);
    for (;;) {
        int r = WaitForEvents({&wake_, &stop_}, watchLines ? 100 : -1, fd_, deviceEvents);
        if (shutdown_) return false;
        if (r == 0) return true;
        if (r == kWaitDeviceFailed) {
            vanished_ = true;
            return false;
        }
        if (r == kWaitDeviceReady) events |= EV_RXCHAR;
        if (watchLines) {
            std::uint32_t now = 0;
            if (ModemStatus(now)) {
                std::uint32_t changed = now ^ before;
                if (changed & MS_CTS_ON) events |= EV_CTS;
                if (changed & MS_DSR_ON) events |= EV_DSR;
                if (changed & MS_RLSD_ON) events |= EV_RLSD;
                if ((changed & MS_RING_ON) && !(now & MS_RING_ON)) events |= EV_RING;
                before = now;
            }
            serial_icounter_struct ic{};
            if (ioctl(fd_, TIOCGICOUNT, &ic) == 0) {
                std::lock_guard<std::mutex> l(mutex_);
                if (haveCounters_) {
                    if (ic.brk != counters_.brk) events |= EV_BREAK;
                    if (ic.frame != counters_.frame || ic.overrun != counters_.overrun ||
                        ic.parity != counters_.parity || ic.buf_overrun != counters_.bufOverrun)
                        events |= EV_ERR;
                }
            }
        }
        events &= mask;
        if (events) return true;
    }
}

int SerialDevice::WaitWritable(PollEvent& cancel) {
    if (fd_ < 0 || shutdown_) return kWaitDeviceFailed;
    for (;;) {
        int r = WaitForEvents({&cancel, &stop_}, -1, fd_, POLLOUT);
        if (r == 0) return 0;
        if (shutdown_ || r == 1) return kWaitDeviceFailed;
        if (r == kWaitDeviceFailed) {
            vanished_ = true;
            return kWaitDeviceFailed;
        }
        if (r == kWaitDeviceReady) return kWaitDeviceReady;
    }
}
