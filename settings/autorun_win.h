// The autorun value under the Run key of the registry.
#pragma once

#include <windows.h>

#include <string>

#include "settings/autorun_rules.h"

namespace tdx {

// Where the autorun value lives; tests point it elsewhere.
struct AutoRunPlace {
    HKEY userRoot = HKEY_CURRENT_USER;
    HKEY machineRoot = HKEY_LOCAL_MACHINE;
    std::wstring keyPath = kRunKeyPath;
    std::wstring valueName = kAutoRunValueName;
    std::wstring executablePath;  // empty: the running program
};

// True when the user's or the machine's Run value names this program (quoted or
// not, letter case ignored). Throws AutoRunError (InvalidType) when a value of
// that name holds anything but text.
bool IsAutoRunRegistered();
bool IsAutoRunRegistered(const AutoRunPlace& place);

// Removes a machine-wide value where permitted, then writes the user's value
// (the quoted path) or removes it. Throws AutoRunError (WriteFailed) when the
// user's value cannot be written.
void SetAutoRun(bool on);
void SetAutoRun(bool on, const AutoRunPlace& place);

}  // namespace tdx
