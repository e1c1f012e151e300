#include "manager/ui/ParameterGrid.h"

#include "manager/core/LibraryBindings.h"
#include "manager/core/NumberText.h"
#include "manager/ui/ManagerMessages.h"
#include "resources/manager/resource_ids.h"

#include <algorithm>
#include <array>

BEGIN_MESSAGE_MAP(CParameterGrid, CFlxGrid)
    ON_NOTIFY_REFLECT_EX(GN_ENDEDIT, &CParameterGrid::OnEndEdit)
    ON_NOTIFY_REFLECT_EX(GN_MOUSEUP, &CParameterGrid::OnMouseUpGrid)
END_MESSAGE_MAP()

namespace {
constexpr std::array<const char16_t*, 11> kModels = {u"Q05", u"Q10", u"Q20", u"V05", u"V10", u"V20",
                                                     u"LA",  u"LB",  u"LA2", u"LB2", u"LC"};
constexpr std::array<const char16_t*, 5> kInterfaces = {u"----", u"NPN", u"PNP", u"CC-Link", u"DeviceNet"};
constexpr std::array<std::uint16_t, 6> kEditBits = {1, 1, 2, 4, 8, 16};
constexpr std::array<std::uint16_t, 6> kShowBits = {256, 256, 512, 1024, 2048, 4096};
constexpr int kFixed = 1;

CString Label(int index)
{
    CString text;
    if (index >= kFirstHParamIndex) text.Format(u"H%d", index - kFirstHParamIndex);
    else text.Format(u"%d", index + 1);
    return text;
}
}  // namespace

int CParameterGrid::VariantKey(int index) const
{
    if (index == 73) return m_model <= 2 || m_model == 10 ? 1 : 0;
    if (index >= 79 && index <= 81) return m_interface;
    if (index >= 122 && index <= 124) return m_model;
    return 0;
}

std::uint16_t CParameterGrid::Bits(const ParamDef& def, bool show, int level) const
{
    level = std::clamp(level, 0, 5);
    if (def.kind == 'M' && m_pulseTrain && level == 1) level = 3;
    return show ? kShowBits[static_cast<size_t>(level)] : kEditBits[static_cast<size_t>(level)];
}

BOOL CParameterGrid::LayoutParamGrid(const ParamDefTable* table, const CString& model, const CString& interfaceText)
{
    if (!table) return FALSE;
    m_table = table;
    m_model = 11;
    for (size_t i = 0; i < kModels.size(); ++i)
        if (model.Find(kModels[i]) >= 0) m_model = static_cast<int>(i);
    m_pulseTrain = model.Find(u"LB") >= 0;
    for (size_t i = 0; i < kInterfaces.size(); ++i)
        if (interfaceText == kInterfaces[i]) m_interface = static_cast<int>(i);
    SetRedraw(FALSE);
    ApplyTableColors();
    SetCols(4);
    m_bCopyAllowed = m_bPasteAllowed = TRUE;
    m_bEnterMoves = TRUE;
    SetEditable(TRUE);
    m_rowIndex.clear();
    m_rowDef.clear();
    for (int index = 0; index < kParamCount; ++index) {
        const ParamDef* def = (*table)[static_cast<size_t>(index)].GetVariant(VariantKey(index));
        if (!def || def->kind == 0) continue;
        m_rowIndex.push_back(index);
        m_rowDef.push_back(def);
    }
    SetRows(kFixed + static_cast<int>(m_rowIndex.size()));
    SetFixedRows(kFixed);
    SetFixedCols(1);
    SetCellText(0, 0, LoadFrameText(IDS_PANE_PARAM_NUMBER).GetString());
    SetCellText(0, 1, LoadFrameText(IDS_PANE_PARAM_NAME).GetString());
    SetCellText(0, 2, LoadFrameText(IDS_PANE_PARAM_UNIT).GetString());
    SetCellText(0, 3, LoadFrameText(IDS_PANE_PARAM_VALUE).GetString());
    SetColWidth(0, 50);
    SetColWidth(1, 230);
    SetColWidth(2, 60);
    SetColWidth(3, 150);
    for (size_t i = 0; i < m_rowIndex.size(); ++i) {
        const int row = kFixed + static_cast<int>(i);
        const ParamDef& def = *m_rowDef[i];
        SetCellText(row, 0, Label(m_rowIndex[i]).GetString());
        SetCellText(row, 1, def.name.GetString());
        SetCellText(row, 2, def.unit.GetString());
        SetCellList(row, kValueCol, def.IsList() ? TRUE : FALSE);
        SetCellLocked(row, 1, TRUE);
        SetCellLocked(row, 2, TRUE);
    }
    SetRedraw(TRUE);
    return TRUE;
}

