// The resident program as a user meets it: one instance, the hotkey, the
// notification-area icon and its menu, and a clean exit.
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "dialogs/option_form.h"
#include "support/tiledex_process_win.h"

namespace tdx::test {
namespace {

using namespace std::chrono_literals;

bool HotKeyIsFree(UINT modifiers, UINT key) {
    if (!::RegisterHotKey(nullptr, 0x5A5A, modifiers, key)) return false;
    ::UnregisterHotKey(nullptr, 0x5A5A);
    return true;
}

bool ChooseTrayMenuItem(TiledexProcess& tiledex, WORD accessKey) {
    if (!tiledex.OpenTrayMenu()) return false;
    PressKeys({accessKey});
    return WaitUntil([&] {
        HWND menu = FindProcessWindow(L"#32768", tiledex.ProcessId());
        return !menu || !::IsWindowVisible(menu);
    });
}

bool FormVisible(const TiledexProcess& tiledex, const wchar_t* className) {
    HWND form = FindProcessWindow(className, tiledex.ProcessId());
    return form && ::IsWindowVisible(form);
}

TEST(Resident, SecondStartEndsSilentlyAndLeavesOneInstance) {
    TiledexProcess tiledex;
    ASSERT_TRUE(tiledex.Start());
    EXPECT_EQ(tiledex.StartSecondInstance(), 0);
    EXPECT_EQ(CountWindowsOfClass(L"TTiledexMain"), 1);
    EXPECT_TRUE(tiledex.Running());
    // The main window is never shown and the popup starts hidden; the dialogs
    // are made only when first opened.
    EXPECT_FALSE(::IsWindowVisible(tiledex.MainWindow()));
    EXPECT_FALSE(::IsWindowVisible(tiledex.Popup()));
    for (const wchar_t* cls : {L"TDeleteForm", L"TOptionForm", L"TAboutForm", L"TSettingForm", L"TConfigForm",
                               L"TSelectForm", L"TChangeForm"})
        EXPECT_EQ(FindProcessWindow(cls, tiledex.ProcessId()), nullptr) << "made at start-up";
    EXPECT_EQ(WindowText(tiledex.Popup()), L"tiledex");
    EXPECT_TRUE(tiledex.TrayIconPresent());
}

// Autorun, a shortcut and impatient double-clicks in the same moment: one stays,
// the others leave quietly.
TEST(Resident, TenStartsAtOnceLeaveOneInstance) {
    TiledexProcess tiledex;
    const std::vector<int> codes = tiledex.StartManyAtOnce(10);
    ASSERT_EQ(codes.size(), 9u);
    for (int code : codes) EXPECT_EQ(code, 0);
    EXPECT_TRUE(tiledex.Running());
    EXPECT_EQ(CountWindowsOfClass(L"TTiledexMain"), 1);
    EXPECT_TRUE(tiledex.TrayIconPresent());
}

TEST(Resident, HotKeyShowsThePopupAndHidesItAgain) {
    // The popup opens in the middle of the screen; the pointer stays clear of it.
    MouseRest mouse;
    ASSERT_TRUE(mouse.Ready());
    TiledexProcess tiledex;
    ASSERT_TRUE(tiledex.Start());
    EXPECT_FALSE(HotKeyIsFree(MOD_CONTROL | MOD_ALT, 'J'));

    PressKeys({VK_CONTROL, VK_MENU, 'J'});
    ASSERT_TRUE(WaitUntil([&] { return tiledex.PopupVisible(); }));
    EXPECT_EQ(::GetForegroundWindow(), tiledex.Popup());
    const LONG style = ::GetWindowLongW(tiledex.Popup(), GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, 0) << "the popup has no caption bar";

    PressKeys({VK_CONTROL, VK_MENU, 'J'});
    EXPECT_TRUE(WaitUntil([&] { return !tiledex.PopupVisible(); }));

    // Escape hides it as well, and the hotkey shows it again afterwards.
    PressKeys({VK_CONTROL, VK_MENU, 'J'});
    ASSERT_TRUE(WaitUntil([&] { return tiledex.PopupVisible(); }));
    PressKeys({VK_ESCAPE});
    EXPECT_TRUE(WaitUntil([&] { return !tiledex.PopupVisible(); }));
    PressKeys({VK_CONTROL, VK_MENU, 'J'});
    EXPECT_TRUE(WaitUntil([&] { return tiledex.PopupVisible(); }));
}

TEST(Resident, HotKeyComesFromTheSettingsFile) {
    TiledexProcess tiledex;
    // Shift + Ctrl + Alt + F5.
    WriteSettingsFile(tiledex.SettingsFolder() / L"tiledex.ini",
                      "[Option]\r\nVkMod=7\r\nVkKey=0x74\r\n");
    ASSERT_TRUE(tiledex.Start());

    PressKeys({VK_CONTROL, VK_MENU, 'J'});
    EXPECT_FALSE(WaitUntil([&] { return tiledex.PopupVisible(); }, 1500ms));
    EXPECT_TRUE(HotKeyIsFree(MOD_CONTROL | MOD_ALT, 'J'));

    PressKeys({VK_SHIFT, VK_CONTROL, VK_MENU, VK_F5});
    EXPECT_TRUE(WaitUntil([&] { return tiledex.PopupVisible(); }));
}

TEST(Resident, ExitFromTheMenuReleasesHotKeyAndIcon) {
    TiledexProcess tiledex;
    ASSERT_TRUE(tiledex.Start());
    ASSERT_TRUE(tiledex.TrayIconPresent());
    const HWND mainWindow = tiledex.MainWindow();

    ASSERT_TRUE(ChooseTrayMenuItem(tiledex, 'X'));
    ASSERT_TRUE(tiledex.WaitForExit());
    EXPECT_EQ(tiledex.ExitCode(), 0u);
    EXPECT_TRUE(HotKeyIsFree(MOD_CONTROL | MOD_ALT, 'J'));

    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = mainWindow;
    data.uID = 1;
    EXPECT_FALSE(::Shell_NotifyIconW(NIM_MODIFY, &data)) << "the icon is gone";

    TiledexProcess again;
    EXPECT_TRUE(again.Start()) << "a new instance can start after Exit";
}

// The process of the 32-bit companion that the program started, opened for
// waiting and its exit code; null while there is none.
HANDLE OpenCompanionOf(DWORD programId) {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    HANDLE companion = nullptr;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more && !companion;
         more = ::Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID == programId && _wcsicmp(entry.szExeFile, L"tdxhook32.exe") == 0)
            companion = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
    }
    ::CloseHandle(snapshot);
    return companion;
}

