// "TLabel": a line of text on the popup (the tray captions, the name label).
// It answers what a plain static control answers (WM_SETTEXT, WM_GETTEXT,
// WM_SETFONT, WM_CTLCOLORSTATIC to its parent, clicks through to the parent,
// static text to screen readers) but is a class of the program's own: under a
// manifest that asks for the version 6 common controls, every static control
// made loads that library, which the popup otherwise never needs.
#pragma once

namespace tdx {

// The class name, registered at the first call.
const wchar_t* LabelClass() noexcept;

}  // namespace tdx
