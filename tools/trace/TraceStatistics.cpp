#include "tools/trace/TraceStatistics.h"

#include "tools/TraceScaling.h"
#include "tools/TraceText.h"
#include "tools/trace/TraceDrawing.h"

#include <algorithm>
#include <cmath>

namespace {

const char16_t* const kNone = u"-----";

std::int32_t LastPosition(const CTraceModel& model) { return model.m_nAllocatedNum; }

bool HasData(const CTraceModel& model)
{
    return model.m_DispData.IsAllocated() && model.m_nAllocatedNum >= 0;
}

std::int32_t CursorPosition(const CTraceModel& model, int nCursor)
{
    return std::clamp(model.m_nCursorPos[nCursor], 0, std::max(LastPosition(model), 0));
}

std::int32_t SampleAt(const CTraceModel& model, int nChannel, std::int32_t nPosition)
{
    return model.m_DispData.pCh[nChannel][TraceSlotOf(model, nPosition)];
}

}  // namespace

bool CalcSettings::SameColumns(const CalcSettings& other) const
{
    return std::equal(std::begin(nShow), std::end(nShow), std::begin(other.nShow));
}

SampleStretch TraceCalcStretch(const CTraceModel& model, std::int32_t nStretchMode)
{
    SampleStretch stretch;
    if (!HasData(model)) return stretch;
    const std::int32_t n = LastPosition(model);
    const bool useA = nStretchMode <= 2;
    const bool useB = nStretchMode <= 1 || nStretchMode == 3;
    stretch.nFrom = useA && model.m_bCursorShown[0] ? CursorPosition(model, 0) : 0;
    stretch.nTo = useB && model.m_bCursorShown[1] ? CursorPosition(model, 1) : n;
    if (stretch.nFrom > stretch.nTo) std::swap(stretch.nFrom, stretch.nTo);
    stretch.bValid = true;
    return stretch;
}

double TracePositionTimeMs(const CTraceModel& model, std::int64_t nPosition)
{
    return static_cast<double>(nPosition - model.m_nTriggerPos) * model.m_TraceSet.wInterval;
}

BOOL ComputeChannelStatistics(const CTraceModel& model, int nChannel, const SampleStretch& stretch,
                              ChannelStatistics& stats)
{
    if (!stretch.bValid || !HasData(model) || nChannel < 0 || nChannel >= kTraceChannelCount) return FALSE;
    const std::int32_t from = std::clamp(stretch.nFrom, 0, LastPosition(model));
    const std::int32_t to = std::clamp(stretch.nTo, from, LastPosition(model));
    stats = ChannelStatistics{};
    // The whole stretch from one moment of a running trace.
    const auto samples = model.LockSamples();
    stats.nMaxPos = stats.nMinPos = from;
    stats.nMaxRaw = stats.nMinRaw = SampleAt(model, nChannel, from);
    // Sums of engineering values: the mean of a linear scaling is the scaled
    // mean, but the mean of squares is not the scaled mean of squares.
    long double sum = 0.0L;
    long double sumOfSquares = 0.0L;
    for (std::int32_t p = from; p <= to; ++p) {
        const std::int32_t raw = SampleAt(model, nChannel, p);
        if (raw > stats.nMaxRaw) {
            stats.nMaxRaw = raw;
            stats.nMaxPos = p;
        }
        if (raw < stats.nMinRaw) {
            stats.nMinRaw = raw;
            stats.nMinPos = p;
        }
        const long double value = ScaleToEngineering(model.m_ScaleSet, nChannel, raw);
        sum += value;
        sumOfSquares += value * value;
    }
    const long double count = static_cast<long double>(to) - from + 1;
    stats.dAverage = static_cast<double>(sum / count);
    stats.dRms = static_cast<double>(std::sqrt(sumOfSquares / count));
    return TRUE;
}

CString TraceRealText(double dValue)
{
    CString text;
    text.Format(u"%.4f", dValue);
    const CString trimmed = TrimNumberText(text);
    // "-0" of a value that rounds to nothing reads 0.
    return trimmed == u"-0" ? CString(u"0") : trimmed;
}

CursorReadout ReadTraceCursors(const CTraceModel* model)
{
    CursorReadout readout;
    readout.strATime = readout.strBTime = readout.strDifferenceTime = kNone;
    if (!model) return readout;
    const BOOL shownA = model->m_bCursorShown[0];
    const BOOL shownB = model->m_bCursorShown[1];
    const std::int32_t a = CursorPosition(*model, 0);
    const std::int32_t b = CursorPosition(*model, 1);
    const double timeA = TracePositionTimeMs(*model, a);
    const double timeB = TracePositionTimeMs(*model, b);
    if (shownA) readout.strATime = FormatTraceTime(timeA);
    if (shownB) readout.strBTime = FormatTraceTime(timeB);
    if (shownA && shownB) readout.strDifferenceTime = FormatTraceTime(timeB - timeA);
    if ((!shownA && !shownB) || !HasData(*model)) return readout;
    const auto samples = model->LockSamples();
    for (int ch = 0; ch < kTraceChannelCount; ++ch) {
        if (!model->m_GraphSet.DRAW_CH[ch]) continue;
        CursorReadout::Row row;
        row.nChannel = ch;
        const std::int32_t rawA = SampleAt(*model, ch, a);
        const std::int32_t rawB = SampleAt(*model, ch, b);
        row.strA = shownA ? TraceValueText(*model, ch, rawA) : CString(kNone);
        row.strB = shownB ? TraceValueText(*model, ch, rawB) : CString(kNone);
        row.strDifference = shownA && shownB ? TraceValueDifferenceText(*model, ch, rawA, rawB) : CString(kNone);
        readout.rows.push_back(row);
    }
    return readout;
}
