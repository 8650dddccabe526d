#include "dialogs/setting_form.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <new>
#include <array>
#include <utility>

#include "dialogs/config_model.h"
#include "dialogs/dialog_support.h"
#include "dialogs/setting_model.h"
#include "popup/launch_rules.h"
#include "popup/placement_win.h"
#include "settings/item_icons_win.h"
#include "settings/keyboard_digits.h"
#include "settings/system_items.h"
#include "winbase/file_tests.h"
#include "winbase/dpi_scale.h"
#include "settings/error_display_win.h"
#include "winbase/ui_text_win.h"
#include "winbase/late_bound.h"
#include "winbase/decimal_text.h"

namespace tdx {
namespace {

constexpr wchar_t kScrollBoxClass[] = L"TScrollBox";
constexpr int kStripLeft = 8, kStripTop = 129, kStripWidth = 401;
constexpr int kStripHeight = 42, kStripHeightWithBar = 60;

// The window at 96 DPI, top to bottom in tab order.
const std::array<ControlSpec, 19> kLayout{{
    {L"STATIC", L"tiledex(&C)", 8, 10, 60, 14, WS_VISIBLE | SS_LEFT, kSettingDirectLabelId},
    {L"EDIT", L"", 72, 6, 41, 21, WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, kSettingDirectEditId,
     WS_EX_CLIENTEDGE},
    {L"BUTTON", L"Shift(&S)", 124, 8, 90, 18, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, kSettingShiftCheckId},
    {L"STATIC", TextRef(IDS_SETTING_TITLE), 8, 33, 150, 14, WS_VISIBLE | SS_LEFT, kSettingTitleLabelId},
    {L"EDIT", L"", 8, 47, 401, 21, WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, kSettingTitleEditId,
     WS_EX_CLIENTEDGE},
    {L"STATIC", TextRef(IDS_SETTING_ICON_FILE), 8, 74, 200, 14, WS_VISIBLE | SS_LEFT, kSettingIconFileLabelId},
    {L"EDIT", L"", 8, 88, 321, 21, WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, kSettingIconEditId,
     WS_EX_CLIENTEDGE},
    {L"BUTTON", TextRef(IDS_SETTING_BROWSE), 334, 87, 75, 23, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
     kSettingBrowseButtonId},
    {L"STATIC", TextRef(IDS_SETTING_ICON), 8, 115, 150, 14, WS_VISIBLE | SS_LEFT, kSettingIconLabelId},
    {kScrollBoxClass, L"", kStripLeft, kStripTop, kStripWidth, kStripHeight, WS_VISIBLE | WS_HSCROLL,
     kSettingIconScrollBoxId, WS_EX_CLIENTEDGE},
    {L"STATIC", TextRef(IDS_SETTING_EXE), 8, 195, 200, 14, WS_VISIBLE | SS_LEFT, kSettingExeLabelId},
    {L"EDIT", L"", 8, 209, 321, 21, WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, kSettingExeEditId,
     WS_EX_CLIENTEDGE},
    {L"BUTTON", TextRef(IDS_SETTING_BROWSE), 334, 208, 75, 23, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
     kSettingExeBrowseButtonId},
    {L"STATIC", TextRef(IDS_SETTING_ARGUMENT), 8, 236, 200, 14, WS_VISIBLE | SS_LEFT, kSettingArgumentLabelId},
    {L"EDIT", L"", 8, 250, 401, 21, WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, kSettingArgumentEditId,
     WS_EX_CLIENTEDGE},
    {L"STATIC", TextRef(IDS_SETTING_DIRECTORY), 8, 277, 200, 14, WS_VISIBLE | SS_LEFT, kSettingDirectoryLabelId},
    {L"EDIT", L"", 8, 291, 401, 21, WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, kSettingDirectoryEditId,
     WS_EX_CLIENTEDGE},
    {L"BUTTON", TextRef(IDS_OK), 254, 326, 75, 23, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, kSettingOkButtonId},
    {L"BUTTON", TextRef(IDS_CANCEL), 334, 326, 75, 23, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, kSettingCancelButtonId},
}};

constexpr std::array<int, 6> kEditIds{kSettingDirectEditId, kSettingTitleEditId,   kSettingIconEditId,
                                      kSettingExeEditId,    kSettingArgumentEditId, kSettingDirectoryEditId};

constexpr WPARAM kCtrlV = 0x16;

// The clipboard's text; empty when it holds none or cannot be opened.
std::wstring ClipboardText(HWND owner) {
    std::wstring text;
    if (!::OpenClipboard(owner)) return text;
    const ScopeExit close([] { ::CloseClipboard(); });
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = chars;
            ::GlobalUnlock(data);
        }
    }
    return text;
}

