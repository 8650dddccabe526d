#include "popup/tdx_main_form.h"

#include <objbase.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "popup/label.h"
#include "popup/launch_rules.h"
#include "popup/placement_win.h"
#include "popup/task_list_win.h"
#include "settings/item_icons_win.h"
#include "settings/keyboard_digits.h"
#include "settings/system_items.h"
#include "winbase/com_ptr.h"
#include "winbase/dpi_scale.h"
#include "winbase/late_bound.h"

namespace tdx {
namespace {

// Design size of the window before the trays are laid out.
constexpr int kDesignWidth = 147;
constexpr int kDesignHeight = 266;
constexpr DWORD kClickGuardMs = 150;
constexpr UINT_PTR kAskTaskIconsTimer = 1;

constexpr std::array<const wchar_t*, kTrayCount> kCaptionTexts{L"Program", L"Task", L"System"};
constexpr std::array<int, kTrayCount> kCaptionIds{kExecLabelId, kTaskLabelId, kSysLabelId};
constexpr std::array<int, kTrayCount> kPaintBoxIds{kExecPaintBoxId, kTaskPaintBoxId,
                                                   kSysPaintBoxId};

UniqueFont PopupFont(int cellHeight) noexcept {
    // The height of the character cell: "ＭＳ Ｐゴシック" has no internal leading,
    // so this is its character height too, and a substitute font with a taller
    // ascent still fits the 12- and 17-pixel labels instead of being cut off.
    return UniqueFont(::CreateFontW(cellHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                    SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                    DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, L"ＭＳ Ｐゴシック"));
}

int TextWidth(HFONT font, const wchar_t* text) noexcept {
    WindowDc screen(nullptr);
    SelectObjectGuard keepFont(screen.get(), font);
    SIZE size{};
    ::GetTextExtentPoint32W(screen.get(), text, lstrlenW(text), &size);
    return size.cx;
}

std::optional<std::wstring> EnvironmentValue(std::wstring_view name) {
    const std::wstring key(name);
    const DWORD needed = ::GetEnvironmentVariableW(key.c_str(), nullptr, 0);
    if (needed == 0) return std::nullopt;
    std::wstring value(needed, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(key.c_str(), value.data(), needed);
    value.resize(length < needed ? length : 0);
    return value;
}

// The shell may hand a file to an extension that needs COM on this thread. Kept
// for the life of the process, like the thread itself.
void EnsureComForShell() noexcept {
    static const ComApartment com;
}

}  // namespace

bool TTdxMainForm::Create(HWND owner) {
    residentMain_ = owner;
    ports_ = SystemPorts::Platform();
    digits_ = KeyboardShiftedDigits();
    const int dpi = WindowDpi(nullptr);
    // WS_EX_TOOLWINDOW keeps the popup off the taskbar; it is never a task of its own.
    if (!CreateWindowOfClass(L"TTdxMainForm", kApplicationTitle, WS_POPUP | WS_CLIPCHILDREN,
                             WS_EX_TOOLWINDOW, 0, 0, ScaleDpi(kDesignWidth, dpi),
                             ScaleDpi(kDesignHeight, dpi), owner, CS_DBLCLKS))
        return false;
    dpi_ = WindowDpi(hwnd());
    taskCommands_.SetPopup(hwnd());
    entryMenu_.SetOwner(hwnd());
    SystemCommands::Host host;
    host.HidePopup = [this] { HidePopup(); };
    host.ShowTitleNow = [this] {
        ShowCursorTitle(nav_.ActiveTray, trays_[static_cast<std::size_t>(nav_.ActiveTray)].CursorIndex);
        ::UpdateWindow(nameLabel_);
    };
    host.SetBusy = [this](bool busy) { menuBusy_ = busy; };
    systemCommands_.SetWindows(owner, std::move(host));
    formFont_ = PopupFont(ScaleDpi(12, dpi_));
    nameFont_ = PopupFont(ScaleDpi(17, dpi_));
    // The popup takes no text input: keep the input method out of it.
    ::ImmAssociateContext(hwnd(), nullptr);
    return CreateControls();
}

bool TTdxMainForm::CreateControls() {
    for (std::int32_t t = 0; t < kTrayCount; ++t) {
        const auto i = static_cast<std::size_t>(t);
        captions_[i] = CreateControl(
            hwnd(), {LabelClass(), kCaptionTexts[i], 8, 2, 40, 12, WS_VISIBLE | SS_LEFT | SS_NOPREFIX, kCaptionIds[i]});
        if (!captions_[i]) return false;
        ::SendMessageW(captions_[i], WM_SETFONT, reinterpret_cast<WPARAM>(formFont_.get()), FALSE);

        TPaintBox::Handlers handlers;
        handlers.paint = [this, t](HDC dc, SIZE size) { PaintTrayBox(t, dc, size); };
        handlers.picture = [this, t] { return ReadyPicture(t); };
        handlers.mouseMove = [this, t](int x, int y) { TrayMouseMove(t, x, y); };
        handlers.mouseDown = [this, t](UINT message, int x, int y, WPARAM keys) {
            TrayPress(t, message, x, y, keys);
        };
        handlers.describe = [this, t] { return DescribeTray(t); };
        handlers.runCell = [this, t](int cell) {
            if (IsWindowVisible(hwnd()) && cell < ShownEntryCount(trays_[static_cast<std::size_t>(t)]))
                RunEntry(t, cell);
        };
        if (!paintBoxes_[i].Create(hwnd(), L"TPaintBox", kPaintBoxIds[i], std::move(handlers)))
            return false;
    }

    TPaintBox::Handlers panel;
    panel.paint = [](HDC dc, SIZE size) {
        RECT r{0, 0, size.cx, size.cy};
        ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_BTNFACE));
        ::DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    };
    if (!namePanel_.Create(hwnd(), L"TPanel", kNamePanelId, std::move(panel))) return false;
    nameLabel_ = CreateControl(namePanel_.hwnd(), {LabelClass(), L"", 4, 1, 136, 17,
                                                   WS_VISIBLE | SS_LEFT | SS_NOPREFIX, kNameLabelId});
    if (!nameLabel_) return false;
    ::SendMessageW(nameLabel_, WM_SETFONT, reinterpret_cast<WPARAM>(nameFont_.get()), FALSE);
    LayoutTrays();
    return true;
}

