// The hook library as the program uses it: this test process plays the main
// program (it calls SetHook with its own window and counts the notifications),
// hook_target.exe owns the window that the mouse is used on.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "helpers/hook_target_log.h"
#include "hook/hook_share.h"
#include "hook/tdxhook.h"

namespace {

constexpr UINT kHookNotify = 0x07E9;

std::wstring BesideThisProgram(const wchar_t* file) {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, n);
    return dir.substr(0, dir.find_last_of(L"\\/") + 1) + file;
}

// The library loaded the way the system loads it into other processes: by
// name, its procedures found by their export names.
struct HookLibrary {
    HMODULE module = LoadLibraryW(BesideThisProgram(L"tdxhook.dll").c_str());
    decltype(&::SetHook) SetHook = Get<decltype(&::SetHook)>("SetHook");
    decltype(&::SetConfig) SetConfig = Get<decltype(&::SetConfig)>("SetConfig");
    decltype(&::RemoveHook) RemoveHook = Get<decltype(&::RemoveHook)>("RemoveHook");
    HOOKPROC GHookProc = Get<HOOKPROC>("GHookProc");
    HOOKPROC SHookProc = Get<HOOKPROC>("SHookProc");

    template <class F>
    F Get(const char* name) const {
        return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
    }
    bool Complete() const { return module && SetHook && SetConfig && RemoveHook && GHookProc && SHookProc; }
};

bool BlockExists() {
    HANDLE h = OpenFileMappingA(FILE_MAP_READ, FALSE, tdx::hook::kHookShareName);
    if (h) CloseHandle(h);
    return h != nullptr;
}

// The main program's hidden window: every notification is kept.
class ProgramWindow {
public:
    ProgramWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TdxHookTestProgram";
        RegisterClassW(&wc);
        window_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                  wc.hInstance, nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~ProgramWindow() { DestroyWindow(window_); }
    HWND get() const { return window_; }

    // Handles what is queued now (sent messages included).
    void Pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    std::vector<std::pair<WPARAM, LPARAM>> notes;
    int Count(WPARAM kind) const {
        return static_cast<int>(std::count_if(notes.begin(), notes.end(), [&](auto& n) { return n.first == kind; }));
    }
    bool Has(WPARAM kind, HWND window) const {
        return std::find(notes.begin(), notes.end(), std::make_pair(kind, reinterpret_cast<LPARAM>(window))) !=
               notes.end();
    }

private:
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<ProgramWindow*>(GetWindowLongPtrW(w, GWLP_USERDATA));
        if (m == kHookNotify && self) {
            self->notes.emplace_back(wp, lp);
            return 0;
        }
        return DefWindowProcW(w, m, wp, lp);
    }
    HWND window_ = nullptr;
};

