// Functions of system libraries that only some commands need (help, the file
// and colour dialogs, network drives, the common controls, COM), bound at their
// first use so that start-up maps only what every run needs.
#pragma once

#include <windows.h>

namespace tdx {

// nullptr when the library or the function is missing.
template <typename Function>
Function LateBound(const wchar_t* library, const char* name) noexcept {
    HMODULE module = ::GetModuleHandleW(library);
    if (!module) module = ::LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// A function of the common controls. They are loaded by their plain name, so
// that the program's manifest picks version 6 (tabs, subclassing) as the
// loader would have; the dialogs that use them are never made at start-up.
template <typename Function>
Function CommonControlsFunction(const char* name) noexcept {
    static const HMODULE module = ::LoadLibraryW(L"comctl32.dll");
    if (!module) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

}  // namespace tdx
