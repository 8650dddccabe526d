// The popup lists the open windows without asking them anything and takes their
// icons as the answers come in. Another program's icon cannot be drawn in this
// one under Wine, so the windows here belong to threads of the test: they
// answer as another program would, from their own message loops, or not at all.
// The popup draws copies of the icons it is given, so icons are compared by
// their pictures.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "popup/task_list_win.h"
#include "popup/tdx_main_form.h"
#include "support/settings_in_memory.h"
#include "settings/item_icons_win.h"
#include "winbase/unique_handle.h"

namespace tdx::test {
namespace {

LRESULT CALLBACK AnswerFromProps(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_GETICON && wParam == ICON_BIG)
        return reinterpret_cast<LRESULT>(::GetPropW(window, L"TdxBigIcon"));
    if (msg == WM_QUERYDRAGICON) return reinterpret_cast<LRESULT>(::GetPropW(window, L"TdxDragIcon"));
    return ::DefWindowProcW(window, msg, wParam, lParam);
}

// A thread with a message loop of its own, as another program's would be; its
// windows are made and destroyed on it.
class ProgramThread {
public:
    ProgramThread() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = AnswerFromProps;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TdxIconAnswers";
        ::RegisterClassW(&wc);
        thread_ = std::thread([this] {
            MSG msg;
            ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
            id_ = ::GetCurrentThreadId();
            while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
                if (msg.hwnd == nullptr && msg.message == WM_APP) {
                    (*reinterpret_cast<std::function<void()>*>(msg.lParam))();
                    ::SetEvent(done_);
                }
                ::DispatchMessageW(&msg);
            }
        });
        while (id_ == 0) ::Sleep(1);
    }
    ~ProgramThread() {
        Run([this] {
            for (HWND w : windows_) ::DestroyWindow(w);
        });
        ::PostThreadMessageW(id_, WM_QUIT, 0, 0);
        thread_.join();
        ::CloseHandle(done_);
    }
    void Run(std::function<void()> work) {
        ::PostThreadMessageW(id_, WM_APP, 0, reinterpret_cast<LPARAM>(&work));
        ::WaitForSingleObject(done_, INFINITE);
    }
    HWND Make(const wchar_t* title, HICON bigIcon = nullptr, HICON dragIcon = nullptr) {
        HWND window = nullptr;
        Run([&] {
            window = ::CreateWindowExW(0, L"TdxIconAnswers", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600,
                                       400, 120, 80, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
            windows_.push_back(window);
        });
        if (bigIcon) ::SetPropW(window, L"TdxBigIcon", bigIcon);
        if (dragIcon) ::SetPropW(window, L"TdxDragIcon", dragIcon);
        return window;
    }
    void Close(HWND window) {
        Run([window] { ::DestroyWindow(window); });
    }

private:
    std::thread thread_;
    std::atomic<DWORD> id_{0};
    HANDLE done_ = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::vector<HWND> windows_;
};

// What an icon looks like drawn at 32 pixels over white and over black; an
// icon that cannot be drawn leaves both empty.
std::vector<DWORD> Picture(HICON icon) {
    constexpr int kSize = 32;
    const UniqueDc dc(::CreateCompatibleDC(nullptr));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = kSize;
    info.bmiHeader.biHeight = -kSize;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    DWORD* bits = nullptr;
    const UniqueBitmap bitmap(
        ::CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0));
    const SelectObjectGuard keep(dc.get(), bitmap.get());
    std::vector<DWORD> picture;
    for (const int stock : {WHITE_BRUSH, BLACK_BRUSH}) {
        const RECT all{0, 0, kSize, kSize};
        ::FillRect(dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(stock)));
        ::DrawIconEx(dc.get(), 0, 0, icon, kSize, kSize, 0, nullptr, DI_NORMAL);
        ::GdiFlush();
        picture.insert(picture.end(), bits, bits + kSize * kSize);
    }
    return picture;
}

struct Task {
    HWND window;
    std::wstring title;
    std::vector<DWORD> icon;
    bool operator==(const Task&) const = default;
};

// In the order of their handles: the window manager may restack windows made a
// moment ago between two looks, and the order has tests of its own.
std::vector<Task> Tasks(const std::vector<LaunchItem>& items) {
    std::vector<Task> tasks;
    for (const LaunchItem& item : items)
        tasks.push_back({static_cast<HWND>(item.Window), item.Title, Picture(static_cast<HICON>(item.Icon))});
    std::sort(tasks.begin(), tasks.end(), [](const Task& x, const Task& y) { return x.window < y.window; });
    return tasks;
}