// hook_target.exe and its message log.
class Target {
public:
    explicit Target(const wchar_t* className, RECT r = {300, 200, 700, 500}) : rect_(r) {
        std::wstring cmd = L"\"" + BesideThisProgram(L"hook_target.exe") + L"\" " + className + L" " +
                           std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " +
                           std::to_wstring(r.right - r.left) + L" " + std::to_wstring(r.bottom - r.top);
        STARTUPINFOW si{};
        si.cb = sizeof si;
        if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_)) return;
        const std::wstring name = kTargetLogPrefix + std::to_wstring(pi_.dwProcessId);
        for (int i = 0; i < 200 && !log_; ++i) {
            if (HANDLE m = OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str())) {
                mapping_ = m;
                log_ = static_cast<const TargetLog*>(MapViewOfFile(m, FILE_MAP_READ, 0, 0, 0));
            } else {
                Sleep(25);
            }
        }
        for (int i = 0; i < 200 && log_ && !log_->window; ++i) Sleep(25);
        if (log_) window_ = reinterpret_cast<HWND>(static_cast<LONG_PTR>(log_->window));
    }
    ~Target() {
        if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
        if (pi_.hProcess) {
            if (WaitForSingleObject(pi_.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(pi_.hProcess, 1);
            CloseHandle(pi_.hProcess);
            CloseHandle(pi_.hThread);
        }
        if (log_) UnmapViewOfFile(log_);
        if (mapping_) CloseHandle(mapping_);
    }
    HWND window() const { return window_; }
    bool Ready() const { return window_ != nullptr; }

    POINT ClientCentre() const {
        RECT c;
        GetClientRect(window_, &c);
        POINT p{(c.right - c.left) / 2, (c.bottom - c.top) / 2};
        ClientToScreen(window_, &p);
        return p;
    }
    // Over the vertical scroll bar of the child window, away from its arrows.
    POINT ChildScrollBar() const {
        const HWND child = log_ ? reinterpret_cast<HWND>(static_cast<LONG_PTR>(log_->child)) : nullptr;
        RECT w{};
        GetWindowRect(child, &w);
        return {w.right - 2 - GetSystemMetrics(SM_CXVSCROLL) / 2, (w.top + w.bottom) / 2};
    }
    POINT TitleBar() const {
        RECT w;
        GetWindowRect(window_, &w);
        POINT c{0, 0};
        ClientToScreen(window_, &c);
        return {(w.left + w.right) / 2, (w.top + c.y) / 2};  // halfway between frame top and client top
    }
    LONG Marker() const { return log_ ? log_->count : 0; }
    std::vector<UINT> MessagesSince(LONG from) const {
        std::vector<UINT> out;
        for (LONG i = from; log_ && i < log_->count; ++i) out.push_back(log_->entries[i].message);
        return out;
    }
    // Waits (at most ten seconds) until the window has received `message` since entry `from`.
    bool WaitFor(UINT message, LONG from, ProgramWindow* program = nullptr) const {
        for (int i = 0; i < 1000; ++i) {
            if (program) program->Pump();
            for (LONG k = from; log_ && k < log_->count; ++k)
                if (log_->entries[k].message == message) return true;
            Sleep(10);
        }
        return false;
    }

    // Waits (at most ten seconds) for a mouse move to within two pixels of a
    // client point since entry `from`.
    bool WaitForMoveNear(POINT client, LONG from, ProgramWindow* program) const {
        for (int i = 0; i < 1000; ++i) {
            if (program) program->Pump();
            for (LONG k = from; log_ && k < log_->count; ++k) {
                const TargetLog::Entry& e = log_->entries[k];
                const int x = static_cast<short>(LOWORD(e.lParam)), y = static_cast<short>(HIWORD(e.lParam));
                if (e.message == WM_MOUSEMOVE && abs(x - client.x) <= 2 && abs(y - client.y) <= 2) return true;
            }
            Sleep(10);
        }
        return false;
    }

private:
    RECT rect_;
    PROCESS_INFORMATION pi_{};
    HANDLE mapping_ = nullptr;
    const TargetLog* log_ = nullptr;
    HWND window_ = nullptr;
};

// Every input event carries its own screen position, so that where a button
// goes down does not depend on when the cursor was last moved.
POINT g_pointer;

void MouseAt(POINT p, DWORD flags) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = static_cast<LONG>((static_cast<LONGLONG>(p.x) * 65536 + w - 1) / w);
    in.mi.dy = static_cast<LONG>((static_cast<LONGLONG>(p.y) * 65536 + h - 1) / h);
    in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
    g_pointer = p;
}

void MoveTo(POINT p) { MouseAt(p, 0); }
void Mouse(DWORD flags) { MouseAt(g_pointer, flags); }

// Ends an input sequence: a move to a point of the client area that no other
// settle used just before. Once the window has seen the move to that point,
// every earlier button message has been through the hooks and any
// notification has been posted.
void Settle(const Target& target, ProgramWindow& program) {
    static int round = 0;
    round = (round + 1) % 20;
    RECT c;
    GetClientRect(target.window(), &c);
    POINT client{c.right / 2 + 10 + 5 * round, c.bottom / 2 + 20};
    POINT screen = client;
    ClientToScreen(target.window(), &screen);
    const LONG from = target.Marker();
    MoveTo(screen);
    ASSERT_TRUE(target.WaitForMoveNear(client, from, &program));
    program.Pump();
}

std::string Dump(const std::vector<UINT>& got) {
    std::string s;
    char buf[16];
    for (UINT m : got) {
        snprintf(buf, sizeof buf, "%04X ", m);
        s += buf;
    }
    return s;
}

bool Contains(const std::vector<UINT>& got, UINT message) {
    return std::find(got.begin(), got.end(), message) != got.end();
}

// Presses the buttons in order where the pointer is, settles, and returns every
// message the target's window received meanwhile.
std::vector<UINT> Play(const Target& target, ProgramWindow& program,
                       std::initializer_list<DWORD> buttons) {
    const LONG from = target.Marker();
    for (DWORD b : buttons) Mouse(b);
    Settle(target, program);
    return target.MessagesSince(from);
}

class HookLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(lib.Complete());
    }
    void TearDown() override {
        if (installed) lib.RemoveHook();
    }
    void Install(int flags, int mode) {
        ASSERT_EQ(lib.SetHook(program.get(), kHookNotify), 1);
        installed = true;
        lib.SetConfig(flags, mode);
    }
    HookLibrary lib;
    ProgramWindow program;
    bool installed = false;
};

// ---- The built library ------------------------------------------------------

// Both builds of the library: what the system needs to load it into any
// process, and nothing else.
template <class NtHeaders>
void ExpectLibraryImage(const BYTE* base) {
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
    auto* nt = reinterpret_cast<const NtHeaders*>(base + dos->e_lfanew);
    ASSERT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);

    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    ASSERT_NE(imports.VirtualAddress, 0u);
    std::set<std::string> dlls;
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
        std::string name = reinterpret_cast<const char*>(base + d->Name);
        std::transform(name.begin(), name.end(), name.begin(), [](char c) { return static_cast<char>(toupper(c)); });
        dlls.insert(name);
    }
    EXPECT_EQ(dlls, (std::set<std::string>{"KERNEL32.DLL", "USER32.DLL"}));
    EXPECT_EQ(nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_TLS].VirtualAddress, 0u);

    const IMAGE_DATA_DIRECTORY& exports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    ASSERT_NE(exports.VirtualAddress, 0u);
    auto* e = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + exports.VirtualAddress);
    auto* names = reinterpret_cast<const DWORD*>(base + e->AddressOfNames);
    std::set<std::string> exported;
    for (DWORD i = 0; i < e->NumberOfNames; ++i) exported.insert(reinterpret_cast<const char*>(base + names[i]));
    EXPECT_EQ(exported, (std::set<std::string>{"GHookProc", "RemoveHook", "SHookProc", "SetCompanionHook",
                                                "SetCompanionState", "SetConfig", "SetHook"}));
}

TEST(HookLibraryImage, BothBuildsImportOnlyKernel32AndUser32AndExportTheirSevenNames) {
    HookLibrary lib;
    ASSERT_NE(lib.module, nullptr);
    ExpectLibraryImage<IMAGE_NT_HEADERS64>(reinterpret_cast<const BYTE*>(lib.module));

    // The 32-bit build cannot run in this process; it is mapped as an image to be read.
    wchar_t path[MAX_PATH];
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring library32 = path;
    library32 = library32.substr(0, library32.find_last_of(L"\\/") + 1) + L"tdxhook32.dll";
    HMODULE image = ::LoadLibraryExW(library32.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(image, nullptr) << "the 32-bit library was not built";
    const auto base = reinterpret_cast<const BYTE*>(reinterpret_cast<ULONG_PTR>(image) & ~ULONG_PTR{3});
    ASSERT_EQ(reinterpret_cast<const IMAGE_NT_HEADERS32*>(
                  base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew)->FileHeader.Machine,
              IMAGE_FILE_MACHINE_I386);
    ExpectLibraryImage<IMAGE_NT_HEADERS32>(base);
    ::FreeLibrary(image);
}

// The library keeps a view of the block in each process between hook calls and
// relies on this: a view alone does not keep the block's name, so the block
// still ends with the program that holds its handle.
TEST(HookLibraryImage, AViewWithoutAHandleDoesNotKeepTheBlockNamed) {
    const char* name = "TdxHookTestViewOnly";
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 32, name);
    ASSERT_NE(mapping, nullptr);
    void* view = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0);
    ASSERT_NE(view, nullptr);
    CloseHandle(mapping);
    HANDLE again = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name);
    EXPECT_EQ(again, nullptr);
    if (again) CloseHandle(again);
    static_cast<volatile char*>(view)[31] = 1;  // the view itself stays usable
    UnmapViewOfFile(view);
}

// ---- Gestures over another program's window ----------------------------------

TEST_F(HookLibraryTest, LeftHeldRightClickOverAClientAreaIsOneGestureAndTheRightButtonNeverArrives) {
    Target target(L"TdxHookTarget");
    ASSERT_TRUE(target.Ready());
    Install(1, 1);
    MoveTo(target.ClientCentre());
    Settle(target, program);
    const auto got = Play(target, program, {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_RIGHTDOWN,
                                            MOUSEEVENTF_RIGHTUP, MOUSEEVENTF_LEFTUP});
    SCOPED_TRACE(Dump(got));
    EXPECT_EQ(program.Count(0), 1);
    EXPECT_TRUE(program.Has(0, nullptr));
    EXPECT_TRUE(Contains(got, WM_LBUTTONDOWN));
    EXPECT_TRUE(Contains(got, WM_LBUTTONUP));
    EXPECT_FALSE(Contains(got, WM_RBUTTONDOWN));
    EXPECT_FALSE(Contains(got, WM_RBUTTONUP));
    EXPECT_FALSE(Contains(got, WM_CONTEXTMENU));
}

