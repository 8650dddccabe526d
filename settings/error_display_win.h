// The program's general error display: a failed operation ends with one message
// box, captioned with the application title.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

#include "settings/settings_store.h"
#include "winbase/ui_text.h"
#include "winbase/window_base.h"

namespace tdx {

inline void ShowErrorMessage(HWND owner, const std::wstring& text) noexcept {
    ::MessageBoxW(owner, text.c_str(), kApplicationTitle, MB_OK | MB_ICONERROR);
}

// Runs an event handler; an error it throws ends the handler, not the program.
template <typename F>
void RunGuarded(HWND owner, F&& handler) noexcept {
    try {
        handler();
    } catch (const SettingsWriteError& e) {
        ShowErrorMessage(owner, e.Message());
    } catch (const std::exception& e) {
        std::string what = e.what();
        ShowErrorMessage(owner, std::wstring(what.begin(), what.end()));
    } catch (...) {
        ShowErrorMessage(owner, Text(IDS_UNEXPECTED_ERROR));
    }
}

}  // namespace tdx
