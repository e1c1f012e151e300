// How the status panel, the status monitor and the alarm dialog show the
// controller's running values (the D registers of ControllerStatus) and the
// bits of the polled words they act on.
#pragma once

#include "manager/core/ControllerStatus.h"
#include "manager/core/ParamDef.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <cstdint>

// Bits of the option status word (OPT).
inline constexpr DWORD kOptionTeachAllowed = 0x0008;
inline constexpr DWORD kOptionServoState = 0x0800;
inline constexpr DWORD kOptionBrakeState = 0x2000;
// Set while the controller is in alarm (the red lamp of the status panel);
// a servo or brake command that meets an alarm waits no longer.
inline constexpr DWORD kOptionAlarm = 0x4000;
// The bits the status monitor shows as lamps: 0-7, 11, 13, 14 and 19-22.
inline constexpr DWORD kStatusMonitorLampBits = 0x000000FF | 0x0800 | 0x2000 | 0x4000 | 0x00780000;
// Bit 12 of the input word drives a lamp of the status panel.
inline constexpr WORD kInputLampBit = 0x1000;

// A motion started from the manual panel's jog or inch buttons.
enum class ManualMotion { None, Jog, Inch };

// The state text of a state code (D18, and the state of an alarm record):
// 0 stopped, 1 to 8 moving with the move type's name, 9 returning to the
// origin, -1 alarm, anything else empty. The controller reports a jog or an
// inch as a relative move: while the manual panel runs one, the move is
// named after the panel's button instead.
CString StatusCodeText(std::int8_t code, ManualMotion motion = ManualMotion::None);

// The name of a bit of the input word (IN0..IN15) or the output word
// (OUT0..OUT15), followed by the function that the controller's parameters
// give its terminal (K21..K28 for IN0..IN7, K32..K37 for OUT0..OUT5) when
// both the definitions and the values are known.
CString IoBitName(bool output, int bit, const ParamDefTable* table, const RobotParameterSet* values);

// Every field as it is displayed.
struct ControllerStatusTexts {
    CString position;     // D0, with the controller's position decimals
    CString speed;        // D1, 2 decimals
    CString state;        // D18, StatusCodeText
    CString point;        // D13
    CString d2;           // integer
    CString d14;          // integer
    CString d9;           // 1 decimal
    CString d10;          // integer
    CString d16;          // 3 decimals
    CString runningTime;  // D15 minutes as days:hours:minutes

    friend bool operator==(const ControllerStatusTexts&, const ControllerStatusTexts&) = default;
};

ControllerStatusTexts FormatControllerStatus(const ControllerStatus& status, int positionDecimals,
                                             ManualMotion motion = ManualMotion::None);
