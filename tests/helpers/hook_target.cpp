// A program with one ordinary window for the hook library's tests. It records
// every message its window procedure receives in a named shared log that the
// test reads: "TdxHookTargetLog-<process id>".
//
//   hook_target.exe <class name> <x> <y> <width> <height> [dblclk]
//
// Button presses on the frame are only recorded, so that no move loop or
// system menu takes the mouse while a test clicks there. The window has a
// child with a vertical scroll bar in its top left corner (its messages are
// logged too), and its loop peeks at each message before it takes it, as
// many programs do. With "dblclk" its class receives double-clicks.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <cwchar>

#include "hook_target_log.h"

namespace {

TargetLog* g_log;

void Record(UINT message, WPARAM wParam, LPARAM lParam) {
    const LONG index = g_log->count;
    if (index >= TargetLog::kCapacity) return;
    g_log->entries[index] = {message, static_cast<UINT>(wParam), static_cast<LONG>(lParam)};
    InterlockedExchange(&g_log->count, index + 1);
}

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Record(message, wParam, lParam);
    switch (message) {
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONUP:
    case WM_CONTEXTMENU:
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 6) return 2;

    wchar_t name[64];
    swprintf(name, 64, L"%ls%lu", kTargetLogPrefix, GetCurrentProcessId());
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(TargetLog), name);
    if (!mapping) return 3;
    g_log = static_cast<TargetLog*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
    if (!g_log) return 4;

    WNDCLASSW wc{};
    wc.lpfnWndProc = TargetProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = argv[1];
    if (argc > 6 && wcscmp(argv[6], L"dblclk") == 0) wc.style = CS_DBLCLKS;
    if (!RegisterClassW(&wc)) return 5;
    wc.style = 0;
    wc.lpszClassName = L"TdxHookTargetChild";
    if (!RegisterClassW(&wc)) return 5;
    HWND window = CreateWindowExW(WS_EX_TOPMOST, argv[1], L"hook target", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  _wtoi(argv[2]), _wtoi(argv[3]), _wtoi(argv[4]), _wtoi(argv[5]), nullptr,
                                  nullptr, instance, nullptr);
    if (!window) return 6;
    HWND child = CreateWindowExW(WS_EX_CLIENTEDGE, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL,
                                 10, 10, 80, 60, window, nullptr, instance, nullptr);
    if (!child) return 7;
    UpdateWindow(window);
    InterlockedExchange(&g_log->child, static_cast<LONG>(reinterpret_cast<LONG_PTR>(child)));
    InterlockedExchange(&g_log->window, static_cast<LONG>(reinterpret_cast<LONG_PTR>(window)));

    MSG msg;
    for (;;) {
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            WaitMessage();
            continue;
        }
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
