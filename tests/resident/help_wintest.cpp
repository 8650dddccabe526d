// Help: F1 in each dialog asks for that dialog's (or page's) topic, except
// where the focused box takes F1 as a key, and every topic the program can
// ask for is in the compiled help file, whose viewer opens on it.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "dialogs/option_form.h"
#include "dialogs/setting_form.h"
#include "resident/help.h"
#include "resident/help_topics.h"
#include "winbase/app_help.h"
#include "winbase/message_pump.h"
#include "winbase/ui_text_win.h"

namespace tdx {
namespace {

std::wstring BesideTest(const wchar_t* name) {
    wchar_t path[MAX_PATH]{};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring file(path);
    return file.substr(0, file.find_last_of(L'\\') + 1) + name;
}

class HelpKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetAppHelpHandler([this](UINT command, DWORD_PTR data) {
            requests.push_back(command == HELP_CONTEXT ? static_cast<int>(data) : -1);
        });
    }
    void TearDown() override { SetAppHelpHandler(nullptr); }

    // F1 as the keyboard delivers it to the focused control; the contexts asked for.
    std::vector<int> PressF1(HWND form, HWND control) {
        ::SetForegroundWindow(form);
        ::SetFocus(control);
        requests.clear();
        ::PostMessageW(control, WM_KEYDOWN, VK_F1, 0x003B0001);
        ::PostMessageW(control, WM_KEYUP, VK_F1, 0xC03B0001);
        ProcessPendingMessages();
        return requests;
    }

    std::vector<int> requests;
};

TEST_F(HelpKeyTest, TheOptionsDialogAnswersForThePageShownAndOtherwiseForItself) {
    TOptionForm form;
    ASSERT_TRUE(form.Create(nullptr));
    ASSERT_TRUE(form.Load(OptionSet{}));
    ::ShowWindow(form.hwnd(), SW_SHOW);
    const HWND tabs = ::GetDlgItem(form.hwnd(), kOptPageId);
    ASSERT_TRUE(tabs);

    EXPECT_EQ(PressF1(form.hwnd(), tabs), std::vector<int>{16});
    // The arrow on the tabs turns to the Mouse page.
    ::SetFocus(tabs);
    ::PostMessageW(tabs, WM_KEYDOWN, VK_RIGHT, 0);
    ProcessPendingMessages();
    ASSERT_EQ(TabCtrl_GetCurSel(tabs), 1);
    EXPECT_EQ(PressF1(form.hwnd(), ::GetDlgItem(tabs, kOptKickMouseCheckId)), std::vector<int>{18});
    EXPECT_EQ(PressF1(form.hwnd(), ::GetDlgItem(form.hwnd(), IDOK)), std::vector<int>{14});
    ::DestroyWindow(form.hwnd());
}

TEST_F(HelpKeyTest, TheItemEditorsDirectKeyBoxTakesF1AsAKey) {
    const ItemContext items;
    TSettingForm form(items);
    ASSERT_TRUE(form.Create(nullptr));
    ::ShowWindow(form.hwnd(), SW_SHOW);
    const HWND direct = ::GetDlgItem(form.hwnd(), kSettingDirectEditId);
    EXPECT_TRUE(PressF1(form.hwnd(), direct).empty());
    wchar_t text[32]{};
    ::GetWindowTextW(direct, text, 32);
    EXPECT_STREQ(text, L"F1");
    EXPECT_EQ(PressF1(form.hwnd(), ::GetDlgItem(form.hwnd(), kSettingTitleEditId)), std::vector<int>{12});
    ::DestroyWindow(form.hwnd());
}

TEST(HelpFile, EveryTopicIsCompiledInAndTheViewerOpensOnIt) {
    // Both languages' help files hold every topic F1 can ask for.
    for (const wchar_t* name : {L"tiledex.chm", L"tiledex-en.chm"}) {
        std::ifstream in(std::filesystem::path(BesideTest(name)), std::ios::binary);
        ASSERT_TRUE(in) << "the help files are built beside the tests";
        const std::string chm((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        for (const HelpTopic& topic : kHelpTopics) {
            const std::wstring page(topic.page);
            EXPECT_NE(chm.find("/" + std::string(page.begin(), page.end())), std::string::npos)
                << "context " << topic.context;
        }
    }

    ProgramHelp help(BesideTest(L"tiledex.chm"));
    help.Request(HELP_CONTEXT, 22);
    HWND viewer = nullptr;
    for (int i = 0; i < 100 && !viewer; ++i) {
        ProcessPendingMessages();
        viewer = ::FindWindowW(L"HH Parent", nullptr);
        if (!viewer) ::Sleep(50);
    }
    ASSERT_TRUE(viewer);
    wchar_t caption[64]{};
    ::GetWindowTextW(viewer, caption, 64);
    EXPECT_STREQ(caption, L"Tiledex ヘルプ");  // read in the help file's own code page
    help.Request(HELP_QUIT, 0);
    ProcessPendingMessages();
    EXPECT_FALSE(::IsWindow(viewer));
}

TEST(HelpFile, TheLanguageInUseChoosesTheFile) {
    UseUiLanguage(static_cast<int>(UiLanguage::English));
    const ProgramHelp english;
    UseUiLanguage(static_cast<int>(UiLanguage::Japanese));
    const ProgramHelp japanese;
    EXPECT_EQ(english.File(), BesideTest(L"win_tests-en.chm"));
    EXPECT_EQ(japanese.File(), BesideTest(L"win_tests.chm"));
}

}  // namespace
}  // namespace tdx
