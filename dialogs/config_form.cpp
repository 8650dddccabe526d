#include "dialogs/config_form.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <array>
#include <utility>
#include <vector>

#include "dialogs/delete_form.h"
#include "dialogs/dialog_support.h"
#include "dialogs/setting_form.h"
#include "popup/placement_win.h"
#include "settings/item_icons_win.h"
#include "settings/system_items.h"
#include "winbase/file_tests.h"
#include "winbase/com_ptr.h"
#include "winbase/dpi_scale.h"
#include "settings/error_display_win.h"
#include "winbase/ui_text_win.h"
#include "winbase/late_bound.h"
#include "winbase/decimal_text.h"

namespace tdx {
namespace {

// The window at 96 DPI, with three grid rows; FitDialogSize grows it.
constexpr int kPageHeight = 155, kGridHeight = 124, kBaseHeight = 238;
constexpr int kNamePanelTop = 160, kButtonsTop = 188, kWidthLabelTop = 192;

const std::array<ControlSpec, 5> kLayout{{
    {L"STATIC", TextRef(IDS_CONFIG_WIDTH), 8, kWidthLabelTop, 60, 16, WS_VISIBLE | SS_LEFT, kWidthLabelId},
    {L"COMBOBOX", L"", 72, kButtonsTop, 49, 240, WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
     kWidthComboBoxId},
    {L"BUTTON", TextRef(IDS_OK), 188, kButtonsTop, 65, 21, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK},
    {L"BUTTON", TextRef(IDS_CANCEL), 260, kButtonsTop, 65, 21, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL},
    {WC_TABCONTROLW, L"", 0, 0, 329, kPageHeight, WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, kCfgPageId},
}};

}  // namespace

TConfigForm::~TConfigForm() {
    FreeItemList(items_, ItemsOf(kProgramTray), true);
    FreeItemList(items_, ItemsOf(kSystemTray), true);
}

bool TConfigForm::Create(HWND owner) {
    if (!FormWindow::Create(owner)) return false;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES};
    const auto initControls = CommonControlsFunction<decltype(&::InitCommonControlsEx)>("InitCommonControlsEx");
    if (!initControls) return false;
    initControls(&icc);
    digits_ = KeyboardShiftedDigits();
    return CreateControls();
}

