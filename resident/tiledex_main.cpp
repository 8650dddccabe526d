#include "resident/tiledex_main.h"

#include <exception>

#include <shellapi.h>

#include "dialogs/about_form.h"
#include "dialogs/config_form.h"
#include "dialogs/delete_form.h"
#include "dialogs/option_form.h"
#include "dialogs/setting_form.h"
#include "hook/hook_share.h"
#include "hook/tdxhook.h"
#include "popup/tdx_main_form.h"
#include "dialogs/change_form.h"
#include "dialogs/dialog_support.h"
#include "resident/help.h"
#include "dialogs/select_form.h"
#include "settings/hotkey_text.h"
#include "settings/item_context_win.h"
#include "settings/item_icons_win.h"
#include "settings/keyboard_digits_win.h"
#include "settings/migration_win.h"
#include "settings/monitors_win.h"
#include "settings/settings_files.h"
#include "settings/settings_folder_win.h"
#include "settings/system_items.h"
#include "settings/windows_version_win.h"
#include "settings/error_display_win.h"
#include "winbase/file_tests.h"
#include "winbase/message_pump.h"
#include "winbase/ui_text_win.h"
#include "winbase/decimal_text.h"

namespace tdx {
namespace {

constexpr UINT kTrayIconId = 1;

}  // namespace

bool TTiledexMain::Create() {
    // A plain (not message-only) window: it must receive the "TaskbarCreated" broadcast.
    taskbarCreatedMessage_ = ::RegisterWindowMessageW(L"TaskbarCreated");
    if (!CreateWindowOfClass(L"TTiledexMain", kApplicationTitle, WS_POPUP, WS_EX_TOOLWINDOW, 0, 0,
                             0, 0, nullptr))
        return false;
    RunGuarded(hwnd(), [this] { FormCreate(); });
    return true;
}

void TTiledexMain::FormCreate() {
    ::ShowWindow(hwnd(), SW_HIDE);
    LoadSharedIcons();
    settings_.SetContext(MakeProgramItemContext(
        [this] {
            cdDevice_.Open(hwnd());
            cdDevice_.SetTimeFormat();
        },
        [this] { cdDevice_.Close(hwnd()); }));
    // The system's language until tiledex.ini can tell: the moved file is
    // only found after the migration, which may have a message to show.
    UseUiLanguage(0);
    RunGuarded(hwnd(), [this] { MigrateOldSettings(hwnd()); });
    RunGuarded(hwnd(), [this] { settings_.LoadLanguage(); });
    UseUiLanguage(settings_.Options().Language);
    // Each settings step reports its own failure and start-up goes on: the
    // program stays usable with whatever could be read.
    settings_.Load([this](const std::function<void()>& step) { RunGuarded(hwnd(), step); });
    RefreshEnvironmentMenu();
    // Told once start-up is over, from the message loop: a message box here
    // would hold back the icon and the hooks.
    if (!RegisterPopupHotKey()) ::PostMessageW(hwnd(), WM_HOOKNOTIFY, kNotifyHotKeyTaken, 0);
    typeAhead_.Install([this](DWORD vk) { return HotKeyStartsPopup(vk); });
    if (PortableSettings() && !SettingsFolderWritable())
        ::PostMessageW(hwnd(), WM_HOOKNOTIFY, kNotifySettingsReadOnly, 0);
    // The hooks go in whatever MouseFlag says: the activation reports need them too.
    // Without them gestures simply never arrive; nothing to report.
    ::SetHook(hwnd(), WM_HOOKNOTIFY);
    ::SetConfig(settings_.Options().DosFlag, settings_.Options().MouseFlag);
    InitUsKeyboard();
    AddTrayIcon();
    help_.Install();
    // What the user does not wait for comes last: the 32-bit companion (a
    // process start) and the entries' icons.
    hook32_.Start();
    StartIconLoading();
}

void TTiledexMain::StartIconLoading() noexcept {
    try {
        iconLoader_.Start(hwnd(), settings_.PendingIcons());
    } catch (...) {
        // Out of memory: the entries keep the fallback icon.
    }
}

void TTiledexMain::IconLoaded(LPARAM message) noexcept {
    const std::unique_ptr<LoadedIcon> loaded = TakeLoadedIconMessage(message);
    if (!settings_.TakeLoadedIcon(loaded->request, loaded->icon)) {
        ReleaseEntryIcon(loaded->icon);
        return;
    }
    if (windows_.popup)
        windows_.popup->RepaintCell(loaded->request.list, static_cast<std::int32_t>(loaded->request.index));
}

void TTiledexMain::FormClose() noexcept {
    typeAhead_.Remove();
    iconLoader_.Cancel();
    CloseOtherWindows(KeepWindow::None);
    UnregisterPopupHotKey();
    hook32_.Stop();
    ::RemoveHook();
    settings_.Clear();
    help_.Request(HELP_QUIT, 0);
    if (cdDevice_.IsOpen()) cdDevice_.Close(hwnd());
    RemoveTrayIcon();
}

bool TTiledexMain::CloseOtherWindows(KeepWindow keep) noexcept {
    if (windows_.popup && windows_.popup->Shown()) windows_.popup->Dismiss();
    auto hideUnless = [keep](FormWindow* form, KeepWindow own) {
        if (form && keep != own) form->Hide();
    };
    hideUnless(windows_.configForm, KeepWindow::Registration);
    hideUnless(windows_.optionForm, KeepWindow::Options);
    hideUnless(windows_.aboutForm, KeepWindow::About);
    hideUnless(windows_.selectForm, KeepWindow::Environments);
    if (windows_.settingForm) windows_.settingForm->Hide();
    if (windows_.deleteForm) windows_.deleteForm->Hide();
    return true;
}

void TTiledexMain::ApplyOptions(const OptionSet& newOptions) {
    SettingsEdit edit;
    edit.BasedOn = optionsBasedOn_;
    edit.Options = newOptions;
    if (settings_.Commit(edit) == CommitResult::Stale) ShowWarning(hwnd(), Text(IDS_CHANGED_ELSEWHERE));
}

void TTiledexMain::ApplyEnvironments(const EnvironmentEdit& edit, int slot, bool reload) {
    if (settings_.CommitEnvironments(edit) == CommitResult::Stale) {
        ShowWarning(hwnd(), Text(IDS_CHANGED_ELSEWHERE));
        return;
    }
    if (slot != 0) SwitchEnvironment(slot, reload);
}

void TTiledexMain::SettingsChanged(const SettingsChange& change) noexcept {
    if (change.Options) OptionsChanged();
    if (change.Environments) RefreshEnvironmentMenu();
}

void TTiledexMain::OptionsChanged() noexcept {
    // Let go first, so that a new combination never meets the old one still registered.
    UnregisterPopupHotKey();
    if (!RegisterPopupHotKey()) ReportTakenHotKey();
    ::SetConfig(settings_.Options().DosFlag, settings_.Options().MouseFlag);
}

bool TTiledexMain::ModalDialogInTheWay() noexcept {
    const HWND modal = FindActiveModalDialog();
    if (modal) ::SetForegroundWindow(modal);
    return modal != nullptr || ModalScope::Active();
}

void TTiledexMain::OpenIconRegistration() noexcept {
    if (ModalDialogInTheWay()) return;
    // Open already: only brought to the front, with the editor or question it has open.
    if (windows_.configForm && windows_.configForm->IsOpen()) {
        windows_.configForm->BringForward();
        return;
    }
    if (!CloseOtherWindows(KeepWindow::Registration) || !windows_.configForm ||
        !windows_.configForm->EnsureCreated())
        return;
    // The dialog edits copies with icons of their own; OK hands them back.
    SettingsEdit copy;
    copy.BasedOn = settings_.Revision();
    try {
        copy.Options = settings_.Options();
        copy.Programs = settings_.CopyList(kProgramTray);
        copy.Systems = settings_.CopyList(kSystemTray);
    } catch (...) {
        // Not opened: the copies made so far go.
        if (copy.Programs) FreeItemList(settings_.Context(), *copy.Programs, true);
        return;
    }
    windows_.configForm->OpenRegistration(std::move(copy));
}

bool TTiledexMain::RegisterPopupHotKey() noexcept {
    hotKeyRegistered_ = ::RegisterHotKey(hwnd(), 0, static_cast<UINT>(settings_.Options().VkMod),
                                         static_cast<UINT>(settings_.Options().VkKey)) != FALSE;
    return hotKeyRegistered_;
}

void TTiledexMain::ReportTakenHotKey() noexcept {
    // The program stays usable through its icon and the gestures.
    try {
        const std::wstring text = FormatText(IDS_HOTKEY_TAKEN, HotKeyText(settings_.Options().VkMod, settings_.Options().VkKey));
        const ModalScope modal;
        ::MessageBoxW(hwnd(), text.c_str(), kApplicationTitle, MB_OK | MB_ICONWARNING);
    } catch (...) {
    }
}

void TTiledexMain::ReportReadOnlySettings() noexcept {
    // Told once, at start-up: the program goes on with the settings it read.
    try {
        const std::wstring text = FormatText(IDS_SETTINGS_READ_ONLY, SettingsFolder());
        const ModalScope modal;
        ::MessageBoxW(hwnd(), text.c_str(), kApplicationTitle, MB_OK | MB_ICONWARNING);
    } catch (...) {
    }
}

void TTiledexMain::UnregisterPopupHotKey() noexcept {
    ::UnregisterHotKey(hwnd(), 0);
    hotKeyRegistered_ = false;
}

void TTiledexMain::AddTrayIcon() noexcept {
    if (!trayIcon_) {
        wchar_t path[MAX_PATH]{};
        ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        HICON large = nullptr;
        HICON small = nullptr;
        // Before XP the notification area shows the hand-drawn 16-pixel icon better.
        const int index = WindowsVersionNumber() >= 1501 ? 0 : 7;
        ::ExtractIconExW(path, index, &large, &small, 1);
        const UniqueIcon unused(large);
        trayIcon_.reset(small);
    }
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = hwnd();
    data.uID = kTrayIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAYNOTIFY;
    data.hIcon = trayIcon_.get();
    lstrcpynW(data.szTip, L"tiledex", ARRAYSIZE(data.szTip));
    // Without a notification area the program still runs; the next
    // "TaskbarCreated" broadcast brings the icon.
    ::Shell_NotifyIconW(NIM_ADD, &data);
}

void TTiledexMain::RemoveTrayIcon() noexcept {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = hwnd();
    data.uID = kTrayIconId;
    ::Shell_NotifyIconW(NIM_DELETE, &data);
}

bool TTiledexMain::HotKeyStartsPopup(DWORD vk) const noexcept {
    if (!hotKeyRegistered_ || !windows_.popup || windows_.popup->Up() || ModalScope::Active()) return false;
    if (vk != static_cast<DWORD>(settings_.Options().VkKey) || FindActiveModalDialog()) return false;
    // With one of the program's own windows in front there is no other program
    // for typed keys to stray into, and holding them there lost the hotkey.
    DWORD frontProcess = 0;
    ::GetWindowThreadProcessId(::GetForegroundWindow(), &frontProcess);
    if (frontProcess == ::GetCurrentProcessId()) return false;
    // The system matches the modifiers exactly, and so does this.
    UINT modifiers = 0;
    if (::GetAsyncKeyState(VK_MENU) < 0) modifiers |= MOD_ALT;
    if (::GetAsyncKeyState(VK_CONTROL) < 0) modifiers |= MOD_CONTROL;
    if (::GetAsyncKeyState(VK_SHIFT) < 0) modifiers |= MOD_SHIFT;
    if (::GetAsyncKeyState(VK_LWIN) < 0 || ::GetAsyncKeyState(VK_RWIN) < 0) modifiers |= MOD_WIN;
    return modifiers == (static_cast<UINT>(settings_.Options().VkMod) & (MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN));
}

void TTiledexMain::HotKeyPressed() noexcept {
    if (windows_.popup && windows_.popup->Shown()) {
        // Hidden (by Escape, an entry run, a command) yet still in its mode:
        // the press shows the popup, as after any hide; a popup that is up,
        // or busy, is handled as always.
        const bool stale = !windows_.popup->Up();
        if (!windows_.popup->MenuBusy()) windows_.popup->Dismiss();
        if (!stale) {
            typeAhead_.Release();
            return;
        }
    }
    if (ModalDialogInTheWay() || !windows_.popup) {
        typeAhead_.Release();
        return;
    }
    ::SetForegroundWindow(hwnd());
    CloseOtherWindows(KeepWindow::None);
    windows_.popup->ShowPopup(kPopupByHotkey);
    // The popup has the keyboard: the keys typed since the hotkey follow, in order.
    typeAhead_.Release();
}

void TTiledexMain::GestureCompleted() noexcept {
    if (gestureBusy_) return;
    const bool shown = windows_.popup && windows_.popup->Shown();
    if (!shown && !ModalScope::Active() && !FindActiveModalDialog()) {
        gestureBusy_ = true;
        typeAhead_.Hold();
        // The gesture's right button is reported released whatever the gesture
        // was, and one click just beside the cursor ends any drag or menu the
        // gesture started in the window below. The input carries the mark by
        // which the hooks tell it from the user's.
        constexpr ULONG_PTR mark = hook::kSyntheticInputMark;
        ::mouse_event(MOUSEEVENTF_RIGHTUP, 0, 0, 0, mark);
        POINT p{};
        ::GetCursorPos(&p);
        ::SetCursorPos(p.x - 1, p.y - 1);
        ::mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, mark);
        ::mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, mark);
        ::SetCursorPos(p.x, p.y);
        ProcessPendingMessages();
        ForceForeground(hwnd());
        ProcessPendingMessages();
        ForceForeground(hwnd());
        gestureBusy_ = false;
        // The pumping above may have run another handler that showed the popup
        // or opened a modal dialog.
        if (!windows_.popup || windows_.popup->Shown() || ModalDialogInTheWay()) {
            typeAhead_.Release();
            return;
        }
        CloseOtherWindows(KeepWindow::None);
        windows_.popup->ShowPopup(kPopupByGesture);
        typeAhead_.Release();
    } else if (shown) {
        ForceForeground(windows_.popup->hwnd());
    }
}

