// The popup window: three trays of icons (Program, Task, System) over a name
// panel, shown by the hotkey or a mouse gesture, driven by keys and the mouse,
// and hidden again once an entry runs or the window loses activation.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include <windows.h>
#include <shellapi.h>

#include "popup/entry_menu.h"
#include "popup/entry_menu_rules.h"
#include "popup/navigation.h"
#include "popup/paint_box.h"
#include "popup/popup_mode.h"
#include "popup/system_commands.h"
#include "popup/task_commands.h"
#include "popup/task_icon_cache_win.h"
#include "popup/tray_painter.h"
#include "popup/cd_audio_device.h"
#include "settings/program_settings.h"
#include "winbase/unique_handle.h"
#include "winbase/window_base.h"

namespace tdx {

// Control identifiers, so that tools and tests can find the controls.
enum PopupControlId : int {
    kExecLabelId = 101,
    kTaskLabelId,
    kSysLabelId,
    kExecPaintBoxId = 111,
    kTaskPaintBoxId,
    kSysPaintBoxId,
    kNamePanelId = 121,
    kNameLabelId,
};

// What the popup asks of the program around it.
struct PopupLinks {
    // The System tray's audio-CD device.
    CdAudioDevice* CdDevice = nullptr;
    // "設定変更" of the entry menu: the item editor on an entry of the Program
    // or System tray (tray, index).
    std::function<void(std::int32_t tray, std::int32_t index)> OpenItemEditor;
    // Drives come and go: brings the System list in line with them before a
    // show; true when the list changed.
    std::function<bool()> RefreshDrives;
};

class TTdxMainForm : public WindowBase {
public:
    // The Program and System trays show the lists of settings; the popup never changes them.
    explicit TTdxMainForm(const ProgramSettings& settings) noexcept : settings_(settings) {}

    bool Create(HWND owner);
    // Prepares, places and shows the window for a reason (kPopupByHotkey,
    // kPopupByGesture); whatever showed it, the popup alone says whether it is up.
    void ShowPopup(std::int32_t reason) noexcept;
    // Hides the window only: the deactivation that follows ends the mode.
    void HidePopup() noexcept;
    // Hides the window and ends the mode at once.
    void Dismiss() noexcept;
    std::int32_t Mode() const noexcept { return mode_; }
    bool Shown() const noexcept { return mode_ != kPopupHidden; }
    bool MenuBusy() const noexcept { return menuBusy_; }
    // In its mode and on the screen, or busy with a menu or command. Hidden
    // yet still in its mode means the deactivation that ends the mode never
    // came (Wine now and then hands the foreground on without one).
    bool Up() const noexcept { return Shown() && (menuBusy_ || IsShown()); }
    // The three trays as shown, with their cursors.
    const Trays& ShownTrays() const noexcept { return trays_; }
    // A right double-click on the popup's own client area (not on a child control).
    void TrayRightDoubleClick(int x, int y) noexcept;

    // Runs the entry: starts its file, runs its command or activates its task,
    // then hides the popup when a key or gesture showed it.
    void RunEntry(std::int32_t tray, std::int32_t index) noexcept;
    // An entry's icon changed (it arrived after start-up): drawn again if shown.
    void RepaintCell(std::int32_t tray, std::int32_t index) noexcept;

    void SetSystemPorts(SystemPorts ports) { ports_ = std::move(ports); }
    void SetLinks(PopupLinks links);
    // The lists or options changed: a popup still up is put away, as what it
    // shows is gone.
    void SettingsChanged() noexcept;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    bool CreateControls();
    // The Program and System trays take the lists in force. Their entries
    // borrow the icons of those lists, as the Task tray borrows the windows'
    // icons; they are taken again after every change, before anything is freed.
    void TakeLists() noexcept;
    void FormShow() noexcept;
    void PreparePopup() noexcept;
    void RefreshTaskList() noexcept;
    // Asks the listed windows for their icons, after the show (task_icon_cache_win.h).
    void AskTaskIcons() noexcept;
    void LayoutTrays() noexcept;
    void PlacePopupAtMouse() noexcept;
    void FormKeyDown(WPARAM key) noexcept;
    void FormActivate(WPARAM state) noexcept;
    bool FormCloseQuery() const noexcept { return !menuBusy_; }
    void FormClose() noexcept;
    void FormEraseBackground(HDC dc) noexcept;
    // The popup moved to a monitor of another DPI (WM_DPICHANGED).
    void FormDpiChanged(int dpi, const RECT& suggested) noexcept;
    // A turn of the mouse wheel over the popup (WM_MOUSEWHEEL), at a screen point.
    void FormMouseWheel(int delta, POINT screen) noexcept;
    void TrayMouseMove(std::int32_t tray, int x, int y) noexcept;

