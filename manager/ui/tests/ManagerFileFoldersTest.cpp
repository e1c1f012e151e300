// Where the file dialogs of the manager open: in the folder the user last
// chose a file of the same kind in, also after the program was started
// again, else in the user's documents folder, never in the program's working
// folder. A file named with its own folder keeps it.
#include "manager/ui/tests/ManagerTestSupport.h"

#include <unistd.h>

// Failure messages show texts, not code units.
inline void PrintTo(const CString& text, std::ostream* os) { *os << '"' << text.ToUtf8() << '"'; }

namespace {

using namespace mgrtest;
namespace fs = std::filesystem;

class ManagerFileFoldersTest : public ::testing::Test {
protected:
    void TearDown() override { uitest::FlushDeletedWidgets(); }
};

// The folder the next file dialog was asked to open in, after a command
// that shows one and is given the answer.
CString AskedFolder(ManagerWorld& world, UINT command, std::optional<CString> choose)
{
    ScriptedDialogs dialogs;
    if (choose) dialogs.ChooseFile({*choose});
    else dialogs.CancelFile();
    world.Command(command);
    const std::vector<platform::FileDialogRequest> asked = dialogs.FileRequests();
    return asked.empty() ? CString(u"<no dialog>") : asked.back().initialFolder;
}

TEST_F(ManagerFileFoldersTest, EachKindOfFileOpensWhereTheLastOneWasEvenAfterARestart)
{
    ManagerWorld world;
    const fs::path home = world.Folder() / "home";
    fs::create_directories(home / "Documents");
    ScopedEnv homeVariable("HOME", home.string());
    // The program runs in a folder of its own, as when started from a checkout.
    const fs::path workingFolder = world.Folder() / "checkout";
    fs::create_directories(workingFolder);
    const fs::path kept = fs::current_path();
    fs::current_path(workingFolder);
    struct Back {
        fs::path to;
        ~Back() { fs::current_path(to); }
    } back{kept};

    const CString documents = W((home / "Documents").string());
    fs::create_directories(world.Folder() / "line a");
    const CString press = WriteDataFile(W((world.Folder() / "line a" / "press.yvekd").string()));
    const CString lineA = W((world.Folder() / "line a").string());

    ASSERT_TRUE(world.Start());
    EXPECT_EQ(AskedFolder(world, IDM_OPEN_DATA, press), documents) << "first time: the documents folder";
    ASSERT_EQ(world.ChildCount(), 1);
    EXPECT_EQ(AskedFolder(world, IDM_OPEN_DATA, std::nullopt), lineA) << "where the last data file was";
    // Another kind of file has a folder of its own.
    EXPECT_EQ(AskedFolder(world, IDM_ALARM_FILE, std::nullopt), documents);
    // New data are saved where data files were last opened.
    world.Quit();

    ASSERT_TRUE(world.Start());
    EXPECT_EQ(AskedFolder(world, IDM_OPEN_DATA, std::nullopt), lineA) << "remembered across a restart";
    EXPECT_EQ(AskedFolder(world, IDM_OPEN_DATA, press), lineA);
    ASSERT_EQ(world.ChildCount(), 1);
    // A save under a name asked for proposes the file itself: its own folder.
    {
        ScriptedDialogs dialogs;
        dialogs.CancelFile();
        world.Command(IDM_SAVE_AS);
        ASSERT_EQ(dialogs.FileRequests().size(), 1u);
        EXPECT_EQ(dialogs.FileRequests()[0].fileName, press);
    }
    // A folder that has gone is forgotten for the documents folder.
    world.Quit();
    fs::remove_all(world.Folder() / "line a");
    ASSERT_TRUE(world.Start());
    EXPECT_EQ(AskedFolder(world, IDM_OPEN_DATA, std::nullopt), documents);
    world.Quit();
}

}  // namespace
