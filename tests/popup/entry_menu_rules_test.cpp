// The entry menu's items for each kind of entry, and where a key opens it.
#include <gtest/gtest.h>

#include "popup/cd_audio_device.h"
#include "popup/entry_menu_rules.h"
#include "tray_fixtures.h"

namespace tdx::test {
namespace {

using enum EntryMenuItem;

std::vector<EntryMenuItem> Shown(const EntryMenuState& menu) {
    std::vector<EntryMenuItem> shown;
    for (std::uint32_t i = 1; i <= kEntryMenuItemCount; ++i)
        if (menu[static_cast<EntryMenuItem>(i)].Shown) shown.push_back(static_cast<EntryMenuItem>(i));
    return shown;
}

TEST(EntryMenuRules, EachKindOfEntryGetsItsOwnItems) {
    Trays trays = MakeTrays(2, 2, 0);
    trays[kSystemTray].Items = {Entry(L"C:\\", 0, ItemStatus::BuiltIn), Entry(L"X:\\", 0, ItemStatus::BuiltIn),
                                Entry(L"CD", 0, ItemStatus::BuiltIn | ItemStatus::InternalCommand),
                                Entry(L"net", 0, 0)};
    trays[kSystemTray].Items[1].NetworkDrive = true;
    trays[kSystemTray].Items[2].ExeFileName = L"CD Player";
    // Registered by the user, so not a drive even when the flag says so.
    trays[kSystemTray].Items[3].NetworkDrive = true;

    trays[kTaskTray].CursorIndex = 1;
    const EntryMenuState task = EntryMenuFor(trays, kTaskTray, {true, 0});
    EXPECT_EQ(Shown(task), (std::vector{ToIcon, ToMax, MarkLine1, Close, MarkLine2, AllClose, AllToIcon}));
    EXPECT_FALSE(task[ToIcon].Enabled) << "a minimised task cannot be minimised";
    EXPECT_TRUE(EntryMenuFor(trays, kTaskTray, {false, 0})[ToIcon].Enabled);

    EXPECT_EQ(Shown(EntryMenuFor(trays, kProgramTray, {})),
              (std::vector{Setting, MarkLine2, AllClose, AllToIcon}));

    trays[kSystemTray].CursorIndex = 0;
    EXPECT_EQ(Shown(EntryMenuFor(trays, kSystemTray, {})),
              (std::vector{Setting, MarkLine2, AllClose, AllToIcon}))
        << "a local drive";
    trays[kSystemTray].CursorIndex = 1;
    EXPECT_EQ(Shown(EntryMenuFor(trays, kSystemTray, {})),
              (std::vector{Setting, MarkLine1, CutNetworkDrive, MarkLine2, AllClose, AllToIcon}));
    trays[kSystemTray].CursorIndex = 3;
    EXPECT_EQ(Shown(EntryMenuFor(trays, kSystemTray, {})),
              (std::vector{Setting, MarkLine2, AllClose, AllToIcon}));

    trays[kSystemTray].CursorIndex = 2;
    const EntryMenuState doorOpen = EntryMenuFor(trays, kSystemTray, {false, CdMode::DoorOpen});
    EXPECT_EQ(Shown(doorOpen), (std::vector{PlayFromStart, NextTrack, PreviousTrack, Eject, MarkLine0,
                                            Setting, MarkLine2, AllClose, AllToIcon}));
    EXPECT_TRUE(doorOpen[PlayFromStart].Enabled);
    EXPECT_FALSE(doorOpen[NextTrack].Enabled || doorOpen[PreviousTrack].Enabled || doorOpen[Eject].Enabled);
    const EntryMenuState playing = EntryMenuFor(trays, kSystemTray, {false, CdMode::Playing});
    EXPECT_TRUE(playing[NextTrack].Enabled && playing[PreviousTrack].Enabled && playing[Eject].Enabled);

    // The keyword is compared exactly.
    trays[kSystemTray].Items[2].ExeFileName = L"cd player";
    EXPECT_FALSE(EntryMenuFor(trays, kSystemTray, {})[PlayFromStart].Shown);
}

TEST(EntryMenuRules, AllTaskItemsNeedATask) {
    Trays trays = MakeTrays(1, 0, 1);
    const EntryMenuState menu = EntryMenuFor(trays, kProgramTray, {});
    EXPECT_TRUE(menu[AllClose].Shown && menu[AllToIcon].Shown);
    EXPECT_FALSE(menu[AllClose].Enabled);
    EXPECT_FALSE(menu[AllToIcon].Enabled);
    Fill(trays[kTaskTray], 1);
    EXPECT_TRUE(EntryMenuFor(trays, kProgramTray, {})[AllClose].Enabled);
}

TEST(EntryMenuRules, KeyOpensTheMenuHalfACellBelowTheCursorCellsTop) {
    EXPECT_EQ(EntryMenuCellPoint({100, 200}, 0, 7), (PixelPoint{102, 222}));
    EXPECT_EQ(EntryMenuCellPoint({100, 200}, 9, 7), (PixelPoint{182, 262}));
    // A ColMax of 0 from a hand-edited file must not divide by zero.
    EXPECT_EQ(EntryMenuCellPoint({0, 0}, 3, 0).Y % 40, 22);
}

}  // namespace
}  // namespace tdx::test
