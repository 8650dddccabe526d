#include "popup/navigation.h"

namespace tdx {
namespace {

std::int32_t RowStart(std::int32_t c, std::int32_t w) { return (c / w) * w; }
std::int32_t NextRowStart(std::int32_t c, std::int32_t w) { return (c / w + 1) * w; }
std::int32_t RowEnd(std::int32_t c, std::int32_t w) { return NextRowStart(c, w) - 1; }

// Three trays in a ring.
std::int32_t WrapTray(std::int32_t t) {
    if (t < 0) return kTrayCount - 1;
    if (t >= kTrayCount) return 0;
    return t;
}

bool IsDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }
bool IsLetter(std::uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsFunctionKey(std::uint32_t k) { return k >= Vk::F1 && k <= Vk::F12; }

// The direct-key search covers the Program and System trays only.
std::int32_t OtherSearchedTray(std::int32_t s) {
    return s == kSystemTray ? kProgramTray : kSystemTray;
}

}  // namespace

std::uint32_t MapControlKey(std::uint32_t key) noexcept {
    switch (key) {
    case 'C': return Vk::Next;
    case 'D': return Vk::Right;
    case 'E': return Vk::Up;
    case 'G': return Vk::Delete;
    case 'H': return Vk::Back;
    case 'J': return Vk::Escape;
    case 'M': return Vk::Return;
    case 'Q': return Vk::Prefix;
    case 'R': return Vk::Prior;
    case 'S': return Vk::Left;
    case 'X': return Vk::Down;
    default: return key;
    }
}

NavigationSettings NavigationSettings::From(const OptionSet& options, ShiftedDigits digits) {
    NavigationSettings s;
    s.Columns = ClampColumns(options.ColMax);
    s.KeyNumberFlag = options.KeyNumberFlag;
    s.DirectMoveOnlyFlag = options.DirectMoveOnlyFlag;
    s.KeyOnlyFlag = options.KeyOnlyFlag;
    s.RightClickFlag = options.RightClickFlag;
    s.Digits = std::move(digits);
    return s;
}

void ResetForShow(Trays& trays, NavigationState& state) {
    for (TrayState& tray : trays) {
        tray.CursorIndex = 0;
        tray.DrawnIndex = 0;
    }
    state.ActiveTray = kProgramTray;
    state.RememberedColumn = 0;
    // A prefix left pending when the popup lost the foreground must not turn the
    // first key of the next show into a control key.
    state.PrefixCount = 0;
    state.PaintMousePos.reset();
}

CursorCell PopupNavigator::Cursor() const {
    return {state_.ActiveTray, trays_[static_cast<std::size_t>(state_.ActiveTray)].CursorIndex};
}

bool PopupNavigator::CursorOnShownEntry() {
    const std::int32_t c = Active().CursorIndex;
    return c >= 0 && c < ShownEntryCount(Active());
}

std::int32_t PopupNavigator::ColumnOf(std::int32_t index) const {
    return index - RowStart(index, Columns());
}

PopupAction PopupNavigator::KeyDown(const KeyEvent& event) {
    TrayState& q = Active();
    q.DrawnIndex = q.CursorIndex;
    const std::int32_t n = ShownEntryCount(q);
    const std::int32_t w = Columns();
    const bool prefix = state_.PrefixCount >= 1;
    const std::uint32_t k = event.Ctrl || prefix ? MapControlKey(event.Key) : event.Key;
    const std::int32_t tray = state_.ActiveTray;
    PopupAction action;

    switch (k) {
    case Vk::Left:
        // With nothing shown there is no cell to move to; the row arithmetic would
        // put the cursor at -1.
        if (n > 0) {
            if (prefix) q.CursorIndex = RowStart(q.CursorIndex, w);
            else MoveLeft();
        }
        state_.RememberedColumn = ColumnOf(q.CursorIndex);
        break;
    case Vk::Right:
        if (n > 0) {
            if (prefix) {
                const std::int32_t end = RowEnd(q.CursorIndex, w);
                q.CursorIndex = end < n ? end : n - 1;
            } else {
                MoveRight();
            }
        }
        state_.RememberedColumn = ColumnOf(q.CursorIndex);
        break;
    case Vk::Up:
        MoveUp();
        break;
    case Vk::Down:
        MoveDown();
        break;
    case Vk::Prior:
    case Vk::Next: {
        const std::int32_t d = k == Vk::Next ? +1 : -1;
        const std::int32_t t = MoveToTray(tray, d, state_.PrefixCount);
        if (t != tray) state_.ActiveTray = t;
        else if (d > 0) MoveDown();
        else MoveUp();
        break;
    }
    case Vk::Space:
    case Vk::Apps:
        if (settings_.RightClickFlag == 0 || tray != kTaskTray) {
            // The menu is built from the entry under the cursor; without one there
            // is nothing to show it for.
            if (CursorOnShownEntry()) action = {PopupCommand::ShowEntryMenu, tray, q.CursorIndex};
        } else if (event.Shift) {
            action = {PopupCommand::AllTasks, tray, q.CursorIndex, event.Ctrl};
        } else if (event.Ctrl) {
            action = {PopupCommand::CloseTask, tray, q.CursorIndex};
        } else {
            action = {PopupCommand::ShowOrMinimiseTask, tray, q.CursorIndex};
        }
        break;
    case Vk::Delete:
        if (event.Shift) action = {PopupCommand::AllTasks, tray, q.CursorIndex, true};
        else action = {PopupCommand::CloseTask, tray, q.CursorIndex};
        break;
    case Vk::Back:
        if (event.Shift) action = {PopupCommand::AllTasks, tray, q.CursorIndex, true};
        else if (q.CursorIndex >= 1) action = {PopupCommand::CloseTask, tray, q.CursorIndex - 1};
        break;
    case Vk::Return:
        action = {PopupCommand::RunEntry, tray, q.CursorIndex};
        break;
    case Vk::Escape:
        action = {PopupCommand::HidePopup, tray, q.CursorIndex};
        break;
    case Vk::Prefix:
        // The prefix key pressed again while pending cancels instead of re-arming.
        if (state_.PrefixCount == 0) state_.PrefixCount = 2;
        break;
    default: {
        const auto low = static_cast<std::uint8_t>(k & 0xFF);
        if (IsDigit(low) || IsLetter(low) || IsFunctionKey(k)) action = HandleDirectKey(k, event.Shift);
        break;
    }
    }

    if (state_.PrefixCount >= 1) --state_.PrefixCount;
    return action;
}

void PopupNavigator::MoveLeft() {
    TrayState& q = Active();
    const std::int32_t n = ShownEntryCount(q);
    const std::int32_t w = Columns();
    if (n <= 0) return;
    std::int32_t& c = q.CursorIndex;
    if (c != RowStart(c, w)) --c;
    else if (RowEnd(c, w) < n) c = RowEnd(c, w);
    else c = n - 1;
}

void PopupNavigator::MoveRight() {
    TrayState& q = Active();
    const std::int32_t n = ShownEntryCount(q);
    const std::int32_t w = Columns();
    if (n <= 0) return;
    std::int32_t& c = q.CursorIndex;
    if (c == RowEnd(c, w) || c == n - 1) c = RowStart(c, w);
    else ++c;
}

void PopupNavigator::MoveUp() {
    TrayState& q = Active();
    const std::int32_t w = Columns();
    std::int32_t& c = q.CursorIndex;
    // The row above is always full, so the remembered column exists there.
    if (c >= w) c = RowStart(c - w, w) + state_.RememberedColumn;
    else state_.ActiveTray = MoveToTray(state_.ActiveTray, -1, 0);
}

void PopupNavigator::MoveDown() {
    TrayState& q = Active();
    const std::int32_t n = ShownEntryCount(q);
    const std::int32_t w = Columns();
    std::int32_t& c = q.CursorIndex;
    if (c + w < n) c += w;
    else if (NextRowStart(c, w) < n) c = n - 1;  // a shorter next row
    else state_.ActiveTray = MoveToTray(state_.ActiveTray, +1, 0);
}

std::int32_t PopupNavigator::MoveToTray(std::int32_t from, std::int32_t direction,
                                        std::int32_t prefix) {
    if (from < 0 || from >= kTrayCount) return from;
    const std::int32_t d = direction >= 0 ? +1 : -1;
    std::int32_t t = WrapTray(from + d);
    if (Tray(t).Items.empty() || prefix > 0) t = WrapTray(t + d);
    const std::int32_t m = ShownEntryCount(Tray(t));
    if (Tray(t).Items.empty() || m == 0) return from;

    const bool firstRow = (prefix == 0 && d > 0) || (prefix > 0 && d < 0);
    const std::int32_t w = Columns();
    const std::int32_t base = firstRow ? 0 : RowStart(m - 1, w);
    std::int32_t c = base + state_.RememberedColumn;
    if (c >= m) c = m - 1;
    Tray(t).CursorIndex = c;
    Tray(t).DrawnIndex = c;
    return t;
}

PopupAction PopupNavigator::HandleDirectKey(std::uint32_t key, bool shift) {
    auto code = static_cast<std::uint8_t>(key & 0xFF);

    if (IsDigit(code) && !settings_.KeyNumberFlag) {
        const std::int32_t i = code == '0' ? 9 : code - '1';
        if (static_cast<std::size_t>(i) >= Tray(kTaskTray).Items.size()) return {};
        // Runs the task without moving the cursor.
        return {PopupCommand::RunEntry, kTaskTray, i};
    }

    if (code >= Vk::F1 && code <= Vk::F12) code = static_cast<std::uint8_t>(code + 0x50);
    if (shift) {
        code = IsDigit(code) ? settings_.Digits.Shifted(code) : static_cast<std::uint8_t>(code + 0x20);
    }
    // Code 0 is "no direct key": it must not match every entry without one.
    if (code == 0) return {};

    const auto count = [this](std::int32_t s) {
        return static_cast<std::int32_t>(Tray(s).Items.size());
    };
    const std::int32_t total = count(kProgramTray) + count(kSystemTray);
    if (total == 0) return {};

    std::int32_t s = state_.ActiveTray;
    std::int32_t i = Active().CursorIndex;
    if (s == kTaskTray) {
        s = kSystemTray;
        i = 0;
    }
    // One lap over every entry of both trays, starting right after the cursor and
    // ending on the cursor's own entry.
    for (std::int32_t step = 0; step < total; ++step) {
        ++i;
        if (i < 0 || i >= count(s)) {
            s = OtherSearchedTray(s);
            i = 0;
            if (count(s) == 0) s = OtherSearchedTray(s);
        }
        const LaunchItem& item = Tray(s).Items[static_cast<std::size_t>(i)];
        if (item.Has(ItemStatus::NotInUse) || item.DirectKey() != code) continue;

        state_.ActiveTray = s;
        Tray(s).CursorIndex = i;
        if (settings_.DirectMoveOnlyFlag) return {};
        return {PopupCommand::RunEntry, s, i};
    }
    return {};
}

bool PopupNavigator::TrayMouseMove(std::int32_t tray, std::int32_t x, std::int32_t y,
                                   PixelPoint mouseScreen, std::int32_t popupMode) {
    if (settings_.KeyOnlyFlag && popupMode == kPopupByHotkey) return false;
    if (state_.PaintMousePos && *state_.PaintMousePos == mouseScreen) return false;
    state_.PaintMousePos.reset();
    if (tray < 0 || tray >= kTrayCount) return false;

    const std::int32_t i = CellIndexAt(x, y, kCellPitch, Columns());
    if (i >= ShownEntryCount(Tray(tray))) return false;
    if (i == Tray(tray).DrawnIndex && tray == state_.ActiveTray) return false;

    state_.ActiveTray = tray;
    Tray(tray).CursorIndex = i;
    Tray(tray).DrawnIndex = i;
    return true;
}

void PopupNavigator::SettleAfterCloseTask(std::int32_t tray) {
    if (tray == kTaskTray) {
        TrayState& tasks = Tray(kTaskTray);
        const auto count = static_cast<std::int32_t>(tasks.Items.size());
        if (count == 0) {
            state_.ActiveTray = ShownEntryCount(Tray(kProgramTray)) > 0 ? kProgramTray : kSystemTray;
        } else if (tasks.CursorIndex >= count) {
            tasks.CursorIndex = count - 1;
        }
    }
    state_.RememberedColumn = ColumnOf(Active().CursorIndex);
}

}  // namespace tdx
