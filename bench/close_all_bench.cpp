// Close-all over 60 helper windows: tiledex.exe asked by Shift+Delete, without and with one more window whose thread does not answer, against
// a floor that sends SC_CLOSE to the same 60 windows itself.
//   close_all_bench.exe [runs]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_support.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using tdx::bench::ExeDir;
using tdx::bench::FindWindowOfProcess;
using tdx::bench::PressKeys;

constexpr int kWindows = 60;

bool WaitFor(const std::function<bool()>& ready, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (Clock::now() < end) {
        if (ready()) return true;
        ::Sleep(1);
    }
    return ready();
}

class Process {
public:
    bool Start(const fs::path& exe, const std::wstring& arguments) {
        std::wstring commandLine = L"\"" + exe.wstring() + L"\" " + arguments;
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              exe.parent_path().c_str(), &si, &pi))
            return false;
        ::CloseHandle(pi.hThread);
        handle_ = pi.hProcess;
        id_ = pi.dwProcessId;
        return true;
    }
    void Stop() {
        if (!handle_) return;
        ::TerminateProcess(handle_, 1);
        ::WaitForSingleObject(handle_, 5000);
        ::CloseHandle(handle_);
        handle_ = nullptr;
    }
    ~Process() { Stop(); }
    DWORD Id() const { return id_; }

private:
    HANDLE handle_ = nullptr;
    DWORD id_ = 0;
};

std::wstring Title(int i) { return L"Close " + std::to_wstring(i); }

int Remaining() {
    int left = 0;
    for (int i = 1; i <= kWindows; ++i)
        if (::FindWindowW(L"TdxTaskWindow", Title(i).c_str())) ++left;
    return left;
}

bool AllGone() { return Remaining() == 0; }

double Failed(const char* why) {
    std::fprintf(stderr, "%s (%d of %d windows left)\n", why, Remaining(), kWindows);
    return -1;
}