// gtest prints a mismatch as the windows and titles; the pictures are too long to read.
void PrintTo(const Task& task, std::ostream* out) {
    const auto half = task.icon.begin() + static_cast<std::ptrdiff_t>(task.icon.size() / 2);
    const bool blank = std::all_of(task.icon.begin(), half, [&](DWORD v) { return v == task.icon.front(); }) &&
                       std::all_of(half, task.icon.end(), [&](DWORD v) { return v == task.icon.back(); });
    *out << task.window << " " << ::testing::PrintToString(task.title) << (blank ? " (no icon drawn)" : "");
}

TEST(TaskIcons, AnswersAfterTheShowMakeTheTaskTrayAFreshEnumerationAndAHungWindowHoldsNothing) {
    const HICON a = ::LoadIconW(nullptr, IDI_INFORMATION);
    const HICON b = ::LoadIconW(nullptr, IDI_WARNING);
    const HICON c = ::LoadIconW(nullptr, IDI_ERROR);
    ProgramThread program;
    HWND first = program.Make(L"I first", a);
    HWND second = program.Make(L"I second", nullptr, b);  // only a drag icon
    HWND third = program.Make(L"I third");                // none: the fallback
    HWND fourth = program.Make(L"I fourth", c);

    // A window whose thread is busy and never looks at its messages.
    std::atomic<HWND> stuck{nullptr};
    std::atomic<bool> release{false};
    std::thread busy([&] {
        HWND w = ::CreateWindowExW(0, L"TdxIconAnswers", L"I stuck", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 500, 300,
                                   120, 80, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ::SetPropW(w, L"TdxBigIcon", a);
        stuck = w;
        while (!release) ::Sleep(10);
        ::DestroyWindow(w);
    });
    while (!stuck) ::Sleep(5);

    SettingsInMemory memory;
    TTdxMainForm popup{memory.settings};
    ASSERT_TRUE(popup.Create(nullptr));
    // Another program's icon as Wine hands it to this one: a handle whose
    // picture this process cannot read. It counts as no answer.
    const HICON unreadable = ::CopyIcon(a);
    ::DestroyIcon(unreadable);
    HWND fifth = nullptr;

    const auto showAndSettle = [&](const char* when) {
        popup.ShowPopup(kPopupByHotkey);
        // The stuck window answers nothing, and the fresh look gives it what
        // the popup shows too: its class's icon, here none, so the fallback.
        std::vector<Task> fresh = Tasks(CollectTaskList(nullptr, ApplicationIcon(), 100));
        for (Task& task : fresh) {
            if (task.window == fifth && ::GetPropW(fifth, L"TdxBigIcon") == unreadable)
                task.icon = Picture(ApplicationIcon());
        }
        std::vector<Task> shown;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < deadline) {
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
            shown = Tasks(popup.ShownTrays()[kTaskTray].Items);
            if (shown == fresh) break;
            ::Sleep(10);
        }
        EXPECT_EQ(shown, fresh) << when;
        // Keys still move the cursor while the stuck window owes its answer.
        const std::int32_t cursor = popup.ShownTrays()[kTaskTray].CursorIndex;
        ::SendMessageW(popup.hwnd(), WM_KEYDOWN, VK_RIGHT, 0);
        EXPECT_NE(popup.ShownTrays()[kTaskTray].CursorIndex, cursor) << when;
        popup.HidePopup();
    };
    showAndSettle("first show");

    // Between shows: an icon changes, one comes, a title changes, a window
    // closes and another opens.
    ::SetPropW(first, L"TdxBigIcon", c);
    ::SetPropW(third, L"TdxBigIcon", b);
    ::SetWindowTextW(second, L"I renamed");
    program.Close(fourth);
    fifth = program.Make(L"I fifth", b);
    showAndSettle("after the changes");

    // An icon taken away brings the next source back: here the fallback. An
    // icon that cannot be drawn here is passed over the same way.
    ::RemovePropW(third, L"TdxBigIcon");
    ::SetPropW(fifth, L"TdxBigIcon", unreadable);
    showAndSettle("after an icon went");

    release = true;
    busy.join();
}

}  // namespace
}  // namespace tdx::test
