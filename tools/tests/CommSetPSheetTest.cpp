#include "tools/CommSetPSheet.h"
#include "tools/tests/DialogTestSupport.h"

#include "resources/tools/ZeblLangLib_ids.h"

#include "comm/CommManager.h"

#include "platform/core/ResourceModule.h"

#include <gtest/gtest.h>

namespace {

using namespace toolstest;

class CommSetPSheetTest : public ::testing::Test {
protected:
    CommSetPSheetTest() { WriteCommIni(settings, 4); }

    // Runs the sheet on the record; the script works on the port page.
    INT_PTR Run(CCommSetPSheet& sheet, const std::function<void(uitest::DialogDriver&, uitest::DialogDriver&)>& script)
    {
        return uitest::RunModal(
            [&] { return sheet.DoModal(); }, [&] { return sheet.GetSafeHwnd(); },
            [&](uitest::DialogDriver& d) {
                CPropertyPage* page = sheet.GetActivePage();
                ASSERT_NE(page, nullptr);
                uitest::DialogDriver p(page->GetSafeHwnd());
                script(d, p);
            });
    }

    ScopedEnv english{"QV_LANG", "en"};
    ScopedSettingsFolder settings;
    ScriptedMessageBox boxes;
};

TEST_F(CommSetPSheetTest, OpensOnTheRecordAndStoresTheChoicesOnOk)
{
    commsettag record;
    record.nBaudRate = 9;
    record.nDataBit = 0;
    record.nParityBit = 1;
    record.nStopBit = 1;
    record.nFlowControl = 0;
    CCommSetPSheet sheet;
    ASSERT_TRUE(sheet.Initialize(u"COM7", &record));
    const INT_PTR result = Run(sheet, [&](uitest::DialogDriver& d, uitest::DialogDriver& p) {
        EXPECT_EQ(sheet.GetActiveIndex(), 0) << "the port page comes first";
        EXPECT_EQ(::GetDlgItem(d.Dialog(), static_cast<int>(ID_APPLY_NOW)), HWND()) << "no Apply button";
        EXPECT_EQ(::GetDlgItem(d.Dialog(), IDHELP), HWND()) << "no Help button";
        CString caption;
        CWnd::FromHandle(d.Dialog())->GetWindowText(caption);
        EXPECT_EQ(caption, CString(u"Communication settings"));
        EXPECT_EQ(p.Text(IDC_PORT_NAME), CString(u"COM7"));
        EXPECT_EQ(p.Text(IDC_PORT_BAUD_RATE), CString(u"115200"));
        EXPECT_EQ(p.Text(IDC_PORT_DATA_BITS), CString(u"7"));
        EXPECT_EQ(p.Text(IDC_PORT_PARITY), CString(u"Even"));
        EXPECT_EQ(p.Text(IDC_PORT_STOP_BITS), CString(u"2"));
        EXPECT_EQ(p.Text(IDC_PORT_FLOW_CONTROL), CString(u"XON/XOFF"));
        p.ChooseComboEntry(IDC_PORT_BAUD_RATE, u"9600");
        p.ChooseComboEntry(IDC_PORT_PARITY, u"None");
        p.ChooseComboEntry(IDC_PORT_FLOW_CONTROL, 1);
        d.Click(IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(record.nBaudRate, 5);
    EXPECT_EQ(record.nDataBit, 0);
    EXPECT_EQ(record.nParityBit, 2);
    EXPECT_EQ(record.nStopBit, 1);
    EXPECT_EQ(record.nFlowControl, 1);
}

TEST_F(CommSetPSheetTest, CancelLeavesTheRecordAsItWas)
{
    commsettag record;
    record.nBaudRate = 3;
    CCommSetPSheet sheet;
    ASSERT_TRUE(sheet.Initialize(u"COM1", &record));
    const INT_PTR result = Run(sheet, [&](uitest::DialogDriver& d, uitest::DialogDriver& p) {
        p.ChooseComboEntry(IDC_PORT_BAUD_RATE, u"230400");
        d.Click(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(record.nBaudRate, 3);
}

TEST_F(CommSetPSheetTest, TheLinksSettingsFileKeepsWhatTheSheetChose)
{
    {
        CCommManager link;
        ASSERT_TRUE(link.Initialize());
        commsettag record;
        link.GetCommSet(&record);
        CCommSetPSheet sheet;
        ASSERT_TRUE(sheet.Initialize(u"COM2", &record));
        const INT_PTR result = Run(sheet, [&](uitest::DialogDriver& d, uitest::DialogDriver& p) {
            p.ChooseComboEntry(IDC_PORT_BAUD_RATE, u"57600");
            p.ChooseComboEntry(IDC_PORT_STOP_BITS, u"2");
            d.Click(IDOK);
        });
        ASSERT_EQ(result, IDOK);
        link.SetCommSet(&record);
    }
    const std::string ini = settings.ReadCommIni();
    EXPECT_NE(ini.find("BaudRate=57600"), std::string::npos) << ini;
    EXPECT_NE(ini.find("StopBit=2"), std::string::npos) << ini;
}

TEST_F(CommSetPSheetTest, WithoutTheLanguageLibraryNothingRunsAndTheRecordStays)
{
    ScopedLangLibraryName missing(u"NoSuchLangLib.dll");
    boxes.Answer(IDOK, u"Failed to load NoSuchLangLib.dll");
    const HMODULE before = AfxGetResourceHandle();
    commsettag record;
    record.nBaudRate = 4;
    {
        CCommSetPSheet sheet;
        EXPECT_FALSE(sheet.Initialize(u"COM1", &record));
        EXPECT_EQ(sheet.GetPageCount(), 0);
    }
    EXPECT_EQ(record.nBaudRate, 4);
    EXPECT_EQ(AfxGetResourceHandle(), before);
    EXPECT_EQ(boxes.Shown().size(), 1u);
}

}  // namespace
