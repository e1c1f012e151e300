#include "manager/widgets/GridPrintLayout.h"

namespace {

constexpr double kCentimetresPerInch = 2.54;

CString Loaded(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

UINT KindOf(BOOL bParameterTable, char16_t groupLetter)
{
    if (!bParameterTable) return kIdsPrintPointTable;
    switch (groupLetter) {
    case u'M': return kIdsPrintGroupM;
    case u'I': return kIdsPrintGroupI;
    case u'O': return kIdsPrintGroupO;
    case u'C': return kIdsPrintGroupC;
    case u'H': return kIdsPrintGroupH;
    default: return kIdsPrintParameters;
    }
}

}  // namespace

void SetupGridPrintLayout(CGridCtrl& grid)
{
    platform::GridPrintLayout layout = grid.GetPrintLayout();
    const CString title = Loaded(kIdsPrintTitle);
    layout.headings = {{title, 30, 16, TRUE}, {title, 20, 11, FALSE}, {title, 20, 11, FALSE}, {title, 24, 11, FALSE}};
    layout.footer = CString(u"- &P/&N -");
    layout.zoom = 85;
    // The shared set-up gives its margins in centimetres.
    layout.marginLeft = 1.0 / kCentimetresPerInch;
    layout.marginRight = 1.0 / kCentimetresPerInch;
    layout.marginTop = 0.6 / kCentimetresPerInch;
    layout.marginBottom = 1.0 / kCentimetresPerInch;
    layout.footerDistance = 0.5 / kCentimetresPerInch;
    layout.repeatFixedRows = TRUE;
    layout.repeatFixedCols = TRUE;
    layout.centerHorizontally = TRUE;
    layout.documentName = title;
    grid.SetPrintLayout(layout);
}

void SetGridPrintHeadings(CGridCtrl& grid, const CString& frameTitle, BOOL bParameterTable, char16_t groupLetter,
                          const ControllerData& data)
{
    platform::GridPrintLayout layout = grid.GetPrintLayout();
    for (std::size_t i = 0; i < layout.headings.size(); ++i) {
        CString& text = layout.headings[i].text;
        switch (i) {
        case 0:
            text.Format(u"%s - %s", frameTitle, Loaded(KindOf(bParameterTable, groupLetter)));
            layout.documentName = text;
            break;
        case 1: text.Format(u"  %s : %s", Loaded(kIdsPrintLabelController), data.controller); break;
        case 2: text.Format(u"  %s : %s", Loaded(kIdsPrintLabelRobot), data.robot); break;
        case 3: text.Format(u"  %s : %s", Loaded(kIdsPrintLabelUser), data.user); break;
        default: text.Empty(); break;
        }
    }
    grid.SetPrintLayout(layout);
}
