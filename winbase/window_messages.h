// Every window message of the program's own, in one place, so that no two
// windows give one number two meanings and a reader finds who posts what.
#pragma once

#include <windows.h>

namespace tdx {

// To the resident's hidden window from its notification-area icon; lParam is
// the mouse message. The number is kept from the first releases.
inline constexpr UINT WM_TRAYNOTIFY = 0x07E8;

// To the resident's hidden window from the hook library (wParam: the hook's
// kNotifyGesture, kNotifyConsoleActive, kNotifyOtherActive) and from the
// program itself (wParam: the values below, past the hook's own).
inline constexpr UINT WM_HOOKNOTIFY = 0x07E9;
inline constexpr WPARAM kNotifyOpenRegistration = 3;
// The hotkey was taken by another program at start-up.
inline constexpr WPARAM kNotifyHotKeyTaken = 4;
// A portable copy's settings folder cannot be written.
inline constexpr WPARAM kNotifySettingsReadOnly = 5;

// To the window that asked for icons: lParam is a LoadedIcon* that the
// receiver takes over with TakeLoadedIconMessage.
inline constexpr UINT WM_ICONLOADED = WM_APP + 0x31;

// Sent to a modeless dialog with each of its key messages (lParam: const MSG*)
// before the dialog manager sees it, so that a dialog can give keys a meaning of
// its own across all its controls (Ctrl+Tab between pages); nonzero when taken.
inline constexpr UINT WM_DIALOGKEY = WM_APP + 0x32;

// Posted by a paint box to itself: a screen reader's default action, run
// outside the reader's call (wParam: the cell's index).
inline constexpr UINT WM_RUNCELL = WM_APP + 0x33;

}  // namespace tdx
