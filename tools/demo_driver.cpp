// Drives a running Tiledex for the screenshots of the documentation, as a user
// would: the hotkey for the popup, the notification icon's menu commands for
// the dialogs. Prints the screen rectangle of the window it brought up
// ("left top width height"), so that the screenshot can be cut to it.
//   demo_driver popup
//   demo_driver menu <command id> <window class>
//   demo_driver close <window class>
//   demo_driver keys <key>... then wait <window class>   (keys: a letter, SPACE, ENTER, ESC, DOWN, RIGHT)
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string_view>

namespace {

HWND VisibleWindow(const wchar_t* className) {
    HWND window = ::FindWindowW(className, nullptr);
    return window && ::IsWindowVisible(window) ? window : nullptr;
}

HWND WaitForWindow(const wchar_t* className) {
    for (int i = 0; i < 100; ++i) {
        if (HWND window = VisibleWindow(className)) {
            // Once its thread is idle again the window has painted; give the
            // X server a moment to show it.
            DWORD_PTR ignored = 0;
            ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
            ::Sleep(700);
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

// The program makes its windows before it takes the hotkey, and adds its
// notification icon right after: a press before that is lost. (Asking for the
// hotkey itself would take it for a moment, from a program starting then.)
int WaitForHotKey() {
    for (int i = 0; i < 200; ++i) {
        if (HWND main = ::FindWindowW(L"TTiledexMain", nullptr)) {
            NOTIFYICONDATAW data{};
            data.cbSize = sizeof(data);
            data.hWnd = main;
            data.uID = 1;
            if (::Shell_NotifyIconW(NIM_MODIFY, &data)) return 0;
        }
        ::Sleep(100);
    }
    std::fprintf(stderr, "demo_driver: the program did not come up\n");
    return 1;
}

int wmain(int argc, wchar_t** argv) {
    if (argc >= 2 && std::wcscmp(argv[1], L"ready") == 0) return WaitForHotKey();
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
    if (argc >= 2 && std::wcscmp(argv[1], L"keys") == 0) {
        int i = 2;
        for (; i < argc && std::wcscmp(argv[i], L"then") != 0; ++i) {
            const std::wstring_view key = argv[i];
            WORD vk = key.size() == 1 ? static_cast<WORD>(key[0]) : key == L"SPACE" ? VK_SPACE
                      : key == L"ENTER" ? VK_RETURN : key == L"ESC" ? VK_ESCAPE
                      : key == L"DOWN" ? VK_DOWN : key == L"RIGHT" ? VK_RIGHT : 0;
            INPUT in[2]{};
            in[0].type = in[1].type = INPUT_KEYBOARD;
            in[0].ki.wVk = in[1].ki.wVk = vk;
            in[1].ki.dwFlags = KEYEVENTF_KEYUP;
            ::SendInput(2, in, sizeof(INPUT));
            ::Sleep(300);
        }
        if (i + 2 < argc && std::wcscmp(argv[i + 1], L"wait") == 0) return PrintRect(WaitForWindow(argv[i + 2]));
        return 0;
    }
    if (argc >= 3 && std::wcscmp(argv[1], L"close") == 0) {
        if (HWND window = ::FindWindowW(argv[2], nullptr)) ::PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    }
    std::fprintf(stderr, "usage: demo_driver ready | popup | menu <id> <class> | close <class>\n");
    return 2;
}
