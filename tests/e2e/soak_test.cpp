// A long uptime in little: the popup shown and hidden over and over with a full
// Program tray and open windows. Every press of the hotkey shows it, however
// soon after the last hide: a press that does not is counted and must not
// happen. Kernel handles and windows do not grow with the number of shows.
// TDX_SOAK_CYCLES sets the count (scripts/soak runs 2,000 and reports the
// figures); the suite runs a short round.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/tiledex_process_win.h"

namespace tdx::test {
namespace {

using namespace std::chrono_literals;

struct Usage {
    DWORD handles = 0;
    int windows = 0;
    SIZE_T privateBytes = 0;
};

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

struct WindowCount {
    DWORD processId;
    int count;
};

BOOL CALLBACK CountTopLevel(HWND window, LPARAM param) {
    auto* c = reinterpret_cast<WindowCount*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == c->processId) {
        ++c->count;
        ::EnumChildWindows(window, CountChild, reinterpret_cast<LPARAM>(&c->count));
    }
    return TRUE;
}

// GetProcessHandleCount reports nothing for another process under Wine; the
// system's handle table, which both Windows and Wine keep, does.
DWORD KernelHandleCount(DWORD processId) {
    struct Entry {
        ULONG ownerPid;
        BYTE objectType;
        BYTE flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    struct Table {
        ULONG count;
        Entry entries[1];
    };
    using Query = LONG(WINAPI*)(int, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<Query>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation"));
    if (!query) return 0;
    std::vector<BYTE> buffer(1 << 20);
    for (;;) {
        ULONG needed = 0;
        const LONG status = query(16 /* SystemHandleInformation */, buffer.data(),
                                  static_cast<ULONG>(buffer.size()), &needed);
        if (status == 0) break;
        if (buffer.size() >= (256u << 20)) return 0;
        buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed));
    }
    const auto* table = reinterpret_cast<const Table*>(buffer.data());
    DWORD count = 0;
    for (ULONG i = 0; i < table->count; ++i)
        if (table->entries[i].ownerPid == processId) ++count;
    return count;
}

Usage Measure(DWORD processId) {
    Usage usage;
    HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process) return usage;
    if (!::GetProcessHandleCount(process, &usage.handles) || usage.handles == 0)
        usage.handles = KernelHandleCount(processId);
    PROCESS_MEMORY_COUNTERS_EX counters{};
    if (::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                               sizeof(counters)))
        // Wine leaves PrivateUsage at 0 for another process; PagefileUsage carries it.
        usage.privateBytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    ::CloseHandle(process);
    WindowCount windows{processId, 0};
    ::EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&windows));
    usage.windows = windows.count;
    return usage;
}

int Cycles() {
    const char* text = std::getenv("TDX_SOAK_CYCLES");
    const int cycles = text ? std::atoi(text) : 0;
    return cycles > 0 ? cycles : 40;
}

std::string ProgramSection(int count) {
    std::string text = "[Program]\r\n";
    for (int i = 1; i <= count; ++i) {
        const std::string n = std::to_string(i);
        text += "Title" + n + "=Entry " + n + "\r\nExeFileName" + n +
                "=%sysdir%\\" + (i % 2 ? "notepad.exe" : "cmd.exe") + "\r\n";
    }
    return text;
}

// The hotkey pressed right after Escape must show the popup. A press that does
// not is counted as missed, and pressed again so that the round goes on.
bool ShowAndHide(TiledexProcess& tiledex, int& missedPresses) {
    if (!tiledex.ShowPopupByHotKey()) {
        ++missedPresses;
        if (!tiledex.ShowPopupByHotKey()) return false;
    }
    PressKeys({VK_ESCAPE});
    return WaitUntil([&] { return !tiledex.PopupVisible(); }, 5s);
}