bool StartHelper(Process& helper, bool hang) {
    if (!helper.Start(ExeDir() / L"task_windows.exe",
                      L"Close " + std::to_wstring(kWindows) + (hang ? L" hang" : L"")))
        return false;
    if (!WaitFor([] { return ::FindWindowW(L"TdxTaskWindow", Title(1).c_str()) != nullptr; },
                 std::chrono::seconds(20)))
        return false;
    // The helper stacks its windows after making them, each taking the
    // foreground in turn; the last is "Close 1". Until it has the foreground the
    // helper may still take it from the popup.
    const auto settled = [] {
        HWND first = ::FindWindowW(L"TdxTaskWindow", Title(1).c_str());
        return first && ::GetForegroundWindow() == first;
    };
    if (!WaitFor(settled, std::chrono::seconds(20))) return false;
    if (hang) {
        HWND hung = ::FindWindowW(L"TdxTaskWindow", L"Close hung");
        // First in the Task tray, where it would hold an unbounded loop longest.
        ::SetWindowPos(hung, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ::SetWindowPos(::FindWindowW(L"TdxTaskWindow", Title(1).c_str()), HWND_TOP, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE);
        if (!WaitFor(settled, std::chrono::seconds(20))) return false;
        ::PostMessageW(hung, WM_APP, 0, 0);
        ::Sleep(200);
    }
    return true;
}

// The floor: the same close request from this process to each window in turn.
double FloorRun() {
    Process helper;
    if (!StartHelper(helper, false)) return -1;
    std::vector<HWND> windows;
    for (int i = 1; i <= kWindows; ++i) windows.push_back(::FindWindowW(L"TdxTaskWindow", Title(i).c_str()));
    const auto start = Clock::now();
    for (HWND w : windows) ::SendMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (!WaitFor(AllGone, std::chrono::seconds(60))) return -1;
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double TiledexRun(bool hang) {
    wchar_t temp[MAX_PATH]{};
    ::GetTempPathW(MAX_PATH, temp);
    const fs::path appData = fs::path(temp) / L"tdx-close-all-bench";
    fs::remove_all(appData);
    fs::create_directories(appData / L"tiledex");
    {
        std::ofstream ini(appData / L"tiledex" / L"tiledex.ini", std::ios::binary);
        ini << "[Option]\r\nColMax=20\r\nKeyCursorFlag=1\r\n";
    }
    Process helper;
    if (!StartHelper(helper, hang)) return -1;
    ::SetEnvironmentVariableW(L"APPDATA", appData.c_str());
    Process tiledex;
    if (!tiledex.Start(ExeDir() / L"tiledex.exe", L"")) return -1;
    HWND popup = nullptr;
    WaitFor([&] {
        popup = FindWindowOfProcess(L"TTdxMainForm", tiledex.Id());
        return popup && FindWindowOfProcess(L"TTdxMainForm", tiledex.Id());
    }, std::chrono::seconds(20));
    if (!popup) return Failed("tiledex did not start");
    // Just after start-up the popup was seen to lose the foreground within half
    // a second of being shown (nothing in front, the popup hidden by its own
    // deactivation), leaving Shift+Delete to nobody: show it until it stays.
    bool shown = false;
    for (int attempt = 0; attempt < 5 && !shown; ++attempt) {
        if (::IsWindowVisible(popup)) {
            PressKeys({VK_ESCAPE});
            WaitFor([&] { return !::IsWindowVisible(popup); }, std::chrono::seconds(5));
        }
        PressKeys({VK_CONTROL, VK_MENU, 'J'});
        shown = WaitFor([&] { return ::GetForegroundWindow() == popup; }, std::chrono::seconds(5));
        ::Sleep(500);
        shown = shown && ::GetForegroundWindow() == popup && ::IsWindowVisible(popup);
    }
    if (!shown) return Failed("the popup did not stay in front");
    // Right after the popup was shown, the helper's thread was seen busy for two
    // seconds and more on a loaded machine: close-all then rightly left its
    // first window alone as not answering, and the run failed. The clock starts
    // once the helper answers again, as it does in the floor's run.
    for (int i : {1, kWindows}) {
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(::FindWindowW(L"TdxTaskWindow", Title(i).c_str()), WM_NULL, 0, 0, SMTO_NORMAL, 20000,
                              &ignored);
    }
    // Shift+Delete asks for close-all from the keyboard. The chord with a right
    // click did too, but the click moved the pointer, and Wine then took the
    // modifier keys' state from the X server, which never saw them: now and then
    // the press came as a plain right click and nothing was closed.
    const auto start = Clock::now();
    PressKeys({VK_SHIFT, VK_DELETE});
    if (!WaitFor(AllGone, std::chrono::seconds(60))) return Failed("close-all did not close every window");
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 3;
    // Clear of where the popup and the windows open: a window mapped under the
    // pointer makes Wine read the keys' state from the X server.
    ::SetCursorPos(1, 1);
    struct Case {
        const char* name;
        std::function<double()> run;
        std::vector<double> totals;
    } cases[] = {
        {"floor: SC_CLOSE sent by the bench", FloorRun, {}},
        {"tiledex close-all", [] { return TiledexRun(false); }, {}},
        {"tiledex close-all, one window hung", [] { return TiledexRun(true); }, {}},
    };
    for (int r = 0; r < runs; ++r) {
        // Later runs of a session were seen to be slower than earlier ones: the
        // two close-all cases take turns at going first, so that neither pays
        // for the drift alone.
        Case* order[] = {&cases[0], &cases[1 + r % 2], &cases[2 - r % 2]};
        for (Case* next : order) {
            Case& c = *next;
            const double t = c.run();
            if (t < 0) {
                std::fprintf(stderr, "%s: run failed\n", c.name);
                return 1;
            }
            c.totals.push_back(t);
        }
    }
    std::printf("Close-all over %d windows, median of %d runs\n", kWindows, runs);
    std::printf("%-38s %11s %13s %9s\n", "case", "total ms", "per window ms", "- floor");
    const double floor = Median(cases[0].totals);
    for (const Case& c : cases) {
        const double m = Median(c.totals);
        std::printf("%-38s %11.1f %13.2f %9.1f\n", c.name, m, m / kWindows, m - floor);
    }
    // Each close waits for the closed window's program, a hung one included:
    // the hung case may cost the plain case and one time-out more, not more.
    std::printf("goal: hung case <= plain case + one time-out (%.0f ms)\n", Median(cases[1].totals) + 2000.0);
    return 0;
}
