#include "dialogs/option_form.h"

#include <commctrl.h>
#include <commdlg.h>

#include <array>
#include <string>

#include "dialogs/dialog_support.h"
#include "popup/placement_win.h"
#include "popup/tray_painter.h"
#include "settings/autorun_win.h"
#include "settings/settings_error.h"
#include "settings/windows_version_win.h"
#include "winbase/late_bound.h"
#include "winbase/dpi_scale.h"
#include "settings/error_display_win.h"
#include "winbase/message_pump.h"
#include "winbase/ui_text_win.h"

namespace tdx {
namespace {

constexpr DWORD kCheck = WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX;
constexpr DWORD kGroup = WS_VISIBLE | BS_GROUPBOX;
constexpr DWORD kFirstRadio = WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON;
constexpr DWORD kRadio = WS_VISIBLE | BS_AUTORADIOBUTTON;

struct PageControl {
    int page;  // 0 Key, 1 Mouse, 2 Etc.
    ControlSpec control;  // position relative to the page, at 96 DPI
};

// The three pages, in tab order. The Etc. page's rows sit 12 pixels higher
// than they used to, to make room for the language at its foot.
const std::array<PageControl, 44> kPages{{
    {0, {L"BUTTON", TextRef(IDS_OPT_KEY_GROUP), 8, 8, 201, 137, kGroup, kOptGroupBox1Id}},
    {0, {L"STATIC", L"", 24, 28, 169, 21, WS_VISIBLE | SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX | WS_BORDER,
         kOptKeyLabelId}},
    {0, {L"BUTTON", L"&Shift Key", 24, 64, 89, 17, kCheck, kOptShiftCheckId}},
    {0, {L"BUTTON", L"&Alt Key", 24, 88, 81, 17, kCheck, kOptAltCheckId}},
    {0, {L"BUTTON", L"&Ctrl Key", 24, 112, 81, 17, kCheck, kOptControlCheckId}},
    {0, {L"LISTBOX", L"", 120, 64, 73, 69,
         WS_VISIBLE | WS_TABSTOP | WS_GROUP | WS_VSCROLL | WS_BORDER | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
         kOptKeyListBoxId}},
    {0, {L"BUTTON", TextRef(IDS_OPT_KCURSOR_GROUP), 216, 8, 161, 97, kGroup, kOptKCursorGroupId}},
    {0, {L"BUTTON", TextRef(IDS_OPT_PROGRAM_TRAY), 228, 28, 140, 17, kFirstRadio, kOptKCursorRadioId}},
    {0, {L"BUTTON", TextRef(IDS_OPT_TASK_TRAY), 228, 50, 140, 17, kRadio, kOptKCursorRadioId + 1}},
    {0, {L"BUTTON", TextRef(IDS_OPT_SYSTEM_TRAY), 228, 72, 140, 17, kRadio, kOptKCursorRadioId + 2}},
    {0, {L"BUTTON", TextRef(IDS_OPT_KEY_POSITION), 16, 152, 325, 17, kCheck, kOptKeyPositionCheckId}},
    {0, {L"BUTTON", TextRef(IDS_OPT_DOS), 16, 176, 372, 17, kCheck,
         kOptDosCheckId}},
    {0, {L"BUTTON", TextRef(IDS_OPT_KEY_ONLY), 16, 200, 372, 17, kCheck,
         kOptKeyOnlyCheckId}},
    {0, {L"BUTTON", TextRef(IDS_OPT_DIRECT_MOVE_ONLY), 16, 224, 372, 17, kCheck, kOptDirectMoveOnlyCheckId}},
    {0, {L"BUTTON", TextRef(IDS_OPT_KEY_NUMBER), 16, 248, 372, 17, kCheck,
         kOptKeyNumberCheckId}},

    {1, {L"BUTTON", TextRef(IDS_OPT_KICK_MOUSE), 16, 8, 217, 17, kCheck, kOptKickMouseCheckId}},
    {1, {L"BUTTON", TextRef(IDS_OPT_MOUSE_GROUP), 24, 32, 337, 81, kGroup, kOptMouseGroupId}},
    {1, {L"BUTTON", TextRef(IDS_OPT_MOUSE_LEFT_RIGHT), 36, 50, 318, 17, kFirstRadio,
         kOptMouseRadioId}},
    {1, {L"BUTTON", TextRef(IDS_OPT_MOUSE_RIGHT_LEFT), 36, 70, 318, 17, kRadio,
         kOptMouseRadioId + 1}},
    {1, {L"BUTTON", TextRef(IDS_OPT_MOUSE_MIDDLE), 36, 90, 318, 17, kRadio, kOptMouseRadioId + 2}},
    {1, {L"BUTTON", TextRef(IDS_OPT_MOUSE_POSITION), 16, 120, 249, 17, kCheck, kOptMousePositionCheckId}},
    {1, {L"BUTTON", TextRef(IDS_OPT_MCURSOR_GROUP), 24, 144, 337, 65, kGroup, kOptMCursorGroupId}},
    {1, {L"BUTTON", TextRef(IDS_OPT_PROGRAM_TRAY), 36, 162, 150, 17, kFirstRadio, kOptMCursorRadioId}},
    {1, {L"BUTTON", TextRef(IDS_OPT_TASK_TRAY), 196, 162, 150, 17, kRadio, kOptMCursorRadioId + 1}},
    {1, {L"BUTTON", TextRef(IDS_OPT_SYSTEM_TRAY), 36, 184, 150, 17, kRadio, kOptMCursorRadioId + 2}},
    {1, {L"BUTTON", TextRef(IDS_OPT_WINDOW_CENTRE), 196, 184, 150, 17, kRadio, kOptMCursorRadioId + 3}},
    {1, {L"BUTTON", TextRef(IDS_OPT_MOVE_CURSOR), 16, 220, 372, 17, kCheck,
         kOptMoveCursorCheckId}},

    {2, {L"BUTTON", TextRef(IDS_OPT_RIGHT_CLICK_GROUP), 24, 8, 341, 73, kGroup, kOptRightClickGroupId}},
    {2, {L"BUTTON", TextRef(IDS_OPT_RIGHT_CLICK_MENU), 36, 28, 318, 17, kFirstRadio, kOptRightClickRadioId}},
    {2, {L"BUTTON", TextRef(IDS_OPT_RIGHT_CLICK_ICON), 36, 52, 318, 17, kRadio, kOptRightClickRadioId + 1}},
    {2, {L"BUTTON", TextRef(IDS_OPT_FRAME_GROUP), 24, 96, 341, 49, kGroup, kOptFrameGroupId}},
    {2, {L"BUTTON", TextRef(IDS_OPT_FRAME_FLAT), 36, 116, 150, 17, kFirstRadio, kOptFrameRadioId}},
    {2, {L"BUTTON", TextRef(IDS_OPT_FRAME_BUTTON), 196, 116, 150, 17, kRadio, kOptFrameRadioId + 1}},
    {2, {L"BUTTON", TextRef(IDS_OPT_COLOR_GROUP), 24, 156, 341, 57, kGroup, kOptGroupBox2Id}},
    {2, {L"STATIC", L"A", 64, 181, 12, 15, WS_VISIBLE | SS_CENTER | SS_NOPREFIX, kOptColorLabelId}},
    {2, {L"BUTTON", TextRef(IDS_OPT_TEXT_COLOR), 108, 178, 101, 21, WS_VISIBLE | WS_TABSTOP | WS_GROUP,
         kOptTextColorButtonId}},
    {2, {L"BUTTON", TextRef(IDS_OPT_BACK_COLOR), 232, 178, 101, 21, WS_VISIBLE | WS_TABSTOP, kOptBackColorButtonId}},
    {2, {L"BUTTON", TextRef(IDS_OPT_AUTORUN), 24, 226, 329, 17, kCheck, kOptAutoRunCheckId}},
    {2, {L"STATIC", TextRef(IDS_OPT_LANGUAGE), 24, 252, 84, 14, WS_VISIBLE | SS_LEFT, kOptLanguageLabelId}},
    {2, {L"COMBOBOX", L"", 112, 248, 153, 100, WS_VISIBLE | WS_TABSTOP | WS_GROUP | WS_VSCROLL | CBS_DROPDOWNLIST,
         kOptLanguageComboId}},
    {2, {L"STATIC", TextRef(IDS_OPT_LANGUAGE_NOTE), 272, 252, 110, 14, WS_VISIBLE | SS_LEFT, kOptLanguageNoteId}},

    {-1, {L"BUTTON", TextRef(IDS_OK), 232, 308, 73, 21, WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, IDOK}},
    {-1, {L"BUTTON", TextRef(IDS_CANCEL), 316, 308, 73, 21, WS_VISIBLE | WS_TABSTOP, IDCANCEL}},
    {-1, {WC_TABCONTROLW, L"", 0, 0, 396, 301, WS_VISIBLE | WS_TABSTOP, kOptPageId, WS_EX_CONTROLPARENT}},
}};

struct KeyRow {
    const wchar_t* text;
    int code;
};

// KeyListBox: A-Z, F1-F12, 1-9, 0 and the four arrows.
std::array<KeyRow, 52> KeyRows() {
    static const wchar_t* const kLetters[] = {L"A", L"B", L"C", L"D", L"E", L"F", L"G", L"H", L"I",
                                              L"J", L"K", L"L", L"M", L"N", L"O", L"P", L"Q", L"R",
                                              L"S", L"T", L"U", L"V", L"W", L"X", L"Y", L"Z"};
    static const wchar_t* const kFunctions[] = {L"F1", L"F2", L"F3", L"F4",  L"F5",  L"F6",
                                                L"F7", L"F8", L"F9", L"F10", L"F11", L"F12"};
    static const wchar_t* const kDigits[] = {L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"9", L"0"};
    std::array<KeyRow, 52> rows{};
    std::size_t n = 0;
    for (int i = 0; i < 26; ++i) rows[n++] = {kLetters[i], 0x41 + i};
    for (int i = 0; i < 12; ++i) rows[n++] = {kFunctions[i], 0x70 + i};
    for (int i = 0; i < 9; ++i) rows[n++] = {kDigits[i], 0x31 + i};
    rows[n++] = {kDigits[9], 0x30};
    rows[n++] = {L"→", VK_RIGHT};
    rows[n++] = {L"←", VK_LEFT};
    rows[n++] = {L"↑", VK_UP};
    rows[n++] = {L"↓", VK_DOWN};
    return rows;
}

// The pages' controls are children of the tab control, which paints the page
// behind them; their notifications belong to the dialog.
LRESULT CALLBACK PageForwardProc(HWND tab, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR) noexcept {
    switch (msg) {
    case WM_COMMAND:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
        return ::SendMessageW(::GetParent(tab), msg, wParam, lParam);
    default: {
        // Bound before the subclass was installed (Create checks it).
        static const auto defaultProc = CommonControlsFunction<decltype(&::DefSubclassProc)>("DefSubclassProc");
        return defaultProc(tab, msg, wParam, lParam);
    }
    }
}

}  // namespace

HWND TOptionForm::Item(int id) const noexcept {
    if (HWND control = ::GetDlgItem(hwnd(), id)) return control;
    return ::GetDlgItem(::GetDlgItem(hwnd(), kOptPageId), id);
}

bool TOptionForm::Create(HWND owner) {
    if (!FormWindow::Create(owner)) return false;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES};
    const auto initControls = CommonControlsFunction<decltype(&::InitCommonControlsEx)>("InitCommonControlsEx");
    const auto subclass = CommonControlsFunction<decltype(&::SetWindowSubclass)>("SetWindowSubclass");
    if (!initControls || !subclass || !CommonControlsFunction<decltype(&::DefSubclassProc)>("DefSubclassProc"))
        return false;
    initControls(&icc);
    formFont_ = DialogFont(hwnd(), 15);
    pageFont_ = DialogFont(hwnd(), 13);