TEST_F(HookLibraryTest, RightClickAloneInModeOnePassesUnchanged) {
    Target target(L"TdxHookTarget");
    ASSERT_TRUE(target.Ready());
    Install(1, 1);
    MoveTo(target.ClientCentre());
    Settle(target, program);
    const auto got = Play(target, program, {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP});
    EXPECT_EQ(program.Count(0), 0);
    EXPECT_TRUE(Contains(got, WM_RBUTTONDOWN));
    EXPECT_TRUE(Contains(got, WM_RBUTTONUP));
    EXPECT_FALSE(Contains(got, WM_NULL));
}

TEST_F(HookLibraryTest, MiddleClickInModeThreeIsOneGestureWithDownAndUpDiscarded) {
    Target target(L"TdxHookTarget");
    ASSERT_TRUE(target.Ready());
    Install(1, 3);
    MoveTo(target.ClientCentre());
    Settle(target, program);
    const auto got = Play(target, program, {MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP});
    EXPECT_EQ(program.Count(0), 1);
    EXPECT_FALSE(Contains(got, WM_MBUTTONDOWN));
    EXPECT_FALSE(Contains(got, WM_MBUTTONUP));
    EXPECT_EQ(std::count(got.begin(), got.end(), WM_NULL), 2);  // both arrived as null messages
}

// The system sends WM_SETCURSOR to the child under the cursor and the child's
// DefWindowProc hands it on to its parent: still one gesture.
TEST_F(HookLibraryTest, MiddleClickOnAChildsScrollBarIsOneGesture) {
    Target target(L"TdxHookTarget");
    ASSERT_TRUE(target.Ready());
    Install(1, 3);
    Settle(target, program);
    MoveTo(target.ChildScrollBar());
    const auto got = Play(target, program, {MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP});
    SCOPED_TRACE(Dump(got));
    EXPECT_TRUE(Contains(got, WM_NCMBUTTONDOWN));  // the click did land on the scroll bar
    EXPECT_EQ(program.Count(0), 1);
}

TEST_F(HookLibraryTest, GestureOverATitleBarIsReportedAndNothingIsDiscarded) {
    Target target(L"TdxHookTarget");
    ASSERT_TRUE(target.Ready());
    Install(1, 1);
    Settle(target, program);
    MoveTo(target.TitleBar());
    const auto got = Play(target, program, {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_RIGHTDOWN,
                                            MOUSEEVENTF_RIGHTUP, MOUSEEVENTF_LEFTUP});
    SCOPED_TRACE(Dump(got));
    EXPECT_EQ(program.Count(0), 1);
    EXPECT_TRUE(Contains(got, WM_NCLBUTTONDOWN));
    EXPECT_TRUE(Contains(got, WM_NCRBUTTONDOWN));
    EXPECT_TRUE(Contains(got, WM_NCRBUTTONUP));
    EXPECT_FALSE(Contains(got, WM_NULL));
}

TEST_F(HookLibraryTest, ModeZeroRecognisesNothing) {
    Target target(L"TdxHookTarget");
    ASSERT_TRUE(target.Ready());
    Install(1, 0);
    MoveTo(target.ClientCentre());
    Settle(target, program);
    const LONG from = target.Marker();
    for (DWORD down : {DWORD{MOUSEEVENTF_LEFTDOWN}, DWORD{MOUSEEVENTF_MIDDLEDOWN}}) {
        Mouse(down);
        Mouse(MOUSEEVENTF_RIGHTDOWN);
        Mouse(MOUSEEVENTF_RIGHTUP);
        Mouse(down << 1);  // the matching up
    }
    Settle(target, program);
    const auto got = target.MessagesSince(from);
    EXPECT_EQ(program.Count(0), 0);
    EXPECT_EQ(std::count(got.begin(), got.end(), WM_RBUTTONDOWN), 2);
    EXPECT_TRUE(Contains(got, WM_MBUTTONDOWN));
    EXPECT_FALSE(Contains(got, WM_NULL));
}

