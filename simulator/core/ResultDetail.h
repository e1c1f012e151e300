// The values of the result detail window: for one move, or summed over all
// moves, the times, distances, peak speed, acceleration and currents, and
// the entries of its move list.
#pragma once

#include "platform/core/CString.h"
#include "simulator/core/MoveTypes.h"

#include <vector>

// The fifteen value fields in their order.
enum ResultDetailField : int {
    kDetailTotalTime,
    kDetailAccelTime,
    kDetailConstTime,
    kDetailDecelTime,
    kDetailDistance,
    kDetailAccelDistance,
    kDetailConstDistance,
    kDetailDecelDistance,
    kDetailRmsCurrent,
    kDetailAccelCurrent,
    kDetailConstCurrent,
    kDetailDecelCurrent,
    kDetailPeakSpeed,
    kDetailAcceleration,
    kDetailAccelerationG,
    kDetailFieldCount
};

struct ResultDetailValues {
    double values[kDetailFieldCount] = {};
    bool enabled[kDetailFieldCount] = {};
    bool empty[kDetailFieldCount] = {};  // the field shows no text
};

// The moves (0-based) that list item `item` stands for: in the TOTAL view
// (singleMove false) item 0 is every move and item i move i; in the
// single-move view item i is move i + 1. Empty for an item past the list.
std::vector<int> MovesOfItem(int resultCount, bool singleMove, int item);

// The move list's entries: "TOTAL" first in the TOTAL view, then "動作<n>".
std::vector<CString> ResultDetailItems(int resultCount, bool singleMove);

// The values for a list item. Times are rounded to whole ms per move and
// summed (the total includes the dwell), the distance is summed in whole
// micrometres, the peak speed and acceleration are the largest, and the
// acceleration in G is that over 9.8. The per-phase fields are empty and
// disabled for the TOTAL item; the current fields follow currentCalculation.
ResultDetailValues ComputeResultDetail(const std::vector<MotionResult>& results, bool singleMove, int item,
                                       bool currentCalculation = false);
