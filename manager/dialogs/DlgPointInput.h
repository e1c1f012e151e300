// CDlgPointInput: edits one point of an offline controller's point table:
// its move type, shown as a speed-over-time diagram with a marker per field,
// and its numeric fields, each held to its limits. The previous and next
// buttons step through points 1 to 255 (wrapping), asking whether to keep
// changes.
//
// Every way a value can leave its edit (leaving the field, Enter or OK, a
// step) checks and converts it the same way, so the point table only ever
// receives canonical values.
//
// Caller (the point-table pane):
//   CDlgPointInput dlg;  dlg.m_nPoint = row;  dlg.m_pData = &data;  dlg.m_pFieldTable = &table;
//   dlg.DoModal();  if (dlg.m_nStored) refresh the grid;
#pragma once

#include "htmltip/HtmlToolTip.h"

#include "manager/core/ControllerData.h"

#include "platform/ui/Dialog.h"
#include "platform/ui/Static.h"

#include <array>
#include <cstdint>

// Limits of one point field, in stored (scaled) units.
struct PointFieldInfo {
    BYTE kind = 0;  // kSignedField: the value may be negative
    BYTE decimals = 0;
    std::int32_t defaultValue = 0;
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;
};
inline constexpr BYTE kSignedField = 3;
using PointFieldTable = std::array<PointFieldInfo, PointRecord::kFieldCount>;

// Where a marker sits on the diagram, in diagram units (x in eighths of the
// time axis, y in eighths of the speed axis above the base line); hidden
// when visible is false.
struct DiagramMarker {
    bool visible = false;
    int x = 0;
    int y = 0;
};
// The nine markers (P, S, AC, DC, Q, ZL, ZH, N, J) for a move type 1 to 8.
std::array<DiagramMarker, 9> DiagramMarkersOf(int type);

class CDlgPointInput;

// The picture on which the dialog draws its diagram; it paints itself, so
// painting neither goes through the dialog nor touches the focus.
class CPointDiagram : public CStatic {
public:
    CDlgPointInput* m_pOwner = nullptr;

protected:
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()
};

class CDlgPointInput : public CDialog {
    friend class CPointDiagram;

public:
    static constexpr int kFieldEdits = 11;
    static constexpr int kMarkers = 9;

    explicit CDlgPointInput(CWnd* pParent = nullptr);

    int m_nPoint = 1;
    ControllerData* m_pData = nullptr;
    const PointFieldTable* m_pFieldTable = nullptr;
    int m_nStored = 0;

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    afx_msg void OnTypeChange();
    afx_msg void OnPrevious();
    afx_msg void OnNext();
    afx_msg void OnReferenceRadio();
    DECLARE_MESSAGE_MAP()

private:
    void LoadPoint(int point);
    PointRecord ReadPoint();
    // Checks and converts the text of field i (0 to 10); only when modified unless forced.
    void ValidateField(int index, bool force);
    void ValidateAll();
    int TypeFromCombo();
    void ApplyType();
    void ShowReference();
    void UpdateMarkerTip(int index);
    void PlaceMarkers(int type);
    void Step(int to);
    void DrawDiagram(CDC& dc, const CRect& client, int type);
    CString LabelText(int index) const;
    CString UnitText(int index) const;

    CPointDiagram m_diagram;
    CHtmlToolTip m_tooltip;
    std::array<CString, kFieldEdits> m_saved;
    PointRecord m_loaded;
    int m_type = 1;
};
