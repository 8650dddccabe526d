// Drives a running Tiledex for the screenshots of the documentation, as a user
// would: the hotkey for the popup, the notification icon's menu commands for
// the dialogs. Prints the screen rectangle of the window it brought up
// ("left top width height"), so that the screenshot can be cut to it.
//   demo_driver popup
//   demo_driver menu <command id> <window class>
//   demo_driver close <window class>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

namespace {

HWND VisibleWindow(const wchar_t* className) {
    HWND window = ::FindWindowW(className, nullptr);
    return window && ::IsWindowVisible(window) ? window : nullptr;
}

HWND WaitForWindow(const wchar_t* className) {
    for (int i = 0; i < 100; ++i) {
        if (HWND window = VisibleWindow(className)) {
            ::Sleep(700);  // let it paint
            return window;
        }
        ::Sleep(100);
    }
    return nullptr;
}

int PrintRect(HWND window) {
    if (!window) {
        std::fprintf(stderr, "demo_driver: the window did not appear\n");
        return 1;
    }
    RECT r{};
    ::GetWindowRect(window, &r);
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return 0;
}

void PressHotKey() {
    const WORD keys[] = {VK_CONTROL, VK_MENU, 'J'};
    INPUT in[6]{};
    for (int i = 0; i < 3; ++i) {
        in[i].type = in[5 - i].type = INPUT_KEYBOARD;
        in[i].ki.wVk = in[5 - i].ki.wVk = keys[i];
        in[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    ::SendInput(6, in, sizeof(INPUT));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 2 && std::wcscmp(argv[1], L"popup") == 0) {
        // The popup opens at the mouse: in the middle of the screen, it shows whole.
        ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) / 3, ::GetSystemMetrics(SM_CYSCREEN) / 3);
        PressHotKey();
        return PrintRect(WaitForWindow(L"TTdxMainForm"));
    }
    if (argc >= 4 && std::wcscmp(argv[1], L"menu") == 0) {
        HWND main = ::FindWindowW(L"TTiledexMain", nullptr);
        if (!main) return 1;
        ::PostMessageW(main, WM_COMMAND, std::wcstoul(argv[2], nullptr, 10), 0);
        return PrintRect(WaitForWindow(argv[3]));
    }
    if (argc >= 3 && std::wcscmp(argv[1], L"close") == 0) {
        if (HWND window = ::FindWindowW(argv[2], nullptr)) ::PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    }
    std::fprintf(stderr, "usage: demo_driver popup | menu <id> <class> | close <class>\n");
    return 2;
}
