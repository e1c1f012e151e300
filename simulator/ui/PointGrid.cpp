#include "simulator/ui/PointGrid.h"

#include "resources/simulator/pellarun_ids.h"
#include "manager/core/NumberText.h"
#include "simulator/core/DecimalText.h"
#include "simulator/ui/SimulatorApp.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kTypeColumn = 1;
constexpr int kPositionColumn = 2;
constexpr int kSpeedColumn = 3;
constexpr int kAccelColumn = 4;
constexpr int kDecelColumn = 5;
constexpr int kBranchColumn = 6;
constexpr int kFlagColumn = 7;
constexpr int kColumnWidths[CPointGrid::kCols] = {50, 123, 110, 120, 120, 90, 0, 90};

CString LoadText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

CString FormatDecimals(double value, int decimals)
{
    // Halves away from zero, as the value is stored ("%.*f" alone would
    // give 8.12 for 8.125 and 0.28 for the 0.2899... that 0.29 is in binary).
    CString text;
    text.Format(u"%.*f", decimals, RoundedToDecimals(value, decimals));
    return text;
}

}  // namespace

BEGIN_MESSAGE_MAP(CPointGrid, CFlxGrid)
    ON_NOTIFY_REFLECT_EX(GN_CELLCHANGED, &CPointGrid::OnGridCellChanged)
    ON_NOTIFY_REFLECT_EX(GN_ENDEDIT, &CPointGrid::OnGridEndEdit)
END_MESSAGE_MAP()

CPointGrid::CPointGrid() { m_rules = FlxGridRules::Simulator; }

void CPointGrid::SetData(ControllerData* current, ControllerData* reference)
{
    m_pCurrent = current;
    m_pReference = reference;
}

RobotParameterSet* CPointGrid::Params() const { return m_pCurrent ? m_pCurrent->FirstParamSet() : nullptr; }

int CPointGrid::Decimals() const
{
    const RobotParameterSet* params = Params();
    return params ? PositionDecimals(params->K(72)) : 2;
}

bool CPointGrid::PhysicalUnits() const
{
    const RobotParameterSet* params = Params();
    return params && (params->K(71) & 1) != 0;
}

bool CPointGrid::MarkingOn() const
{
    const CSimulatorApp* app = SimulatorApp();
    return m_bMarkChanges || (app && app->m_bExchange);
}

void CPointGrid::InitLayout()
{
    m_bDeleteAllowed = TRUE;
    m_bImeEnded = FALSE;
    SetRedraw(FALSE);
    SetRows(kRows);
    SetCols(kCols);
    ApplyTableColors();
    SetFixedRows(1);
    SetFixedCols(1);
    SetRowHeight(0, 20);
    SetColList(kTypeColumn, TRUE);
    SetCellText(0, kTypeColumn, LoadText(IDS_POINT_HEAD_TYPE));
    SetCellText(0, kPositionColumn, LoadText(IDS_POINT_HEAD_POSITION));
    ShowSpeedUnits(0);
    SetCellText(0, kDecelColumn, LoadText(IDS_POINT_HEAD_DECEL));
    SetCellText(0, kBranchColumn, LoadText(IDS_POINT_HEAD_BRANCH));
    SetCellText(0, kFlagColumn, LoadText(IDS_POINT_HEAD_FLAG));
    for (int c = 0; c < kCols; ++c) SetColWidth(c, kColumnWidths[c]);
    SetColAlignment(0, GA_CENTER);
    SetColAlignment(kTypeColumn, GA_LEFT);
    for (int c = kPositionColumn; c < kCols; ++c) SetColAlignment(c, GA_RIGHT);
    SetRangeAlignment(0, 0, 0, kCols - 1, GA_CENTER);
    SetRangeBold(0, 0, 0, kCols - 1, TRUE);
    SetRangeFontSize(0, 0, 0, kCols - 1, 10);
    for (int r = 1; r < kRows; ++r) {
        CString name;
        name.Format(u"P%d", r);
        SetCellText(r, 0, name);
    }
    ListClear(kTypeColumn);
    ListAdd(kTypeColumn, u"");
    for (UINT id = IDS_POINT_TYPE_ABS; id <= IDS_POINT_TYPE_INC_PUSH_DEC; ++id) ListAdd(kTypeColumn, LoadText(id));
    DisableAll();
    SetRedraw(TRUE);
    Refresh();
}

