#include "popup/tray_layout.h"

#include <gtest/gtest.h>

#include "popup/tray_fixtures.h"

namespace tdx {
namespace {

using test::Entry;
using test::Fill;
using test::MakeTrays;

TEST(TrayLayout, OneRowInEveryTrayGivesTheDesignSize) {
    const TrayLayout layout = LayoutTrays(MakeTrays(1, 1, 1), 7);
    EXPECT_EQ(layout.Window, (PixelSize{298, 216}));
    EXPECT_EQ(layout.CaptionTop, (std::array<std::int32_t, 3>{2, 60, 118}));
    EXPECT_EQ(layout.PaintBox[0], (PixelRect{8, 16, 290, 58}));
    EXPECT_EQ(layout.PaintBox[1], (PixelRect{8, 74, 290, 116}));
    EXPECT_EQ(layout.PaintBox[2], (PixelRect{8, 132, 290, 174}));
    EXPECT_EQ(layout.NamePanel, (PixelRect{8, 184, 290, 206}));
    EXPECT_EQ(layout.NameLabelWidth, 276);
}

TEST(TrayLayout, RowsFollowTheShownEntriesOnly) {
    Trays trays = MakeTrays(8, 3, 0);
    Fill(trays[kSystemTray], 7, 4);  // switched-off entries add no row
    const TrayLayout layout = LayoutTrays(trays, 7);
    EXPECT_EQ(layout.PaintBox[0], (PixelRect{8, 16, 290, 98}));
    EXPECT_EQ(layout.PaintBox[1], (PixelRect{8, 114, 290, 156}));
    EXPECT_EQ(layout.PaintBox[2], (PixelRect{8, 172, 290, 214}));
    EXPECT_EQ(layout.NamePanel.Top, 224);
    EXPECT_EQ(layout.Window, (PixelSize{298, 256}));
}

TEST(TrayLayout, RowCountsAtTheBoundaries) {
    EXPECT_EQ(TrayBoxSize(0, 7), (PixelSize{282, 42}));
    EXPECT_EQ(TrayBoxSize(7, 7), (PixelSize{282, 42}));
    EXPECT_EQ(TrayBoxSize(8, 7), (PixelSize{282, 82}));
    EXPECT_EQ(TrayBoxSize(15, 7).Height, 122);
    EXPECT_EQ(TrayBoxSize(3, 3), (PixelSize{122, 42}));
    EXPECT_EQ(LayoutTrays(MakeTrays(0, 0, 0), 15).Window, (PixelSize{618, 216}));
}

TEST(TrayLayout, ColumnCountFromTheFileIsKeptUsable) {
    EXPECT_EQ(ClampColumns(7), 7);
    EXPECT_EQ(ClampColumns(0), 1);
    EXPECT_EQ(ClampColumns(-5), 1);
    EXPECT_EQ(ClampColumns(2147483647), kMaxColumns);
    // A zero column count neither divides by zero nor produces an empty window.
    EXPECT_EQ(TrayBoxSize(3, 0), (PixelSize{42, 122}));
    EXPECT_EQ(LayoutTrays(MakeTrays(2, 0, 0), 0).Window.Width, 58);
    EXPECT_EQ(CellIndexAt(100, 100, 40, 0), 2);
}

TEST(TrayLayout, ShownEntriesEndAtTheFirstSwitchedOffOne) {
    TrayState tray;
    Fill(tray, 4, 2);
    EXPECT_EQ(ShownEntryCount(tray), 4);
    tray.Items.insert(tray.Items.begin(), Entry(L"off", 0, ItemStatus::NotInUse));
    EXPECT_EQ(ShownEntryCount(tray), 0);
    EXPECT_EQ(ShownEntryCount(TrayState{}), 0);
}

TEST(TrayLayout, IsShownCellChecksTrayAndIndex) {
    Trays trays = MakeTrays(2, 0, 1);
    Fill(trays[kSystemTray], 1, 1);
    EXPECT_TRUE(IsShownCell(trays, 0, 0));
    EXPECT_TRUE(IsShownCell(trays, 0, 1));
    EXPECT_FALSE(IsShownCell(trays, 0, 2));
    EXPECT_FALSE(IsShownCell(trays, 0, -1));
    EXPECT_FALSE(IsShownCell(trays, 1, 0));  // empty list
    EXPECT_TRUE(IsShownCell(trays, 2, 1));   // exists, though switched off
    EXPECT_FALSE(IsShownCell(trays, 3, 0));
    EXPECT_FALSE(IsShownCell(trays, -1, 0));
}

TEST(CellGeometry, CellPartsSitAtTheirOffsets) {
    // Index 9 with 7 columns: column 2, row 1, origin (82, 42).
    EXPECT_EQ(CellOrigin(9, 7), (PixelPoint{82, 42}));
    EXPECT_EQ(CellFrameCorners(9, 7), (PixelRect{82, 42, 121, 81}));
    EXPECT_EQ(CellIconRect(9, 7), (PixelRect{85, 45, 117, 77}));
    EXPECT_EQ(DirectKeyLabelCorners(9, 7), (PixelRect{83, 43, 92, 55}));
    EXPECT_EQ(DirectKeyTextOrigin(9, 7), (PixelPoint{85, 43}));
    EXPECT_EQ(CellOrigin(0, 7), (PixelPoint{2, 2}));
}

TEST(CellGeometry, ACellIsDescribedWholeAtItsPlace) {
    Trays trays;
    trays[kProgramTray].Items = {Entry(L"a"), Entry(L"b"), Entry(L"c", 'Q')};
    OptionSet options;
    options.ColMax = 2;
    options.FrameFlag = 1;
    const CellLook look = DescribeCell(trays, kProgramTray, 2, CellState::Cursor, options, test::UsDigits(), false);
    EXPECT_EQ(look.Frame, CellFrame::RaisedButton);
    EXPECT_EQ(look.FrameCorners, CellFrameCorners(2, 2));
    EXPECT_TRUE(look.HasEntry);
    EXPECT_EQ(look.IconRect, CellIconRect(2, 2));
    EXPECT_EQ(look.Label, L"Q");
    EXPECT_EQ(look.LabelOrigin, DirectKeyTextOrigin(2, 2));
    // Past the entries: the frame only.
    const CellLook empty = DescribeCell(trays, kProgramTray, 3, CellState::Normal, options, test::UsDigits(), false);
    EXPECT_EQ(empty.Frame, CellFrame::Erase);
    EXPECT_EQ(empty.FrameCorners, CellFrameCorners(3, 2));
    EXPECT_FALSE(empty.HasEntry);
    EXPECT_FALSE(empty.Label);
}

TEST(CellGeometry, CellIndexAtClampsIntoTheGrid) {
    EXPECT_EQ(CellIndexAt(0, 0, 40, 7), 0);
    EXPECT_EQ(CellIndexAt(39, 39, 40, 7), 0);
    EXPECT_EQ(CellIndexAt(40, 0, 40, 7), 1);
    EXPECT_EQ(CellIndexAt(41, 41, 40, 7), 8);
    // The margin is not subtracted: x 1 still maps to column 0, x 40 to column 1.
    EXPECT_EQ(CellIndexAt(1, 1, 40, 7), 0);
    // Right of the last column maps to the last column of the same row.
    EXPECT_EQ(CellIndexAt(281, 0, 40, 7), 6);
    EXPECT_EQ(CellIndexAt(5000, 45, 40, 7), 13);
    // Negative points clamp to the first column and row.
    EXPECT_EQ(CellIndexAt(-30, -30, 40, 7), 0);
    EXPECT_EQ(CellIndexAt(-30, 85, 40, 7), 14);
    EXPECT_EQ(CellIndexAt(2147483647, 2147483647, 40, 100), 2147483647);
    EXPECT_EQ(CellIndexAt(10, 10, 0, 7), 0);
}

TEST(CellDrawing, DirectKeyTexts) {
    EXPECT_EQ(DirectKeyText('A', 4), L"A");
    EXPECT_EQ(DirectKeyText('a', 4), L"a");
    EXPECT_EQ(DirectKeyText(0xC0, 0), L"F1");
    EXPECT_EQ(DirectKeyText(0xCB, 0), L"F12");
    EXPECT_EQ(DirectKeyText(0xE0, 0), L"f1");
    EXPECT_EQ(DirectKeyText(0xEB, 0), L"f12");
    EXPECT_EQ(DirectKeyText(0xA6, 0), L"\xFF66");  // Shift+0 on a Japanese keyboard
    EXPECT_EQ(DirectKeyText(0, 0), L"1");
    EXPECT_EQ(DirectKeyText(0, 8), L"9");
    EXPECT_EQ(DirectKeyText(0, 9), L"0");
}

TEST(CellDrawing, TaskCellsAreNumberedWhileDigitsAreNoKeys) {
    const LaunchItem task = Entry(L"window");
    const ShiftedDigits digits = test::UsDigits();
    EXPECT_EQ(DirectKeyLabel(kTaskTray, 0, task, false, digits), L"1");
    EXPECT_EQ(DirectKeyLabel(kTaskTray, 9, task, false, digits), L"0");
    EXPECT_EQ(DirectKeyLabel(kTaskTray, 10, task, false, digits), std::nullopt);
    EXPECT_EQ(DirectKeyLabel(kTaskTray, 0, task, true, digits), std::nullopt);
    // Program entries without a key have no label, numbered or not.
    EXPECT_EQ(DirectKeyLabel(kProgramTray, 0, task, false, digits), std::nullopt);
}

TEST(CellDrawing, DigitKeysAreLabelledOnlyWhenDigitsAreKeys) {
    const ShiftedDigits digits = test::UsDigits();
    const LaunchItem three = Entry(L"x", '3');
    const LaunchItem shiftedThree = Entry(L"x", '#');
    EXPECT_EQ(DirectKeyLabel(kProgramTray, 0, three, false, digits), std::nullopt);
    EXPECT_EQ(DirectKeyLabel(kProgramTray, 0, three, true, digits), L"3");
    EXPECT_EQ(DirectKeyLabel(kSystemTray, 0, shiftedThree, false, digits), std::nullopt);
    EXPECT_EQ(DirectKeyLabel(kSystemTray, 0, shiftedThree, true, digits), L"#");
    EXPECT_EQ(DirectKeyLabel(kProgramTray, 3, Entry(L"x", 0xC0), false, digits), L"F1");
    EXPECT_EQ(DirectKeyLabel(kSystemTray, 3, Entry(L"x", 0xEB), false, digits), L"f12");
    EXPECT_EQ(DirectKeyLabel(kProgramTray, 3, Entry(L"x", 'Q'), false, digits), L"Q");
}

TEST(CellDrawing, FullPaintDrawsShownCellsThenTheCursor) {
    Trays trays = MakeTrays(2, 0, 1);
    Fill(trays[kSystemTray], 1, 2);
    trays[kSystemTray].CursorIndex = 0;
    trays[kProgramTray].CursorIndex = 1;
    const std::vector<CellPaint> expected{
        {0, 0, CellState::Normal}, {0, 1, CellState::Normal},
        {2, 0, CellState::Normal}, {2, 0, CellState::Cursor}};
    EXPECT_EQ(PaintTraysOrder(trays, kSystemTray), expected);
    EXPECT_EQ(PaintTraysOrder(trays, kProgramTray).at(2), (CellPaint{0, 1, CellState::Cursor}));
}

TEST(CellDrawing, CdOverlayFollowsTheEntryAndMode) {
    EXPECT_FALSE(IsCdPlayerEntry(Entry(L"cd", 0, ItemStatus::InternalCommand)));  // no keyword
    LaunchItem cd = Entry(L"cd", 0, ItemStatus::InternalCommand | ItemStatus::BuiltIn);
    cd.ExeFileName = L"cd player";
    EXPECT_TRUE(IsCdPlayerEntry(cd));
    cd.Status = ItemStatus::BuiltIn;
    EXPECT_FALSE(IsCdPlayerEntry(cd));
    EXPECT_STREQ(CdOverlayResource(526), L"PCDPLAY");
    EXPECT_STREQ(CdOverlayResource(525), L"PCDSTOP");
}

}  // namespace
}  // namespace tdx
