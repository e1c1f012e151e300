// What the working-day tests of the simulator and the transports share: the
// pictures of a step (the main window, or the main window with a dialog over
// it), the tree's and the point pane's texts, a data file as written, and the
// report of the hand in the simulator program.
#pragma once

#include "manager/ui/tests/ManagerTestSupport.h"
#include "tests/day/tests/DayShared.h"

#include "manager/ui/RightpaneFormView.h"
#include "platform/ui/WidgetPeer.h"

#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace daysim {

using mgrtest::ManagerWorld;

inline std::string PicturePath(const std::string& step, const std::string& language)
{
    return uitest::ArtifactFolder("day") + "/" + step + "." + language + ".png";
}

// The main window as the user sees it at a step.
inline void Picture(ManagerWorld& world, const std::string& step, const std::string& language)
{
    uitest::Pump(20);
    QWidget* widget = platform::ui::WidgetOf(world.FrameHwnd());
    ASSERT_NE(widget, nullptr);
    const std::string file = PicturePath(step, language);
    EXPECT_TRUE(widget->grab().save(QString::fromStdString(file))) << file;
}

// The main window with a dialog over it, as the user sees them at a step.
inline void PictureOver(ManagerWorld& world, HWND dialog, const std::string& step, const std::string& language)
{
    const QPixmap picture = mgrtest::PictureOver(world.FrameHwnd(), dialog);
    ASSERT_FALSE(picture.isNull());
    const std::string file = PicturePath(step, language);
    EXPECT_TRUE(picture.save(QString::fromStdString(file))) << file;
}

inline CString RootText(CChildFrame* child)
{
    CTreeCtrl& tree = child->GetTreeView()->GetTreeCtrl();
    return tree.GetItemText(tree.GetRootItem());
}

inline CString WindowText(HWND hwnd)
{
    CString text;
    const int length = ::GetWindowTextLengthW(hwnd);
    ::GetWindowTextW(hwnd, text.GetBuffer(length + 1), length + 1);
    text.ReleaseBuffer();
    return text;
}

// A string of the manager's resources, in the language of the run.
inline std::u16string Text(UINT id)
{
    CString text;
    text.LoadString(id);
    return text.str();
}

using dayshared::ConnectOnline;
using dayshared::ReadDataFile;

inline ControllerData* WindowData(CChildFrame* child)
{
    return child->Document()->DataManager().GetCurrentController();
}

// The point pane's grid (the pane is shown first).
inline CPointTableGrid& PointGrid(CChildFrame* child)
{
    mgrtest::ShowPane(child, 1);
    return child->GetRightpaneFormView()->PointTable().Grid();
}

// The report of the hand in the simulator program: the values it saw, in
// order; a key seen twice keeps every value.
class HandReport {
public:
    explicit HandReport(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::string line;
        while (std::getline(in, line)) {
            const size_t equals = line.find('=');
            if (equals == std::string::npos) continue;
            m_values[line.substr(0, equals)].push_back(line.substr(equals + 1));
        }
    }
    std::string Get(const std::string& key) const
    {
        const auto found = m_values.find(key);
        return found == m_values.end() ? std::string("<none>") : found->second.front();
    }
    std::vector<std::string> All(const std::string& key) const
    {
        const auto found = m_values.find(key);
        return found == m_values.end() ? std::vector<std::string>{} : found->second;
    }

private:
    std::map<std::string, std::vector<std::string>> m_values;
};

}  // namespace daysim
