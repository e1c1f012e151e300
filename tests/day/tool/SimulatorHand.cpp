// A person's hand in the simulator program, for the working-day test. The
// program is the simulator's own main with this file beside it: the manager
// starts it as it starts the simulator (command line, shared block, exit
// code), and once the application object exists the hand works its windows
// from inside, as the window tests do: it confirms the caution notice, edits
// a point, builds a motion, runs it and closes with Yes. What it saw goes to
// the report file; the pictures go beside the test's.
#include "tests/day/tool/SimulatorHand.h"

#include "simulator/ui/tests/SimulatorTestSupport.h"

#include "platform/ui/WidgetPeer.h"
#include "tests/support/ui/ModalDialogs.h"

#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

namespace {

// The hand gives up after this: the test waits longer for the program.
constexpr auto kHandLimit = std::chrono::seconds(240);

std::string Language()
{
    const char* lang = std::getenv("QV_LANG");
    return lang && *lang ? lang : "en";
}

void Report(const std::string& key, const std::string& value)
{
    const char* path = std::getenv(kSimulatorHandReport);
    if (!path) return;
    std::string line = value;
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    std::ofstream(path, std::ios::app | std::ios::binary) << key << '=' << line << '\n';
}

void Report(const std::string& key, const CString& value) { Report(key, value.ToUtf8()); }
void Report(const std::string& key, const char* value) { Report(key, std::string(value)); }

// Failures of the hand's own checks (a control that is not there, a box
// that was not expected) reach the test through the report.
class ReportFailures final : public ::testing::EmptyTestEventListener {
    void OnTestPartResult(const ::testing::TestPartResult& result) override
    {
        if (result.failed())
            Report("failure", std::string(result.file_name() ? result.file_name() : "") + ":" +
                                  std::to_string(result.line_number()) + " " + result.summary());
    }
};

using uitest::TopModalDialog;

CString WindowText(HWND hwnd)
{
    CString text;
    const int length = ::GetWindowTextLengthW(hwnd);
    ::GetWindowTextW(hwnd, text.GetBuffer(length + 1), length + 1);
    text.ReleaseBuffer();
    return text;
}

CString StringOf(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}

void Picture(uitest::DialogDriver& d, const std::string& name)
{
    uitest::Pump(50);
    const std::string path = uitest::ArtifactFolder("day") + "/" + name + "." + Language() + ".png";
    if (!d.Grab(path)) Report("failure", "no picture " + path);
}

// The notice at start: read and confirmed.
void WorkCaution(uitest::DialogDriver& d)
{
    Report("caution", WindowText(d.Dialog()));
    Picture(d, "sim-03-caution");
    d.Click(IDOK);
}

// The main dialog on the manager's data: a point moved, one motion from P1
// to the moved point, Execute, and File > Exit answered with Yes.
void WorkMainDialog(uitest::DialogDriver& d, ScriptedMessageBox& boxes)
{
    const size_t shownBefore = boxes.Shown().size();
    Report("caption", WindowText(d.Dialog()));
    Report("controller", d.Text(IDC_CONTROLLER_COMBO));
    Report("robot", d.Text(IDC_ROBOT_COMBO));
    CGridCtrl* points = simui::Grid(d, IDC_POINT_GRID);
    const int row = kSimulatorHandPoint;
    Report("point1", points->GetCellText(1, 2));
    Report("point.before", points->GetCellText(row, 2));
    Picture(d, "sim-04-handed-over");

    simui::EditCell(d, IDC_POINT_GRID, row, 2, kSimulatorHandPosition);
    Report("point.after", points->GetCellText(row, 2));
    Report("point.marked", points->GetCellBackColor(row, 2) == RGB(255, 204, 204) ? "yes" : "no");

    // Starts list the absolute points, ends every point.
    simui::ChooseCellEntry(d, IDC_MOTION_GRID, 1, 1, 0);
    simui::ChooseCellEntry(d, IDC_MOTION_GRID, 1, 2, row - 1);
    CGridCtrl* motions = simui::Grid(d, IDC_MOTION_GRID);
    Report("motion.start", motions->GetCellText(1, 1));
    Report("motion.end", motions->GetCellText(1, 2));
    // The robot's standard speed is above the carried mass's limit: the run
    // asks first, and the person goes on.
    boxes.Answer(IDYES, StringOf(IDS_ASK_SPEED_OVER_LIMIT).str());
    d.Click(IDC_EXECUTE);
    CGridCtrl* results = simui::Grid(d, IDC_RESULT_GRID);
    for (int r = 1; r <= 2; ++r)
        for (int c = 0; c <= 2; ++c)
            Report("result." + std::to_string(r) + "." + std::to_string(c), results->GetCellText(r, c));
    Picture(d, "sim-05-executed");

    const CString apply = StringOf(IDS_ASK_APPLY_EDITS);
    boxes.Answer(IDYES, apply.str());
    simui::Command(d, ID_FILE_EXIT);
    for (size_t i = shownBefore; i < boxes.Shown().size(); ++i) Report("box", boxes.Shown()[i].text);
    CWnd* dialog = CWnd::FromHandle(d.Dialog());
    Report("closed", dialog && dialog->ContinueModal() ? "no" : "yes");
}

class Hand {
public:
    Hand()
    {
        ::testing::UnitTest::GetInstance()->listeners().Append(new ReportFailures);
        m_timer = new QTimer(QCoreApplication::instance());
        QObject::connect(m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer->start(50);
    }

private:
    void Poll()
    {
        if (m_working) return;
        if (std::chrono::steady_clock::now() - m_start > kHandLimit) {
            Report("failure", "the hand ran out of time");
            std::fflush(nullptr);
            std::_Exit(kSimulatorHandTimedOut);
        }
        const HWND top = TopModalDialog();
        if (!top) return;
        // Each window once: a handle may be used again by the next window.
        const bool caution = !m_cautionDone && static_cast<bool>(::GetDlgItem(top, IDC_CAUTION_DONT_SHOW));
        const bool main = !m_mainDone && static_cast<bool>(::GetDlgItem(top, IDC_POINT_GRID));
        if (!caution && !main) return;
        (caution ? m_cautionDone : m_mainDone) = true;
        uitest::DialogDriver d(top);
        m_working = true;
        uitest::Pump(50);
        if (caution) WorkCaution(d);
        else WorkMainDialog(d, m_boxes);
        m_working = false;
        // The dialog's loop looks at its end only after a message of its
        // own; the hand's timer is none.
        if (::IsWindow(top)) ::PostMessageW(top, WM_NULL, 0, 0);
    }

    // Every box of the program is answered by the hand; one it did not
    // expect is reported and answered with its careful button.
    ScriptedMessageBox m_boxes;
    QTimer* m_timer = nullptr;
    bool m_cautionDone = false;
    bool m_mainDone = false;
    bool m_working = false;
    const std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

// Once the application exists (the hand's timer needs its event loop).
void StartHand()
{
    if (!std::getenv(kSimulatorHandReport)) return;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { static Hand hand; }, Qt::QueuedConnection);
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(StartHand)
