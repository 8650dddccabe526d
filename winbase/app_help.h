// The program's one help handler. Windows of the lower layers ask for help
// through it; the resident installs the handler that drives the help file.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>

namespace tdx {

using AppHelpHandler = std::function<void(UINT command, DWORD_PTR data)>;

namespace help_detail {
inline AppHelpHandler handler;
}  // namespace help_detail

inline void SetAppHelpHandler(AppHelpHandler handler) { help_detail::handler = std::move(handler); }

// command and data as for WinHelp: HELP_CONTEXT with a context number, HELP_CONTENTS ...
inline void RequestAppHelp(UINT command, DWORD_PTR data) noexcept {
    if (help_detail::handler) help_detail::handler(command, data);
}

}  // namespace tdx
