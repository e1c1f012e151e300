#include "simulator/core/MoveRun.h"

#include "resources/simulator/pellarun_ids.h"
#include "simulator/core/DecimalText.h"

#include <cmath>
#include <cstdint>

namespace {

// The point a cell names: the number after its first character.
int PointNumberOf(const CString& text)
{
    return text.IsEmpty() ? 0 : static_cast<int>(WideToLong(text.GetString() + 1));
}

const PointRecord* FindPoint(const MoveSource& source, int number)
{
    if (number < 1 || number > kPointCount) return nullptr;
    const PointRecord& point = source.points[static_cast<std::size_t>(number - 1)];
    return point.IsUsed() ? &point : nullptr;
}

bool IsAbsolute(const PointRecord& point) { return (point.m & 1) != 0; }

float PositionMm(const PointRecord& point, int decimals)
{
    return static_cast<float>(point.p) / static_cast<float>(PowerOfTen(PositionDecimals(decimals)));
}

bool BuildMotionAt(const MoveSource& source, const MotionList& list, int motion, MoveInput& input,
                   MoveCheckError& error)
{
    const RobotParameterSet& k = source.params;
    const MotionRow& row = list.Row(motion);
    MoveInput built;
    built.mode = (k.K(71) & 2) ? 1 : 0;
    built.driveConstant = k.K(42);

    // Start: a position in mm, or a point; an incremental point starts where
    // the motion before ended.
    if (row.start.IsEmpty()) {
        error.Set(MoveCheckError::kStartNotSet, motion, MoveCheckError::kStartColumn, 0);
        return false;
    }
    if (row.start.Find(u'P') >= 0) {
        const int number = PointNumberOf(row.start);
        const PointRecord* point = FindPoint(source, number);
        if (!point) {
            error.Set(MoveCheckError::kStartMissing, motion, MoveCheckError::kStartColumn, number);
            return false;
        }
        if (IsAbsolute(*point)) {
            built.startMm = PositionMm(*point, source.decimals);
        } else {
            if (motion <= 1) {
                error.Set(MoveCheckError::kStartNoPrevious, motion, MoveCheckError::kStartColumn, number);
                return false;
            }
            MoveInput previous;
            if (!BuildMotionAt(source, list, motion - 1, previous, error)) return false;
            built.startMm = previous.endMm;
        }
    } else {
        built.startMm = static_cast<float>(ParseDecimalText(row.start.view(), u'.'));
    }

    // End: always a point. A text that names none counts as no end at all.
    if (row.end.IsEmpty() || row.end.Find(u'P') < 0) {
        error.Set(MoveCheckError::kEndNotSet, motion, MoveCheckError::kEndColumn, 0);
        return false;
    }
    const int endNumber = PointNumberOf(row.end);
    const PointRecord* end = FindPoint(source, endNumber);
    if (!end) {
        error.Set(MoveCheckError::kEndMissing, motion, MoveCheckError::kEndColumn, endNumber);
        return false;
    }
    const float position = PositionMm(*end, source.decimals);
    if (IsAbsolute(*end)) {
        built.distanceMm = std::fabs(position - built.startMm);
        built.endMm = position;
    } else {
        built.distanceMm = std::fabs(position);
        built.endMm = built.startMm + position;
    }
    if (built.distanceMm == 0.0f) {
        error.Set(MoveCheckError::kNoTravel, motion, MoveCheckError::kEndColumn, endNumber);
        return false;
    }

    built.decelPercent = end->dc;
    built.limitSelector = end->f & 1;

    const int index = endNumber - 1;
    const float v = source.speeds.Speed(index);
    float a = source.speeds.Accel(index);
    const bool custom = (k.K(71) & 1) != 0;
    if (custom)
        built.speed = (static_cast<float>(k.K(9)) / 100.0f) * (v / 100.0f);
    else
        built.speed = (static_cast<float>(k.K(44)) / 100.0f) * (v * static_cast<float>(k.K(9)) / 10000.0f);
    const std::int32_t limit = built.limitSelector == 1 ? k.K(79) : k.K(77);
    if (custom) {
        if (TruncToInt32(a) > limit) a = static_cast<float>(limit);
        built.acceleration = a * 10.0f;
    } else {
        built.acceleration = (a / 10.0f) * static_cast<float>(limit);
    }
    // The library divides by both; a motion without them never arrives.
    if (!(built.speed > 0.0f)) {
        error.Set(MoveCheckError::kNoSpeed, motion, MoveCheckError::kEndColumn, endNumber);
        return false;
    }
    if (!(built.acceleration > 0.0f)) {
        error.Set(MoveCheckError::kNoAcceleration, motion, MoveCheckError::kEndColumn, endNumber);
        return false;
    }
    input = built;
    return true;
}

}  // namespace

bool BuildMotion(const MoveSource& source, const MotionList& list, int motion, MoveInput& input,
                 MoveCheckError& error)
{
    if (motion < 1 || motion > list.Count()) {
        error.Set(MoveCheckError::kStartNotSet, motion, MoveCheckError::kStartColumn, 0);
        return false;
    }
    return BuildMotionAt(source, list, motion, input, error);
}

