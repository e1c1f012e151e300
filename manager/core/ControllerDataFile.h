// Lines of the controller data text file ("KEY=value"). The controller's own
// answers to READ PNT, READ PRM and READ HPRM use the same point and parameter
// lines, so the parsers are shared with the protocol code.
#pragma once

#include "manager/core/ControllerData.h"

#include <cstdint>
#include <string_view>

enum class NumberParse { kOk, kNoDigits, kOutOfRange };

// A decimal number the way the file is read: optional blanks and sign, then
// digits as far as they go. A number beyond 32 bits is refused, never wrapped.
NumberParse ParseLeadingInt32(std::u16string_view text, std::int32_t& value);

// "PNT<n>=M..,P..,S..,AC..,DC..,Q..,ZL..,ZH..,N..,J..,F..,C..,T.." into slot
// n-1. False, with the slot as it was, when n is not 1 to 255, M is 0 or less,
// or a number does not fit 32 bits.
bool ParsePointLine(std::u16string_view line, ControllerData& data);
// The part after "PNT<n>=" into row; number is stored as the row's number.
bool ParsePointFields(std::u16string_view fields, int number, PointRecord& row);
// "K<n>=value", n 1 to 138, into value n of the set; false when dropped.
bool ParseParameterLine(std::u16string_view line, RobotParameterSet& set);
// "H<n>=value", n 0 to 7, into value 139+n of the set; false when dropped.
bool ParseHParameterLine(std::u16string_view line, RobotParameterSet& set);

// One line of a data file applied to data; lines of no known key are ignored.
void ApplyControllerDataLine(std::u16string_view line, ControllerData& data, bool withRobot, bool withPoints,
                             bool withParameters);

// The whole file text as the writer produces it, lines ended by CR LF.
CString FormatControllerDataText(const ControllerData& data, bool withRobot, bool withPoints, bool withParameters);
