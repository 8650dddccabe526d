#include "settings/icon_loader_win.h"

#include <objbase.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <iterator>
#include <new>
#include <string>
#include <utility>

#include "settings/item_icons.h"
#include "settings/item_icons_win.h"
#include "settings/path_macros_win.h"
#include "winbase/com_ptr.h"
#include "winbase/late_bound.h"
#include "winbase/unique_handle.h"

namespace tdx {

struct IconLoader::Run {
    HWND notify = nullptr;
    LoadFunction load;
    std::atomic<bool> cancelled{false};
    std::deque<IconRequest> here;  // read on the starting thread, in its timer's turns
    UINT_PTR timer = 0;
};

namespace {

void DropIcon(HICON icon) noexcept {
    ReleaseEntryIcon(icon);
}

// One thread's share of a run: the icons of one drive or share.
struct Job {
    std::shared_ptr<IconLoader::Run> run;
    std::vector<IconRequest> requests;
};

// Reads one icon and posts it; false when the run is over (cancelled).
bool LoadOne(IconLoader::Run& run, const IconRequest& request) noexcept {
    if (run.cancelled) return false;
    HICON icon = nullptr;
    try {
        icon = run.load(request);
    } catch (...) {
        icon = nullptr;  // out of memory: the entry keeps the fallback
    }
    if (run.cancelled) {
        DropIcon(icon);
        return false;
    }
    if (!icon) return true;
    auto* message = new (std::nothrow) LoadedIcon{request, icon};
    if (!message || !::PostMessageW(run.notify, WM_ICONLOADED, 0, reinterpret_cast<LPARAM>(message))) {
        DropIcon(icon);
        delete message;
    }
    return true;
}

DWORD WINAPI LoadIcons(void* parameter) {
    const std::unique_ptr<Job> job(static_cast<Job*>(parameter));
    // Shell icon handlers are COM objects of an apartment of their own.
    const ComApartment com;
    for (const IconRequest& request : job->requests) {
        if (!LoadOne(*job->run, request)) break;
    }
    return 0;
}

// Whether the file's icon can be read without waiting on a network, a disc or
// a device: the shell's special folders, no file at all (the document icon),
// the program's own icons (its file is in use as it runs) and files on fixed
// and RAM drives.
bool ReadsAtOnce(const IconRequest& request, const std::wstring& root) {
    if ((request.status & ItemStatus::SpecialFolder) != 0) return true;
    const std::wstring file = WithoutSurroundingQuotes(request.iconFileName);
    if (file.empty() || EqualsIgnoringCase(file, kOwnProgramIconSource)) return true;
    if (root.size() != 2 || root[1] != L':') return false;
    const UINT type = ::GetDriveTypeW((root + L"\\").c_str());
    return type == DRIVE_FIXED || type == DRIVE_RAMDISK;
}

// The runs read on this thread, by their timer. Timers of a thread are seen
// only by that thread, so no lock: an entry whose run has gone is dropped at
// its next turn.
std::vector<std::weak_ptr<IconLoader::Run>>& RunsHere() {
    static std::vector<std::weak_ptr<IconLoader::Run>> runs;
    return runs;
}

void CALLBACK ReadSomeHere(HWND, UINT, UINT_PTR timer, DWORD) noexcept {
    auto& runs = RunsHere();
    const auto it = std::find_if(runs.begin(), runs.end(), [timer](const auto& weak) {
        const auto run = weak.lock();
        return run && run->timer == timer;
    });
    const std::shared_ptr<IconLoader::Run> run = it == runs.end() ? nullptr : it->lock();
    // Keys and the hotkey come first: a turn ends when one waits, or after
    // about a frame's time, and the next turn comes after them.
    static const ComApartment com;
    const ULONGLONG end = ::GetTickCount64() + 16;
    while (run && !run->here.empty() && !run->cancelled) {
        const IconRequest request = std::move(run->here.front());
        run->here.pop_front();
        if (!LoadOne(*run, request)) break;
        if (::GetTickCount64() >= end || HIWORD(::GetQueueStatus(QS_INPUT | QS_HOTKEY)) != 0) return;
    }
    ::KillTimer(nullptr, timer);
    std::erase_if(runs, [timer](const auto& weak) {
        const auto other = weak.lock();
        return !other || other->timer == timer;
    });
}

}  // namespace

IconLoader::IconLoader(LoadFunction load) : load_(std::move(load)) {
    if (!load_) {
        load_ = [](const IconRequest& r) { return LoadItemIcon(r.status, r.iconFileName, r.iconIndex); };
    }
}

IconLoader::~IconLoader() { Cancel(); }

bool IconLoader::Start(HWND notify, std::vector<IconRequest> requests) {
    Cancel();
    if (requests.empty()) return true;
    auto run = std::make_shared<Run>();
    run->notify = notify;
    run->load = load_;
    // One thread per drive or share that may keep a reader waiting, in the
    // order the entries come.
    std::vector<std::pair<std::wstring, std::unique_ptr<Job>>> jobs;
    const SystemPaths paths = CurrentSystemPaths();
    for (IconRequest& request : requests) {
        std::wstring root = IconFileRoot(request.iconFileName, paths);
        if (ReadsAtOnce(request, root)) {
            run->here.push_back(std::move(request));
            continue;
        }
        auto it = std::find_if(jobs.begin(), jobs.end(), [&](const auto& j) { return j.first == root; });
        if (it == jobs.end()) {
            jobs.emplace_back(std::move(root), std::make_unique<Job>(Job{run, {}}));
            it = std::prev(jobs.end());
        }
        it->second->requests.push_back(std::move(request));
    }
    bool started = true;
    if (!run->here.empty()) {
        run->timer = ::SetTimer(nullptr, 0, USER_TIMER_MINIMUM, ReadSomeHere);
        if (run->timer) RunsHere().push_back(run);
        else started = false;
    }
    for (auto& [root, job] : jobs) {
        // Not joined: a read that hangs on a dead share must not hold up a
        // cancel or the exit.
        UniqueKernelHandle thread(::CreateThread(nullptr, 0, LoadIcons, job.get(), CREATE_SUSPENDED, nullptr));
        if (!thread) {
            started = false;
            continue;
        }
        job.release();
        // Below the UI thread: the icons are wanted soon, the keys at once.
        ::SetThreadPriority(thread.get(), THREAD_PRIORITY_BELOW_NORMAL);
        ::ResumeThread(thread.get());
    }
    run_ = std::move(run);
    return started;
}

void IconLoader::Cancel() noexcept {
    if (run_) run_->cancelled = true;
    run_.reset();
}

std::unique_ptr<LoadedIcon> TakeLoadedIconMessage(LPARAM lParam) noexcept {
    return std::unique_ptr<LoadedIcon>(reinterpret_cast<LoadedIcon*>(lParam));
}

}  // namespace tdx
