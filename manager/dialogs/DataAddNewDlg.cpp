#include "manager/dialogs/DataAddNewDlg.h"

#include "manager/app/FilePathRules.h"
#include "manager/core/LibraryBindings.h"
#include "manager/core/LoadedLibrary.h"
#include "manager/core/ManagerWindows.h"
#include "manager/core/NumberText.h"
#include "manager/core/ParamDef.h"
#include "manager/dialogs/DlgTransportBase.h"
#include "manager/dialogs/TransportHost.h"
#include "resources/manager/resource_ids.h"
#include "resources/manager/transport_ids.h"

#include "dbaccess/Tarnwell.h"
#include "platform/core/MessageBox.h"
#include "platform/core/ResourceModule.h"
#include "platform/ui/Button.h"
#include "platform/ui/DataExchange.h"
#include "platform/ui/Edit.h"
#include "platform/ui/Gdi.h"
#include "platform/ui/ResourceImages.h"

#include <cmath>

namespace {

constexpr int kWizardIcon = 21004;

// Items of the summary and the pages that supply them.
enum SummaryItem {
    kItemController = 0,
    kItemRobot = 1,
    kItemStroke = 2,
    kItemMass = 3,
    kItemMounting = 4,
    kItemInterface = 5,
    kItemOutputType = 6,
    kItemInputMode = 7,
    kItemPulse1 = 8,
    kItemPulse2 = 9,
    kItemDetailFirst = 10,
};

// A value shown with decimals, in stored units: rounded half away from zero,
// so 0.29 gives 29 and 1.001 gives 1001 and never one less.
std::int32_t Scaled(double value, int decimals)
{
    return static_cast<std::int32_t>(std::llround(value * std::pow(10.0, decimals)));
}

bool IsOneOf(const CString& text, std::initializer_list<const char16_t*> codes)
{
    for (const char16_t* code : codes)
        if (text == code) return true;
    return false;
}

const ParamDefTable* DefinitionTable(int number)
{
    if (const ParamDefTable* table = GetManagerWindows().GetParamDefTable(number)) return table;
    // Without the program's tables (the wizard on its own) they are read
    // from the current resource module each time, so a change of language
    // never shows the other language's texts.
    static ParamDefTableSlot tables[2];
    const int n = number == 1 ? 1 : 0;
    tables[n].reset();
    return LoadParamDefTable(tables[n], n) ? tables[n].get() : nullptr;
}

void FillComboFromParamDef(const ParamDefTable* table, CComboBox& combo, int index, int key)
{
    if (table == nullptr || index < 0 || index >= kParamCount) return;
    const ParamDef* def = (*table)[static_cast<std::size_t>(index)].GetVariant(key);
    if (def == nullptr) return;
    for (int i = 0; i < def->ChoiceCount(); ++i) {
        const int item = combo.AddString(def->choiceTexts[static_cast<std::size_t>(i)]);
        combo.SetItemData(item, static_cast<DWORD_PTR>(static_cast<std::uint32_t>(def->choiceValues[static_cast<std::size_t>(i)])));
    }
}

// The last item, from the end down to the second, whose data is the value;
// the first item when none is.
void SelectComboByItemData(CComboBox& combo, std::int32_t value)
{
    for (int i = combo.GetCount() - 1; i >= 1; --i) {
        if (static_cast<std::int32_t>(static_cast<std::uint32_t>(combo.GetItemData(i))) == value) {
            combo.SetCurSel(i);
            return;
        }
    }
    combo.SetCurSel(0);
}

}  // namespace

namespace {

// A button's label as the summary shows it: without its mnemonic, whether
// written "&Horizontal" or "水平(&H)".
CString WithoutMnemonic(CString text)
{
    const int group = text.Find(u"(&");
    if (group >= 0 && group + 3 < text.GetLength() && text[group + 3] == u')') text.Delete(group, 4);
    text.Remove(u'&');
    return text;
}

}  // namespace

CString InsertBeforeEnd(const CString& label, const CString& text)
{
    const int at = label.GetLength() >= 4 ? label.GetLength() - 4 : 0;
    return label.Left(at) + text + label.Mid(at);
}

// ---- Page base -------------------------------------------------------------

void CAddNewPage::Summary(int item, const CString& text)
{
    if (m_wizard) m_wizard->SetSummaryItem(item, text);
}

CString CAddNewPage::ComboText(CComboBox& combo)
{
    CString text;
    const int selected = combo.GetCurSel();
    if (selected >= 0) combo.GetLBText(selected, text);
    return text;
}

// ---- Controller page -------------------------------------------------------

