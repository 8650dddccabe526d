#include "popup/navigation.h"

#include <gtest/gtest.h>

#include "popup/tray_fixtures.h"

namespace tdx {
namespace {

using test::Entry;
using test::Fill;
using test::MakeTrays;

// One popup: trays, navigation state and options, with helpers to press keys.
struct Popup {
    Trays trays;
    NavigationState state;
    NavigationSettings settings;

    explicit Popup(Trays t) : trays(std::move(t)) { settings.Digits = test::UsDigits(); }

    PopupNavigator Nav() { return PopupNavigator(trays, state, settings); }
    PopupAction Press(std::uint32_t key, bool shift = false, bool ctrl = false) {
        return Nav().KeyDown({key, shift, ctrl});
    }
    void Put(std::int32_t tray, std::int32_t index) {
        state.ActiveTray = tray;
        trays[static_cast<std::size_t>(tray)].CursorIndex = index;
    }
    CursorCell Cursor() { return Nav().Cursor(); }
};

PopupAction RunOf(std::int32_t tray, std::int32_t index) {
    return {PopupCommand::RunEntry, tray, index};
}

TEST(Navigation, LeftAndRightWrapWithinTheRow) {
    Popup p(MakeTrays(10, 3, 4));
    p.Put(0, 9);
    p.Press(Vk::Right);
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 7}));
    p.Press(Vk::Left);
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 9}));
    EXPECT_EQ(p.state.RememberedColumn, 2);
    p.Put(0, 0);
    p.Press(Vk::Left);  // a full row wraps to its end
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 6}));
    p.Press(Vk::Right);
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 0}));
    EXPECT_EQ(p.state.RememberedColumn, 0);
}

TEST(Navigation, DownToAShorterRowAndOutOfTheLastRow) {
    Popup p(MakeTrays(10, 3, 4));
    p.Put(0, 2);
    p.Press(Vk::Down);
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 9}));
    p.Put(0, 5);
    p.Press(Vk::Down);
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 9}));
    p.state.RememberedColumn = 2;
    p.Press(Vk::Down);
    EXPECT_EQ(p.Cursor(), (CursorCell{1, 2}));
    EXPECT_EQ(p.trays[1].DrawnIndex, 2);
    EXPECT_EQ(p.trays[0].CursorIndex, 9);  // the left tray keeps its cursor
}

TEST(Navigation, RememberedColumnVersusHover) {
    Popup p(MakeTrays(10, 3, 4));
    p.Put(0, 7);
    p.Press(Vk::Right);
    p.Press(Vk::Right);
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 9}));
    p.Press(Vk::Up);
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 2}));

    Popup h(MakeTrays(10, 3, 4));
    EXPECT_TRUE(h.Nav().TrayMouseMove(0, 85, 10, {500, 500}, kPopupByGesture));
    EXPECT_EQ(h.Cursor(), (CursorCell{0, 2}));
    h.Press(Vk::Down);
    EXPECT_EQ(h.Cursor(), (CursorCell{0, 9}));
    h.Press(Vk::Up);  // hover left the remembered column at 0
    EXPECT_EQ(h.Cursor(), (CursorCell{0, 0}));
}

TEST(Navigation, TraysFormARingThatSkipsEmptyTrays) {
    Popup p(MakeTrays(3, 0, 10));
    p.Put(0, 1);
    p.Press(Vk::Up);  // first row of Program -> last row of System
    EXPECT_EQ(p.Cursor(), (CursorCell{2, 7}));
    p.Press(Vk::Down);  // last row of System -> first row of Program, Task skipped
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 0}));
    p.Press(Vk::Next);
    EXPECT_EQ(p.Cursor(), (CursorCell{2, 0}));
    p.Press(Vk::Right);  // remembered column 1
    p.Press(Vk::Prior);  // up into the last (only) row of Program
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 1}));
}

