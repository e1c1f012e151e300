#include "simulator/core/MoveTypes.h"

#include "resources/simulator/pellarun_ids.h"

namespace {

struct MessageIds {
    UINT longForm;
    UINT shortForm;
    bool withPoint;
};

bool IdsFor(std::int32_t type, MessageIds& ids)
{
    switch (type) {
    case MoveCheckError::kStartNotSet: ids = {IDS_CHECK_START_NOT_SET, IDS_CHECK_START_NOT_SET_S, false}; return true;
    case MoveCheckError::kStartMissing: ids = {IDS_CHECK_START_MISSING, IDS_CHECK_START_MISSING_S, true}; return true;
    case MoveCheckError::kEndNotSet: ids = {IDS_CHECK_END_NOT_SET, IDS_CHECK_END_NOT_SET_S, false}; return true;
    case MoveCheckError::kEndMissing: ids = {IDS_CHECK_END_MISSING, IDS_CHECK_END_MISSING_S, true}; return true;
    case MoveCheckError::kNoTravel: ids = {IDS_CHECK_NO_TRAVEL, IDS_CHECK_NO_TRAVEL_S, false}; return true;
    case MoveCheckError::kStartNoPrevious:
        ids = {IDS_CHECK_START_NO_PREVIOUS, IDS_CHECK_START_NO_PREVIOUS_S, true};
        return true;
    case MoveCheckError::kNoSpeed: ids = {IDS_CHECK_NO_SPEED, IDS_CHECK_NO_SPEED_S, true}; return true;
    case MoveCheckError::kNoAcceleration: ids = {IDS_CHECK_NO_ACCEL, IDS_CHECK_NO_ACCEL_S, true}; return true;
    default: return false;
    }
}

}  // namespace

CString MoveCheckError::Message(bool shortForm) const
{
    CString text;
    if (m_type == kNone) {
        text = u"Error data is not settings.";
        return text;
    }
    MessageIds ids{};
    if (!IdsFor(m_type, ids)) {
        text.Format(u"%d: Error type is Nothing.", m_type);
        return text;
    }
    if (shortForm) {
        if (ids.withPoint)
            text.Format(ids.shortForm, m_point);
        else
            text.LoadString(ids.shortForm);
    } else {
        if (ids.withPoint)
            text.Format(ids.longForm, m_motion, m_point);
        else
            text.Format(ids.longForm, m_motion);
    }
    return text;
}