TEST(Soak, ShowingThePopupRepeatedlyGrowsNoHandlesOrWindows) {
    TiledexProcess tiledex;
    WriteSettingsFile(tiledex.SettingsFolder() / L"tiledex.ini", ProgramSection(100));
    HelperProcess tasks;
    ASSERT_TRUE(tasks.Start(L"task_windows.exe", L"\"Soak\" 20"));
    ASSERT_TRUE(WaitUntil([] { return ::FindWindowW(L"TdxTaskWindow", L"Soak 20") != nullptr; }));
    MouseRest mouse;
    ASSERT_TRUE(mouse.Ready());
    ASSERT_TRUE(tiledex.Start());

    // Caches fill on the first shows; measure from a warm program.
    int missedPresses = 0;
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(ShowAndHide(tiledex, missedPresses));
    const Usage before = Measure(tiledex.ProcessId());
    const int cycles = Cycles();
    for (int i = 0; i < cycles; ++i) {
        ASSERT_TRUE(ShowAndHide(tiledex, missedPresses))
            << "cycle " << i << (tiledex.Running() ? ", still running" : ", program ended")
            << (tiledex.PopupVisible() ? ", popup shown" : ", popup hidden");
        if ((i + 1) % 250 == 0) {
            const Usage now = Measure(tiledex.ProcessId());
            std::printf("soak: after %d shows: handles %lu, windows %d, private KiB %zu\n", i + 1,
                        now.handles, now.windows, now.privateBytes / 1024);
            std::fflush(stdout);
        }
    }
    const Usage after = Measure(tiledex.ProcessId());

    std::printf("soak: %d shows: handles %lu -> %lu, windows %d -> %d, private KiB %zu -> %zu, "
                "hotkey after Escape missed %d times\n",
                cycles, before.handles, after.handles, before.windows, after.windows,
                before.privateBytes / 1024, after.privateBytes / 1024, missedPresses);
    EXPECT_EQ(missedPresses, 0) << "the hotkey right after Escape hid or left the popup hidden";
    ASSERT_GT(before.handles, 0u);
    // A leak of one per show would add `cycles`; allow a little for what the
    // system itself opens and closes at its own pace.
    EXPECT_LT(static_cast<int>(after.handles) - static_cast<int>(before.handles), cycles / 2);
    EXPECT_LE(after.windows, before.windows);
    EXPECT_TRUE(tiledex.Running());
}

int DialogCycles() {
    const char* text = std::getenv("TDX_SOAK_DIALOG_CYCLES");
    const int cycles = text ? std::atoi(text) : 0;
    return cycles > 0 ? cycles : 8;
}

// Each dialog of the notification menu opened and closed over and over, as a
// user who looks and cancels: nothing may pile up per opening. GDI and USER
// object counts are printed where the system reports them (Wine does not).
TEST(Soak, OpeningAndClosingEachDialogGrowsNoHandlesOrWindows) {
    TiledexProcess tiledex;
    WriteSettingsFile(tiledex.SettingsFolder() / L"tiledex.ini", ProgramSection(20));
    ASSERT_TRUE(tiledex.Start());
    const struct {
        UINT command;
        const wchar_t* form;
    } dialogs[] = {{110, L"TOptionForm"}, {111, L"TConfigForm"}, {112, L"TSelectForm"}, {114, L"TAboutForm"}};
    const auto openAndClose = [&](UINT command, const wchar_t* form) {
        ::PostMessageW(tiledex.MainWindow(), WM_COMMAND, command, 0);
        HWND window = nullptr;
        if (!WaitUntil([&] {
                window = FindProcessWindow(form, tiledex.ProcessId());
                return window && ::IsWindowVisible(window);
            }, 5s))
            return false;
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        return WaitUntil([&] { return !::IsWindowVisible(window); }, 5s);
    };
    const auto guiObjects = [&](DWORD kind) {
        HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, tiledex.ProcessId());
        const DWORD count = process ? ::GetGuiResources(process, kind) : 0;
        if (process) ::CloseHandle(process);
        return count;
    };

    const int cycles = DialogCycles();
    for (const auto& dialog : dialogs) {
        for (int i = 0; i < 2; ++i) ASSERT_TRUE(openAndClose(dialog.command, dialog.form));
        const Usage before = Measure(tiledex.ProcessId());
        const DWORD gdiBefore = guiObjects(GR_GDIOBJECTS), userBefore = guiObjects(GR_USEROBJECTS);
        for (int i = 0; i < cycles; ++i)
            ASSERT_TRUE(openAndClose(dialog.command, dialog.form)) << "cycle " << i;
        const Usage after = Measure(tiledex.ProcessId());
        std::printf("soak: %ls %d times: handles %lu -> %lu, windows %d -> %d, GDI %lu -> %lu, "
                    "USER %lu -> %lu, private KiB %zu -> %zu\n",
                    dialog.form, cycles, before.handles, after.handles, before.windows, after.windows,
                    gdiBefore, guiObjects(GR_GDIOBJECTS), userBefore, guiObjects(GR_USEROBJECTS),
                    before.privateBytes / 1024, after.privateBytes / 1024);
        std::fflush(stdout);
        EXPECT_LT(static_cast<int>(after.handles) - static_cast<int>(before.handles), cycles / 2 + 1)
            << dialog.form;
        EXPECT_LE(after.windows, before.windows) << dialog.form;
    }
    EXPECT_TRUE(tiledex.Running());
}

}  // namespace
}  // namespace tdx::test
