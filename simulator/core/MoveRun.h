// The move run: each motion of the list is checked and turned into one call
// of the motion library, and the results fill the result table.
#pragma once

#include "manager/core/ControllerData.h"
#include "simulator/core/MotionLibrary.h"
#include "simulator/core/MotionList.h"
#include "simulator/core/MoveTypes.h"
#include "simulator/core/PointSpeeds.h"

#include <functional>
#include <vector>

// What a motion is built from: the points, the robot's parameters, the point
// list's speed and acceleration values and the position decimals.
struct MoveSource {
    const std::array<PointRecord, kPointCount>& points;
    const RobotParameterSet& params;
    const PointSpeeds& speeds;
    int decimals = 2;  // the dialog's copy of K72
};

// Builds and checks motion 1..255 of the list; false, with error set, at the
// first failure. A start naming an incremental point starts where motion - 1
// ends (built the same way); point numbers outside 1..255 are missing points.
bool BuildMotion(const MoveSource& source, const MotionList& list, int motion, MoveInput& input,
                 MoveCheckError& error);

// One library call for the input; false only when the library is not bound.
// The motion's own fields of result are left as they were.
bool CalcMotion(const MotionLibrary& library, const MoveInput& input, MotionResult& result);

enum class RunOutcome { kOk, kNoMotion, kCheckFailed, kNoLibrary };

// Runs every motion of the list in order. Only a run in which every motion
// passed replaces results; otherwise results stay as they were and error
// names the failing motion. progress, when given, is told after each motion.
RunOutcome RunMotions(const MoveSource& source, const MotionList& list, const MotionLibrary& library,
                      std::vector<MotionResult>& results, MoveCheckError& error,
                      const std::function<void(int motion)>& progress = {});

// What the result detail window is given after a successful run.
struct ResultDetailSettings {
    float maxSpeedMmS = 0;   // K44 / 100
    int currentFlag = 0;     // the current calculation is off
    int modelNumber = 0;     // the number after the first character of the controller's code text
    int loadFactor = 0;      // motor load factor, percent
};
ResultDetailSettings MakeResultDetailSettings(const RobotParameterSet& params, const CString& typeText,
                                              int loadFactor);

// One filled row of the result table (grid rows 1..256, columns 0..3).
struct ResultTableRow {
    int row = 0;
    CString label;     // "TOTAL" or "動作<n>"
    CString time;      // ms, dwell included
    CString distance;  // mm with the position decimals
    CString current;   // Arms; 0 while the current calculation is off
    COLORREF back = 0; // background of columns 1 and 2 (column 3 is grey)
    bool total = false;
};
inline constexpr COLORREF kResultOddRowColour = RGB(255, 255, 255);
inline constexpr COLORREF kResultEvenRowColour = RGB(239, 243, 255);
inline constexpr COLORREF kResultLockedColour = RGB(208, 208, 208);

// The rows to show: continuous mode puts the TOTAL row first (row 1, the
// time summed, the distance summed in whole micrometres), individual mode
// starts the motions in row 1.
std::vector<ResultTableRow> BuildResultTable(const std::vector<MotionResult>& results, MotionMode mode,
                                             int decimals);

// The clipboard text of the result table: a TAB and the headers of columns
// 1..lastColumn, then one line per row with its columns 0..lastColumn, TAB
// between cells, CR LF between lines and none at the end; empty when there
// is no row. The current column (3) is copied only with the current
// calculation, which this program does not have.
CString ResultsClipboardText(const std::vector<CString>& headers, const std::vector<ResultTableRow>& rows,
                             int lastColumn = 2);

// The motion list's balloon for a motion: its name and positions, or the
// check's short message beside the error icon (iconHandle, as a number).
CString MotionBalloonText(const MoveSource& source, const MotionList& list, int motion, std::uint32_t iconHandle,
                          MoveCheckError& error);