    // The tab control first, to know where its pages begin.
    const PageControl& tabRow = kPages.back();
    HWND tab = CreateControl(hwnd(), tabRow.control);
    if (!tab) return false;
    ::SendMessageW(tab, WM_SETFONT, reinterpret_cast<WPARAM>(formFont_.get()), FALSE);
    for (const wchar_t* caption : {Text(IDS_OPT_PAGE_KEY), Text(IDS_OPT_PAGE_MOUSE), Text(IDS_OPT_PAGE_ETC)}) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(caption);
        TabCtrl_InsertItem(tab, TabCtrl_GetItemCount(tab), &item);
    }
    RECT page{};
    ::GetClientRect(tab, &page);
    TabCtrl_AdjustRect(tab, FALSE, &page);

    subclass(tab, PageForwardProc, 1, 0);
    for (const PageControl& row : kPages) {
        if (&row == &tabRow) continue;
        HWND control = CreateControl(row.page >= 0 ? tab : hwnd(), row.control);
        if (!control) return false;
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(pageFont_.get()), FALSE);
        if (row.page >= 0) {
            RECT r{};
            ::GetWindowRect(control, &r);
            ::MapWindowPoints(nullptr, tab, reinterpret_cast<POINT*>(&r), 2);
            ::SetWindowPos(control, nullptr, r.left + page.left, r.top + page.top, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    for (const KeyRow& row : KeyRows())
        ::SendMessageW(Item(kOptKeyListBoxId), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.text));
    // In the order of the "Language" values.
    for (int id : {IDS_OPT_LANGUAGE_SYSTEM, IDS_OPT_LANGUAGE_JAPANESE, IDS_OPT_LANGUAGE_ENGLISH})
        ::SendMessageW(Item(kOptLanguageComboId), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Text(id)));
    ShowPage(0);
    return true;
}

