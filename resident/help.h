// Help requests of the whole program go through one handler that drives the
// compiled help file beside the executable.
#pragma once

#include <windows.h>

#include <string>

namespace tdx {

class ProgramHelp {
public:
    // The help file is the program's path with ".chm", or the one given.
    explicit ProgramHelp(std::wstring file = {});
    ProgramHelp(const ProgramHelp&) = delete;
    ProgramHelp& operator=(const ProgramHelp&) = delete;

    // Makes this the handler every window's help request (RequestAppHelp) reaches.
    void Install();

    // command: HELP_CONTEXT, HELP_CONTENTS, HELP_FINDER, HELP_CONTEXTPOPUP,
    // HELP_SETPOPUP_POS, HELP_QUIT (closes the help windows at exit);
    // anything else does nothing. Always false: the default help engine is never called.
    bool Request(UINT command, DWORD_PTR data) noexcept;
    const std::wstring& File() const noexcept { return file_; }

private:
    std::wstring file_;
    POINT popupAt_{};
    // Whether a help window may be open, so that exit loads no help engine for nothing.
    bool used_ = false;
};

}  // namespace tdx