bool IsDriveRoot(const std::wstring& text) {
    return text.size() == 3 && ((text[0] >= L'A' && text[0] <= L'Z') || (text[0] >= L'a' && text[0] <= L'z')) &&
           text[1] == L':' && text[2] == L'\\';
}

}  // namespace

LRESULT CALLBACK SettingEditProc(HWND edit, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR data) noexcept {
    auto* form = reinterpret_cast<TSettingForm*>(data);
    const int id = ::GetDlgCtrlID(edit);
    switch (msg) {
    case WM_GETDLGCODE:
        // Enter belongs to the box (each has its own meaning for it), and so
        // does every key of the direct-key box.
        if (lParam) {
            const auto* m = reinterpret_cast<const MSG*>(lParam);
            if (m->message == WM_KEYDOWN && m->wParam == VK_RETURN) return DLGC_WANTALLKEYS;
            if (id == kSettingDirectEditId && m->message == WM_KEYDOWN && m->wParam >= VK_F1 &&
                m->wParam <= VK_F12)
                return DLGC_WANTALLKEYS;
        }
        break;
    case WM_KEYDOWN:
        if (id == kSettingDirectEditId && form->DirectEditKeyDown(wParam)) return 0;
        if (wParam == VK_RETURN) return 0;
        break;
    case WM_CHAR:
        if (wParam == L'\r') {
            form->EditEnter(id);
            return 0;
        }
        // Ctrl+V comes as a character; it pastes (below) rather than clearing the key.
        if (id == kSettingDirectEditId && wParam != kCtrlV &&
            form->DirectEditChar(static_cast<wchar_t>(wParam)))
            return 0;
        break;
    case WM_PASTE:
        if (id == kSettingDirectEditId) {
            form->DirectEditPaste();
            return 0;
        }
        break;
    default:
        break;
    }
    // Bound before the subclass was installed (Create checks it).
    static const auto defaultProc = CommonControlsFunction<decltype(&::DefSubclassProc)>("DefSubclassProc");
    return defaultProc(edit, msg, wParam, lParam);
}

LRESULT CALLBACK IconScrollBoxProc(HWND box, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    auto* form = reinterpret_cast<TSettingForm*>(::GetWindowLongPtrW(box, GWLP_USERDATA));
    if (!form) return ::DefWindowProcW(box, msg, wParam, lParam);
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(box, &ps);
        form->PaintIconStrip(dc);
        ::EndPaint(box, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_GETOBJECT:
        if (static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_CLIENT)) {
            if (const LRESULT object = form->IconStripObject(wParam)) return object;
        }
        break;
    case WM_LBUTTONDOWN:
        form->IconPaintBoxMouseDown(static_cast<short>(LOWORD(lParam)));
        return 0;
    case WM_HSCROLL: {
        SCROLLINFO si{};
        si.cbSize = sizeof(si);
        si.fMask = SIF_ALL;
        ::GetScrollInfo(box, SB_HORZ, &si);
        const int step = ScaleForWindow(box, kIconCell);
        int position = si.nPos;
        switch (LOWORD(wParam)) {
        case SB_LINELEFT: position -= step; break;
        case SB_LINERIGHT: position += step; break;
        case SB_PAGELEFT: position -= static_cast<int>(si.nPage); break;
        case SB_PAGERIGHT: position += static_cast<int>(si.nPage); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: position = si.nTrackPos; break;
        case SB_LEFT: position = 0; break;
        case SB_RIGHT: position = si.nMax; break;
        default: break;
        }
        form->ScrollIconStripTo(position);
        return 0;
    }
    default:
        break;
    }
    return ::DefWindowProcW(box, msg, wParam, lParam);
}

TSettingForm::~TSettingForm() {
    ClearIconStrip();
    // A screen reader may hold the object longer than the dialog lives.
    if (stripAccessible_) stripAccessible_->Disconnect();
}

HWND TSettingForm::IconStripSource::GridWindow() const noexcept { return form_.Item(kSettingIconScrollBoxId); }

