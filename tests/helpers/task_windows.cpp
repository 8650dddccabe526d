// Opens ordinary top-level windows for the Task tray tests:
//   task_windows.exe TAG COUNT [hang]
// makes windows titled "TAG 1" ... "TAG COUNT", with "TAG 1" front-most. With
// "hang", one more window "TAG hung" runs on a thread of its own that stops
// answering messages once it is posted WM_APP. The helper ends by itself after
// two minutes in case nobody ends it.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace {

constexpr UINT_PTR kLifetimeTimer = 1;

LRESULT CALLBACK TaskWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_APP:
        // Stop answering, as a program stuck in a long computation would.
        ::Sleep(60000);
        return 0;
    case WM_TIMER:
        if (wParam == kLifetimeTimer) ::PostQuitMessage(0);
        return 0;
    case WM_DESTROY:
        return 0;
    default:
        return ::DefWindowProcW(window, msg, wParam, lParam);
    }
}

HWND MakeWindow(const std::wstring& title, int slot) {
    return ::CreateWindowExW(0, L"TdxTaskWindow", title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                             20 + (slot % 20) * 12, 20 + (slot % 20) * 12, 220, 120, nullptr,
                             nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

DWORD WINAPI HungWindowThread(void* param) {
    auto* title = static_cast<std::wstring*>(param);
    HWND window = MakeWindow(*title, 0);
    // Behind the others, so that the order of the numbered windows stays as it is.
    ::SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    const std::wstring tag = argc > 1 ? argv[1] : L"Task";
    const int count = argc > 2 ? _wtoi(argv[2]) : 3;
    const bool hang = argc > 3 && std::wstring(argv[3]) == L"hang";

    WNDCLASSW wc{};
    wc.lpfnWndProc = TaskWindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"TdxTaskWindow";
    ::RegisterClassW(&wc);

    std::wstring hungTitle = tag + L" hung";
    if (hang) {
        HANDLE thread = ::CreateThread(nullptr, 0, HungWindowThread, &hungTitle, 0, nullptr);
        while (!::FindWindowW(L"TdxTaskWindow", hungTitle.c_str())) ::Sleep(10);
        ::CloseHandle(thread);
    }

    // Created from the last to the first and then stacked explicitly: "TAG 1"
    // ends up in front, "TAG COUNT" at the back.
    std::vector<HWND> windows(static_cast<std::size_t>(count));
    for (int i = count; i >= 1; --i) windows[static_cast<std::size_t>(i - 1)] = MakeWindow(tag + L" " + std::to_wstring(i), i);
    for (int i = count; i >= 1; --i) {
        ::SetWindowPos(windows[static_cast<std::size_t>(i - 1)], HWND_TOP, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE);
    }
    if (!windows.empty()) ::SetTimer(windows[0], kLifetimeTimer, 120000, nullptr);
    ::LocalFree(argv);

    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
    ::ExitProcess(0);
}