bool TOptionForm::Checked(int id) const noexcept {
    return ::SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TOptionForm::Check(int id, bool on) noexcept {
    ::SendMessageW(Item(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

// Every group always shows one choice, so what OK reads is what the user sees.
int TOptionForm::RadioIndex(int firstId, int count) const noexcept {
    for (int i = 0; i < count; ++i)
        if (Checked(firstId + i)) return i;
    return 0;
}

// A stored value outside the group shows (and is then stored as) its first choice.
void TOptionForm::SetRadioIndex(int firstId, int count, int index) noexcept {
    if (index < 0 || index >= count) index = 0;
    for (int i = 0; i < count; ++i)
        ::SendMessageW(Item(firstId + i), BM_SETCHECK, i == index ? BST_CHECKED : BST_UNCHECKED, 0);
}

// A group whose switch is off keeps the choice last shown in it, or takes its
// first one when it never had one.
void TOptionForm::KeepRadioChoice(int firstId, int count) noexcept {
    for (int i = 0; i < count; ++i)
        if (Checked(firstId + i)) return;
    SetRadioIndex(firstId, count, 0);
}

void TOptionForm::ShowPage(int page) noexcept {
    page_ = page;
    TabCtrl_SetCurSel(Item(kOptPageId), page);
    for (const PageControl& row : kPages) {
        if (row.page < 0) continue;
        ::ShowWindow(Item(row.control.id), row.page == page ? SW_SHOWNA : SW_HIDE);
    }
    ::RedrawWindow(Item(kOptPageId), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// The first or last control among the parent's children that Tab stops at.
HWND TOptionForm::TabStopAmong(HWND parent, bool last) noexcept {
    HWND found = nullptr;
    for (HWND c = ::GetWindow(parent, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        const LONG style = ::GetWindowLongW(c, GWL_STYLE);
        if ((style & (WS_TABSTOP | WS_VISIBLE | WS_DISABLED)) != (WS_TABSTOP | WS_VISIBLE)) continue;
        found = c;
        if (!last) break;
    }
    return found;
}

void TOptionForm::StepPage(int step) noexcept {
    const HWND tab = Item(kOptPageId);
    const bool onStrip = ::GetFocus() == tab;
    ShowPage((page_ + step + 3) % 3);
    // The focus follows into the new page unless it was on the tab strip.
    const HWND target = onStrip ? tab : TabStopAmong(tab, false);
    ::SetFocus(target ? target : tab);
}

// The pages' controls live inside the tab control, which makes the dialog
// manager step over the strip itself: Tab stops on it between Cancel and the
// page, and the page keys of property sheets work from every control.
bool TOptionForm::DialogKey(const MSG& msg) noexcept {
    if (msg.message != WM_KEYDOWN || ::GetKeyState(VK_MENU) < 0) return false;
    const bool control = ::GetKeyState(VK_CONTROL) < 0;
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    if (control) {
        switch (msg.wParam) {
        case VK_TAB: StepPage(shift ? -1 : 1); return true;
        case VK_NEXT: StepPage(1); return true;
        case VK_PRIOR: StepPage(-1); return true;
        default: return false;
        }
    }
    if (msg.wParam != VK_TAB) return false;
    const HWND tab = Item(kOptPageId);
    const HWND focus = ::GetFocus();
    HWND target = nullptr;
    if (!focus) return false;
    if (!shift && focus == tab) {
        target = TabStopAmong(tab, false);
    } else if (!shift && focus == TabStopAmong(hwnd(), true)) {
        // Forward from the dialog's last button wraps round to the strip.
        target = tab;
    } else if (shift && ::IsChild(tab, focus)) {
        // Back from the page's first stop reaches the strip, not Cancel.
        const HWND previous = ::GetNextDlgTabItem(hwnd(), focus, TRUE);
        if (!previous || !::IsChild(tab, previous)) target = tab;
    }
    if (!target) return false;
    ::SendMessageW(hwnd(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    ::SetFocus(target);
    return true;
}

int TOptionForm::HelpContext() const noexcept {
    // The page shown answers while the focus is on it or on its tab; OK and
    // Cancel belong to the dialog as a whole.
    static constexpr int kPageContexts[] = {16, 18, 20};
    const HWND pages = Item(kOptPageId);
    const HWND focus = ::GetFocus();
    if (focus && (focus == pages || ::IsChild(pages, focus)) && page_ >= 0 && page_ < 3)
        return kPageContexts[page_];
    return FormWindow::HelpContext();
}

void TOptionForm::UpdateKeyLabel() noexcept {
    std::wstring text;
    if (Checked(kOptShiftCheckId)) text = L"Shift + ";
    if (Checked(kOptControlCheckId)) text += L"Ctrl + ";
    if (Checked(kOptAltCheckId)) text += L"Alt + ";
    const auto selected = ::SendMessageW(Item(kOptKeyListBoxId), LB_GETCURSEL, 0, 0);
    if (selected >= 0 && selected < 52) text += KeyRows()[static_cast<std::size_t>(selected)].text;
    ::SetWindowTextW(Item(kOptKeyLabelId), text.c_str());
}

void TOptionForm::ApplyEnablingRule() noexcept {
    const bool mouse = Checked(kOptKickMouseCheckId);
    const bool atMouse = mouse && Checked(kOptMousePositionCheckId);
    for (int id : {int{kOptMouseGroupId}, int{kOptMouseRadioId}, kOptMouseRadioId + 1, kOptMouseRadioId + 2,
                   int{kOptMousePositionCheckId}})
        ::EnableWindow(Item(id), mouse);
    for (int id : {int{kOptMCursorGroupId}, int{kOptMCursorRadioId}, kOptMCursorRadioId + 1,
                   kOptMCursorRadioId + 2, kOptMCursorRadioId + 3, int{kOptMoveCursorCheckId}})
        ::EnableWindow(Item(id), atMouse);
}

bool TOptionForm::Load(const OptionSet& o) {
    options_ = o;
    for (int id : {kOptControlCheckId, kOptAltCheckId, kOptShiftCheckId}) Check(id, false);
    // Console windows on the NT family take the hotkey anyway.
    const bool nt = IsNtFamily(WindowsVersionNumber());
    Check(kOptDosCheckId, nt || (o.DosFlag & 1) != 0);
    ::EnableWindow(Item(kOptDosCheckId), !nt);
    Check(kOptControlCheckId, (o.VkMod & 2) != 0);
    Check(kOptAltCheckId, (o.VkMod & 1) != 0);
    Check(kOptShiftCheckId, (o.VkMod & 4) != 0);
    int row = 0;
    const auto rows = KeyRows();
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].code == o.VkKey) {
            row = static_cast<int>(i);
            break;
        }
    ::SendMessageW(Item(kOptKeyListBoxId), LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    UpdateKeyLabel();
    Check(kOptKeyPositionCheckId, o.KeyPositionFlag);
    Check(kOptKeyOnlyCheckId, o.KeyOnlyFlag);
    Check(kOptKeyNumberCheckId, o.KeyNumberFlag);
    SetRadioIndex(kOptKCursorRadioId, 3, o.KeyCursorFlag);
    if (o.MouseFlag != 0) {
        Check(kOptKickMouseCheckId, true);
        SetRadioIndex(kOptMouseRadioId, 3, o.MouseFlag - 1);
    } else {
        Check(kOptKickMouseCheckId, false);
        KeepRadioChoice(kOptMouseRadioId, 3);
    }
    Check(kOptMoveCursorCheckId, o.MoveCursorFlag);
    Check(kOptMousePositionCheckId, o.MousePositionFlag != -1);
    if (o.MousePositionFlag != -1) SetRadioIndex(kOptMCursorRadioId, 4, o.MousePositionFlag);
    else KeepRadioChoice(kOptMCursorRadioId, 4);
    ApplyEnablingRule();
    SetRadioIndex(kOptRightClickRadioId, 2, o.RightClickFlag);
    Check(kOptDirectMoveOnlyCheckId, o.DirectMoveOnlyFlag);
    SetRadioIndex(kOptFrameRadioId, 2, o.FrameFlag);
    const int language = o.Language >= 0 && o.Language <= 2 ? o.Language : 0;
    ::SendMessageW(Item(kOptLanguageComboId), CB_SETCURSEL, static_cast<WPARAM>(language), 0);
    try {
        Check(kOptAutoRunCheckId, IsAutoRunRegistered());
    } catch (const SettingsError& e) {
        ShowErrorMessage(hwnd(), e.Message());
        return false;
    }
    sampleText_ = ResolveColor(o.TextColor);
    sampleBack_ = ResolveColor(o.BackColor);
    sampleBrush_.reset(::CreateSolidBrush(sampleBack_));
    ::InvalidateRect(Item(kOptColorLabelId), nullptr, TRUE);
    return true;
}

void TOptionForm::Store() {
    OptionSet& d = options_;
    d.VkMod = (Checked(kOptControlCheckId) ? 2 : 0) | (Checked(kOptAltCheckId) ? 1 : 0) |
              (Checked(kOptShiftCheckId) ? 4 : 0);
    const auto selected = ::SendMessageW(Item(kOptKeyListBoxId), LB_GETCURSEL, 0, 0);
    d.VkKey = selected >= 0 && selected < 52 ? KeyRows()[static_cast<std::size_t>(selected)].code : 0;
    d.DosFlag = Checked(kOptDosCheckId) ? 1 : 0;
    d.KeyPositionFlag = Checked(kOptKeyPositionCheckId);
    d.KeyOnlyFlag = Checked(kOptKeyOnlyCheckId);
    d.KeyNumberFlag = Checked(kOptKeyNumberCheckId);
    d.MousePositionFlag = Checked(kOptMousePositionCheckId) ? RadioIndex(kOptMCursorRadioId, 4) : -1;
    d.MoveCursorFlag = Checked(kOptMoveCursorCheckId);
    d.KeyCursorFlag = RadioIndex(kOptKCursorRadioId, 3);
    d.MouseFlag = Checked(kOptKickMouseCheckId) ? RadioIndex(kOptMouseRadioId, 3) + 1 : 0;
    d.RightClickFlag = RadioIndex(kOptRightClickRadioId, 2);
    d.DirectMoveOnlyFlag = Checked(kOptDirectMoveOnlyCheckId);
    d.FrameFlag = RadioIndex(kOptFrameRadioId, 2);
    // Like the radio groups: a stored value the list lacks was shown, and is stored, as the first choice.
    const auto language = ::SendMessageW(Item(kOptLanguageComboId), CB_GETCURSEL, 0, 0);
    d.Language = language >= 0 && language <= 2 ? static_cast<std::int32_t>(language) : 0;
    SetAutoRun(Checked(kOptAutoRunCheckId));
    // A colour left alone keeps its stored form (a system colour stays one).
    if (sampleBack_ != ResolveColor(d.BackColor)) d.BackColor = sampleBack_;
    if (sampleText_ != ResolveColor(d.TextColor)) d.TextColor = sampleText_;
}

void TOptionForm::OkButtonClick() noexcept {
    try {
        Store();
    } catch (const SettingsError& e) {
        // The dialog stays open; nothing is applied or saved.
        ShowErrorMessage(hwnd(), e.Message());
        return;
    } catch (...) {
        return;
    }
    Hide();
    if (applyOptions_) RunGuarded(hwnd(), [this] { applyOptions_(options_); });
}

void TOptionForm::PickColor(bool text) noexcept {
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = hwnd();
    cc.rgbResult = text ? sampleText_ : sampleBack_;
    cc.lpCustColors = customColors_.data();
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    static const auto chooseColor = LateBound<decltype(&::ChooseColorW)>(L"comdlg32.dll", "ChooseColorW");
    if (!chooseColor || !chooseColor(&cc)) return;
    if (text) {
        sampleText_ = cc.rgbResult;
    } else {
        sampleBack_ = cc.rgbResult;
        sampleBrush_.reset(::CreateSolidBrush(sampleBack_));
    }
    ::InvalidateRect(Item(kOptColorLabelId), nullptr, TRUE);
}

LRESULT TOptionForm::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    switch (msg) {
    case WM_SHOWWINDOW:
        if (wParam) PlaceFormAtCursor(hwnd(), 0, 0, false);
        break;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: OkButtonClick(); return 0;
        case IDCANCEL: CancelButtonClick(); return 0;
        case kOptShiftCheckId:
        case kOptAltCheckId:
        case kOptControlCheckId: UpdateKeyLabel(); return 0;
        case kOptKeyListBoxId:
            if (HIWORD(wParam) == LBN_SELCHANGE) UpdateKeyLabel();
            return 0;
        case kOptKickMouseCheckId:
        case kOptMousePositionCheckId: ApplyEnablingRule(); return 0;
        case kOptTextColorButtonId: PickColor(true); return 0;
        case kOptBackColorButtonId: PickColor(false); return 0;
        default: break;
        }
        break;
    case WM_DIALOGKEY:
        return DialogKey(*reinterpret_cast<const MSG*>(lParam)) ? 1 : 0;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == kOptPageId && header->code == TCN_SELCHANGE)
            ShowPage(TabCtrl_GetCurSel(Item(kOptPageId)));
        break;
    }
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        const HWND control = reinterpret_cast<HWND>(lParam);
        if (control == Item(kOptColorLabelId)) {
            // The direct-key sample: the chosen colours.
            ::SetTextColor(dc, sampleText_);
            ::SetBkColor(dc, sampleBack_);
            return reinterpret_cast<LRESULT>(sampleBrush_.get());
        }
        if (control == Item(kOptKeyLabelId)) {
            ::SetBkColor(dc, RGB(255, 255, 255));
            return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
        }
        // Everything else on a page shows the page behind it.
        if (::GetParent(control) == Item(kOptPageId)) {
            ::SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
        }
        break;
    }
    case WM_CLOSE:
        CancelButtonClick();
        return 0;
    default:
        break;
    }
    return FormWindow::HandleMessage(msg, wParam, lParam);
}

}  // namespace tdx