BEGIN_MESSAGE_MAP(CAddNewControllerPage, CDialog)
    ON_CBN_SELCHANGE(IDC_ADDNEW_CONTROLLER, &CAddNewControllerPage::OnControllerChange)
    ON_CBN_SELCHANGE(IDC_ADDNEW_ROBOT, &CAddNewControllerPage::OnRobotChange)
    ON_EN_CHANGE(IDC_ADDNEW_STROKE, &CAddNewControllerPage::OnStrokeChange)
    ON_EN_KILLFOCUS(IDC_ADDNEW_STROKE, &CAddNewControllerPage::OnStrokeLeave)
    ON_EN_KILLFOCUS(IDC_ADDNEW_MASS, &CAddNewControllerPage::OnMassLeave)
    ON_EN_KILLFOCUS(IDC_ADDNEW_SPEED, &CAddNewControllerPage::OnSpeedLeave)
    ON_BN_CLICKED(IDC_ADDNEW_RADIO_A, &CAddNewControllerPage::OnRadio)
    ON_BN_CLICKED(IDC_ADDNEW_RADIO_B, &CAddNewControllerPage::OnRadio)
END_MESSAGE_MAP()

CAddNewControllerPage::CAddNewControllerPage() : CAddNewPage(IDD_ADDNEW_CONTROLLER) {}

void CAddNewControllerPage::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_ADDNEW_CONTROLLER, m_controller);
    DDX_Control(pDX, IDC_ADDNEW_ROBOT, m_robot);
    DDX_Control(pDX, IDC_ADDNEW_STROKE, m_stroke);
    DDX_Control(pDX, IDC_ADDNEW_MASS, m_mass);
    DDX_Control(pDX, IDC_ADDNEW_SPEED, m_speed);
}

BOOL CAddNewControllerPage::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_stroke.SetMode(CNumberEdit::kRealMode);
    m_stroke.SetRealFormat(4, 3);
    m_stroke.SetRealRange(9999.999, 0.001);
    m_mass.SetMode(CNumberEdit::kIntegerMode);
    m_mass.SetIntRange(300, 0);
    m_speed.SetMode(CNumberEdit::kRealMode);
    m_speed.SetRealFormat(4, 2);
    m_speed.SetRealRange(5000.0, 0.01);
    const int level = GetTransportHost().GetAccessLevel();
    m_speed.SetReadOnly(level == 1 || level == 5 ? FALSE : TRUE);

    int count = 0;
    std::vector<ControllerNamePair> pairs;
    if (!LoadControllerList(count, pairs) || pairs.empty()) {
        ::MessageBoxW(GetParent()->GetSafeHwnd(), TransportText(IDS_ADDNEW_NO_DATABASE),
                      TransportText(IDS_APP_NAME), MB_OK | MB_ICONSTOP);
        GetParent()->PostMessage(WM_COMMAND, IDCANCEL);
        return TRUE;
    }
    for (const ControllerNamePair& pair : pairs) {
        m_controllers.emplace_back(pair.name, pair.code);
        m_controller.AddString(pair.name);
    }
    m_controller.SetCurSel(0);
    if (m_wizard->IsGenerationMode()) {
        const int found = m_controller.FindStringExact(-1, m_record->controller);
        if (found >= 0) m_controller.SetCurSel(found);
        m_controller.EnableWindow(FALSE);
    }
    m_initialising = true;
    OnControllerChange();
    m_initialising = false;
    return TRUE;
}

void CAddNewControllerPage::OnControllerChange()
{
    const int index = m_controller.GetCurSel();
    if (index < 0) return;
    m_record->controller = m_controllers[static_cast<std::size_t>(index)].first;
    m_record->typeText = m_controllers[static_cast<std::size_t>(index)].second;
    Summary(kItemController, m_record->controller);
    FillRobots(index);
    const bool pulse = IsPulseTrain();
    GetDlgItem(IDC_ADDNEW_MASS_PULSE_LABEL)->ShowWindow(pulse ? SW_SHOW : SW_HIDE);
    for (int id : {IDC_ADDNEW_RADIO_GROUP, IDC_ADDNEW_RADIO_A, IDC_ADDNEW_RADIO_B})
        GetDlgItem(id)->ShowWindow(pulse ? SW_HIDE : SW_SHOW);
}

void CAddNewControllerPage::FillRobots(int controllerIndex)
{
    LoadedLibrary library(kDatabaseLibraryName);
    const auto getNames = library.Bind<PFN_Tarnwell_GetRobotNames>("Tarnwell_GetRobotNames");
    if (getNames == nullptr) return;
    CString names;
    if (getNames(controllerIndex, &names) < 0) return;
    m_robot.ResetContent();
    int start = 0;
    for (int end = names.Find(u'\n'); end >= 0; start = end + 1, end = names.Find(u'\n', start)) {
        const CString name = names.Mid(start, end - start);
        if (!name.IsEmpty()) m_robot.AddString(name);
    }
    m_robot.SetCurSel(0);
    if (m_wizard->IsGenerationMode()) {
        const int found = m_robot.FindStringExact(-1, m_record->robot);
        if (found >= 0) m_robot.SetCurSel(found);
    }
    OnRobotChange();
}

