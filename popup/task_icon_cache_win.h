// The Task tray's icons, kept per window between shows. Asking another program's
// window for its icon means waiting for that program, so the popup is shown with
// what is known (the last answer, else the class icon or the fallback) and the
// windows are asked afterwards without waiting; an answer that changes an icon
// is handed to the popup, which draws the cell again.
//
// What is kept is a copy of the answer, made in this process and owned here:
// the other program may change or destroy its icon at any time, and under Wine
// an icon handle belongs to the process that made it and draws nothing
// anywhere else. An answer that cannot be copied is no answer.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "popup/task_list_win.h"
#include "settings/launch_item.h"
#include "winbase/unique_handle.h"

namespace tdx {

class TaskIconCache {
public:
    // Runs on this thread while it reads its messages: the window's icon is now
    // `icon` (null: none of its own, the fallback is drawn). The icon is the
    // cache's copy of an answer, which stays valid until the first Collect
    // after the window has another icon or is no longer listed, or, until the
    // window answers, its class's icon.
    using Changed = std::function<void(HWND window, HICON icon)>;

    TaskIconCache() noexcept;
    ~TaskIconCache();
    TaskIconCache(const TaskIconCache&) = delete;
    TaskIconCache& operator=(const TaskIconCache&) = delete;

    // The listed windows with the icons known now. Sends no message to any
    // window: every fact read is one the window system keeps itself. The icons
    // of windows no longer listed are destroyed, so the list this one replaces
    // must not be drawn again.
    std::vector<LaunchItem> Collect(HWND residentMain, HICON applicationIcon);

    // Asks each listed window for its icon again, in the usual order of
    // sources, without waiting for the answers. A window still owing the answer
    // to an earlier request is not asked again, so a program that has stopped
    // answering collects one request, not one per show, and one whose answers
    // cannot be read in this process is not asked again.
    void Refresh(const std::vector<LaunchItem>& tasks, Changed changed);

private:
    enum class Asked { Nothing, BigIcon, DragIcon };
    struct Entry {
        HWND window = nullptr;
        HICON answer = nullptr;  // the handle the window gave: its program's, never destroyed here
        UniqueIcon icon;         // this process's copy of it, which the tray draws
        bool answered = false;
        // Another program's window whose answer could not be read here; see Take.
        bool unreadable = false;
        Asked pending = Asked::Nothing;
        // The class's icon, read again after each show rather than during it.
        HICON classIcon = nullptr;
    };

    static void CALLBACK Answer(HWND window, UINT message, ULONG_PTR data, LRESULT result) noexcept;
    void Receive(HWND window, UINT message, LRESULT result) noexcept;
    void Ask(Entry& entry, Asked what) noexcept;
    bool Take(Entry& entry, HICON answer) noexcept;
    void Settle(Entry& entry, HICON answer, UniqueIcon icon) noexcept;
    Entry* Find(HWND window) noexcept;
    void ReadClassIcon(Entry& entry) noexcept;

    std::vector<Entry> entries_;
    std::vector<UniqueIcon> retired_;  // replaced copies the tray may still draw
    KnownClassNames classNames_;
    Changed changed_;
};

}  // namespace tdx
