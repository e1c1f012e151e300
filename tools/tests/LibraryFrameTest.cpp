#include "tools/FileVersionReader.h"
#include "tools/MessagePump.h"
#include "tools/ToolsLibrary.h"
#include "tools/WindowPlacement.h"
#include "tools/tests/ToolsTestSupport.h"

#include "tests/support/ScriptedMessageBox.h"

#include "platform/core/Module.h"
#include "platform/core/Paths.h"
#include "platform/core/Profile.h"
#include "platform/core/ResourceModule.h"
#include "platform/core/Thread.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

using namespace toolstest;

TEST(LangLibraryTest, AMissingLibraryIsReportedOnceAndNothingIsSwapped)
{
    ScriptedMessageBox boxes;
    boxes.Answer(IDOK, u"Failed to load ZeblLangLib.dll");
    const HMODULE before = AfxGetResourceHandle();
    {
        CLangLibrarySwap swap;
        EXPECT_FALSE(swap.Load());
        EXPECT_FALSE(swap.IsLoaded());
        EXPECT_EQ(AfxGetResourceHandle(), before);
    }
    EXPECT_EQ(AfxGetResourceHandle(), before);
    EXPECT_EQ(boxes.Shown().size(), 1u);
}

TEST(LangLibraryTest, TheSwapServesResourcesFromTheLibraryUntilItEnds)
{
    ScriptedMessageBox boxes;
    ScopedEnv english("QV_LANG", "en");
    const HMODULE before = AfxGetResourceHandle();
    HMODULE loaded;
    {
        CLangLibrarySwap swap(u"toolstest-lang.dll");
        ASSERT_TRUE(swap.Load());
        ASSERT_TRUE(swap.Load()) << "a second load keeps the first";
        loaded = swap.GetModule();
        EXPECT_EQ(AfxGetResourceHandle(), loaded);
        CString language;
        ASSERT_TRUE(language.LoadString(10000));
        EXPECT_EQ(language, CString(u"ENG"));
    }
    EXPECT_EQ(AfxGetResourceHandle(), before);
    EXPECT_FALSE(FreeLibrary(loaded)) << "the library was freed with the swap";
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST(LangLibraryTest, OnlyTheProgramFolderIsSearched)
{
    ScriptedMessageBox boxes;
    boxes.Answer(IDOK, u"Failed to load ../toolstest-lang.dll");
    EXPECT_FALSE(LoadLangLibrary(u"../toolstest-lang.dll"));
}

TEST(LibraryModuleTest, TheLibraryKnowsItsOwnFileAndVersion)
{
    const HMODULE module = GetLibraryModule();
    ASSERT_TRUE(module);
    char16_t path[1024] = {};
    ASSERT_GT(GetModuleFileNameW(module, path, 1024), 0u);
    EXPECT_EQ(platform::FileNameOf(path), CString(u"libSorvadelLib.so"));

    CFileVersionReader reader;
    ASSERT_TRUE(reader.Read(path));
    EXPECT_EQ(reader.GetProductName(), CString(u"SorvadelLib"));
    EXPECT_EQ(reader.GetCompanyName(), CString(u"Velbrook"));
    EXPECT_EQ(reader.GetProductVersion(), CString(u"1.0.0"));
    EXPECT_EQ(reader.GetFileVersion(), CString(u"1.0.0.0"));
    EXPECT_EQ(reader.GetInternalName(), CString(u"SorvadelLib"));
    EXPECT_EQ(reader.GetOriginalFileName(), CString(u"libSorvadelLib.so"));
    EXPECT_FALSE(reader.GetLegalCopyright().IsEmpty());
    EXPECT_TRUE(reader.GetSpecialBuild().IsEmpty()) << "a key the record lacks is empty";

    reader.SetEntry(13, u"ignored");
    reader.SetEntry(0, u"ignored");
    reader.SetEntry(CFileVersionReader::kComments, u"set");
    EXPECT_EQ(reader.GetComments(), CString(u"set"));
    EXPECT_FALSE(reader.Read(u"/no/such/file"));
    EXPECT_TRUE(reader.GetProductName().IsEmpty()) << "a failed read leaves every entry empty";
    EXPECT_TRUE(reader.GetComments().IsEmpty());
}

// A placement record with the fields of the system's.
struct TestPlacement {
    UINT flags = 7;
    UINT showCmd = 1;
    POINT ptMinPosition;
    POINT ptMaxPosition;
    RECT rcNormalPosition;
};

TEST(WindowPlacementTest, PlacementsGoToTheirSectionAndComeBack)
{
    ScopedSettingsFolder settings;
    const CString file = CString::FromUtf8(settings.Path()) + u"/placement.ini";

    RECT kept{1, 2, 3, 4};
    ReadPlacementRect(kept, u"NONE", file);
    EXPECT_EQ(kept, (RECT{1, 2, 3, 4})) << "missing keys keep the current values";

    TestPlacement zoomed;
    zoomed.showCmd = kShowMaximized;
    zoomed.rcNormalPosition = RECT{10, 20, 300, 400};
    WritePlacementRecord(zoomed, u"WINDOW A", file);
    TestPlacement normal;
    normal.rcNormalPosition = RECT{-5, 6, 70, 80};
    WritePlacementRecord(normal, u"WINDOW B", file);
    EXPECT_EQ(platform::ReadPrivateProfileString(u"WINDOW A", u"ZOOMED", u"", file), CString(u"1"));
    EXPECT_EQ(platform::ReadPrivateProfileString(u"WINDOW B", u"ZOOMED", u"", file), CString(u"0"));

    TestPlacement a;
    ReadPlacementRecord(a, u"WINDOW A", file);
    EXPECT_EQ(a.showCmd, kShowMaximized) << "restored maximised over its normal rectangle";
    EXPECT_EQ(a.rcNormalPosition, (RECT{10, 20, 300, 400}));
    EXPECT_EQ(a.flags, 0u);
    EXPECT_EQ(a.ptMinPosition.x, 1);
    EXPECT_EQ(a.ptMaxPosition.y, 1);
    TestPlacement b;
    ReadPlacementRecord(b, u"WINDOW B", file);
    EXPECT_EQ(b.showCmd, 0u);
    EXPECT_EQ(b.rcNormalPosition, (RECT{-5, 6, 70, 80}));
}

// Counts the messages it gets; a handler may post itself again.
class CountingWindow : public CWnd {
public:
    static constexpr UINT kTick = WM_APP + 1;
    CountingWindow() { CreateEx(0, AfxRegisterWndClass(0), u"", 0, RECT{}, nullptr, 0); }
    ~CountingWindow() override { DestroyWindow(); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != kTick) return CWnd::WindowProc(message, wParam, lParam);
        ++count;
        if (repost) PostMessageW(m_hWnd, kTick, 0, 0);
        return 0;
    }
    int count = 0;
    bool repost = false;
};

