// The popup's mouse: presses on the three trays, the right double-click, and
// the entry menu with its commands.
#include <windows.h>

#include "popup/tdx_main_form.h"
#include "winbase/dpi_scale.h"
#include "winbase/message_pump.h"

namespace tdx {
namespace {

bool IsTicking(DWORD guard) noexcept {
    // Compared as a difference so that the guard holds across the tick count's wrap.
    return static_cast<LONG>(::GetTickCount() - guard) <= 0;
}

}  // namespace

void TTdxMainForm::ShowEntryMenu(std::int32_t tray, bool atMouse) noexcept {
    const TrayState& state = trays_[static_cast<std::size_t>(tray)];
    if (!IsShownCell(trays_, tray, state.CursorIndex)) return;
    const LaunchItem& entry = state.Items[static_cast<std::size_t>(state.CursorIndex)];
    EntryMenuFacts facts;
    CdAudioDevice* const cd = systemCommands_.CdDevice();
    if (tray == kTaskTray) facts.TaskMinimised = ::IsIconic(static_cast<HWND>(entry.Window)) != FALSE;
    else if (cd && entry.Has(ItemStatus::BuiltIn) && entry.ExeFileName == L"CD Player") facts.CdMode = cd->Mode();

    POINT at{};
    if (atMouse) {
        ::GetCursorPos(&at);
    } else {
        POINT origin{0, 0};
        ::ClientToScreen(PaintBoxOf(tray).hwnd(), &origin);
        // The point in the box in design units, then at the box's DPI.
        const PixelPoint cell = EntryMenuCellPoint({0, 0}, state.CursorIndex, settings_.Options().ColMax);
        const int dpi = WindowDpi(hwnd());
        at = {origin.x + ScaleDpi(cell.X, dpi), origin.y + ScaleDpi(cell.Y, dpi)};
    }

    ::SetForegroundWindow(hwnd());
    ProcessPendingMessages();
    std::optional<EntryMenuItem> chosen;
    try {
        const EntryMenuState menu = EntryMenuFor(trays_, tray, facts);
        menuBusy_ = true;
        chosen = entryMenu_.Track(menu, at);
    } catch (...) {
        // Out of memory: no menu.
    }
    menuBusy_ = false;
    if (chosen) RunMenuCommand(*chosen);
}

void TTdxMainForm::RunMenuCommand(EntryMenuItem item) noexcept {
    const std::int32_t tray = nav_.ActiveTray;
    const std::int32_t index = trays_[static_cast<std::size_t>(tray)].CursorIndex;
    switch (item) {
    case EntryMenuItem::Setting:
        // The editor comes from the resident; the popup hides once it takes the focus.
        if (links_.OpenItemEditor) links_.OpenItemEditor(tray, index);
        break;
    case EntryMenuItem::ToIcon:
        ShowOrMinimiseTask(tray, index, false);
        break;
    case EntryMenuItem::ToMax:
        ShowOrMinimiseTask(tray, index, true);
        break;
    case EntryMenuItem::Close:
        CloseTask(tray, index);
        break;
    case EntryMenuItem::AllToIcon:
        AllTasks(false);
        HidePopup();
        break;
    case EntryMenuItem::AllClose:
        AllTasks(true);
        HidePopup();
        break;
    case EntryMenuItem::CutNetworkDrive:
        if (IsShownCell(trays_, tray, index))
            systemCommands_.DisconnectNetworkDrive(
                trays_[static_cast<std::size_t>(tray)].Items[static_cast<std::size_t>(index)]);
        break;
    case EntryMenuItem::PlayFromStart:
        systemCommands_.RunCd([](CdAudioDevice& cd, HWND resident) { cd.Play(resident, 1); });
        HidePopup();
        break;
    case EntryMenuItem::NextTrack:
        systemCommands_.RunCd([](CdAudioDevice& cd, HWND) { cd.NextTrack(); });
        HidePopup();
        break;
    case EntryMenuItem::PreviousTrack:
        systemCommands_.RunCd([](CdAudioDevice& cd, HWND) { cd.PreviousTrack(); });
        HidePopup();
        break;
    case EntryMenuItem::Eject:
        systemCommands_.RunCd([](CdAudioDevice& cd, HWND resident) { cd.Eject(resident); });
        HidePopup();
        break;
    default:
        break;
    }
}

void TTdxMainForm::DispatchClick(std::int32_t tray, int x, int y, UINT button, bool shift,
                                 bool ctrl) noexcept {
    if (settings_.Options().KeyOnlyFlag && mode_ == kPopupByHotkey) return;
    const std::int32_t cell = CellIndexAt(x, y, kCellPitch, ClampColumns(settings_.Options().ColMax));
    if (shift && button == MK_RBUTTON) {
        // Works on any tray, even on an empty cell.
        AllTasks(ctrl);
        return;
    }
    TrayState& state = trays_[static_cast<std::size_t>(tray)];
    if (cell >= ShownEntryCount(state)) return;
    const TrayState& active = trays_[static_cast<std::size_t>(nav_.ActiveTray)];
    if (cell != state.DrawnIndex || tray != nav_.ActiveTray)
        DrawCellNow(nav_.ActiveTray, active.CursorIndex, CellState::Normal);
    nav_.ActiveTray = tray;
    state.CursorIndex = cell;
    state.DrawnIndex = cell;
    DrawCellNow(tray, cell, CellState::Cursor);
    ShowCursorTitle(tray, cell);

    if (button == MK_LBUTTON) {
        RunEntry(tray, cell);
    } else if (button == MK_RBUTTON) {
        if (settings_.Options().RightClickFlag == 0 || tray != kTaskTray) ShowEntryMenu(tray, true);
        else if (ctrl) CloseTask(tray, cell);
        else ShowOrMinimiseTask(tray, cell, false);
    }
}

void TTdxMainForm::TrayPress(std::int32_t tray, UINT message, int x, int y, WPARAM keys) noexcept {
    UINT button = MK_MBUTTON;
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) button = MK_LBUTTON;
    else if (message == WM_RBUTTONDOWN || message == WM_RBUTTONDBLCLK) button = MK_RBUTTON;
    const bool shift = (keys & MK_SHIFT) != 0;
    const bool ctrl = (keys & MK_CONTROL) != 0;

    if (message == WM_RBUTTONDBLCLK) {
        // The trays are windows of their own, so the double-click arrives here
        // rather than on the popup: it counts as a Ctrl+right press first.
        POINT p{x, y};
        ::MapWindowPoints(PaintBoxOf(tray).hwnd(), hwnd(), &p, 1);
        TrayRightDoubleClick(p.x, p.y);
    }

    if (tray == kProgramTray) {
        DispatchClick(tray, x, y, button, shift, ctrl);
        return;
    }
    // The click that showed the popup must not act on what it finds below.
    if (IsTicking(clickGuardTick_)) return;
    if (tray == kTaskTray) {
        const bool skip = skipTaskClick_;
        skipTaskClick_ = false;
        if (skip) return;
    }
    DispatchClick(tray, x, y, button, shift, ctrl);
}

void TTdxMainForm::TrayRightDoubleClick(int x, int y) noexcept {
    for (std::int32_t t = 0; t < kTrayCount; ++t) {
        RECT box{};
        ::GetWindowRect(PaintBoxOf(t).hwnd(), &box);
        ::MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&box), 2);
        if (x < box.left || x > box.right || y < box.top || y > box.bottom) continue;
        DispatchClick(t, x - box.left, y - box.top, MK_RBUTTON, false, true);
        if (t == kTaskTray) skipTaskClick_ = true;
    }
}

}  // namespace tdx
