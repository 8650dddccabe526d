// The string tables as the program loads them from its own resources (this test
// executable carries the same ones), and texts named by id in control tables.
#include "winbase/ui_text_win.h"

#include <gtest/gtest.h>

#include "winbase/window_base.h"

namespace tdx {
namespace {

// The Windows tests see the Japanese table, whatever the locale they run in.
const bool kJapaneseInstalled = (UseUiLanguage(static_cast<int>(UiLanguage::Japanese)), true);

TEST(UiTextWinTest, EachLanguageLoadsItsOwnTableAndControlsResolveTheirTexts) {
    EXPECT_EQ(ResourceText(UiLanguage::Japanese, IDS_SYS_EXIT), L"Windows の終了");
    EXPECT_EQ(ResourceText(UiLanguage::English, IDS_SYS_EXIT), L"Shut Down Windows");
    EXPECT_EQ(ResourceText(UiLanguage::English, IDS_SETTINGS_PER_USER).substr(0, 2), L"\r\n");
    EXPECT_EQ(ResourceText(UiLanguage::English, 99999), L"");
    EXPECT_EQ(ChosenUiLanguage(1), UiLanguage::Japanese);
    EXPECT_EQ(ChosenUiLanguage(2), UiLanguage::English);
    EXPECT_EQ(ChosenUiLanguage(0), SystemUiLanguage());

    EXPECT_EQ(TextLanguage(), UiLanguage::Japanese);
    HWND parent = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    HWND label = CreateControl(parent, {L"STATIC", TextRef(IDS_TM_HELP), 0, 0, 80, 20, WS_VISIBLE, 1});
    HWND plain = CreateControl(parent, {L"STATIC", L"plain", 0, 20, 80, 20, WS_VISIBLE, 2});
    wchar_t text[64]{};
    ::GetWindowTextW(label, text, 64);
    EXPECT_STREQ(text, L"ヘルプ(&H)");
    ::GetWindowTextW(plain, text, 64);
    EXPECT_STREQ(text, L"plain");
    ::DestroyWindow(parent);
}

}  // namespace
}  // namespace tdx