bool TSettingForm::IconStripSource::Describe(AccessibleGrid& grid) const noexcept {
    const HWND box = GridWindow();
    if (!box) return false;
    try {
        grid = AccessibleGrid{};
        grid.name = Text(IDS_ACC_ICON_STRIP);
        const int cell = ScaleForWindow(box, kIconCell);
        for (std::size_t i = 0; i < form_.iconStrip_.size(); ++i) {
            const int x = static_cast<int>(i) * cell - form_.stripScroll_;
            RECT r{x, 0, x + cell, cell};
            ::MapWindowPoints(box, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
            grid.cells.push_back({DecimalText(i + 1), L"", r});
        }
        if (form_.selectedIcon_ >= 0 && static_cast<std::size_t>(form_.selectedIcon_) < form_.iconStrip_.size())
            grid.focused = form_.selectedIcon_;
    } catch (...) {
        return false;
    }
    return true;
}

LRESULT TSettingForm::IconStripObject(WPARAM wParam) noexcept {
    if (!stripAccessible_) stripAccessible_ = ComPtr<GridAccessible>(new (std::nothrow) GridAccessible(stripSource_));
    return stripAccessible_ ? AccessibleResult(*stripAccessible_.get(), wParam) : 0;
}

bool TSettingForm::Create(HWND owner) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!::GetClassInfoExW(::GetModuleHandleW(nullptr), kScrollBoxClass, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = IconScrollBoxProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kScrollBoxClass;
        if (!::RegisterClassExW(&wc)) return false;
    }
    if (!FormWindow::Create(owner)) return false;
    ::ImmAssociateContextEx(hwnd(), nullptr, IACE_CHILDREN);
    font_ = DialogFont(hwnd(), 12);
    if (!CreateControls(hwnd(), kLayout, font_.get())) return false;
    ::SetWindowLongPtrW(Item(kSettingIconScrollBoxId), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    const auto subclass = CommonControlsFunction<decltype(&::SetWindowSubclass)>("SetWindowSubclass");
    if (!subclass || !CommonControlsFunction<decltype(&::DefSubclassProc)>("DefSubclassProc")) return false;
    for (int id : kEditIds) subclass(Item(id), SettingEditProc, 1, reinterpret_cast<DWORD_PTR>(this));
    // Titles, arguments and paths are typed in any language.
    for (int id : {kSettingTitleEditId, kSettingIconEditId, kSettingExeEditId, kSettingArgumentEditId,
                   kSettingDirectoryEditId})
        ::ImmAssociateContextEx(Item(id), nullptr, IACE_DEFAULT);
    ::SendMessageW(Item(kSettingDirectEditId), EM_LIMITTEXT, 3, 0);
    return true;
}

bool TSettingForm::OpenItemEditor(std::int32_t tray, std::int32_t index, const LaunchItem& entry,
                                  bool keyNumberFlag, std::function<void(const EntryEdit&)> done) {
    if (!EnsureCreated()) return false;
    if (tray != kProgramTray && tray != kSystemTray) {
        Hide();
        return false;
    }
    tray_ = tray;
    index_ = index;
    keyNumberFlag_ = keyNumberFlag;
    done_ = std::move(done);
    const LaunchItem& e = entry;
    entry_ = e;
    flagByte_ = e.Status & 0xFF;
    selectedIcon_ = e.IconIndex;
    lastIconFile_ = e.IconFileName;
    ::SetWindowTextW(Item(kSettingIconEditId), e.IconFileName.c_str());
    ::SetWindowTextW(Item(kSettingTitleEditId), e.Title.c_str());
    const auto key = static_cast<std::uint8_t>((e.Status >> 8) & 0xFF);
    SetDirectText(DirectEditText(key, UsKeyboard));
    ::SendMessageW(Item(kSettingShiftCheckId), BM_SETCHECK,
                   DirectKeyShifted(key, UsKeyboard) ? BST_CHECKED : BST_UNCHECKED, 0);
    lastFolder_ = e.DirectoryName;
    ::SetWindowTextW(Item(kSettingDirectoryEditId), e.DirectoryName.c_str());
    ::SetWindowTextW(Item(kSettingArgumentEditId), e.ArgumentName.c_str());
    BuildIconStrip(e.IconFileName);

    // The target of a built-in entry can be neither seen nor changed.
    const bool builtIn = e.Has(ItemStatus::BuiltIn);
    for (int id : {kSettingExeEditId, kSettingExeBrowseButtonId, kSettingExeLabelId})
        ::EnableWindow(Item(id), !builtIn);
    lastExeFile_ = builtIn ? std::wstring() : e.ExeFileName;
    ::SetWindowTextW(Item(kSettingExeEditId), lastExeFile_.c_str());
    return true;
}

void TSettingForm::ShowCentredOver(const RECT& rect) noexcept {
    ShowFormAlignedToRect(hwnd(), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, 4);
    ScrollIconStripTo(ScaleForWindow(hwnd(), kIconCell) * std::max(selectedIcon_, 0));
    ::SetFocus(Item(kSettingDirectEditId));
}

void TSettingForm::Warn(const wchar_t* text) noexcept { ShowWarning(hwnd(), text); }

void TSettingForm::ClearIconStrip() noexcept {
    for (HICON icon : iconStrip_) ReleaseEntryIcon(icon);
    iconStrip_.clear();
}

int TSettingForm::BuildIconStrip(const std::wstring& file) noexcept {
    ClearIconStrip();
    int result = 0;
    try {
        const HINSTANCE module = ::GetModuleHandleW(nullptr);
        const bool specialFolder = (flagByte_ & ItemStatus::SpecialFolder) != 0 && selectedIcon_ == -1;
        if (!specialFolder && !file.empty()) {
            HICON first = ::ExtractIconW(module, file.c_str(), 0);
            // 1: the file is neither a program, a library nor an icon file.
            if (first && reinterpret_cast<UINT_PTR>(first) != 1) {
                iconStrip_.push_back(first);
                for (UINT i = 1;; ++i) {
                    HICON icon = ::ExtractIconW(module, file.c_str(), i);
                    if (!icon || reinterpret_cast<UINT_PTR>(icon) == 1) break;
                    iconStrip_.push_back(icon);
                }
            }
        }
        result = static_cast<int>(iconStrip_.size());
        if (iconStrip_.empty() && items_.loadIcon) {
            if (IconHandle substitute = items_.loadIcon(flagByte_, file, selectedIcon_)) {
                iconStrip_.push_back(static_cast<HICON>(substitute));
                result = -1;
            }
        }
    } catch (...) {
        // Out of memory: the strip shows what it holds.
    }
    LayoutIconStrip();
    return result;
}

void TSettingForm::LayoutIconStrip() noexcept {
    HWND box = Item(kSettingIconScrollBoxId);
    const int width = static_cast<int>(iconStrip_.size()) * kIconCell;
    const int height = width > 400 ? kStripHeightWithBar : kStripHeight;
    ::SetWindowPos(box, nullptr, 0, 0, ScaleForWindow(hwnd(), kStripWidth), ScaleForWindow(hwnd(), height),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{};
    ::GetClientRect(box, &client);
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_RANGE | SIF_PAGE;
    si.nMin = 0;
    si.nMax = ScaleForWindow(hwnd(), width) - 1;
    si.nPage = static_cast<UINT>(client.right);
    ::SetScrollInfo(box, SB_HORZ, &si, TRUE);
    ScrollIconStripTo(ScaleForWindow(hwnd(), kIconCell) * std::max(selectedIcon_, 0));
}

void TSettingForm::ScrollIconStripTo(int position) noexcept {
    HWND box = Item(kSettingIconScrollBoxId);
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_ALL;
    ::GetScrollInfo(box, SB_HORZ, &si);
    const int last = std::max(0, si.nMax + 1 - static_cast<int>(si.nPage));
    stripScroll_ = std::clamp(position, 0, last);
    si.fMask = SIF_POS;
    si.nPos = stripScroll_;
    ::SetScrollInfo(box, SB_HORZ, &si, TRUE);
    ::InvalidateRect(box, nullptr, FALSE);
}

void TSettingForm::PaintIconStrip(HDC dc) noexcept {
    HWND box = Item(kSettingIconScrollBoxId);
    RECT client{};
    ::GetClientRect(box, &client);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    const int cell = ScaleForWindow(box, kIconCell);
    const int inset = ScaleForWindow(box, 4), icon = ScaleForWindow(box, 32), pen = ScaleForWindow(box, 2);
    for (std::size_t i = 0; i < iconStrip_.size(); ++i) {
        const int x = static_cast<int>(i) * cell - stripScroll_;
        if (x + cell < 0 || x > client.right) continue;
        const bool chosen = selectedIcon_ < 0 || static_cast<std::size_t>(selectedIcon_) == i;
        const HBRUSH fill = chosen ? static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH))
                                   : ::GetSysColorBrush(COLOR_BTNFACE);
        RECT square{x, 0, x + cell, cell};
        ::FillRect(dc, &square, fill);
        for (int p = 0; p < pen; ++p) {
            ::FrameRect(dc, &square, fill);
            ::InflateRect(&square, -1, -1);
        }
        ::DrawIconEx(dc, x + inset, inset, iconStrip_[i], icon, icon, 0, nullptr, DI_NORMAL);
    }
}