// The test bed has no 32-bit Wine: a 64-bit build of the companion stands in
// for it, in a folder of the program's own.
void PlaceProgramWithCompanion(const TempFolder& folder) {
    namespace fs = std::filesystem;
    for (const wchar_t* name : {L"tiledex.exe", L"tdxhook.dll"})
        fs::copy_file(ExeDir() / name, folder.path() / name);
    fs::copy_file(ExeDir() / L"companion_standin.exe", folder.path() / L"tdxhook32.exe");
    fs::copy_file(ExeDir() / L"tdxhook.dll", folder.path() / L"tdxhook32.dll");
}

// The companion comes with the program, installs its hooks, and goes with the
// program however the program ends.
TEST(Resident, HookCompanionComesAndGoesWithTheProgram) {
    TempFolder folder;
    PlaceProgramWithCompanion(folder);

    for (bool killed : {false, true}) {
        SCOPED_TRACE(killed ? "program killed" : "Exit from the menu");
        TiledexProcess tiledex(folder.path() / L"tiledex.exe");
        ASSERT_TRUE(tiledex.Start());
        HANDLE companion = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (companion = OpenCompanionOf(tiledex.ProcessId())) != nullptr; }));
        ::Sleep(500);
        DWORD code = 0;
        ASSERT_TRUE(::GetExitCodeProcess(companion, &code));
        EXPECT_EQ(code, STILL_ACTIVE) << "the companion could not install its hooks";

        if (killed) {
            HANDLE program = ::OpenProcess(PROCESS_TERMINATE, FALSE, tiledex.ProcessId());
            ::TerminateProcess(program, 9);
            ::CloseHandle(program);
        } else {
            ASSERT_TRUE(ChooseTrayMenuItem(tiledex, 'X'));
        }
        EXPECT_EQ(::WaitForSingleObject(companion, 10000), WAIT_OBJECT_0);
        ::GetExitCodeProcess(companion, &code);
        EXPECT_EQ(code, 0u) << "it removes its hooks and ends by itself";
        ::CloseHandle(companion);
        EXPECT_TRUE(tiledex.WaitForExit());
    }
}