TEST(Navigation, EnteringATrayClampsTheRememberedColumn) {
    Popup p(MakeTrays(10, 2, 9));
    p.Put(0, 5);
    p.Press(Vk::Right);  // remembered column 6
    p.Press(Vk::Down);   // 6 + 7 = 13 is beyond 10: the shorter row's last entry
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 9}));
    p.Press(Vk::Down);
    EXPECT_EQ(p.Cursor(), (CursorCell{1, 1}));  // 6 is beyond the two tasks
    p.Press(Vk::Next);
    EXPECT_EQ(p.Cursor(), (CursorCell{2, 6}));
    p.Press(Vk::Prior);  // back up into the Task tray's last row
    EXPECT_EQ(p.Cursor(), (CursorCell{1, 1}));
}

TEST(Navigation, PageKeysWithOneTrayMoveWithinIt) {
    Popup p(MakeTrays(0, 0, 16));
    p.Put(2, 3);
    p.Press(Vk::Next);
    EXPECT_EQ(p.Cursor(), (CursorCell{2, 10}));
    p.Press(Vk::Next);
    EXPECT_EQ(p.Cursor(), (CursorCell{2, 15}));
    p.Press(Vk::Next);  // last row and nowhere to go
    EXPECT_EQ(p.Cursor(), (CursorCell{2, 15}));
    p.Press(Vk::Prior);
    EXPECT_EQ(p.Cursor(), (CursorCell{2, 7}));
}

TEST(Navigation, TraysWithoutShownEntriesAreNotEntered) {
    Trays trays = MakeTrays(3, 0, 0);
    Fill(trays[kSystemTray], 0, 2);
    Popup p(std::move(trays));
    p.Press(Vk::Up);
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 0}));
    p.Press(Vk::Down);
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 0}));
}

TEST(Navigation, NothingShownKeepsTheCursorInPlace) {
    Popup p(MakeTrays(0, 0, 0));
    for (std::uint32_t key : {Vk::Left, Vk::Right, Vk::Up, Vk::Down, Vk::Prior, Vk::Next}) {
        p.Press(key);
        EXPECT_EQ(p.Cursor(), (CursorCell{0, 0})) << "key " << key;
    }
    p.Press('Q', false, true);
    p.Press('S');
    p.Press('Q', false, true);
    p.Press('D');
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 0}));
    EXPECT_EQ(p.Press(Vk::Space), PopupAction{});  // no entry to open a menu for
    EXPECT_EQ(p.Press('A'), PopupAction{});         // the search ends at once
}

TEST(Navigation, ControlKeysMapToTheirMoves) {
    Popup p(MakeTrays(10, 3, 4));
    p.Put(0, 8);
    p.Press('E', false, true);
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 0}));  // Up to remembered column 0
    p.Press('X', false, true);
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 7}));
    p.Press('D', false, true);
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 8}));
    p.Press('S', false, true);
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 7}));
    EXPECT_EQ(p.Press('M', false, true), RunOf(0, 7));
    EXPECT_EQ(p.Press('J', false, true).Command, PopupCommand::HidePopup);
    p.Put(1, 1);
    EXPECT_EQ(p.Press('G', false, true), (PopupAction{PopupCommand::CloseTask, 1, 1}));
    EXPECT_EQ(p.Press('H', false, true), (PopupAction{PopupCommand::CloseTask, 1, 0}));
    EXPECT_EQ(p.Press('A', false, true), PopupAction{});  // unmapped: no direct key entry has A
    p.Put(0, 7);
    // Without Ctrl the same letters are direct keys, not moves.
    p.Press('S');
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 7}));
}

