#include "dialogs/dialog_support.h"

#include <commdlg.h>

#include <vector>

#include "winbase/message_pump.h"
#include "winbase/late_bound.h"
#include "winbase/dpi_scale.h"
#include "winbase/ui_text.h"

namespace tdx {

UniqueFont DialogFont(HWND window, int cellHeight, bool bold, const wchar_t* face) {
    return UniqueFont(::CreateFontW(ScaleForWindow(window, cellHeight), 0, 0, 0,
                                    bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                    SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                    DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, face));
}

bool CreateControls(HWND parent, std::span<const ControlSpec> rows, HFONT font) {
    for (const ControlSpec& row : rows) {
        HWND control = CreateControl(parent, row);
        if (!control) return false;
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    return true;
}

void ShowWarning(HWND owner, const wchar_t* text) noexcept {
    const ModalScope modal;
    ::MessageBoxW(owner, text, Text(IDS_WARNING), MB_OK | MB_ICONWARNING);
}

std::optional<std::wstring> RunOpenFileDialog(HWND owner, const wchar_t* title,
                                              const wchar_t* filter,
                                              const std::wstring& initialFolder,
                                              const std::wstring& initialFile) {
    std::wstring filters(filter);
    for (wchar_t& c : filters)
        if (c == L'|') c = L'\0';
    filters.push_back(L'\0');
    // Long paths are the shell's to offer; the buffer takes what the dialog allows.
    std::vector<wchar_t> file(32768, L'\0');
    initialFile.copy(file.data(), std::min<std::size_t>(initialFile.size(), file.size() - 1));
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filters.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = initialFolder.empty() ? nullptr : initialFolder.c_str();
    ofn.lpstrTitle = title;
    ofn.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_EXPLORER;
    static const auto getOpenFileName =
        LateBound<decltype(&::GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
    BOOL chosen = FALSE;
    {
        const ModalScope modal;
        chosen = getOpenFileName && getOpenFileName(&ofn);
    }
    if (!chosen) return std::nullopt;
    return std::wstring(file.data());
}

std::wstring ControlText(HWND control) {
    const int length = ::GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = ::GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

}  // namespace tdx