void CPointGrid::SetRowEnabled(int row, bool disabled)
{
    for (int c = kPositionColumn; c < kCols; ++c) {
        SetCellBackColor(row, c, disabled ? kLockedBackColor : RowColor(row));
        SetCellLocked(row, c, disabled ? TRUE : FALSE);
    }
}

void CPointGrid::ShowRowSpeeds(int row)
{
    const int index = row - 1;
    if (PhysicalUnits()) {
        SetCellText(row, kSpeedColumn, FormatDecimals(m_speeds.Speed(index) / 100.0, 2));
        SetCellText(row, kAccelColumn, FormatDecimals(m_speeds.Accel(index) / 100.0, 2));
    } else {
        SetCellText(row, kSpeedColumn, FormatDecimals(m_speeds.Speed(index), 0));
        SetCellText(row, kAccelColumn, FormatDecimals(m_speeds.Accel(index), 0));
    }
}

void CPointGrid::FillRow(int row)
{
    if (!m_pCurrent || row < 1 || row > kPointCount) return;
    const PointRecord& point = m_pCurrent->points[static_cast<std::size_t>(row - 1)];
    if (!point.IsUsed()) return;
    SetCellText(row, kTypeColumn, ListGetText(kTypeColumn, point.m >= 0 && point.m <= 8 ? point.m : 0));
    SetCellText(row, kPositionColumn, FormatDecimals(point.p / PowerOfTen(Decimals()), Decimals()));
    ShowRowSpeeds(row);
    CString text;
    text.Format(u"%d", point.dc);
    SetCellText(row, kDecelColumn, text);
    text.Format(u"%d", point.j);
    SetCellText(row, kBranchColumn, text);
    text.Format(u"%d", point.f);
    SetCellText(row, kFlagColumn, text);
    SetRowEnabled(row, false);
}

void CPointGrid::FillAll()
{
    for (int r = 1; r <= kPointCount; ++r) FillRow(r);
}

void CPointGrid::CreatePoint(int row, int type)
{
    RobotParameterSet* params = Params();
    if (!m_pCurrent || !params || row < 1 || row > kPointCount) return;
    PointRecord& point = m_pCurrent->points[static_cast<std::size_t>(row - 1)];
    const bool units = PhysicalUnits();
    point = PointRecord();
    point.number = row;
    point.m = type;
    point.s = units ? params->K(44) : 100;
    point.ac = units ? params->K(77) : 100;
    point.dc = params->K(53);
    point.q = 100;
    point.n = params->K(54);
    m_speeds.Set(row - 1, static_cast<float>(point.s), static_cast<float>(point.ac));
}

void CPointGrid::DeletePoint(int row)
{
    if (!m_pCurrent || row < 1 || row > kPointCount) return;
    m_pCurrent->points[static_cast<std::size_t>(row - 1)].Clear();
    m_speeds.Set(row - 1, 0, 0);
    SetCellText(row, kTypeColumn, u"");
    for (int c = kPositionColumn; c < kCols; ++c) SetCellText(row, c, u"");
    SetRowEnabled(row, true);
}