bool TConfigForm::CreateControls() {
    formFont_ = DialogFont(hwnd(), 15);
    nameFont_ = DialogFont(hwnd(), 17);
    if (!::tdx::CreateControls(hwnd(), kLayout, formFont_.get())) return false;
    cfgPage_ = ::GetDlgItem(hwnd(), kCfgPageId);
    TCITEMW tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = const_cast<wchar_t*>(L"Program");
    TabCtrl_InsertItem(cfgPage_, 0, &tab);
    tab.pszText = const_cast<wchar_t*>(L"System");
    TabCtrl_InsertItem(cfgPage_, 1, &tab);
    HWND combo = ::GetDlgItem(hwnd(), kWidthComboBoxId);
    for (int n = 3; n <= 15; ++n)
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(DecimalText(n).c_str()));

    for (std::int32_t tray : {kProgramTray, kSystemTray}) {
        TPaintBox::Handlers handlers;
        handlers.paint = [this, tray](HDC dc, SIZE size) { PaintBoxPaint(tray, dc, size); };
        handlers.mouseMove = [this, tray](int x, int y) {
            if (dragging_) PaintBoxDragOver(tray, x, y);
            else PaintBoxMouseMove(tray, x, y);
        };
        handlers.mouseDown = [this, tray](UINT message, int x, int y, WPARAM) {
            PaintBoxMouseDown(tray, message, x, y);
        };
        handlers.mouseUp = [this, tray](int, int) { PaintBoxEndDrag(tray); };
        handlers.captureLost = [this, tray] { PaintBoxEndDrag(tray); };
        handlers.describe = [this, tray] { return DescribeGrid(tray); };
        const int id = tray == kProgramTray ? kCfgProgPaintBoxId : kCfgSysPaintBoxId;
        if (!PaintBoxOf(tray).Create(hwnd(), L"TPaintBox", id, std::move(handlers))) return false;
    }
    TPaintBox::Handlers panel;
    panel.paint = [](HDC dc, SIZE size) {
        RECT r{0, 0, size.cx, size.cy};
        ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_BTNFACE));
        ::DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
    };
    if (!namePanel_.Create(hwnd(), L"TPanel", kCfgNamePanelId, std::move(panel))) return false;
    nameLabel_ = CreateControl(namePanel_.hwnd(),
                               {L"STATIC", L"", 4, 2, 300, 18, WS_VISIBLE | SS_LEFT | SS_NOPREFIX, kCfgNameLabelId});
    ::SendMessageW(nameLabel_, WM_SETFONT, reinterpret_cast<WPARAM>(nameFont_.get()), FALSE);

    progMenu_.reset(::CreatePopupMenu());
    ::AppendMenuW(progMenu_.get(), MF_STRING, kPmSetting, Text(IDS_PM_SETTING));
    ::AppendMenuW(progMenu_.get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(progMenu_.get(), MF_STRING, kPmNew, Text(IDS_PM_NEW));
    ::AppendMenuW(progMenu_.get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(progMenu_.get(), MF_STRING, kPmDelete, Text(IDS_PM_DELETE));
    gripCursor_ = ::LoadCursorW(::GetModuleHandleW(nullptr), L"GripCursor");
    ::DragAcceptFiles(hwnd(), TRUE);
    appliedWidth_ = appliedExtraRows_ = -1;
    FitDialogSize();
    ShowPage();
    return true;
}

std::int32_t TConfigForm::PageTray() const noexcept {
    return TabCtrl_GetCurSel(cfgPage_) == 1 ? kSystemTray : kProgramTray;
}

void TConfigForm::BringForward() noexcept {
    // Activation brings an open editor or question forward.
    ::SetForegroundWindow(hwnd());
}

void TConfigForm::OpenRegistration(SettingsEdit copy) noexcept {
    // Whatever an earlier opening left is dropped first.
    FormClose();
    ItemsOf(kProgramTray) = std::move(copy.Programs).value_or(ItemList{});
    ItemsOf(kSystemTray) = std::move(copy.Systems).value_or(ItemList{});
    if (copy.Options) options_ = *copy.Options;
    basedOn_ = copy.BasedOn;
    opened_ = true;
    FormShow();
    ::SetForegroundWindow(hwnd());
    Show();
}

void TConfigForm::FormShow() noexcept {
    RunGuarded(hwnd(), [this] { RefreshDriveItems(items_, ItemsOf(kSystemTray)); });
    FitDialogSize();
    PlaceFormAtCursor(hwnd(), 0, 0, false);
    const std::int32_t columns = ClampColumns(options_.ColMax);
    ::SendMessageW(::GetDlgItem(hwnd(), kWidthComboBoxId), CB_SETCURSEL, static_cast<WPARAM>(columns - 3), 0);
    ShowPage();
}

void TConfigForm::FormClose() noexcept {
    // Everything since the dialog opened goes with the copy, the editor's
    // changes and confirmed deletions included.
    opened_ = false;
    FreeItemList(items_, ItemsOf(kProgramTray), true);
    FreeItemList(items_, ItemsOf(kSystemTray), true);
}

void TConfigForm::FormActivate() noexcept {
    // A click here brings an open sub-window back to the front.
    if (::IsWindowVisible(settingForm_.hwnd())) ::SetForegroundWindow(settingForm_.hwnd());
    if (::IsWindowVisible(deleteForm_.hwnd())) ::SetForegroundWindow(deleteForm_.hwnd());
    // The editor may have changed an entry meanwhile.
    Redraw(PageTray());
}

void TConfigForm::ShowPage() noexcept {
    const std::int32_t tray = PageTray();
    ::ShowWindow(progPaintBox_.hwnd(), tray == kProgramTray ? SW_SHOW : SW_HIDE);
    ::ShowWindow(sysPaintBox_.hwnd(), tray == kSystemTray ? SW_SHOW : SW_HIDE);
    ShowCursorTitle();
    Redraw(tray);
}

void TConfigForm::CfgPageChange() noexcept { ShowPage(); }

void TConfigForm::MoveControlTo(HWND control, int x, int y, int width, int height) noexcept {
    tdx::MoveControl(control, WindowDpi(hwnd()), x, y, width, height);
}

void TConfigForm::MoveControl(int id, int x, int y, int width, int height) noexcept {
    MoveControlTo(::GetDlgItem(hwnd(), id), x, y, width, height);
}

void TConfigForm::FitDialogSize() noexcept {
    const ConfigFormGeometry g =
        FitDialogGeometry(options_.ColMax, ItemsOf(kProgramTray).size(), ItemsOf(kSystemTray).size());
    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN), screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    RECT window{};
    ::GetWindowRect(hwnd(), &window);
    int left = window.left, top = window.top;
    const int width = ScaleForWindow(hwnd(), g.Width);
    const int e = g.ExtraRows * kCellPitch;
    const int height = ScaleForWindow(hwnd(), g.Height());
    if (left + width >= screenWidth) left = screenWidth - width - 16;
    if (top + height >= screenHeight) top = screenHeight - height - 16;
    ::SetWindowPos(hwnd(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    appliedWidth_ = g.Width;
    appliedExtraRows_ = g.ExtraRows;

    MoveControlTo(cfgPage_, 0, 0, g.PageWidth, kPageHeight + e);
    // The grids fill the top of the tab page.
    RECT page{0, 0, ScaleForWindow(hwnd(), g.PageWidth), ScaleForWindow(hwnd(), kPageHeight + e)};
    TabCtrl_AdjustRect(cfgPage_, FALSE, &page);
    for (TPaintBox* box : {&progPaintBox_, &sysPaintBox_}) {
        box->SetBounds(page.left, page.top, page.right - page.left, ScaleForWindow(hwnd(), kGridHeight + e));
        // Over the tab control, which they stand in.
        ::SetWindowPos(box->hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    const int outer = g.Width;
    MoveControl(IDOK, outer - 150, kButtonsTop + e, 65, 21);
    MoveControl(IDCANCEL, outer - 78, kButtonsTop + e, 65, 21);
    MoveControl(kWidthComboBoxId, 72, kButtonsTop + e, 49, 240);
    MoveControl(kWidthLabelId, 8, kWidthLabelTop + e, 60, 16);
    namePanel_.SetBounds(ScaleForWindow(hwnd(), 4), ScaleForWindow(hwnd(), kNamePanelTop + e),
                         ScaleForWindow(hwnd(), outer - 15), ScaleForWindow(hwnd(), 22));
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

AccessibleGrid TConfigForm::DescribeGrid(std::int32_t tray) const {
    AccessibleGrid grid;
    grid.name = tray == kProgramTray ? L"Program" : L"System";
    const ItemList& items = ItemsOf(tray);
    const std::int32_t columns = ClampColumns(options_.ColMax);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const PixelPoint origin = CellOrigin(static_cast<std::int32_t>(i), columns);
        grid.cells.push_back({items[i].Title, L"", {origin.X, origin.Y, origin.X + kCellPitch, origin.Y + kCellPitch}});
    }
    if (tray == PageTray() && selectedIndex_ >= 0 && static_cast<std::size_t>(selectedIndex_) < items.size())
        grid.focused = selectedIndex_;
    return grid;
}

void TConfigForm::RefreshGrid(std::int32_t tray) noexcept {
    FitDialogSize();
    Redraw(tray);
}

void TConfigForm::Redraw(std::int32_t tray) noexcept {
    ::InvalidateRect(PaintBoxOf(tray).hwnd(), nullptr, FALSE);
    ::UpdateWindow(PaintBoxOf(tray).hwnd());
}

void TConfigForm::ShowCursorTitle() noexcept {
    const ItemList& items = ItemsOf(PageTray());
    const bool valid = selectedIndex_ >= 0 && static_cast<std::size_t>(selectedIndex_) < items.size();
    ::SetWindowTextW(nameLabel_, valid ? items[static_cast<std::size_t>(selectedIndex_)].Title.c_str() : L"");
}

void TConfigForm::PaintBoxPaint(std::int32_t tray, HDC dc, SIZE size) noexcept {
    ClearPaintBox(dc, size.cx, size.cy, kButtonFaceColor);
    const CellPaintContext context{working_, options_, digits_};
    const ItemList& items = ItemsOf(tray);
    const std::int32_t columns = ClampColumns(options_.ColMax);
    DrawAllCells(dc, context, tray);
    const auto firstOff = static_cast<std::int32_t>(FirstNotInUseIndex(items));
    for (auto i = firstOff; i < static_cast<std::int32_t>(items.size()); ++i) {
        DrawCell(dc, context, tray, i, CellState::Normal);
        DrawNotInUseScreen(dc, i, columns);
    }
    if (tray == PageTray() && selectedIndex_ >= 0 && static_cast<std::size_t>(selectedIndex_) < items.size()) {
        DrawCell(dc, context, tray, selectedIndex_, dragging_ ? CellState::Pressed : CellState::Cursor);
        if (selectedIndex_ >= firstOff) DrawNotInUseScreen(dc, selectedIndex_, columns);
    }
    DrawTrayBorder(dc, size.cx, size.cy);
}

void TConfigForm::PaintBoxMouseMove(std::int32_t tray, int x, int y) noexcept {
    if (::IsWindowVisible(settingForm_.hwnd()) || ::IsWindowVisible(deleteForm_.hwnd())) return;
    const std::int32_t cell = CellIndexAt(x, y, kCellPitch, ClampColumns(options_.ColMax));
    if (cell < 0 || static_cast<std::size_t>(cell) >= ItemsOf(tray).size()) return;
    if (cell != selectedIndex_) {
        selectedIndex_ = cell;
        Redraw(tray);
        PaintBoxOf(tray).NotifyFocus(cell);
    }
    ShowCursorTitle();
}

void TConfigForm::PaintBoxMouseDown(std::int32_t tray, UINT message, int x, int y) noexcept {
    const std::int32_t cell = CellIndexAt(x, y, kCellPitch, ClampColumns(options_.ColMax));
    ItemList& items = ItemsOf(tray);
    if (message == WM_LBUTTONDOWN) {
        if (cell < 0 || cell >= static_cast<std::int32_t>(FirstNotInUseIndex(items))) return;
        dragIndex_ = cell;
        selectedIndex_ = cell;
        dragging_ = true;
        ::SetCapture(PaintBoxOf(tray).hwnd());
        if (gripCursor_) ::SetCursor(gripCursor_);
        Redraw(tray);
        return;
    }
    if (message != WM_RBUTTONDOWN) return;
    PrepareProgMenu(cell);
    POINT at{};
    ::GetCursorPos(&at);
    const UINT command = static_cast<UINT>(
        ::TrackPopupMenu(progMenu_.get(), TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, 0, hwnd(), nullptr));
    ::PostMessageW(hwnd(), WM_NULL, 0, 0);
    switch (command) {
    case kPmSetting: pmSettingClick(); break;
    case kPmNew: pmNewClick(); break;
    case kPmDelete: pmDeleteClick(); break;
    default: break;
    }
}

void TConfigForm::PrepareProgMenu(std::int32_t cell) noexcept {
    const std::int32_t tray = PageTray();
    const ItemList& items = ItemsOf(tray);
    HMENU menu = progMenu_.get();
    ::EnableMenuItem(menu, kPmSetting, MF_BYCOMMAND | MF_ENABLED);
    ::EnableMenuItem(menu, kPmDelete, MF_BYCOMMAND | MF_ENABLED);
    const wchar_t* deleteCaption = Text(IDS_PM_DELETE);
    const bool onEntry = cell >= 0 && static_cast<std::size_t>(cell) < items.size();
    if (onEntry) {
        selectedIndex_ = cell;
        const LaunchItem& entry = items[static_cast<std::size_t>(cell)];
        if (entry.Icon) {
            deleteMenuMode_ = DeleteMode::Delete;
            if (entry.Has(ItemStatus::BuiltIn)) {
                // Built-in entries are switched on and off, never deleted.
                deleteMenuMode_ = DeleteMode::Toggle;
                deleteCaption = entry.Has(ItemStatus::NotInUse) ? Text(IDS_PM_USE) : Text(IDS_PM_DONT_USE);
            }
        }
    } else {
        ::EnableMenuItem(menu, kPmSetting, MF_BYCOMMAND | MF_GRAYED);
        ::EnableMenuItem(menu, kPmDelete, MF_BYCOMMAND | MF_GRAYED);
        selectedIndex_ = cell;  // where pmNew inserts
    }
    ::ModifyMenuW(menu, kPmDelete, MF_BYCOMMAND | MF_STRING, kPmDelete, deleteCaption);
    if (!onEntry) ::EnableMenuItem(menu, kPmDelete, MF_BYCOMMAND | MF_GRAYED);
    ::EnableMenuItem(menu, kPmNew,
                     MF_BYCOMMAND | (items.size() >= kMaxRegisteredItems ? MF_GRAYED : MF_ENABLED));
}

void TConfigForm::PaintBoxDragOver(std::int32_t tray, int x, int y) noexcept {
    ItemList& items = ItemsOf(tray);
    const std::int32_t cell = CellIndexAt(x, y, kCellPitch, ClampColumns(options_.ColMax));
    // Entries not in use can be neither dragged nor passed.
    if (cell < 0 || cell >= static_cast<std::int32_t>(FirstNotInUseIndex(items))) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_NO));
        return;
    }
    if (cell != dragIndex_) {
        MoveEntry(items, dragIndex_, cell);
        selectedIndex_ = cell;
        dragIndex_ = cell;
        Redraw(tray);
        PaintBoxOf(tray).NotifyFocus(cell);
        ShowCursorTitle();
    }
    if (gripCursor_) ::SetCursor(gripCursor_);
}

void TConfigForm::PaintBoxEndDrag(std::int32_t tray) noexcept {
    if (!dragging_) return;
    dragging_ = false;
    if (::GetCapture() == PaintBoxOf(tray).hwnd()) ::ReleaseCapture();
    Redraw(tray);
}

void TConfigForm::pmSettingClick() noexcept {
    const std::int32_t tray = PageTray();
    if (!IsShownCell(working_, tray, selectedIndex_)) return;
    // The edit lands on the entry wherever it went meanwhile; when it is gone
    // (deleted while the editor was open) there is nothing to change.
    const auto done = [this](const EntryEdit& edit) {
        ItemList& items = ItemsOf(edit.List);
        const std::int32_t at = FindSameEntry(items, edit.Recorded, edit.Index);
        if (at >= 0) ApplyEntryEdit(items_, items[static_cast<std::size_t>(at)], edit.Edited);
        Redraw(edit.List);
        ShowCursorTitle();
    };
    if (!settingForm_.OpenItemEditor(tray, selectedIndex_, ItemsOf(tray)[static_cast<std::size_t>(selectedIndex_)],
                                     options_.KeyNumberFlag, done))
        return;
    RECT r{};
    ::GetWindowRect(hwnd(), &r);
    settingForm_.ShowCentredOver(r);
}

void TConfigForm::pmNewClick() noexcept {
    try {
        const auto chosen = RunOpenFileDialog(hwnd(), Text(IDS_NEW_FILE_TITLE),
                                              Text(IDS_EXE_FILTER), L"", L"");
        if (!chosen) return;
        if (FileExists(*chosen)) AddFileItem(PageTray(), *chosen);
        else ShowWarning(hwnd(), Text(IDS_FILE_NOT_FOUND));
    } catch (...) {
    }
    ::SetForegroundWindow(hwnd());
    FitDialogSize();
    Redraw(PageTray());
}

void TConfigForm::pmDeleteClick() noexcept {
    const std::int32_t tray = PageTray();
    ItemList& items = ItemsOf(tray);
    if (selectedIndex_ < 0 || static_cast<std::size_t>(selectedIndex_) >= items.size()) return;
    if (deleteMenuMode_ == DeleteMode::Delete) {
        try {
            // The entry asked about goes, wherever it went while the question
            // was up; never whatever took its old place.
            deleteForm_.OpenFor(items[static_cast<std::size_t>(selectedIndex_)], hwnd(),
                                [this, tray, hint = selectedIndex_](const LaunchItem& entry) {
                                    ItemList& list = ItemsOf(tray);
                                    const std::int32_t at = FindSameEntry(list, entry, hint);
                                    if (at < 0) return;
                                    ItemList gone;
                                    gone.push_back(std::move(list[static_cast<std::size_t>(at)]));
                                    list.erase(list.begin() + at);
                                    FreeItemList(items_, gone, true);
                                    RefreshGrid(tray);
                                });
        } catch (...) {
        }
        return;
    }
    try {
        selectedIndex_ = SwitchInUse(items, selectedIndex_);
    } catch (...) {
    }
    FitDialogSize();
    Redraw(tray);
    ShowCursorTitle();
}

std::optional<ShortcutTarget> TConfigForm::ResolveShortcut(const std::wstring& path) noexcept {
    // The shell link object needs COM on this thread.
    const ComApartment com;
    std::optional<ShortcutTarget> target;
    ComPtr<IShellLinkW> link;
    if (SUCCEEDED(CreateComObject(CLSID_ShellLink, IID_IShellLinkW, link))) {
        ComPtr<IPersistFile> file;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.Receive()))) {
            wchar_t resolved[MAX_PATH]{}, arguments[MAX_PATH]{}, folder[MAX_PATH]{};
            WIN32_FIND_DATAW data{};
            if (SUCCEEDED(file->Load(path.c_str(), STGM_READ)) &&
                SUCCEEDED(link->Resolve(hwnd(), SLR_ANY_MATCH)) &&
                link->GetPath(resolved, MAX_PATH, &data, SLGP_UNCPRIORITY) == S_OK) {
                link->GetArguments(arguments, MAX_PATH);
                link->GetWorkingDirectory(folder, MAX_PATH);
                try {
                    target = ShortcutTarget{resolved, arguments, folder};
                } catch (...) {
                }
            }
        }
    }
    return target;
}

