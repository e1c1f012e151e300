#include "manager/dialogs/DlgPointInput.h"

#include "manager/dialogs/DialogHelpers.h"
#include "manager/dialogs/DlgSmallDialogs.h"

#include "manager/core/NumberText.h"

#include "resources/manager/ctrldlgs_ids.h"
#include "resources/manager/resource_ids.h"

#include "platform/core/MessageBox.h"
#include "platform/ui/Button.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/DC.h"
#include "platform/ui/Edit.h"

#include <algorithm>

namespace {

struct FieldControls {
    int field;  // index into PointRecord
    int edit;
    int limit;
    int label;
    UINT labelString;
    int unit;    // 0: none
    int marker;  // 0: none
    UINT help;
};

// P, S, AC, DC, Q, ZL, ZH, N, J, C, T; the first nine have a marker in this order.
constexpr FieldControls kFields[CDlgPointInput::kFieldEdits] = {
    {PointRecord::kP, IDC_PI_P, 9, IDC_PI_P_LABEL, IDS_CD_PI_LABEL_P, IDC_PI_P_UNIT, IDC_PI_MARKER_P, IDS_CD_PI_HELP_P},
    {PointRecord::kS, IDC_PI_S, 9, IDC_PI_S_LABEL, IDS_CD_PI_LABEL_S, IDC_PI_S_UNIT, IDC_PI_MARKER_S, IDS_CD_PI_HELP_S},
    {PointRecord::kAC, IDC_PI_AC, 9, IDC_PI_AC_LABEL, IDS_CD_PI_LABEL_AC, IDC_PI_AC_UNIT, IDC_PI_MARKER_AC,
     IDS_CD_PI_HELP_AC},
    {PointRecord::kDC, IDC_PI_DC, 3, IDC_PI_DC_LABEL, IDS_CD_PI_LABEL_DC, IDC_PI_DC_UNIT, IDC_PI_MARKER_DC,
     IDS_CD_PI_HELP_DC},
    {PointRecord::kQ, IDC_PI_Q, 3, IDC_PI_Q_LABEL, IDS_CD_PI_LABEL_Q, IDC_PI_Q_UNIT, IDC_PI_MARKER_Q, IDS_CD_PI_HELP_Q},
    {PointRecord::kZL, IDC_PI_ZL, 9, IDC_PI_ZL_LABEL, IDS_CD_PI_LABEL_ZL, IDC_PI_ZL_UNIT, IDC_PI_MARKER_ZL,
     IDS_CD_PI_HELP_ZL},
    {PointRecord::kZH, IDC_PI_ZH, 9, IDC_PI_ZH_LABEL, IDS_CD_PI_LABEL_ZH, IDC_PI_ZH_UNIT, IDC_PI_MARKER_ZH,
     IDS_CD_PI_HELP_ZH},
    {PointRecord::kN, IDC_PI_N, 9, IDC_PI_N_LABEL, IDS_CD_PI_LABEL_N, IDC_PI_N_UNIT, IDC_PI_MARKER_N, IDS_CD_PI_HELP_N},
    {PointRecord::kJ, IDC_PI_J, 3, IDC_PI_J_LABEL, IDS_CD_PI_LABEL_J, 0, IDC_PI_MARKER_J, IDS_CD_PI_HELP_J},
    {PointRecord::kC, IDC_PI_C, 3, IDC_PI_C_LABEL, IDS_CD_PI_LABEL_C, 0, 0, IDS_CD_PI_HELP_C},
    {PointRecord::kT, IDC_PI_T, 5, IDC_PI_T_LABEL, IDS_CD_PI_LABEL_T, 0, 0, IDS_CD_PI_HELP_T},
};
constexpr int kMarkerSize = 14;

CEdit* EditOf(CWnd* dialog, int index) { return static_cast<CEdit*>(dialog->GetDlgItem(kFields[index].edit)); }

}  // namespace

