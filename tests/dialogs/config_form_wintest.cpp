// The icon registration dialog on copies of the program's real settings: files
// dropped from the shell land at the cell under the mouse (long paths whole),
// Cancel drops the copies, OK stores them, a copy older than another change is
// refused, and the delete confirmation removes the entry it was opened for even
// after the list changed under it.
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
#include "settings/program_settings.h"
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
        settings.SetContext(MakeProgramItemContext([] {}, [] {}));
        SettingsEdit start;
        start.Programs = ItemList{Entry(L"A"), Entry(L"B")};
        ASSERT_EQ(settings.Commit(start), CommitResult::Stored);
        ASSERT_TRUE(setting.Create(nullptr));
        ASSERT_TRUE(remove.Create(nullptr));
        ASSERT_TRUE(form.Create(nullptr));
        form.SetStore([this](SettingsEdit& edit) { return settings.Commit(edit); });
    }
    void TearDown() override {
        form.CancelButtonClick();
        settings.Clear();
        TempSettingsTest::TearDown();
    }
    // Opens the dialog on copies of the settings, as the program does.
    void Open() {
        SettingsEdit copy;
        copy.BasedOn = settings.Revision();
        copy.Options = settings.Options();
        copy.Programs = settings.CopyList(kProgramTray);
        copy.Systems = settings.CopyList(kSystemTray);
        form.OpenRegistration(std::move(copy));
    }
    // Drops the files over a cell of the Program grid.
    void DropAt(int cell, const std::vector<std::wstring>& files) {
        POINT at{cell * 40 + 20, 20};
        ::MapWindowPoints(::GetDlgItem(form.hwnd(), kCfgProgPaintBoxId), form.hwnd(), &at, 1);
        ::SendMessageW(form.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(files, at)), 0);
    }
    std::vector<std::wstring> Stored() const {
        return Titles(ReadItemSection(ProfileFile(SettingsFileName(1)), L"Program"));
    }

    ProgramSettings settings;
    TSettingForm setting{settings.Context()};
    TDeleteForm remove;
    TConfigForm form{settings.Context(), setting, remove};
};

