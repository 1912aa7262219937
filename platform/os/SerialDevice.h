#pragma once
// A serial device over termios, with the operations the serial dispatcher is
// written against: exclusive open, a line-state record, DTR/RTS escapes,
// purge, error and status read, modem lines, non-blocking read and write,
// and an event wait that another thread can end at once.
//
// Failures are reported as negative platform error numbers (the positive
// numbers below, negated). errno values are mapped to them explicitly by
// SerialErrorFromErrno, so callers see the same numbers on every machine.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/os/PollEvent.h"

// Platform error numbers of the device layer.
constexpr int kOsErrorFileNotFound = 2;      // no such device
constexpr int kOsErrorPathNotFound = 3;      // the path to the device is not valid
constexpr int kOsErrorTooManyOpenFiles = 4;
constexpr int kOsErrorAccessDenied = 5;      // in use by another program
constexpr int kOsErrorPermissionDenied = 65; // the user may not open the device
constexpr int kOsErrorInvalidHandle = 6;
constexpr int kOsErrorNotEnoughMemory = 8;
constexpr int kOsErrorDeviceFailure = 31;    // I/O error, or the device vanished
constexpr int kOsErrorNotSupported = 50;     // not a serial device
constexpr int kOsErrorInvalidParameter = 87;

// The explicit errno -> platform error number table.
int SerialErrorFromErrno(int err);
// The platform's message text for one of the numbers above; empty for any
// other number.
std::string OsErrorText(int number);
// The message for a device the user may not open: the device (a link
// resolved to what it names), the cause and the cure, for example
// "/dev/ttyUSB0: permission denied; add the user to the dialout group"
// (the group that owns the device).
std::string SerialPermissionText(const std::string& devicePath);

// Line-state record.
constexpr std::uint8_t ONESTOPBIT = 0;
constexpr std::uint8_t ONE5STOPBITS = 1;
constexpr std::uint8_t TWOSTOPBITS = 2;
constexpr std::uint8_t NOPARITY = 0;
constexpr std::uint8_t ODDPARITY = 1;
constexpr std::uint8_t EVENPARITY = 2;
constexpr std::uint8_t MARKPARITY = 3;
constexpr std::uint8_t SPACEPARITY = 4;
constexpr std::uint8_t DTR_CONTROL_DISABLE = 0;
constexpr std::uint8_t DTR_CONTROL_ENABLE = 1;
constexpr std::uint8_t DTR_CONTROL_HANDSHAKE = 2;
constexpr std::uint8_t RTS_CONTROL_DISABLE = 0;
constexpr std::uint8_t RTS_CONTROL_ENABLE = 1;
constexpr std::uint8_t RTS_CONTROL_HANDSHAKE = 2;
constexpr std::uint8_t RTS_CONTROL_TOGGLE = 3;

struct SerialDeviceState {
    std::uint32_t BaudRate = 9600;
    std::uint8_t ByteSize = 8;
    std::uint8_t Parity = NOPARITY;
    std::uint8_t StopBits = ONESTOPBIT;
    bool fBinary = true;
    bool fParity = false;
    bool fOutxCtsFlow = false;
    bool fOutxDsrFlow = false;
    std::uint8_t fDtrControl = DTR_CONTROL_ENABLE;
    bool fDsrSensitivity = false;
    bool fTXContinueOnXoff = true;
    bool fOutX = false;
    bool fInX = false;
    bool fNull = false;
    std::uint8_t fRtsControl = RTS_CONTROL_ENABLE;
    std::uint16_t XonLim = 0;
    std::uint16_t XoffLim = 0;
    char XonChar = 17;
    char XoffChar = 19;
};

// Status record filled with the error flags.
struct SerialStatus {
    std::uint32_t cbInQue = 0;   // bytes waiting to be read
    std::uint32_t cbOutQue = 0;  // bytes waiting to be sent
};

// Escape functions.
constexpr int SETXOFF = 1;
constexpr int SETXON = 2;
constexpr int SETRTS = 3;
constexpr int CLRRTS = 4;
constexpr int SETDTR = 5;
constexpr int CLRDTR = 6;
constexpr int SETBREAK = 8;
constexpr int CLRBREAK = 9;