void TTiledexMain::HookNotify(WPARAM kind) noexcept {
    switch (kind) {
    case hook::kNotifyGesture:
        GestureCompleted();
        break;
    case hook::kNotifyConsoleActive:
        // A console window became active: let the key combination reach it.
        UnregisterPopupHotKey();
        break;
    case hook::kNotifyOtherActive:
        RegisterPopupHotKey();
        break;
    case kNotifyOpenRegistration:
        OpenIconRegistration();
        break;
    case kNotifyHotKeyTaken:
        ReportTakenHotKey();
        break;
    case kNotifySettingsReadOnly:
        ReportReadOnlySettings();
        break;
    default:
        break;
    }
}

void TTiledexMain::TrayNotify(LPARAM mouseMessage) noexcept {
    switch (static_cast<UINT>(mouseMessage)) {
    case WM_LBUTTONDOWN:
        // Open the dialog once the shell's callback has returned.
        ::PostMessageW(hwnd(), WM_HOOKNOTIFY, kNotifyOpenRegistration, 0);
        break;
    case WM_RBUTTONDOWN:
        ShowTrayMenu();
        break;
    default:
        break;
    }
}

void TTiledexMain::ShowTrayMenu() noexcept {
    UniqueMenu menu(::CreatePopupMenu());
    if (!menu) return;
    // While a modal dialog is up, what would hide its owner, switch or reload
    // the lists it works on, or end the program is offered greyed.
    const UINT busy = FindActiveModalDialog() || ModalScope::Active() ? MF_GRAYED : 0;
    bool anyEnvironment = false;
    for (int n = 0; n < 5; ++n) {
        if (!envItemVisible_[n]) continue;
        anyEnvironment = true;
        const UINT flags = MF_STRING | busy | (envItemChecked_ == n + 1 ? MF_CHECKED : 0);
        ::AppendMenuW(menu.get(), flags, kTmSet1 + n, envItemCaption_[n].c_str());
    }
    if (anyEnvironment) ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);  // N3
    ::AppendMenuW(menu.get(), MF_STRING | busy, kTmOption, Text(IDS_TM_OPTION));
    ::AppendMenuW(menu.get(), MF_STRING | busy, kTmRegist, Text(IDS_TM_REGIST));
    ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);  // N4
    ::AppendMenuW(menu.get(), MF_STRING | busy, kTmCondition, Text(IDS_TM_CONDITION));
    ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);  // N5
    ::AppendMenuW(menu.get(), MF_STRING, kTmHelp, Text(IDS_TM_HELP));
    ::AppendMenuW(menu.get(), MF_STRING | busy, kTmAbout, Text(IDS_TM_ABOUT));
    ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);  // N2
    ::AppendMenuW(menu.get(), MF_STRING | busy, kTmExit, Text(IDS_TM_EXIT));

    POINT p{};
    ::GetCursorPos(&p);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    ::SetForegroundWindow(hwnd());
    ::TrackPopupMenuEx(menu.get(), TPM_RIGHTBUTTON, p.x, p.y, hwnd(), nullptr);
    ::PostMessageW(hwnd(), WM_NULL, 0, 0);
}