// A companion that ends while the program runs (it crashed, or someone ended
// it) is started again after a pause, and says again that its hooks are in.
TEST(Resident, AHookCompanionThatEndsIsStartedAgain) {
    TempFolder folder;
    PlaceProgramWithCompanion(folder);
    TiledexProcess tiledex(folder.path() / L"tiledex.exe");
    ASSERT_TRUE(tiledex.Start());
    const std::wstring readyName = L"TdxHookCompanionReady." + std::to_wstring(tiledex.ProcessId());
    HANDLE ready = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (ready = ::OpenEventW(SYNCHRONIZE, FALSE, readyName.c_str())) != nullptr; }));

    DWORD ended = 0;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        HANDLE companion = nullptr;
        ASSERT_TRUE(WaitUntil([&] {
            if (companion) ::CloseHandle(companion);
            companion = OpenCompanionOf(tiledex.ProcessId());
            return companion && ::GetProcessId(companion) != ended;
        }));
        // Set by this companion: the program clears it before each start.
        EXPECT_TRUE(WaitUntil([&] { return ::WaitForSingleObject(ready, 0) == WAIT_OBJECT_0; }));
        ended = ::GetProcessId(companion);
        HANDLE killer = ::OpenProcess(PROCESS_TERMINATE, FALSE, ended);
        ASSERT_TRUE(killer);
        ::TerminateProcess(killer, 9);
        ::CloseHandle(killer);
        EXPECT_EQ(::WaitForSingleObject(companion, 10000), WAIT_OBJECT_0);
        ::CloseHandle(companion);
    }
    HANDLE last = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        if (last) ::CloseHandle(last);
        last = OpenCompanionOf(tiledex.ProcessId());
        return last && ::GetProcessId(last) != ended;
    }));
    ASSERT_TRUE(ChooseTrayMenuItem(tiledex, 'X'));
    EXPECT_EQ(::WaitForSingleObject(last, 10000), WAIT_OBJECT_0) << "the last one goes with the program";
    ::CloseHandle(last);
    ::CloseHandle(ready);
    EXPECT_TRUE(tiledex.WaitForExit());
}

