// Who has the keyboard when the popup comes and goes: a task chosen in the popup
// is in front once it hides, with programs nobody here wrote; and keys typed
// right after the hotkey belong to the popup, not to the window in front.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
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

    // Shows the popup and moves its cursor onto the window's task; the cell's index.
    const auto showAndFind = [&](HWND window) {
        const std::wstring title = WindowText(window);
        // The message the system posts for the hotkey. A typed chord would race
        // Wine's X11 driver: a process that gets a focus or pointer-crossing
        // event from X sets the key state to the X server's, which never saw
        // SendInput's keys, and the programs just chosen get such events; a
        // chord typed in that moment loses its modifiers.
        ::PostMessageW(tiledex.MainWindow(), WM_HOTKEY, 0, MAKELPARAM(MOD_CONTROL | MOD_ALT, 'J'));
        EXPECT_TRUE(WaitUntil([&] { return tiledex.PopupVisible(); }));
        int index = 0;
        for (; index < 8 && tiledex.NameLabelText() != title; ++index) {
            const std::wstring before = tiledex.NameLabelText();
            PressKeys({VK_RIGHT});
            WaitUntil([&] { return tiledex.NameLabelText() != before; }, 2s);
        }
        EXPECT_EQ(Narrow(tiledex.NameLabelText()), Narrow(title));
        return index;
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
    // And by a click, last: the popup then hides under the pointer, and a
    // chord typed while a program takes the pointer's arrival loses its keys.
    const int index = showAndFind(windows.front());
    RECT box{};
    ::GetWindowRect(ChildById(tiledex.Popup(), 112), &box);  // the Task tray
    const POINT cell{box.left + 2 + index * 40 + 20, box.top + 22};
    MoveMouseTo(cell.x, cell.y);
    ASSERT_TRUE(WaitUntil([&] {
        POINT at{};
        return ::GetCursorPos(&at) && at.x == cell.x && at.y == cell.y;
    }));
    // The Task tray ignores presses for 150 ms after the popup's first paint
    // (the press that showed it may still come): this one is the user's own.
    ::Sleep(300);
    LeftClickAt(cell.x, cell.y);
    expectInFront(windows.front());
}

// A window of the test's own that has the foreground and counts the keys and
// characters that reach it.
class FrontWindow {
public:
    FrontWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = L"TdxTestFrontWindow";
        ::RegisterClassW(&wc);
        window_ = ::CreateWindowExW(0, wc.lpszClassName, L"Front", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 500, 300,
                                    150, nullptr, nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~FrontWindow() { ::DestroyWindow(window_); }
    bool TakeForeground() {
        ::SetForegroundWindow(window_);
        if (!WaitUntil([this] { return ::GetForegroundWindow() == window_; })) return false;
        SettleFocus();
        return true;
    }
    int keys = 0;  // WM_KEYDOWN and WM_CHAR of anything but the hotkey's own keys

private:
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<FrontWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        const bool chordKey = wParam == VK_CONTROL || wParam == VK_MENU || wParam == 'J';
        if (self && (msg == WM_CHAR || ((msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) && !chordKey))) ++self->keys;
        return ::DefWindowProcW(window, msg, wParam, lParam);
    }
    HWND window_ = nullptr;
};

std::wstring Entry(int n, const std::wstring& title, std::uint32_t status, const std::wstring& arguments) {
    const std::wstring i = std::to_wstring(n);
    return L"Title" + i + L"=" + title + L"\r\nStatus" + i + L"=" + std::to_wstring(status) + L"\r\nExeFileName" + i +
           L"=" + (ExeDir() / L"record_launch.exe").wstring() + L"\r\nArgumentName" + i + L"=" + arguments + L"\r\n";
}

int Bursts() {
    const char* text = std::getenv("TDX_TYPE_AHEAD_BURSTS");
    const int count = text ? std::atoi(text) : 0;
    return count > 0 ? count : 2;
}

TEST(Foreground, KeysTypedRightAfterTheHotKeyGoToThePopup) {
    MouseRest mouse;
    ASSERT_TRUE(mouse.Ready());
    TempFolder records;
    const std::filesystem::path record = records.path() / L"launch.txt";
    ::SetEnvironmentVariableW(L"TDX_RECORD_FILE", record.c_str());
    TiledexProcess tiledex;
    WriteSettingsFile(tiledex.SettingsFolder() / L"tiledex.ini",
                      CodePage932(L"[Program]\r\n" + Entry(0, L"直接キー", 'N' << 8, L"typed") +
                                  Entry(1, L"右の隣", 0, L"second")));
    ASSERT_TRUE(tiledex.Start());
    FrontWindow front;

    // Each burst is one SendInput: the hotkey chord and what follows it, typed
    // faster than any program can take the foreground. It must run the entry
    // exactly as the same keys typed a second later would.
    const auto burst = [&](std::initializer_list<std::pair<WORD, bool>> after, const wchar_t* argument) {
        std::filesystem::remove(record);
        if (!front.TakeForeground()) return false;
        std::vector<std::pair<WORD, bool>> keys{{VK_CONTROL, false}, {VK_MENU, false}, {'J', false},
                                                {'J', true},         {VK_MENU, true},  {VK_CONTROL, true}};
        keys.insert(keys.end(), after.begin(), after.end());
        std::vector<INPUT> inputs;
        for (const auto& [vk, up] : keys) {
            INPUT in{};
            in.type = INPUT_KEYBOARD;
            in.ki.wVk = vk;
            in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
            inputs.push_back(in);
        }
        ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
        const std::string text = WaitForRecordText(record, std::chrono::seconds(3));
        const std::string line = text.substr(0, text.find('\n'));
        const std::string wanted(argument, argument + wcslen(argument));
        const bool rightEntry =
            line.size() >= wanted.size() && line.compare(line.size() - wanted.size(), wanted.size(), wanted) == 0;
        // A burst whose keys went astray leaves the popup up: put it away.
        if (tiledex.PopupVisible()) {
            PressKeys({VK_ESCAPE});
            WaitUntil([&] { return !tiledex.PopupVisible(); });
        }
        return rightEntry;
    };

    const int bursts = Bursts();
    int directStarted = 0;
    int arrowsStarted = 0;
    for (int i = 0; i < bursts; ++i) {
        directStarted += burst({{'N', false}, {'N', true}}, L"typed");
        arrowsStarted += burst({{VK_RIGHT, false}, {VK_RIGHT, true}, {VK_RETURN, false}, {VK_RETURN, true}}, L"second");
    }
    std::printf("type-ahead: hotkey + direct key started the entry %d of %d times, hotkey + Right, Enter %d of %d; "
                "the window in front got %d keys\n",
                directStarted, bursts, arrowsStarted, bursts, front.keys);
    EXPECT_EQ(directStarted, bursts);
    EXPECT_EQ(arrowsStarted, bursts);
    EXPECT_EQ(front.keys, 0) << "keys typed after the hotkey reached the window in front";
    ::SetEnvironmentVariableW(L"TDX_RECORD_FILE", nullptr);
}

}  // namespace
}  // namespace tdx::test