TEST(Navigation, PrefixGoesToRowStartAndEnd) {
    Popup p(MakeTrays(10, 3, 4));
    p.Put(0, 4);
    p.Press('Q', false, true);
    EXPECT_EQ(p.state.PrefixCount, 1);
    p.Press('S');
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 0}));
    EXPECT_EQ(p.state.PrefixCount, 0);
    p.Press('Q', false, true);
    p.Press('D');
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 6}));
    EXPECT_EQ(p.state.RememberedColumn, 6);
    p.Put(0, 7);
    p.Press('Q', false, true);
    p.Press(Vk::Right);  // the short row ends at the last entry
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 9}));
    p.Press('S');  // the prefix applied to one key only
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 9}));
}

TEST(Navigation, PrefixTurnsPageDownIntoPageUp) {
    Popup p(MakeTrays(10, 3, 4));
    p.Put(0, 1);
    p.Press('Q', false, true);
    p.Press('C', false, true);
    EXPECT_EQ(p.Cursor(), (CursorCell{2, 0}));  // same row as Page Up would land in
    p.Put(0, 1);
    p.Press('Q', false, true);
    p.Press('C');
    EXPECT_EQ(p.Cursor(), (CursorCell{2, 0}));
    Popup up(MakeTrays(10, 3, 4));
    up.Press(Vk::Prior);
    EXPECT_EQ(up.Cursor(), (CursorCell{2, 0}));
    // And Page Up after the prefix goes down into the first row of the next tray.
    Popup down(MakeTrays(10, 3, 4));
    down.Put(0, 3);
    down.Press('Q', false, true);
    down.Press(Vk::Prior);
    EXPECT_EQ(down.Cursor(), (CursorCell{1, 0}));
}

TEST(Navigation, PrefixKeyTwiceCancels) {
    Popup p(MakeTrays(10, 3, 4));
    p.Put(0, 4);
    p.Press('Q', false, true);
    p.Press('Q');
    EXPECT_EQ(p.state.PrefixCount, 0);
    p.trays[0].Items[1].SetDirectKey('S');
    EXPECT_EQ(p.Press('S'), RunOf(0, 1));  // a direct key again, not "row start"
}

TEST(Navigation, ShowClearsCursorsAndAPendingPrefix) {
    Popup p(MakeTrays(10, 3, 4));
    p.Put(2, 3);
    p.trays[0].CursorIndex = 5;
    p.trays[1].DrawnIndex = 2;
    p.state.RememberedColumn = 4;
    p.Press('Q', false, true);
    p.state.PaintMousePos = PixelPoint{1, 1};
    ResetForShow(p.trays, p.state);
    EXPECT_EQ(p.state.ActiveTray, 0);
    EXPECT_EQ(p.state.RememberedColumn, 0);
    EXPECT_EQ(p.state.PrefixCount, 0);
    EXPECT_FALSE(p.state.PaintMousePos.has_value());
    for (const TrayState& t : p.trays) {
        EXPECT_EQ(t.CursorIndex, 0);
        EXPECT_EQ(t.DrawnIndex, 0);
    }
}

TEST(Navigation, TaskCommandsFromKeys) {
    Popup p(MakeTrays(2, 4, 2));
    p.Put(1, 2);
    EXPECT_EQ(p.Press(Vk::Space), (PopupAction{PopupCommand::ShowEntryMenu, 1, 2}));
    p.settings.RightClickFlag = 1;
    EXPECT_EQ(p.Press(Vk::Space), (PopupAction{PopupCommand::ShowOrMinimiseTask, 1, 2}));
    EXPECT_EQ(p.Press(Vk::Apps, false, true), (PopupAction{PopupCommand::CloseTask, 1, 2}));
    EXPECT_EQ(p.Press(Vk::Space, true, false), (PopupAction{PopupCommand::AllTasks, 1, 2, false}));
    EXPECT_EQ(p.Press(Vk::Space, true, true), (PopupAction{PopupCommand::AllTasks, 1, 2, true}));
    EXPECT_EQ(p.Press(Vk::Delete), (PopupAction{PopupCommand::CloseTask, 1, 2}));
    EXPECT_EQ(p.Press(Vk::Delete, true), (PopupAction{PopupCommand::AllTasks, 1, 2, true}));
    EXPECT_EQ(p.Press(Vk::Back), (PopupAction{PopupCommand::CloseTask, 1, 1}));
    EXPECT_EQ(p.Press(Vk::Back, true), (PopupAction{PopupCommand::AllTasks, 1, 2, true}));
    p.Put(1, 0);
    EXPECT_EQ(p.Press(Vk::Back), PopupAction{});
    // Outside the Task tray Space always opens the entry menu.
    p.Put(0, 1);
    EXPECT_EQ(p.Press(Vk::Space, true, true), (PopupAction{PopupCommand::ShowEntryMenu, 0, 1}));
    EXPECT_EQ(p.Press(Vk::Escape).Command, PopupCommand::HidePopup);
    EXPECT_EQ(p.Press(0x24 /* Home */), PopupAction{});
    EXPECT_EQ(p.Press(0x09 /* Tab */), PopupAction{});
}

