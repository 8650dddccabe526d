// The item editor's direct-key box: what a stored key shows, what typing and
// Shift do, and the code OK stores.
#include "dialogs/setting_model.h"

#include <gtest/gtest.h>

namespace tdx {
namespace {

TEST(DirectKeyBox, TypedKeysShiftAndStoredCodesAgree) {
    const bool us = true;
    // Letters: capital without Shift, small with it.
    EXPECT_EQ(TypedDirectKey(L'a', false, false, us), L"A");
    EXPECT_EQ(TypedDirectKey(L'a', true, false, us), L"a");
    EXPECT_EQ(DirectKeyCodeOf(L"A", us), 0x41);
    EXPECT_EQ(DirectKeyCodeOf(L"a", us), 0x61);
    // Digits only with KeyNumberFlag; with Shift, the layout's symbol.
    EXPECT_FALSE(TypedDirectKey(L'1', false, false, us));
    EXPECT_EQ(TypedDirectKey(L'1', false, true, us), L"1");
    EXPECT_EQ(TypedDirectKey(L'2', true, true, us), L"@");
    EXPECT_EQ(TypedDirectKey(L'2', true, true, false), L"\"");
    // Backspace and punctuation clear the key.
    EXPECT_FALSE(TypedDirectKey(L'\b', false, true, us));
    EXPECT_FALSE(TypedDirectKey(L'-', false, true, us));
    EXPECT_EQ(DirectKeyCodeOf(L"", us), 0);

    // Function keys, and Shift switching them and letters both ways.
    EXPECT_EQ(FunctionKeyText(5, false), L"F5");
    EXPECT_EQ(DirectKeyCodeOf(L"F5", us), 0xC4);
    EXPECT_EQ(DirectKeyCodeOf(L"f5", us), 0xE4);
    EXPECT_EQ(DirectKeyCodeOf(L"F12", us), 0xCB);
    EXPECT_EQ(ShiftToggledText(L"F5", true, us), L"f5");
    EXPECT_EQ(ShiftToggledText(L"f5", false, us), L"F5");
    EXPECT_EQ(ShiftToggledText(L"B", true, us), L"b");
    EXPECT_EQ(ShiftToggledText(L"2", true, us), L"@");
    EXPECT_EQ(ShiftToggledText(L"@", false, us), L"2");
    // Pasted text that is not one key stores none.
    EXPECT_FALSE(DirectKeyCodeOf(L"F13", us));
    EXPECT_FALSE(DirectKeyCodeOf(L"ab", us));

    // A stored code shows as typed, with the Shift box to match.
    for (const std::uint8_t code : {std::uint8_t{0x41}, std::uint8_t{0x61}, std::uint8_t{0xC4},
                                    std::uint8_t{0xEB}, std::uint8_t{'@'}}) {
        const std::wstring text = DirectEditText(code, us);
        EXPECT_EQ(DirectKeyCodeOf(text, us), code) << text;
    }
    EXPECT_TRUE(DirectKeyShifted(0xE4, us));
    EXPECT_TRUE(DirectKeyShifted('@', us));
    EXPECT_FALSE(DirectKeyShifted('A', us));

    // Text put into the box otherwise than by typing stays only when it is one
    // key as the box would show it with the Shift box and KeyNumberFlag as they are.
    EXPECT_TRUE(IsDirectKeyText(L"", false, false, us));
    EXPECT_TRUE(IsDirectKeyText(L"B", false, false, us));
    EXPECT_TRUE(IsDirectKeyText(L"f12", true, false, us));
    EXPECT_TRUE(IsDirectKeyText(L"@", true, true, us));
    EXPECT_FALSE(IsDirectKeyText(L"xyz", false, false, us));
    EXPECT_FALSE(IsDirectKeyText(L"a", false, false, us)) << "the shifted key, Shift unchecked";
    EXPECT_FALSE(IsDirectKeyText(L"F5", true, false, us));
    EXPECT_FALSE(IsDirectKeyText(L"7", false, false, us)) << "digits need KeyNumberFlag";
    EXPECT_FALSE(IsDirectKeyText(L"@", true, false, us));
    EXPECT_FALSE(IsDirectKeyText(L"F05", false, false, us));
}

}  // namespace
}  // namespace tdx
