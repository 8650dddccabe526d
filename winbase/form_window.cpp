#include "winbase/form_window.h"

#include <map>

#include "winbase/app_help.h"
#include "winbase/dpi_scale.h"
#include "winbase/message_pump.h"
#include "winbase/ui_text_win.h"

namespace tdx {

bool FormWindow::Create(HWND owner) {
    constexpr DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    constexpr DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    const int dpi = WindowDpi(owner);
    RECT r{0, 0, ScaleDpi(clientWidth_, dpi), ScaleDpi(clientHeight_, dpi)};
    ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
    if (!CreateWindowOfClass(className_, ResolveText(caption_), style, exStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                             r.right - r.left, r.bottom - r.top, owner))
        return false;
    MarkModelessDialog(hwnd());
    dpi_ = dpi;
    return true;
}

void FormWindow::FormDpiChanged(int dpi, const RECT& suggested) noexcept {
    if (dpi > 0 && dpi != dpi_) {
        const int from = dpi_;
        const auto scale = [from, dpi](LONG v) { return static_cast<LONG>(::MulDiv(v, dpi, from)); };
        struct Rescale {
            decltype(scale)& scale;
            std::map<HFONT, HFONT> fonts;
            std::vector<UniqueFont> made;
        } work{scale, {}, {}};
        // Every control, nested ones too, keeps its place relative to its parent.
        ::EnumChildWindows(
            hwnd(),
            [](HWND control, LPARAM context) -> BOOL {
                auto& w = *reinterpret_cast<Rescale*>(context);
                RECT r{};
                ::GetWindowRect(control, &r);
                ::MapWindowPoints(HWND_DESKTOP, ::GetParent(control), reinterpret_cast<POINT*>(&r), 2);
                // A drop-down list's height is the list's, not the closed box's.
                wchar_t name[16]{};
                ::GetClassNameW(control, name, 16);
                if (::lstrcmpiW(name, L"ComboBox") == 0) {
                    RECT dropped{};
                    if (::SendMessageW(control, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped)))
                        r.bottom = r.top + (dropped.bottom - dropped.top);
                }
                ::SetWindowPos(control, nullptr, w.scale(r.left), w.scale(r.top), w.scale(r.right - r.left),
                               w.scale(r.bottom - r.top), SWP_NOZORDER | SWP_NOACTIVATE);
                const auto font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
                if (!font) return TRUE;
                auto found = w.fonts.find(font);
                if (found == w.fonts.end()) {
                    LOGFONTW description{};
                    if (::GetObjectW(font, sizeof(description), &description) != sizeof(description)) return TRUE;
                    description.lfHeight = w.scale(description.lfHeight);
                    description.lfWidth = w.scale(description.lfWidth);
                    try {
                        w.made.emplace_back(::CreateFontIndirectW(&description));
                        found = w.fonts.emplace(font, w.made.back().get()).first;
                    } catch (...) {
                        return TRUE;  // short of memory: this control keeps its font
                    }
                }
                if (found->second) ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(found->second), TRUE);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&work));
        // The fonts of the DPI left behind are no longer selected anywhere.
        scaledFonts_ = std::move(work.made);
        dpi_ = dpi;
    }
    ::SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool FormWindow::EnsureCreated() noexcept {
    if (hwnd()) return true;
    try {
        return Create(ownerOfForms_);
    } catch (...) {
        return false;  // out of memory: the dialog does not open
    }
}

LRESULT FormWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    if (msg == WM_CLOSE) {
        // Forms live until the program ends; closing one only hides it.
        Hide();
        return 0;
    }
    if (msg == WM_HELP) {
        if (const int context = HelpContext()) RequestAppHelp(HELP_CONTEXT, static_cast<DWORD_PTR>(context));
        return TRUE;
    }
    if (msg == WM_DPICHANGED) {
        FormDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    }
    if (msg == WM_DESTROY) UnmarkModelessDialog(hwnd());
    return WindowBase::HandleMessage(msg, wParam, lParam);
}

}  // namespace tdx
