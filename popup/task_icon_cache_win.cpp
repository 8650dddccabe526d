#include "popup/task_icon_cache_win.h"

#include <algorithm>
#include <utility>

#include "popup/task_filter.h"
#include "popup/task_list_win.h"

namespace tdx {
namespace {

// An answer can arrive after its cache is gone (the program ending while a
// window still owes one); only live caches take it.
std::vector<TaskIconCache*>& LiveCaches() {
    static std::vector<TaskIconCache*> caches;
    return caches;
}

HICON ClassIcon(HWND window) noexcept {
    return reinterpret_cast<HICON>(::GetClassLongPtrW(window, GCLP_HICON));
}

}  // namespace

TaskIconCache::TaskIconCache() noexcept {
    try {
        LiveCaches().push_back(this);
    } catch (...) {
        // Without its place in the list the cache takes no answers: every
        // window keeps its class icon or the fallback.
    }
}

TaskIconCache::~TaskIconCache() {
    auto& live = LiveCaches();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
}

std::vector<LaunchItem> TaskIconCache::Collect(HWND residentMain, HICON applicationIcon) {
    std::vector<LaunchItem> tasks = CollectTaskListWith(
        residentMain, applicationIcon, [this](WindowHandle handle, TaskIconSource source) -> IconHandle {
            HWND window = static_cast<HWND>(handle);
            switch (source) {
            case TaskIconSource::WindowBigIcon: {
                // The last answer stands for the window's own sources.
                const Entry* entry = Find(window);
                return entry && entry->answered ? entry->icon.get() : nullptr;
            }
            case TaskIconSource::ClassIcon: {
                // A window seen before costs no question: its class icon was
                // read after the last show.
                const Entry* entry = Find(window);
                if (!entry) return ClassIcon(window);
                return entry->answered ? nullptr : entry->classIcon;
            }
            case TaskIconSource::DragIcon:
                return nullptr;
            }
            return nullptr;
        },
        &classNames_);
    // Windows no longer listed are forgotten; a request one of them still owes
    // finds no entry when it is answered.
    std::erase_if(entries_, [&tasks](const Entry& entry) {
        return std::none_of(tasks.begin(), tasks.end(),
                            [&entry](const LaunchItem& item) { return item.Window == entry.window; });
    });
    retired_.clear();
    return tasks;
}

void TaskIconCache::Refresh(const std::vector<LaunchItem>& tasks, Changed changed) {
    changed_ = std::move(changed);
    std::vector<HWND> windows;
    for (const LaunchItem& item : tasks) {
        HWND window = static_cast<HWND>(item.Window);
        if (!window) continue;
        windows.push_back(window);
        if (!Find(window)) {
            Entry entry;
            entry.window = window;
            entry.classIcon = ClassIcon(window);
            entries_.push_back(std::move(entry));
        } else {
            ReadClassIcon(*Find(window));
        }
    }
    // A window of this thread answers inside the call; the entries are all in
    // place before the first one is asked, so none moves while it is.
    for (HWND window : windows) {
        Entry* entry = Find(window);
        if (entry && entry->pending == Asked::Nothing && !entry->unreadable) Ask(*entry, Asked::BigIcon);
    }
}

void TaskIconCache::Ask(Entry& entry, Asked what) noexcept {
    entry.pending = what;
    const UINT message = what == Asked::BigIcon ? WM_GETICON : WM_QUERYDRAGICON;
    const WPARAM wParam = what == Asked::BigIcon ? ICON_BIG : 0;
    HWND window = entry.window;
    if (!::SendMessageCallbackW(window, message, wParam, 0, Answer, reinterpret_cast<ULONG_PTR>(this))) {
        // The window has gone: it is dropped from the list at the next show.
        if (Entry* still = Find(window)) still->pending = Asked::Nothing;
    }
}

void CALLBACK TaskIconCache::Answer(HWND window, UINT message, ULONG_PTR data, LRESULT result) noexcept {
    auto* cache = reinterpret_cast<TaskIconCache*>(data);
    const auto& live = LiveCaches();
    if (std::find(live.begin(), live.end(), cache) == live.end()) return;
    cache->Receive(window, message, result);
}

void TaskIconCache::Receive(HWND window, UINT message, LRESULT result) noexcept {
    Entry* entry = Find(window);
    if (!entry) return;
    HICON answer = reinterpret_cast<HICON>(result);
    if (message == WM_GETICON && entry->pending == Asked::BigIcon) {
        if (Take(*entry, answer) || Take(*entry, ClassIcon(window))) return;
        Ask(*entry, Asked::DragIcon);
    } else if (message == WM_QUERYDRAGICON && entry->pending == Asked::DragIcon) {
        if (!Take(*entry, answer)) Settle(*entry, nullptr, UniqueIcon{});
    }
}

bool TaskIconCache::Take(Entry& entry, HICON answer) noexcept {
    if (!answer) return false;
    // Most windows give the same icon show after show: the copy made of it
    // the first time still stands.
    if (answer == entry.answer && entry.icon) {
        entry.pending = Asked::Nothing;
        return true;
    }
    UniqueIcon copy(::CopyIcon(answer));
    if (!copy) {
        // Under Wine an icon can be read (and drawn) only in the process that
        // made it: the next source is tried, and at the end the fallback is
        // drawn. Another program's window then never gives an icon that can
        // be, so it is not asked again while it lives, which spares its
        // program a round of messages at every show.
        DWORD process = 0;
        ::GetWindowThreadProcessId(entry.window, &process);
        if (process != ::GetCurrentProcessId()) entry.unreadable = true;
        return false;
    }
    Settle(entry, answer, std::move(copy));
    return true;
}

void TaskIconCache::Settle(Entry& entry, HICON answer, UniqueIcon icon) noexcept {
    entry.pending = Asked::Nothing;
    entry.answered = true;
    entry.answer = answer;
    // The tray may still hold the old copy: it is destroyed once the tray's
    // list is built anew.
    UniqueIcon previous = std::exchange(entry.icon, std::move(icon));
    if (previous) {
        try {
            retired_.push_back(std::move(previous));
        } catch (...) {
            // Out of memory: the copy is kept for good rather than destroyed
            // under a cell that may still draw it.
            static_cast<void>(previous.release());
        }
    }
    if (!changed_) return;
    try {
        changed_(entry.window, entry.icon.get());
    } catch (...) {
        // The cell keeps what it shows; the next show draws the new icon.
    }
}

void TaskIconCache::ReadClassIcon(Entry& entry) noexcept {
    HICON now = ClassIcon(entry.window);
    if (now == entry.classIcon) return;
    entry.classIcon = now;
    // Until the window answers, the cell shows its class's icon.
    if (entry.answered || !changed_) return;
    try {
        changed_(entry.window, now);
    } catch (...) {
        // The cell keeps what it shows; the next show draws the new icon.
    }
}

TaskIconCache::Entry* TaskIconCache::Find(HWND window) noexcept {
    for (Entry& entry : entries_) {
        if (entry.window == window) return &entry;
    }
    return nullptr;
}

}  // namespace tdx