std::array<DiagramMarker, 9> DiagramMarkersOf(int type)
{
    // Order: P, S, AC, DC, Q, ZL, ZH, N, J.
    std::array<DiagramMarker, 9> m{};
    const auto at = [&](int i, int x, int y) { m[static_cast<size_t>(i)] = {true, x, y}; };
    at(5, 7, 8);
    at(6, 8, 8);
    switch (type) {
    case 1: at(2, 1, 4); at(1, 4, 7); at(3, 7, 4); at(0, 8, 0); break;
    case 2: at(2, 1, 4); at(1, 4, 7); at(3, 7, 4); at(0, 4, 0); break;
    case 3: at(2, 1, 3); at(1, 2, 4); at(0, 4, 0); at(8, 8, 0); break;
    case 4: at(2, 1, 3); at(1, 2, 4); at(0, 2, 0); at(8, 6, 0); break;
    case 5: at(2, 1, 4); at(1, 3, 7); at(4, 6, 4); at(0, 8, 0); break;
    case 6: at(2, 1, 4); at(1, 3, 7); at(4, 6, 4); at(0, 4, 0); break;
    case 7: at(2, 1, 4); at(1, 3, 7); at(3, 4, 6); at(4, 7, 2); at(7, 6, 5); at(0, 8, 0); break;
    case 8: at(2, 1, 4); at(1, 3, 7); at(3, 4, 6); at(4, 7, 2); at(7, 6, 5); at(0, 4, 0); break;
    default: break;
    }
    return m;
}

BEGIN_MESSAGE_MAP(CDlgPointInput, CDialog)
    ON_CBN_SELCHANGE(IDC_PI_TYPE, &CDlgPointInput::OnTypeChange)
    ON_BN_CLICKED(IDC_PI_PREVIOUS, &CDlgPointInput::OnPrevious)
    ON_BN_CLICKED(IDC_PI_NEXT, &CDlgPointInput::OnNext)
    ON_BN_CLICKED(IDC_PI_F0_CLEAR, &CDlgPointInput::OnReferenceRadio)
    ON_BN_CLICKED(IDC_PI_F0_SET, &CDlgPointInput::OnReferenceRadio)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CPointDiagram, CStatic)
    ON_WM_PAINT()
END_MESSAGE_MAP()

CDlgPointInput::CDlgPointInput(CWnd* pParent) : CDialog(IDD_POINT_INPUT, pParent) {}

CString CDlgPointInput::LabelText(int index) const
{
    CString text;
    GetDlgItemText(kFields[index].label, text);
    return text;
}

CString CDlgPointInput::UnitText(int index) const
{
    CString text;
    if (kFields[index].unit) GetDlgItemText(kFields[index].unit, text);
    return text;
}

