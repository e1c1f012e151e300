// The label, graph, scaling and range pages of the trace set-up dialog. Each
// is a child dialog inside the set-up dialog's tab control, created once and
// shown by its tab. A page shows the set-up dialog's working copy of its
// records and reads its controls back only when the set-up dialog asks
// (ReadValues on OK); every value read is range-checked there, so nothing out
// of range reaches the trace window.
#pragma once

#include "tools/ColorButton.h"
#include "tools/TraceSettings.h"

#include "platform/ui/ComboBox.h"
#include "platform/ui/Dialog.h"

// Common ground of the pages: Enter and Escape belong to the set-up dialog.
class CTraceSetupPage : public CDialog {
public:
    explicit CTraceSetupPage(UINT nIDTemplate) : CDialog(nIDTemplate) {}

    // Controls to values, checked; FALSE after the standard message (the
    // focus is on the faulty control).
    BOOL ReadValues() { return UpdateData(TRUE); }
    // The edit that a check refused last takes the focus (once its page shows).
    void FocusFaulty();

protected:
    // Enter and Escape in a page are the set-up dialog's OK and Cancel.
    void OnOK() override;
    void OnCancel() override;
    void Fault(UINT nID);

private:
    UINT m_nFaultyId = 0;
};

// Channel labels (at most 40 characters) and units (at most 14).
class CLabelSettingTPage : public CTraceSetupPage {
public:
    explicit CLabelSettingTPage(const TraceGraphSettings& graph);

    // The target page's choice: the label and unit of a channel's signal.
    void SetChannelText(int nChannel, const CString& strLabel, const CString& strUnit);

    CString m_strUnit[kTraceChannelCount];
    CString m_strLabel[kTraceChannelCount];

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};

// Per channel: drawn or not, colour, line width, graph and zero-line position.
// The colour chooser's custom colours are those of the settings it is given.
class CGraphSettingTPage : public CTraceSetupPage {
public:
    explicit CGraphSettingTPage(TraceGraphSettings& graph);

    // The graph combos for 1..4 graphs (nCountIndex 0..3). bKeep selects the
    // stored graph of each channel (where it exists); otherwise the channels
    // are spread over the graphs.
    void FillGraphNumbers(int nCountIndex, BOOL bKeep);

    // Values after ReadValues: DRAW_CH, LINE_WIDTH (1..3), GRAPH_NO (0-based)
    // and POSITION (1..11) as the trace window keeps them.
    int m_bDraw[kTraceChannelCount] = {};
    int m_nWidthIndex[kTraceChannelCount] = {};
    int m_nGraphNo[kTraceChannelCount] = {};
    int m_nPositionIndex[kTraceChannelCount] = {};
    COLORREF Colour(int nChannel) const { return m_btnColour[nChannel].GetColor(); }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnDrawClicked(UINT nID);
    afx_msg void OnColourClicked(UINT nID);
    DECLARE_MESSAGE_MAP()

private:
    void EnableChannel(int nChannel);

    TraceGraphSettings& m_graph;
    CColorButton m_btnColour[kTraceChannelCount];
    int m_nGraphs = 1;
};

// Per channel: no scaling, ratio and offset, or two points.
class CScalingTPage : public CTraceSetupPage {
public:
    explicit CScalingTPage(const TraceScaleSettings& scale);

    // A target's scale (the target page's choice); a two-point channel keeps
    // its own scaling.
    void SetScaleFromTarget(int nChannel, double dScale);
    int GetType(int nChannel) const { return m_scale.SCL_TYPE_CH[nChannel]; }
    // After ReadValues: FALSE (after a message, the focus on the faulty edit)
    // for a zero ratio or two equal points.
    BOOL CheckValues();
    // The scaling as typed, for storing and for the range check.
    const TraceScaleSettings& Scale() const { return m_scale; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnTypeChange(UINT nID);
    DECLARE_MESSAGE_MAP()

private:
    void ShowType(int nChannel);

    TraceScaleSettings m_scale;
};

// Per channel: the target's own range or manual limits in engineering units.
class CRangeSettingTPage : public CTraceSetupPage {
public:
    explicit CRangeSettingTPage(TraceRangeSettings& range);

    // The channel's target limits changed (the target page's choice).
    void RefreshChannel(int nChannel);
    // After ReadValues, with the scaling just edited: FALSE (after a message,
    // the focus on the lower edit) when a manual range spans less than two raw
    // counts or does not fit a 32-bit sample. On TRUE the raw limits are in
    // m_nRawMin/m_nRawMax, lower first whatever the sign of the scaling.
    BOOL CheckValues(const TraceScaleSettings& scale);

    int m_bAuto[kTraceChannelCount] = {};
    double m_dLower[kTraceChannelCount] = {};
    double m_dUpper[kTraceChannelCount] = {};
    std::int32_t m_nRawMin[kTraceChannelCount] = {};
    std::int32_t m_nRawMax[kTraceChannelCount] = {};

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnAutoClicked(UINT nID);
    DECLARE_MESSAGE_MAP()

private:
    void ShowLimits(int nChannel);

    TraceRangeSettings& m_range;
    // Manual limits as typed, kept while the channel follows its target.
    CString m_strKeptLower[kTraceChannelCount];
    CString m_strKeptUpper[kTraceChannelCount];
    BOOL m_bKept[kTraceChannelCount] = {};
};

// A shown trace file's recording is not for changing: the control is
// disabled and hidden, and its read-only twin shows its text in its place
// (the selected entry of a combo box).
void ShowReadOnlyTwin(CWnd* pParent, UINT nControl, UINT nTwin, BOOL bCombo, UINT nSpin = 0);

// The largest magnitude a typed real may have: far beyond any 32-bit sample
// through any sensible scaling, and small enough that no conversion overflows.
inline constexpr double kMaxTypedReal = 1e15;