void TConfigForm::AddFileItem(std::int32_t tray, const std::wstring& path) {
    const std::optional<ShortcutTarget> shortcut =
        HasExtension(path, L".lnk") ? ResolveShortcut(path) : std::nullopt;
    LaunchItem item = NewFileItem(path, shortcut, items_.expandPathMacros);
    // ExtractAssociatedIcon may write the associated program's path into its buffer.
    std::vector<wchar_t> source(item.IconFileName.begin(), item.IconFileName.end());
    source.resize(std::max<std::size_t>(source.size() + 1, MAX_PATH), L'\0');
    WORD index = 0;
    item.Icon = ::ExtractAssociatedIconW(::GetModuleHandleW(nullptr), source.data(), &index);
    ::SetWindowTextW(nameLabel_, item.Title.c_str());
    ItemList& items = ItemsOf(tray);
    selectedIndex_ = InsertionIndex(items, selectedIndex_);
    try {
        items.insert(items.begin() + selectedIndex_, std::move(item));
    } catch (...) {
        ReleaseEntryIcon(static_cast<HICON>(item.Icon));
        throw;
    }
}

void TConfigForm::DropFiles(HDROP drop) noexcept {
    const std::int32_t tray = PageTray();
    // Where the files were let go, not where the pointer is by the time the
    // message is handled.
    POINT at{};
    ::DragQueryPoint(drop, &at);
    ::MapWindowPoints(hwnd(), PaintBoxOf(tray).hwnd(), &at, 1);
    const int dpi = WindowDpi(hwnd());
    selectedIndex_ = CellIndexAt(UnscaleDpi(at.x, dpi), UnscaleDpi(at.y, dpi), kCellPitch, ClampColumns(options_.ColMax));
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    try {
        for (UINT i = 0; i < count; ++i) {
            if (ItemsOf(tray).size() >= kMaxRegisteredItems) {
                ShowWarning(hwnd(), Text(IDS_TOO_MANY_ITEMS));
                break;
            }
            // Read whole, however long: a path cut short names another file.
            const UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
            std::wstring name(length + 1, L'\0');
            name.resize(::DragQueryFileW(drop, i, name.data(), length + 1));
            AddFileItem(tray, name);
        }
    } catch (...) {
        // Out of memory: what was added so far stays.
    }
    ::SetForegroundWindow(hwnd());
    FitDialogSize();
    Redraw(tray);
    ::DragFinish(drop);
}