TEST(Navigation, ClosingTasksSettlesTheCursor) {
    Popup p(MakeTrays(3, 4, 2));
    p.Put(1, 3);
    Fill(p.trays[kTaskTray], 3);  // the rebuilt list lost the last task
    p.Nav().SettleAfterCloseTask(kTaskTray);
    EXPECT_EQ(p.Cursor(), (CursorCell{1, 2}));
    EXPECT_EQ(p.state.RememberedColumn, 2);
    Fill(p.trays[kTaskTray], 1);
    p.trays[1].CursorIndex = 0;
    p.Nav().SettleAfterCloseTask(kTaskTray);
    EXPECT_EQ(p.Cursor(), (CursorCell{1, 0}));
    Fill(p.trays[kTaskTray], 0);
    p.trays[0].CursorIndex = 2;
    p.Nav().SettleAfterCloseTask(kTaskTray);
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 2}));
    EXPECT_EQ(p.state.RememberedColumn, 2);

    Popup noPrograms(MakeTrays(0, 0, 2));
    noPrograms.Put(1, 0);
    noPrograms.Nav().SettleAfterCloseTask(kTaskTray);
    EXPECT_EQ(noPrograms.state.ActiveTray, kSystemTray);
    // Delete on a Program entry changes nothing but the remembered column.
    Popup prog(MakeTrays(10, 0, 2));
    prog.Put(0, 9);
    prog.Nav().SettleAfterCloseTask(kProgramTray);
    EXPECT_EQ(prog.Cursor(), (CursorCell{0, 9}));
    EXPECT_EQ(prog.state.RememberedColumn, 2);
}

TEST(DirectKeys, DigitsPickTasksWhileNumbersAreNoKeys) {
    Popup p(MakeTrays(3, 10, 3));
    p.Put(0, 1);
    EXPECT_EQ(p.Press('1'), RunOf(1, 0));
    EXPECT_EQ(p.Press('0'), RunOf(1, 9));
    EXPECT_EQ(p.Press('5', true), RunOf(1, 4));  // Shift makes no difference
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 1}));  // the cursor does not move
    Fill(p.trays[kTaskTray], 3);
    EXPECT_EQ(p.Press('4'), PopupAction{});
    EXPECT_EQ(p.Press('0'), PopupAction{});
}

TEST(DirectKeys, DigitsAreOrdinaryKeysWhenNumbersAreKeys) {
    Popup p(MakeTrays(3, 10, 3));
    p.settings.KeyNumberFlag = true;
    p.trays[2].Items[1].SetDirectKey('1');
    p.trays[0].Items[2].SetDirectKey('@');  // Shift+2 on a US keyboard
    EXPECT_EQ(p.Press('1'), RunOf(2, 1));
    EXPECT_EQ(p.Cursor(), (CursorCell{2, 1}));
    EXPECT_EQ(p.Press('2', true), RunOf(0, 2));
    EXPECT_EQ(p.Press('2'), PopupAction{});
}