TEST_F(ConfigFormTest, DropsLandAtTheCellCancelDropsTheCopyAndOkStores) {
    // A close that reaches the dialog before it was ever opened changes nothing.
    ::SendMessageW(form.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(Titles(settings.Programs()), (std::vector<std::wstring>{L"A", L"B"}));

    Open();
    ASSERT_TRUE(::IsWindowVisible(form.hwnd()));
    const std::wstring longPath = L"C:\\" + std::wstring(280, L'x') + L"\\long.txt";
    DropAt(1, {L"C:\\data\\one.txt", L"C:\\tools\\two.exe", longPath});
    const ItemList& items = form.ItemsOf(kProgramTray);
    // Inserted one by one at the same cell: they read in reverse order.
    EXPECT_EQ(Titles(items), (std::vector<std::wstring>{L"A", L"long.txt", L"two.exe", L"one.txt", L"B"}));
    EXPECT_EQ(items[1].ExeFileName, longPath) << "a long path is read whole";
    EXPECT_EQ(items[2].IconIndex, 0) << "a program shows its first icon";
    EXPECT_EQ(items[3].IconIndex, -1);
    EXPECT_EQ(items[3].DirectoryName, L"C:\\data");
    EXPECT_EQ(Titles(settings.Programs()), (std::vector<std::wstring>{L"A", L"B"})) << "only the copy changed";

    // Twelve across widens the dialog to 12 × 40 + 18 pixels.
    HWND combo = ::GetDlgItem(form.hwnd(), kWidthComboBoxId);
    ::SendMessageW(combo, CB_SETCURSEL, 12 - 3, 0);
    ::SendMessageW(form.hwnd(), WM_COMMAND, MAKEWPARAM(kWidthComboBoxId, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
    RECT window{};
    ::GetWindowRect(form.hwnd(), &window);
    EXPECT_EQ(window.right - window.left, 498);

    form.CancelButtonClick();
    EXPECT_FALSE(::IsWindowVisible(form.hwnd()));
    EXPECT_EQ(Titles(settings.Programs()), (std::vector<std::wstring>{L"A", L"B"}));
    EXPECT_EQ(settings.Options().ColMax, 7);

    Open();
    DropAt(5, {L"C:\\data\\three.txt"});
    EXPECT_EQ(Titles(form.ItemsOf(kProgramTray)), (std::vector<std::wstring>{L"A", L"B", L"three.txt"}))
        << "after the last entry";
    ::SendMessageW(combo, CB_SETCURSEL, 9 - 3, 0);
    ::SendMessageW(form.hwnd(), WM_COMMAND, MAKEWPARAM(kWidthComboBoxId, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
    form.OkButtonClick();
    EXPECT_FALSE(::IsWindowVisible(form.hwnd()));
    EXPECT_EQ(Titles(settings.Programs()), (std::vector<std::wstring>{L"A", L"B", L"three.txt"}));
    EXPECT_EQ(settings.Options().ColMax, 9);
    EXPECT_EQ(Stored(), Titles(settings.Programs()));
}

TEST_F(ConfigFormTest, DeleteConfirmationRemovesTheEntryItWasOpenedFor) {
    Open();
    ItemList& items = form.ItemsOf(kProgramTray);
    items.push_back(Entry(L"C"));
    form.PrepareProgMenu(0);
    form.pmDeleteClick();
    ASSERT_TRUE(::IsWindowVisible(remove.hwnd()));
    // The registration dialog stays usable: the entry is dragged elsewhere.
    std::swap(items[0], items[2]);
    remove.OKButtonClick();
    EXPECT_EQ(Titles(items), (std::vector<std::wstring>{L"C", L"B"}));

    // Gone meanwhile: nothing is deleted.
    form.PrepareProgMenu(1);
    form.pmDeleteClick();
    items.pop_back();
    remove.OKButtonClick();
    EXPECT_EQ(Titles(items), (std::vector<std::wstring>{L"C"}));

    // No leaves the list as it is.
    form.PrepareProgMenu(0);
    form.pmDeleteClick();
    remove.CancelButtonClick();
    EXPECT_EQ(Titles(items), (std::vector<std::wstring>{L"C"}));
}

// Moved to a monitor of 144 DPI, the dialog takes the suggested rectangle and
// every control its place, size and font at 1.5 times; back at 96 DPI it is as
// it was. (Wine never sends the message itself: it is sent as Windows would.)
TEST_F(ConfigFormTest, ADpiChangeRescalesEveryControlAndItsFont) {
    Open();
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
// the editor changes the entry it was opened for wherever it went, a failed
// write leaves the dialog open with its edits, and a copy taken before another
// change was stored is refused rather than written over it.
TEST_F(ConfigFormTest, ReorderingAFailedOkAndAStaleCopyKeepEveryonesChanges) {
    Open();
    ItemList& items = form.ItemsOf(kProgramTray);
    MoveEntry(items, 0, 1);
    // The icon pressed again finds the dialog open, and only brings it forward.
    EXPECT_TRUE(form.IsOpen());
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

    // The editor opened on A; meanwhile A is dragged back to the front.
    items[1].IconFileName = L"C:\\windows\\notepad.exe";
    form.PrepareProgMenu(1);
    form.pmSettingClick();
    ASSERT_TRUE(::IsWindowVisible(setting.hwnd()));
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
    EXPECT_EQ(Titles(settings.Programs()), (std::vector<std::wstring>{L"A", L"B"})) << "the copy was edited";

    // OK while another program holds the file: the error is shown, the dialog
    // and its edits stay, and OK stores them once the file is free.
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
    EXPECT_EQ(Titles(form.ItemsOf(kProgramTray)), (std::vector<std::wstring>{L"B", L"A2"}));
    EXPECT_EQ(Titles(settings.Programs()), (std::vector<std::wstring>{L"A", L"B"}));
    form.OkButtonClick();
    EXPECT_FALSE(::IsWindowVisible(form.hwnd()));
    EXPECT_EQ(Stored(), (std::vector<std::wstring>{L"B", L"A2"}));
    EXPECT_EQ(Titles(settings.Programs()), Stored());

    // A copy taken before another change (here the options) was stored: OK
    // says so, and neither the file nor the lists in force get the old copy.
    Open();
    MoveEntry(form.ItemsOf(kProgramTray), 0, 1);
    SettingsEdit options;
    options.BasedOn = settings.Revision();
    options.Options = settings.Options();
    options.Options->ColMax = 5;
    ASSERT_EQ(settings.Commit(options), CommitResult::Stored);
    {
        MessageBoxAnswerer answerer;
        form.OkButtonClick();
        EXPECT_TRUE(answerer.Answered()) << "the refusal is reported";
    }
    EXPECT_FALSE(::IsWindowVisible(form.hwnd()));
    EXPECT_EQ(Stored(), (std::vector<std::wstring>{L"B", L"A2"}));
    EXPECT_EQ(Titles(settings.Programs()), (std::vector<std::wstring>{L"B", L"A2"}));
    EXPECT_EQ(settings.Options().ColMax, 5) << "the other change stays";
}

}  // namespace
}  // namespace tdx::test