void CAddNewControllerPage::OnRobotChange()
{
    const CString robot = ComboText(m_robot);
    m_record->robot = robot;
    m_strokeTable.clear();
    {
        LoadedLibrary library(kDatabaseLibraryName);
        if (const auto getStroke = library.Bind<PFN_Tarnwell_GetStrokeData>("Tarnwell_GetStrokeData")) {
            RobotTableRecord table;
            if (getStroke(robot, &table) == 0) {
                for (const RobotTableEntry& entry : table.entries) {
                    StrokeEntry stroke;
                    stroke.threshold = static_cast<std::uint32_t>(entry.value);
                    for (const RobotTablePair& pair : entry.pairs) stroke.pairs.emplace_back(pair.key, pair.value);
                    m_strokeTable.push_back(std::move(stroke));
                }
            }
        }
    }
    const CString type = m_record->typeText;
    FillControllerDataFromDatabase(*m_record, m_record->controller, robot);
    m_record->typeText = type;
    const RobotParameterSet& set = Set();
    m_mass.SetIntRange(set.K(47), 0);
    CString maximum;
    maximum.Format(u"%d)", set.K(47));
    SetDlgItemText(IDC_ADDNEW_MASS_MAX, maximum);
    m_stroke.SetRealValue(set.K(43) / 1000.0);
    m_mass.SetIntValue(set.K(76));
    m_speed.SetRealValue(set.K(44) / 100.0);
    if (GetTransportHost().GetAccessLevel() == 1) m_stroke.SetRealValue(0.0);
    OnStrokeLeave();
    m_radio = Set().K(71) & 1;
    CheckRadioButton(IDC_ADDNEW_RADIO_A, IDC_ADDNEW_RADIO_B, m_radio ? IDC_ADDNEW_RADIO_B : IDC_ADDNEW_RADIO_A);
    Summary(kItemRobot, robot);
    CString text;
    GetDlgItemText(IDC_ADDNEW_MASS, text);
    Summary(kItemMass, text);
    GetDlgItemText(m_radio ? IDC_ADDNEW_RADIO_B : IDC_ADDNEW_RADIO_A, text);
    Summary(kItemMounting, WithoutMnemonic(text));
    if (!m_initialising) m_wizard->RefreshDependentPages();
}

void CAddNewControllerPage::ApplyStrokeTable(double stroke)
{
    if (m_strokeTable.empty()) return;
    const auto x = static_cast<std::uint32_t>(std::max<std::int64_t>(0, Scaled(stroke, 3)));
    std::size_t chosen = 0;
    for (std::size_t i = 0; i < m_strokeTable.size() && x >= m_strokeTable[i].threshold; ++i) chosen = i;
    for (const auto& [key, value] : m_strokeTable[chosen].pairs)
        if (key >= 1 && key <= 138) Set().K(key) = value;
    m_speed.SetRealValue(Set().K(44) / 100.0);
}

void CAddNewControllerPage::OnStrokeChange()
{
    if (m_stroke.GetSafeHwnd()) ApplyStrokeTable(m_stroke.GetRealValue());
}

void CAddNewControllerPage::OnStrokeLeave()
{
    m_stroke.Reformat();
    const std::int32_t stroke = Scaled(m_stroke.GetRealValue(), 3);
    Set().K(43) = stroke;
    Set().K(2) = stroke;
    CString text;
    GetDlgItemText(IDC_ADDNEW_STROKE, text);
    Summary(kItemStroke, text);
}

void CAddNewControllerPage::OnMassLeave()
{
    m_mass.Reformat();
    const int mass = m_mass.GetIntValue();
    Set().K(76) = mass;
    Set().K(78) = mass;
    int limit = 0;
    if (CallAccCalc(&Set(), mass, limit)) {
        Set().K(77) = limit;
        Set().K(79) = limit;
    }
    CString text;
    GetDlgItemText(IDC_ADDNEW_MASS, text);
    Summary(kItemMass, text);
}

void CAddNewControllerPage::OnSpeedLeave()
{
    m_speed.Reformat();
    Set().K(44) = Scaled(m_speed.GetRealValue(), 2);
}

void CAddNewControllerPage::OnRadio()
{
    int radio = IsDlgButtonChecked(IDC_ADDNEW_RADIO_B) == BST_CHECKED ? 1 : 0;
    if (radio == 1 && m_radio == 0 &&
        ::MessageBoxW(GetParent()->GetSafeHwnd(), TransportText(IDS_ADDNEW_ASK_RADIO_B), TransportText(IDS_APP_NAME),
                      MB_YESNO | MB_ICONWARNING) != IDYES) {
        radio = 0;
        CheckRadioButton(IDC_ADDNEW_RADIO_A, IDC_ADDNEW_RADIO_B, IDC_ADDNEW_RADIO_A);
    }
    m_radio = radio;
    Set().K(71) = radio ? 1 : 2;
    CString text;
    GetDlgItemText(radio ? IDC_ADDNEW_RADIO_B : IDC_ADDNEW_RADIO_A, text);
    Summary(kItemMounting, WithoutMnemonic(text));
    if (!m_initialising) m_wizard->RefreshDependentPages();
}