TEST(DirectKeys, SearchStepsThroughEntriesSharingAKey) {
    Popup p(MakeTrays(5, 2, 4));
    p.settings.DirectMoveOnlyFlag = true;
    p.trays[0].Items[1].SetDirectKey('A');
    p.trays[2].Items[3].SetDirectKey('A');
    p.Put(0, 1);
    EXPECT_EQ(p.Press('A'), PopupAction{});
    EXPECT_EQ(p.Cursor(), (CursorCell{2, 3}));
    p.Press('A');
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 1}));
    p.Press('A');
    EXPECT_EQ(p.Cursor(), (CursorCell{2, 3}));
    // A single entry with the key is found from itself: the lap ends on it.
    p.trays[0].Items[1].SetDirectKey(0);
    p.Press('A');
    EXPECT_EQ(p.Cursor(), (CursorCell{2, 3}));
    p.settings.DirectMoveOnlyFlag = false;
    EXPECT_EQ(p.Press('A'), RunOf(2, 3));
}

TEST(DirectKeys, ShiftAndFunctionKeysChangeTheCode) {
    Popup p(MakeTrays(6, 0, 0));
    p.trays[0].Items[1].SetDirectKey('A');
    p.trays[0].Items[2].SetDirectKey('a');
    p.trays[0].Items[3].SetDirectKey(0xC4);
    p.trays[0].Items[4].SetDirectKey(0xE4);
    p.trays[0].Items[5].SetDirectKey(0xCB);
    EXPECT_EQ(p.Press('A', true), RunOf(0, 2));
    EXPECT_EQ(p.Press('A'), RunOf(0, 1));
    EXPECT_EQ(p.Press(0x74), RunOf(0, 3));        // F5
    EXPECT_EQ(p.Press(0x74, true), RunOf(0, 4));  // Shift+F5
    EXPECT_EQ(p.Press(Vk::F12), RunOf(0, 5));
    EXPECT_EQ(p.Press('B'), PopupAction{});
}

TEST(DirectKeys, SwitchedOffEntriesAndTheTaskTrayAreNotSearched) {
    Trays trays = MakeTrays(2, 3, 0);
    Fill(trays[kSystemTray], 1, 1);
    trays[kSystemTray].Items[1].SetDirectKey('Z');  // switched off
    trays[kTaskTray].Items[0].SetDirectKey('Z');    // task entries carry no keys
    Popup p(std::move(trays));
    EXPECT_EQ(p.Press('Z'), PopupAction{});
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 0}));
}

TEST(DirectKeys, SearchFromTheTaskTrayStartsAfterTheFirstSystemEntry) {
    Popup p(MakeTrays(2, 3, 3));
    p.trays[2].Items[0].SetDirectKey('K');
    p.trays[0].Items[0].SetDirectKey('K');
    p.trays[2].Items[2].SetDirectKey('K');
    p.Put(1, 2);
    EXPECT_EQ(p.Press('K'), RunOf(2, 2));
    p.Put(1, 2);
    p.trays[2].Items[2].SetDirectKey(0);
    EXPECT_EQ(p.Press('K'), RunOf(0, 0));
    p.Put(1, 2);
    p.trays[0].Items[0].SetDirectKey(0);
    EXPECT_EQ(p.Press('K'), RunOf(2, 0));  // reached last
}

TEST(DirectKeys, SearchEndsWithEmptyTrays) {
    Popup onlyTasks(MakeTrays(0, 3, 0));
    onlyTasks.Put(1, 0);
    EXPECT_EQ(onlyTasks.Press('K'), PopupAction{});
    Popup noSystem(MakeTrays(2, 3, 0));
    noSystem.trays[0].Items[1].SetDirectKey('K');
    noSystem.Put(1, 0);
    EXPECT_EQ(noSystem.Press('K'), RunOf(0, 1));
    Popup staleCursor(MakeTrays(2, 0, 2));
    staleCursor.trays[2].Items[0].SetDirectKey('K');
    staleCursor.Put(0, 40);
    EXPECT_EQ(staleCursor.Press('K'), RunOf(2, 0));
}