BOOL CDlgPointInput::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (!m_pData || !m_pFieldTable) return TRUE;
    for (int i = 0; i < kFieldEdits; ++i) {
        SetDlgItemText(kFields[i].label, LoadText(kFields[i].labelString));
        EditOf(this, i)->LimitText(kFields[i].limit);
    }
    SetDlgItemText(IDC_PI_K44_LABEL, LoadText(IDS_CD_PI_K44_LABEL));
    SetDlgItemText(IDC_PI_REFERENCE_LABEL, LoadText(IDS_CD_PI_REFERENCE_LABEL));
    SetDlgItemText(IDC_PI_LABEL_TYPE, LoadText(IDS_CD_PI_TYPE_LABEL));
    SetDlgItemText(IDC_PI_F0_LABEL, LoadText(IDS_CD_PI_F0_LABEL));
    SetDlgItemText(IDC_PI_F1_LABEL, LoadText(IDS_CD_PI_F1_LABEL));
    SetDlgItemText(IDC_PI_F1_CLEAR, LoadText(IDS_CD_PI_F1_CLEAR));
    SetDlgItemText(IDC_PI_F1_SET, LoadText(IDS_CD_PI_F1_SET));
    for (int id : {IDC_PI_C_LABEL, IDC_PI_C, IDC_PI_HIDDEN_1035, IDC_PI_HIDDEN_1036, IDC_PI_HIDDEN_1007,
                   IDC_PI_HIDDEN_1017}) {
        if (CWnd* w = GetDlgItem(id)) w->ShowWindow(SW_HIDE);
    }
    m_diagram.m_pOwner = this;
    m_diagram.SubclassDlgItem(IDC_PI_PICTURE, this);
    auto* combo = static_cast<CComboBox*>(GetDlgItem(IDC_PI_TYPE));
    for (int t = 1; t <= 8; ++t) combo->AddString(LoadText(IDS_STATE_MOVE_1 + t - 1));
    combo->SetCurSel(0);

    m_tooltip.Create(this, TRUE);
    m_tooltip.SetCssStyles(IDS_CD_TIP_STYLES);
    m_tooltip.SetColorBk(RGB(255, 255, 255), RGB(240, 247, 255), RGB(192, 192, 208));
    m_tooltip.SetEffectBk(13, 5);
    for (int i = 0; i < kMarkers; ++i) m_tooltip.AddTool(GetDlgItem(kFields[i].marker), u"");

    const RobotParameterSet* set = m_pData->FirstParamSet();
    if (set) {
        CString text;
        text.Format(IDS_CD_PI_F0_CLEAR, set->K(76));
        SetDlgItemText(IDC_PI_F0_CLEAR, text);
        text.Format(IDS_CD_PI_F0_SET, set->K(78));
        SetDlgItemText(IDC_PI_F0_SET, text);
        SetDlgItemText(IDC_PI_K44, FormatFixedDecimals(set->K(44), 2));
        if (set->K(71) & 1) {
            SetDlgItemText(IDC_PI_S_UNIT, LoadText(IDS_CD_PI_UNIT_S_ALT));
            SetDlgItemText(IDC_PI_AC_UNIT, LoadText(IDS_CD_PI_UNIT_AC_ALT));
        }
    }
    if (m_pData->typeText != CString(u"LA")) {
        for (int id : {IDC_PI_F1_LABEL, IDC_PI_F1_CLEAR, IDC_PI_F1_SET}) GetDlgItem(id)->EnableWindow(FALSE);
    }
    LoadPoint(m_nPoint);
    return TRUE;
}

void CDlgPointInput::LoadPoint(int point)
{
    m_nPoint = point;
    CString text;
    text.Format(IDS_CD_PI_TITLE, point);
    SetWindowText(text);
    text.Format(IDS_CD_PI_PREVIOUS, point == 1 ? kPointCount : point - 1);
    SetDlgItemText(IDC_PI_PREVIOUS, text);
    text.Format(IDS_CD_PI_NEXT, point == kPointCount ? 1 : point + 1);
    SetDlgItemText(IDC_PI_NEXT, text);

    PointRecord record = m_pData->points[static_cast<size_t>(point - 1)];
    if (record.number == 0) {
        record.number = point;
        for (int f = 1; f < PointRecord::kFieldCount; ++f) record.Field(f) = (*m_pFieldTable)[static_cast<size_t>(f)].defaultValue;
    }
    auto* combo = static_cast<CComboBox*>(GetDlgItem(IDC_PI_TYPE));
    combo->SetCurSel(record.m >= 1 && record.m <= 8 ? record.m - 1 : 0);
    for (int i = 0; i < kFieldEdits; ++i) {
        const int f = kFields[i].field;
        const CString value = FormatFixedDecimals(record.Field(f), (*m_pFieldTable)[static_cast<size_t>(f)].decimals);
        SetDlgItemText(kFields[i].edit, value);
        EditOf(this, i)->SetModify(FALSE);
        m_saved[static_cast<size_t>(i)] = value;
    }
    CheckRadioButton(IDC_PI_F0_CLEAR, IDC_PI_F0_SET, (record.f & 1) ? IDC_PI_F0_SET : IDC_PI_F0_CLEAR);
    CheckRadioButton(IDC_PI_F1_CLEAR, IDC_PI_F1_SET, (record.f & 2) ? IDC_PI_F1_SET : IDC_PI_F1_CLEAR);
    ShowReference();
    m_loaded = record;
    ApplyType();
    for (int i = 0; i < kMarkers; ++i) UpdateMarkerTip(i);
}

