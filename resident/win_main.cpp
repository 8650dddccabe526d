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
#include "popup/app_state.h"
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

    AppState app;
    TTiledexMain mainWindow(app);
    if (!mainWindow.Create()) return 1;

    TTdxMainForm popup(app);
    TDeleteForm deleteForm(app);
    TOptionForm optionForm;
    TAboutForm aboutForm;
    TSettingForm settingForm(app);
    TConfigForm configForm(app, settingForm, deleteForm);
    TChangeForm changeForm;
    TSelectForm selectForm(app, changeForm);
    const HWND owner = mainWindow.hwnd();
    popup.Create(owner);
    // The dialogs are made when first opened.
    FormWindow::SetOwnerOfForms(owner);
    mainWindow.AttachWindows({&popup, &deleteForm, &optionForm, &aboutForm, &settingForm,
                              &configForm, &selectForm, &changeForm});
    optionForm.SetApplyOptions([&mainWindow](const OptionSet& options) { mainWindow.ApplyOptions(options); });
    selectForm.SetSwitchEnvironment([&mainWindow](int slot, bool reload) {
        mainWindow.SwitchEnvironment(slot, reload);
    });
    // "設定変更" of the entry menu: the item editor, centred over the popup; OK
    // stores both lists.
    app.OpenItemEditor = [&popup, &settingForm](std::int32_t tray, std::int32_t index) {
        if (!settingForm.OpenItemEditor(tray, index, true)) return;
        RECT r{};
        ::GetWindowRect(popup.hwnd(), &r);
        settingForm.ShowCentredOver(r);
    };

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
