// Icons read after the lists: they arrive on the window's thread one by one
// (a fixed drive's are read there too, between its messages), a share that
// does not answer holds back no entry of another drive, and an icon
// that comes after its list was replaced is dropped instead of landing in the
// new list.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <vector>

#include "settings/icon_loader_win.h"
#include "settings/item_icons_win.h"
#include "winbase/unique_handle.h"

namespace tdx {
namespace {

struct Receiver {
    std::vector<LaunchItem>* items = nullptr;
    HICON fallback = nullptr;
    std::vector<HICON> dropped;

    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<Receiver*>(::GetWindowLongPtrW(w, GWLP_USERDATA));
        if (self && m == WM_ICONLOADED) {
            const auto loaded = TakeLoadedIconMessage(lp);
            if (!TakeLoadedIcon(*self->items, loaded->request, loaded->icon, self->fallback)) {
                self->dropped.push_back(loaded->icon);
                ::DestroyIcon(loaded->icon);
            }
            return 0;
        }
        return ::DefWindowProcW(w, m, wp, lp);
    }
};

LaunchItem Entry(const wchar_t* file, HICON fallback) {
    LaunchItem item;
    item.Title = file;
    item.IconFileName = file;
    item.IconIndex = 0;
    item.Icon = fallback;
    return item;
}

bool PumpUntil(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        ::Sleep(5);
    }
    return true;
}

TEST(IconLoader, ASlowFileHoldsBackNoOtherEntryAndItsLateIconNeverLandsInANewList) {
    const HICON fallback = ApplicationIcon();
    ASSERT_NE(fallback, nullptr);
    std::vector<LaunchItem> items{Entry(L"C:\\a.exe", fallback), Entry(L"\\\\gone\\share\\slow.exe", fallback),
                                  Entry(L"C:\\c.exe", fallback)};
    Receiver receiver{&items, fallback, {}};
    WNDCLASSW wc{};
    wc.lpfnWndProc = Receiver::Proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TdxIconLoaderTest";
    ::RegisterClassW(&wc);
    const HWND window = ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                          wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&receiver));

    UniqueKernelHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::vector<DWORD> readers(items.size());
    IconLoader loader([&](const IconRequest& request) {
        readers[request.index] = ::GetCurrentThreadId();
        if (request.iconFileName.find(L"slow") != std::wstring::npos) ::WaitForSingleObject(release.get(), 20000);
        return ::CopyIcon(::LoadIconW(nullptr, IDI_WARNING));
    });
    ASSERT_TRUE(loader.Start(window, PendingIcons(items, 0, fallback)));

    ASSERT_TRUE(PumpUntil([&] { return items[0].Icon != fallback && items[2].Icon != fallback; }))
        << "the entries after the slow one are not held back";
    EXPECT_EQ(items[1].Icon, fallback) << "the slow entry shows the fallback meanwhile";
    // A fixed drive's icons cost no thread; a share's never hold up this one.
    EXPECT_EQ(readers[0], ::GetCurrentThreadId());
    EXPECT_EQ(readers[2], ::GetCurrentThreadId());

    // The list is read again (as after an environment switch) while the slow
    // file still has not answered; then it answers.
    const HICON own = ::CopyIcon(::LoadIconW(nullptr, IDI_INFORMATION));
    std::vector<LaunchItem> replaced{Entry(L"C:\\a.exe", own), Entry(L"\\\\gone\\share\\slow.exe", own)};
    items.swap(replaced);
    ::SetEvent(release.get());
    ASSERT_TRUE(PumpUntil([&] { return !receiver.dropped.empty(); }));
    EXPECT_NE(readers[1], 0u);
    EXPECT_NE(readers[1], ::GetCurrentThreadId());
    EXPECT_EQ(items[1].Icon, own);
    EXPECT_EQ(items[0].Icon, own);

    for (const LaunchItem& item : replaced)
        if (item.Icon != fallback) ::DestroyIcon(static_cast<HICON>(item.Icon));
    ::DestroyIcon(own);
    ::DestroyWindow(window);
}

}  // namespace
}  // namespace tdx