bool CalcMotion(const MotionLibrary& library, const MoveInput& input, MotionResult& result)
{
    VpCalcResult values;
    if (!library.VpCalc(input.mode, input.startMm, input.endMm, input.distanceMm, input.speed, input.acceleration,
                        input.decelPercent, input.driveConstant, input.limitSelector, values))
        return false;
    result.peakSpeed = values.peakSpeed;
    result.accelTimeMs = values.accelTimeMs;
    result.constTimeMs = values.constTimeMs;
    result.decelTimeMs = values.decelTimeMs;
    result.totalTimeMs = values.totalTimeMs;
    result.accelDistance = values.accelDistance;
    result.constDistance = values.constDistance;
    result.decelDistance = values.decelDistance;
    result.distance = values.distance;
    return true;
}

RunOutcome RunMotions(const MoveSource& source, const MotionList& list, const MotionLibrary& library,
                      std::vector<MotionResult>& results, MoveCheckError& error,
                      const std::function<void(int motion)>& progress)
{
    const int count = list.Count();
    if (count == 0) return RunOutcome::kNoMotion;
    std::vector<MotionResult> run;
    run.reserve(static_cast<std::size_t>(count));
    for (int motion = 1; motion <= count; ++motion) {
        MoveInput input;
        if (!BuildMotion(source, list, motion, input, error)) return RunOutcome::kCheckFailed;
        MotionResult result;
        if (!CalcMotion(library, input, result)) return RunOutcome::kNoLibrary;
        result.dwellMs = static_cast<std::int32_t>(WideToLong(list.Row(motion).dwell.GetString()));
        result.currentParameter = input.limitSelector == 1 ? source.params.K(78) : source.params.K(76);
        result.limitSelector = input.limitSelector;
        run.push_back(result);
        if (progress) progress(motion);
    }
    results = std::move(run);
    return RunOutcome::kOk;
}

ResultDetailSettings MakeResultDetailSettings(const RobotParameterSet& params, const CString& typeText,
                                              int loadFactor)
{
    ResultDetailSettings settings;
    settings.maxSpeedMmS = static_cast<float>(params.K(44)) / 100.0f;
    settings.modelNumber = typeText.IsEmpty() ? 0 : static_cast<int>(WideToLong(typeText.GetString() + 1));
    settings.loadFactor = loadFactor;
    return settings;
}

std::vector<ResultTableRow> BuildResultTable(const std::vector<MotionResult>& results, MotionMode mode,
                                             int decimals)
{
    const int d = PositionDecimals(decimals);
    const bool continuous = mode == MotionMode::kContinuous;
    std::vector<ResultTableRow> rows;
    double sumTime = 0;
    std::int64_t sumMicrometres = 0;
    double currentTime = 0;
    int row = continuous ? 2 : 1;
    int k = 1;
    for (const MotionResult& result : results) {
        ResultTableRow line;
        line.row = row;
        line.back = row % 2 == 1 ? kResultOddRowColour : kResultEvenRowColour;
        line.label.Format(IDS_MOTION_NAME, k);
        const double time = result.dwellMs + result.totalTimeMs;
        line.time.Format(u"%.0f", RoundedToDecimals(time, 0));
        line.distance.Format(u"%.*f", d, RoundedToDecimals(result.distance, d));
        line.current.Format(u"%.2f", 0.0);
        sumTime += time;
        // Whole micrometres, rounded as the result detail rounds them.
        sumMicrometres += RoundToInt64(result.distance * 1000.0);
        currentTime += time * result.rmsCurrent * result.rmsCurrent;
        rows.push_back(line);
        ++row;
        ++k;
    }
    if (continuous) {
        ResultTableRow total;
        total.row = 1;
        total.total = true;
        total.back = kResultOddRowColour;
        total.label = u"TOTAL";
        total.time.Format(u"%.0f", RoundedToDecimals(sumTime, 0));
        total.distance.Format(u"%.*f", d, RoundedToDecimals(static_cast<double>(sumMicrometres) / 1000.0, d));
        total.current.Format(u"%.2f", 0.0);
        rows.insert(rows.begin(), total);
    }
    return rows;
}

CString ResultsClipboardText(const std::vector<CString>& headers, const std::vector<ResultTableRow>& rows,
                             int lastColumn)
{
    CString text(u"\t");
    for (int column = 1; column <= lastColumn && column <= static_cast<int>(headers.size()); ++column) {
        if (column > 1) text += u'\t';
        text += headers[static_cast<std::size_t>(column - 1)];
    }
    int appended = 0;
    for (const ResultTableRow& row : rows) {
        if (row.label.IsEmpty() || row.row >= 257) break;
        const CString cells[] = {row.label, row.time, row.distance, row.current};
        text += u"\r\n";
        for (int column = 0; column <= lastColumn && column < 4; ++column) {
            if (column > 0) text += u'\t';
            text += cells[column];
        }
        ++appended;
    }
    return appended == 0 ? CString() : text;
}

CString MotionBalloonText(const MoveSource& source, const MotionList& list, int motion, std::uint32_t iconHandle,
                          MoveCheckError& error)
{
    const CString& name = list.Row(motion).name;
    MoveInput input;
    CString text;
    if (!BuildMotion(source, list, motion, input, error)) {
        text.Format(IDS_BALLOON_ERROR, name, iconHandle, error.Message(true));
        return text;
    }
    const int d = PositionDecimals(source.decimals);
    CString positions;
    text.Format(IDS_BALLOON_TITLE, name);
    positions.Format(IDS_BALLOON_POSITIONS, d, input.startMm, d, input.endMm, d, input.distanceMm);
    return text + positions;
}
