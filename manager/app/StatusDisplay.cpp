#include "manager/app/StatusDisplay.h"

#include "manager/core/NumberText.h"
#include "resources/manager/resource_ids.h"

namespace {

CString Integer(int value)
{
    CString text;
    text.Format(u"%d", value);
    return text;
}

}  // namespace

CString StatusCodeText(std::int8_t code)
{
    CString text;
    if (code == 0) {
        text.LoadString(IDS_STATE_STOPPED);
    } else if (code >= 1 && code <= 8) {
        CString moveType;
        moveType.LoadString(IDS_STATE_MOVE_1 + static_cast<UINT>(code - 1));
        text.Format(IDS_STATE_MOVING, moveType);
    } else if (code == 9) {
        text.LoadString(IDS_STATE_HOMING);
    } else if (code == -1) {
        text.LoadString(IDS_STATE_ALARM);
    }
    return text;
}

ControllerStatusTexts FormatControllerStatus(const ControllerStatus& s, int positionDecimals)
{
    ControllerStatusTexts t;
    t.position = FormatFixedDecimals(s.d0, positionDecimals);
    t.speed = FormatFixedDecimals(s.d1, 2);
    t.state = StatusCodeText(s.d18);
    t.point = Integer(s.d13);
    t.d2 = Integer(s.d2);
    t.d14 = Integer(s.d14);
    t.d9 = FormatFixedDecimals(s.d9, 1);
    t.d10 = Integer(s.d10);
    t.d16 = FormatFixedDecimals(s.d16, 3);
    t.runningTime = FormatDuration(s.d15);
    return t;
}
