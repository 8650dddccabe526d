// The built-in commands of the System tray: shutting down through the shell,
// the Start menu, suspend, the simple CD player, the special folders, and the
// disconnection of a network drive.
#include <windows.h>
#include <winnetwk.h>

#include "popup/tdx_main_form.h"
#include "settings/special_folders_win.h"
#include "winbase/late_bound.h"
#include "winbase/message_pump.h"

namespace tdx {
namespace {

// Suspend needs the shutdown privilege of the process, even when the system
// would grant it only to an administrator.
void EnableShutdownPrivilege() noexcept {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw)) return;
    UniqueKernelHandle token(raw);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!::LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid)) return;
    ::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
}

// The older request is refused on most systems since power management moved to
// its own library; that library's call suspends (never hibernates) instead. It
// is looked up when needed so that the program still starts where it is missing,
// and only in the system folder: a file of that name beside the program is not it.
bool RequestSuspendFromSystem() noexcept {
    EnableShutdownPrivilege();
    if (::SetSystemPowerState(TRUE, TRUE)) return true;
    UniqueModule library(::LoadLibraryExW(L"powrprof.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (!library) return false;
    using SetSuspendStateFn = BOOLEAN(WINAPI*)(BOOLEAN hibernate, BOOLEAN force, BOOLEAN wakeupEventsDisabled);
    const auto setSuspendState =
        reinterpret_cast<SetSuspendStateFn>(::GetProcAddress(library.get(), "SetSuspendState"));
    return setSuspendState && setSuspendState(FALSE, TRUE, FALSE);
}

}  // namespace

SystemPorts SystemPorts::Platform() {
    SystemPorts ports;
    ports.RequestSuspend = RequestSuspendFromSystem;
    ports.CancelNetworkConnection = [](const std::wstring& localName) {
        // Not forced: open files on the drive keep it connected. The profile's
        // persistent connection is left as it is.
        static const auto cancelConnection =
            LateBound<decltype(&::WNetCancelConnection2W)>(L"mpr.dll", "WNetCancelConnection2W");
        if (cancelConnection) cancelConnection(localName.c_str(), 0, FALSE);
    };
    ports.ShellExecute = [](SHELLEXECUTEINFOW& info) { (void)::ShellExecuteExW(&info); };
    return ports;
}

void TTdxMainForm::RunSystemCommand(const std::wstring& keyword) noexcept {
    // Letter case matters: "exit" is no command and, naming no folder either, opens nothing.
    if (keyword == L"Exit") ShutDownThroughShell();
    else if (keyword == L"Start Menu") OpenStartMenu();
    else if (keyword == L"Suspend") Suspend();
    else if (keyword == L"CD Player") PlayOrPauseCd();
    else OpenSpecialFolder(keyword, residentMain_);
}

void TTdxMainForm::ShutDownThroughShell() noexcept {
    HidePopup();
    ProcessPendingMessages();
    // The shell's desktop answers with its own shut-down dialog. A shell that
    // does not answer is not waited for without end.
    if (HWND desktop = ::FindWindowW(L"ProgMan", L"Program Manager")) {
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(desktop, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL,
                              kCloseRequestTimeoutMs, &result);
    }
}

void TTdxMainForm::OpenStartMenu() noexcept {
    HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!taskbar) return;
    HWND startButton = ::GetWindow(taskbar, GW_CHILD);
    ::SetForegroundWindow(taskbar);
    ::PostMessageW(startButton, WM_LBUTTONDOWN, 0, 0);
    const DWORD begin = ::GetTickCount();
    while (::GetForegroundWindow() != taskbar && ::GetTickCount() - begin <= 2) {
    }
    ::Sleep(100);
    ::PostMessageW(startButton, WM_KEYDOWN, 'P', 0);
}

void TTdxMainForm::Suspend() noexcept {
    ShowCursorTitle(nav_.ActiveTray, trays_[static_cast<std::size_t>(nav_.ActiveTray)].CursorIndex);
    ::UpdateWindow(nameLabel_);
    HidePopup();
    if (ports_.RequestSuspend) ports_.RequestSuspend();
}

void TTdxMainForm::RunCdCommand(const std::function<void(CdAudioDevice&)>& command) noexcept {
    if (!links_.CdDevice) return;
    // Play lets the message loop run while the drive becomes ready; the popup
    // must not be closed or toggled away meanwhile.
    menuBusy_ = true;
    try {
        command(*links_.CdDevice);
    } catch (...) {
    }
    menuBusy_ = false;
}

void TTdxMainForm::PlayOrPauseCd() noexcept {
    RunCdCommand([this](CdAudioDevice& cd) {
        if (cd.Mode() == CdMode::Playing) cd.Pause(residentMain_);
        else cd.Play(residentMain_, 0);
    });
}

void TTdxMainForm::DisconnectNetworkDrive(const LaunchItem& entry) noexcept {
    try {
        // The drive letter and its colon, such as "X:".
        const std::wstring localName = entry.ExeFileName.substr(0, 2);
        if (ports_.CancelNetworkConnection) ports_.CancelNetworkConnection(localName);
    } catch (...) {
    }
    // The entry goes when the drive list is next read, at the next show.
    HidePopup();
}

}  // namespace tdx