void TConfigForm::WidthComboBoxChange() noexcept {
    const auto selected = ::SendMessageW(::GetDlgItem(hwnd(), kWidthComboBoxId), CB_GETCURSEL, 0, 0);
    if (selected < 0) return;
    const auto value = static_cast<std::int32_t>(selected) + 3;
    if (value == options_.ColMax) return;
    options_.ColMax = value;
    FitDialogSize();
    Redraw(kProgramTray);
    Redraw(kSystemTray);
}

void TConfigForm::OkButtonClick() noexcept {
    if (!opened_ || !store_) return;
    SettingsEdit edit;
    edit.BasedOn = basedOn_;
    edit.Options = options_;
    edit.Programs = std::exchange(ItemsOf(kProgramTray), ItemList{});
    edit.Systems = std::exchange(ItemsOf(kSystemTray), ItemList{});
    std::optional<CommitResult> result;
    RunGuarded(hwnd(), [&] { result = store_(edit); });
    // What was not taken comes back: the edits stay when storing failed (the
    // error was shown), so the user can try again or cancel them.
    if (edit.Programs) ItemsOf(kProgramTray) = std::move(*edit.Programs);
    if (edit.Systems) ItemsOf(kSystemTray) = std::move(*edit.Systems);
    if (!result) return;
    if (*result == CommitResult::Stale) ShowWarning(hwnd(), Text(IDS_CHANGED_ELSEWHERE));
    CancelButtonClick();
}

