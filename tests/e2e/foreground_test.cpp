// Who has the keyboard when the popup comes and goes: a task chosen in the popup
// is in front once it hides, with programs nobody here wrote.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/tiledex_process_win.h"

namespace tdx::test {
namespace {

using namespace std::chrono_literals;

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !::IsWindowVisible(window) || ::GetWindow(window, GW_OWNER) ||
        ::GetWindowTextLengthW(window) == 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

// The titled, visible, unowned window of a process: what the Task tray lists.
HWND MainWindowOf(DWORD processId) {
    WindowSearch search{processId, nullptr};
    ::EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string Narrow(const std::wstring& text) {
    const std::u8string utf8 = std::filesystem::path(text).u8string();
    return std::string(utf8.begin(), utf8.end());
}

std::filesystem::path KnownFolder(const wchar_t* variable) {
    wchar_t path[MAX_PATH]{};
    ::GetEnvironmentVariableW(variable, path, MAX_PATH);
    return path;
}

// Wine's own programs, started as a user starts them.
std::vector<std::filesystem::path> BedPrograms() {
    const std::filesystem::path windows = KnownFolder(L"windir");
    return {windows / L"notepad.exe", windows / L"regedit.exe", windows / L"system32" / L"winemine.exe",
            KnownFolder(L"ProgramFiles") / L"Windows NT" / L"Accessories" / L"wordpad.exe"};
}

TEST(Foreground, ChoosingATaskBringsThatProgramToTheFront) {
    MouseRest mouse;
    ASSERT_TRUE(mouse.Ready());
    std::vector<std::unique_ptr<HelperProcess>> programs;
    std::vector<HWND> windows;
    for (const std::filesystem::path& exe : BedPrograms()) {
        programs.push_back(std::make_unique<HelperProcess>());
        ASSERT_TRUE(programs.back()->Start(exe.wstring(), L"")) << exe.string();
        HWND window = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (window = MainWindowOf(programs.back()->ProcessId())) != nullptr; }))
            << exe.string();
        windows.push_back(window);
    }
    TiledexProcess tiledex;
    // The cursor starts in the Task tray.
    WriteSettingsFile(tiledex.SettingsFolder() / L"tiledex.ini", "[Option]\r\nKeyCursorFlag=1\r\n");
    ASSERT_TRUE(tiledex.Start());

    // Shows the popup and moves its cursor onto the window's task.
    const auto showAndFind = [&](HWND window) {
        const std::wstring title = WindowText(window);
        EXPECT_TRUE(tiledex.ShowPopupByHotKey());
        for (int step = 0; step < 8 && tiledex.NameLabelText() != title; ++step) {
            const std::wstring before = tiledex.NameLabelText();
            PressKeys({VK_RIGHT});
            WaitUntil([&] { return tiledex.NameLabelText() != before; }, 2s);
        }
        EXPECT_EQ(Narrow(tiledex.NameLabelText()), Narrow(title));
    };
    const auto expectInFront = [&](HWND window) {
        EXPECT_TRUE(WaitUntil([&] { return !tiledex.PopupVisible(); }));
        EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == window; }, 1s))
            << "chose \"" << Narrow(WindowText(window)) << "\", foreground is \""
            << Narrow(WindowText(::GetForegroundWindow())) << "\"";
    };

    // Each program in turn by Enter, twice round, so that each is chosen from
    // behind another program's window.
    for (int round = 0; round < 2; ++round) {
        for (HWND window : windows) {
            showAndFind(window);
            PressKeys({VK_RETURN});
            expectInFront(window);
        }
    }
}

}  // namespace
}  // namespace tdx::test
