// The built-in commands of the System tray: shutting down through the shell,
// the Start menu, suspend, the simple CD player, the special folders, and the
// disconnection of a network drive. It knows the ports to the machine, the CD
// device and the resident's window (which owns the folder windows and gets the
// CD notices), and asks the popup it runs from only for the little it needs.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "popup/cd_audio_device.h"
#include "settings/launch_item.h"

namespace tdx {

// What the System commands need from the machine beyond what Wine can do: the
// suspend request and the network-drive disconnection. Tests replace them to
// observe the requests; the defaults make the real calls.
struct SystemPorts {
    // Suspends the machine; true when the system took the request.
    std::function<bool()> RequestSuspend;
    // Disconnects the network drive named like "X:" (open files make it fail).
    std::function<void(const std::wstring& localName)> CancelNetworkConnection;
    // Starts an entry's file (ShellExecuteEx). A test reads what was asked, the
    // monitor among it, which Wine's single screen cannot show; left empty,
    // the real call is made.
    std::function<void(SHELLEXECUTEINFOW& info)> ShellExecute;

    static SystemPorts Platform();
};

class SystemCommands {
public:
    // What a command needs of the popup it runs from.
    struct Host {
        std::function<void()> HidePopup;
        // Before the screen goes dark: the name panel shows the entry, drawn now.
        std::function<void()> ShowTitleNow;
        // While the CD device waits, the popup must not be closed or toggled away.
        std::function<void(bool busy)> SetBusy;
    };

    // ports must outlive the commands.
    explicit SystemCommands(const SystemPorts& ports) noexcept : ports_(ports) {}
    void SetWindows(HWND residentMain, Host host) {
        residentMain_ = residentMain;
        host_ = std::move(host);
    }
    void SetCdDevice(CdAudioDevice* device) noexcept { cdDevice_ = device; }
    CdAudioDevice* CdDevice() const noexcept { return cdDevice_; }

    // Runs a built-in entry's keyword; anything else opens the special folder it names.
    void Run(const std::wstring& keyword) noexcept;
    // A command of the CD player's menu, with the popup held open meanwhile.
    void RunCd(const std::function<void(CdAudioDevice&, HWND residentMain)>& command) noexcept;
    void DisconnectNetworkDrive(const LaunchItem& entry) noexcept;

private:
    void ShutDownThroughShell() noexcept;
    void OpenStartMenu() noexcept;
    void Suspend() noexcept;
    void PlayOrPauseCd() noexcept;

    const SystemPorts& ports_;
    HWND residentMain_ = nullptr;
    Host host_;
    CdAudioDevice* cdDevice_ = nullptr;
};

}  // namespace tdx