// Device event bits.
constexpr std::uint32_t EV_RXCHAR = 0x0001;
constexpr std::uint32_t EV_RXFLAG = 0x0002;
constexpr std::uint32_t EV_TXEMPTY = 0x0004;
constexpr std::uint32_t EV_CTS = 0x0008;
constexpr std::uint32_t EV_DSR = 0x0010;
constexpr std::uint32_t EV_RLSD = 0x0020;
constexpr std::uint32_t EV_BREAK = 0x0040;
constexpr std::uint32_t EV_ERR = 0x0080;
constexpr std::uint32_t EV_RING = 0x0100;

// Line error flags.
constexpr std::uint32_t CE_RXOVER = 0x01;
constexpr std::uint32_t CE_OVERRUN = 0x02;
constexpr std::uint32_t CE_RXPARITY = 0x04;
constexpr std::uint32_t CE_FRAME = 0x08;
constexpr std::uint32_t CE_BREAK = 0x10;

// Modem line bits.
constexpr std::uint32_t MS_CTS_ON = 0x10;
constexpr std::uint32_t MS_DSR_ON = 0x20;
constexpr std::uint32_t MS_RING_ON = 0x40;
constexpr std::uint32_t MS_RLSD_ON = 0x80;

// Baud rates that termios can set; 0 for any other rate.
unsigned SerialSpeedCode(std::uint32_t baud);

class SerialDevice {
public:
    SerialDevice();
    ~SerialDevice();
    SerialDevice(const SerialDevice&) = delete;
    SerialDevice& operator=(const SerialDevice&) = delete;

    // Opens the device for reading and writing, exclusively (a second open of
    // the same device fails with -kOsErrorAccessDenied), leaving its settings
    // as they are. 0 or a negative number.
    int Open(const std::string& path);
    bool IsOpen() const { return fd_ >= 0; }
    // Closes the device; the caller makes sure no other thread still uses it.
    void Close();
    // Ends every wait on the device and makes further operations fail at
    // once, without closing the descriptor (other threads may still hold it).
    void Shutdown();
    bool IsShutDown() const { return shutdown_.load(); }
    // The device hung up or failed (for instance it was unplugged).
    bool Vanished() const { return vanished_.load(); }

    int GetState(SerialDeviceState& state);
    int SetState(const SerialDeviceState& state);
    // Readies the device for binary transfer (raw mode, receiver on, modem
    // lines not required, non-blocking reads). Drivers size their own
    // queues, so the sizes are only accepted.
    int SetupQueues(std::uint32_t inSize, std::uint32_t outSize);
    int Escape(int function);
    int Purge(bool input);
    // Line errors since the last call (CE_ flags) and the queue counts.
    std::uint32_t ClearErrors(SerialStatus* status);
    // Modem line bits (MS_ values); false when the device has none.
    bool ModemStatus(std::uint32_t& lines);

    // Non-blocking: the count read or written (0 when nothing could be
    // moved), or a negative number.
    int Read(void* buffer, std::size_t count);
    int Write(const void* data, std::size_t count);

    // The events WaitEvent reports. Changing the mask ends a pending wait
    // with no events, as does WakeWaiter.
    void SetEventMask(std::uint32_t mask);
    std::uint32_t EventMask() const { return mask_.load(); }
    void WakeWaiter();
    // Waits for one of the masked events; watchInput false leaves received
    // bytes unreported (the reader has no room for them). Returns false when
    // the device failed or was shut down; `events` is 0 after a wake-up.
    bool WaitEvent(std::uint32_t& events, bool watchInput);
    // Waits until the device takes more output or `cancel` is set:
    // kWaitDeviceReady, 0 (cancelled) or kWaitDeviceFailed.
    int WaitWritable(PollEvent& cancel);

    int Fd() const { return fd_; }

private:
    int Fail(int err);
    bool ReadCounters(std::uint32_t& errorFlags, std::uint32_t& ringCount);

    int fd_ = -1;
    std::atomic<bool> shutdown_{false};
    std::atomic<bool> vanished_{false};
    std::atomic<std::uint32_t> mask_{0};
    PollEvent wake_{false};  // ends the event wait (mask change, wake-up)
    PollEvent stop_{true};   // set by Shutdown and Close: ends every wait
    std::mutex mutex_;  // guards the state shadow and the counters below
    SerialDeviceState shadow_;
    bool haveCounters_ = false;
    struct Counters {
        int frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0, rng = 0;
    } counters_;
    std::uint32_t lastLines_ = 0;
    bool linesKnown_ = false;
};