bool CPointGrid::GetColumnLimits(int row, int col, double& minimum, double& maximum, int& decimals, int& field) const
{
    const RobotParameterSet* params = Params();
    const bool units = PhysicalUnits();
    minimum = 1;
    maximum = 100;
    decimals = 0;
    field = 0;
    switch (col) {
    case kTypeColumn:
        maximum = 8;
        field = PointRecord::kM;
        return false;
    case kPositionColumn: {
        decimals = Decimals();
        const double step = 1.0 / PowerOfTen(decimals);
        maximum = 10000.0 - step;
        minimum = -maximum;
        field = PointRecord::kP;
        return true;
    }
    case kSpeedColumn:
        field = PointRecord::kS;
        if (units && params) {
            decimals = 2;
            minimum = 0.01;
            maximum = params->K(44) / 100.0;
        }
        return true;
    case kAccelColumn:
        field = PointRecord::kAC;
        if (units && params) {
            const bool second = m_pCurrent && row >= 1 && row <= kPointCount &&
                                (m_pCurrent->points[static_cast<std::size_t>(row - 1)].f & 1) != 0;
            decimals = 2;
            minimum = 0.01;
            maximum = params->K(second ? 79 : 77) / 100.0;
        }
        return true;
    case kDecelColumn: field = PointRecord::kDC; return true;
    case kBranchColumn:
        minimum = 0;
        maximum = 255;
        field = PointRecord::kJ;
        return true;
    case kFlagColumn:
        minimum = 0;
        maximum = 999999;
        field = PointRecord::kF;
        return true;
    default: return false;
    }
}

bool CPointGrid::CommitCell(int row, int col)
{
    if (row < 1 || col < 1 || row > kPointCount || col >= kCols || !m_pCurrent) return false;
    if (GetCellLocked(row, col) || m_bEdited != 1) return false;
    const CString text = GetCellText(row, col);
    if (col != kTypeColumn) {
        if (text.IsEmpty()) {
            // An emptied number keeps its value.
            SetCellText(row, col, m_strSavedText);
            m_bEdited = 0;
            return true;
        }
        double minimum = 0, maximum = 0;
        int decimals = 0, field = 0;
        GetColumnLimits(row, col, minimum, maximum, decimals, field);
        const char16_t separator = GetNumberLocale().decimalSeparator;
        double value = ParseDecimalText(std::u16string_view(text.GetString(), static_cast<std::size_t>(text.GetLength())),
                                        separator);
        value = std::max(std::min(value, maximum), minimum);
        PointRecord& point = m_pCurrent->points[static_cast<std::size_t>(row - 1)];
        const double scaled = value * PowerOfTen(decimals);
        if (field == PointRecord::kS) {
            m_speeds.Set(row - 1, static_cast<float>(scaled), m_speeds.Accel(row - 1));
            point.s = RoundToInt32(scaled);
        } else if (field == PointRecord::kAC) {
            m_speeds.Set(row - 1, m_speeds.Speed(row - 1), static_cast<float>(scaled));
            point.ac = RoundToInt32(scaled);
        } else {
            // Rounded half away from zero on the typed decimals (a typed
            // 1.2345 is 1.2345, not the 1.23449... the binary value holds),
            // and shown as stored.
            point.Field(field) = RoundToInt32(scaled);
            value = point.Field(field) / PowerOfTen(decimals);
        }
        SetCellText(row, col, FormatDecimals(value, decimals));
        m_strSavedText = GetCellText(row, col);
    }
    MarkChanged(row, col, false);
    m_bEdited = 0;
    return true;
}

void CPointGrid::MarkChanged(int row, int col, bool force)
{
    if (!MarkingOn() || !m_pCurrent || row < 1 || row > kPointCount || col < 1 || col >= kCols) return;
    const int field = col <= 5 ? col : col + 4;
    const PointRecord& current = m_pCurrent->points[static_cast<std::size_t>(row - 1)];
    bool changed = force || (current.m == 0 && col != kTypeColumn);
    if (!changed && m_pReference)
        changed = current.Field(field) != m_pReference->points[static_cast<std::size_t>(row - 1)].Field(field);
    if (!changed) return;
    const CString maskText = GetCellData(row, 0);
    int mask = 0;
    for (int i = 0; i < maskText.GetLength(); ++i) mask = mask * 10 + (maskText[i] - u'0');
    mask |= 1 << (col - 1);
    SetCellBackColor(row, col, kChangedBackColor);
    SetCellBold(row, col, TRUE);
    CString text;
    text.Format(u"%d", mask);
    SetCellData(row, 0, text);
}