void CDlgPointInput::ShowReference()
{
    const RobotParameterSet* set = m_pData ? m_pData->FirstParamSet() : nullptr;
    if (set) {
        const bool second = IsDlgButtonChecked(IDC_PI_F0_SET) == BST_CHECKED;
        SetDlgItemText(IDC_PI_REFERENCE, FormatFixedDecimals(set->K(second ? 79 : 77), 2));
    }
    SetDlgItemText(IDC_PI_DESCRIPTION, LoadText(IDS_CD_PI_HELP_F0));
}

void CDlgPointInput::OnReferenceRadio() { ShowReference(); }

int CDlgPointInput::TypeFromCombo()
{
    CString text;
    GetDlgItemText(IDC_PI_TYPE, text);
    for (int t = 1; t <= 8; ++t) {
        if (text == LoadText(IDS_STATE_MOVE_1 + t - 1)) return t;
    }
    return 1;
}

void CDlgPointInput::ApplyType()
{
    m_type = TypeFromCombo();
    PlaceMarkers(m_type);
    if (CWnd* picture = GetDlgItem(IDC_PI_PICTURE)) picture->Invalidate();
    SetDlgItemText(IDC_PI_DESCRIPTION, LoadText(IDS_CD_PI_DESC_TYPE_1 + m_type - 1));
}

void CDlgPointInput::OnTypeChange() { ApplyType(); }

void CDlgPointInput::PlaceMarkers(int type)
{
    CWnd* picture = GetDlgItem(IDC_PI_PICTURE);
    if (!picture) return;
    CRect area;
    picture->GetWindowRect(&area);
    ScreenToClient(&area);
    const int w = area.Width();
    const int h = area.Height();
    const int a = (h - 60) / 8;
    const int d = (w - 60) / 8;
    const int base = h - 20;
    const std::array<DiagramMarker, 9> markers = DiagramMarkersOf(type);
    for (int i = 0; i < kMarkers; ++i) {
        CWnd* marker = GetDlgItem(kFields[i].marker);
        if (!marker) continue;
        const DiagramMarker& m = markers[static_cast<size_t>(i)];
        if (!m.visible) {
            marker->ShowWindow(SW_HIDE);
            continue;
        }
        const int x = area.left + 20 + m.x * d;
        const int y = area.top + base - m.y * a;
        marker->SetWindowPos(nullptr, x - kMarkerSize / 2, y - kMarkerSize / 2, kMarkerSize, kMarkerSize,
                             SWP_NOZORDER | SWP_NOACTIVATE);
        marker->ShowWindow(SW_SHOW);
    }
}

