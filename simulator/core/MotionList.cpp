#include "simulator/core/MotionList.h"

#include "resources/simulator/pellarun_ids.h"
#include "simulator/core/DecimalText.h"

#include <algorithm>

CString NormalizeMotionCell(int column, const CString& text, int decimals, char16_t decimalSeparator)
{
    if (text.IsEmpty()) return text;
    const int d = PositionDecimals(decimals);
    CString result;
    if (column == kMotionStartColumn) {
        if (text.Find(u'P') >= 0) return text;
        const double limit = kPositionLimitMm - PowerOfTen(-d);
        const double value = std::clamp(ParseDecimalText(text.view(), decimalSeparator), -limit, limit);
        result.Format(u"%.*f", d, RoundedToDecimals(value, d));
        return result;
    }
    if (column == kMotionDwellColumn) {
        const double value =
            std::clamp(ParseDecimalText(text.view(), decimalSeparator), 0.0, static_cast<double>(kMaxDwellMs));
        result.Format(u"%.*f", 0, RoundedToDecimals(value, 0));
        return result;
    }
    return text;
}

const MotionRow& MotionList::Row(int motion) const
{
    static const MotionRow kEmpty;
    if (motion < 1 || motion > Count()) return kEmpty;
    return m_rows[static_cast<std::size_t>(motion - 1)];
}

CString MotionList::CellText(int row, int column) const
{
    const MotionRow& r = Row(row);
    switch (column) {
    case kMotionNameColumn: return r.name;
    case kMotionStartColumn: return r.start;
    case kMotionEndColumn: return r.end;
    case kMotionDwellColumn: return r.dwell;
    default: return CString();
    }
}

CString& MotionList::Cell(int row, int column)
{
    MotionRow& r = m_rows[static_cast<std::size_t>(row - 1)];
    switch (column) {
    case kMotionStartColumn: return r.start;
    case kMotionEndColumn: return r.end;
    case kMotionDwellColumn: return r.dwell;
    default: return r.name;
    }
}

bool MotionList::SetMode(MotionMode mode)
{
    if (mode == m_mode) return true;
    if (!CanChangeMode()) return false;
    m_mode = mode;
    return true;
}

MotionList::AddResult MotionList::Add()
{
    const int row = Count() + 1;
    if (row > kMaxMotions) return AddResult::kFull;
    if (row > 1) {
        const MotionRow& previous = m_rows.back();
        if (previous.start.IsEmpty() || previous.end.IsEmpty()) return AddResult::kPreviousIncomplete;
    }
    MotionRow added;
    added.name.Format(IDS_MOTION_NAME, row);
    if (m_mode == MotionMode::kContinuous && row > 1) added.start = m_rows.back().end;
    added.dwell = u"0";
    m_rows.push_back(added);
    return AddResult::kAdded;
}

bool MotionList::DeleteLast()
{
    if (m_rows.empty()) return false;
    m_rows.pop_back();
    m_cellEdited = false;
    return true;
}

bool MotionList::IsContinuedEnd(int row) const
{
    return m_mode == MotionMode::kContinuous && row >= 1 && row < Count();
}

bool MotionList::IsCellLocked(int row, int column) const
{
    if (row < 1 || row > Count()) return true;
    switch (column) {
    case kMotionStartColumn: return m_mode == MotionMode::kContinuous && row > 1;
    case kMotionEndColumn: return IsContinuedEnd(row);
    case kMotionDwellColumn: return false;
    default: return true;
    }
}

CellEditKind MotionList::EditKind(int row, int column) const
{
    switch (column) {
    case kMotionStartColumn:
        return m_mode == MotionMode::kContinuous && row != 1 ? CellEditKind::kNone : CellEditKind::kDecimal;
    case kMotionDwellColumn: return CellEditKind::kInteger;
    default: return CellEditKind::kNone;
    }
}

bool MotionList::SetCellText(int row, int column, const CString& text)
{
    if (IsCellLocked(row, column)) return false;
    Cell(row, column) = text;
    m_cellEdited = true;
    return true;
}

bool MotionList::CommitCell(int row, int column, int decimals, char16_t decimalSeparator)
{
    if (IsCellLocked(row, column) || !m_cellEdited) return false;
    CString& cell = Cell(row, column);
    cell = NormalizeMotionCell(column, cell, decimals, decimalSeparator);
    m_cellEdited = false;
    return true;
}