TEST(Resident, TaskbarCreatedBringsTheIconBack) {
    TiledexProcess tiledex;
    ASSERT_TRUE(tiledex.Start());
    ASSERT_TRUE(tiledex.TrayIconPresent());

    // The shell restarted and lost every icon.
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = tiledex.MainWindow();
    data.uID = 1;
    ASSERT_TRUE(::Shell_NotifyIconW(NIM_DELETE, &data));
    ASSERT_FALSE(tiledex.TrayIconPresent());

    const UINT taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(HWND_BROADCAST, taskbarCreated, 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
    EXPECT_TRUE(WaitUntil([&] { return tiledex.TrayIconPresent(); }));
}

TEST(Resident, IconPressesAndMenuOpenTheirWindows) {
    TiledexProcess tiledex;
    ASSERT_TRUE(tiledex.Start());
    HWND mainWindow = tiledex.MainWindow();

    // A left press on the icon opens the icon registration dialog; releases do nothing.
    ::PostMessageW(mainWindow, 0x07E8, 1, WM_LBUTTONUP);
    ::PostMessageW(mainWindow, 0x07E8, 1, WM_RBUTTONUP);
    EXPECT_FALSE(WaitUntil([&] { return FormVisible(tiledex, L"TConfigForm"); }, 500ms));
    ::PostMessageW(mainWindow, 0x07E8, 1, WM_LBUTTONDOWN);
    ASSERT_TRUE(WaitUntil([&] { return FormVisible(tiledex, L"TConfigForm"); }));

    // About, then Options: only one configuration window stays open.
    ASSERT_TRUE(ChooseTrayMenuItem(tiledex, 'A'));
    ASSERT_TRUE(WaitUntil([&] { return FormVisible(tiledex, L"TAboutForm"); }));
    EXPECT_FALSE(FormVisible(tiledex, L"TConfigForm"));
    ASSERT_TRUE(ChooseTrayMenuItem(tiledex, 'O'));
    ASSERT_TRUE(WaitUntil([&] { return FormVisible(tiledex, L"TOptionForm"); }));
    EXPECT_FALSE(FormVisible(tiledex, L"TAboutForm"));
    ASSERT_TRUE(ChooseTrayMenuItem(tiledex, 'S'));
    ASSERT_TRUE(WaitUntil([&] { return FormVisible(tiledex, L"TSelectForm"); }));
    EXPECT_FALSE(FormVisible(tiledex, L"TOptionForm"));

    // The hotkey closes the open dialogs before the popup appears.
    PressKeys({VK_CONTROL, VK_MENU, 'J'});
    ASSERT_TRUE(WaitUntil([&] { return tiledex.PopupVisible(); }));
    EXPECT_FALSE(FormVisible(tiledex, L"TSelectForm"));
}

TEST(Resident, ActivationReportsWithdrawAndRestoreTheHotKey) {
    TiledexProcess tiledex;
    ASSERT_TRUE(tiledex.Start());
    HWND mainWindow = tiledex.MainWindow();

    // A console window became active: the combination must reach it.
    ::PostMessageW(mainWindow, 0x07E9, 1, 0);
    ASSERT_TRUE(WaitUntil([] { return HotKeyIsFree(MOD_CONTROL | MOD_ALT, 'J'); }));

    // Any other window became active: the hotkey is back.
    ::PostMessageW(mainWindow, 0x07E9, 2, 0);
    ASSERT_TRUE(WaitUntil([] { return !HotKeyIsFree(MOD_CONTROL | MOD_ALT, 'J'); }));
    ::PostMessageW(mainWindow, 0x07E9, 2, 0);  // a second report changes nothing
    PressKeys({VK_CONTROL, VK_MENU, 'J'});
    EXPECT_TRUE(WaitUntil([&] { return tiledex.PopupVisible(); }));
}

TEST(Resident, GestureReportShowsThePopupAndNeverHidesIt) {
    TiledexProcess tiledex;
    ASSERT_TRUE(tiledex.Start());
    HWND mainWindow = tiledex.MainWindow();

    ::PostMessageW(mainWindow, 0x07E9, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return tiledex.PopupVisible(); }));
    // A second gesture only brings the popup forward.
    ::PostMessageW(mainWindow, 0x07E9, 0, 0);
    EXPECT_FALSE(WaitUntil([&] { return !tiledex.PopupVisible(); }, 1000ms));
    // Unknown reports do nothing.
    ::PostMessageW(mainWindow, 0x07E9, 7, 0);
    EXPECT_FALSE(WaitUntil([&] { return !tiledex.PopupVisible(); }, 500ms));
    // The hotkey hides a gesture popup as it hides its own.
    PressKeys({VK_CONTROL, VK_MENU, 'J'});
    EXPECT_TRUE(WaitUntil([&] { return !tiledex.PopupVisible(); }));
}