void TTiledexMain::ShowForm(FormWindow* form) noexcept {
    if (!form || !form->EnsureCreated()) return;
    ::SetForegroundWindow(form->hwnd());
    form->Show();
}

void TTiledexMain::tmSetClick(int slot) noexcept {
    CloseOtherWindows(KeepWindow::None);
    RunGuarded(hwnd(), [this, slot] { SwitchEnvironment(slot); });
}

void TTiledexMain::SwitchEnvironment(int slot, bool reload) {
    const EnvironmentTable& table = settings_.Environments();
    if (slot < 1 || slot > kMaxEnvironments) return;
    if (slot != table.IniNo || reload) {
        // Icons still coming belong to the lists about to be replaced.
        iconLoader_.Cancel();
        const int fileNumber = table.FileNumberOfSlot(slot);
        const std::wstring path = SettingsFileName(fileNumber);
        if (!PathExists(path)) {
            const std::wstring text = FormatText(IDS_SETTINGS_FILE_MISSING, SettingsFileTitle(fileNumber));
            ::MessageBoxW(hwnd(), text.c_str(), kApplicationTitle, MB_OK);
            // The loaded environment is gone from the table: what stays loaded
            // must be what a file holds, or later writes put its lists into
            // another environment's file. The first environment always exists.
            if (reload && slot != 1) {
                SwitchEnvironment(1, true);
                return;
            }
        } else {
            // All or nothing for the user: when file 1 cannot name the new
            // environment nothing has changed; once it does, the menu, the
            // hotkey, the hook and the lists all belong to the new environment
            // even when its System list cannot be written back, and that
            // failure is reported afterwards.
            settings_.SwitchEnvironment(slot);
        }
    }
    RefreshEnvironmentMenu();
}