void CDlgPointInput::DrawDiagram(CDC& dc, const CRect& client, int type)
{
    const int w = client.Width();
    const int h = client.Height();
    const int a = (h - 60) / 8;
    const int d = (w - 60) / 8;
    const int base = h - 20;
    const int axis = base - a;
    const int right = d * 8 + 20;
    const auto X = [&](int u) { return client.left + 20 + u * d; };
    const auto Y = [&](int u) { return client.top + base - u * a; };
    dc.FillSolidRect(&client, RGB(255, 255, 255));
    CPen thick(PS_SOLID, 2, RGB(0, 0, 0));
    CPen thin(PS_SOLID, 1, RGB(0, 0, 0));
    CPen dashed(PS_DASH, 1, RGB(0, 0, 0));
    CPen dotted(PS_DOT, 1, RGB(0, 0, 0));
    CPen* old = dc.SelectObject(&thick);
    const int top = client.top;
    const int left = client.left;
    dc.MoveTo(left + 20, top + 20);
    dc.LineTo(left + 20, top + axis);
    dc.MoveTo(left + 15, top + 30);
    dc.LineTo(left + 20, top + 20);
    dc.LineTo(left + 25, top + 30);
    dc.MoveTo(left + 20, top + axis);
    dc.LineTo(left + w - 20, top + axis);
    dc.MoveTo(left + w - 30, top + axis - 5);
    dc.LineTo(left + w - 20, top + axis);
    dc.LineTo(left + w - 30, top + axis + 5);
    const auto path = [&](CPen& pen, std::initializer_list<std::pair<int, int>> points) {
        dc.SelectObject(&pen);
        bool first = true;
        for (const auto& [x, y] : points) {
            if (first) dc.MoveTo(X(x), Y(y));
            else dc.LineTo(X(x), Y(y));
            first = false;
        }
    };
    switch ((type + 1) / 2) {
    case 1: path(thin, {{0, 1}, {2, 7}, {6, 7}, {8, 1}}); break;
    case 2:
        path(thin, {{0, 1}, {1, 4}, {3, 4}, {4, 7}, {6, 7}, {8, 1}});
        path(dotted, {{4, 1}, {4, 7}});
        break;
    case 3:
        path(thin, {{0, 1}, {2, 7}, {5, 7}, {5, 1}});
        path(dashed, {{5, 7}, {6, 7}, {8, 1}});
        break;
    default:
        path(thin, {{0, 1}, {2, 7}, {4, 7}, {5, 4}, {6, 4}, {6, 1}});
        path(dashed, {{6, 4}, {7, 4}, {8, 1}});
        path(thick, {{5, 5}, {8, 5}});
        path(dotted, {{5, 1}, {5, 5}});
        path(dotted, {{8, 1}, {8, 5}});
        break;
    }
    if (type % 2 == 0) {
        dc.SelectObject(&thin);
        dc.MoveTo(left + 20, top + base);
        dc.LineTo(left + right, top + base);
        path(dotted, {{0, 0}, {0, 1}});
        path(dotted, {{8, 0}, {8, 1}});
        if (type == 4) path(dotted, {{4, 0}, {4, 1}});
    }
    dc.SelectObject(old);
}

void CPointDiagram::OnPaint()
{
    CPaintDC paint(this);
    CRect client;
    GetClientRect(&client);
    // Drawn off screen and copied in one transfer.
    CDC memory;
    memory.CreateCompatibleDC(&paint);
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(&paint, client.Width(), client.Height());
    CBitmap* old = memory.SelectObject(&bitmap);
    if (m_pOwner) m_pOwner->DrawDiagram(memory, client, m_pOwner->m_type);
    else memory.FillSolidRect(&client, RGB(255, 255, 255));
    paint.BitBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, SRCCOPY);
    memory.SelectObject(old);
}

void CDlgPointInput::UpdateMarkerTip(int index)
{
    if (index >= kMarkers || !m_tooltip.GetSafeHwnd()) return;
    CString tip;
    tip.Format(IDS_CD_PI_MARKER_TIP, static_cast<const char16_t*>(LabelText(index)),
               static_cast<const char16_t*>(m_saved[static_cast<size_t>(index)]),
               static_cast<const char16_t*>(UnitText(index)));
    tip.Remove(u'[');
    tip.Remove(u']');
    m_tooltip.UpdateTipText(tip, GetDlgItem(kFields[index].marker));
}

void CDlgPointInput::ValidateField(int index, bool force)
{
    CEdit* edit = EditOf(this, index);
    if (!edit || (!force && !edit->GetModify())) return;
    const PointFieldInfo& info = (*m_pFieldTable)[static_cast<size_t>(kFields[index].field)];
    CString text;
    edit->GetWindowText(text);
    if (text.IsEmpty() || !IsNumericText(std::u16string_view(text), info.decimals, info.kind == kSignedField))
        text = m_saved[static_cast<size_t>(index)];
    std::int64_t value = RoundToDecimals(NumericTextToDouble(std::u16string_view(text)), info.decimals);
    value = std::clamp<std::int64_t>(value, info.minimum, info.maximum);
    const CString shown = FormatFixedDecimals(static_cast<int>(value), info.decimals);
    edit->SetWindowText(shown);
    m_saved[static_cast<size_t>(index)] = shown;
    edit->SetModify(FALSE);
    UpdateMarkerTip(index);
}