// ---- Option page -----------------------------------------------------------

namespace {
constexpr const char16_t* kInterfaces[] = {u"----", u"NPN", u"PNP", u"CC-Link", u"DeviceNet"};
}

BEGIN_MESSAGE_MAP(CAddNewOptionPage, CDialog)
    ON_CBN_SELCHANGE(IDC_ADDNEW_INTERFACE, &CAddNewOptionPage::OnInterfaceChange)
    ON_BN_CLICKED(IDC_ADDNEW_FIELD_RADIO_1, &CAddNewOptionPage::OnRadio)
    ON_BN_CLICKED(IDC_ADDNEW_FIELD_RADIO_2, &CAddNewOptionPage::OnRadio)
    ON_BN_CLICKED(IDC_ADDNEW_FIELD_RADIO_3, &CAddNewOptionPage::OnRadio)
    ON_EN_KILLFOCUS(IDC_ADDNEW_STATION, &CAddNewOptionPage::OnStationLeave)
    ON_CBN_SELCHANGE(IDC_ADDNEW_BAUD, &CAddNewOptionPage::OnBaudChange)
END_MESSAGE_MAP()

CAddNewOptionPage::CAddNewOptionPage() : CAddNewPage(IDD_ADDNEW_OPTION) {}

void CAddNewOptionPage::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_ADDNEW_INTERFACE, m_interface);
    DDX_Control(pDX, IDC_ADDNEW_BAUD, m_baud);
    DDX_Control(pDX, IDC_ADDNEW_STATION, m_station);
}

void CAddNewOptionPage::FillInterfaces()
{
    m_interface.ResetContent();
    for (const char16_t* text : kInterfaces) m_interface.AddString(text);
}

BOOL CAddNewOptionPage::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_station.SetMode(CNumberEdit::kIntegerMode);
    m_station.SetIntRange(64, 1);
    FillInterfaces();
    m_interface.SetCurSel(0);
    OnInterfaceChange();
    Set().K(80) = 0;
    CheckRadioButton(IDC_ADDNEW_FIELD_RADIO_1, IDC_ADDNEW_FIELD_RADIO_3, IDC_ADDNEW_FIELD_RADIO_1);
    return TRUE;
}

void CAddNewOptionPage::OnInterfaceChange()
{
    const CString text = ComboText(m_interface);
    m_baud.ResetContent();
    const bool ccLink = text == u"CC-Link";
    const bool deviceNet = text == u"DeviceNet";
    if (ccLink) {
        m_station.SetIntRange(64, 1);
        m_station.SetIntValue(1);
        for (const char16_t* baud : {u"156Kbps", u"625Kbps", u"2.5Mbps", u"5Mbps", u"10Mbps"}) m_baud.AddString(baud);
        m_baud.SetCurSel(4);
    } else if (deviceNet) {
        m_station.SetIntRange(63, 0);
        m_station.SetIntValue(0);
        for (const char16_t* baud : {u"125Kbps", u"250Kbps", u"500Kbps"}) m_baud.AddString(baud);
        m_baud.SetCurSel(2);
    } else {
        SetDlgItemText(IDC_ADDNEW_STATION, u"");
    }
    const bool fieldBus = ccLink || deviceNet;
    m_station.EnableWindow(fieldBus ? TRUE : FALSE);
    m_baud.EnableWindow(fieldBus ? TRUE : FALSE);
    SetDlgItemText(IDC_ADDNEW_OPTION_NOTE, TransportText(IDS_ADDNEW_OPTION_NOTE));
    if (fieldBus) {
        Set().K(81) = m_station.GetIntValue();
        Set().K(82) = m_baud.GetCurSel();
    }
    const int radio = m_interface.GetCurSel() > 0 ? 1 : 0;
    CheckRadioButton(IDC_ADDNEW_FIELD_RADIO_1, IDC_ADDNEW_FIELD_RADIO_3, IDC_ADDNEW_FIELD_RADIO_1 + radio);
    Set().K(80) = radio;
    Summary(kItemInterface, text);
    m_record->interfaceText = text;
}

void CAddNewOptionPage::OnRadio()
{
    for (int i = 0; i < 3; ++i)
        if (IsDlgButtonChecked(IDC_ADDNEW_FIELD_RADIO_1 + i) == BST_CHECKED) Set().K(80) = i;
}

void CAddNewOptionPage::OnStationLeave()
{
    m_station.Reformat();
    if (m_station.IsWindowEnabled()) Set().K(81) = m_station.GetIntValue();
}