void TTiledexMain::RefreshEnvironmentMenu() noexcept {
    const EnvironmentTable& table = settings_.Environments();
    for (int n = 1; n <= kMaxEnvironments; ++n) {
        const EnvironmentSlot& slot = table.Slot(n);
        envItemCaption_[n - 1] = slot.IniName + L"(&" + DecimalText(n) + L")";
        envItemVisible_[n - 1] = slot.IniOrder != -1 && slot.IniPopup == 1;
    }
    envItemChecked_ = table.IniNo;
}

void TTiledexMain::tmOptionClick() noexcept {
    CloseOtherWindows(KeepWindow::Options);
    // Each opening starts from the options in force; a Run value it cannot read
    // is reported there and the dialog stays closed.
    optionsBasedOn_ = settings_.Revision();
    if (windows_.optionForm && windows_.optionForm->EnsureCreated() && windows_.optionForm->Load(settings_.Options()))
        ShowForm(windows_.optionForm);
}

void TTiledexMain::tmRegistClick() noexcept { ::PostMessageW(hwnd(), WM_HOOKNOTIFY, kNotifyOpenRegistration, 0); }

void TTiledexMain::tmConditionClick() noexcept {
    CloseOtherWindows(KeepWindow::Environments);
    if (!windows_.selectForm || !windows_.selectForm->EnsureCreated()) return;
    // An open dialog goes on with the copy it is editing.
    if (!windows_.selectForm->IsShown())
        windows_.selectForm->Load(settings_.Environments(), settings_.Revision());
    ShowForm(windows_.selectForm);
}