TEST(Resident, EnvironmentMenuSwitchesOptionsAndRemembersTheChoice) {
    TiledexProcess tiledex;
    const auto folder = tiledex.SettingsFolder();
    WriteSettingsFile(folder / L"tiledex.ini",
                      "[Option]\r\nIniNo=1\r\nIniMax=2\r\nIniOrder1=1\r\nIniOrder2=2\r\n"
                      "IniPopup1=1\r\nIniPopup2=1\r\nIniName1=Home\r\nIniName2=Work\r\n");
    // The second environment opens the popup with Ctrl + Alt + K.
    WriteSettingsFile(folder / L"tiledex2.ini", "[Option]\r\nVkKey=75\r\n");
    ASSERT_TRUE(tiledex.Start());
    ASSERT_FALSE(HotKeyIsFree(MOD_CONTROL | MOD_ALT, 'J'));

    ASSERT_TRUE(ChooseTrayMenuItem(tiledex, '2'));
    EXPECT_TRUE(WaitUntil([] { return !HotKeyIsFree(MOD_CONTROL | MOD_ALT, 'K'); }));
    EXPECT_TRUE(HotKeyIsFree(MOD_CONTROL | MOD_ALT, 'J'));
    const auto currentSlot = [&] {
        wchar_t current[16]{};
        ::GetPrivateProfileStringW(L"Option", L"IniNo", L"", current, 16,
                                   (folder / L"tiledex.ini").c_str());
        return std::wstring(current);
    };
    EXPECT_TRUE(WaitUntil([&] { return currentSlot() == L"2"; })) << "IniNo is stored";

    ASSERT_TRUE(ChooseTrayMenuItem(tiledex, '1'));
    EXPECT_TRUE(WaitUntil([] { return !HotKeyIsFree(MOD_CONTROL | MOD_ALT, 'J'); }));
    EXPECT_TRUE(HotKeyIsFree(MOD_CONTROL | MOD_ALT, 'K'));
    EXPECT_TRUE(WaitUntil([&] { return currentSlot() == L"1"; }));

    // An environment whose file is gone: one message, and nothing changes.
    std::filesystem::remove(folder / L"tiledex2.ini");
    ASSERT_TRUE(tiledex.OpenTrayMenu());
    PressKeys({'2'});
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        box = FindProcessWindow(L"#32770", tiledex.ProcessId());
        return box && ::IsWindowVisible(box);
    }));
    EXPECT_EQ(WindowText(box), L"tiledex");
    HWND text = ::FindWindowExW(box, nullptr, L"Static", nullptr);
    while (text && WindowText(text).empty()) text = ::FindWindowExW(box, text, L"Static", nullptr);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(WindowText(text), L"設定ファイルtiledex2.iniが見つかりません。");
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(box); }));
    EXPECT_FALSE(HotKeyIsFree(MOD_CONTROL | MOD_ALT, 'J'));
    EXPECT_EQ(currentSlot(), L"1");
}

// Dismisses the one message box the program shows; false when none came.
bool DismissMessage(TiledexProcess& tiledex) {
    HWND box = nullptr;
    if (!WaitUntil([&] {
            box = FindProcessWindow(L"#32770", tiledex.ProcessId());
            return box && ::IsWindowVisible(box);
        }))
        return false;
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    return WaitUntil([&] { return !::IsWindow(box); });
}

// A switch that fails half-way leaves one environment current, never parts of two.
TEST(Resident, EnvironmentSwitchIsAllOrNothing) {
    TiledexProcess tiledex;
    const auto folder = tiledex.SettingsFolder();
    const auto first = folder / L"tiledex.ini", second = folder / L"tiledex2.ini";
    WriteSettingsFile(first, "[Option]\r\nIniNo=1\r\nIniMax=2\r\nIniOrder1=1\r\nIniOrder2=2\r\n"
                             "IniPopup1=1\r\nIniPopup2=1\r\nIniName1=Home\r\nIniName2=Work\r\n");
    // No System list: switching there writes the default one back.
    WriteSettingsFile(second, "[Option]\r\nVkKey=75\r\n");
    ASSERT_TRUE(tiledex.Start());
    const auto storedSlot = [&] {
        ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, first.c_str());
        return ::GetPrivateProfileIntW(L"Option", L"IniNo", 0, first.c_str());
    };

    // File 1 cannot name the new environment: the old one stays, wholly.
    ::SetFileAttributesW(first.c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(ChooseTrayMenuItem(tiledex, '2'));
    EXPECT_TRUE(DismissMessage(tiledex));
    ::SetFileAttributesW(first.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(storedSlot(), 1u);
    EXPECT_FALSE(HotKeyIsFree(MOD_CONTROL | MOD_ALT, 'J'));
    EXPECT_TRUE(HotKeyIsFree(MOD_CONTROL | MOD_ALT, 'K'));

    // The new environment's System list cannot be written back: it still
    // becomes current everywhere, and the failure is reported.
    ::SetFileAttributesW(second.c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(ChooseTrayMenuItem(tiledex, '2'));
    EXPECT_TRUE(DismissMessage(tiledex));
    ::SetFileAttributesW(second.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(storedSlot(), 2u);
    EXPECT_TRUE(WaitUntil([] { return !HotKeyIsFree(MOD_CONTROL | MOD_ALT, 'K'); }));
    EXPECT_TRUE(HotKeyIsFree(MOD_CONTROL | MOD_ALT, 'J'));
}

// Another program holds the combination: the user is told once which one,
// and the program stays up with its icon.
TEST(Resident, TakenHotKeyIsReportedOnceAndTheProgramStays) {
    ASSERT_TRUE(::RegisterHotKey(nullptr, 0x5A5C, MOD_CONTROL | MOD_ALT, 'J'));
    TiledexProcess tiledex;
    ASSERT_TRUE(tiledex.Start());
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        box = FindProcessWindow(L"#32770", tiledex.ProcessId());
        return box && ::IsWindowVisible(box);
    }));
    std::wstring text;
    for (HWND child = ::FindWindowExW(box, nullptr, L"Static", nullptr); child;
         child = ::FindWindowExW(box, child, L"Static", nullptr))
        text += WindowText(child);
    EXPECT_NE(text.find(L"Ctrl + Alt + J"), std::wstring::npos) << "the message names the combination";
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(box); }));
    ::UnregisterHotKey(nullptr, 0x5A5C);
    ::Sleep(500);
    EXPECT_EQ(FindProcessWindow(L"#32770", tiledex.ProcessId()), nullptr) << "told once";
    EXPECT_TRUE(tiledex.Running());
    EXPECT_TRUE(tiledex.TrayIconPresent());
}

