// Which Linux device a "COMn" port number stands for.
//
// Fixed rule (a device's number depends only on its own name, so plugging in
// another adapter never renumbers the ones already in use):
//   COM1  .. COM4    /dev/ttyS0   .. /dev/ttyS3
//   COM5  .. COM12   /dev/ttyUSB0 .. /dev/ttyUSB7
//   COM13 .. COM20   /dev/ttyACM0 .. /dev/ttyACM7
// Overrides replace the device of a number; first the in-process ones
// (SetComPortDevice), then section "Ports" of the ports file ("COM3=/dev/pts/5").
// The ports file is $QUORVANE_PORTS_FILE when set, else "ports.ini" in the
// settings folder. An empty value, or one that is not an absolute path, maps its
// number to no device. A device named by an override is reached only through
// that override's number, never also through its rule number.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Highest number a port can have (the settings keep it in 16 bits).
inline constexpr int kMaxComPortNumber = 0xFFFF;
// Environment variable naming a ports file to use instead of the default one.
inline constexpr const char* kPortsFileVariable = "QUORVANE_PORTS_FILE";

// The device the fixed rule gives a number; empty when it gives none.
std::string ComPortRuleDevice(int number);
// The number the fixed rule gives a device path; 0 when it gives none.
int ComPortRuleNumber(std::string_view devicePath);

// Full path of the ports file in use (UTF-8).
std::string ComPortsFilePath();

// The device of a number with every override applied; empty when none.
std::string ComPortDevice(int number);

// In-process override of one number (for tests and embedding programs). An empty
// path makes the number map to no device at all.
void SetComPortDevice(int number, const std::string& devicePath);
void ClearComPortDevice(int number);

// Sets an in-process override and clears it again when it goes out of scope.
class ScopedComPortDevice {
public:
    ScopedComPortDevice(int number, const std::string& devicePath);
    ~ScopedComPortDevice();
    ScopedComPortDevice(const ScopedComPortDevice&) = delete;
    ScopedComPortDevice& operator=(const ScopedComPortDevice&) = delete;

private:
    int m_number;
    bool m_hadPrevious;
    std::string m_previous;
};

struct ComPortEntry {
    int number = 0;
    std::string device;
    friend bool operator==(const ComPortEntry&, const ComPortEntry&) = default;
};

// The numbers that map to a device present now, ascending.
std::vector<ComPortEntry> ListComPorts();
// The same for a given list of present device paths (what /dev holds).
std::vector<ComPortEntry> ListComPorts(const std::vector<std::string>& presentDevices);

// True when the port can be opened exclusively right now (it is closed again at once).
bool CanOpenComPort(int number);
// The numbers from 1 to highest that CanOpenComPort accepts, ascending.
std::vector<int> ProbeComPorts(int highest);

}  // namespace platform
