// The hourglass of long operations (CCmdTarget::BeginWaitCursor) as the
// application's override cursor, and the pointer services without windows.
#include "DrawTestSupport.h"

#include "platform/core/CmdTarget.h"
#include "platform/ui/InputServices.h"

#include <QCursor>
#include <QGuiApplication>

#include <thread>

namespace {

Qt::CursorShape Shown()
{
    const QCursor* c = QGuiApplication::overrideCursor();
    return c ? c->shape() : Qt::BitmapCursor;  // BitmapCursor: no override at all
}

// Every override a test leaves behind is taken away again.
class WaitCursorTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        while (platform::WaitCursorDepth() > 0) m_target.EndWaitCursor();
        while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
    }
    CCmdTarget m_target;
};

TEST_F(WaitCursorTest, NestedWaitsShowOneHourglassUntilTheLastEnds)
{
    EXPECT_EQ(Shown(), Qt::BitmapCursor);
    m_target.BeginWaitCursor();
    EXPECT_EQ(Shown(), Qt::WaitCursor);
    CCmdTarget other;
    other.BeginWaitCursor();
    EXPECT_EQ(platform::WaitCursorDepth(), 2);
    other.EndWaitCursor();
    EXPECT_EQ(Shown(), Qt::WaitCursor);
    m_target.EndWaitCursor();
    EXPECT_EQ(Shown(), Qt::BitmapCursor);
    EXPECT_EQ(platform::WaitCursorDepth(), 0);
}

TEST_F(WaitCursorTest, AnEndWithoutABeginLeavesOtherCursorsAlone)
{
    QGuiApplication::setOverrideCursor(Qt::PointingHandCursor);
    m_target.EndWaitCursor();
    EXPECT_EQ(Shown(), Qt::PointingHandCursor);
    EXPECT_EQ(platform::WaitCursorDepth(), 0);
}

TEST_F(WaitCursorTest, RestoreBringsTheHourglassBackAndEndTakesAllOfItAway)
{
    m_target.BeginWaitCursor();
    // A dialog shows its own cursor over the hourglass.
    QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    m_target.RestoreWaitCursor();
    EXPECT_EQ(Shown(), Qt::WaitCursor);
    QGuiApplication::restoreOverrideCursor();  // the dialog's
    m_target.EndWaitCursor();
    EXPECT_EQ(Shown(), Qt::BitmapCursor);
    // Restoring without a wait shows nothing.
    m_target.RestoreWaitCursor();
    EXPECT_EQ(Shown(), Qt::BitmapCursor);
}

TEST_F(WaitCursorTest, AWorkersWaitIsShownOnTheGuiThread)
{
    std::thread worker([] {
        CCmdTarget target;
        target.BeginWaitCursor();
    });
    worker.join();
    EXPECT_EQ(Shown(), Qt::BitmapCursor);  // not before the GUI thread gets to it
    QCoreApplication::processEvents();
    EXPECT_EQ(Shown(), Qt::WaitCursor);
    EXPECT_EQ(platform::WaitCursorDepth(), 1);
}

TEST(PointerServices, DoubleClickTimeAndPointerMove)
{
    EXPECT_GT(GetDoubleClickTime(), 0u);
    EXPECT_LT(GetDoubleClickTime(), 5000u);
    EXPECT_TRUE(SetCursorPos(10, 20));
    BOOL fromWorker = TRUE;
    std::thread worker([&] { fromWorker = SetCursorPos(1, 2); });
    worker.join();
    EXPECT_FALSE(fromWorker);
}

}  // namespace