TEST_F(HookLibraryTest, AfterRemoveHookMessagesPassAndNothingIsPosted) {
    Target target(L"TdxHookTarget");
    ASSERT_TRUE(target.Ready());
    Install(1, 3);
    MoveTo(target.ClientCentre());
    Settle(target, program);
    EXPECT_NE(lib.RemoveHook(), 0);
    installed = false;
    const auto got = Play(target, program, {MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP});
    EXPECT_TRUE(program.notes.empty());
    EXPECT_TRUE(Contains(got, WM_MBUTTONDOWN));
    EXPECT_TRUE(Contains(got, WM_MBUTTONUP));
    EXPECT_FALSE(Contains(got, WM_NULL));
}

// ---- Activation reports ---------------------------------------------------

// Activates the target's window and waits for its report (any kind).
void ActivateAndWait(const Target& target, ProgramWindow& program, HWND other) {
    SetForegroundWindow(other);
    program.Pump();
    SetForegroundWindow(target.window());
    for (int i = 0; i < 1000; ++i) {
        program.Pump();
        if (program.Has(1, target.window()) || program.Has(2, target.window())) return;
        Sleep(10);
    }
}

TEST_F(HookLibraryTest, ActivatedConsoleWindowIsReportedAsOneAndOthersAsTwo) {
    Target tty(L"tty");
    ASSERT_TRUE(tty.Ready());
    Install(0, 1);
    ActivateAndWait(tty, program, program.get());
    EXPECT_TRUE(program.Has(1, tty.window()));
    EXPECT_FALSE(program.Has(2, tty.window()));
    EXPECT_EQ(program.Count(1), 1);
}

TEST_F(HookLibraryTest, ClassesThatOnlyResembleTtyAreReportedAsTwo) {
    for (const wchar_t* name : {L"TTY", L"ttyx", L"Tty"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(name)));
        Target target(name);
        ASSERT_TRUE(target.Ready());
        if (!installed) Install(0, 0);
        program.notes.clear();
        ActivateAndWait(target, program, program.get());
        EXPECT_TRUE(program.Has(2, target.window()));
        EXPECT_EQ(program.Count(1), 0);
    }
}

TEST_F(HookLibraryTest, WithDosFlagSetNoActivationIsReported) {
    Target tty(L"tty");
    Target other(L"TdxHookTarget", RECT{100, 100, 300, 300});
    ASSERT_TRUE(tty.Ready() && other.Ready());
    Install(1, 1);
    SetForegroundWindow(other.window());
    SetForegroundWindow(tty.window());
    SetForegroundWindow(other.window());
    // The activations have happened once each window has been told.
    const LONG from = tty.Marker();
    SetForegroundWindow(tty.window());
    ASSERT_TRUE(tty.WaitFor(WM_ACTIVATE, from, &program));
    Settle(other, program);
    program.Pump();
    EXPECT_EQ(program.Count(1), 0);
    EXPECT_EQ(program.Count(2), 0);
    // ...and switching the flag off brings the reports back.
    lib.SetConfig(0, 1);
    ActivateAndWait(other, program, tty.window());
    EXPECT_TRUE(program.Has(2, other.window()));
}

// ---- A process that may not open the block --------------------------------

int g_nextHookCalls = 0;
LRESULT CALLBACK CountingHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) ++g_nextHookCalls;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A process of lower integrity or of another user sees the program's block
// but may not open it for writing; the other programs' hooks there must still
// be called. The library is loaded from a copy, so that what it remembers
// about this process stays with this test.
TEST(HookLibraryDenied, AHookCallThatMayNotOpenTheBlockStillReachesTheNextHook) {
    if (BlockExists()) GTEST_SKIP() << "another process holds the block";
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, FALSE};
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;GR;;;WD)", SDDL_REVISION_1,
                                                                     &sa.lpSecurityDescriptor, nullptr));
    HANDLE block = CreateFileMappingA(INVALID_HANDLE_VALUE, &sa, PAGE_READWRITE, 0, 32, tdx::hook::kHookShareName);
    LocalFree(sa.lpSecurityDescriptor);
    ASSERT_NE(block, nullptr);
    HANDLE probe = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, tdx::hook::kHookShareName);
    ASSERT_EQ(probe, nullptr) << "the block could be opened";
    ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring copy = std::wstring(temp) + L"tdxhook_denied_test.dll";
    ASSERT_TRUE(CopyFileW(BesideThisProgram(L"tdxhook.dll").c_str(), copy.c_str(), FALSE));
    HMODULE module = LoadLibraryW(copy.c_str());
    ASSERT_NE(module, nullptr);
    auto proc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(module, "GHookProc")));
    ASSERT_NE(proc, nullptr);

    // Installed last, the library's hook is called first and must pass on.
    HHOOK next = SetWindowsHookExW(WH_GETMESSAGE, CountingHook, nullptr, GetCurrentThreadId());
    HHOOK library = SetWindowsHookExW(WH_GETMESSAGE, proc, module, GetCurrentThreadId());
    ASSERT_TRUE(next && library);
    g_nextHookCalls = 0;
    for (int i = 0; i < 3; ++i) {
        PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    UnhookWindowsHookEx(library);
    UnhookWindowsHookEx(next);
    FreeLibrary(module);
    CloseHandle(block);
    DeleteFileW(copy.c_str());
    EXPECT_GE(g_nextHookCalls, 3);
}