void TSettingForm::IconPaintBoxMouseDown(int x) noexcept {
    if (selectedIcon_ < 0) return;
    const int cell = (x + stripScroll_) / ScaleForWindow(hwnd(), kIconCell);
    if (cell < 0 || static_cast<std::size_t>(cell) >= iconStrip_.size()) return;
    selectedIcon_ = cell;
    ::InvalidateRect(Item(kSettingIconScrollBoxId), nullptr, FALSE);
    NotifyAccessibleFocus(Item(kSettingIconScrollBoxId), cell);
    FocusOk();
}

void TSettingForm::IconChosen(const std::wstring& file) noexcept {
    // A new file selects its first icon, or nothing when only a substitute shows.
    selectedIcon_ = BuildIconStrip(file) == -1 ? -1 : 0;
    lastIconFile_ = file;
    ::SetWindowTextW(Item(kSettingIconEditId), file.c_str());
    ::InvalidateRect(Item(kSettingIconScrollBoxId), nullptr, FALSE);
    FocusOk();
}

bool TSettingForm::EditEnter(int id) noexcept {
    const std::wstring text = ControlText(Item(id));
    switch (id) {
    case kSettingIconEditId:
        if (FileExists(text)) {
            IconChosen(text);
        } else {
            ::SetWindowTextW(Item(id), lastIconFile_.c_str());
            Warn(Text(IDS_FILE_NOT_FOUND));
        }
        break;
    case kSettingExeEditId:
        if (FileExists(text)) {
            lastExeFile_ = text;
            FocusOk();
        } else {
            ::SetWindowTextW(Item(id), lastExeFile_.c_str());
            Warn(Text(IDS_FILE_NOT_FOUND));
        }
        break;
    case kSettingDirectoryEditId:
        if (FolderExists(text)) {
            lastFolder_ = text;
            FocusOk();
        } else {
            ::SetWindowTextW(Item(id), lastFolder_.c_str());
            Warn(Text(IDS_FOLDER_NOT_FOUND));
        }
        break;
    default:
        FocusOk();
        break;
    }
    return true;
}

