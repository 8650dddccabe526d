// Help requests of the whole program go through one handler that drives the
// compiled help file beside the executable.
#pragma once

#include <windows.h>

#include "popup/app_state.h"

namespace tdx {

// Sets HelpFilePath (the program's path with ".chm").
void InitializeHelp(AppState& app) noexcept;
// command: HELP_CONTEXT, HELP_CONTENTS, HELP_FINDER, HELP_CONTEXTPOPUP, HELP_SETPOPUP_POS,
// HELP_QUIT (closes the help windows at exit);
// anything else does nothing. Always false: the default help engine is never called.
bool HelpRequest(AppState& app, UINT command, DWORD_PTR data) noexcept;

}  // namespace tdx