int CParameterGrid::IndexOfRow(int row) const
{
    const int i = row - kFixed;
    return i >= 0 && i < static_cast<int>(m_rowIndex.size()) ? m_rowIndex[static_cast<size_t>(i)] : -1;
}

int CParameterGrid::RowOfIndex(int index) const
{
    for (size_t i = 0; i < m_rowIndex.size(); ++i)
        if (m_rowIndex[i] == index) return kFixed + static_cast<int>(i);
    return -1;
}

const ParamDef* CParameterGrid::DefOfRow(int row) const
{
    const int i = row - kFixed;
    return i >= 0 && i < static_cast<int>(m_rowDef.size()) ? m_rowDef[static_cast<size_t>(i)] : nullptr;
}

CString CParameterGrid::ValueText(const ParamDef& def, std::int32_t value) const
{
    if (def.IsList()) {
        for (size_t i = 0; i < def.choiceValues.size() && i < def.choiceTexts.size(); ++i)
            if (def.choiceValues[i] == value) return def.choiceTexts[i];
        CString text;
        text.Format(u"%d", value);
        return text;
    }
    return FormatFixedDecimals(value, GetParamDecimals(def, m_values));
}

void CParameterGrid::LoadParamValues(RobotParameterSet* values, const RobotParameterSet* reference)
{
    m_values = values;
    m_reference = reference;
    SetRedraw(FALSE);
    for (size_t i = 0; i < m_rowIndex.size(); ++i) RefreshParamRow(m_rowIndex[i]);
    SetRedraw(TRUE);
    Refresh();
}

BOOL CParameterGrid::RefreshParamRow(int index)
{
    const int row = RowOfIndex(index);
    const ParamDef* def = DefOfRow(row);
    if (row < 0 || !def || !m_values) return FALSE;
    const std::int32_t value = m_values->values[static_cast<size_t>(index)];
    SetCellText(row, kValueCol, ValueText(*def, value).GetString());
    bool notChoice = def->IsList() &&
                     std::find(def->choiceValues.begin(), def->choiceValues.end(), value) == def->choiceValues.end();
    const bool changed = m_reference && m_reference->values[static_cast<size_t>(index)] != value;
    SetCellBold(row, kValueCol, changed ? TRUE : FALSE);
    SetCellBackColor(row, kValueCol, changed || notChoice ? kChangedBackColor : RowColor(row));
    SetCellTextColor(row, kValueCol, notChoice ? RGB(192, 0, 0) : ::GetSysColor(COLOR_WINDOWTEXT));
    return TRUE;
}

bool CParameterGrid::IsEditable(int row, int accessLevel) const
{
    const ParamDef* def = DefOfRow(row);
    return def && (def->access & Bits(*def, false, accessLevel)) != 0;
}

void CParameterGrid::ShowGroup(char group, int accessLevel)
{
    m_accessLevel = accessLevel;
    SetRedraw(FALSE);
    for (size_t i = 0; i < m_rowDef.size(); ++i) {
        const int row = kFixed + static_cast<int>(i);
        const ParamDef& def = *m_rowDef[i];
        const bool shown = (group == 0 || def.kind == group) && (def.access & Bits(def, true, accessLevel)) != 0;
        SetRowHeight(row, shown ? GetDefaultRowHeight() : 0);
        const bool editable = IsEditable(row, accessLevel);
        SetCellLocked(row, kValueCol, editable ? FALSE : TRUE);
        SetCellLocked(row, 0, TRUE);
    }
    SetRedraw(TRUE);
    Refresh();
}