    // The Task tray's cells and what the task commands do to their windows.
    void CloseTask(std::int32_t tray, std::int32_t index) noexcept;
    void ShowOrMinimiseTask(std::int32_t tray, std::int32_t index, bool maximise) noexcept;
    void AllTasks(bool close) noexcept;
    void RedrawAfterTaskChange() noexcept;

    // The entry menu and the mouse dispatch.
    void ShowEntryMenu(std::int32_t tray, bool atMouse) noexcept;
    void RunMenuCommand(EntryMenuItem item) noexcept;
    void DispatchClick(std::int32_t tray, int x, int y, UINT button, bool shift, bool ctrl) noexcept;
    void TrayPress(std::int32_t tray, UINT message, int x, int y, WPARAM keys) noexcept;

    // Drawing from the trays' state.
    CellPaintContext PaintContext() const noexcept;
    void PaintTrayBox(std::int32_t tray, HDC dc, SIZE size) noexcept;
    void DrawCellNow(std::int32_t tray, std::int32_t index, CellState state) noexcept;
    void MoveCursorCell(const CursorCell& from, const CursorCell& to) noexcept;
    void ShowCursorTitle(std::int32_t tray, std::int32_t index) noexcept;
    NavigationSettings Settings() const;
    // The tray as a screen reader gets it.
    AccessibleGrid DescribeTray(std::int32_t tray) const;
    TPaintBox& PaintBoxOf(std::int32_t tray) noexcept { return paintBoxes_[static_cast<std::size_t>(tray)]; }

    // The normal-state picture of each tray, redrawn only when what it shows
    // changed; the cursor cell is drawn over it.
    // The tray as shown, cursor cell included, in device pixels, for a paint
    // to copy. A cursor that moves redraws its two cells in it, nothing more.
    struct TrayPicture {
        UniqueBitmap bitmap;
        SIZE size{};  // design units
        std::uint64_t signature = 0;
        int dpi = 0;
        std::int32_t cursorCell = -1;  // the cell drawn as the cursor, -1 for none
    };
    // The tray as it is to be shown, made now if what it shows has changed.
    HBITMAP ReadyPicture(std::int32_t tray) noexcept;
    std::uint64_t TraySignature(std::int32_t tray, SIZE size) const noexcept;

    const ProgramSettings& settings_;
    PopupLinks links_;
    Trays trays_;
    // The lists in force changed since the trays last took them.
    bool listsChanged_ = true;
    std::int32_t mode_ = kPopupHidden;
    HWND residentMain_ = nullptr;
    std::array<TrayPicture, kTrayCount> pictures_;
    TaskIconCache taskIcons_;
    NavigationState nav_;
    TrayLayout layout_;
    bool laidOut_ = false;
    int dpi_ = 96;  // the popup's monitor's; its layout and fonts are made for it
    ShiftedDigits digits_;
    bool backgroundPainted_ = false;
    bool skipTaskClick_ = false;
    bool menuBusy_ = false;
    DWORD clickGuardTick_ = 0;
    int wheelDelta_ = 0;  // the part of a notch turned so far (fine-grained wheels)
    std::int32_t cdMode_ = 0;
    SystemPorts ports_;
    // The roles: each knows only what it acts on and this window.
    TaskCommands taskCommands_;
    SystemCommands systemCommands_{ports_};
    EntryMenu entryMenu_;

    UniqueFont formFont_;
    UniqueFont nameFont_;
    std::array<HWND, kTrayCount> captions_{};
    std::array<TPaintBox, kTrayCount> paintBoxes_;
    TPaintBox namePanel_;
    HWND nameLabel_ = nullptr;
};

}  // namespace tdx
