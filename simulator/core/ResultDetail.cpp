#include "simulator/core/ResultDetail.h"

#include "simulator/core/DecimalText.h"

#include "resources/simulator/pellarun_ids.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

std::vector<int> MovesOfItem(int resultCount, bool singleMove, int item)
{
    std::vector<int> moves;
    if (item < 0) return moves;
    if (!singleMove && item == 0) {
        for (int i = 0; i < resultCount; ++i) moves.push_back(i);
        return moves;
    }
    const int move = singleMove ? item : item - 1;
    if (move < resultCount) moves.push_back(move);
    return moves;
}

std::vector<CString> ResultDetailItems(int resultCount, bool singleMove)
{
    std::vector<CString> items;
    if (!singleMove) items.emplace_back(u"TOTAL");
    for (int k = 1; k <= resultCount; ++k) {
        CString name;
        name.Format(IDS_MOTION_NAME, k);
        items.push_back(name);
    }
    return items;
}

ResultDetailValues ComputeResultDetail(const std::vector<MotionResult>& results, bool singleMove, int item,
                                       bool currentCalculation)
{
    ResultDetailValues detail;
    double totalTime = 0;
    double phaseTime[3] = {};
    std::int64_t micrometres = 0;
    double phaseDistance[3] = {};
    double currentTime = 0;
    double peak = 0;
    double acceleration = 0;
    for (const int move : MovesOfItem(static_cast<int>(results.size()), singleMove, item)) {
        const MotionResult& r = results[static_cast<std::size_t>(move)];
        const double time = r.totalTimeMs + r.dwellMs;
        totalTime += time;
        phaseTime[0] += static_cast<double>(RoundToInt64(r.accelTimeMs));
        phaseTime[1] += static_cast<double>(RoundToInt64(r.constTimeMs));
        phaseTime[2] += static_cast<double>(RoundToInt64(r.decelTimeMs));
        // Whole micrometres, rounded as the result table's TOTAL rounds them.
        micrometres += RoundToInt64(r.distance * 1000.0);
        phaseDistance[0] += r.accelDistance;
        phaseDistance[1] += r.constDistance;
        phaseDistance[2] += r.decelDistance;
        currentTime += r.rmsCurrent * r.rmsCurrent * time;
        peak = std::max(peak, r.peakSpeed);
        // A move without an acceleration phase has no acceleration to show.
        if (r.accelTimeMs > 0) acceleration = std::max(acceleration, r.peakSpeed / r.accelTimeMs);
    }
    double* v = detail.values;
    v[kDetailTotalTime] = totalTime;
    v[kDetailAccelTime] = phaseTime[0];
    v[kDetailConstTime] = phaseTime[1];
    v[kDetailDecelTime] = phaseTime[2];
    v[kDetailDistance] = static_cast<double>(micrometres) / 1000.0;
    v[kDetailAccelDistance] = phaseDistance[0];
    v[kDetailConstDistance] = phaseDistance[1];
    v[kDetailDecelDistance] = phaseDistance[2];
    v[kDetailRmsCurrent] = currentCalculation && totalTime > 0 ? std::sqrt(currentTime / totalTime) : 0.0;
    v[kDetailPeakSpeed] = peak;
    v[kDetailAcceleration] = acceleration;
    v[kDetailAccelerationG] = acceleration / 9.8;

    const bool totalItem = !singleMove && item == 0;
    for (int field = 0; field < kDetailFieldCount; ++field) detail.enabled[field] = true;
    if (totalItem) {
        for (int field : {kDetailAccelTime, kDetailConstTime, kDetailDecelTime, kDetailAccelDistance,
                          kDetailConstDistance, kDetailDecelDistance, kDetailAccelCurrent, kDetailConstCurrent,
                          kDetailDecelCurrent}) {
            detail.enabled[field] = false;
            detail.empty[field] = true;
            detail.values[field] = 0;
        }
    }
    for (int field : {kDetailRmsCurrent, kDetailAccelCurrent, kDetailConstCurrent, kDetailDecelCurrent})
        detail.enabled[field] = currentCalculation;
    return detail;
}