void CAddNewOptionPage::OnBaudChange() { Set().K(82) = m_baud.GetCurSel(); }

void CAddNewOptionPage::RefreshFromRecord()
{
    const bool enable = !IsPulseTrain();
    for (CWnd* child = GetWindow(GW_CHILD); child; child = child->GetWindow(GW_HWNDNEXT))
        child->EnableWindow(enable ? TRUE : FALSE);
    // The interface the record holds stays chosen; a record without one
    // (new from the database: "----") shows the first entry.
    const CString chosen = m_record->interfaceText;
    const int k80 = Set().K(80);
    FillInterfaces();
    const int found = m_interface.FindStringExact(-1, chosen);
    m_interface.SetCurSel(found >= 0 ? found : 0);
    OnInterfaceChange();
    CheckRadioButton(IDC_ADDNEW_FIELD_RADIO_1, IDC_ADDNEW_FIELD_RADIO_3, IDC_ADDNEW_FIELD_RADIO_1 + std::clamp(k80, 0, 2));
    Set().K(80) = k80;
}

// ---- Pulse-train page ------------------------------------------------------

BEGIN_MESSAGE_MAP(CAddNewPulsePage, CDialog)
    ON_CBN_SELCHANGE(IDC_ADDNEW_OUTPUT_TYPE, &CAddNewPulsePage::OnTypeChange)
    ON_CBN_SELCHANGE(IDC_ADDNEW_INPUT_MODE, &CAddNewPulsePage::OnTypeChange)
    ON_EN_KILLFOCUS(IDC_ADDNEW_PULSE_1, &CAddNewPulsePage::OnFirstLeave)
    ON_EN_KILLFOCUS(IDC_ADDNEW_PULSE_2, &CAddNewPulsePage::OnSecondLeave)
END_MESSAGE_MAP()

CAddNewPulsePage::CAddNewPulsePage() : CAddNewPage(IDD_ADDNEW_PULSE) {}

void CAddNewPulsePage::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_ADDNEW_OUTPUT_TYPE, m_output);
    DDX_Control(pDX, IDC_ADDNEW_INPUT_MODE, m_input);
    DDX_Control(pDX, IDC_ADDNEW_PULSE_1, m_first);
    DDX_Control(pDX, IDC_ADDNEW_PULSE_2, m_second);
}

BOOL CAddNewPulsePage::OnInitDialog()
{
    CDialog::OnInitDialog();
    // Any language but Japanese shows the English lists.
    const bool japanese = TransportText(IDS_LANGUAGE) == u"JPN";
    if (japanese) {
        for (const char16_t* text : {u"オープンコレクタ", u"ラインドライバ"}) m_output.AddString(text);
        for (const char16_t* text : {u"無効", u"CW/CCW", u"パルス/符号", u"A相/B相"}) m_input.AddString(text);
    } else {
        for (const char16_t* text : {u"Open collector", u"Line driver"}) m_output.AddString(text);
        for (const char16_t* text : {u"Disable", u"CW/CCW input", u"Pulse train/code input", u"Phase A/phase B"})
            m_input.AddString(text);
    }
    for (CNumberEdit* edit : {&m_first, &m_second}) {
        edit->SetMode(CNumberEdit::kIntegerMode);
        edit->SetIntRange(32767, 1);
    }
    m_output.SetCurSel(0);
    m_input.SetCurSel(0);
    m_first.SetIntValue(Set().K(84));
    m_second.SetIntValue(Set().K(85));
    OnTypeChange();
    OnFirstLeave();
    OnSecondLeave();
    return TRUE;
}

void CAddNewPulsePage::OnTypeChange()
{
    const int output = std::max(0, m_output.GetCurSel());
    const int input = std::max(0, m_input.GetCurSel());
    Set().K(83) = input == 0 ? 0 : (input & 0x3) + (output << 2);
    Set().K(87) = output != 0 ? 2 : 4;
    Summary(kItemOutputType, ComboText(m_output));
    Summary(kItemInputMode, ComboText(m_input));
}

void CAddNewPulsePage::OnFirstLeave()
{
    m_first.Reformat();
    Set().K(84) = m_first.GetIntValue();
    CString text;
    GetDlgItemText(IDC_ADDNEW_PULSE_1, text);
    Summary(kItemPulse1, text);
}

void CAddNewPulsePage::OnSecondLeave()
{
    m_second.Reformat();
    Set().K(85) = m_second.GetIntValue();
    CString text;
    GetDlgItemText(IDC_ADDNEW_PULSE_2, text);
    Summary(kItemPulse2, text);
}

void CAddNewPulsePage::RefreshFromRecord()
{
    m_output.SetCurSel(std::clamp(Set().K(83) >> 2, 0, 1));
    m_input.SetCurSel(Set().K(83) & 0x3);
    m_first.SetIntValue(Set().K(84));
    m_second.SetIntValue(Set().K(85));
    OnTypeChange();
    OnFirstLeave();
    OnSecondLeave();
}

