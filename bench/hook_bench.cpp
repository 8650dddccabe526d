// Cost of one posted-and-retrieved message in a process other than the one
// that installed the hooks, with:
//   none     no hooks
//   floor    hooks that only call CallNextHookEx (hook_floor.dll)
//   percall  tdxhook opening, mapping, unmapping and closing the block on every
//            call (tdxhook_percall.dll)
//   built    tdxhook.dll as shipped
//
//   hook_bench.exe <series> [round trips] [samples]
// plays the main program: installs the hooks, then starts itself as the helper
// (hook_bench.exe --pump <window> <round trips>) once per sample. The helper
// posts a message to its own window and retrieves it, over and over, and
// posts the nanoseconds per round trip back. Prints one line:
//   <series> <median ns> <sample ns>...
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "hook/tdxhook.h"

namespace {

constexpr UINT kResult = WM_APP + 1;
constexpr UINT kPing = WM_APP + 2;

LRESULT CALLBACK PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcW(w, m, wp, lp); }

HWND MakeWindow(const wchar_t* className) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    RegisterClassW(&wc);
    return CreateWindowExW(0, className, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
}

int Pump(HWND resultWindow, long rounds) {
    HWND window = MakeWindow(L"TdxHookBenchPump");
    MSG msg;
    auto roundTrip = [&] {
        PostMessageW(window, kPing, 0, 0);
        GetMessageW(&msg, nullptr, 0, 0);
        DispatchMessageW(&msg);
    };
    for (long i = 0; i < rounds / 10; ++i) roundTrip();  // warm up: library loaded, view kept
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&a);
    for (long i = 0; i < rounds; ++i) roundTrip();
    QueryPerformanceCounter(&b);
    const double ns = double(b.QuadPart - a.QuadPart) * 1e9 / double(f.QuadPart) / double(rounds);
    PostMessageW(resultWindow, kResult, static_cast<WPARAM>(ns * 100.0), 0);
    return 0;
}

std::wstring ThisProgram() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

std::wstring Beside(const wchar_t* file) {
    std::wstring p = ThisProgram();
    return p.substr(0, p.find_last_of(L"\\/") + 1) + file;
}

// One sample: a fresh helper process, its result handled by this thread.
double Sample(HWND window, long rounds) {
    std::wstring cmd = L"\"" + ThisProgram() + L"\" --pump " +
                       std::to_wstring(reinterpret_cast<LONG_PTR>(window)) + L" " + std::to_wstring(rounds);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    double result = -1;
    for (;;) {
        const DWORD r = MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 600000, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == kResult) result = double(msg.wParam) / 100.0;
            DispatchMessageW(&msg);
        }
        if (r != WAIT_OBJECT_0 + 1) break;  // the helper ended (or the wait timed out)
    }
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message == kResult) result = double(msg.wParam) / 100.0;
    return result;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 4 && std::wstring(argv[1]) == L"--pump")
        return Pump(reinterpret_cast<HWND>(static_cast<LONG_PTR>(_wcstoi64(argv[2], nullptr, 10))), _wtol(argv[3]));
    if (argc < 2) {
        std::fprintf(stderr, "usage: hook_bench <none|floor|percall|built> [round trips] [samples]\n");
        return 2;
    }
    const std::wstring series = argv[1];
    const long rounds = argc > 2 ? _wtol(argv[2]) : 100000;
    const int samples = argc > 3 ? _wtoi(argv[3]) : 5;
    HWND window = MakeWindow(L"TdxHookBenchMain");

    HHOOK floorHooks[2] = {};
    decltype(&RemoveHook) remove = nullptr;
    if (series == L"floor") {
        HMODULE floor = LoadLibraryW(Beside(L"hook_floor.dll").c_str());
        auto proc = floor ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(floor, "FloorProc")))
                          : nullptr;
        if (!proc) return 3;
        floorHooks[0] = SetWindowsHookExW(WH_GETMESSAGE, proc, floor, 0);
        floorHooks[1] = SetWindowsHookExW(WH_CALLWNDPROC, proc, floor, 0);
    } else if (series == L"percall") {
        HMODULE lib = LoadLibraryW(Beside(L"tdxhook_percall.dll").c_str());
        auto set = lib ? reinterpret_cast<decltype(&SetHook)>(reinterpret_cast<void*>(GetProcAddress(lib, "SetHook")))
                       : nullptr;
        auto config = lib ? reinterpret_cast<decltype(&SetConfig)>(
                                reinterpret_cast<void*>(GetProcAddress(lib, "SetConfig")))
                          : nullptr;
        remove = lib ? reinterpret_cast<decltype(&RemoveHook)>(reinterpret_cast<void*>(GetProcAddress(lib, "RemoveHook")))
                     : nullptr;
        if (!set || !config || !remove || set(window, 0x07E9) != 1) return 3;
        config(1, 1);
    } else if (series == L"built") {
        // Through the import library, as the program links it.
        if (SetHook(window, 0x07E9) != 1) return 3;
        SetConfig(1, 1);
        remove = RemoveHook;
    } else if (series != L"none") {
        return 2;
    }

    std::vector<double> ns;
    for (int i = 0; i < samples; ++i) ns.push_back(Sample(window, rounds));
    if (remove) remove();
    for (HHOOK h : floorHooks)
        if (h) UnhookWindowsHookEx(h);

    std::vector<double> sorted = ns;
    std::sort(sorted.begin(), sorted.end());
    std::printf("%ls %.1f", series.c_str(), sorted[sorted.size() / 2]);
    for (double v : ns) std::printf(" %.1f", v);
    std::printf("\n");
    return std::find(ns.begin(), ns.end(), -1.0) == ns.end() ? 0 : 1;
}
