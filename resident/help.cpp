#include "resident/help.h"

#include <htmlhelp.h>

#include <string>

#include "resident/help_topics.h"
#include "winbase/app_help.h"
#include "winbase/late_bound.h"
#include "winbase/ui_text.h"

namespace tdx {
namespace {

// The help engine is loaded at the first help request, not at start-up.
HWND HtmlHelpCall(HWND caller, const wchar_t* file, UINT command, DWORD_PTR data) noexcept {
    static const auto htmlHelp = LateBound<decltype(&::HtmlHelpW)>(L"hhctrl.ocx", "HtmlHelpW");
    return htmlHelp ? htmlHelp(caller, file, command, data) : nullptr;
}

}  // namespace

ProgramHelp::ProgramHelp(std::wstring file) : file_(std::move(file)) {
    if (!file_.empty()) return;
    wchar_t path[MAX_PATH]{};
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    file_.assign(path, n);
    const auto dot = file_.find_last_of(L".\\:");
    if (dot != std::wstring::npos && file_[dot] == L'.') file_.erase(dot);
    // tiledex.chm in Japanese, tiledex-en.chm in English: the language of the texts.
    file_ += TextLanguage() == UiLanguage::English ? L"-en.chm" : L".chm";
}

void ProgramHelp::Install() {
    SetAppHelpHandler([this](UINT command, DWORD_PTR data) { Request(command, data); });
    // The help engine is not initialised for this thread: the viewer then runs
    // on a thread of its own, with its own keyboard handling, and the
    // program's loops need not pass it every message.
}

bool ProgramHelp::Request(UINT command, DWORD_PTR data) noexcept {
    const wchar_t* file = file_.c_str();
    if (command == HELP_CONTEXT || command == HELP_CONTENTS || command == HELP_FINDER ||
        command == HELP_CONTEXTPOPUP)
        used_ = true;
    switch (command) {
    case HELP_CONTEXT:
        if (const wchar_t* page = HelpTopicPage(static_cast<int>(data))) {
            const std::wstring topic = file_ + L"::/" + page;
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
            popup.pt = popupAt_;
            popup.clrForeground = static_cast<COLORREF>(-1);
            popup.clrBackground = static_cast<COLORREF>(-1);
            popup.rcMargins = RECT{-1, -1, -1, -1};
            const std::wstring texts = file_ + L"::/cshelp.txt";
            HWND owner = ::GetActiveWindow();
            HtmlHelpCall(owner ? owner : ::GetDesktopWindow(), texts.c_str(), HH_DISPLAY_TEXT_POPUP,
                        reinterpret_cast<DWORD_PTR>(&popup));
        }
        break;
    case HELP_QUIT:
        // The viewer's windows belong to the program: they go with it.
        if (used_) HtmlHelpCall(nullptr, nullptr, HH_CLOSE_ALL, 0);
        used_ = false;
        break;
    case HELP_SETPOPUP_POS:
        popupAt_ = POINT{static_cast<LONG>(data & 0xFFFF), static_cast<LONG>((data >> 16) & 0xFFFF)};
        break;
    default:
        break;
    }
    return false;
}

}  // namespace tdx
