// What the working-day tests share: the controller on the emulator's
// terminal as the day starts, pictures of the main window and of dialogs
// for each step, and the reading of a saved data file.
#pragma once

#include "manager/ui/tests/ManagerTestSupport.h"
#include "tests/day/tests/DayShared.h"

#include "platform/ui/FrameIds.h"
#include "tests/support/NamedController.h"
#include "tests/support/emulator/Emulator.h"

#include <QWidget>

#include <ostream>
#include <string>

// Texts in the failure messages as they read.
inline void PrintTo(const CString& text, std::ostream* out) { *out << '"' << text.ToUtf8() << '"'; }

namespace daytest {

using namespace mgrtest;

constexpr int kCom = 3;

// The controller as the day starts: "KX-Q05" at node 1 with point 1 defined.
inline emu::ControllerModel& AddDayController(emu::Emulator& emulator)
{
    return testsupport::AddNamedController(emulator, "Q05", "KX-Q05");
}

// One day in one language (the test's parameter): the day's controller,
// served on a pseudo-terminal mapped to COM3.
class DayTest : public ::testing::TestWithParam<dayshared::DayRun> {
protected:
    DayTest()
    {
        AddDayController(emulator);
        emulator.SetAnswerForm(GetParam().answers);
    }
    void TearDown() override { uitest::FlushDeletedWidgets(); }

    static std::string PictureFile(const std::string& step)
    {
        return uitest::ArtifactFolder("day") + "/" + step + "." + GetParam().Tag() + ".png";
    }

    // A picture of the main window for the step.
    static void Picture(ManagerWorld& world, const std::string& step)
    {
        uitest::Pump(20);
        // The program's bars follow the state in its idle rounds; the
        // picture shows them as the user sees them.
        platform::RunAppIdle();
        uitest::Pump(10);
        QWidget* widget = platform::ui::WidgetOf(world.FrameHwnd());
        ASSERT_NE(widget, nullptr);
        const std::string file = PictureFile(step);
        EXPECT_TRUE(widget->grab().save(QString::fromStdString(file))) << file;
    }

    // A picture of a dialog (modal or modeless) for the step.
    static void Picture(HWND dialog, const std::string& step)
    {
        uitest::Pump(30);
        const std::string file = PictureFile(step);
        EXPECT_TRUE(uitest::DialogDriver(dialog).Grab(file)) << file;
    }

    static CString RootText(CChildFrame* child)
    {
        CTreeCtrl& tree = child->GetTreeView()->GetTreeCtrl();
        return tree.GetItemText(tree.GetRootItem());
    }

    emu::Emulator emulator;
};

using dayshared::ConnectOnline;
using dayshared::DayRunName;
using dayshared::kDayRuns;
using dayshared::ReadDataFile;

}  // namespace daytest
