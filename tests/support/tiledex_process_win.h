// Drives the real tiledex.exe for end-to-end tests: a fresh settings folder per
// test, start and stop, real keys through SendInput, windows found by class.
#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace tdx::test {

// The folder of the running test executable; tiledex.exe and the helpers live there.
std::filesystem::path ExeDir();

// A new empty folder under the system temp folder, removed by its destructor.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Polls until the predicate holds; false on time-out. Pumps this thread's messages.
bool WaitUntil(const std::function<bool()>& predicate,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Wine sets its modifier keys to the X server's keyboard whenever one of its
// windows takes the X focus, and keys pressed by SendInput are never down
// there: a focus change still under way when a chord's modifier goes down
// releases the modifier before the chord's key comes. This waits until the
// window in front has stayed in front a moment and its thread has answered.
void SettleFocus();

// Presses the keys in order, then releases them in reverse order; a chord
// first lets the focus settle.
void PressKeys(std::initializer_list<WORD> keys);

// The first top-level window of the class that belongs to the process (0 = any process).
HWND FindProcessWindow(const wchar_t* className, DWORD processId);
int CountWindowsOfClass(const wchar_t* className);
std::wstring WindowText(HWND window);

// The text tests/helpers/record_launch.cpp leaves in the file once it is
// there and whole; empty after the time-out.
std::string WaitForRecordText(const std::filesystem::path& file,
                              std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Writes a settings file as the user would have it, in the system code page.
void WriteSettingsFile(const std::filesystem::path& file, const std::string& contents);

// Moves the mouse with real input (absolute screen pixels), and clicks.
void MoveMouseTo(int x, int y);
// Text in code page 932, as the settings files of a Japanese system hold it.
std::string CodePage932(const std::wstring& text);
void LeftClickAt(int x, int y);

// Screen pixels as they are shown, read from the screen DC (PrintWindow returns
// black under Wine).
class ScreenPixels {
public:
    static ScreenPixels Capture(const RECT& area);
    // x and y relative to the captured area's top-left corner.
    COLORREF At(int x, int y) const;
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<DWORD> pixels_;  // 0x00RRGGBB, top-down
};

// Under Wine, a process whose window the mouse pointer enters (a window shown or
// hidden under it is enough) sets its key state to the X server's, which never
// saw the keys SendInput makes: a chord typed in that moment loses its
// modifiers, and its last key reaches the window in front. A test that types
// chords while windows come and go keeps the pointer here: a small topmost
// window of the test's own thread at the screen's top-right corner, where no
// popup opens. This thread handles the pointer's events only while it pumps
// messages, never in the middle of a SendInput.
class MouseRest {
public:
    MouseRest();
    ~MouseRest();
    MouseRest(const MouseRest&) = delete;
    MouseRest& operator=(const MouseRest&) = delete;
    // False when the window could not be made or the pointer is not on it.
    bool Ready() const;
    // Brings the pointer back after a click elsewhere, once the window clicked
    // has taken the focus and handled what came with it.
    bool Return(HWND clicked);

private:
    HWND window_ = nullptr;
};

// A child control by its identifier, and its rectangle relative to a window.
HWND ChildById(HWND parent, int id);
RECT RectIn(HWND control, HWND reference);

// A helper program started from the test folder; ended through its own process
// handle when the object goes.
class HelperProcess {
public:
    HelperProcess() = default;
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    bool Start(const std::wstring& exeName, const std::wstring& arguments);
    DWORD ProcessId() const { return processId_; }

private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
};

class TiledexProcess {
public:
    // APPDATA of the program points at a fresh folder of its own. Without an
    // executable, the tiledex.exe built beside the tests runs.
    TiledexProcess();
    explicit TiledexProcess(std::filesystem::path executable);
    ~TiledexProcess();
    TiledexProcess(const TiledexProcess&) = delete;
    TiledexProcess& operator=(const TiledexProcess&) = delete;

    const std::filesystem::path& AppData() const { return appData_.path(); }
    std::filesystem::path SettingsFolder() const { return AppData() / L"tiledex"; }

    // Starts the program and waits until every window exists; false if it did not come up.
    bool Start();
    // Starts another process of the program with the same settings; returns its exit code
    // (or -1 when it did not end in time).
    int StartSecondInstance(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Starts `count` processes of the program at the same moment; keeps the one that stays
    // and returns the exit codes of the others (empty unless exactly one stays running,
    // fully started, and every other ends).
    std::vector<int> StartManyAtOnce(int count);
    bool WaitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    DWORD ExitCode() const;
    bool Running() const;

    DWORD ProcessId() const { return processId_; }
    HWND MainWindow() const { return FindProcessWindow(L"TTiledexMain", processId_); }
    HWND Popup() const { return FindProcessWindow(L"TTdxMainForm", processId_); }
    bool PopupVisible() const;
    // Presses Ctrl+Alt+J and waits for the popup to be shown.
    bool ShowPopupByHotKey();
    // The text of the popup's name label.
    std::wstring NameLabelText() const;

    // Opens the notification-area menu as a right press on the icon would.
    bool OpenTrayMenu();
    // Whether the shell holds the program's notification-area icon.
    bool TrayIconPresent() const;

private:
    bool Launch(PROCESS_INFORMATION& pi, DWORD creationFlags = 0);

    std::filesystem::path executable_;
    TempFolder appData_;
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
};

}  // namespace tdx::test