void TTdxMainForm::FormDpiChanged(int dpi, const RECT& suggested) noexcept {
    dpi_ = dpi;
    formFont_ = PopupFont(ScaleDpi(12, dpi_));
    nameFont_ = PopupFont(ScaleDpi(17, dpi_));
    for (HWND caption : captions_)
        ::SendMessageW(caption, WM_SETFONT, reinterpret_cast<WPARAM>(formFont_.get()), FALSE);
    ::SendMessageW(nameLabel_, WM_SETFONT, reinterpret_cast<WPARAM>(nameFont_.get()), FALSE);
    // The size follows from the trays at the new DPI; the place is the system's.
    laidOut_ = false;
    LayoutTrays();
    ::SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TTdxMainForm::ShowPopup(std::int32_t reason) noexcept {
    mode_ = reason;
    FormShow();
}

void TTdxMainForm::HidePopup() noexcept { Hide(); }

void TTdxMainForm::Dismiss() noexcept {
    mode_ = kPopupHidden;
    HidePopup();
}

void TTdxMainForm::SetLinks(PopupLinks links) {
    links_ = std::move(links);
    systemCommands_.SetCdDevice(links_.CdDevice);
}

void TTdxMainForm::TakeLists() noexcept {
    try {
        trays_[kProgramTray].Items = settings_.Programs();
        trays_[kSystemTray].Items = settings_.Systems();
        listsChanged_ = false;
    } catch (...) {
        // Out of memory: empty trays rather than entries whose icons may be gone.
        trays_[kProgramTray].Items.clear();
        trays_[kSystemTray].Items.clear();
    }
}

void TTdxMainForm::SettingsChanged() noexcept {
    if (Shown()) Dismiss();
    TakeLists();
}

void TTdxMainForm::FormShow() noexcept {
    // Drives come and go: the System tray shows the roots present now. The
    // lists are taken again only when something changed: a copy of every
    // entry at each show would cost the show path for nothing.
    if (links_.RefreshDrives && links_.RefreshDrives()) listsChanged_ = true;
    if (listsChanged_) TakeLists();
    backgroundPainted_ = false;
    skipTaskClick_ = false;
    ResetForShow(trays_, nav_);
    // The CD state drawn over the "CD Player" entry is read once per show.
    cdMode_ = 0;
    if (CdAudioDevice* const cd = systemCommands_.CdDevice(); cd && CdPlayerInUse(trays_[kSystemTray].Items))
        cdMode_ = static_cast<std::int32_t>(cd->Mode());
    menuBusy_ = false;
    wheelDelta_ = 0;
    PreparePopup();
}

void TTdxMainForm::PreparePopup() noexcept {
    RefreshTaskList();
    for (TrayState& tray : trays_) {
        tray.CursorIndex = 0;
        tray.DrawnIndex = 0;
    }
    LayoutTrays();
    nav_.ActiveTray = ChooseStartingTray(mode_, settings_.Options(), trays_);
    if (PlacesPopupAtMouse(mode_, settings_.Options())) PlacePopupAtMouse();
    else CenterFormOnScreen(hwnd());

    ShowCursorTitle(nav_.ActiveTray, trays_[static_cast<std::size_t>(nav_.ActiveTray)].CursorIndex);
    // The trays are drawn before the window is shown: its paints only copy them.
    for (std::int32_t t = 0; t < kTrayCount; ++t) ReadyPicture(t);
    for (TPaintBox& box : paintBoxes_) ::InvalidateRect(box.hwnd(), nullptr, FALSE);
    ::SetForegroundWindow(hwnd());
    ::SetWindowPos(hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    // Paint everything now rather than at the next turn of the message loop.
    ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    // The windows are asked for their icons once the picture is on the screen,
    // which the window system brings about while the message loop waits: a
    // timer's message comes only then.
    ::SetTimer(hwnd(), kAskTaskIconsTimer, USER_TIMER_MINIMUM, nullptr);
    // A screen reader names the cell under the cursor as soon as the popup is up.
    PaintBoxOf(nav_.ActiveTray).NotifyFocus(trays_[static_cast<std::size_t>(nav_.ActiveTray)].CursorIndex);
}

void TTdxMainForm::AskTaskIcons() noexcept {
    ::KillTimer(hwnd(), kAskTaskIconsTimer);
    // The answers come in with the messages that follow; a cell whose icon
    // changed is drawn again.
    try {
        taskIcons_.Refresh(trays_[kTaskTray].Items, [this](HWND window, HICON icon) {
            if (!icon) icon = ApplicationIcon();
            auto& tasks = trays_[kTaskTray].Items;
            for (std::size_t i = 0; i < tasks.size(); ++i) {
                if (tasks[i].Window != window || tasks[i].Icon == icon) continue;
                tasks[i].Icon = icon;
                RepaintCell(kTaskTray, static_cast<std::int32_t>(i));
            }
        });
    } catch (...) {
        // Out of memory: the icons shown stay until the next show.
    }
}

AccessibleGrid TTdxMainForm::DescribeTray(std::int32_t tray) const {
    AccessibleGrid grid;
    grid.name = kCaptionTexts[static_cast<std::size_t>(tray)];
    const TrayState& state = trays_[static_cast<std::size_t>(tray)];
    const std::int32_t columns = ClampColumns(settings_.Options().ColMax);
    const std::int32_t shown = ShownEntryCount(state);
    for (std::int32_t i = 0; i < shown; ++i) {
        const LaunchItem& item = state.Items[static_cast<std::size_t>(i)];
        const PixelPoint origin = CellOrigin(i, columns);
        grid.cells.push_back({item.Title,
                              DirectKeyLabel(tray, i, item, settings_.Options().KeyNumberFlag, digits_).value_or(L""),
                              {origin.X, origin.Y, origin.X + kCellPitch, origin.Y + kCellPitch}});
    }
    if (tray == nav_.ActiveTray && state.CursorIndex < shown) grid.focused = state.CursorIndex;
    return grid;
}

void TTdxMainForm::RefreshTaskList() noexcept {
    try {
        // No window is asked anything here: a program slow to answer would
        // hold the popup back. The icons known from earlier answers are used.
        trays_[kTaskTray].Items = taskIcons_.Collect(residentMain_, ApplicationIcon());
    } catch (...) {
        // Out of memory: show no tasks rather than a half-built list.
        trays_[kTaskTray].Items.clear();
    }
}

void TTdxMainForm::LayoutTrays() noexcept {
    const TrayLayout layout = tdx::LayoutTrays(trays_, settings_.Options().ColMax);
    // Most shows lay the trays out as the last one did; moving a control to
    // where it already is still costs a trip to the window system.
    if (laidOut_ && layout == layout_) return;
    const int dpi = dpi_;
    const auto scale = [dpi](std::int32_t v) { return ScaleDpi(v, dpi); };
    for (std::size_t t = 0; t < kTrayCount; ++t) {
        // Captions are as wide as their text in the font of this DPI.
        ::SetWindowPos(captions_[t], nullptr, scale(8), scale(layout.CaptionTop[t]),
                       TextWidth(formFont_.get(), kCaptionTexts[t]), scale(12),
                       SWP_NOZORDER | SWP_NOACTIVATE);
        const PixelRect& box = layout.PaintBox[t];
        paintBoxes_[t].SetBounds(scale(box.Left), scale(box.Top), scale(box.Width()), scale(box.Height()));
    }
    const PixelRect& panel = layout.NamePanel;
    namePanel_.SetBounds(scale(panel.Left), scale(panel.Top), scale(panel.Width()), scale(panel.Height()));
    MoveControl(nameLabel_, dpi, 4, 1, layout.NameLabelWidth, 17);

    RECT window{};
    ::GetWindowRect(hwnd(), &window);
    if (window.bottom - window.top != scale(layout.Window.Height)) backgroundPainted_ = false;
    ::SetWindowPos(hwnd(), nullptr, 0, 0, scale(layout.Window.Width), scale(layout.Window.Height),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    layout_ = layout;
    laidOut_ = true;
}

void TTdxMainForm::PlacePopupAtMouse() noexcept {
    const PixelRect& box = layout_.PaintBox[static_cast<std::size_t>(nav_.ActiveTray)];
    const PixelPoint anchor =
        PopupAnchor(settings_.Options().MousePositionFlag, layout_.Window, box);
    tdx::PlaceFormAtCursor(hwnd(), ScaleDpi(anchor.X, dpi_), ScaleDpi(anchor.Y, dpi_),
                           settings_.Options().MoveCursorFlag);
}

NavigationSettings TTdxMainForm::Settings() const {
    return NavigationSettings::From(settings_.Options(), digits_);
}

CellPaintContext TTdxMainForm::PaintContext() const noexcept {
    return CellPaintContext{trays_, settings_.Options(), digits_, cdMode_,
                            CdPlayerInUse(trays_[kSystemTray].Items)};
}

std::uint64_t TTdxMainForm::TraySignature(std::int32_t tray, SIZE size) const noexcept {
    // FNV-1a over everything the normal-state picture depends on.
    std::uint64_t hash = 1469598103934665603ull;
    const auto mix = [&hash](std::uint64_t value) {
        for (int i = 0; i < 8; ++i) {
            hash ^= (value >> (i * 8)) & 0xFF;
            hash *= 1099511628211ull;
        }
    };
    const OptionSet& o = settings_.Options();
    for (std::uint64_t v : {std::uint64_t(o.ColMax), std::uint64_t(o.FrameFlag),
                            std::uint64_t(o.BackColor), std::uint64_t(o.TextColor),
                            std::uint64_t(o.KeyNumberFlag), std::uint64_t(cdMode_),
                            std::uint64_t(size.cx), std::uint64_t(size.cy),
                            std::uint64_t(::GetSysColor(COLOR_BTNFACE)),
                            std::uint64_t(::GetSysColor(COLOR_BTNSHADOW)),
                            std::uint64_t(::GetSysColor(COLOR_BTNHIGHLIGHT))})
        mix(v);
    const TrayState& state = trays_[static_cast<std::size_t>(tray)];
    const std::int32_t shown = ShownEntryCount(state);
    mix(static_cast<std::uint64_t>(shown));
    for (std::int32_t i = 0; i < shown; ++i) {
        const LaunchItem& item = state.Items[static_cast<std::size_t>(i)];
        mix(reinterpret_cast<std::uintptr_t>(item.Icon));
        mix(item.Status);
        mix(IsCdPlayerEntry(item));
    }
    return hash;
}

void TTdxMainForm::PaintTrayBox(std::int32_t tray, HDC dc, SIZE size) noexcept {
    // Only without a picture (short of GDI resources): draw it all here.
    const CellPaintContext context = PaintContext();
    PaintTray(dc, context, tray, false, size);
    if (tray == nav_.ActiveTray) {
        DrawCell(dc, context, tray, trays_[static_cast<std::size_t>(tray)].CursorIndex, CellState::Cursor);
    }
}

HBITMAP TTdxMainForm::ReadyPicture(std::int32_t tray) noexcept {
    TPaintBox& box = PaintBoxOf(tray);
    const SIZE device = box.Size();
    if (device.cx <= 0 || device.cy <= 0) return nullptr;
    const int dpi = WindowDpi(box.hwnd());
    // The size in design units covers every device pixel, as the box's own paint does.
    const SIZE size{-UnscaleDpi(-device.cx, dpi), -UnscaleDpi(-device.cy, dpi)};
    TrayPicture& picture = pictures_[static_cast<std::size_t>(tray)];
    const std::uint64_t signature = TraySignature(tray, size);
    const std::int32_t cursor =
        tray == nav_.ActiveTray ? trays_[static_cast<std::size_t>(tray)].CursorIndex : -1;
    const bool fresh = picture.bitmap && picture.signature == signature && picture.size.cx == size.cx &&
                       picture.size.cy == size.cy && picture.dpi == dpi;
    if (fresh && picture.cursorCell == cursor) return picture.bitmap.get();

    WindowDc screen(box.hwnd());
    UniqueDc memory(::CreateCompatibleDC(screen.get()));
    if (!memory) return nullptr;
    const CellPaintContext context = PaintContext();
    if (!fresh) {
        picture.bitmap = PictureBitmap(ScaleDpi(size.cx, dpi), ScaleDpi(size.cy, dpi));
        picture.dpi = dpi;
        picture.size = size;
        picture.signature = signature;
        picture.cursorCell = -1;
        if (!picture.bitmap) return nullptr;
    }
    SelectObjectGuard keep(memory.get(), picture.bitmap.get());
    UseDesignUnits(memory.get(), dpi);
    if (!fresh) PaintTray(memory.get(), context, tray, false, size);
    // A cell drawn in its normal state is exactly what the whole tray's paint drew there.
    if (picture.cursorCell >= 0) DrawCell(memory.get(), context, tray, picture.cursorCell, CellState::Normal);
    if (cursor >= 0) DrawCell(memory.get(), context, tray, cursor, CellState::Cursor);
    picture.cursorCell = cursor;
    ::SetMapMode(memory.get(), MM_TEXT);
    return picture.bitmap.get();
}

void TTdxMainForm::RepaintCell(std::int32_t tray, std::int32_t index) noexcept {
    // The icon arrived in the list in force, whose entry the tray's borrows.
    if ((tray == kProgramTray || tray == kSystemTray) && IsShownCell(trays_, tray, index)) {
        const ItemList& list = tray == kProgramTray ? settings_.Programs() : settings_.Systems();
        if (static_cast<std::size_t>(index) < list.size())
            trays_[static_cast<std::size_t>(tray)].Items[static_cast<std::size_t>(index)].Icon =
                list[static_cast<std::size_t>(index)].Icon;
    }
    if (!::IsWindowVisible(hwnd()) || !IsShownCell(trays_, tray, index)) return;
    ::InvalidateRect(PaintBoxOf(tray).hwnd(), nullptr, FALSE);
}

void TTdxMainForm::DrawCellNow(std::int32_t tray, std::int32_t index, CellState state) noexcept {
    if (tray < 0 || tray >= kTrayCount) return;
    const CellPaintContext context = PaintContext();
    PaintBoxOf(tray).DrawNow([&](HDC dc) { DrawCell(dc, context, tray, index, state); });
}

void TTdxMainForm::MoveCursorCell(const CursorCell& from, const CursorCell& to) noexcept {
    if (from == to) return;
    DrawCellNow(from.Tray, from.Index, CellState::Normal);
    DrawCellNow(to.Tray, to.Index, CellState::Cursor);
    if (to.Tray >= 0 && to.Tray < kTrayCount) PaintBoxOf(to.Tray).NotifyFocus(to.Index);
}

void TTdxMainForm::ShowCursorTitle(std::int32_t tray, std::int32_t index) noexcept {
    if (!IsShownCell(trays_, tray, index)) return;
    const std::wstring& title =
        trays_[static_cast<std::size_t>(tray)].Items[static_cast<std::size_t>(index)].Title;
    ::SetWindowTextW(nameLabel_, title.c_str());
}

void TTdxMainForm::FormKeyDown(WPARAM key) noexcept {
    try {
        const KeyEvent event{static_cast<std::uint32_t>(key), ::GetKeyState(VK_SHIFT) < 0,
                             ::GetKeyState(VK_CONTROL) < 0};
        const NavigationSettings settings = Settings();
        PopupNavigator navigator(trays_, nav_, settings);
        const CursorCell before = navigator.Cursor();
        const PopupAction action = navigator.KeyDown(event);
        const CursorCell after = navigator.Cursor();
        MoveCursorCell(before, after);

        switch (action.Command) {
        case PopupCommand::RunEntry:
            // A task picked by its number shows as the cursor while it is brought up.
            MoveCursorCell(after, {action.Tray, action.Index});
            RunEntry(action.Tray, action.Index);
            break;
        case PopupCommand::HidePopup:
            HidePopup();
            break;
        case PopupCommand::ShowEntryMenu:
            ShowEntryMenu(action.Tray, false);
            break;
        case PopupCommand::CloseTask:
            CloseTask(action.Tray, action.Index);
            break;
        case PopupCommand::ShowOrMinimiseTask:
            ShowOrMinimiseTask(action.Tray, action.Index, false);
            break;
        case PopupCommand::AllTasks:
            AllTasks(action.Close);
            break;
        case PopupCommand::None:
            break;
        }
        const CursorCell now = navigator.Cursor();
        ShowCursorTitle(now.Tray, now.Index);
    } catch (...) {
        // Building the settings can only fail for want of memory; the key is lost.
    }
}

void TTdxMainForm::TrayMouseMove(std::int32_t tray, int x, int y) noexcept {
    try {
        // x and y are design units; the screen point is where the mouse really is.
        const DWORD at = ::GetMessagePos();
        const POINT screen{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
        const NavigationSettings settings = Settings();
        PopupNavigator navigator(trays_, nav_, settings);
        const CursorCell before = navigator.Cursor();
        if (!navigator.TrayMouseMove(tray, x, y, {screen.x, screen.y}, mode_)) return;
        const CursorCell after = navigator.Cursor();
        MoveCursorCell(before, after);
        ShowCursorTitle(after.Tray, after.Index);
    } catch (...) {
    }
}

void TTdxMainForm::FormMouseWheel(int delta, POINT screen) noexcept {
    std::int32_t tray = -1;
    for (std::int32_t t = 0; t < kTrayCount; ++t) {
        RECT box{};
        ::GetWindowRect(PaintBoxOf(t).hwnd(), &box);
        if (::PtInRect(&box, screen)) tray = t;
    }
    if (tray < 0) {
        wheelDelta_ = 0;
        return;
    }
    TrayState& state = trays_[static_cast<std::size_t>(tray)];
    const std::int32_t count = ShownEntryCount(state);
    if (count == 0) return;
    wheelDelta_ += delta;
    const int notches = wheelDelta_ / WHEEL_DELTA;
    wheelDelta_ %= WHEEL_DELTA;
    if (notches == 0) return;
    const CursorCell before{nav_.ActiveTray,
                            trays_[static_cast<std::size_t>(nav_.ActiveTray)].CursorIndex};
    // One cell per notch through the whole tray, wrapping at either end; a turn
    // towards the user (a negative delta) goes forward, as a list scrolls down.
    const std::int32_t from = std::min(state.CursorIndex, count - 1);
    const std::int32_t to = ((from - notches) % count + count) % count;
    nav_.ActiveTray = tray;
    state.CursorIndex = to;
    state.DrawnIndex = to;
    MoveCursorCell(before, {tray, to});
    ShowCursorTitle(tray, to);
}

void TTdxMainForm::RunEntry(std::int32_t tray, std::int32_t index) noexcept {
    try {
        const LaunchPlan plan = PlanRunEntry(trays_, tray, index, mode_, EnvironmentValue);
        switch (plan.Kind) {
        case LaunchKind::Nothing:
            return;
        case LaunchKind::ActivateTask:
            // The popup hands the foreground over instead of losing it. Hidden
            // by its own deactivation it would still be the active window, and
            // hiding the active window makes the system activate the one below
            // it, the window in front before: that one would take the
            // foreground back while the chosen task's thread, another program,
            // has not yet read the message that activates it. With PopupMode
            // cleared first the deactivation leaves the popup alone, and it is
            // hidden below once it is no longer active.
            if (plan.HidePopup) mode_ = kPopupHidden;
            ActivateTask(static_cast<HWND>(plan.Window));
            break;
        case LaunchKind::SystemCommand:
            systemCommands_.Run(plan.Keyword);
            break;
        case LaunchKind::ShellOpen: {
            EnsureComForShell();
            SHELLEXECUTEINFOW info{};
            info.cbSize = sizeof(info);
            // Failures are not reported: the shell must not show its own message
            // either. The program opens on the monitor the popup is on, where
            // the user is looking, when it lets the system place its window.
            info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_HMONITOR;
            info.hMonitor = ::MonitorFromWindow(hwnd(), MONITOR_DEFAULTTONEAREST);
            info.hwnd = residentMain_;
            info.lpVerb = nullptr;
            info.lpFile = plan.File.c_str();
            info.lpParameters = plan.Parameters.empty() ? nullptr : plan.Parameters.c_str();
            info.lpDirectory = plan.Directory.empty() ? nullptr : plan.Directory.c_str();
            info.nShow = SW_SHOW;
            // Whether anything started is never examined: a missing file or
            // association ends like a success.
            if (ports_.ShellExecute) ports_.ShellExecute(info);
            else (void)::ShellExecuteExW(&info);
            break;
        }
        }
        if (plan.HidePopup) {
            mode_ = kPopupHidden;
            HidePopup();
        }
    } catch (...) {
        // Out of memory while planning: nothing was started, the popup stays.
    }
}

void TTdxMainForm::FormActivate(WPARAM state) noexcept {
    if (state == WA_INACTIVE && mode_ != kPopupHidden) {
        mode_ = kPopupHidden;
        HidePopup();
    }
}

void TTdxMainForm::FormClose() noexcept {
    // The window is kept for the next show; closing it only hides it.
    mode_ = kPopupHidden;
    HidePopup();
}

void TTdxMainForm::FormEraseBackground(HDC dc) noexcept {
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    if (backgroundPainted_) return;
    backgroundPainted_ = true;
    // Hover is ignored until the mouse leaves the point where the popup found it.
    POINT mouse{};
    ::GetCursorPos(&mouse);
    nav_.PaintMousePos = PixelPoint{mouse.x, mouse.y};
    // The press that showed the popup may still arrive: the Task and System
    // trays ignore presses for a moment after the first paint.
    clickGuardTick_ = ::GetTickCount() + kClickGuardMs;
}

LRESULT TTdxMainForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    switch (msg) {
    case WM_KEYDOWN:
        FormKeyDown(wParam);
        return 0;
    case WM_SYSKEYDOWN:
        FormKeyDown(wParam);
        break;
    case WM_ACTIVATE:
        FormActivate(wParam);
        break;  // the default handling gives the window the keyboard focus
    case WM_CLOSE:
        if (FormCloseQuery()) FormClose();
        return 0;
    case WM_MOUSEWHEEL:
        FormMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_TIMER:
        if (wParam == kAskTaskIconsTimer) {
            AskTaskIcons();
            return 0;
        }
        break;
    case WM_DPICHANGED:
        FormDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_ERASEBKGND:
        FormEraseBackground(reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(dc, RGB(0, 0, 0));
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    default:
        break;
    }
    return WindowBase::HandleMessage(msg, wParam, lParam);
}

void TTdxMainForm::CloseTask(std::int32_t tray, std::int32_t index) noexcept {
    if (!IsShownCell(trays_, tray, index)) return;
    if (tray == kTaskTray) {
        taskCommands_.Close(static_cast<HWND>(trays_[kTaskTray].Items[static_cast<std::size_t>(index)].Window));
        RefreshTaskList();
    }
    try {
        const NavigationSettings settings = Settings();
        PopupNavigator(trays_, nav_, settings).SettleAfterCloseTask(tray);
    } catch (...) {
        // Only building the settings can throw, for want of memory; the cursor stays.
    }
    if (tray == kTaskTray) RedrawAfterTaskChange();
}

void TTdxMainForm::RedrawAfterTaskChange() noexcept {
    // The picture of the Task tray no longer matches its entries.
    PaintBoxOf(kTaskTray).DrawNow([](HDC dc) {
        RECT r{};
        ::GetClipBox(dc, &r);
        ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_BTNFACE));
    });
    LayoutTrays();
    for (TPaintBox& box : paintBoxes_) ::InvalidateRect(box.hwnd(), nullptr, FALSE);
    ::UpdateWindow(hwnd());
    for (TPaintBox& box : paintBoxes_) ::UpdateWindow(box.hwnd());
    const TrayState& active = trays_[static_cast<std::size_t>(nav_.ActiveTray)];
    DrawCellNow(nav_.ActiveTray, active.CursorIndex, CellState::Cursor);
    ShowCursorTitle(nav_.ActiveTray, active.CursorIndex);
}

void TTdxMainForm::ShowOrMinimiseTask(std::int32_t tray, std::int32_t index, bool maximise) noexcept {
    if (tray != kTaskTray || !IsShownCell(trays_, tray, index)) return;
    taskCommands_.ShowOrMinimise(static_cast<HWND>(trays_[kTaskTray].Items[static_cast<std::size_t>(index)].Window),
                                 maximise);
}

void TTdxMainForm::AllTasks(bool close) noexcept {
    if (!close) {
        taskCommands_.MinimiseAll();
        return;
    }
    TrayState& tasks = trays_[kTaskTray];
    if (tasks.Items.empty()) return;
    const std::int32_t cursor = tasks.CursorIndex;
    try {
        std::vector<HWND> windows;
        windows.reserve(tasks.Items.size());
        for (const LaunchItem& item : tasks.Items) windows.push_back(static_cast<HWND>(item.Window));
        taskCommands_.CloseAll(windows);
    } catch (...) {
        // Out of memory before anything was asked: nothing is closed.
    }
    RefreshTaskList();
    tasks.CursorIndex = cursor;
}

}  // namespace tdx
