#pragma once
// Small pieces the serial code leans on: the millisecond clock and tick
// timers, the one-message pump used while waiting for threads, the
// file-exists test of the dumps, and the device names of ports.

#include <cstdint>
#include <string>

#include "platform/core/Types.h"

// Milliseconds from the program's clock, kept to 32 bits (it wraps after
// 2^32 ms).
Cardinal SioTimeMs();

// Ticks of 55 ms.
constexpr Integer kSioMsPerTick = 55;
// The longest tick timer: half the range of the clock in ticks.
constexpr Integer kSioMaxTicks = 39045157;

struct TSioTickTimer {
    Integer StartTick = 0;
    Integer ExpiryTick = 0;
};

// Starts a timer of `ticks` ticks (at most kSioMaxTicks).
void StartTicks(TSioTickTimer& timer, Integer ticks);
// Whether the timer's length has passed, also when the tick count wrapped
// since it started.
bool TicksExpired(const TSioTickTimer& timer);

// On the UI thread: runs what is waiting in the UI call queue; false when
// nothing was waiting (or off the UI thread).
bool PumpOneMessage();

bool FileExistsText(const std::string& name);

// The device name of port n: "\\.\COM<n>".
std::string FormatDeviceName(Integer n);
// The port number of a device name of that form, 0 for any other name.
Integer PortNumberOfDeviceName(const std::string& name);
