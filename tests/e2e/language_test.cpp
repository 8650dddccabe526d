// The language the program speaks: the system's (Japanese on a Japanese system,
// English elsewhere) unless the Language option of tiledex.ini names one. These
// tests expect the system's language as the bed gives it, so they prove the
// Japanese texts in the Japanese bed and run once more in an English locale
// (the English.* tests of tests/CMakeLists.txt).
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "dialogs/option_form.h"
#include "support/tiledex_process_win.h"

namespace tdx::test {
namespace {

namespace fs = std::filesystem;

struct Expected {
    const wchar_t* firstSystemTitle;
    const wchar_t* exitTitle;
    const wchar_t* optionsCaption;
    const wchar_t* keyGroup;
    const wchar_t* okButton;
};

constexpr Expected kJapanese{L"マイコンピュータ", L"Windows の終了", L"各種設定", L"キーの組み合わせ(&K)", L"OK"};
constexpr Expected kEnglish{L"My Computer", L"Shut Down Windows", L"Options", L"&Key combination", L"OK"};

// The bed's UI language; the English run names the one it sets (TDX_EXPECT_UI=en),
// so that a locale that failed to take cannot pass for it.
bool SystemSpeaksJapanese() {
    const bool japanese = PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_JAPANESE;
    wchar_t expected[8]{};
    if (::GetEnvironmentVariableW(L"TDX_EXPECT_UI", expected, 8)) EXPECT_EQ(japanese, std::wstring(expected) == L"ja");
    return japanese;
}

std::wstring StoredText(const fs::path& file, const wchar_t* section, const wchar_t* key) {
    ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
    wchar_t text[256]{};
    ::GetPrivateProfileStringW(section, key, L"", text, 256, file.c_str());
    return text;
}

// The options dialog, opened as its item of the notification menu opens it.
// (The menu's own captions cannot be read from another process under Wine;
// they come from the same tables as everything checked here.)
HWND OpenOptions(const TiledexProcess& tiledex) {
    ::PostMessageW(tiledex.MainWindow(), WM_COMMAND, 110, 0);
    HWND dialog = nullptr;
    WaitUntil([&] {
        dialog = FindProcessWindow(L"TOptionForm", tiledex.ProcessId());
        return dialog && ::IsWindowVisible(dialog);
    });
    return dialog;
}

HWND PageControl(HWND dialog, int id) { return ::GetDlgItem(::GetDlgItem(dialog, kOptPageId), id); }

// Checks the texts and returns the options dialog, left open.
HWND ExpectSpoken(const TiledexProcess& tiledex, const Expected& expected, bool checkFile) {
    if (checkFile) {
        // A fresh file: the System entries get the language's titles.
        const fs::path file = tiledex.SettingsFolder() / L"tiledex.ini";
        EXPECT_EQ(StoredText(file, L"System", L"Title0"), expected.firstSystemTitle);
        EXPECT_EQ(StoredText(file, L"System", L"Title6"), expected.exitTitle);
    }
    HWND dialog = OpenOptions(tiledex);
    EXPECT_NE(dialog, nullptr);
    if (!dialog) return nullptr;
    EXPECT_EQ(WindowText(dialog), expected.optionsCaption);
    EXPECT_EQ(WindowText(PageControl(dialog, kOptGroupBox1Id)), expected.keyGroup);
    EXPECT_EQ(WindowText(::GetDlgItem(dialog, IDOK)), expected.okButton);
    return dialog;
}

TEST(Language, AFreshStartSpeaksTheSystemsLanguage) {
    TiledexProcess tiledex;
    ASSERT_TRUE(tiledex.Start());
    HWND dialog = ExpectSpoken(tiledex, SystemSpeaksJapanese() ? kJapanese : kEnglish, true);
    ASSERT_NE(dialog, nullptr);
    // No Language key: the list shows "follow the system", and OK leaves the file without one.
    EXPECT_EQ(::SendMessageW(PageControl(dialog, kOptLanguageComboId), CB_GETCURSEL, 0, 0), 0);
    ::SendMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindowVisible(dialog); }));
    EXPECT_EQ(StoredText(tiledex.SettingsFolder() / L"tiledex.ini", L"Option", L"Language"), L"");
}

TEST(Language, TheLanguageOptionOverridesTheSystem) {
    TiledexProcess tiledex;
    fs::create_directories(tiledex.SettingsFolder());
    const bool japanese = SystemSpeaksJapanese();
    // The other language than the system's: 2 English, 1 Japanese.
    WriteSettingsFile(tiledex.SettingsFolder() / L"tiledex.ini",
                      japanese ? "[Option]\r\nLanguage=2\r\n" : "[Option]\r\nLanguage=1\r\n");
    ASSERT_TRUE(tiledex.Start());
    // Japanese titles do not survive a Western code page's file: the file is
    // looked at in English only.
    HWND dialog = ExpectSpoken(tiledex, japanese ? kEnglish : kJapanese, japanese);
    ASSERT_NE(dialog, nullptr);
    // The list shows the choice; choosing to follow the system is stored for the next start.
    HWND list = PageControl(dialog, kOptLanguageComboId);
    EXPECT_EQ(::SendMessageW(list, CB_GETCURSEL, 0, 0), japanese ? 2 : 1);
    ::SendMessageW(list, CB_SETCURSEL, 0, 0);
    ::SendMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] {
        return StoredText(tiledex.SettingsFolder() / L"tiledex.ini", L"Option", L"Language") == L"0";
    }));
}

}  // namespace
}  // namespace tdx::test
