// The icon registration dialog on the popup's real lists: files dropped from
// the shell land at the cell under the mouse (long paths whole), Cancel puts
// lists and width back, OK stores them, and the delete confirmation removes
// the entry it was opened for even after the list changed under it.
#include <windows.h>
#include <oleacc.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "dialogs/config_form.h"
#include "dialogs/delete_form.h"
#include "dialogs/setting_form.h"
#include "settings/item_context_win.h"
#include "settings/profile_file_win.h"
#include "settings/settings_folder_win.h"
#include "settings/temp_settings_win.h"

namespace tdx::test {
namespace {

LaunchItem Entry(const wchar_t* title) {
    LaunchItem item;
    item.Title = title;
    item.ExeFileName = std::wstring(L"C:\\windows\\") + title + L".exe";
    return item;
}

// A drop as the shell makes it: DROPFILES, with the point of the drop in the
// client area of the window, followed by the wide file names.
HDROP MakeDrop(const std::vector<std::wstring>& files, POINT at) {
    std::size_t chars = 1;
    for (const auto& f : files) chars += f.size() + 1;
    HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->pt = at;
    drop->fWide = TRUE;
    auto* p = reinterpret_cast<wchar_t*>(drop + 1);
    for (const auto& f : files) {
        f.copy(p, f.size());
        p += f.size() + 1;
    }
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

std::vector<std::wstring> Titles(const ItemList& items) {
    std::vector<std::wstring> titles;
    for (const auto& item : items) titles.push_back(item.Title);
    return titles;
}

class ConfigFormTest : public TempSettingsTest {
protected:
    void SetUp() override {
        TempSettingsTest::SetUp();
        app.Items = MakeProgramItemContext([] {}, [] {});
        app.Trays[kProgramTray].Items = {Entry(L"A"), Entry(L"B")};
        ASSERT_TRUE(setting.Create(nullptr));
        ASSERT_TRUE(remove.Create(nullptr));
        ASSERT_TRUE(form.Create(nullptr));
    }
    void TearDown() override {
        FreeItemList(app.Items, app.Trays[kProgramTray].Items, true);
        FreeItemList(app.Items, app.Trays[kSystemTray].Items, true);
        TempSettingsTest::TearDown();
    }
    // Drops the files over a cell of the Program grid.
    void DropAt(int cell, const std::vector<std::wstring>& files) {
        POINT at{cell * 40 + 20, 20};
        ::MapWindowPoints(::GetDlgItem(form.hwnd(), kCfgProgPaintBoxId), form.hwnd(), &at, 1);
        ::SendMessageW(form.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(files, at)), 0);
    }

    AppState app;
    TSettingForm setting{app};
    TDeleteForm remove{app};
    TConfigForm form{app, setting, remove};
};

TEST_F(ConfigFormTest, DropsLandAtTheCellCancelPutsBackAndOkStores) {
    // A close that reaches the dialog before it was ever opened changes nothing.
    ::SendMessageW(form.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(Titles(app.Trays[kProgramTray].Items), (std::vector<std::wstring>{L"A", L"B"}));

    form.OpenRegistration();
    ASSERT_TRUE(::IsWindowVisible(form.hwnd()));
    const std::wstring longPath = L"C:\\" + std::wstring(280, L'x') + L"\\long.txt";
    DropAt(1, {L"C:\\data\\one.txt", L"C:\\tools\\two.exe", longPath});
    const ItemList& items = app.Trays[kProgramTray].Items;
    // Inserted one by one at the same cell: they read in reverse order.
    EXPECT_EQ(Titles(items), (std::vector<std::wstring>{L"A", L"long.txt", L"two.exe", L"one.txt", L"B"}));
    EXPECT_EQ(items[1].ExeFileName, longPath) << "a long path is read whole";
    EXPECT_EQ(items[2].IconIndex, 0) << "a program shows its first icon";
    EXPECT_EQ(items[3].IconIndex, -1);
    EXPECT_EQ(items[3].DirectoryName, L"C:\\data");

    // Twelve across widens the dialog to 12 × 40 + 18 pixels.
    HWND combo = ::GetDlgItem(form.hwnd(), kWidthComboBoxId);
    ::SendMessageW(combo, CB_SETCURSEL, 12 - 3, 0);
    ::SendMessageW(form.hwnd(), WM_COMMAND, MAKEWPARAM(kWidthComboBoxId, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
    EXPECT_EQ(app.Options.ColMax, 12);
    RECT window{};
    ::GetWindowRect(form.hwnd(), &window);
    EXPECT_EQ(window.right - window.left, 498);

    form.CancelButtonClick();
    EXPECT_FALSE(::IsWindowVisible(form.hwnd()));
    EXPECT_EQ(Titles(items), (std::vector<std::wstring>{L"A", L"B"}));
    EXPECT_EQ(app.Options.ColMax, 7);

    form.OpenRegistration();
    DropAt(5, {L"C:\\data\\three.txt"});
    EXPECT_EQ(Titles(items), (std::vector<std::wstring>{L"A", L"B", L"three.txt"})) << "after the last entry";
    form.OkButtonClick();
    EXPECT_FALSE(::IsWindowVisible(form.hwnd()));
    EXPECT_EQ(Titles(ReadItemSection(ProfileFile(SettingsFileName(1)), L"Program")), Titles(items));
}

TEST_F(ConfigFormTest, DeleteConfirmationRemovesTheEntryItWasOpenedFor) {
    form.OpenRegistration();
    ItemList& items = app.Trays[kProgramTray].Items;
    items.push_back(Entry(L"C"));
    remove.OpenFor(kProgramTray, 0, form.hwnd(), [](std::int32_t) {});
    ASSERT_TRUE(::IsWindowVisible(remove.hwnd()));
    // The registration dialog stays usable: the entry is dragged elsewhere.
    std::swap(items[0], items[2]);
    remove.OKButtonClick();
    EXPECT_EQ(Titles(items), (std::vector<std::wstring>{L"C", L"B"}));

    // Gone meanwhile: nothing is deleted.
    remove.OpenFor(kProgramTray, 1, form.hwnd(), [](std::int32_t) {});
    items.pop_back();
    remove.OKButtonClick();
    EXPECT_EQ(Titles(items), (std::vector<std::wstring>{L"C"}));

    // No leaves the list as it is.
    remove.OpenFor(kProgramTray, 0, form.hwnd(), [](std::int32_t) {});
    remove.CancelButtonClick();
    EXPECT_EQ(Titles(items), (std::vector<std::wstring>{L"C"}));
    form.CancelButtonClick();
}

// Moved to a monitor of 144 DPI, the dialog takes the suggested rectangle and
// every control its place, size and font at 1.5 times; back at 96 DPI it is as
// it was. (Wine never sends the message itself: it is sent as Windows would.)
TEST_F(ConfigFormTest, ADpiChangeRescalesEveryControlAndItsFont) {
    form.OpenRegistration();
    const HWND ok = ::GetDlgItem(form.hwnd(), IDOK);
    const auto fontHeight = [](HWND control) {
        LOGFONTW f{};
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(f), &f);
        return f.lfHeight;
    };
    const auto placeOf = [&](HWND control) {
        RECT r{};
        ::GetWindowRect(control, &r);
        ::MapWindowPoints(HWND_DESKTOP, form.hwnd(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    const RECT before = placeOf(ok);
    const LONG beforeFont = fontHeight(ok);
    RECT window{};
    ::GetWindowRect(form.hwnd(), &window);
    RECT suggested{window.left, window.top, window.left + (window.right - window.left) * 3 / 2,
                   window.top + (window.bottom - window.top) * 3 / 2};
    ::SendMessageW(form.hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    RECT now{};
    ::GetWindowRect(form.hwnd(), &now);
    EXPECT_TRUE(::EqualRect(&now, &suggested));
    const RECT scaled = placeOf(ok);
    EXPECT_EQ(scaled.right - scaled.left, ::MulDiv(before.right - before.left, 3, 2));
    EXPECT_EQ(scaled.top, ::MulDiv(before.top, 3, 2));
    EXPECT_EQ(fontHeight(ok), ::MulDiv(beforeFont, 3, 2));

    ::SendMessageW(form.hwnd(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&window));
    const RECT back = placeOf(ok);
    EXPECT_TRUE(::EqualRect(&back, &before));
    EXPECT_EQ(fontHeight(ok), beforeFont);
    form.CancelButtonClick();
}

// Presses OK on the first message box this thread shows, from another thread:
// the box's own loop holds the test until then.
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer() : thread_(::GetCurrentThreadId()), worker_([this] { Run(); }) {}
    ~MessageBoxAnswerer() {
        done_ = true;
        worker_.join();
    }
    bool Answered() const { return answered_; }

private:
    void Run() {
        for (int i = 0; i < 1000 && !done_ && !answered_; ++i) {
            HWND box = nullptr;
            ::EnumThreadWindows(
                thread_,
                [](HWND w, LPARAM found) -> BOOL {
                    wchar_t name[8]{};
                    if (!::IsWindowVisible(w) || !::GetClassNameW(w, name, 8) || ::lstrcmpW(name, L"#32770") != 0)
                        return TRUE;
                    *reinterpret_cast<HWND*>(found) = w;
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(&box));
            if (box) {
                ::PostMessageW(box, WM_COMMAND, IDOK, 0);
                answered_ = true;
            }
            ::Sleep(10);
        }
    }
    DWORD thread_;
    std::atomic<bool> done_{false};
    std::atomic<bool> answered_{false};
    std::thread worker_;
};

// The dialog's edits are the user's until OK stores them or Cancel drops them:
// a second press on the icon does not retake the copies Cancel puts back, the
// editor changes the entry it was opened for wherever it went, and a failed
// write leaves the dialog open with its edits.
TEST_F(ConfigFormTest, ReopeningReorderingAndAFailedOkKeepTheUsersEdits) {
    ItemList& items = app.Trays[kProgramTray].Items;
    form.OpenRegistration();
    HWND combo = ::GetDlgItem(form.hwnd(), kWidthComboBoxId);
    ::SendMessageW(combo, CB_SETCURSEL, 12 - 3, 0);
    ::SendMessageW(form.hwnd(), WM_COMMAND, MAKEWPARAM(kWidthComboBoxId, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
    MoveEntry(items, 0, 1);
    form.OpenRegistration();  // the icon pressed again
    EXPECT_TRUE(::IsWindowVisible(form.hwnd()));
    // A screen reader reads the grid as it now stands.
    IAccessible* grid = nullptr;
    ASSERT_EQ(::AccessibleObjectFromWindow(::GetDlgItem(form.hwnd(), kCfgProgPaintBoxId), OBJID_CLIENT,
                                           __uuidof(IAccessible), reinterpret_cast<void**>(&grid)),
              S_OK);
    long cells = 0;
    grid->get_accChildCount(&cells);
    EXPECT_EQ(cells, 2);
    VARIANT first{};
    first.vt = VT_I4;
    first.lVal = 1;
    BSTR name = nullptr;
    ASSERT_EQ(grid->get_accName(first, &name), S_OK);
    EXPECT_STREQ(name, L"B");
    ::SysFreeString(name);
    grid->Release();
    EXPECT_EQ(app.Options.ColMax, 12) << "the open dialog is only brought forward";

    // The editor opened on A; meanwhile A is dragged back to the front.
    items[1].IconFileName = L"C:\\windows\\notepad.exe";
    ASSERT_TRUE(setting.OpenItemEditor(kProgramTray, 1, false));
    ASSERT_EQ(items[1].Title, L"A");
    // Its icon strip reads as a list of the file's icons, the chosen one focused.
    IAccessible* strip = nullptr;
    ASSERT_EQ(::AccessibleObjectFromWindow(::GetDlgItem(setting.hwnd(), kSettingIconScrollBoxId), OBJID_CLIENT,
                                           __uuidof(IAccessible), reinterpret_cast<void**>(&strip)),
              S_OK);
    long icons = 0;
    strip->get_accChildCount(&icons);
    EXPECT_EQ(icons, static_cast<long>(::ExtractIconExW(L"C:\\windows\\notepad.exe", -1, nullptr, nullptr, 0)));
    VARIANT chosen{}, state{};
    chosen.vt = VT_I4;
    chosen.lVal = items[1].IconIndex + 1;
    ASSERT_EQ(strip->get_accState(chosen, &state), S_OK);
    EXPECT_TRUE(state.lVal & STATE_SYSTEM_FOCUSED);
    strip->Release();
    MoveEntry(items, 1, 0);
    ::SetDlgItemTextW(setting.hwnd(), kSettingTitleEditId, L"A2");
    setting.OKButtonClick();
    EXPECT_EQ(Titles(items), (std::vector<std::wstring>{L"A2", L"B"}));
    EXPECT_EQ(items[1].ExeFileName, L"C:\\windows\\B.exe") << "B keeps its own target";

    form.CancelButtonClick();
    EXPECT_EQ(Titles(items), (std::vector<std::wstring>{L"A", L"B"})) << "the copies of the first opening";
    EXPECT_EQ(app.Options.ColMax, 7);

    // OK while another program holds the file: the error is shown, the dialog
    // and its edits stay, and OK stores them once the file is free.
    form.OpenRegistration();
    MoveEntry(items, 0, 1);
    const std::wstring file = SettingsFileName(1);
    HANDLE held = ::CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    {
        MessageBoxAnswerer answerer;
        form.OkButtonClick();
        EXPECT_TRUE(answerer.Answered()) << "the failure is reported";
    }
    ::CloseHandle(held);
    EXPECT_TRUE(::IsWindowVisible(form.hwnd()));
    EXPECT_EQ(Titles(items), (std::vector<std::wstring>{L"B", L"A"}));
    form.OkButtonClick();
    EXPECT_FALSE(::IsWindowVisible(form.hwnd()));
    EXPECT_EQ(Titles(ReadItemSection(ProfileFile(file), L"Program")), (std::vector<std::wstring>{L"B", L"A"}));
}

}  // namespace
}  // namespace tdx::test
