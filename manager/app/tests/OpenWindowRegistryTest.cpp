#include "manager/app/FilePathRules.h"
#include "manager/app/OpenWindowRegistry.h"
#include "manager/app/PendingOpen.h"
#include "resources/manager/resource_ids.h"

#include "AppFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include <unistd.h>

namespace {

// The windows are never touched: any distinct address stands for one.
alignas(16) char g_frames[8][16];
CWnd* Frame(int i) { return reinterpret_cast<CWnd*>(g_frames[i]); }

OpenWindowEntry Entry(std::int16_t kind, CWnd* frame, const char16_t* name = u"", int port = 0, DWORD address = 0)
{
    OpenWindowEntry e;
    e.kind = kind;
    e.frame = frame;
    e.name = name;
    e.comPort = static_cast<std::int16_t>(port);
    e.address = address;
    return e;
}

class Registry : public testing::Test {
protected:
    appfx::ManagerModule m_module{"en"};
    COpenWindowRegistry m_registry;

    void SetUp() override
    {
        m_registry.Add(Entry(kOpenWindowOffline, Frame(0), u"/data/line1.yvekd"));
        m_registry.Add(Entry(kOpenWindowSerial, Frame(1), u"", 3));
        m_registry.Add(Entry(kOpenWindowOffline, Frame(2)));
        m_registry.Add(Entry(kOpenWindowOffline, Frame(3)));
        m_registry.Add(Entry(kOpenWindowTcp, Frame(4), u"", 0, 0xC0A80002));
        m_registry.Add(Entry(kOpenWindowSerial, Frame(5), u"", 1));
    }
};

TEST_F(Registry, FindsByTheWholeKeyOnly)
{
    struct Row {
        const char* name;
        OpenWindowEntry key;
        CWnd* found;
    };
    const Row rows[] = {
        {"same file", Entry(kOpenWindowOffline, nullptr, u"/data/line1.yvekd"), Frame(0)},
        {"same file in other letter case", Entry(kOpenWindowOffline, nullptr, u"/data/LINE1.yvekd"), nullptr},
        {"new data never match by name", Entry(kOpenWindowOffline, nullptr, u""), Frame(2)},
        {"same port", Entry(kOpenWindowSerial, nullptr, u"", 1), Frame(5)},
        {"port of another kind", Entry(kOpenWindowTcp, nullptr, u"", 3), nullptr},
        {"free port", Entry(kOpenWindowSerial, nullptr, u"", 2), nullptr},
        {"same address", Entry(kOpenWindowTcp, nullptr, u"", 0, 0xC0A80002), Frame(4)},
        {"kind none", Entry(kOpenWindowNone, nullptr), nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(m_registry.Find(row.key), row.found);
    }
}

TEST_F(Registry, ConnectionsOfAWindowAndOfAll)
{
    EXPECT_EQ(m_registry.GetComPortOfWindow(Frame(1)), 3);
    EXPECT_EQ(m_registry.GetComPortOfWindow(Frame(0)), 0);
    EXPECT_EQ(m_registry.GetComPortOfWindow(nullptr), 0);
    EXPECT_EQ(m_registry.GetComPortOfWindow(Frame(7)), 0);
    EXPECT_EQ(m_registry.GetAddressOfWindow(Frame(4)), 0xC0A80002u);
    std::vector<int> ports;
    ASSERT_TRUE(m_registry.GetOpenComPorts(ports));
    EXPECT_EQ(ports, (std::vector<int>{3, 1}));
    std::vector<DWORD> addresses;
    ASSERT_TRUE(m_registry.GetOpenTcpAddresses(addresses));
    EXPECT_EQ(addresses, std::vector<DWORD>{0xC0A80002});

    COpenWindowRegistry offlineOnly;
    offlineOnly.Add(Entry(kOpenWindowOffline, Frame(0)));
    std::vector<int> untouched{42};
    EXPECT_FALSE(offlineOnly.GetOpenComPorts(untouched));
    EXPECT_EQ(untouched, std::vector<int>{42});
    std::vector<DWORD> untouchedAddresses{7};
    EXPECT_FALSE(offlineOnly.GetOpenTcpAddresses(untouchedAddresses));
    EXPECT_EQ(untouchedAddresses, std::vector<DWORD>{7});
}

// The names the windows show, as a frame would tell them.
using ShownNames = std::map<CWnd*, CString>;
std::function<CString(CWnd*)> NamesShown(const ShownNames& shown)
{
    return [&shown](CWnd* frame) {
        const auto it = shown.find(frame);
        return it == shown.end() ? CString() : it->second;
    };
}

TEST_F(Registry, DefaultNamesCountTheWindowsOfTheirKind)
{
    const ShownNames shown;
    const auto nameOf = NamesShown(shown);
    EXPECT_EQ(m_registry.MakeNewWindowName(kOpenWindowOffline, nameOf), u"NewData4");
    EXPECT_EQ(m_registry.MakeNewWindowName(kOpenWindowSerial, nameOf), u"Online3");
    EXPECT_EQ(m_registry.MakeNewWindowName(kOpenWindowTcp, nameOf), u"Online2");
    EXPECT_EQ(m_registry.MakeNewWindowName(kOpenWindowNone, nameOf), u"");
    EXPECT_EQ(m_registry.MakeNewWindowName(7, nameOf), u"");
    m_registry.Remove(Frame(2));
    EXPECT_EQ(m_registry.MakeNewWindowName(kOpenWindowOffline, nameOf), u"NewData3");
}

TEST_F(Registry, ANewDefaultNameNeverRepeatsAnOpenWindowsName)
{
    // NewData1 and NewData2 were opened, NewData1 was closed: counting alone
    // would hand out NewData2 a second time.
    COpenWindowRegistry registry;
    registry.Add(Entry(kOpenWindowOffline, Frame(1)));
    ShownNames shown{{Frame(1), u"NewData2"}};
    EXPECT_EQ(registry.MakeNewWindowName(kOpenWindowOffline, NamesShown(shown)), u"NewData3");

    // Online windows: "Online2" and "Online3" are both shown by open windows.
    registry.Add(Entry(kOpenWindowSerial, Frame(2), u"", 4));
    registry.Add(Entry(kOpenWindowSerial, Frame(3), u"", 5));
    shown[Frame(2)] = u"Online3";
    shown[Frame(3)] = u"Online4";
    EXPECT_EQ(registry.MakeNewWindowName(kOpenWindowSerial, NamesShown(shown)), u"Online5");
    // A window of another kind that took the name blocks it as well.
    shown[Frame(1)] = u"Online5";
    EXPECT_EQ(registry.MakeNewWindowName(kOpenWindowSerial, NamesShown(shown)), u"Online6");
    // Without a way to ask the windows, the count alone.
    EXPECT_EQ(registry.MakeNewWindowName(kOpenWindowSerial, nullptr), u"Online3");
}

TEST_F(Registry, RemoveAndRenameTouchTheFirstEntryOfTheFrame)
{
    m_registry.Remove(nullptr);
    m_registry.Remove(Frame(7));
    EXPECT_EQ(m_registry.Count(), 6);
    m_registry.Remove(Frame(1));
    EXPECT_EQ(m_registry.Count(), 5);
    EXPECT_EQ(m_registry.Find(Entry(kOpenWindowSerial, nullptr, u"", 3)), nullptr);

    EXPECT_FALSE(m_registry.Rename(nullptr, u"/x.yvekd"));
    EXPECT_FALSE(m_registry.Rename(Frame(2), u""));
    EXPECT_FALSE(m_registry.Rename(Frame(5), u"/x.yvekd"));  // a serial window has no file
    ASSERT_TRUE(m_registry.Rename(Frame(2), u"/data/saved.yvekd"));
    EXPECT_EQ(m_registry.Find(Entry(kOpenWindowOffline, nullptr, u"/data/saved.yvekd")), Frame(2));
    // The other new-data window still has no name.
    EXPECT_EQ(m_registry.Find(Entry(kOpenWindowOffline, nullptr, u"")), Frame(3));
}

TEST_F(Registry, ControllerNamesShownByTheWindows)
{
    const std::map<CWnd*, CString> shown = {{Frame(0), u"Press 1"}, {Frame(1), u"Press 2"}};
    const auto nameOf = [&](CWnd* frame) {
        const auto it = shown.find(frame);
        return it == shown.end() ? CString() : it->second;
    };
    EXPECT_TRUE(m_registry.IsControllerNameOpen(u"Press 2", nameOf));
    EXPECT_FALSE(m_registry.IsControllerNameOpen(u"press 2", nameOf));
    EXPECT_FALSE(m_registry.IsControllerNameOpen(u"Press 3", nameOf));
    EXPECT_FALSE(m_registry.IsControllerNameOpen(u"Press 2", nullptr));
}

// Windows that open (or fail to) as told, and a log of what was done.
class FakeOpener final : public IWindowOpener {
public:
    bool canOpen = true;
    bool opens = true;
    CWnd* next = nullptr;
    std::vector<std::string> log;
    std::vector<PendingOpenRequest> built;

    bool CanOpenAnotherWindow() override { return canOpen; }
    void ShowMessage(UINT id) override { log.push_back("message " + std::to_string(id)); }
    void Activate(CWnd* frame) override { log.push_back("activate " + std::to_string(Index(frame))); }
    void CreateWindow(PendingOpenRequest& request, bool fromFile) override
    {
        log.push_back(fromFile ? "open file" : "new document");
        request.entry.frame = next;
        request.opened = opens;
        built.push_back(request);
    }
    void CloseFrame(CWnd* frame) override { log.push_back("close " + std::to_string(Index(frame))); }

private:
    static long Index(CWnd* frame) { return (reinterpret_cast<char*>(frame) - g_frames[0]) / 16; }
};

TEST_F(Registry, OpeningActivatesAWindowThatShowsTheSameThing)
{
    struct Row {
        const char* name;
        PendingOpenRequest request;
        bool fromFile;
        OpenOutcome outcome;
        std::vector<std::string> log;
    };
    const Row rows[] = {
        {"file already open", MakeDataFileRequest(u"/data/line1.yvekd"), true, OpenOutcome::Activated, {"activate 0"}},
        {"port already open", MakeSerialRequest(1, u"Online3"), false, OpenOutcome::Activated, {"activate 5"}},
        {"new file", MakeDataFileRequest(u"/data/line2.yvekd"), true, OpenOutcome::Opened,
         {"open file", "activate 6"}},
        {"new data never match", MakeNewDataRequest(u"NewData4"), false, OpenOutcome::Opened,
         {"new document", "activate 6"}},
        {"nothing asked", PendingOpenRequest(), false, OpenOutcome::Nothing, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        COpenWindowRegistry registry = m_registry;
        FakeOpener opener;
        opener.next = Frame(6);
        PendingOpenRequest request = row.request;
        EXPECT_EQ(OpenPendingWindow(registry, request, row.fromFile, opener), row.outcome);
        EXPECT_EQ(opener.log, row.log);
        EXPECT_EQ(request.entry.kind, kOpenWindowNone);  // reset afterwards
        EXPECT_TRUE(request.addToRegistry);
        EXPECT_EQ(registry.Count(), m_registry.Count() + (row.outcome == OpenOutcome::Opened ? 1 : 0));
    }
}

TEST_F(Registry, AnOpenedWindowIsEnteredAsRequested)
{
    FakeOpener opener;
    opener.next = Frame(6);
    PendingOpenRequest request = MakeSerialRequest(2, u"Online3");
    ASSERT_EQ(OpenPendingWindow(m_registry, request, false, opener), OpenOutcome::Opened);
    ASSERT_EQ(opener.built.size(), 1u);
    EXPECT_EQ(opener.built[0].displayName, u"Online3");
    EXPECT_EQ(m_registry.Find(Entry(kOpenWindowSerial, nullptr, u"", 2)), Frame(6));
    EXPECT_EQ(m_registry.GetComPortOfWindow(Frame(6)), 2);

    // New data go in with an empty name and count for the next default name.
    PendingOpenRequest data = MakeNewDataRequest(u"NewData4");
    EXPECT_FALSE(data.addToRegistry);
    opener.next = Frame(7);
    ASSERT_EQ(OpenPendingWindow(m_registry, data, false, opener), OpenOutcome::Opened);
    EXPECT_EQ(m_registry.MakeNewWindowName(kOpenWindowOffline, nullptr), u"NewData5");
}

TEST_F(Registry, AWindowThatDidNotOpenIsClosedAndNotEntered)
{
    FakeOpener opener;
    opener.opens = false;
    opener.next = Frame(6);
    PendingOpenRequest request = MakeDataFileRequest(u"/data/broken.yvekd");
    EXPECT_EQ(OpenPendingWindow(m_registry, request, true, opener), OpenOutcome::Failed);
    EXPECT_EQ(opener.log, (std::vector<std::string>{"open file", "close 6"}));
    EXPECT_EQ(m_registry.Count(), 6);

    opener.next = nullptr;  // no frame was even made
    opener.log.clear();
    request = MakeDataFileRequest(u"/data/broken.yvekd");
    EXPECT_EQ(OpenPendingWindow(m_registry, request, true, opener), OpenOutcome::Failed);
    EXPECT_EQ(opener.log, std::vector<std::string>{"open file"});
}

TEST_F(Registry, TooManyWindowsRefusesBeforeAnythingElse)
{
    FakeOpener opener;
    opener.canOpen = false;
    PendingOpenRequest request = MakeDataFileRequest(u"/data/line1.yvekd");
    EXPECT_EQ(OpenPendingWindow(m_registry, request, true, opener), OpenOutcome::Refused);
    EXPECT_EQ(opener.log, std::vector<std::string>{"message " + std::to_string(IDS_TOO_MANY_WINDOWS)});
}

TEST(FileRequests, TitleAndKindOfEachRequest)
{
    const PendingOpenRequest file = MakeDataFileRequest(u"/home/me/data/robot.yvekd");
    EXPECT_EQ(file.entry.kind, kOpenWindowOffline);
    EXPECT_EQ(file.entry.name, u"/home/me/data/robot.yvekd");
    EXPECT_EQ(file.displayName, u"robot.yvekd");
    const PendingOpenRequest serial = MakeSerialRequest(4, u"Line 4");
    EXPECT_EQ(serial.entry.kind, kOpenWindowSerial);
    EXPECT_EQ(serial.entry.comPort, 4);
    EXPECT_TRUE(serial.entry.name.IsEmpty());
}

TEST(FilePaths, ExtensionsAndLengths)
{
    appfx::ManagerModule module("en");
    ASSERT_TRUE(module.Loaded());
    const CString longPath = u"/" + CString(u'a', 253) + u".yvekd";  // 260 characters
    ASSERT_EQ(longPath.GetLength(), 260);
    struct Row {
        const char* name;
        CString path;
        UINT extension;
        bool accepted;
    };
    const Row rows[] = {
        {"data file", u"/d/robot.yvekd", IDS_DATA_FILE_EXTENSION, true},
        {"other letter case", u"/d/robot.YVEKD", IDS_DATA_FILE_EXTENSION, false},
        {"alarm file", u"/d/alarms.yveka", IDS_ALARM_FILE_EXTENSION, true},
        {"data file as alarm file", u"/d/robot.yvekd", IDS_ALARM_FILE_EXTENSION, false},
        {"no extension", u"/d/robot", IDS_DATA_FILE_EXTENSION, false},
        {"dot in the folder only", u"/d.yvekd/robot", IDS_DATA_FILE_EXTENSION, false},
        {"259 characters", longPath.Mid(1), IDS_DATA_FILE_EXTENSION, true},
        {"260 characters", longPath, IDS_DATA_FILE_EXTENSION, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(IsAcceptedFilePath(row.path, row.extension), row.accepted);
    }
    EXPECT_TRUE(IsDataFilePath(u"C:\\data\\robot.yvekd"));
    EXPECT_FALSE(IsDataFilePath(u"/d/notes.txt"));
    EXPECT_EQ(DefaultExtension(IDS_DATA_FILE_EXTENSION), u"yvekd");
}

TEST(FilePaths, WindowNames)
{
    EXPECT_TRUE(IsAcceptedWindowName(u"Press line 2"));
    EXPECT_TRUE(IsAcceptedWindowName(CString(u'x', 260)));
    EXPECT_FALSE(IsAcceptedWindowName(CString(u'x', 261)));
    for (const char16_t* bad : {u"a.b", u"a/b", u"a\\b", u"a:b", u"a,b", u"a;b", u"a*b", u"a?b", u"a\"b", u"a<b",
                                u"a>b", u"a|b"}) {
        SCOPED_TRACE(CString(bad).ToUtf8());
        EXPECT_FALSE(IsAcceptedWindowName(bad));
    }
}

// A data file, a folder beside it and a symbolic link to it, in a folder of
// its own; the working folder is restored afterwards.
class FileSpellings : public testing::Test {
protected:
    appfx::ManagerModule m_module{"en"};
    std::filesystem::path m_root;
    std::filesystem::path m_oldCwd;

    void SetUp() override
    {
        m_root = std::filesystem::temp_directory_path() /
                 ("qv-openwindow-" + std::to_string(::getpid()) + "-" +
                  testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_root);
        std::filesystem::create_directories(m_root / "data");
        std::filesystem::create_directories(m_root / "other");
        std::ofstream(m_root / "data" / "line1.yvekd") << "x";
        std::filesystem::create_symlink(m_root / "data" / "line1.yvekd", m_root / "other" / "link.yvekd");
        std::filesystem::create_directory_symlink(m_root / "data", m_root / "datalink");
        m_oldCwd = std::filesystem::current_path();
        std::filesystem::current_path(m_root / "other");
    }
    void TearDown() override
    {
        std::filesystem::current_path(m_oldCwd);
        std::filesystem::remove_all(m_root);
    }
    CString Path(const std::filesystem::path& p) const { return CString::FromUtf8(p.string()); }
};

TEST_F(FileSpellings, TheSameFileUnderAnotherSpellingIsFound)
{
    COpenWindowRegistry registry;
    registry.Add(Entry(kOpenWindowOffline, Frame(0), Path(m_root / "data" / "line1.yvekd").GetString()));
    struct Row {
        const char* name;
        CString path;
        CWnd* found;
    };
    const Row rows[] = {
        {"the same spelling", Path(m_root / "data" / "line1.yvekd"), Frame(0)},
        {"relative to the working folder", u"../data/line1.yvekd", Frame(0)},
        {"through ..", Path(m_root / "other" / ".." / "data" / "line1.yvekd"), Frame(0)},
        {"through . and a doubled separator", Path(m_root / "data" / "." / "") + u"/line1.yvekd", Frame(0)},
        {"a symbolic link to the file", Path(m_root / "other" / "link.yvekd"), Frame(0)},
        {"a symbolic link to the folder", Path(m_root / "datalink" / "line1.yvekd"), Frame(0)},
        {"other letter case is another file", Path(m_root / "data" / "LINE1.yvekd"), nullptr},
        {"another file", Path(m_root / "data" / "line2.yvekd"), nullptr},
        {"new data", u"", nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(registry.Find(Entry(kOpenWindowOffline, nullptr, row.path.GetString())), row.found);
    }

    // A window entered by a relative path and renamed through a link is found by
    // the plain full path too.
    registry.Add(Entry(kOpenWindowOffline, Frame(1)));
    ASSERT_TRUE(registry.Rename(Frame(1), Path(m_root / "datalink" / "saved.yvekd")));
    EXPECT_EQ(registry.Find(Entry(kOpenWindowOffline, nullptr, Path(m_root / "data" / "saved.yvekd").GetString())),
              Frame(1));

    // Opening through the application's way in activates the window.
    FakeOpener opener;
    opener.next = Frame(6);
    PendingOpenRequest request = MakeDataFileRequest(u"../datalink/line1.yvekd");
    EXPECT_EQ(OpenPendingWindow(registry, request, true, opener), OpenOutcome::Activated);
    EXPECT_EQ(opener.log, std::vector<std::string>{"activate 0"});
}

}  // namespace