void TSettingForm::SetDirectText(const std::wstring& text) {
    // Known before the box changes, so that its change notice finds it accepted.
    directText_ = text;
    ::SetWindowTextW(Item(kSettingDirectEditId), text.c_str());
}

bool TSettingForm::DirectShift() const noexcept {
    return ::SendMessageW(Item(kSettingShiftCheckId), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool TSettingForm::DirectEditChar(wchar_t c) noexcept {
    try {
        // The new key replaces the old one; whatever is refused leaves no key.
        SetDirectText(L"");
        if (const auto text = TypedDirectKey(c, DirectShift(), keyNumberFlag_, UsKeyboard)) {
            SetDirectText(*text);
            FocusOk();
        }
    } catch (...) {
    }
    return true;
}

void TSettingForm::DirectEditPaste() noexcept {
    try {
        // A pasted key replaces the old one as a typed key does; text that is
        // not one key, as the box would show it, is refused and the key stays.
        const std::wstring text = ClipboardText(hwnd());
        if (text.empty() || !IsDirectKeyText(text, DirectShift(), keyNumberFlag_, UsKeyboard)) {
            ::MessageBeep(MB_OK);
            return;
        }
        SetDirectText(text);
        FocusOk();
    } catch (...) {
    }
}

void TSettingForm::DirectEditChange() noexcept {
    try {
        // Whatever else edits the box (Delete, Cut, Undo from its menu) must
        // leave one key in it, or the key it had comes back.
        const std::wstring text = ControlText(Item(kSettingDirectEditId));
        if (text == directText_) return;
        if (IsDirectKeyText(text, DirectShift(), keyNumberFlag_, UsKeyboard)) {
            directText_ = text;
            return;
        }
        ::MessageBeep(MB_OK);
        SetDirectText(directText_);
        ::SendMessageW(Item(kSettingDirectEditId), EM_SETSEL, 0, -1);
    } catch (...) {
    }
}

bool TSettingForm::DirectEditKeyDown(WPARAM key) noexcept {
    if (key < VK_F1 || key > VK_F12) return false;
    try {
        SetDirectText(FunctionKeyText(static_cast<int>(key - VK_F1) + 1, DirectShift()));
    } catch (...) {
    }
    FocusOk();
    return true;
}

void TSettingForm::ShiftCheckClick() noexcept {
    try {
        const std::wstring text = ControlText(Item(kSettingDirectEditId));
        if (text.empty()) return;
        SetDirectText(ShiftToggledText(text, DirectShift(), UsKeyboard));
        FocusOk();
    } catch (...) {
    }
}

void TSettingForm::BrowseButtonClick() noexcept {
    try {
        const std::wstring current = ControlText(Item(kSettingIconEditId));
        const std::wstring file = IsDriveRoot(current) ? current + L"drive" : current;
        const auto chosen = RunOpenFileDialog(
            hwnd(), Text(IDS_ICON_FILE_TITLE),
            Text(IDS_ICON_FILE_FILTER),
            FolderPartOf(current), file);
        if (!chosen) return;
        if (FileExists(*chosen)) IconChosen(*chosen);
        else Warn(Text(IDS_FILE_NOT_FOUND));
    } catch (...) {
    }
}

void TSettingForm::ExeBrowseButtonClick() noexcept {
    try {
        const std::wstring current = ControlText(Item(kSettingExeEditId));
        const auto chosen = RunOpenFileDialog(hwnd(), Text(IDS_EXE_FILE_TITLE),
                                              Text(IDS_EXE_FILTER),
                                              FolderPartOf(current), current);
        if (!chosen) return;
        if (FileExists(*chosen)) {
            lastExeFile_ = *chosen;
            ::SetWindowTextW(Item(kSettingExeEditId), chosen->c_str());
            FocusOk();
        } else {
            Warn(Text(IDS_FILE_NOT_FOUND));
        }
    } catch (...) {
    }
}

void TSettingForm::OKButtonClick() noexcept {
    const auto done = std::exchange(done_, nullptr);
    EntryEdit edit;
    try {
        edit.List = tray_;
        edit.Index = index_;
        edit.Recorded = std::exchange(entry_, LaunchItem{});
        LaunchItem& e = edit.Edited = edit.Recorded;
        if (!e.Has(ItemStatus::BuiltIn)) e.ExeFileName = ControlText(Item(kSettingExeEditId));
        e.Title = ControlText(Item(kSettingTitleEditId));
        // The box only ever holds one key or none (pasted text is refused).
        const std::uint8_t key = DirectKeyCodeOf(ControlText(Item(kSettingDirectEditId)), UsKeyboard).value_or(0);
        e.Status = (flagByte_ + static_cast<std::uint32_t>(key) * 256) & 0xFFFF;
        e.IconIndex = selectedIcon_;
        e.IconFileName = ControlText(Item(kSettingIconEditId));
        e.DirectoryName = ControlText(Item(kSettingDirectoryEditId));
        e.ArgumentName = ControlText(Item(kSettingArgumentEditId));
    } catch (...) {
        // Out of memory: nothing was changed.
        Hide();
        ClearIconStrip();
        return;
    }
    Hide();
    ClearIconStrip();
    // The registration dialog stays usable while the editor is open: whoever
    // takes the edit finds the entry again wherever it went.
    if (done) RunGuarded(hwnd(), [&] { done(edit); });
}

LRESULT TSettingForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    switch (msg) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kSettingOkButtonId:
            // Enter goes to the boxes themselves; OK is only the button.
            if (HIWORD(wParam) == BN_CLICKED && reinterpret_cast<HWND>(lParam) == Item(kSettingOkButtonId))
                OKButtonClick();
            return 0;
        case kSettingCancelButtonId:
            CancelButtonClick();
            return 0;
        case kSettingShiftCheckId:
            if (HIWORD(wParam) == BN_CLICKED) ShiftCheckClick();
            return 0;
        case kSettingDirectEditId:
            if (HIWORD(wParam) == EN_CHANGE) DirectEditChange();
            return 0;
        case kSettingBrowseButtonId:
            if (HIWORD(wParam) == BN_CLICKED) BrowseButtonClick();
            return 0;
        case kSettingExeBrowseButtonId:
            if (HIWORD(wParam) == BN_CLICKED) ExeBrowseButtonClick();
            return 0;
        default:
            break;
        }
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