void CPointGrid::ClearChangeMarks()
{
    ResetRangeFormat(1, 1, kPointCount, kCols - 1);
    for (int r = 1; r <= kPointCount; ++r) {
        SetCellData(r, 0, u"");
        const bool present = m_pCurrent && m_pCurrent->points[static_cast<std::size_t>(r - 1)].IsUsed();
        SetRowEnabled(r, !present);
    }
}

void CPointGrid::ClearAll()
{
    ResetRangeFormat(1, 1, kPointCount, kCols - 1);
    ClearRange(1, 1, kPointCount, kCols - 1);
    for (int r = 1; r <= kPointCount; ++r) SetCellData(r, 0, u"");
}

void CPointGrid::DisableAll()
{
    SetRangeBackColor(1, kPositionColumn, kPointCount, kCols - 1, kLockedBackColor);
    SetRangeLocked(1, kPositionColumn, kPointCount, kCols - 1, TRUE);
}

void CPointGrid::RecommitSpeeds()
{
    if (!m_pCurrent) return;
    for (int r = 1; r <= kPointCount; ++r) {
        if (!m_pCurrent->points[static_cast<std::size_t>(r - 1)].IsUsed()) continue;
        m_strSavedText = GetCellText(r, kSpeedColumn);
        m_bEdited = 1;
        CommitCell(r, kSpeedColumn);
        m_strSavedText = GetCellText(r, kAccelColumn);
        m_bEdited = 1;
        CommitCell(r, kAccelColumn);
    }
}

void CPointGrid::ShowSpeedUnits(int units)
{
    CString speed, accel;
    speed.Format(LoadText(IDS_POINT_HEAD_SPEED), units ? u"[mm/s]" : u"[%]");
    accel.Format(LoadText(IDS_POINT_HEAD_ACCEL), units ? u"[m/s^2]" : u"[%]");
    SetCellText(0, kSpeedColumn, speed);
    SetCellText(0, kAccelColumn, accel);
    if (!m_pCurrent) return;
    for (int r = 1; r <= kPointCount; ++r)
        if (m_pCurrent->points[static_cast<std::size_t>(r - 1)].IsUsed()) ShowRowSpeeds(r);
}

void CPointGrid::ConvertSpeedUnits(int units)
{
    const RobotParameterSet* params = Params();
    if (!m_pCurrent || !params) return;
    m_speeds.Convert(units ? SpeedUnits::kPhysical : SpeedUnits::kPercent, m_pCurrent->points, *params);
}

void CPointGrid::RescalePositions(int oldDecimals, int newDecimals)
{
    if (!m_pCurrent) return;
    ::RescalePositions(m_pCurrent->points, oldDecimals, newDecimals);
    for (int r = 1; r <= kPointCount; ++r) {
        const PointRecord& point = m_pCurrent->points[static_cast<std::size_t>(r - 1)];
        if (point.IsUsed())
            SetCellText(r, kPositionColumn, FormatDecimals(point.p / PowerOfTen(newDecimals), newDecimals));
    }
}

float CPointGrid::GetSpeedAccel(int which, int index) const
{
    return which == 0 ? m_speeds.Speed(index) : m_speeds.Accel(index);
}

void CPointGrid::LoadSpeeds()
{
    if (m_pCurrent) m_speeds.Load(m_pCurrent->points);
}

void CPointGrid::StoreSpeeds()
{
    if (m_pCurrent) m_speeds.Store(m_pCurrent->points);
}

void CPointGrid::ClampSpeeds()
{
    const RobotParameterSet* params = Params();
    if (!m_pCurrent || !params) return;
    for (int index : m_speeds.ClampToMaximum(m_pCurrent->points, *params)) ShowRowSpeeds(index + 1);
}

