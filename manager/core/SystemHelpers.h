// System services the manager shares: message pumping for the waits on the
// controller, the serial ports that can be opened, where the profile lives,
// the option record's defaults.
#pragma once

#include "platform/core/AppProfile.h"
#include "platform/core/WinTypes.h"

#include <array>
#include <vector>

// Lets the calling thread's message pump handle the messages waiting for it:
// all that were queued when it started, or at most n (at least one pass).
// Neither waits for a message; both stop at a pending quit.
void PumpAllMessages();
void PumpMessages(int n);

// The numbers from 1 to highest of the serial ports that open exclusively
// right now (each is closed again at once), ascending; false when none did.
bool ProbeComPort(WORD highest, std::vector<int>& ports);

// Makes the profile a file: the running program's path with its extension
// replaced by ".ini".
void UseIniProfile(platform::ProfileStore& store);

// The option record the manager keeps as the binary profile value
// "OptionSetting" of section "Settings".
inline constexpr int kOptionSettingsBytes = 60;
using OptionSettings = std::array<BYTE, kOptionSettingsBytes>;
// Its defaults: byte 1 = 1, bits 1 and 2 of byte 4 set and bit 0 cleared,
// bytes 0, 2, 3 and 8 to 59 zero; bytes 5 to 7 and the other bits of byte 4
// are kept.
void InitOptionSettings(OptionSettings& record);
