#include "resident/help.h"

#include <htmlhelp.h>

#include <string>

#include "resident/help_topics.h"
#include "winbase/app_help.h"
#include "winbase/late_bound.h"
#include "winbase/ui_text.h"

namespace tdx {
namespace {

// Whether a help window may be open, so that exit loads no help engine for nothing.
bool g_helpUsed = false;

// The help engine is loaded at the first help request, not at start-up.
HWND HtmlHelpCall(HWND caller, const wchar_t* file, UINT command, DWORD_PTR data) noexcept {
    static const auto htmlHelp = LateBound<decltype(&::HtmlHelpW)>(L"hhctrl.ocx", "HtmlHelpW");
    return htmlHelp ? htmlHelp(caller, file, command, data) : nullptr;
}

}  // namespace

void InitializeHelp(AppState& app) noexcept {
    wchar_t path[MAX_PATH]{};
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring file(path, n);
    const auto dot = file.find_last_of(L".\\:");
    if (dot != std::wstring::npos && file[dot] == L'.') file.erase(dot);
    // tiledex.chm in Japanese, tiledex-en.chm in English: the language of the texts.
    app.HelpFilePath = file + (TextLanguage() == UiLanguage::English ? L"-en.chm" : L".chm");
    SetAppHelpHandler([&app](UINT command, DWORD_PTR data) { HelpRequest(app, command, data); });
    // The help engine is not initialised for this thread: the viewer then runs
    // on a thread of its own, with its own keyboard handling, and the
    // program's loops need not pass it every message.
}

bool HelpRequest(AppState& app, UINT command, DWORD_PTR data) noexcept {
    const wchar_t* file = app.HelpFilePath.c_str();
    if (command == HELP_CONTEXT || command == HELP_CONTENTS || command == HELP_FINDER ||
        command == HELP_CONTEXTPOPUP)
        g_helpUsed = true;
    switch (command) {
    case HELP_CONTEXT:
        if (const wchar_t* page = HelpTopicPage(static_cast<int>(data))) {
            const std::wstring topic = app.HelpFilePath + L"::/" + page;
            HtmlHelpCall(::GetDesktopWindow(), topic.c_str(), HH_DISPLAY_TOPIC, 0);
        } else {
            HtmlHelpCall(::GetDesktopWindow(), file, HH_HELP_CONTEXT, data);
        }
        break;
    case HELP_CONTENTS:
    case HELP_FINDER:
        HtmlHelpCall(::GetDesktopWindow(), file, HH_DISPLAY_TOPIC, 0);
        break;
    case HELP_CONTEXTPOPUP:
        if (!HtmlHelpCall(::GetDesktopWindow(), file, HH_HELP_CONTEXT, data)) {
            HH_POPUP popup{};
            popup.cbStruct = sizeof(popup);
            popup.idString = static_cast<UINT>(data);
            popup.pt = POINT{app.HelpPopupX, app.HelpPopupY};
            popup.clrForeground = static_cast<COLORREF>(-1);
            popup.clrBackground = static_cast<COLORREF>(-1);
            popup.rcMargins = RECT{-1, -1, -1, -1};
            const std::wstring texts = app.HelpFilePath + L"::/cshelp.txt";
            HWND owner = ::GetActiveWindow();
            HtmlHelpCall(owner ? owner : ::GetDesktopWindow(), texts.c_str(), HH_DISPLAY_TEXT_POPUP,
                        reinterpret_cast<DWORD_PTR>(&popup));
        }
        break;
    case HELP_QUIT:
        // The viewer's windows belong to the program: they go with it.
        if (g_helpUsed) HtmlHelpCall(nullptr, nullptr, HH_CLOSE_ALL, 0);
        g_helpUsed = false;
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
