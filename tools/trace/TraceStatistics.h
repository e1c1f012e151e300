// What the A-B cursor window and the calculator read out of a trace: the
// values at the cursors and their difference, and the maximum, minimum,
// average and root mean square of a stretch of samples. Every value of a
// scaled channel is an engineering value: a difference of two values is the
// difference of their engineering values (the offset cancels), and the
// average and the root mean square are taken of the engineering values
// themselves.
#pragma once

#include "tools/TraceModel.h"

#include <cstdint>
#include <vector>

// The calculator's settings: which quantities it shows and over which
// samples. The trace window keeps one copy between openings.
struct CalcSettings {
    enum Column { kMax, kMaxTime, kMin, kMinTime, kAverage, kRms, kColumnCount };
    // 1: the column is shown.
    std::int32_t nShow[kColumnCount] = {1, 1, 1, 1, 1, 1};
    // 0 or 1 between the cursors, 2 from A to the end, 3 from the start to
    // B, 4 the whole trace (a cursor not shown stands for that end).
    std::int32_t nStretch = 0;

    bool SameColumns(const CalcSettings& other) const;
};

// Positions from..to (0..N, both included) of a trace; none without data.
struct SampleStretch {
    bool bValid = false;
    std::int32_t nFrom = 0;
    std::int32_t nTo = 0;
};

SampleStretch TraceCalcStretch(const CTraceModel& model, std::int32_t nStretchMode);

// The time of a position: (position - trigger position) x sampling interval, ms.
double TracePositionTimeMs(const CTraceModel& model, std::int64_t nPosition);

struct ChannelStatistics {
    std::int32_t nMaxPos = 0;  // first position of the largest sample
    std::int32_t nMinPos = 0;  // first position of the smallest sample
    std::int32_t nMaxRaw = 0;
    std::int32_t nMinRaw = 0;
    double dAverage = 0.0;  // engineering units (raw for an unscaled channel)
    double dRms = 0.0;      // likewise
};

// FALSE without data or stretch.
BOOL ComputeChannelStatistics(const CTraceModel& model, int nChannel, const SampleStretch& stretch,
                              ChannelStatistics& stats);

// The read-out of the A-B cursor window.
struct CursorReadout {
    struct Row {
        int nChannel = 0;  // 0-based
        CString strA;
        CString strB;
        CString strDifference;
    };
    CString strATime;
    CString strBTime;
    CString strDifferenceTime;
    std::vector<Row> rows;  // one per drawn channel, in channel order
};

// From the source's cursors and display set; a null model reads "-----" and no rows.
CursorReadout ReadTraceCursors(const CTraceModel* model);

// The text of a real value as the windows write it ("%.4f" trimmed).
CString TraceRealText(double dValue);
