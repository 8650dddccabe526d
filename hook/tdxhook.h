// The hook library's exports, for the main program (linked through the import
// library) and for the library itself.
//
// The program calls SetHook(its main window, WM_HOOKNOTIFY) once at start-up,
// SetConfig(DosFlag, MouseFlag) after it and after every change of options or
// environment, and RemoveHook at exit, all on the thread and in the process
// that called SetHook. The library then posts WM_HOOKNOTIFY to that window:
// wParam 0 after a mouse gesture (lParam 0); 1 when a window of class "tty"
// became active and 2 when any other window did (lParam that window; only
// while bit 0 of the flags is 0).
#pragma once

#include <windows.h>

#if defined(TDXHOOK_BUILDING)
#define TDXHOOK_API
#else
#define TDXHOOK_API __declspec(dllimport)
#endif

extern "C" {

// Creates the shared block and installs both hooks system-wide.
// Returns 1 on success; 0 if the block or either hook could not be had, in
// which case nothing stays installed.
TDXHOOK_API int WINAPI SetHook(HWND window, UINT message);

// In the 32-bit companion process only: installs the 32-bit library's hooks on
// the block of the running 64-bit program, leaving the block as it is. Returns
// 1 on success, 0 when the program is not running or a hook could not be had.
// RemoveHook removes them again.
TDXHOOK_API int WINAPI SetCompanionHook(void);

// In the program only: whether the 32-bit companion is running and has
// installed its hooks (nonzero). While it has not, the program's hooks also
// act on the calls the system brings to the program for 32-bit programs'
// windows; while it has, they leave those to the companion's.
TDXHOOK_API void WINAPI SetCompanionState(int hooksInstalled);

// flags: bit 0 set = activations are not reported. mode: 0 no gesture,
// 1 left held + right click, 2 right held + left click, 3 middle button.
TDXHOOK_API void WINAPI SetConfig(int flags, int mode);

// Removes both hooks; the result of removing the second (nonzero on success).
TDXHOOK_API BOOL WINAPI RemoveHook(void);

// The hook procedures (WH_GETMESSAGE and WH_CALLWNDPROC). Exported only so
// that they can be installed; nobody calls them.
TDXHOOK_API LRESULT CALLBACK GHookProc(int code, WPARAM wParam, LPARAM lParam);
TDXHOOK_API LRESULT CALLBACK SHookProc(int code, WPARAM wParam, LPARAM lParam);

}  // extern "C"
