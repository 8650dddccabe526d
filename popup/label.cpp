#include "popup/label.h"

#include <windows.h>
#include <oleacc.h>

#include <string>

#include "winbase/late_bound.h"
#include "winbase/unique_handle.h"

namespace tdx {

namespace {

constexpr wchar_t kClassName[] = L"TLabel";
constexpr int kFontSlot = 0;

HFONT FontOf(HWND label) noexcept { return reinterpret_cast<HFONT>(::GetWindowLongPtrW(label, kFontSlot)); }

void PaintLabel(HWND label) noexcept {
    PaintGuard paint(label);
    if (!paint.dc()) return;
    HDC dc = paint.dc();
    RECT client{};
    ::GetClientRect(label, &client);
    // Colours come from the parent, as a static control's do.
    auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(::GetParent(label), WM_CTLCOLORSTATIC,
                                                         reinterpret_cast<WPARAM>(dc),
                                                         reinterpret_cast<LPARAM>(label)));
    ::FillRect(dc, &client, brush ? brush : ::GetSysColorBrush(COLOR_BTNFACE));
    const int length = ::GetWindowTextLengthW(label);
    if (length <= 0) return;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(label, text.data(), length + 1)));
    SelectObjectGuard font(dc, FontOf(label) ? FontOf(label) : ::GetStockObject(SYSTEM_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    // The flags a left-aligned static control without prefixes draws with.
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &client,
                DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK | DT_NOPREFIX);
}

// Screen readers get what they get for a static control: its text as static text.
LRESULT StaticTextObject(HWND label, WPARAM wParam, LPARAM lParam) noexcept {
    using Proxy = HRESULT(WINAPI*)(HWND, LPCWSTR, LONG, REFIID, void**);
    static const auto proxy = LateBound<Proxy>(L"oleacc.dll", "CreateStdAccessibleProxyW");
    static const auto lresult = LateBound<decltype(&::LresultFromObject)>(L"oleacc.dll", "LresultFromObject");
    if (static_cast<LONG>(lParam) != OBJID_CLIENT || !proxy || !lresult) return 0;
    IAccessible* object = nullptr;
    if (FAILED(proxy(label, L"Static", OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&object))) ||
        !object)
        return 0;
    const LRESULT result = lresult(IID_IAccessible, wParam, object);
    object->Release();
    return result;
}

LRESULT CALLBACK LabelProc(HWND label, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    switch (msg) {
    case WM_SETFONT:
        ::SetWindowLongPtrW(label, kFontSlot, static_cast<LONG_PTR>(wParam));
        if (LOWORD(lParam)) ::InvalidateRect(label, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return ::GetWindowLongPtrW(label, kFontSlot);
    case WM_SETTEXT: {
        const LRESULT result = ::DefWindowProcW(label, msg, wParam, lParam);
        ::InvalidateRect(label, nullptr, TRUE);
        return result;
    }
    case WM_ERASEBKGND:
        return 1;  // the paint fills the whole label
    case WM_PAINT:
        PaintLabel(label);
        return 0;
    case WM_NCHITTEST:
        return HTTRANSPARENT;  // the popup handles the mouse over its labels
    case WM_GETOBJECT:
        if (const LRESULT object = StaticTextObject(label, wParam, lParam)) return object;
        break;
    default:
        break;
    }
    return ::DefWindowProcW(label, msg, wParam, lParam);
}

}  // namespace

const wchar_t* LabelClass() noexcept {
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = LabelProc;
        wc.cbWndExtra = sizeof(LONG_PTR);
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        return ::RegisterClassW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered ? kClassName : L"STATIC";
}

}  // namespace tdx
