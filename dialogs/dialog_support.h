// What the dialogs share on Win32: their fonts, building controls from a layout
// table, the warning box, the platform's open-file dialog and file tests.
#pragma once

#include <windows.h>

#include <optional>
#include <span>
#include <string>

#include "winbase/file_tests.h"
#include "winbase/unique_handle.h"
#include "winbase/window_base.h"

namespace tdx {

// "ＭＳ Ｐゴシック" (or the face given) with the given character-cell height in
// design pixels, scaled for the window.
UniqueFont DialogFont(HWND window, int cellHeight, bool bold = false,
                      const wchar_t* face = L"ＭＳ Ｐゴシック");

// Creates every row of the table on parent with the font; false when one fails.
bool CreateControls(HWND parent, std::span<const ControlSpec> rows, HFONT font);

// The one-line warning of a dialog ("警告", a warning sign, one OK button). The
// hotkey and gestures stay out while it is up.
void ShowWarning(HWND owner, const wchar_t* text) noexcept;

// The platform's open-file dialog for an existing file. filter is written as
// "Name|*.ext|Name|*.*". Nothing when the user cancels. The hotkey and gestures
// stay out while it is up.
std::optional<std::wstring> RunOpenFileDialog(HWND owner, const wchar_t* title,
                                              const wchar_t* filter,
                                              const std::wstring& initialFolder,
                                              const std::wstring& initialFile);


std::wstring ControlText(HWND control);

}  // namespace tdx
