// The popup window: three trays of icons (Program, Task, System) over a name
// panel, shown by the hotkey or a mouse gesture, driven by keys and the mouse,
// and hidden again once an entry runs or the window loses activation.
#pragma once

#include <array>
#include <cstdint>

#include "popup/navigation.h"
#include "popup/paint_box.h"
#include "popup/tray_painter.h"
#include "popup/app_state.h"
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

class TTdxMainForm : public WindowBase {
public:
    explicit TTdxMainForm(AppState& app) noexcept : app_(app) {}

    bool Create(HWND owner);
    // The controller has set PopupMode; prepare, place and show the window.
    void ShowPopup() noexcept;
    void HidePopup() noexcept;
    bool MenuBusy() const noexcept { return menuBusy_; }
    // A right double-click on the popup's own client area (not on a child control).
    void TrayRightDoubleClick(int x, int y) noexcept;

    // Runs the entry: starts its file, runs its command or activates its task,
    // then hides the popup when a key or gesture showed it.
    void RunEntry(std::int32_t tray, std::int32_t index) noexcept;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    bool CreateControls();
    void FormShow() noexcept;
    void PreparePopup() noexcept;
    void RefreshTaskList() noexcept;
    void LayoutTrays() noexcept;
    void PlacePopupAtMouse() noexcept;
    void FormKeyDown(WPARAM key) noexcept;
    void FormActivate(WPARAM state) noexcept;
    bool FormCloseQuery() const noexcept { return !menuBusy_; }
    void FormClose() noexcept;
    void FormEraseBackground(HDC dc) noexcept;
    void TrayMouseMove(std::int32_t tray, int x, int y) noexcept;
    void TrayMouseDown(std::int32_t tray, UINT message, int x, int y) noexcept;
    void RunSystemCommand(const std::wstring& keyword) noexcept;

    // Drawing from the trays' state.
    CellPaintContext PaintContext() const noexcept;
    void PaintTrayBox(std::int32_t tray, HDC dc, SIZE size) noexcept;
    void DrawCellNow(std::int32_t tray, std::int32_t index, CellState state) noexcept;
    void MoveCursorCell(const CursorCell& from, const CursorCell& to) noexcept;
    void ShowCursorTitle(std::int32_t tray, std::int32_t index) noexcept;
    NavigationSettings Settings() const;
    TPaintBox& PaintBoxOf(std::int32_t tray) noexcept { return paintBoxes_[static_cast<std::size_t>(tray)]; }

    // The normal-state picture of each tray, redrawn only when what it shows
    // changed; the cursor cell is drawn over it.
    struct TrayPicture {
        UniqueBitmap bitmap;
        SIZE size{};
        std::uint64_t signature = 0;
    };
    std::uint64_t TraySignature(std::int32_t tray, SIZE size) const noexcept;

    AppState& app_;
    HWND residentMain_ = nullptr;
    std::array<TrayPicture, kTrayCount> pictures_;
    NavigationState nav_;
    TrayLayout layout_;
    bool laidOut_ = false;
    ShiftedDigits digits_;
    bool backgroundPainted_ = false;
    bool skipTaskClick_ = false;
    bool menuBusy_ = false;
    DWORD clickGuardTick_ = 0;
    std::int32_t cdMode_ = 0;

    UniqueFont formFont_;
    UniqueFont nameFont_;
    std::array<HWND, kTrayCount> captions_{};
    std::array<TPaintBox, kTrayCount> paintBoxes_;
    TPaintBox namePanel_;
    HWND nameLabel_ = nullptr;
};

}  // namespace tdx