void CParameterGrid::LockParamGrid(BOOL lock)
{
    for (int row = kFixed; row < GetRows(); ++row) {
        if (!IsEditable(row, m_accessLevel)) continue;
        SetCellLocked(row, kValueCol, lock);
        SetCellTextColor(row, kValueCol, ::GetSysColor(lock ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
    }
    m_bCopyAllowed = m_bPasteAllowed = lock ? FALSE : TRUE;
}

CString CParameterGrid::Description(int row) const
{
    const ParamDef* def = DefOfRow(row);
    if (!def) return CString();
    CString text = def->description;
    text.Replace(u"_crlf_", u"\r\n");
    if (!def->IsList()) {
        std::int32_t minimum = def->minimum, maximum = def->maximum;
        ScaleParamValue(*def, m_values, IndexOfRow(row), minimum, maximum);
        const int d = GetParamDecimals(*def, m_values);
        CString range;
        range.Format(LoadFrameText(IDS_PARAM_RANGE), FormatFixedDecimals(minimum, d).GetString(),
                     FormatFixedDecimals(maximum, d).GetString());
        text = range + text;
    }
    return text;
}

void CParameterGrid::OnCellEntered(int nRow, int nCol)
{
    CFlxGrid::OnCellEntered(nRow, nCol);
    const ParamDef* def = DefOfRow(nRow);
    if (def && nCol == kValueCol) {
        if (def->IsList()) {
            ListClear(kValueCol);
            for (const CString& choice : def->choiceTexts)
                if (!choice.IsEmpty()) ListAdd(kValueCol, choice.GetString());
            m_nInputMode = kInputNothing;
        } else {
            m_nInputMode = GetParamDecimals(*def, m_values) > 0 ? kInputDecimal : kInputWhole;
        }
    } else {
        m_nInputMode = kInputNothing;
    }
    if (CWnd* parent = GetParent()) parent->SendMessage(UM_CELLDESCRIPTION, static_cast<WPARAM>(nRow), nCol);
}

bool CParameterGrid::StoreParamRow(int row)
{
    const ParamDef* def = DefOfRow(row);
    const int index = IndexOfRow(row);
    if (!def || index < 0 || !m_values || GetCellLocked(row, kValueCol)) return false;
    CString text = GetCellText(row, kValueCol);
    text.Trim();
    std::int32_t value = 0;
    if (def->IsList()) {
        bool found = false;
        for (size_t i = 0; i < def->choiceTexts.size() && i < def->choiceValues.size(); ++i)
            if (def->choiceTexts[i] == text) {
                value = def->choiceValues[i];
                found = true;
            }
        // A text that is no choice (typed over a list cell) puts the old text back.
        if (!found) {
            RefreshParamRow(index);
            return false;
        }
    } else {
        const int d = GetParamDecimals(*def, m_values);
        std::int32_t minimum = def->minimum, maximum = def->maximum;
        ScaleParamValue(*def, m_values, index, minimum, maximum);
        const std::u16string_view view(text.GetString(), static_cast<size_t>(text.GetLength()));
        if (!IsNumericText(view, d, minimum < 0)) {
            CString message;
            message.Format(LoadFrameText(IDS_PANE_NOT_A_NUMBER), text.GetString());
            RefreshParamRow(index);
            AfxMessageBox(message.GetString(), MB_OK | MB_ICONWARNING);
            return false;
        }
        const std::int64_t scaled = RoundToDecimals(NumericTextToDouble(view), d);
        if (scaled < minimum || scaled > maximum) {
            CString message;
            message.Format(LoadFrameText(IDS_PANE_PARAM_OUT_OF_RANGE), def->name.GetString(), text.GetString(),
                           FormatFixedDecimals(minimum, d).GetString(), FormatFixedDecimals(maximum, d).GetString());
            RefreshParamRow(index);
            AfxMessageBox(message.GetString(), MB_OK | MB_ICONWARNING);
            return false;
        }
        value = static_cast<std::int32_t>(scaled);
    }
    // Written by the row's own parameter number.
    m_values->values[static_cast<size_t>(index)] = value;
    if (index == 82) {
        // K87 follows K83: 2 when any of bits 2 to 9 is set, else 4.
        m_values->K(87) = (value & 0x3FC) ? 2 : 4;
        RefreshParamRow(86);
    }
    RefreshParamRow(index);
    if (index == KParamIndex(76) || index == KParamIndex(78)) TakeAccelerationLimit(index + 1, value);
    if (IsPayloadOrLimit(index)) NotifyEdited(row);
    return true;
}

bool CParameterGrid::IsPayloadOrLimit(int index)
{
    return index >= KParamIndex(76) && index <= KParamIndex(79);
}

void CParameterGrid::NotifyEdited(int row)
{
    if (CWnd* parent = GetParent(); parent && row > 0)
        parent->SendMessage(UM_PARAMETEREDITED, static_cast<WPARAM>(row), kValueCol);
}

void CParameterGrid::TakeAccelerationLimit(int limitIndex, std::int32_t payload)
{
    // A heavier payload lowers the acceleration the axis may take: the limit
    // follows from the motion library, so it is never written with the old,
    // higher figure. Without the library the limit stays as it was.
    int limit = 0;
    if (!CallAccCalc(m_values, payload, limit)) return;
    if (const ParamDef* def = DefOfRow(RowOfIndex(limitIndex))) {
        std::int32_t minimum = def->minimum, maximum = def->maximum;
        ScaleParamValue(*def, m_values, limitIndex, minimum, maximum);
        if (minimum <= maximum) limit = std::clamp<std::int32_t>(limit, minimum, maximum);
    }
    m_values->values[static_cast<size_t>(limitIndex)] = limit;
    RefreshParamRow(limitIndex);
    NotifyEdited(RowOfIndex(limitIndex));
}

void CParameterGrid::OnBeforeMove(int nOldRow, int nOldCol, int* pNewRow, int* pNewCol, BOOL* pCancel)
{
    CFlxGrid::OnBeforeMove(nOldRow, nOldCol, pNewRow, pNewCol, pCancel);
    if (m_storing || nOldCol != kValueCol || nOldRow < kFixed) return;
    if (GetCellText(nOldRow, nOldCol) == m_strSavedText) return;
    m_storing = true;
    StoreParamRow(nOldRow);
    m_storing = false;
}

BOOL CParameterGrid::OnEndEdit(NMHDR* pNMHDR, LRESULT*)
{
    const auto* info = reinterpret_cast<const NMGRID*>(pNMHDR);
    if (info->col != kValueCol || GetCellText(info->row, info->col) == m_strSavedText || m_storing) return FALSE;
    m_storing = true;
    StoreParamRow(info->row);
    m_strSavedText = GetCellText(info->row, info->col);
    m_storing = false;
    return FALSE;
}

void CParameterGrid::PasteText(const CString& strText)
{
    const std::vector<std::vector<CString>> lines = SplitTable(strText.view());
    int r1 = 0, c1 = 0, r2 = 0, c2 = 0;
    if (!GetSelection(&r1, &c1, &r2, &c2)) return;
    SetRedraw(FALSE);
    for (size_t i = 0; i < lines.size() && r1 + static_cast<int>(i) < GetRows(); ++i) {
        const int row = r1 + static_cast<int>(i);
        if (GetCellLocked(row, kValueCol) || lines[i].empty()) continue;
        SetCellText(row, kValueCol, lines[i].back().GetString());
        m_storing = true;
        StoreParamRow(row);
        m_storing = false;
    }
    SetRedraw(TRUE);
    Refresh();
}

BOOL CParameterGrid::OnMouseUpGrid(NMHDR* pNMHDR, LRESULT*)
{
    const auto* info = reinterpret_cast<const NMGRIDMOUSE*>(pNMHDR);
    if (info->button != GMB_RIGHT) return FALSE;
    CPoint pt(info->x, info->y);
    ClientToScreen(&pt);
    if (CWnd* parent = GetParent()) parent->PostMessage(UM_GRIDCONTEXTMENU, static_cast<WPARAM>(pt.x), pt.y);
    return FALSE;
}
