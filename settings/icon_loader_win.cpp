#include "settings/icon_loader_win.h"

#include <objbase.h>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <string>
#include <utility>

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

DWORD WINAPI LoadIcons(void* parameter) {
    const std::unique_ptr<Job> job(static_cast<Job*>(parameter));
    IconLoader::Run& run = *job->run;
    // Shell icon handlers are COM objects of an apartment of their own.
    const ComApartment com;
    for (const IconRequest& request : job->requests) {
        if (run.cancelled) break;
        HICON icon = nullptr;
        try {
            icon = run.load(request);
        } catch (...) {
            icon = nullptr;  // out of memory: the entry keeps the fallback
        }
        if (run.cancelled) {
            DropIcon(icon);
            break;
        }
        if (!icon) continue;
        auto* message = new (std::nothrow) LoadedIcon{request, icon};
        if (!message || !::PostMessageW(run.notify, WM_ICONLOADED, 0, reinterpret_cast<LPARAM>(message))) {
            DropIcon(icon);
            delete message;
        }
    }
    return 0;
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
    // One thread per drive or share, in the order the entries come.
    std::vector<std::pair<std::wstring, std::unique_ptr<Job>>> jobs;
    const SystemPaths paths = CurrentSystemPaths();
    for (IconRequest& request : requests) {
        std::wstring root = IconFileRoot(request.iconFileName, paths);
        auto it = std::find_if(jobs.begin(), jobs.end(), [&](const auto& j) { return j.first == root; });
        if (it == jobs.end()) {
            jobs.emplace_back(std::move(root), std::make_unique<Job>(Job{run, {}}));
            it = std::prev(jobs.end());
        }
        it->second->requests.push_back(std::move(request));
    }
    bool started = true;
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
