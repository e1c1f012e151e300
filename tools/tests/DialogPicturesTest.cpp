// Every dialog of the library in both languages, opened offline and kept as a
// picture for a person to look at; and every dialog's refusal to run without
// its language library.
#include "tools/CommMsgDlg.h"
#include "tools/CommSetPSheet.h"
#include "tools/ConnectBoxDlg.h"
#include "tools/KXContInitDlg.h"
#include "tools/KXTerminalDlg.h"
#include "tools/NetworkParameter.h"
#include "tools/UserSpecdNameDlg.h"
#include "tools/tests/DialogTestSupport.h"

#include "resources/tools/ZeblLangLib_ids.h"

#include "comm/CommManager.h"

#include "platform/core/ResourceModule.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace toolstest;

class DialogPicturesTest : public ::testing::TestWithParam<const char*> {
protected:
    DialogPicturesTest() : m_lang("QV_LANG", GetParam())
    {
        WriteCommIni(settings, 4);
        link.Initialize();
    }
    std::string Name(const char* dialog) const { return std::string(dialog) + "." + GetParam(); }

    ScopedEnv m_lang;
    ScopedSettingsFolder settings;
    ScopedSerialPorts ports{4, {}};
    ScriptedMessageBox boxes;
    CCommManager link;
};

TEST_P(DialogPicturesTest, CommunicationSettings)
{
    commsettag record;
    link.GetCommSet(&record);
    record.nBaudRate = 9;
    CCommSetPSheet sheet;
    ASSERT_TRUE(sheet.Initialize(u"COM3", &record));
    const INT_PTR result = uitest::RunModal(
        [&] { return sheet.DoModal(); }, [&] { return sheet.GetSafeHwnd(); },
        [&](uitest::DialogDriver& d) {
            KeepPicture(d, Name("CommSetPSheet"));
            sheet.SetActivePage(1);
            KeepPicture(d, Name("CommSetPSheet-page2"));
            d.Click(IDCANCEL);
        });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_P(DialogPicturesTest, Connection)
{
    CConnectBoxDlg dlg;
    dlg.m_pCommManager = &link;
    RunDialog(dlg, [&](uitest::DialogDriver& d) {
        d.Click(IDC_CONNECT_TCP);
        KeepPicture(d, Name("ConnectBoxDlg"));
        d.Click(IDCANCEL);
    });
}

TEST_P(DialogPicturesTest, ControllerInitialisation)
{
    CKXContInitDlg dlg;
    dlg.SetCommMan(&link);
    RunDialog(dlg, [&](uitest::DialogDriver& d) {
        KeepPicture(d, Name("KXContInitDlg"));
        d.Click(IDC_INIT_CLOSE);
    });
}

TEST_P(DialogPicturesTest, Terminal)
{
    CKXTerminalDlg dlg;
    dlg.SetCommMan(&link);
    RunDialog(dlg, [&](uitest::DialogDriver& d) {
        KeepPicture(d, Name("KXTerminalDlg"));
        d.Click(IDCANCEL);
    });
}

TEST_P(DialogPicturesTest, UserSpecifiedName)
{
    CString name = u"LINE-3 PRESS";
    CUserSpecdNameDlg dlg(name);
    dlg.SetCommMan(&link);
    dlg.SetNodeNo(1);
    RunDialog(dlg, [&](uitest::DialogDriver& d) {
        KeepPicture(d, Name("UserSpecdNameDlg"));
        d.Click(IDCANCEL);
    });
}

TEST_P(DialogPicturesTest, NetworkParameters)
{
    CString ip = u"c0a80002";
    CString mask = u"ffffff00";
    CString gateway = u"c0a800fe";
    CNetworkParameter dlg(ip, mask, gateway);
    dlg.SetCommMan(&link);
    dlg.SetNodeNo(1);
    RunDialog(dlg, [&](uitest::DialogDriver& d) {
        KeepPicture(d, Name("NetworkParameter"));
        d.Click(IDCANCEL);
    });
}

TEST_P(DialogPicturesTest, WaitMessage)
{
    uitest::ScopedResources resources(u"ZeblLangLib", GetParam());
    ASSERT_TRUE(resources.Loaded());
    ShowCommMessage(nullptr, IDS_WAIT_SCAN);
    ASSERT_NE(GetCommMessage(), nullptr);
    uitest::DialogDriver d(GetCommMessage()->GetSafeHwnd());
    KeepPicture(d, Name("CommMsgDlg"));
    HideCommMessage();
}

INSTANTIATE_TEST_SUITE_P(Languages, DialogPicturesTest, ::testing::Values("en", "ja"));

TEST(DialogLanguageTest, WithoutTheLanguageLibraryEveryDialogSaysSoOnceAndReturns0)
{
    ScopedSettingsFolder settings;
    ScopedLangLibraryName missing(u"NoSuchLangLib.dll");
    CCommManager link;
    link.Initialize();
    CString a = u"c0a80002", b = u"ffffff00", c = u"c0a800fe", name = u"NAME";
    struct Case {
        const char* name;
        std::function<INT_PTR()> run;
    };
    const Case cases[] = {
        {"connection", [&] { CConnectBoxDlg dlg; dlg.m_pCommManager = &link; return dlg.DoModal(); }},
        {"initialisation", [&] { CKXContInitDlg dlg; dlg.SetCommMan(&link); return dlg.DoModal(); }},
        {"terminal", [&] { CKXTerminalDlg dlg; dlg.SetCommMan(&link); return dlg.DoModal(); }},
        {"network", [&] { CNetworkParameter dlg(a, b, c); dlg.SetCommMan(&link); return dlg.DoModal(); }},
        {"user name", [&] { CUserSpecdNameDlg dlg(name); dlg.SetCommMan(&link); return dlg.DoModal(); }},
    };
    const HMODULE before = AfxGetResourceHandle();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedMessageBox boxes;
        boxes.Answer(IDOK, u"Failed to load NoSuchLangLib.dll");
        EXPECT_EQ(c.run(), 0);
        EXPECT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(AfxGetResourceHandle(), before);
    }
    EXPECT_EQ(a, CString(u"c0a80002"));
    EXPECT_EQ(name, CString(u"NAME"));
}

TEST(DialogLanguageTest, TheLanguageLibraryServesUntilTheDialogIsDestroyed)
{
    ScopedSettingsFolder settings;
    ScopedEnv english("QV_LANG", "en");
    ScriptedMessageBox boxes;
    const HMODULE before = AfxGetResourceHandle();
    CString name = u"NAME";
    {
        CUserSpecdNameDlg dlg(name);
        EXPECT_EQ(RunDialog(dlg, [](uitest::DialogDriver& d) { d.Click(IDCANCEL); }), IDCANCEL);
        CString language;
        ASSERT_TRUE(language.LoadString(IDS_LANGUAGE)) << "still the language library after the modal run";
        EXPECT_EQ(language, CString(u"ENG"));
    }
    EXPECT_EQ(AfxGetResourceHandle(), before);
}

}  // namespace
