#include "resident/help.h"

#include <htmlhelp.h>

#include <string>

namespace tdx {

void InitializeHelp(AppState& app) noexcept {
    wchar_t path[MAX_PATH]{};
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring file(path, n);
    const auto dot = file.find_last_of(L".\\:");
    if (dot != std::wstring::npos && file[dot] == L'.') file.erase(dot);
    app.HelpFilePath = file + L".chm";
    DWORD_PTR cookie = 0;
    ::HtmlHelpW(nullptr, nullptr, HH_INITIALIZE, reinterpret_cast<DWORD_PTR>(&cookie));
}

bool HelpRequest(AppState& app, UINT command, DWORD_PTR data) noexcept {
    const wchar_t* file = app.HelpFilePath.c_str();
    switch (command) {
    case HELP_CONTEXT:
        ::HtmlHelpW(::GetDesktopWindow(), file, HH_HELP_CONTEXT, data);
        break;
    case HELP_CONTENTS:
    case HELP_FINDER:
        ::HtmlHelpW(::GetDesktopWindow(), file, HH_DISPLAY_TOPIC, 0);
        break;
    case HELP_CONTEXTPOPUP:
        if (!::HtmlHelpW(::GetDesktopWindow(), file, HH_HELP_CONTEXT, data)) {
            HH_POPUP popup{};
            popup.cbStruct = sizeof(popup);
            popup.idString = static_cast<UINT>(data);
            popup.pt = POINT{app.HelpPopupX, app.HelpPopupY};
            popup.clrForeground = static_cast<COLORREF>(-1);
            popup.clrBackground = static_cast<COLORREF>(-1);
            popup.rcMargins = RECT{-1, -1, -1, -1};
            const std::wstring texts = app.HelpFilePath + L"::/cshelp.txt";
            HWND owner = ::GetActiveWindow();
            ::HtmlHelpW(owner ? owner : ::GetDesktopWindow(), texts.c_str(), HH_DISPLAY_TEXT_POPUP,
                        reinterpret_cast<DWORD_PTR>(&popup));
        }
        break;
    case HELP_SETPOPUP_POS:
        app.HelpPopupX = static_cast<int>(data & 0xFFFF);
        app.HelpPopupY = static_cast<int>((data >> 16) & 0xFFFF);
        break;
    default:
        break;
    }
    return false;
}

}  // namespace tdx
