#include "popup/system_commands.h"

#include <winnetwk.h>

#include "popup/task_commands.h"
#include "settings/special_folders_win.h"
#include "winbase/late_bound.h"
#include "winbase/message_pump.h"
#include "winbase/unique_handle.h"

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

void SystemCommands::Run(const std::wstring& keyword) noexcept {
    // Letter case matters: "exit" is no command and, naming no folder either, opens nothing.
    if (keyword == L"Exit") ShutDownThroughShell();
    else if (keyword == L"Start Menu") OpenStartMenu();
    else if (keyword == L"Suspend") Suspend();
    else if (keyword == L"CD Player") PlayOrPauseCd();
    else OpenSpecialFolder(keyword, residentMain_);
}

void SystemCommands::ShutDownThroughShell() noexcept {
    if (host_.HidePopup) host_.HidePopup();
    ProcessPendingMessages();
    // The shell's desktop answers with its own shut-down dialog. A shell that
    // does not answer is not waited for without end.
    if (HWND desktop = ::FindWindowW(L"ProgMan", L"Program Manager")) {
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(desktop, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL,
                              kCloseRequestTimeoutMs, &result);
    }
}

void SystemCommands::OpenStartMenu() noexcept {
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

void SystemCommands::Suspend() noexcept {
    if (host_.ShowTitleNow) host_.ShowTitleNow();
    if (host_.HidePopup) host_.HidePopup();
    if (ports_.RequestSuspend) ports_.RequestSuspend();
}

void SystemCommands::RunCd(const std::function<void(CdAudioDevice&, HWND residentMain)>& command) noexcept {
    if (!cdDevice_) return;
    // Play lets the message loop run while the drive becomes ready; the popup
    // must not be closed or toggled away meanwhile.
    if (host_.SetBusy) host_.SetBusy(true);
    try {
        command(*cdDevice_, residentMain_);
    } catch (...) {
    }
    if (host_.SetBusy) host_.SetBusy(false);
}

void SystemCommands::PlayOrPauseCd() noexcept {
    RunCd([](CdAudioDevice& cd, HWND residentMain) {
        if (cd.Mode() == CdMode::Playing) cd.Pause(residentMain);
        else cd.Play(residentMain, 0);
    });
}

void SystemCommands::DisconnectNetworkDrive(const LaunchItem& entry) noexcept {
    try {
        // The drive letter and its colon, such as "X:".
        const std::wstring localName = entry.ExeFileName.substr(0, 2);
        if (ports_.CancelNetworkConnection) ports_.CancelNetworkConnection(localName);
    } catch (...) {
    }
    // The entry goes when the drive list is next read, at the next show.
    if (host_.HidePopup) host_.HidePopup();
}

}  // namespace tdx
