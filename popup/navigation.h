// Keyboard and mouse navigation of the popup as a pure model: a key or a hover
// changes the cursor state of the trays and yields one command for the window to
// carry out. Drawing is the view's: it redraws the cursor cell it saw before the
// event in the normal state and the one after it as the cursor.
#pragma once

#include <cstdint>
#include <optional>

#include "popup/pixel_geometry.h"
#include "popup/popup_mode.h"
#include "popup/tray_layout.h"
#include "settings/option_set.h"

namespace tdx {

// Virtual-key codes the popup reacts to.
namespace Vk {
inline constexpr std::uint32_t Back = 0x08;
inline constexpr std::uint32_t Return = 0x0D;
inline constexpr std::uint32_t Escape = 0x1B;
inline constexpr std::uint32_t Space = 0x20;
inline constexpr std::uint32_t Prior = 0x21;
inline constexpr std::uint32_t Next = 0x22;
inline constexpr std::uint32_t Left = 0x25;
inline constexpr std::uint32_t Up = 0x26;
inline constexpr std::uint32_t Right = 0x27;
inline constexpr std::uint32_t Down = 0x28;
inline constexpr std::uint32_t Delete = 0x2E;
inline constexpr std::uint32_t Apps = 0x5D;
inline constexpr std::uint32_t F1 = 0x70;
inline constexpr std::uint32_t F12 = 0x7B;
// What Ctrl+Q becomes: the code of F15, used as the prefix key.
inline constexpr std::uint32_t Prefix = 0x7E;
}  // namespace Vk

// The editor-style control keys: Ctrl+E/X/S/D move, Ctrl+R/C page, Ctrl+M runs,
// Ctrl+J escapes, Ctrl+G/H delete, Ctrl+Q is the prefix. Other codes stay.
std::uint32_t MapControlKey(std::uint32_t key) noexcept;

// The popup window's navigation fields.
struct NavigationState {
    std::int32_t ActiveTray = kProgramTray;
    // The column that vertical moves aim at; only Left, Right and closing a task
    // set it.
    std::int32_t RememberedColumn = 0;
    // 2 after the prefix key, 1 while the following key is handled, else 0.
    std::int32_t PrefixCount = 0;
    // Mouse position at the first paint; hover is ignored until the mouse leaves
    // it, so a resting mouse does not take the cursor from where the show put it.
    std::optional<PixelPoint> PaintMousePos;
};

// Everything the rules read from the options, taken once per event.
struct NavigationSettings {
    std::int32_t Columns = 7;
    bool KeyNumberFlag = false;
    bool DirectMoveOnlyFlag = false;
    bool KeyOnlyFlag = false;
    std::int32_t RightClickFlag = 0;
    ShiftedDigits Digits;

    static NavigationSettings From(const OptionSet& options, ShiftedDigits digits = {});
};

// The modifier state is that of the event itself, not the keyboard's now.
struct KeyEvent {
    std::uint32_t Key = 0;
    bool Shift = false;
    bool Ctrl = false;
};

enum class PopupCommand {
    None,
    RunEntry,            // RunEntry(Tray, Index); the view shows that cell as the cursor first
    HidePopup,           // hide only; PopupMode is cleared by the deactivation that follows
    ShowEntryMenu,       // the entry menu of Tray at its cursor cell (not at the mouse)
    CloseTask,           // CloseTask(Tray, Index)
    ShowOrMinimiseTask,  // ShowOrMinimiseTask(Tray, Index, maximise false)
    AllTasks,            // AllTasks(Close)
};

struct PopupAction {
    PopupCommand Command = PopupCommand::None;
    std::int32_t Tray = 0;
    std::int32_t Index = 0;
    bool Close = false;  // AllTasks: close every task instead of minimising all

    bool operator==(const PopupAction&) const = default;
};

struct CursorCell {
    std::int32_t Tray = 0;
    std::int32_t Index = 0;

    bool operator==(const CursorCell&) const = default;
};

// Every show starts over: cursors, remembered column and a pending prefix are
// cleared and the Program tray is active until the starting tray is chosen.
void ResetForShow(Trays& trays, NavigationState& state);

// Operates on the trays and the window's navigation state for the length of one
// event; holds references only.
class PopupNavigator {
public:
    PopupNavigator(Trays& trays, NavigationState& state, const NavigationSettings& settings)
        : trays_(trays), state_(state), settings_(settings) {}

    // FormKeyDown: one key-down event of the popup window.
    PopupAction KeyDown(const KeyEvent& event);

    // Moves of the active tray's cursor. Left and Right wrap within the row; Up and
    // Down leave the tray from its first or last row.
    void MoveLeft();
    void MoveRight();
    void MoveUp();
    void MoveDown();
    // The tray reached from `from` in direction +1 or -1, skipping an empty tray
    // (or, with a prefix, always stepping twice); `from` when none can be entered.
    // Entering a tray puts its cursor in the first row going down, the last row
    // going up (exchanged by a prefix), at the remembered column.
    std::int32_t MoveToTray(std::int32_t from, std::int32_t direction, std::int32_t prefix);
    // Digits pick tasks while KeyNumberFlag is off; letters and function keys
    // search the Program and System trays from just after the cursor.
    PopupAction HandleDirectKey(std::uint32_t key, bool shift);

    // TrayMouseMove: hover over a tray's paint box (x, y relative to it). True when
    // the cursor moved and the view must redraw.
    bool TrayMouseMove(std::int32_t tray, std::int32_t x, std::int32_t y, PixelPoint mouseScreen,
                       std::int32_t popupMode);

    // CloseTask's cursor rules, run after the task was asked to close and the Task
    // list rebuilt (tray is the Task tray), or at once for another tray's entry.
    void SettleAfterCloseTask(std::int32_t tray);

    CursorCell Cursor() const;

private:
    TrayState& Tray(std::int32_t index) { return trays_[static_cast<std::size_t>(index)]; }
    TrayState& Active() { return Tray(state_.ActiveTray); }
    std::int32_t Columns() const { return ClampColumns(settings_.Columns); }
    bool CursorOnShownEntry();
    std::int32_t ColumnOf(std::int32_t index) const;

    Trays& trays_;
    NavigationState& state_;
    const NavigationSettings& settings_;
};

}  // namespace tdx
