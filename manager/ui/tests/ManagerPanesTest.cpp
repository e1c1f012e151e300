// The panes of an online controller window against the emulated controller:
// the tree picks the pane, the point grid shows the controller's points, a
// pasted point is marked as changed, written to the controller and the marks
// clear; text that is not a number is refused; pictures of the panes.
#include "manager/ui/tests/ManagerTestSupport.h"

#include "manager/core/DataManager.h"
#include "manager/core/LibraryBindings.h"
#include "manager/core/LoadedLibrary.h"
#include "manager/core/NumberText.h"
#include "motioncalc/PellarunLib.h"
#include "manager/ui/ManagerMessages.h"
#include "manager/ui/RightpaneFormView.h"
#include "platform/ui/FrameIds.h"
#include "tests/support/emulator/Emulator.h"

#include "platform/core/Process.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/GlobalMemory.h"
#include "platform/ui/GridView.h"
#include "platform/ui/PrintDialog.h"

#include <fstream>
#include <sstream>

#include <QApplication>
#include <QKeyEvent>

namespace {

using namespace mgrtest;
namespace fs = std::filesystem;

constexpr int kCom = 3;

// Answers every print dialog with the PDF printer and a file.
class PdfPrintDialogs final : public platform::IPrintDialogService {
public:
    explicit PdfPrintDialogs(const fs::path& file) : m_file(CString::FromUtf8(file.string())), m_scope(this) {}
    platform::PrintDialogResult ShowPrintDialog(const platform::PrintDialogRequest& request) override
    {
        platform::PrintDialogResult result;
        result.ok = true;
        result.settings = request.settings;
        result.settings.printerName = CString(platform::kPdfPrinterName);
        result.settings.outputFile = m_file;
        result.settings.paperSize = DMPAPER_A4;
        return result;
    }

private:
    CString m_file;
    platform::ScopedPrintDialogService m_scope;
};

// Runs a tool of the machine on a file; true when it ended well.
bool RunTool(const char16_t* program, std::vector<CString> arguments)
{
    platform::Process p;
    if (!p.Start(program, arguments)) return false;
    if (p.Wait(120000) != WAIT_OBJECT_0) {
        p.Kill();
        p.Wait(10000);
        return false;
    }
    return true;
}

std::string PdfText(const fs::path& pdf)
{
    const fs::path out = fs::path(pdf).replace_extension(".txt");
    if (!RunTool(u"/usr/bin/pdftotext", {u"-layout", CString::FromUtf8(pdf.string()), CString::FromUtf8(out.string())}))
        return {};
    std::ifstream in(out, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The first page of a PDF as a picture beside the others.
void PdfPicture(const fs::path& pdf, const std::string& name)
{
    const std::string prefix = uitest::ArtifactFolder("manager") + "/" + name;
    RunTool(u"/usr/bin/pdftoppm", {u"-png", u"-r", u"70", u"-f", u"1", u"-l", u"1", u"-singlefile",
                                   CString::FromUtf8(pdf.string()), CString::FromUtf8(prefix)});
}


// File > Print preview of the shown pane: a picture of the first page.
void PreviewPicture(ManagerWorld& world, const std::string& name)
{
    uitest::RunModal([&] {
        world.Command(ID_FILE_PRINT_PREVIEW);
        return INT_PTR(IDOK);
    },
    [] { return platform::ui::GridPreviewWindow(); },
    [&](uitest::DialogDriver& d) {
        QWidget* widget = d.Widget(d.Dialog());
        if (widget) widget->grab().save(QString::fromStdString(uitest::ArtifactFolder("manager") + "/" + name));
        d.Click(IDCANCEL);
    });
}

class ManagerPanesTest : public ::testing::TestWithParam<const char*> {
protected:
    ManagerPanesTest()
    {
        emu::ControllerModel& c = emulator.AddController(1, "Q05");
        c.SetControllerName("KX-Q05");
        c.SetRobot("SA4-L06");
        emu::PointFields p{};
        p[0] = 1;      // M
        p[1] = 1000;   // P
        p[2] = 100;    // S
        p[3] = 100;
        p[4] = 100;
        p[5] = 100;
        c.SetPoint(1, p);
    }
    void TearDown() override { uitest::FlushDeletedWidgets(); }

    emu::Emulator emulator;
};

TEST_P(ManagerPanesTest, PointsAreShownEditedByPasteMarkedWrittenAndUnmarked)
{
    const std::string language = GetParam();
    ASSERT_FALSE(emulator.ServePty().empty()) << emulator.LastError();
    ManagerWorld world(language.c_str());
    world.MapPorts({{kCom, emulator.PtyPath()}});
    ASSERT_TRUE(world.Start());
    world.Boxes().Answer(IDOK, u"KX-Q05");
    ASSERT_EQ(world.NewOnline(kCom, u"Line"), IDOK);
    CChildFrame* child = world.Active();
    ASSERT_NE(child, nullptr);
    CRightpaneFormView* right = child->GetRightpaneFormView();
    ASSERT_NE(right, nullptr);

    // Room for the panes, as a person gives them.
    world.Frame().MoveWindow(0, 0, 1200, 860);
    child->ShowWindow(SW_SHOWMAXIMIZED);
    uitest::Pump(10);
    world.Grab("panes-information-" + language + ".png");
    ShowPane(child, 1);
    EXPECT_EQ(right->CurrentSlot(), 1);
    CPointTableGrid& grid = right->PointTable().Grid();
    ASSERT_EQ(grid.GetRows(), CPointTableGrid::kFixedRows + kPointCount);
    const int row1 = CPointTableGrid::RowOfSlot(0);
    EXPECT_EQ(grid.GetCellText(row1, 2), CString(u"10.00")) << "P of point 1 with two position decimals";
    EXPECT_FALSE(grid.GetCellBold(row1, 2));
    world.Grab("panes-points-" + language + ".png");

    // A whole point pasted on the empty slot 2, field by field.
    const int row2 = CPointTableGrid::RowOfSlot(1);
    grid.SelectCell(row2, 2, TRUE);
    ASSERT_TRUE(CFlxGrid::PlaceClipboardText(grid.GetSafeHwnd(),
                                             CPointTableGrid::MoveTypeName(2) + u"\t25.5\t50\t60\t70\t80\t0\t0\t0.1\t0\t0\t0\t0"));
    world.Command(ID_EDIT_PASTE);
    EXPECT_EQ(grid.GetCellText(row2, 1), CPointTableGrid::MoveTypeName(2));
    EXPECT_EQ(grid.GetCellText(row2, 2), CString(u"25.50"));
    EXPECT_TRUE(grid.GetCellBold(row2, 2)) << "the new value is marked";
    EXPECT_EQ(grid.GetCellBackColor(row2, 2), CFlxGrid::kChangedBackColor);

    // A line copied with its label (14 cells) lands field by field too.
    const int row3 = CPointTableGrid::RowOfSlot(2);
    grid.SelectCell(row3, 5, TRUE);
    ASSERT_TRUE(CFlxGrid::PlaceClipboardText(grid.GetSafeHwnd(),
                                             u"P3\t" + CPointTableGrid::MoveTypeName(1) + u"\t-12.34\t50\t60\t70\t80\t0\t0\t0.1\t0\t0\t0\t0"));
    world.Command(ID_EDIT_PASTE);
    EXPECT_EQ(grid.GetCellText(row3, 1), CPointTableGrid::MoveTypeName(1));
    EXPECT_EQ(grid.GetCellText(row3, 2), CString(u"-12.34"));
    EXPECT_EQ(grid.GetCellText(row3, 5), CString(u"70"));
    emu::ControllerModel& model = emulator.Controller(1);

    // The point input dialog: the grid follows the data it changed, and the
    // user's clipboard is left alone.
    ASSERT_TRUE(CFlxGrid::PlaceClipboardText(grid.GetSafeHwnd(), u"the user's own text"));
    grid.SelectCell(row3, 2, TRUE);
    const HWND frameHwnd = world.FrameHwnd();
    uitest::RunModal([&] {
        world.Command(32804);
        return INT_PTR(IDOK);
    },
    [&] {
        const HWND active = ::GetActiveWindow();
        return active != frameHwnd ? active : HWND();
    },
    [](uitest::DialogDriver& d) {
        d.Retype(IDC_PI_P, u"-20");
        d.Click(IDOK);
    });
    EXPECT_EQ(grid.GetCellText(row3, 2), CString(u"-20.00"));
    EXPECT_TRUE(grid.GetCellBold(row3, 2));
    EXPECT_EQ(ClipboardText(), u"the user's own text");
    EXPECT_FALSE(model.PointUsed(3)) << "nothing is written before the user writes";

    // Text that is no number is refused: the field keeps its value.
    grid.SelectCell(row1, 2, TRUE);
    ASSERT_TRUE(CFlxGrid::PlaceClipboardText(grid.GetSafeHwnd(), u"abc"));
    world.Command(ID_EDIT_PASTE);
    EXPECT_EQ(grid.GetCellText(row1, 2), CString(u"10.00"));

    // A deleted P takes its default.
    grid.SelectCell(row1, 2, TRUE);
    world.Command(ID_EDIT_CLEAR);
    EXPECT_EQ(grid.GetCellText(row1, 2), CString(u"0.00"));
    EXPECT_TRUE(grid.GetCellBold(row1, 2));

    // Write to the controller: the emulator holds the points, the marks clear.
    world.Boxes().Answer(IDOK);
    world.Boxes().Answer(IDOK);
    world.Command(IDM_WRITE_CONTROLLER);
    EXPECT_TRUE(model.PointUsed(2));
    EXPECT_EQ(model.Point(2)[1], 2550);
    EXPECT_EQ(model.Point(2)[0], 2);
    EXPECT_EQ(model.Point(1)[1], 0);
    EXPECT_EQ(model.Point(3)[1], -2000);
    EXPECT_FALSE(grid.GetCellBold(row2, 2));
    EXPECT_FALSE(grid.GetCellBold(row1, 2));

    // File > Print of the points: a PDF with the headings and the points
    // (read once the program has ended: the status poll of a live window
    // must not wait on a test that reads a file).
    const fs::path pointsPdf = world.Folder() / ("points-" + language + ".pdf");
    {
        PdfPrintDialogs dialogs(pointsPdf);
        world.Command(ID_FILE_PRINT);
        ASSERT_TRUE(fs::exists(pointsPdf));
    }
    PreviewPicture(world, "panes-points-preview-" + language + ".png");

    // The parameter groups.
    ShowPane(child, 3);
    EXPECT_EQ(right->CurrentSlot(), 3);
    EXPECT_EQ(right->Parameter().Group(), 'M');
    world.Grab("panes-parameters-M-" + language + ".png");
    const fs::path parametersPdf = world.Folder() / ("parameters-" + language + ".pdf");
    {
        PdfPrintDialogs dialogs(parametersPdf);
        world.Command(ID_FILE_PRINT);
        ASSERT_TRUE(fs::exists(parametersPdf));
    }
    PreviewPicture(world, "panes-parameters-preview-" + language + ".png");
    ShowPane(child, 6);
    world.Grab("panes-parameters-C-" + language + ".png");
    world.Quit();

    const std::string text = PdfText(pointsPdf);
    EXPECT_NE(text.find("KX-Q05"), std::string::npos);
    EXPECT_NE(text.find("P255"), std::string::npos) << "every point is printed";
    EXPECT_NE(text.find("25.50"), std::string::npos);
    PdfPicture(pointsPdf, "panes-points-printed-" + language);
    PdfPicture(parametersPdf, "panes-parameters-printed-" + language);
}

INSTANTIATE_TEST_SUITE_P(Languages, ManagerPanesTest, ::testing::Values("en", "ja"));

}  // namespace

namespace {

using namespace mgrtest;

class ManagerParameterPaneTest : public ::testing::Test {
protected:
    ManagerParameterPaneTest()
    {
        emu::ControllerModel& c = emulator.AddController(1, "Q05");
        c.SetControllerName("KX-Q05");
        c.SetRobot("SA4-L06");
        c.SetParameter(72, 3);  // three position decimals
        c.SetParameter(9, 80);
        c.SetParameter(66, 9);  // a home return method no choice names
        emu::PointFields p{};
        p[0] = 1;
        p[1] = 1234;
        p[2] = 100;
        p[3] = 100;
        p[4] = 100;
        p[5] = 100;
        c.SetPoint(1, p);
    }
    void TearDown() override { uitest::FlushDeletedWidgets(); }

    emu::Emulator emulator;
};

TEST_F(ManagerParameterPaneTest, RangesChoicesAccessLevelAndDecimals)
{
    ASSERT_FALSE(emulator.ServePty().empty()) << emulator.LastError();
    ManagerWorld world;
    world.MapPorts({{kCom, emulator.PtyPath()}});
    ASSERT_TRUE(world.Start());
    world.Boxes().Answer(IDOK, u"KX-Q05");
    ASSERT_EQ(world.NewOnline(kCom, u"Line"), IDOK);
    CChildFrame* child = world.Active();
    ASSERT_NE(child, nullptr);
    CRightpaneFormView* right = child->GetRightpaneFormView();
    ASSERT_NE(right, nullptr);

    SCOPED_TRACE("a choice text is looked up by value; a value that is none is shown as it is");
    CString homing;
    right->Information().GetDlgItemText(IDC_INFO_EXTRA_FIRST + 3, homing);
    EXPECT_EQ(homing, CString(u"9"));

    SCOPED_TRACE("decimals by K72: positions with three decimals");
    ShowPane(child, 1);
    CPointTableGrid& points = right->PointTable().Grid();
    EXPECT_EQ(points.GetCellText(CPointTableGrid::RowOfSlot(0), 2), CString(u"1.234"));

    ShowPane(child, 3);
    CParameterGrid& grid = right->Parameter().Grid();
    const int k1 = grid.RowOfIndex(0);
    ASSERT_GT(k1, 0);
    EXPECT_NE(grid.GetCellText(k1, CParameterGrid::kValueCol).Find(u'.'), -1) << "K1 takes the decimals of K72";
    EXPECT_EQ(grid.GetCellText(k1, CParameterGrid::kValueCol).GetLength() -
                  grid.GetCellText(k1, CParameterGrid::kValueCol).Find(u'.') - 1,
              3);

    SCOPED_TRACE("a value out of range is refused with a message");
    const int k9 = grid.RowOfIndex(8);
    ASSERT_GT(k9, 0);
    EXPECT_EQ(grid.GetCellText(k9, CParameterGrid::kValueCol), CString(u"80"));
    grid.SetFocus();
    grid.SetCurrentCell(k9, CParameterGrid::kValueCol);
    world.Boxes().Answer(IDOK, u"150");
    Type(u"150");
    Key(Qt::Key_Return);
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u) << "the message was shown";
    EXPECT_EQ(grid.GetCellText(k9, CParameterGrid::kValueCol), CString(u"80"));
    EXPECT_EQ(world.App().MainFrame() != nullptr, true);

    SCOPED_TRACE("a value within the range is taken and marked");
    grid.SetCurrentCell(k9, CParameterGrid::kValueCol);
    Type(u"55");
    Key(Qt::Key_Return);
    EXPECT_EQ(grid.GetCellText(k9, CParameterGrid::kValueCol), CString(u"55"));
    EXPECT_TRUE(grid.GetCellBold(k9, CParameterGrid::kValueCol));

    SCOPED_TRACE("a choice row shows its choice text, a value that is no choice as it is");
    const int k4 = grid.RowOfIndex(3);
    ASSERT_GT(k4, 0);
    const ParamDef* def = grid.DefOfRow(k4);
    ASSERT_NE(def, nullptr);
    ASSERT_TRUE(def->IsList());
    EXPECT_EQ(grid.GetCellText(k4, CParameterGrid::kValueCol), def->choiceTexts.front());
    const int k66 = grid.RowOfIndex(65);
    ASSERT_GT(k66, 0);
    EXPECT_EQ(grid.GetCellText(k66, CParameterGrid::kValueCol), CString(u"9"));
    EXPECT_EQ(grid.GetCellBackColor(k66, CParameterGrid::kValueCol), CFlxGrid::kChangedBackColor) << "marked";

    SCOPED_TRACE("a row gated by the access level appears after the access code");
    ShowPane(child, 6);
    const int k94 = grid.RowOfIndex(93);
    ASSERT_GT(k94, 0);
    EXPECT_EQ(grid.GetRowHeight(k94), 0);
    EnterAccessCode(world, u"valmoth");
    ASSERT_EQ(world.App().GetAccessLevel(), 2);
    EXPECT_GT(grid.GetRowHeight(k94), 0);

    SCOPED_TRACE("the new value reaches the controller by its own number");
    world.Boxes().Answer(IDOK);
    world.Boxes().Answer(IDOK);
    world.Command(IDM_WRITE_CONTROLLER);
    EXPECT_EQ(emulator.Controller(1).Parameter(9), 55);
    EXPECT_FALSE(grid.GetCellBold(k9, CParameterGrid::kValueCol));
    world.Quit();
}

// A payload typed into the table gives its acceleration limit, as the motion
// library figures it from the controller's derating parameters.
TEST_F(ManagerParameterPaneTest, APayloadChangeRecomputesItsAccelerationLimit)
{
    emu::ControllerModel& c = emulator.Controller(1);
    const std::array<std::pair<int, int32_t>, 8> derating = {{
        {47, 100}, {48, 980}, {49, 100}, {50, 0}, {55, -2}, {56, -4}, {57, -1}, {58, -2},
    }};
    for (const auto& [k, value] : derating) c.SetParameter(k, value);
    c.SetParameter(76, 2);
    c.SetParameter(77, 940);
    ManagerWorld world;
    CChildFrame* child = world.StartOnline(kCom, emulator.ServePty(), u"Line");
    ASSERT_NE(child, nullptr) << emulator.LastError();
    ShowPane(child, 3);
    CParameterGrid& grid = child->GetRightpaneFormView()->Parameter().Grid();

    LoadedLibrary library(kMotionLibraryName);
    const auto accCalc = library.Bind<PFN_DllAccCalc>("DllAccCalc");
    ASSERT_NE(accCalc, nullptr);
    const auto figure = [&](int32_t payload) {
        return accCalc(payload, c.Parameter(48), c.Parameter(49), c.Parameter(50), c.Parameter(55), c.Parameter(56),
                       c.Parameter(57), c.Parameter(58));
    };
    ASSERT_EQ(figure(0), 980) << "no payload: the full acceleration";
    ASSERT_EQ(figure(100), 100) << "the heaviest: the minimum";

    const struct {
        int payloadK;
        int32_t payload;
    } cases[] = {{76, 0}, {76, 15}, {76, 2}, {76, 40}, {76, 100}, {78, 7}, {78, 25}};
    for (const auto& row : cases) {
        SCOPED_TRACE("K" + std::to_string(row.payloadK) + " = " + std::to_string(row.payload));
        const int payloadRow = grid.RowOfIndex(KParamIndex(row.payloadK));
        const int limitRow = grid.RowOfIndex(KParamIndex(row.payloadK + 1));
        ASSERT_GT(payloadRow, 0);
        ASSERT_GT(limitRow, 0);
        grid.SetFocus();
        grid.SetCurrentCell(payloadRow, CParameterGrid::kValueCol);
        Type(std::u16string(CString::FromUtf8(std::to_string(row.payload)).GetString()));
        Key(Qt::Key_Return);
        EXPECT_EQ(grid.GetCellText(limitRow, CParameterGrid::kValueCol).ToUtf8(),
                  FormatFixedDecimals(figure(row.payload), 2).ToUtf8());
    }
    EXPECT_TRUE(world.Grab("panes-parameters-payload.png"));

    // What is written is the limit of the payload written with it.
    world.Boxes().Answer(IDOK).Answer(IDOK);
    world.Command(IDM_WRITE_CONTROLLER);
    EXPECT_EQ(world.Boxes().PendingAnswers(), 0u);
    EXPECT_EQ(c.Parameter(76), 100);
    EXPECT_EQ(c.Parameter(77), figure(100));
    EXPECT_EQ(c.Parameter(78), 25);
    EXPECT_EQ(c.Parameter(79), figure(25));
    world.Quit();
}

}  // namespace
