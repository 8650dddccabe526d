#include "popup/placement.h"

#include <gtest/gtest.h>

#include "popup/tray_fixtures.h"

namespace tdx {
namespace {

using test::MakeTrays;

ScreenFacts SingleScreen(PixelPoint mouse) {
    ScreenFacts s;
    s.Mouse = mouse;
    s.Monitors = std::vector<PixelRect>{{0, 0, 1024, 768}};
    s.PrimaryScreen = {1024, 768};
    s.Taskbar = PixelRect{0, 738, 1024, 768};
    return s;
}

TEST(Placement, BottomRightCornerAboveTheTaskbar) {
    const ScreenFacts screen = SingleScreen({1020, 760});
    EXPECT_EQ(PlacementLimits(screen), (PixelRect{0, 0, 1024, 706}));
    const PixelPoint anchor{30, 38};
    const CursorPlacement moved = PlaceFormAtCursor({298, 216}, anchor, true, screen);
    EXPECT_EQ(moved.TopLeft, (PixelPoint{710, 474}));
    EXPECT_EQ(moved.NewMouse, (PixelPoint{740, 512}));
    const CursorPlacement kept = PlaceFormAtCursor({298, 216}, anchor, false, screen);
    EXPECT_EQ(kept.TopLeft, (PixelPoint{710, 474}));
    EXPECT_FALSE(kept.NewMouse.has_value());
}

TEST(Placement, AnchorLandsUnderTheMouseWhenThereIsRoom) {
    const CursorPlacement p = PlaceFormAtCursor({298, 216}, {30, 38}, true, SingleScreen({400, 300}));
    EXPECT_EQ(p.TopLeft, (PixelPoint{370, 262}));
    EXPECT_EQ(p.NewMouse, (PixelPoint{400, 300}));  // the mouse stays where it is
}

TEST(Placement, LeftAndTopLimitsAreTouchedWithoutGap) {
    const CursorPlacement p = PlaceFormAtCursor({298, 216}, {149, 108}, true, SingleScreen({5, 3}));
    EXPECT_EQ(p.TopLeft, (PixelPoint{0, 0}));
    EXPECT_EQ(p.NewMouse, (PixelPoint{149, 108}));
}

TEST(Placement, RightEdgeIsReachedAtEquality) {
    // window width + p.x - ax == r.right counts as crossing.
    const ScreenFacts screen = SingleScreen({726, 100});
    EXPECT_EQ(PlaceFormAtCursor({298, 216}, {0, 0}, false, screen).TopLeft.X, 710);
    EXPECT_EQ(PlaceFormAtCursor({298, 216}, {0, 0}, false, SingleScreen({725, 100})).TopLeft.X, 725);
}

TEST(Placement, WindowLargerThanTheLimitsKeepsTheRightGap) {
    const CursorPlacement p = PlaceFormAtCursor({1200, 900}, {0, 0}, false, SingleScreen({10, 10}));
    EXPECT_EQ(p.TopLeft, (PixelPoint{1024 - 1200 - 16, 706 - 900 - 16}));
}

TEST(Placement, SecondMonitorHasItsOwnLimitsAndNoTaskbar) {
    ScreenFacts screen = SingleScreen({2000, 760});
    screen.Monitors->push_back({1024, 0, 2304, 1024});
    EXPECT_EQ(PlacementLimits(screen), (PixelRect{1024, 0, 2304, 1024}));
    const CursorPlacement p = PlaceFormAtCursor({298, 216}, {30, 38}, false, screen);
    EXPECT_EQ(p.TopLeft, (PixelPoint{1970, 722}));
    screen.Mouse = {2290, 1020};
    EXPECT_EQ(PlaceFormAtCursor({298, 216}, {30, 38}, false, screen).TopLeft,
              (PixelPoint{2304 - 298 - 16, 1024 - 216 - 16}));
    // A monitor left of the primary one.
    screen.Monitors->push_back({-1280, 0, 0, 1024});
    screen.Mouse = {-1275, 5};
    EXPECT_EQ(PlaceFormAtCursor({298, 216}, {30, 38}, false, screen).TopLeft,
              (PixelPoint{-1280, 0}));
}

TEST(Placement, SharedEdgeGoesToTheLastMonitorListed) {
    ScreenFacts screen = SingleScreen({1024, 100});
    screen.Monitors->push_back({1024, 0, 2048, 768});
    // The point lies on both; the later monitor gives the limits, the first one's
    // taskbar still applies.
    EXPECT_EQ(PlacementLimits(screen), (PixelRect{1024, 0, 2048, 706}));
}

TEST(Placement, MouseOutsideEveryMonitorFallsBackToThePrimaryScreen) {
    ScreenFacts screen = SingleScreen({5000, 5000});
    EXPECT_EQ(PlacementLimits(screen), (PixelRect{0, 0, 1024, 768}));
    screen.Monitors.reset();  // no enumeration: primary screen with its taskbar
    EXPECT_EQ(PlacementLimits(screen), (PixelRect{0, 0, 1024, 706}));
    screen.Monitors = std::vector<PixelRect>{};
    EXPECT_EQ(PlacementLimits(screen), (PixelRect{0, 0, 1024, 768}));
}

TEST(Placement, TaskbarAtEachEdge) {
    ScreenFacts screen = SingleScreen({10, 10});
    screen.Taskbar = PixelRect{964, 0, 1024, 768};  // right
    EXPECT_EQ(PlacementLimits(screen), (PixelRect{0, 0, 964, 768}));
    screen.Taskbar = PixelRect{0, 0, 1024, 30};  // top: nothing changes
    EXPECT_EQ(PlacementLimits(screen), (PixelRect{0, 0, 1024, 768}));
    screen.Taskbar = PixelRect{0, 0, 60, 768};  // left: nothing changes
    EXPECT_EQ(PlacementLimits(screen), (PixelRect{0, 0, 1024, 768}));
    screen.Taskbar.reset();
    EXPECT_EQ(PlacementLimits(screen), (PixelRect{0, 0, 1024, 768}));
}

TEST(Placement, AnchorForEachMousePosition) {
    const TrayLayout layout = LayoutTrays(MakeTrays(1, 1, 1), 7);
    EXPECT_EQ(PopupAnchor(0, layout.Window, layout.PaintBox[0]), (PixelPoint{30, 38}));
    EXPECT_EQ(PopupAnchor(1, layout.Window, layout.PaintBox[1]), (PixelPoint{30, 96}));
    EXPECT_EQ(PopupAnchor(2, layout.Window, layout.PaintBox[2]), (PixelPoint{30, 154}));
    EXPECT_EQ(PopupAnchor(3, layout.Window, layout.PaintBox[0]), (PixelPoint{149, 108}));
    EXPECT_EQ(PopupAnchor(-1, layout.Window, layout.PaintBox[2]), (PixelPoint{30, 154}));
}

TEST(Placement, PopupAtTheMouseUsesTheStartingTrayAndMoveCursorFlag) {
    OptionSet options;
    options.MousePositionFlag = 1;
    options.MoveCursorFlag = true;
    const TrayLayout layout = LayoutTrays(MakeTrays(1, 1, 1), 7);
    const CursorPlacement p = PlacePopupAtMouse(options, layout, 1, SingleScreen({400, 300}));
    EXPECT_EQ(p.TopLeft, (PixelPoint{370, 204}));
    EXPECT_EQ(p.NewMouse, (PixelPoint{400, 300}));
    options.MoveCursorFlag = false;
    EXPECT_FALSE(PlacePopupAtMouse(options, layout, 1, SingleScreen({400, 300})).NewMouse);
    options.MousePositionFlag = 3;
    EXPECT_EQ(PlacePopupAtMouse(options, layout, 0, SingleScreen({400, 300})).TopLeft,
              (PixelPoint{251, 192}));
}

TEST(Placement, CentredOnThePrimaryScreen) {
    EXPECT_EQ(CenterFormOnScreen({298, 216}, {1024, 768}), (PixelPoint{363, 276}));
    EXPECT_EQ(CenterFormOnScreen({1101, 800}, {1024, 768}), (PixelPoint{-38, -16}));
}

TEST(Placement, AlignToEachPositionOfTheAnchor) {
    const PixelSize screen{1024, 768};
    const PixelSize w{100, 50};
    const PixelPoint at{200, 300};
    const PixelSize anchor{300, 150};
    const PixelPoint expected[9] = {{200, 350}, {300, 300}, {400, 350}, {300, 400}, {300, 350},
                                    {200, 300}, {400, 300}, {200, 400}, {400, 400}};
    for (int pos = 0; pos < 9; ++pos)
        EXPECT_EQ(AlignFormToRect(w, at, anchor, pos, screen), expected[pos]) << "position " << pos;
}

TEST(Placement, AlignKeepsOffTheRightAndBottomOnly) {
    const PixelSize screen{1024, 768};
    EXPECT_EQ(AlignFormToRect({200, 100}, {900, 700}, {50, 50}, 5, screen),
              (PixelPoint{1024 - 200 - 16, 768 - 100 - 16}));
    EXPECT_EQ(AlignFormToRect({200, 100}, {824, 668}, {0, 0}, 5, screen), (PixelPoint{808, 652}));
    EXPECT_EQ(AlignFormToRect({200, 100}, {823, 667}, {0, 0}, 5, screen), (PixelPoint{823, 667}));
    EXPECT_EQ(AlignFormToRect({400, 300}, {-50, -40}, {100, 100}, 4, screen),
              (PixelPoint{-200, -140}));
}

TEST(StartingTray, GestureUsesMousePositionAndHotkeyKeyCursor) {
    const Trays trays = MakeTrays(2, 2, 2);
    OptionSet options;
    options.MousePositionFlag = 2;
    options.KeyCursorFlag = 1;
    EXPECT_EQ(ChooseStartingTray(kPopupByGesture, options, trays), 2);
    EXPECT_EQ(ChooseStartingTray(kPopupByHotkey, options, trays), 1);
    options.MousePositionFlag = 3;
    EXPECT_EQ(ChooseStartingTray(kPopupByGesture, options, trays), 0);
    options.MousePositionFlag = -1;
    EXPECT_EQ(ChooseStartingTray(kPopupByGesture, options, trays), 0);
    options.KeyCursorFlag = 7;
    EXPECT_EQ(ChooseStartingTray(kPopupByHotkey, options, trays), 0);
}

TEST(StartingTray, EmptyTrayGivesWayToTheFirstWithEntries) {
    OptionSet options;
    options.MousePositionFlag = 1;
    EXPECT_EQ(ChooseStartingTray(kPopupByGesture, options, MakeTrays(0, 0, 3)), 2);
    EXPECT_EQ(ChooseStartingTray(kPopupByGesture, options, MakeTrays(4, 0, 3)), 0);
    EXPECT_EQ(ChooseStartingTray(kPopupByGesture, options, MakeTrays(0, 0, 0)), 0);
    // Entries that are all switched off do not hold the cursor.
    Trays trays = MakeTrays(0, 0, 0);
    test::Fill(trays[kSystemTray], 0, 3);
    options.MousePositionFlag = 2;
    EXPECT_EQ(ChooseStartingTray(kPopupByGesture, options, trays), 0);
}

TEST(StartingTray, WhereThePopupGoes) {
    OptionSet options;
    options.MousePositionFlag = 0;
    options.MouseFlag = 1;
    options.KeyPositionFlag = false;
    EXPECT_FALSE(PlacesPopupAtMouse(kPopupByHotkey, options));
    EXPECT_TRUE(PlacesPopupAtMouse(kPopupByGesture, options));
    options.MousePositionFlag = -1;
    EXPECT_FALSE(PlacesPopupAtMouse(kPopupByGesture, options));
    options.KeyPositionFlag = true;
    EXPECT_TRUE(PlacesPopupAtMouse(kPopupByGesture, options));
    EXPECT_TRUE(PlacesPopupAtMouse(kPopupByHotkey, options));
    options.KeyPositionFlag = false;
    options.MousePositionFlag = 0;
    options.MouseFlag = 0;
    EXPECT_FALSE(PlacesPopupAtMouse(kPopupByGesture, options));
}

}  // namespace
}  // namespace tdx
