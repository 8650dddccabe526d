// The process entry: one instance per desktop, every window created once, one
// message loop until Exit.
#include <windows.h>

#include "dialogs/about_form.h"
#include "dialogs/config_form.h"
#include "dialogs/delete_form.h"
#include "dialogs/option_form.h"
#include "dialogs/setting_form.h"
#include "popup/placement_win.h"
#include "popup/tdx_main_form.h"
#include "dialogs/change_form.h"
#include "dialogs/select_form.h"
#include "resident/tiledex_main.h"
#include "winbase/late_bound.h"
#include "winbase/message_pump.h"
#include "winbase/unique_handle.h"

namespace tdx {
namespace {

// Lets the popup see right double-clicks on its own client area before dispatch.
void AppMessageFilter(TTdxMainForm& popup, const MSG& msg) noexcept {
    if (popup.Shown() && msg.hwnd == popup.hwnd() &&
        msg.message == WM_RBUTTONDBLCLK) {
        popup.TrayRightDoubleClick(static_cast<int>(LOWORD(msg.lParam)),
                                   static_cast<int>(HIWORD(msg.lParam)));
    }
}

// A copy unpacked into a downloads folder shares it with whatever was saved
// there before: every library loaded from now on comes from the system folder
// only, never from the program's own. tdxhook.dll, the one library that stands
// beside the program, is imported and so already loaded.
void LoadLibrariesFromTheSystemOnly() noexcept {
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    if (const auto set = LateBound<SetDirectories>(L"kernel32.dll", "SetDefaultDllDirectories"))
        set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

int Run() {
    LoadLibrariesFromTheSystemOnly();
    // Another instance already runs: leave silently, without telling it. One
    // call both checks and claims, so two starts in the same moment cannot
    // both get past it.
    // (Access denied: it exists, made by an instance with other rights.)
    UniqueMutex mutex(::CreateMutexW(nullptr, FALSE, L"Tiledex"));
    const DWORD created = ::GetLastError();
    if (created == ERROR_ALREADY_EXISTS || (!mutex && created == ERROR_ACCESS_DENIED)) return 0;

    // The one owner of the options, environments and lists: the windows
    // read it, and only its commits change it.
    ProgramSettings settings;
    TTiledexMain mainWindow(settings);
    if (!mainWindow.Create()) return 1;

    TTdxMainForm popup(settings);
    TDeleteForm deleteForm;
    TOptionForm optionForm;
    TAboutForm aboutForm;
    TSettingForm settingForm(settings.Context());
    TConfigForm configForm(settings.Context(), settingForm, deleteForm);
    TChangeForm changeForm;
    TSelectForm selectForm(changeForm);
    const HWND owner = mainWindow.hwnd();
    popup.Create(owner);
    // The dialogs are made when first opened.
    FormWindow::SetOwnerOfForms(owner);
    mainWindow.AttachWindows({&popup, &deleteForm, &optionForm, &aboutForm, &settingForm,
                              &configForm, &selectForm, &changeForm});
    settings.Subscribe([&mainWindow, &popup](const SettingsChange& change) {
        popup.SettingsChanged();
        mainWindow.SettingsChanged(change);
    });
    optionForm.SetApplyOptions([&mainWindow](const OptionSet& options) { mainWindow.ApplyOptions(options); });
    selectForm.SetApply([&mainWindow](const EnvironmentEdit& edit, int slot, bool reload) {
        mainWindow.ApplyEnvironments(edit, slot, reload);
    });
    configForm.SetStore([&settings](SettingsEdit& edit) { return settings.Commit(edit); });
    PopupLinks links;
    links.CdDevice = &mainWindow.CdDevice();
    links.RefreshDrives = [&settings] {
        try {
            return settings.RefreshDrives();
        } catch (...) {
            // A failure leaves the drive entries as they were.
            return false;
        }
    };
    // "設定変更" of the entry menu: the item editor, centred over the popup; OK
    // stores both lists with the entry changed, wherever it went meanwhile.
    links.OpenItemEditor = [&popup, &settingForm, &settings](std::int32_t tray, std::int32_t index) {
        const ItemList& list = tray == kProgramTray ? settings.Programs() : settings.Systems();
        if (index < 0 || static_cast<std::size_t>(index) >= list.size()) return;
        const auto store = [&settings](const EntryEdit& edit) { settings.CommitEntry(edit); };
        if (!settingForm.OpenItemEditor(tray, index, list[static_cast<std::size_t>(index)],
                                        settings.Options().KeyNumberFlag, store))
            return;
        RECT r{};
        ::GetWindowRect(popup.hwnd(), &r);
        settingForm.ShowCentredOver(r);
    };
    popup.SetLinks(std::move(links));

    MSG msg{};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        AppMessageFilter(popup, msg);
        DispatchLoopMessage(msg);
        PostDeferredClose();
    }
    return 0;
}

}  // namespace
}  // namespace tdx

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return tdx::Run(); }
