#include "support/tiledex_process_win.h"

#include "winbase/unique_handle.h"

#include <shellapi.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <thread>
#include <utility>
#include <vector>

namespace tdx::test {

std::filesystem::path ExeDir() {
    wchar_t path[MAX_PATH]{};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path();
}

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    wchar_t base[MAX_PATH]{};
    ::GetTempPathW(MAX_PATH, base);
    path_ = std::filesystem::path(base) /
            (L"tdx-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
             std::to_wstring(::GetTickCount()) + L"-" + std::to_wstring(counter++));
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

bool WaitUntil(const std::function<bool()>& predicate, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (predicate()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(20);
    }
}

void SettleFocus() {
    HWND front = ::GetForegroundWindow();
    int same = 0;
    WaitUntil(
        [&] {
            const HWND now = ::GetForegroundWindow();
            same = now && now == front ? same + 1 : 0;
            front = now;
            return same >= 3;
        },
        std::chrono::seconds(1));
    // Two answers: the first comes once the thread has taken the focus, the
    // second once it has read what the window system sent back for it.
    for (int i = 0; i < 2 && front; ++i)
        ::SendMessageTimeoutW(front, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, nullptr);
}

void PressKeys(std::initializer_list<WORD> keys) {
    if (keys.size() > 1) SettleFocus();
    std::vector<INPUT> inputs;
    for (WORD vk : keys) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        inputs.push_back(in);
    }
    for (auto it = keys.end(); it != keys.begin();) {
        --it;
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = *it;
        in.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(in);
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

namespace {

struct FindArgs {
    const wchar_t* className;
    DWORD processId;
    HWND found;
    int count;
};

BOOL CALLBACK FindProc(HWND window, LPARAM param) {
    auto* args = reinterpret_cast<FindArgs*>(param);
    wchar_t cls[256]{};
    ::GetClassNameW(window, cls, 256);
    if (wcscmp(cls, args->className) != 0) return TRUE;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (args->processId != 0 && pid != args->processId) return TRUE;
    if (!args->found) args->found = window;
    ++args->count;
    return TRUE;
}

}  // namespace

HWND FindProcessWindow(const wchar_t* className, DWORD processId) {
    FindArgs args{className, processId, nullptr, 0};
    ::EnumWindows(FindProc, reinterpret_cast<LPARAM>(&args));
    return args.found;
}

int CountWindowsOfClass(const wchar_t* className) {
    FindArgs args{className, 0, nullptr, 0};
    ::EnumWindows(FindProc, reinterpret_cast<LPARAM>(&args));
    return args.count;
}

std::wstring WindowText(HWND window) {
    wchar_t text[1024]{};
    ::GetWindowTextW(window, text, 1024);
    return text;
}

std::string WaitForRecordText(const std::filesystem::path& file, std::chrono::milliseconds timeout) {
    std::string text;
    WaitUntil(
        [&] {
            // The helper renames the record into place through a handle that
            // stays open a moment after the name appears; a reader that does
            // not share delete access is refused until that handle closes.
            const UniqueFile in(::CreateFileW(file.c_str(), GENERIC_READ,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!in) return false;
            text.clear();
            char buffer[4096];
            DWORD got = 0;
            while (::ReadFile(in.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
            return !text.empty();
        },
        timeout);
    return text;
}

void WriteSettingsFile(const std::filesystem::path& file, const std::string& contents) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << contents;
}

namespace {

INPUT MouseInput(int x, int y, DWORD flags) {
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = static_cast<LONG>((x * 65535LL + width / 2) / (width - 1));
    in.mi.dy = static_cast<LONG>((y * 65535LL + height / 2) / (height - 1));
    in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    return in;
}

}  // namespace

std::string CodePage932(const std::wstring& text) {
    const int size = ::WideCharToMultiByte(932, 0, text.c_str(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(932, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size,
                          nullptr, nullptr);
    return out;
}

void MoveMouseTo(int x, int y) {
    INPUT in = MouseInput(x, y, 0);
    ::SendInput(1, &in, sizeof(INPUT));
}

void LeftClickAt(int x, int y) {
    INPUT in[3] = {MouseInput(x, y, 0), MouseInput(x, y, MOUSEEVENTF_LEFTDOWN),
                   MouseInput(x, y, MOUSEEVENTF_LEFTUP)};
    ::SendInput(3, in, sizeof(INPUT));
}

ScreenPixels ScreenPixels::Capture(const RECT& area) {
    ScreenPixels shot;
    shot.width_ = area.right - area.left;
    shot.height_ = area.bottom - area.top;
    if (shot.width_ <= 0 || shot.height_ <= 0) return shot;
    shot.pixels_.assign(static_cast<std::size_t>(shot.width_) * shot.height_, 0);
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = shot.width_;
    info.bmiHeader.biHeight = -shot.height_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, shot.width_, shot.height_, screen, area.left, area.top, SRCCOPY);
    ::GdiFlush();
    std::memcpy(shot.pixels_.data(), bits, shot.pixels_.size() * sizeof(DWORD));
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return shot;
}

COLORREF ScreenPixels::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    const DWORD p = pixels_[static_cast<std::size_t>(y) * width_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

MouseRest::MouseRest() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"TdxTestMouseRest";
    ::RegisterClassW(&wc);  // fails harmlessly when an earlier test registered it
    constexpr int kSize = 16;
    const int right = ::GetSystemMetrics(SM_CXSCREEN);
    window_ = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName, L"",
                                WS_POPUP | WS_VISIBLE, right - kSize, 0, kSize, kSize, nullptr, nullptr,
                                wc.hInstance, nullptr);
    MoveMouseTo(right - kSize / 2, kSize / 2);
    // The pointer's arrival is handled here, while no key is down.
    WaitUntil([this] { return Ready(); }, std::chrono::seconds(5));
}

bool MouseRest::Return(HWND clicked) {
    if (!WaitUntil([clicked] { return ::GetForegroundWindow() == clicked; }, std::chrono::seconds(5)))
        return false;
    // The activation's key state arrives in the clicked window's thread right
    // after its focus: a round trip through that thread has it handled.
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(clicked, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &ignored);
    RECT r{};
    ::GetWindowRect(window_, &r);
    MoveMouseTo((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    return WaitUntil([this] { return Ready(); }, std::chrono::seconds(5));
}

MouseRest::~MouseRest() {
    if (window_) ::DestroyWindow(window_);
}

bool MouseRest::Ready() const {
    POINT p{};
    return window_ && ::GetCursorPos(&p) && ::WindowFromPoint(p) == window_;
}

HWND ChildById(HWND parent, int id) { return parent ? ::GetDlgItem(parent, id) : nullptr; }

RECT RectIn(HWND control, HWND reference) {
    RECT r{};
    ::GetWindowRect(control, &r);
    RECT origin{};
    ::GetWindowRect(reference, &origin);
    ::OffsetRect(&r, -origin.left, -origin.top);
    return r;
}

HelperProcess::~HelperProcess() {
    if (!process_) return;
    ::TerminateProcess(process_, 0);
    ::WaitForSingleObject(process_, 5000);
    ::CloseHandle(process_);
}

bool HelperProcess::Start(const std::wstring& exeName, const std::wstring& arguments) {
    const std::wstring exe = (ExeDir() / exeName).wstring();
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          ExeDir().c_str(), &si, &pi)) {
        // Seen once in a full run and never again: the reason is worth having.
        std::fprintf(stderr, "CreateProcess of a helper failed: error %lu\n", ::GetLastError());
        return false;
    }
    ::CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    processId_ = pi.dwProcessId;
    ::WaitForInputIdle(process_, 5000);
    return true;
}

TiledexProcess::TiledexProcess() : executable_(ExeDir() / L"tiledex.exe") {}

TiledexProcess::TiledexProcess(std::filesystem::path executable)
    : executable_(std::move(executable)) {}

TiledexProcess::~TiledexProcess() {
    if (process_) {
        if (Running()) {
            if (HWND main = MainWindow()) ::PostMessageW(main, WM_CLOSE, 0, 0);
            if (::WaitForSingleObject(process_, 5000) != WAIT_OBJECT_0)
                ::TerminateProcess(process_, 99);
            ::WaitForSingleObject(process_, 5000);
        }
        ::CloseHandle(process_);
    }
}

bool TiledexProcess::Launch(PROCESS_INFORMATION& pi, DWORD creationFlags) {
    ::SetEnvironmentVariableW(L"APPDATA", AppData().c_str());
    std::wstring exe = executable_.wstring();
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    return ::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, creationFlags, nullptr,
                            executable_.parent_path().c_str(), &si, &pi) != FALSE;
}

bool TiledexProcess::Start() {
    PROCESS_INFORMATION pi{};
    if (!Launch(pi)) return false;
    ::CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    processId_ = pi.dwProcessId;
    // The popup is created last: once it exists, start-up is complete.
    return WaitUntil([this] {
        return FindProcessWindow(L"TTdxMainForm", processId_) != nullptr || !Running();
    }) && Running();
}

int TiledexProcess::StartSecondInstance(std::chrono::milliseconds timeout) {
    PROCESS_INFORMATION pi{};
    if (!Launch(pi)) return -1;
    ::CloseHandle(pi.hThread);
    int code = -1;
    if (::WaitForSingleObject(pi.hProcess, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0) {
        DWORD exitCode = 0;
        ::GetExitCodeProcess(pi.hProcess, &exitCode);
        code = static_cast<int>(exitCode);
    } else {
        ::TerminateProcess(pi.hProcess, 98);
    }
    ::CloseHandle(pi.hProcess);
    return code;
}

std::vector<int> TiledexProcess::StartManyAtOnce(int count) {
    // Created suspended and then let go together, so that they race for the
    // single-instance check as closely as the system allows.
    std::vector<PROCESS_INFORMATION> started;
    for (int i = 0; i < count; ++i) {
        PROCESS_INFORMATION pi{};
        if (!Launch(pi, CREATE_SUSPENDED)) break;
        started.push_back(pi);
    }
    for (const PROCESS_INFORMATION& pi : started) ::ResumeThread(pi.hThread);
    for (const PROCESS_INFORMATION& pi : started) ::CloseHandle(pi.hThread);

    // Every start but one must end by itself; give them time to.
    std::vector<HANDLE> running;
    for (const PROCESS_INFORMATION& pi : started) running.push_back(pi.hProcess);
    std::vector<int> codes;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (running.size() > 1 && std::chrono::steady_clock::now() < deadline) {
        const DWORD ended = ::WaitForMultipleObjects(static_cast<DWORD>(running.size()), running.data(),
                                                     FALSE, 1000);
        if (ended >= WAIT_OBJECT_0 + running.size()) continue;
        const HANDLE process = running[ended - WAIT_OBJECT_0];
        DWORD exitCode = 0;
        ::GetExitCodeProcess(process, &exitCode);
        codes.push_back(static_cast<int>(exitCode));
        ::CloseHandle(process);
        running.erase(running.begin() + (ended - WAIT_OBJECT_0));
    }
    bool failed = static_cast<int>(started.size()) != count || running.size() != 1;
    if (running.size() == 1) {
        process_ = running.front();
        processId_ = ::GetProcessId(process_);
        // The one that stays must come up fully.
        failed = failed || !WaitUntil([this] {
            return FindProcessWindow(L"TTdxMainForm", processId_) != nullptr || !Running();
        }) || !Running();
    } else {
        for (HANDLE h : running) {
            ::TerminateProcess(h, 98);
            ::CloseHandle(h);
        }
    }
    if (failed) codes.clear();
    return codes;
}

bool TiledexProcess::WaitForExit(std::chrono::milliseconds timeout) {
    return WaitUntil([this] { return !Running(); }, timeout);
}

DWORD TiledexProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_) ::GetExitCodeProcess(process_, &code);
    return code;
}

bool TiledexProcess::Running() const {
    return process_ && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool TiledexProcess::PopupVisible() const {
    HWND popup = Popup();
    return popup && ::IsWindowVisible(popup);
}

bool TiledexProcess::ShowPopupByHotKey() {
    PressKeys({VK_CONTROL, VK_MENU, 'J'});
    return WaitUntil([this] { return PopupVisible(); });
}

std::wstring TiledexProcess::NameLabelText() const {
    // The name panel (121) holds the name label (122).
    return WindowText(ChildById(ChildById(Popup(), 121), 122));
}

bool TiledexProcess::OpenTrayMenu() {
    HWND main = MainWindow();
    if (!main) return false;
    ::PostMessageW(main, 0x07E8, 1, WM_RBUTTONDOWN);
    return WaitUntil([this] {
        HWND menu = FindProcessWindow(L"#32768", processId_);
        return menu && ::IsWindowVisible(menu);
    });
}

bool TiledexProcess::TrayIconPresent() const {
    // Modifying an icon succeeds only while the shell holds it.
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = MainWindow();
    data.uID = 1;
    return data.hWnd && ::Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

}  // namespace tdx::test