TEST(Hover, MovesTheCursorToTheCellUnderTheMouse) {
    Popup p(MakeTrays(10, 3, 4));
    EXPECT_TRUE(p.Nav().TrayMouseMove(2, 45, 5, {100, 100}, kPopupByHotkey));
    EXPECT_EQ(p.Cursor(), (CursorCell{2, 1}));
    EXPECT_EQ(p.trays[2].DrawnIndex, 1);
    EXPECT_FALSE(p.Nav().TrayMouseMove(2, 50, 8, {105, 103}, kPopupByHotkey));  // same cell
    EXPECT_FALSE(p.Nav().TrayMouseMove(1, 130, 5, {200, 50}, kPopupByHotkey));  // no 4th task
    EXPECT_EQ(p.Cursor(), (CursorCell{2, 1}));
    EXPECT_FALSE(p.Nav().TrayMouseMove(1, 500, 5, {300, 50}, kPopupByHotkey));  // column 6
    EXPECT_FALSE(p.Nav().TrayMouseMove(0, 500, 45, {300, 60}, kPopupByHotkey));  // 13: not shown
    EXPECT_TRUE(p.Nav().TrayMouseMove(0, 500, 5, {300, 20}, kPopupByHotkey));    // last column
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 6}));
    EXPECT_EQ(p.state.RememberedColumn, 0);
}

TEST(Hover, SameCellInAnotherTrayStillMovesTheCursor) {
    Popup p(MakeTrays(10, 3, 4));
    p.Put(0, 0);
    EXPECT_TRUE(p.Nav().TrayMouseMove(2, 5, 5, {1, 1}, kPopupByGesture));
    EXPECT_EQ(p.Cursor(), (CursorCell{2, 0}));
}

TEST(Hover, KeyOnlyPopupIgnoresTheMouse) {
    Popup p(MakeTrays(10, 3, 4));
    p.settings.KeyOnlyFlag = true;
    EXPECT_FALSE(p.Nav().TrayMouseMove(0, 85, 5, {100, 100}, kPopupByHotkey));
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 0}));
    EXPECT_TRUE(p.Nav().TrayMouseMove(0, 85, 5, {100, 100}, kPopupByGesture));
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 2}));
}

TEST(Hover, RestingMouseDoesNotTakeTheCursor) {
    Popup p(MakeTrays(10, 3, 4));
    p.Put(1, 0);
    p.state.PaintMousePos = PixelPoint{640, 480};
    EXPECT_FALSE(p.Nav().TrayMouseMove(0, 85, 5, {640, 480}, kPopupByGesture));
    EXPECT_EQ(p.Cursor(), (CursorCell{1, 0}));
    EXPECT_TRUE(p.Nav().TrayMouseMove(0, 86, 5, {641, 480}, kPopupByGesture));
    EXPECT_FALSE(p.state.PaintMousePos.has_value());
    // Once it has moved, coming back to the first position counts as movement.
    EXPECT_TRUE(p.Nav().TrayMouseMove(2, 5, 5, {640, 480}, kPopupByGesture));
}

TEST(Hover, KeyMoveIsNotUndoneByAMouseRestingOnTheOldCell) {
    Popup p(MakeTrays(10, 3, 4));
    EXPECT_TRUE(p.Nav().TrayMouseMove(0, 125, 5, {100, 100}, kPopupByGesture));
    p.Press(Vk::Left);
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 2}));
    // The mouse jiggles inside cell 3, the one drawn before the key: no change.
    EXPECT_FALSE(p.Nav().TrayMouseMove(0, 126, 6, {101, 101}, kPopupByGesture));
    EXPECT_EQ(p.Cursor(), (CursorCell{0, 2}));
}

}  // namespace
}  // namespace tdx
