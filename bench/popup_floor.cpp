// The floors for the popup benchmark: a resident program whose hotkey shows a
// borderless window of the popup's size painted with one solid fill. Nothing is
// laid out or drawn cell by cell; with "enum", the hotkey first walks the
// top-level windows as any task switcher must (visibility, owner, style and
// title, no icons), so that the cost of listing them has a floor of its own.
//   popup_floor.exe WIDTH HEIGHT [enum]
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

HWND g_popup = nullptr;
bool g_enumerate = false;
std::vector<std::wstring> g_titles;

BOOL CALLBACK ListWindow(HWND window, LPARAM) {
    if ((::GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) == 0) return TRUE;
    const LONG exStyle = ::GetWindowLongW(window, GWL_EXSTYLE);
    if (::GetWindow(window, GW_OWNER) != nullptr) return TRUE;
    if (exStyle != 0 && (exStyle & WS_EX_WINDOWEDGE) == 0) return TRUE;
    wchar_t title[255]{};
    const int length = ::InternalGetWindowText(window, title, 255);
    if (length > 0) g_titles.emplace_back(title, static_cast<std::size_t>(length));
    return TRUE;
}

LRESULT CALLBACK PopupProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(window, &ps);
        RECT r;
        ::GetClientRect(window, &r);
        // A colour nothing else on the screen has, so that the benchmark never
        // mistakes the windows behind for the floor's.
        static HBRUSH fill = ::CreateSolidBrush(RGB(3, 130, 5));
        ::FillRect(dc, &r, fill);
        ::EndPaint(window, &ps);
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) ::ShowWindow(window, SW_HIDE);
        return 0;
    case WM_ACTIVATE:
        if (wParam == WA_INACTIVE) ::ShowWindow(window, SW_HIDE);
        break;
    default:
        break;
    }
    return ::DefWindowProcW(window, msg, wParam, lParam);
}

LRESULT CALLBACK MainProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_HOTKEY: {
        if (::IsWindowVisible(g_popup)) {
            ::ShowWindow(g_popup, SW_HIDE);
            return 0;
        }
        ::SetForegroundWindow(window);
        if (g_enumerate) {
            g_titles.clear();
            ::EnumWindows(ListWindow, 0);
        }
        RECT r;
        ::GetWindowRect(g_popup, &r);
        const int w = r.right - r.left;
        const int h = r.bottom - r.top;
        ::SetWindowPos(g_popup, nullptr, (::GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                       (::GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        // Shown as the popup is: the foreground first, then on top of every
        // other window (the benchmark's 60 windows among them).
        ::SetForegroundWindow(g_popup);
        ::SetWindowPos(g_popup, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        ::RedrawWindow(g_popup, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        return 0;
    }
    case WM_CLOSE:
        ::UnregisterHotKey(window, 0);
        ::DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(window, msg, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    const int width = argc > 1 ? _wtoi(argv[1]) : 298;
    const int height = argc > 2 ? _wtoi(argv[2]) : 216;
    g_enumerate = argc > 3 && std::wstring(argv[3]) == L"enum";
    ::LocalFree(argv);

    WNDCLASSW wc{};
    wc.lpfnWndProc = MainProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"TdxFloorMain";
    ::RegisterClassW(&wc);
    wc.lpfnWndProc = PopupProc;
    wc.lpszClassName = L"TdxFloorPopup";
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    ::RegisterClassW(&wc);

    HWND main = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"TdxFloorMain", L"floor", WS_POPUP, 0, 0, 0, 0,
                                  nullptr, nullptr, instance, nullptr);
    // The popup comes once the hotkey is held: the benchmark presses it as soon
    // as it finds the popup.
    ::RegisterHotKey(main, 0, MOD_CONTROL | MOD_ALT, 'J');
    g_popup = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"TdxFloorPopup", L"floor popup",
                                WS_POPUP | WS_CLIPCHILDREN, 0, 0, width, height, main, nullptr,
                                instance, nullptr);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