// ---- Detail page -----------------------------------------------------------

BEGIN_MESSAGE_MAP(CAddNewDetailPage, CDialog)
    ON_CBN_SELCHANGE(IDC_ADDNEW_DETAIL_1318, &CAddNewDetailPage::OnChange)
    ON_CBN_SELCHANGE(IDC_ADDNEW_DETAIL_1319, &CAddNewDetailPage::OnChange)
    ON_CBN_SELCHANGE(IDC_ADDNEW_DETAIL_1320, &CAddNewDetailPage::OnChange)
    ON_CBN_SELCHANGE(IDC_ADDNEW_DETAIL_1321, &CAddNewDetailPage::OnChange)
    ON_CBN_SELCHANGE(IDC_ADDNEW_DETAIL_1322, &CAddNewDetailPage::OnChange)
    ON_CBN_SELCHANGE(IDC_ADDNEW_DETAIL_1323, &CAddNewDetailPage::OnChange)
    ON_CBN_SELCHANGE(IDC_ADDNEW_DETAIL_1324, &CAddNewDetailPage::OnChange)
END_MESSAGE_MAP()

CAddNewDetailPage::CAddNewDetailPage() : CAddNewPage(IDD_ADDNEW_DETAIL) {}

void CAddNewDetailPage::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    for (int i = 0; i < 7; ++i) DDX_Control(pDX, IDC_ADDNEW_DETAIL_1318 + i, m_combos[static_cast<std::size_t>(i)]);
}

BOOL CAddNewDetailPage::OnInitDialog()
{
    CDialog::OnInitDialog();
    RefreshFromRecord();
    return TRUE;
}

void CAddNewDetailPage::RefreshFromRecord()
{
    const ParamDefTable* table = DefinitionTable(IsPulseTrain() ? 1 : 0);
    const CString& type = m_record->typeText;
    const bool pulse = IsPulseTrain();
    for (int id : {IDC_ADDNEW_LABEL_1318, IDC_ADDNEW_LABEL_1319, IDC_ADDNEW_LABEL_1322, IDC_ADDNEW_LABEL_1323,
                   IDC_ADDNEW_DETAIL_1318, IDC_ADDNEW_DETAIL_1319, IDC_ADDNEW_DETAIL_1322, IDC_ADDNEW_DETAIL_1323})
        GetDlgItem(id)->ShowWindow(pulse ? SW_HIDE : SW_SHOW);

    CComboBox& brake = m_combos[0];
    brake.ResetContent();
    brake.AddString(TransportText(IDS_ADDNEW_DETAIL_ON));
    brake.AddString(TransportText(IDS_ADDNEW_DETAIL_OFF));
    brake.SetCurSel((Set().K(71) >> 1) & 1);

    CComboBox& origin = m_combos[3];
    origin.ResetContent();
    int key = 0;
    if (IsOneOf(type, {u"V05", u"V10", u"V20"})) key = Set().K(67) == 0 ? 1 : 2;
    else if (type.Find(u"LA2") >= 0 || type.Find(u"LC") >= 0) key = 1;
    else if (type.Find(u"LA") >= 0 || type.Find(u"LB") >= 0) key = 3;
    FillComboFromParamDef(table, origin, 65, key);
    SelectComboByItemData(origin, Set().K(66));

    CComboBox& unit = m_combos[1];
    unit.ResetContent();
    FillComboFromParamDef(table, unit, 71, 1);
    if (!IsOneOf(type, {u"V05", u"V10", u"V20"})) {
        if (unit.GetCount() > 1) unit.DeleteString(1);
        unit.SetCurSel(0);
    } else {
        unit.SetCurSel(std::max(0, Set().K(72) - 2));
        unit.EnableWindow(TRUE);
    }
    // The direction is chosen by its value, whatever the position of the
    // entry that carries it.
    CComboBox& direction = m_combos[2];
    direction.ResetContent();
    FillComboFromParamDef(table, direction, 13, 0);
    SelectComboByItemData(direction, Set().K(14));
    for (std::size_t i : {std::size_t{4}, std::size_t{5}, std::size_t{6}}) m_combos[i].ResetContent();
    FillComboFromParamDef(table, m_combos[4], 14, 0);
    m_combos[4].SetCurSel(Set().K(15));
    FillComboFromParamDef(table, m_combos[5], 73, 0);
    m_combos[5].EnableWindow(IsOneOf(type, {u"Q05", u"Q10", u"Q20"}) || type.Find(u"LC") >= 0 ? TRUE : FALSE);
    m_combos[5].SetCurSel(Set().K(74));
    FillComboFromParamDef(table, m_combos[6], 74, 0);
    m_combos[6].SetCurSel(Set().K(75));
    GetDlgItem(IDC_ADDNEW_LABEL_1324)->ShowWindow(SW_HIDE);
    m_combos[6].ShowWindow(SW_HIDE);
    WriteChoices();
}