TEST(MessagePumpTest, PumpsWaitingMessagesWithinTheirBound)
{
    CountingWindow window;
    PumpAllMessages();
    PumpMessages(3);
    EXPECT_EQ(window.count, 0) << "nothing waits: nothing happens";

    for (int i = 0; i < 4; ++i) PostMessageW(window.m_hWnd, CountingWindow::kTick, 0, 0);
    PumpMessages(0);
    EXPECT_EQ(window.count, 1) << "a count of 0 still pumps one";
    PumpMessages(2);
    EXPECT_EQ(window.count, 3);
    PumpAllMessages();
    EXPECT_EQ(window.count, 4);

    window.repost = true;
    PostMessageW(window.m_hWnd, CountingWindow::kTick, 0, 0);
    PumpAllMessages();
    EXPECT_EQ(window.count, 5) << "a handler that posts again does not keep the pump running";
    window.repost = false;
    PumpAllMessages();
}

TEST(ResumeFullyTest, ResumesAThreadSuspendedSeveralTimes)
{
    std::atomic<bool> ran{false};
    HANDLE thread = CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD {
            static_cast<std::atomic<bool>*>(p)->store(true);
            return 0;
        },
        &ran, CREATE_SUSPENDED, nullptr);
    ASSERT_TRUE(thread);
    SuspendThread(thread);
    SuspendThread(thread);
    ResumeFully(thread);
    EXPECT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    EXPECT_TRUE(ran);
    ResumeFully(thread);  // an ended thread: nothing, no endless loop
    CloseHandle(thread);
}

}  // namespace
