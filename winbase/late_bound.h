// Functions of system libraries that only some commands need (help, the file
// and colour dialogs, network drives), bound at their first use so that
// start-up maps only what every run needs.
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

}  // namespace tdx
