// What RunEntry does with the entry under the cursor: activate a task, run a
// built-in command, or hand the file to the shell with its working folder.
// Only the folder sees environment expansion; file and arguments go as stored.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "popup/tray_layout.h"

namespace tdx {

// Value of an environment variable, nothing when it is not defined.
using EnvironmentLookup = std::function<std::optional<std::wstring>(std::wstring_view name)>;

// The folder part of a file name: everything before the last backslash or colon.
// A colon stays with the folder, and so does a backslash that follows a colon or
// another backslash: C:\Tools\a.exe -> C:\Tools, C:\a.exe -> C:\, D:a.exe -> D:,
// a.exe -> empty.
std::wstring FolderPartOf(std::wstring_view fileName);

// Replaces each %NAME% that names a defined variable by its value, like the
// system's expansion; an undefined reference stays as written.
std::wstring ExpandEnvironmentReferences(std::wstring_view text, const EnvironmentLookup& lookup);

// DirectoryName, or the folder of ExeFileName when it is empty; then expanded.
std::wstring WorkingFolderFor(const LaunchItem& item, const EnvironmentLookup& lookup);

enum class LaunchKind {
    Nothing,        // no such entry: the popup stays as it is
    ActivateTask,   // ActivateTask(Window)
    SystemCommand,  // RunSystemCommand(Keyword)
    ShellOpen,      // ShellExecute with the default verb and SW_SHOW; result ignored
};

struct LaunchPlan {
    LaunchKind Kind = LaunchKind::Nothing;
    WindowHandle Window = nullptr;
    std::wstring Keyword;
    std::wstring File;
    std::wstring Parameters;
    std::wstring Directory;
    // The popup was shown by a key or gesture: afterwards PopupMode becomes 0 and
    // the popup is hidden (after the command has been issued).
    bool HidePopup = false;
};

// RunEntry's decisions for (tray, index). A switched-off entry is never run: the
// popup does not show it, so nothing can legitimately point at it.
LaunchPlan PlanRunEntry(const Trays& trays, std::int32_t tray, std::int32_t index,
                        std::int32_t popupMode, const EnvironmentLookup& lookup);

}  // namespace tdx
