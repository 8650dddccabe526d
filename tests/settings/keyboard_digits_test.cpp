#include "settings/keyboard_digits.h"

#include <gtest/gtest.h>

#include "settings/special_folders.h"
#include "settings/windows_version.h"

namespace tdx {
namespace {

TEST(KeyboardDigits, ShiftedDigitsOnBothLayouts) {
    const std::wstring us = L")!@#$%^&*(";
    const std::wstring jp = std::wstring(1, wchar_t(0xA6)) + L"!\"#$%&'()";
    for (int d = 0; d < 10; ++d) {
        const wchar_t digit = static_cast<wchar_t>(L'0' + d);
        EXPECT_EQ(ShiftedDigitChar(digit, true), us[d]) << d;
        EXPECT_EQ(ShiftedDigitChar(digit, false), jp[d]) << d;
        EXPECT_EQ(DigitForShiftedChar(us[d], true), digit) << d;
        EXPECT_EQ(DigitForShiftedChar(jp[d], false), digit) << d;
    }
    EXPECT_EQ(ShiftedDigitChar(L'2', true), L'@');
    EXPECT_EQ(ShiftedDigitChar(L'2', false), L'"');
}

TEST(KeyboardDigits, CharactersOfTheOtherLayoutOrNoDigitGiveNothing) {
    EXPECT_EQ(DigitForShiftedChar(L'@', false), 0);
    EXPECT_EQ(DigitForShiftedChar(L'^', false), 0);
    EXPECT_EQ(DigitForShiftedChar(L'"', true), 0);
    EXPECT_EQ(DigitForShiftedChar(wchar_t(0xA6), true), 0);
    // The same symbol may stand for different digits: '(' is 9 on US, 8 on Japanese.
    EXPECT_EQ(DigitForShiftedChar(L'(', true), L'9');
    EXPECT_EQ(DigitForShiftedChar(L'(', false), L'8');
    for (wchar_t c : {L'a', L'A', L' ', L'/', L':', wchar_t(0), wchar_t(0xFF10)}) {
        EXPECT_EQ(ShiftedDigitChar(c, true), 0) << int(c);
        EXPECT_EQ(ShiftedDigitChar(c, false), 0) << int(c);
        EXPECT_EQ(DigitForShiftedChar(c, true), 0) << int(c);
        EXPECT_EQ(DigitForShiftedChar(c, false), 0) << int(c);
    }
}

TEST(KeyboardDigits, ProcessWideLayoutFlagSelectsTheRow) {
    const bool saved = UsKeyboard;
    UsKeyboard = false;
    EXPECT_EQ(ShiftedDigitChar(L'7'), L'\'');
    EXPECT_EQ(DigitForShiftedChar(L'&'), L'6');
    UsKeyboard = true;
    EXPECT_EQ(ShiftedDigitChar(L'7'), L'&');
    EXPECT_EQ(DigitForShiftedChar(L'&'), L'7');
    UsKeyboard = saved;
}

TEST(KeyboardDigits, OnlyAJapaneseKeyboardWithARealSubtypeIsJapanese) {
    EXPECT_FALSE(UsKeyboardForType(7, 2));
    EXPECT_FALSE(UsKeyboardForType(7, 13));
    EXPECT_TRUE(UsKeyboardForType(7, 0));
    EXPECT_TRUE(UsKeyboardForType(7, 1));
    EXPECT_TRUE(UsKeyboardForType(4, 2));
    EXPECT_TRUE(UsKeyboardForType(8, 5));
}

TEST(WindowsVersionNumbers, MajorMinorAndPlatform) {
    EXPECT_EQ(ComposeWindowsVersion(4, 0, kPlatformWindows9x), WindowsVersion::Windows95);
    EXPECT_EQ(ComposeWindowsVersion(4, 10, kPlatformWindows9x), WindowsVersion::Windows98);
    EXPECT_EQ(ComposeWindowsVersion(4, 90, kPlatformWindows9x), 490);
    EXPECT_EQ(ComposeWindowsVersion(4, 0, kPlatformNt), WindowsVersion::WindowsNT4);
    EXPECT_EQ(ComposeWindowsVersion(5, 0, kPlatformNt), WindowsVersion::Windows2000);
    EXPECT_EQ(ComposeWindowsVersion(5, 1, kPlatformNt), 1501);
    EXPECT_EQ(ComposeWindowsVersion(6, 0, kPlatformNt), WindowsVersion::WindowsVista);
    EXPECT_EQ(ComposeWindowsVersion(10, 0, kPlatformNt), 2000);
    // Win32s (platform 0) counts as no NT.
    EXPECT_EQ(ComposeWindowsVersion(3, 10, 0), 310);
    EXPECT_TRUE(IsNtFamily(1400));
    EXPECT_FALSE(IsNtFamily(490));
}

TEST(SpecialFolders, StoredNamesMapToShellFolderNumbers) {
    EXPECT_EQ(SpecialFolderId(L"ControlPanel"), 3);
    EXPECT_EQ(SpecialFolderId(L"MyComputer"), 17);
    EXPECT_EQ(SpecialFolderId(L"DustBox"), 10);
    EXPECT_EQ(SpecialFolderId(L"NetWork"), 18);
    EXPECT_EQ(SpecialFolderId(L"Printer"), 4);
    EXPECT_EQ(SpecialFolderId(L"MyDocument"), 5);
    EXPECT_EQ(SpecialFolderId(L"DeskTop"), 0);
}

TEST(SpecialFolders, NamesAreExactAndOthersStandForNoFolder) {
    for (const wchar_t* other : {L"mycomputer", L"Desktop", L"MyComputer ", L"", L"C:\\", L"Network"}) {
        EXPECT_EQ(SpecialFolderId(other), SpecialFolder::None) << std::wstring(other).size();
    }
}

}  // namespace
}  // namespace tdx