void TTiledexMain::tmHelpClick() noexcept { help_.Request(HELP_CONTENTS, 0); }

void TTiledexMain::tmAboutClick() noexcept {
    CloseOtherWindows(KeepWindow::About);
    ShowForm(windows_.aboutForm);
}

void TTiledexMain::tmExitClick() noexcept { ::PostMessageW(hwnd(), WM_CLOSE, 0, 0); }

LRESULT TTiledexMain::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    if (msg == taskbarCreatedMessage_ && msg != 0) AddTrayIcon();
    switch (msg) {
    case WM_HOTKEY:
        HotKeyPressed();
        return 0;
    case WM_HOOKNOTIFY:
        HookNotify(wParam);
        return 0;
    case WM_TRAYNOTIFY:
        TrayNotify(lParam);
        return 0;
    case WM_ICONLOADED:
        IconLoaded(lParam);
        return 0;
    case WM_COMMAND: {
        const UINT id = LOWORD(wParam);
        // A command that reached us anyway while a modal dialog is up (an
        // accelerator, a menu opened just before): that dialog comes first.
        if (id != kTmHelp && ModalDialogInTheWay()) return 0;
        if (id >= kTmSet1 && id < kTmSet1 + 5) tmSetClick(static_cast<int>(id - kTmSet1 + 1));
        else if (id == kTmOption) tmOptionClick();
        else if (id == kTmRegist) tmRegistClick();
        else if (id == kTmCondition) tmConditionClick();
        else if (id == kTmHelp) tmHelpClick();
        else if (id == kTmAbout) tmAboutClick();
        else if (id == kTmExit) tmExitClick();
        return 0;
    }
    case WM_CLOSE:
        if (DeferCloseWhileNested(hwnd())) return 0;
        FormClose();
        ::DestroyWindow(hwnd());
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return WindowBase::HandleMessage(msg, wParam, lParam);
    }
}

}  // namespace tdx