// While a modal dialog of the program is up (here the options dialog's colour
// dialog), neither the hotkey nor the menu's commands hide its owner or open
// another window: the modal dialog is brought to the front instead.
TEST(Resident, AModalDialogKeepsItsOwnerAgainstTheHotKeyAndTheMenu) {
    TiledexProcess tiledex;
    ASSERT_TRUE(tiledex.Start());
    ::PostMessageW(tiledex.MainWindow(), WM_COMMAND, 110, 0);  // 各種設定(&O)...
    HWND options = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        options = FindProcessWindow(L"TOptionForm", tiledex.ProcessId());
        return options && ::IsWindowVisible(options);
    }));
    HWND colour = ::GetDlgItem(::GetDlgItem(options, kOptPageId), kOptTextColorButtonId);
    if (!colour) colour = ::GetDlgItem(options, kOptTextColorButtonId);
    ASSERT_NE(colour, nullptr);
    ::PostMessageW(colour, BM_CLICK, 0, 0);
    HWND picker = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        picker = FindProcessWindow(L"#32770", tiledex.ProcessId());
        return picker && ::IsWindowVisible(picker);
    }));

    PressKeys({VK_CONTROL, VK_MENU, 'J'});
    ::PostMessageW(tiledex.MainWindow(), WM_COMMAND, 111, 0);  // アイコン登録(&R)...
    ::PostMessageW(tiledex.MainWindow(), WM_COMMAND, 112, 0);  // 環境選択/設定(&S)...
    ::PostMessageW(tiledex.MainWindow(), WM_COMMAND, 115, 0);  // 終了(&X)
    // A barrier: the hook's "console active" report, posted last, gives the
    // hotkey up; once it is free, everything before it has been handled.
    ::PostMessageW(tiledex.MainWindow(), 0x07E9, 1, 0);
    ASSERT_TRUE(WaitUntil([] { return HotKeyIsFree(MOD_CONTROL | MOD_ALT, 'J'); }));
    ::PostMessageW(tiledex.MainWindow(), 0x07E9, 2, 0);
    EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == picker; }));
    EXPECT_FALSE(tiledex.PopupVisible());
    EXPECT_TRUE(::IsWindowVisible(options));
    EXPECT_TRUE(::IsWindowVisible(picker));
    EXPECT_FALSE(::IsWindowVisible(FindProcessWindow(L"TConfigForm", tiledex.ProcessId())));
    EXPECT_FALSE(::IsWindowVisible(FindProcessWindow(L"TSelectForm", tiledex.ProcessId())));
    EXPECT_TRUE(tiledex.Running());

    // Once it is closed, the menu works again.
    ::PostMessageW(picker, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(picker) || !::IsWindowVisible(picker); }));
    ::PostMessageW(tiledex.MainWindow(), WM_COMMAND, 112, 0);
    EXPECT_TRUE(WaitUntil([&] {
        HWND select = FindProcessWindow(L"TSelectForm", tiledex.ProcessId());
        return select && ::IsWindowVisible(select);
    }));
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(options); }));
}

}  // namespace
}  // namespace tdx::test
