// The hidden main window of the resident program: it never becomes visible, owns
// the notification-area icon and its menu, receives the global hotkey and the hook
// library's notifications, and opens the configuration windows.
#pragma once

#include <array>

#include "popup/cd_audio_device_win.h"
#include "resident/help.h"
#include "resident/hook32_companion.h"
#include "resident/type_ahead_win.h"
#include "settings/icon_loader_win.h"
#include "settings/program_settings.h"
#include "winbase/unique_handle.h"
#include "winbase/window_base.h"
#include "winbase/window_messages.h"

namespace tdx {

class TTdxMainForm;
class FormWindow;
class TDeleteForm;
class TOptionForm;
class TAboutForm;
class TSettingForm;
class TConfigForm;
class TSelectForm;
class TChangeForm;

// The other windows of the program, created after the main window.
struct ProgramWindows {
    TTdxMainForm* popup = nullptr;
    TDeleteForm* deleteForm = nullptr;
    TOptionForm* optionForm = nullptr;
    TAboutForm* aboutForm = nullptr;
    TSettingForm* settingForm = nullptr;
    TConfigForm* configForm = nullptr;
    TSelectForm* selectForm = nullptr;
    TChangeForm* changeForm = nullptr;
};

class TTiledexMain : public WindowBase {
public:
    // settings is read at creation and changed only through its commits.
    explicit TTiledexMain(ProgramSettings& settings) noexcept : settings_(settings) {}

    // Creates the window; its creation runs the settings start-up.
    bool Create();
    CdAudioDevice& CdDevice() noexcept { return cdDevice_; }
    void AttachWindows(const ProgramWindows& windows) noexcept { windows_ = windows; }

    // The one window of the program that stays when another is opened.
    enum class KeepWindow { Registration, Options, About, Environments, None };
    bool CloseOtherWindows(KeepWindow keep) noexcept;
    // The options dialog's OK: stored, then in force.
    void ApplyOptions(const OptionSet& newOptions);
    // The environment dialog's OK: the table stored, then the slot selected made current.
    void ApplyEnvironments(const EnvironmentEdit& edit, int slot, bool reload);
    // Told by settings after every change: options reach the system (the
    // hotkey and the hooks) and the menu follows the environment table.
    void SettingsChanged(const SettingsChange& change) noexcept;
    void OptionsChanged() noexcept;
    void OpenIconRegistration() noexcept;
    // False when another program holds the combination.
    bool RegisterPopupHotKey() noexcept;
    void ReportTakenHotKey() noexcept;
    void ReportReadOnlySettings() noexcept;
    void UnregisterPopupHotKey() noexcept;
    void AddTrayIcon() noexcept;
    void RemoveTrayIcon() noexcept;

    // Menu handlers of TrayMenu.
    void tmSetClick(int slot) noexcept;
    void SwitchEnvironment(int slot, bool reload = false);
    void RefreshEnvironmentMenu() noexcept;
    void tmOptionClick() noexcept;
    void tmRegistClick() noexcept;
    void tmConditionClick() noexcept;
    void tmHelpClick() noexcept;
    void tmAboutClick() noexcept;
    void tmExitClick() noexcept;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    void FormCreate();
    void FormClose() noexcept;
    void HotKeyPressed() noexcept;
    // Inside the keyboard hook: whether this key-down is the hotkey and will show the popup.
    bool HotKeyStartsPopup(DWORD vk) const noexcept;
    void HookNotify(WPARAM kind) noexcept;
    void GestureCompleted() noexcept;
    void TrayNotify(LPARAM mouseMessage) noexcept;
    void ShowTrayMenu() noexcept;
    void ShowForm(FormWindow* form) noexcept;
    // True (and that dialog brought to the front) while a modal dialog of the
    // program is up: its owner must not be hidden, nor the lists it works on replaced.
    bool ModalDialogInTheWay() noexcept;
    void StartIconLoading() noexcept;
    void IconLoaded(LPARAM message) noexcept;

    ProgramSettings& settings_;
    // The revision the options dialog's copy was taken at.
    std::uint64_t optionsBasedOn_ = 0;
    ProgramWindows windows_;
    MciSendCommandPort mciPort_;
    CdAudioDevice cdDevice_{mciPort_, Win32CdWaitHooks()};
    UINT taskbarCreatedMessage_ = 0;
    UniqueIcon trayIcon_;
    // Visibility of tmSet1 ... tmSet5 and of the separator after them.
    std::array<bool, 5> envItemVisible_{};
    std::array<std::wstring, 5> envItemCaption_{L"1", L"2", L"3", L"4", L"5"};
    int envItemChecked_ = 1;
    // GestureCompleted runs a nested loop: a second notice met there is the
    // same gesture (or one made meanwhile) and must not click again.
    bool gestureBusy_ = false;
    Hook32Companion hook32_;
    bool hotKeyRegistered_ = false;
    TypeAhead typeAhead_;
    IconLoader iconLoader_;
    ProgramHelp help_;
};

// Menu command identifiers of TrayMenu.
enum TrayMenuId : UINT {
    kTmSet1 = 101,  // ... kTmSet1 + 4
    kTmOption = 110,
    kTmRegist,
    kTmCondition,
    kTmHelp,
    kTmAbout,
    kTmExit,
};

}  // namespace tdx
