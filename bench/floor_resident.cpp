// The floor for the start-up benchmark: the least a resident program with a hidden
// window, a hotkey and a notification icon can do.
#include <windows.h>
#include <shellapi.h>

namespace {

NOTIFYICONDATAW IconData(HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = window;
    data.uID = 1;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = 0x07E8;
    data.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    lstrcpynW(data.szTip, L"floor", ARRAYSIZE(data.szTip));
    return data;
}

LRESULT CALLBACK FloorProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CLOSE) {
        NOTIFYICONDATAW data = IconData(window);
        ::Shell_NotifyIconW(NIM_DELETE, &data);
        ::UnregisterHotKey(window, 0);
        ::DestroyWindow(window);
        return 0;
    }
    if (msg == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, msg, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = FloorProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"TdxFloorMain";
    ::RegisterClassW(&wc);
    HWND window = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"TdxFloorMain", L"floor", WS_POPUP, 0, 0, 0,
                                    0, nullptr, nullptr, instance, nullptr);
    ::RegisterHotKey(window, 0, MOD_CONTROL | MOD_ALT, 'J');
    NOTIFYICONDATAW data = IconData(window);
    ::Shell_NotifyIconW(NIM_ADD, &data);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
