#pragma once
// Serial ports as the program numbers them. Port n is the device that
// "<port folder>/COM<n>" links to; the port folder is the environment
// variable OMR_PORTS, or "ports/" in the program folder. Without a link,
// ports 1-8 are /dev/ttyS0-7, 9-16 /dev/ttyUSB0-7 and 17-24 /dev/ttyACM0-7.
// Tests link a pseudo-terminal there; removing the link unplugs the port.

#include <string>
#include <vector>

// The port folder, with a trailing "/".
std::string SerialPortFolder();

// The device path of port n: the link when there is one (also when its
// target has gone, so that opening it fails as a missing device), else the
// default device; empty for a number without a device.
std::string SerialPortDevicePath(int n);

// Whether port n has a device now (its link resolves to a character device,
// or without a link its default device exists and has hardware behind it).
bool SerialPortPresent(int n);

// The names "COM<n>" of the present ports in ascending order. False when the
// port folder exists but cannot be read (the list is then unknown).
bool ListSerialPorts(std::vector<std::string>& names);
