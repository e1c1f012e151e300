// The records of one move: what is handed to the motion library, what comes
// back with the motion's own values, and why a motion could not be built.
#pragma once

#include "platform/core/CString.h"

#include <cstdint>

// The argument block of DllVpCalc, in its order.
struct MoveInput {
    std::int32_t mode = 0;        // 1 when K71 bit 1 (calculation mode 1) is set
    float startMm = 0;
    float endMm = 0;
    float distanceMm = 0;         // absolute value, never 0 for a built move
    float speed = 0;              // mm/s
    float acceleration = 0;       // mm/s^2
    std::int32_t decelPercent = 0;  // the end point's DC
    std::int32_t driveConstant = 0; // K42
    std::int32_t limitSelector = 0; // bit 0 of the end point's F: second limits

    friend bool operator==(const MoveInput&, const MoveInput&) = default;
};

// One motion's result: the library's nine values, then the motion's own.
struct MotionResult {
    double peakSpeed = 0;      // mm/s
    double accelTimeMs = 0;
    double constTimeMs = 0;
    double decelTimeMs = 0;
    double totalTimeMs = 0;
    double accelDistance = 0;  // mm
    double constDistance = 0;
    double decelDistance = 0;
    double distance = 0;
    std::int32_t dwellMs = 0;
    std::int32_t currentParameter = 0;  // K78 with the second limits, else K76
    std::int32_t limitSelector = 0;
    double rmsCurrent = 0;     // only the current calculation fills it

    friend bool operator==(const MotionResult&, const MotionResult&) = default;
};

// The first failure of a motion's check.
class MoveCheckError {
public:
    enum Type : std::int32_t {
        kNone = -1,
        kStartNotSet = 0,
        kStartMissing = 1,
        kEndNotSet = 2,
        kEndMissing = 3,
        kNoTravel = 4,
        // The start names an incremental point, which starts where the motion
        // before ended, but no motion comes before.
        kStartNoPrevious = 5,
        // The end point's speed or acceleration comes to 0 (or less): the
        // motion could never arrive, and the library would divide by it.
        kNoSpeed = 6,
        kNoAcceleration = 7,
    };
    enum Column : std::int32_t { kStartColumn = 1, kEndColumn = 2 };

    void Set(std::int32_t type, std::int32_t motion, std::int32_t column, std::int32_t point)
    {
        m_type = type;
        m_motion = motion;
        m_column = column;
        m_point = point;
    }
    void Clear() { Set(kNone, 0, 0, 0); }

    std::int32_t Type() const { return m_type; }
    std::int32_t Motion() const { return m_motion; }
    std::int32_t Column() const { return m_column; }
    std::int32_t Point() const { return m_point; }

    // The message from the current resource module: the long form names the
    // motion (the run's message box), the short form does not (the motion
    // list's balloon).
    CString Message(bool shortForm) const;

private:
    std::int32_t m_type = kNone;
    std::int32_t m_motion = 0;
    std::int32_t m_column = 0;
    std::int32_t m_point = 0;
};
