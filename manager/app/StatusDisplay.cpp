#include "manager/app/StatusDisplay.h"

#include "manager/core/NumberText.h"
#include "resources/manager/resource_ids.h"

namespace {

// Parameters that choose the function of the input terminals IN0..IN7
// (K21..K28) and of the output terminals OUT0..OUT5 (K32..K37).
constexpr int kFirstInputFunction = 21;
constexpr int kInputFunctions = 8;
constexpr int kFirstOutputFunction = 32;
constexpr int kOutputFunctions = 6;

CString Integer(int value)
{
    CString text;
    text.Format(u"%d", value);
    return text;
}

}  // namespace

CString StatusCodeText(std::int8_t code, ManualMotion motion)
{
    CString text;
    if (code == 0) {
        text.LoadString(IDS_STATE_STOPPED);
    } else if (code >= 1 && code <= 8) {
        CString moveType;
        moveType.LoadString(motion == ManualMotion::Jog    ? IDS_STATE_MOVE_JOG
                            : motion == ManualMotion::Inch ? IDS_STATE_MOVE_INCH
                                                           : IDS_STATE_MOVE_1 + static_cast<UINT>(code - 1));
        text.Format(IDS_STATE_MOVING, moveType);
    } else if (code == 9) {
        text.LoadString(IDS_STATE_HOMING);
    } else if (code == -1) {
        text.LoadString(IDS_STATE_ALARM);
    }
    return text;
}

CString IoBitName(bool output, int bit, const ParamDefTable* table, const RobotParameterSet* values)
{
    CString text;
    text.Format(output ? u"OUT%d" : u"IN%d", bit);
    // The terminals whose function a parameter chooses.
    const int first = output ? kFirstOutputFunction : kFirstInputFunction;
    const int count = output ? kOutputFunctions : kInputFunctions;
    if (!table || !values || bit < 0 || bit >= count) return text;
    const int number = first + bit;
    const CString function = (*table)[static_cast<std::size_t>(number - 1)].ChoiceText(values->K(number));
    if (!function.IsEmpty()) text += u"  " + function;
    return text;
}

ControllerStatusTexts FormatControllerStatus(const ControllerStatus& s, int positionDecimals, ManualMotion motion)
{
    ControllerStatusTexts t;
    t.position = FormatFixedDecimals(s.d0, positionDecimals);
    t.speed = FormatFixedDecimals(s.d1, 2);
    t.state = StatusCodeText(s.d18, motion);
    t.point = Integer(s.d13);
    t.d2 = Integer(s.d2);
    t.d14 = Integer(s.d14);
    t.d9 = FormatFixedDecimals(s.d9, 1);
    t.d10 = Integer(s.d10);
    t.d16 = FormatFixedDecimals(s.d16, 3);
    t.runningTime = FormatDuration(s.d15);
    return t;
}