// ---- Called with anything, in a host process ----------------------------------

void Hammer(const HookLibrary& lib, std::mt19937& rng, ProgramWindow& program, int rounds) {
    static const UINT interesting[] = {WM_ACTIVATE,    WM_SETCURSOR,    WM_LBUTTONDOWN, WM_LBUTTONUP,
                                       WM_RBUTTONDOWN, WM_RBUTTONUP,    WM_MBUTTONDOWN, WM_MBUTTONUP,
                                       WM_LBUTTONDBLCLK, WM_MOUSEMOVE,  WM_NULL,        0xFFFFFFFFu};
    std::uniform_int_distribution<int> pick(0, 99);
    for (int i = 0; i < rounds; ++i) {
        const int codePick = pick(rng);
        const int code = codePick < 80 ? HC_ACTION : codePick < 90 ? -1 : static_cast<int>(rng());
        const UINT message = pick(rng) < 70 ? interesting[rng() % std::size(interesting)] : static_cast<UINT>(rng());
        const WPARAM wParam = pick(rng) < 50 ? (rng() & 0x1F) : (static_cast<WPARAM>(rng()) << 32 | rng());
        const LPARAM lParam = static_cast<LPARAM>(static_cast<WPARAM>(rng()) << 32 | rng());
        if (rng() & 1) {
            MSG msg{};
            msg.hwnd = reinterpret_cast<HWND>(static_cast<LONG_PTR>(rng() & 0xFFFF));
            msg.message = message;
            msg.wParam = wParam;
            msg.lParam = lParam;
            lib.GHookProc(code, rng() & 1, reinterpret_cast<LPARAM>(&msg));
        } else {
            CWPSTRUCT cwp{lParam, wParam, message, reinterpret_cast<HWND>(static_cast<LONG_PTR>(rng() & 0xFFFF))};
            lib.SHookProc(code, rng() & 1, reinterpret_cast<LPARAM>(&cwp));
        }
        if (i % 256 == 0) program.Pump();
    }
}

TEST_F(HookLibraryTest, RandomCallsNeverHurtTheHostAndPassNothingOnWithoutTheBlock) {
    std::mt19937 rng(20260501);
    if (BlockExists()) GTEST_SKIP() << "another process holds the block";
    for (int i = 0; i < 2000; ++i) {
        MSG msg{};
        msg.hwnd = program.get();
        msg.message = WM_RBUTTONDOWN;
        msg.wParam = MK_LBUTTON;
        ASSERT_EQ(lib.GHookProc(HC_ACTION, PM_REMOVE, reinterpret_cast<LPARAM>(&msg)), 1);
        ASSERT_EQ(msg.message, static_cast<UINT>(WM_RBUTTONDOWN));
        CWPSTRUCT cwp{0, WA_ACTIVE, WM_ACTIVATE, program.get()};
        ASSERT_EQ(lib.SHookProc(HC_ACTION, 0, reinterpret_cast<LPARAM>(&cwp)), 1);
    }
    EXPECT_EQ(lib.GHookProc(HC_ACTION, 0, 0), 1);
    Hammer(lib, rng, program, 20000);
    program.Pump();
    EXPECT_TRUE(program.notes.empty());

    // With the block: every mode, activation reports on and off.
    Install(0, 1);
    for (int mode = -1; mode <= 4; ++mode) {
        lib.SetConfig(mode & 1, mode);
        Hammer(lib, rng, program, 20000);
    }
    lib.SetConfig(1, 0);
    EXPECT_EQ(lib.GHookProc(HC_ACTION, 0, 0), 0);  // no record: passed on untouched
    program.Pump();
    EXPECT_FALSE(program.notes.empty());  // the rules did run
}

}  // namespace