void CDlgPointInput::ValidateAll()
{
    for (int i = 0; i < kFieldEdits; ++i) ValidateField(i, false);
}

PointRecord CDlgPointInput::ReadPoint()
{
    // Every field is in canonical form after this; its value is read with its own decimals.
    ValidateAll();
    PointRecord record = m_loaded;
    record.number = m_nPoint;
    record.m = TypeFromCombo();
    for (int i = 0; i < kFieldEdits; ++i) {
        const PointFieldInfo& info = (*m_pFieldTable)[static_cast<size_t>(kFields[i].field)];
        record.Field(kFields[i].field) = static_cast<std::int32_t>(
            RoundToDecimals(NumericTextToDouble(std::u16string_view(m_saved[static_cast<size_t>(i)])), info.decimals));
    }
    record.f = (IsDlgButtonChecked(IDC_PI_F1_SET) == BST_CHECKED ? 2 : 0) +
               (IsDlgButtonChecked(IDC_PI_F0_SET) == BST_CHECKED ? 1 : 0);
    return record;
}

void CDlgPointInput::Step(int to)
{
    if (!m_pData || !m_pFieldTable) return;
    const PointRecord record = ReadPoint();
    if (!(record == m_loaded)) {
        const int answer = ShowMessage(GetSafeHwnd(), IDS_CD_PI_KEEP_CHANGES, MB_YESNOCANCEL | MB_ICONWARNING);
        if (answer == IDCANCEL) return;
        if (answer == IDYES) {
            m_pData->points[static_cast<size_t>(m_nPoint - 1)] = record;
            m_nStored = 1;
        }
    }
    LoadPoint(to);
}

void CDlgPointInput::OnPrevious() { Step(m_nPoint == 1 ? kPointCount : m_nPoint - 1); }
void CDlgPointInput::OnNext() { Step(m_nPoint == kPointCount ? 1 : m_nPoint + 1); }

void CDlgPointInput::OnOK()
{
    if (m_pData && m_pFieldTable) {
        m_pData->points[static_cast<size_t>(m_nPoint - 1)] = ReadPoint();
        m_nStored = 1;
    }
    CDialog::OnOK();
}

BOOL CDlgPointInput::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (m_pData && m_pFieldTable) {
        for (int i = 0; i < kFieldEdits; ++i) {
            if (id == kFields[i].edit && code == EN_KILLFOCUS) ValidateField(i, false);
            if (id == kFields[i].edit && code == EN_SETFOCUS) SetDlgItemText(IDC_PI_DESCRIPTION, LoadText(kFields[i].help));
            if (i < kMarkers && id == kFields[i].marker && code == BN_CLICKED) {
                SetDlgItemText(IDC_PI_DESCRIPTION, LoadText(kFields[i].help));
                if (OpenPointDetailEditor(LabelText(i), UnitText(i), 0, EditOf(this, i), this)) ValidateField(i, false);
                return TRUE;
            }
        }
        if ((id == IDC_PI_F0_CLEAR || id == IDC_PI_F0_SET) && code == BN_SETFOCUS)
            SetDlgItemText(IDC_PI_DESCRIPTION, LoadText(IDS_CD_PI_HELP_F0));
        if ((id == IDC_PI_F1_CLEAR || id == IDC_PI_F1_SET) && (code == BN_SETFOCUS || code == BN_CLICKED))
            SetDlgItemText(IDC_PI_DESCRIPTION, LoadText(IDS_CD_PI_HELP_F1));
    }
    return CDialog::OnCommand(wParam, lParam);
}

BOOL CDlgPointInput::PreTranslateMessage(MSG* pMsg)
{
    if (m_tooltip.GetSafeHwnd()) m_tooltip.RelayEvent(pMsg);
    return CDialog::PreTranslateMessage(pMsg);
}