void CPointGrid::OnCellEntered(int nRow, int nCol)
{
    CFlxGrid::OnCellEntered(nRow, nCol);
    switch (nCol) {
    case kPositionColumn: m_nInputMode = kInputDecimal; break;
    case kSpeedColumn:
    case kAccelColumn: m_nInputMode = PhysicalUnits() ? kInputDecimal : kInputWhole; break;
    case kDecelColumn:
    case kBranchColumn:
    case kFlagColumn: m_nInputMode = kInputWhole; break;
    default: m_nInputMode = kInputNothing; break;
    }
}

void CPointGrid::NotifyPointsChanged()
{
    CWnd* owner = GetParent();
    if (owner) owner->SendMessage(UM_POINTSCHANGED, 0, 0);
}

void CPointGrid::OnTypeChanged(int row)
{
    if (!m_pCurrent || row < 1 || row > kPointCount) return;
    m_bImeEnded = FALSE;
    const CString text = GetCellText(row, kTypeColumn);
    if (text != m_strSavedText) {
        if (text.IsEmpty()) {
            DeletePoint(row);
            NotifyPointsChanged();
        } else if (m_strSavedText.IsEmpty() || !m_pCurrent->points[static_cast<std::size_t>(row - 1)].IsUsed()) {
            int type = 0;
            for (int i = 1; i < ListGetCount(kTypeColumn); ++i)
                if (ListGetText(kTypeColumn, i) == text) type = i;
            CreatePoint(row, type);
            SetRedraw(FALSE);
            FillRow(row);
            for (int c = kPositionColumn; c < kCols; ++c) MarkChanged(row, c, true);
            SetRedraw(TRUE);
            Refresh();
            NotifyPointsChanged();
        } else {
            for (int i = 1; i < ListGetCount(kTypeColumn); ++i)
                if (ListGetText(kTypeColumn, i) == text) m_pCurrent->points[static_cast<std::size_t>(row - 1)].m = i;
            NotifyPointsChanged();
            Refresh();
        }
    }
    m_strSavedText = text;
    MarkChanged(row, kTypeColumn, false);
}

BOOL CPointGrid::OnGridCellChanged(NMHDR* pNMHDR, LRESULT*)
{
    const auto* info = reinterpret_cast<const NMGRID*>(pNMHDR);
    m_bEdited = 1;
    if (info->col == kTypeColumn) OnTypeChanged(info->row);
    return FALSE;
}

BOOL CPointGrid::OnGridEndEdit(NMHDR* pNMHDR, LRESULT*)
{
    const auto* info = reinterpret_cast<const NMGRID*>(pNMHDR);
    if (info->col != kTypeColumn) CommitCell(info->row, info->col);
    return FALSE;
}

void CPointGrid::CommitCurrentCell()
{
    const int row = GetCurrentRow();
    const int col = GetCurrentCol();
    if (IsEditing()) EndEdit(TRUE);
    if (row >= 1 && col >= 1) CommitCell(row, col);
}

void CPointGrid::OnDeleted(int nFirstRow, int nLastRow, int nFirstCol, int nLastCol)
{
    if (!m_pCurrent) return;
    // Every point whose type was cleared goes, records and all; numbers that
    // were cleared keep their values and show them again.
    bool pointsGone = false;
    for (int r = std::max(nFirstRow, 1); r <= std::min(nLastRow, kPointCount); ++r) {
        const bool present = m_pCurrent->points[static_cast<std::size_t>(r - 1)].IsUsed();
        if (!present) continue;
        if (nFirstCol <= kTypeColumn && kTypeColumn <= nLastCol) {
            DeletePoint(r);
            MarkChanged(r, kTypeColumn, false);
            pointsGone = true;
        } else {
            FillRow(r);
        }
    }
    m_bEdited = 0;
    if (pointsGone) NotifyPointsChanged();
}

BOOL CPointGrid::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE) {
        // Escape drops the edit: the cell and its record stay as they were.
        const int row = GetCurrentRow();
        const int col = GetCurrentCol();
        if (IsEditing()) EndEdit(FALSE);
        m_bEdited = 0;
        if (row >= 1 && col >= 1) SetCellText(row, col, m_strSavedText);
        return TRUE;
    }
    return CFlxGrid::PreTranslateMessage(pMsg);
}
