#include "manager/app/ModelessPlacement.h"

#include <gtest/gtest.h>

#include <ostream>

inline std::ostream& operator<<(std::ostream& out, const RECT& r)
{
    return out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}

namespace {

// A 1280 x 1024 screen: the main window fills it, its bars end at 110, and
// the controller window below them is wide or maximised.
constexpr RECT kScreen{0, 0, 1280, 1024};
constexpr RECT kBars{0, 0, 1280, 110};

bool Overlap(const RECT& a, const RECT& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

TEST(ModelessPlacement, BesideTheControllerWindowElseInsideItsLowerRightCornerNeverOverTheBars)
{
    struct Row {
        const char* name;
        RECT controller;
        std::vector<RECT> taken;
        SIZE window;
        RECT expected;
    };
    const Row rows[] = {
        {"room on the right", {0, 60, 800, 700}, {}, {300, 120}, {800, 110, 1100, 230}},
        {"room on the left only", {400, 60, 1280, 700}, {}, {300, 120}, {100, 110, 400, 230}},
        {"stacked below a window already there", {0, 60, 800, 700}, {{800, 110, 1100, 230}}, {300, 400},
         {800, 230, 1100, 630}},
        {"maximised: inside, lower right", {0, 60, 1280, 1000}, {}, {360, 130}, {920, 870, 1280, 1000}},
        {"maximised: the next one above it", {0, 60, 1280, 1000}, {{920, 870, 1280, 1000}}, {580, 330},
         {700, 540, 1280, 870}},
        {"too tall for the screen: kept on it, below the bars", {0, 60, 1280, 1000}, {}, {600, 1100},
         {680, 110, 1280, 1024}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ModelessRoom room;
        room.screen = kScreen;
        room.controller = row.controller;
        room.keepClear = kBars;
        room.taken = row.taken;
        const RECT placed = PlaceModelessWindow(row.window, room);
        EXPECT_EQ(placed, row.expected);
        EXPECT_FALSE(Overlap(placed, kBars));
        EXPECT_GE(placed.left, kScreen.left);
        EXPECT_GE(placed.top, kScreen.top);
        EXPECT_LE(placed.right, kScreen.right);
        EXPECT_LE(placed.bottom, kScreen.bottom);
    }
}

TEST(ModelessPlacement, AWindowMovedOffTheScreenOrOverTheBarsComesBack)
{
    ModelessRoom room;
    room.screen = kScreen;
    room.keepClear = kBars;
    const std::pair<RECT, RECT> rows[] = {
        {{0, 0, 300, 100}, {0, 110, 300, 210}},            // over the menu bar
        {{1200, 500, 1500, 600}, {980, 500, 1280, 600}},    // past the right edge
        {{-50, 990, 250, 1090}, {0, 924, 300, 1024}},       // past the lower left corner
        {{500, 400, 800, 500}, {500, 400, 800, 500}},       // where it may stay
    };
    for (const auto& [given, expected] : rows) {
        SCOPED_TRACE(testing::Message() << given);
        EXPECT_EQ(KeepModelessWindowClear(given, room), expected);
    }
}

}  // namespace