void TConfigForm::CancelButtonClick() noexcept {
    Hide();
    FormClose();
}

void TConfigForm::FormHide() noexcept {
    if (!opened_) return;
    // The editor and the delete question work on these lists: they end with the dialog.
    settingForm_.Hide();
    deleteForm_.CancelButtonClick();
    // Hidden by another window of the program (the popup, another dialog, an
    // environment switch) ends the edit as Cancel does: edits left
    // behind a hidden dialog would be stored later by an OK that never showed
    // them, or land in another environment's lists.
    FormClose();
}

LRESULT TConfigForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    switch (msg) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: OkButtonClick(); return 0;
        case IDCANCEL: CancelButtonClick(); return 0;
        case kWidthComboBoxId:
            if (HIWORD(wParam) == CBN_SELCHANGE) WidthComboBoxChange();
            return 0;
        default: break;
        }
        break;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == kCfgPageId && header->code == TCN_SELCHANGE) CfgPageChange();
        break;
    }
    case WM_SHOWWINDOW:
        if (!wParam) FormHide();
        break;
    case WM_DROPFILES:
        DropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) FormActivate();
        break;
    case WM_CLOSE:
        CancelButtonClick();
        return 0;
    default:
        break;
    }
    return FormWindow::HandleMessage(msg, wParam, lParam);
}

}  // namespace tdx