void CAddNewDetailPage::OnChange() { WriteChoices(); }

void CAddNewDetailPage::WriteChoices()
{
    RobotParameterSet& set = Set();
    if (m_combos[0].GetCurSel() == 1) set.K(71) |= 0x2;
    else if (m_combos[0].GetCurSel() == 0) set.K(71) &= ~0x2;
    if (m_combos[1].GetCurSel() >= 0) set.K(72) = m_combos[1].GetCurSel() + 2;
    if (m_combos[2].GetCurSel() >= 0)
        set.K(14) = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_combos[2].GetItemData(m_combos[2].GetCurSel())));
    if (m_combos[3].GetCurSel() >= 0)
        set.K(66) = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_combos[3].GetItemData(m_combos[3].GetCurSel())));
    if (m_combos[4].GetCurSel() >= 0) set.K(15) = m_combos[4].GetCurSel();
    if (m_combos[5].GetCurSel() >= 0) set.K(74) = m_combos[5].GetCurSel();
    if (m_combos[6].GetCurSel() >= 0) set.K(75) = m_combos[6].GetCurSel();
    for (int i = 0; i < 6; ++i) Summary(kItemDetailFirst + i, ComboText(m_combos[static_cast<std::size_t>(i)]));
}

// ---- The wizard ------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDataAddNewDlg, CDialog)
    ON_NOTIFY(TCN_SELCHANGE, IDC_ADDNEW_TAB, &CDataAddNewDlg::OnTabChange)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CDataAddNewDlg::CDataAddNewDlg(CWnd* pParent) : CDialog(IDD_ADDNEW, pParent) { m_rows.fill(-1); }

CDataAddNewDlg::~CDataAddNewDlg() = default;

void CDataAddNewDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_ADDNEW_TAB, m_tab);
    DDX_Control(pDX, IDC_ADDNEW_SUMMARY, m_summary);
    DDX_Text(pDX, IDC_ADDNEW_NAME, m_name);
}

bool CDataAddNewDlg::Shows(int item) const
{
    const bool pulse = m_record && m_record->typeText.Find(u"LB") >= 0;
    switch (item) {
    case kItemMounting:
    case 10:
    case 11:
    case 14:
    case 15:
        return !pulse;
    case kItemInterface:
        return !pulse && !m_generation;
    case kItemOutputType:
    case kItemInputMode:
    case kItemPulse1:
    case kItemPulse2:
        return pulse;
    default:
        return true;
    }
}

void CDataAddNewDlg::SetSummaryItem(int item, const CString& text)
{
    if (!m_summary.GetSafeHwnd() || item < 0 || item >= kSummaryItems) return;
    if (item == kItemController) {
        m_summary.SetRedraw(FALSE);
        m_summary.DeleteAllItems();
        int row = 0;
        const bool pulse = m_record && m_record->typeText.Find(u"LB") >= 0;
        for (int i = 0; i < kSummaryItems; ++i) {
            if (!Shows(i)) {
                m_rows[static_cast<std::size_t>(i)] = -1;
                continue;
            }
            CString label = TransportText(IDS_ADDNEW_ITEM_0 + static_cast<UINT>(i));
            if (i == kItemMass && pulse) {
                CString inserted;
                if (m_controllerPage.GetSafeHwnd())
                    m_controllerPage.GetDlgItemText(IDC_ADDNEW_MASS_PULSE_LABEL, inserted);
                label = InsertBeforeEnd(label, inserted);
            }
            m_summary.InsertItem(row, u"");
            m_summary.SetItemText(row, 1, label);
            m_rows[static_cast<std::size_t>(i)] = row++;
        }
        m_summary.AutoSizeColumn(-1, TRUE);
        m_summary.SetRedraw(TRUE);
    }
    const int row = m_rows[static_cast<std::size_t>(item)];
    if (row < 0) return;
    m_summary.SetItemText(row, 2, text);
    // The values arrive after the rows: the column grows with them, so no
    // choice is shown cut.
    m_summary.AutoSizeColumn(2, TRUE);
}

void CDataAddNewDlg::RefreshDependentPages()
{
    m_optionPage.RefreshFromRecord();
    m_detailPage.RefreshFromRecord();
    m_pulsePage.RefreshFromRecord();
}

