// Hotkey to a fully painted popup: tiledex.exe with 100 Program entries and 60
// open windows, against two floors with the same windows open, measured in one
// run: a program that shows a window of the same size painted with one solid
// fill, and the same after walking the windows as a task switcher must; then
// Tiledex again with one more window whose thread does not answer.
//   popup_bench.exe [shows]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
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

bool WaitFor(const std::function<bool()>& ready, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (Clock::now() < end) {
        if (ready()) return true;
        ::Sleep(1);
    }
    return ready();
}

using tdx::bench::PressKeys;

// Screen pixels that a fully painted window shows.
struct Probe {
    POINT at;  // screen coordinates
    COLORREF color;
};

// Reads the screen once over the probes' bounding box.
class ScreenReader {
public:
    ScreenReader() : screen_(::GetDC(nullptr)), memory_(::CreateCompatibleDC(screen_)) {}
    ~ScreenReader() {
        if (bitmap_) ::DeleteObject(bitmap_);
        ::DeleteDC(memory_);
        ::ReleaseDC(nullptr, screen_);
    }

    bool AllMatch(const std::vector<Probe>& probes) {
        RECT box{LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
        for (const Probe& p : probes) {
            box.left = std::min(box.left, p.at.x);
            box.top = std::min(box.top, p.at.y);
            box.right = std::max(box.right, p.at.x + 1);
            box.bottom = std::max(box.bottom, p.at.y + 1);
        }
        Prepare(box.right - box.left, box.bottom - box.top);
        ::BitBlt(memory_, 0, 0, width_, height_, screen_, box.left, box.top, SRCCOPY);
        ::GdiFlush();
        for (const Probe& p : probes) {
            const DWORD v = bits_[(p.at.y - box.top) * width_ + (p.at.x - box.left)];
            if (RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF) != p.color) return false;
        }
        return true;
    }

private:
    void Prepare(int width, int height) {
        if (bitmap_ && width == width_ && height == height_) return;
        if (bitmap_) ::DeleteObject(bitmap_);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap_ = ::CreateDIBSection(memory_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        ::SelectObject(memory_, bitmap_);
        bits_ = static_cast<DWORD*>(bits);
        width_ = width;
        height_ = height;
    }

    HDC screen_;
    HDC memory_;
    HBITMAP bitmap_ = nullptr;
    DWORD* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

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
    // Asks the main window to close, then ends the process if it does not.
    void Stop(HWND mainWindow = nullptr) {
        if (!handle_) return;
        if (mainWindow) ::PostMessageW(mainWindow, WM_CLOSE, 0, 0);
        if (::WaitForSingleObject(handle_, mainWindow ? 5000 : 0) != WAIT_OBJECT_0)
            ::TerminateProcess(handle_, 1);
        ::WaitForSingleObject(handle_, 5000);
        ::CloseHandle(handle_);
        handle_ = nullptr;
    }
    ~Process() { Stop(); }
    DWORD Id() const { return id_; }
    // Committed private memory; Wine leaves PrivateUsage at 0 and reports it as PagefileUsage.
    double PrivateKb() const {
        PROCESS_MEMORY_COUNTERS_EX counters{};
        counters.cb = sizeof(counters);
        ::GetProcessMemoryInfo(handle_, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
        return static_cast<double>(std::max(counters.PrivateUsage, counters.PagefileUsage)) / 1024.0;
    }

private:
    HANDLE handle_ = nullptr;
    DWORD id_ = 0;
};

struct Stats {
    double median = 0;
    double p95 = 0;
    int count = 0;
};

Stats Summarise(std::vector<double> v) {
    Stats s;
    if (v.empty()) return s;
    std::sort(v.begin(), v.end());
    s.count = static_cast<int>(v.size());
    s.median = v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    s.p95 = v[static_cast<std::size_t>(std::ceil(0.95 * v.size())) - 1];
    return s;
}

// Shows the popup `shows` times by the hotkey and times each until every probe
// is on the screen; Escape hides it in between.
std::vector<double> TimeShows(HWND popup, const std::vector<Probe>& probes, int shows) {
    ScreenReader reader;
    std::vector<double> times;
    for (int i = 0; i < shows; ++i) {
        if (!WaitFor([&] { return !::IsWindowVisible(popup) && !reader.AllMatch(probes); },
                     std::chrono::seconds(5))) {
            std::fprintf(stderr, "the popup did not go away\n");
            break;
        }
        ::Sleep(30);
        const auto start = Clock::now();
        PressKeys({VK_CONTROL, VK_MENU, 'J'});
        if (!WaitFor([&] { return ::IsWindowVisible(popup) && reader.AllMatch(probes); },
                     std::chrono::seconds(10))) {
            std::fprintf(stderr, "the popup did not appear painted\n");
            break;
        }
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        PressKeys({VK_ESCAPE});
    }
    return times;
}

RECT ScreenRectOf(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    return r;
}

void WriteBenchSettings(const fs::path& appData) {
    fs::remove_all(appData);
    fs::create_directories(appData / L"tiledex");
    std::ofstream ini(appData / L"tiledex" / L"tiledex.ini", std::ios::binary);
    // Twenty columns keep 100 entries and 60 windows on a 1024 x 768 screen.
    ini << "[Option]\r\nColMax=20\r\nKeyCursorFlag=0\r\n[Program]\r\n";
    const std::string exe = (ExeDir() / L"record_launch.exe").string();
    for (int i = 0; i < 100; ++i) {
        const std::string n = std::to_string(i);
        ini << "Title" << n << "=Entry " << n << "\r\nStatus" << n << "=0\r\nIconIndex" << n
            << "=0\r\nIconFileName" << n << "=\r\nExeFileName" << n << "=" << exe
            << "\r\nArgumentName" << n << "=\r\nDirectoryName" << n << "=\r\n";
    }
}

struct TiledexRun {
    std::vector<double> times;
    double firstHungShow = -1;  // a show while the system does not yet call the window hung
    RECT popup{};
    double privateKb = 0;  // after the shows
};

// One run of tiledex.exe with 60 helper windows (and a hung one when asked).
bool RunTiledex(int shows, bool hang, TiledexRun& out) {
    const fs::path dir = ExeDir();
    wchar_t temp[MAX_PATH]{};
    ::GetTempPathW(MAX_PATH, temp);
    const fs::path appData = fs::path(temp) / L"tdx-popup-bench";
    WriteBenchSettings(appData);

    Process helper;
    if (!helper.Start(dir / L"task_windows.exe", hang ? L"Bench 60 hang" : L"Bench 60")) { std::fprintf(stderr, "failed at line %d\n", __LINE__); return false; }
    if (!WaitFor([] { return ::FindWindowW(L"TdxTaskWindow", L"Bench 1") != nullptr; },
                 std::chrono::seconds(20)))
        { std::fprintf(stderr, "failed at line %d\n", __LINE__); return false; }

    ::SetEnvironmentVariableW(L"APPDATA", appData.c_str());
    Process tiledex;
    if (!tiledex.Start(tdx::bench::ShippedProgram(), L"")) { std::fprintf(stderr, "failed at line %d\n", __LINE__); return false; }
    HWND main = nullptr;
    HWND popup = nullptr;
    WaitFor([&] {
        main = FindWindowOfProcess(L"TTiledexMain", tiledex.Id());
        popup = FindWindowOfProcess(L"TTdxMainForm", tiledex.Id());
        // The windows come before the hotkey: a press before it is taken is lost.
        return main && popup && tdx::bench::IconShown(main);
    }, std::chrono::seconds(20));
    if (!popup) { std::fprintf(stderr, "failed at line %d\n", __LINE__); return false; }

    // The first show tells where everything goes; it is not timed.
    PressKeys({VK_CONTROL, VK_MENU, 'J'});
    if (!WaitFor([&] { return ::IsWindowVisible(popup) != FALSE; }, std::chrono::seconds(10)))
        { std::fprintf(stderr, "failed at line %d\n", __LINE__); return false; }
    ::Sleep(500);
    out.popup = ScreenRectOf(popup);
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    const COLORREF highlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    std::vector<Probe> probes;
    for (int id : {111, 112, 113}) {
        const RECT box = ScreenRectOf(::GetDlgItem(popup, id));
        probes.push_back({{box.left, box.top}, shadow});
        probes.push_back({{box.right - 1, box.bottom - 1}, highlight});
    }
    const RECT panel = ScreenRectOf(::GetDlgItem(popup, 121));
    probes.push_back({{panel.left, panel.top}, shadow});
    PressKeys({VK_ESCAPE});

    if (hang) {
        HWND hung = ::FindWindowW(L"TdxTaskWindow", L"Bench hung");
        ::PostMessageW(hung, WM_APP, 0, 0);
        ::Sleep(300);
        const std::vector<double> first = TimeShows(popup, probes, 1);
        if (!first.empty()) out.firstHungShow = first[0];
        // From here on the system itself calls the window hung.
        ::Sleep(6000);
    }
    out.times = TimeShows(popup, probes, shows);
    ::Sleep(500);
    out.privateKb = tiledex.PrivateKb();
    tiledex.Stop(main);
    helper.Stop();
    return static_cast<int>(out.times.size()) == shows;
}

// A floor run with the same 60 windows open as Tiledex had; `enumerate` makes
// the floor walk them before it shows its window.
bool RunFloor(int shows, const RECT& size, bool enumerate, std::vector<double>& times,
              double& privateKb) {
    Process helper;
    if (!helper.Start(ExeDir() / L"task_windows.exe", L"Bench 60")) { std::fprintf(stderr, "failed at line %d\n", __LINE__); return false; }
    if (!WaitFor([] { return ::FindWindowW(L"TdxTaskWindow", L"Bench 1") != nullptr; },
                 std::chrono::seconds(20)))
        { std::fprintf(stderr, "failed at line %d\n", __LINE__); return false; }
    Process floor;
    const int width = size.right - size.left;
    const int height = size.bottom - size.top;
    if (!floor.Start(ExeDir() / L"popup_floor.exe", std::to_wstring(width) + L" " +
                                                        std::to_wstring(height) +
                                                        (enumerate ? L" enum" : L"")))
        { std::fprintf(stderr, "failed at line %d\n", __LINE__); return false; }
    HWND main = nullptr;
    HWND popup = nullptr;
    WaitFor([&] {
        main = FindWindowOfProcess(L"TdxFloorMain", floor.Id());
        popup = FindWindowOfProcess(L"TdxFloorPopup", floor.Id());
        return main && popup;  // the floor makes its popup once it holds the hotkey
    }, std::chrono::seconds(20));
    if (!popup) { std::fprintf(stderr, "failed at line %d\n", __LINE__); return false; }
    ::Sleep(300);
    const COLORREF face = RGB(3, 130, 5);  // popup_floor.cpp's fill
    // Same placement as the popup: centred on the primary screen.
    const int left = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    const std::vector<Probe> probes{{{left + 8, top + 16}, face},
                                    {{left + width - 9, top + height - 11}, face},
                                    {{left + width / 2, top + height / 2}, face}};
    times = TimeShows(popup, probes, shows);
    ::Sleep(500);
    privateKb = floor.PrivateKb();
    floor.Stop(main);
    helper.Stop();
    return static_cast<int>(times.size()) == shows;
}

void PrintRow(const char* name, const Stats& s, const Stats& floor) {
    std::printf("%-44s %9.2f %9.2f %8.2fx %8.2fx %5d\n", name, s.median, s.p95,
                floor.median > 0 ? s.median / floor.median : 0.0,
                floor.p95 > 0 ? s.p95 / floor.p95 : 0.0, s.count);
}

}  // namespace

int main(int argc, char** argv) {
    const int shows = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    ::SetCursorPos(1, 1);

    TiledexRun plain;
    if (!RunTiledex(shows, false, plain)) {
        std::fprintf(stderr, "tiledex run failed\n");
        return 1;
    }
    TiledexRun hung;
    if (!RunTiledex(shows, true, hung)) {
        std::fprintf(stderr, "tiledex run with a hung window failed\n");
        return 1;
    }
    std::vector<double> floorTimes;
    double floorKb = 0;
    if (!RunFloor(shows, plain.popup, false, floorTimes, floorKb)) {
        std::fprintf(stderr, "floor run failed\n");
        return 1;
    }
    std::vector<double> enumTimes;
    double enumKb = 0;
    if (!RunFloor(shows, plain.popup, true, enumTimes, enumKb)) {
        std::fprintf(stderr, "enumeration floor run failed\n");
        return 1;
    }

    const Stats floor = Summarise(floorTimes);
    const Stats enumFloor = Summarise(enumTimes);
    const Stats base = Summarise(plain.times);
    const Stats withHung = Summarise(hung.times);
    std::printf("Hotkey -> popup visible and painted (%ld x %ld), 100 Program entries, 60 windows\n",
                plain.popup.right - plain.popup.left, plain.popup.bottom - plain.popup.top);
    std::printf("against the bare floor (goal: median <= 1.5x, p95 <= 2x)\n");
    std::printf("%-44s %9s %9s %9s %9s %5s\n", "case", "median ms", "p95 ms", "med/floor",
                "p95/floor", "shows");
    PrintRow("floor: same window, one solid fill", floor, floor);
    PrintRow("floor + EnumWindows checks, no icons", enumFloor, floor);
    PrintRow("tiledex", base, floor);
    PrintRow("tiledex + 1 hung window", withHung, floor);
    std::printf("against the enumeration floor (goal: median <= 1.2x, p95 <= 1.5x)\n");
    PrintRow("floor + EnumWindows checks, no icons", enumFloor, enumFloor);
    PrintRow("tiledex", base, enumFloor);
    PrintRow("tiledex + 1 hung window", withHung, enumFloor);
    std::printf("hung / plain: median %.2fx, p95 %.2fx\n",
                base.median > 0 ? withHung.median / base.median : 0.0,
                base.p95 > 0 ? withHung.p95 / base.p95 : 0.0);
    std::printf("first show right after the window stopped answering: %.2f ms\n",
                hung.firstHungShow);
    std::printf("private memory after %d shows: floor %.0f KiB, tiledex %.0f KiB, ratio %.2f (goal <= 1.6)\n",
                shows, floorKb, plain.privateKb, floorKb > 0 ? plain.privateKb / floorKb : 0.0);
    return 0;
}
