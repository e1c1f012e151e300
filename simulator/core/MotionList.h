// The motion list as data: up to 255 motions, each a start (a point "P<n>"
// or a position in mm), an end point and a dwell time, with the rules of the
// list's grid (which cells can be edited, what a committed cell becomes, how
// rows are added and removed). The main dialog mirrors it into its grid.
#pragma once

#include "platform/core/CString.h"

#include <vector>

enum class MotionMode : int {
    kContinuous = 0,  // each motion starts where the one before ended
    kIndividual = 1,  // each motion has a start of its own
};

// Grid columns of the motion list.
enum MotionColumn : int { kMotionNameColumn = 0, kMotionStartColumn = 1, kMotionEndColumn = 2, kMotionDwellColumn = 3 };

// Edit kinds of a grid cell: what may be typed into it.
enum class CellEditKind : int { kInteger = 1, kDecimal = 2, kNone = 3 };

struct MotionRow {
    CString name;   // "動作<n>" (string 220)
    CString start;
    CString end;
    CString dwell;  // ms; "0" when added

    friend bool operator==(const MotionRow&, const MotionRow&) = default;
};

inline constexpr int kMaxMotions = 255;
// Limits of committed cells: positions stay within +-(10000 - 10^-d) mm.
inline constexpr double kPositionLimitMm = 10000.0;
inline constexpr int kMaxDwellMs = 30000;

// What a committed cell's text becomes: a start without "P" is clamped to the
// position range and written with d decimals, a dwell clamped to 0..30000 ms
// and written whole; starts naming a point, ends and empty texts stay as
// they are. Typed decimals may use the user's separator.
CString NormalizeMotionCell(int column, const CString& text, int decimals, char16_t decimalSeparator);

class MotionList {
public:
    enum class AddResult { kAdded, kFull, kPreviousIncomplete };

    MotionList() = default;

    int Count() const { return static_cast<int>(m_rows.size()); }
    // Motion 1..Count(); a row past the end is an empty row.
    const MotionRow& Row(int motion) const;
    CString CellText(int row, int column) const;

    MotionMode Mode() const { return m_mode; }
    // The mode can change only while at most one motion exists.
    bool CanChangeMode() const { return Count() <= 1; }
    bool SetMode(MotionMode mode);

    // Adds the next motion, named with string 220; in continuous mode its
    // start is the previous motion's end. Refused past 255 motions and while
    // the last motion lacks its start or end.
    AddResult Add();
    // Removes the last motion; false when there is none.
    bool DeleteLast();
    void Clear() { m_rows.clear(); m_cellEdited = false; }

    // Cells that cannot be edited: every cell of a row that is no motion,
    // the name column, the start of a continued motion (continuous mode,
    // from motion 2) and the end that the next motion continues from.
    bool IsCellLocked(int row, int column) const;
    // The end cell that a following motion continues from (shown grey).
    bool IsContinuedEnd(int row) const;
    CellEditKind EditKind(int row, int column) const;

    // A cell edit as the grid reports it: the text changes and the list
    // remembers that an edit waits for its commit. Locked cells refuse.
    bool SetCellText(int row, int column, const CString& text);
    // Commits the waiting edit of that cell (NormalizeMotionCell); false,
    // with nothing changed, when the cell is locked or no edit waits.
    bool CommitCell(int row, int column, int decimals, char16_t decimalSeparator);
    bool CellEdited() const { return m_cellEdited; }

private:
    CString& Cell(int row, int column);

    std::vector<MotionRow> m_rows;
    MotionMode m_mode = MotionMode::kContinuous;
    bool m_cellEdited = false;
};