BOOL CDataAddNewDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_icon = static_cast<HICON>(LoadImage(AfxGetResourceHandle(), MAKEINTRESOURCE(kWizardIcon), IMAGE_ICON, 16, 16, 0));
    if (m_icon) SendMessage(WM_SETICON, 0, m_icon.ToLParam());
    m_summary.SetExtendedStyle(m_summary.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    m_summary.InsertColumn(0, u"", LVCFMT_LEFT, 0);
    m_summary.FixColumn(0);
    m_summary.InsertColumn(1, TransportText(IDS_ADDNEW_COL_ITEM), LVCFMT_LEFT, 120);
    m_summary.InsertColumn(2, TransportText(IDS_ADDNEW_COL_VALUE), LVCFMT_LEFT, 200);

    CAddNewPage* pages[] = {&m_controllerPage, &m_optionPage, &m_detailPage, &m_pulsePage};
    for (CAddNewPage* page : pages) page->SetOwner(this, m_record);
    // The option pages first: the controller page's start refreshes them.
    m_optionPage.Create(IDD_ADDNEW_OPTION, this);
    m_detailPage.Create(IDD_ADDNEW_DETAIL, this);
    m_pulsePage.Create(IDD_ADDNEW_PULSE, this);
    m_controllerPage.Create(IDD_ADDNEW_CONTROLLER, this);

    const bool pulse = m_record->typeText.Find(u"LB") >= 0;
    int tab = 0;
    m_tab.InsertItem(TCIF_TEXT | TCIF_PARAM, tab++, TransportText(IDS_ADDNEW_TAB_CONTROLLER), 0, 0);
    if (!(m_generation && !pulse)) m_tab.InsertItem(TCIF_TEXT | TCIF_PARAM, tab++, TransportText(IDS_ADDNEW_TAB_OPTION), 0, 1);
    m_tab.InsertItem(TCIF_TEXT | TCIF_PARAM, tab++, TransportText(IDS_ADDNEW_TAB_DETAIL), 0, 2);

    CRect area;
    m_tab.GetWindowRect(&area);
    ScreenToClient(&area);
    m_tab.AdjustRect(FALSE, &area);
    area.left -= 2;
    area.right += 2;
    area.bottom += 2;
    for (CAddNewPage* page : pages) page->MoveWindow(area.left, area.top, area.Width(), area.Height());
    m_controllerPage.RefreshFromRecord();
    RefreshDependentPages();
    ShowPage(0);
    if (m_generation) {
        GetDlgItem(IDC_ADDNEW_NAME)->EnableWindow(FALSE);
        SetWindowText(TransportText(IDS_TRANSPORT_GENERATION_CAPTION));
    }
    return TRUE;
}

void CDataAddNewDlg::ShowPage(int pageValue)
{
    const bool pulse = m_record->typeText.Find(u"LB") >= 0;
    CAddNewPage* shown = pageValue == 0   ? static_cast<CAddNewPage*>(&m_controllerPage)
                         : pageValue == 1 ? (pulse ? static_cast<CAddNewPage*>(&m_pulsePage) : &m_optionPage)
                                          : &m_detailPage;
    for (CAddNewPage* page : {static_cast<CAddNewPage*>(&m_controllerPage), static_cast<CAddNewPage*>(&m_optionPage),
                              static_cast<CAddNewPage*>(&m_detailPage), static_cast<CAddNewPage*>(&m_pulsePage)})
        page->ShowWindow(page == shown ? SW_SHOW : SW_HIDE);
    shown->SetFocus();
}

void CDataAddNewDlg::OnTabChange(NMHDR*, LRESULT* pResult)
{
    TCITEM item{};
    item.mask = TCIF_PARAM;
    m_tab.GetItem(m_tab.GetCurSel(), &item);
    ShowPage(static_cast<int>(item.lParam));
    *pResult = 0;
}

void CDataAddNewDlg::OnOK()
{
    GetDlgItemText(IDC_ADDNEW_NAME, m_name);
    // In generation mode the data get no window and so need no name.
    if (!m_generation && !IsAcceptedWindowName(m_name)) {
        ::MessageBoxW(GetSafeHwnd(), TransportText(IDS_BAD_WINDOW_NAME), TransportText(IDS_APP_NAME), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (!m_generation && GetTransportHost().IsControllerNameOpen(m_name)) {
        ::MessageBoxW(GetSafeHwnd(), TransportText(IDS_WINDOW_NAME_TAKEN), TransportText(IDS_APP_NAME), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (m_record->robot.IsEmpty()) {
        ::MessageBoxW(GetSafeHwnd(), TransportText(IDS_ADDNEW_NO_ROBOT), TransportText(IDS_APP_NAME), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    LoadDatabaseVersion(m_record->dbVersion);
    if (const ParamDefTable* table = DefinitionTable(m_record->typeText.Find(u"LB") >= 0 ? 1 : 0))
        RescaleParamValues(*table, *m_record->FirstParamSet(), m_record->FirstParamSet()->K(72));
    EndDialog(IDOK);
}

void CDataAddNewDlg::OnDestroy()
{
    if (m_icon) {
        DestroyIcon(m_icon);
        m_icon = HICON();
    }
    CDialog::OnDestroy();
}
