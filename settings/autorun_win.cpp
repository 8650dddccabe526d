#include "settings/autorun_win.h"

#include "settings/settings_error.h"
#include "settings/settings_folder_win.h"
#include "winbase/unique_handle.h"

namespace tdx {
namespace {

std::wstring ExecutableOf(const AutoRunPlace& place) {
    return place.executablePath.empty() ? RunningExecutablePath() : place.executablePath;
}

UniqueKey OpenRunKey(HKEY root, const std::wstring& path, REGSAM access) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, access, &key) != ERROR_SUCCESS) return {};
    return UniqueKey(key);
}

// The value's text; empty when the key or the value is missing.
std::wstring ReadRunValue(HKEY root, const AutoRunPlace& place) {
    // Read access is enough, and is all a limited user has on the machine's key.
    const UniqueKey key = OpenRunKey(root, place.keyPath, KEY_QUERY_VALUE);
    if (!key) return {};
    DWORD type = 0, bytes = 0;
    LONG status =
        ::RegQueryValueExW(key.get(), place.valueName.c_str(), nullptr, &type, nullptr, &bytes);
    if (status == ERROR_FILE_NOT_FOUND) return {};
    if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw AutoRunError(AutoRunError::Kind::InvalidType, place.valueName);

    // The data need not end with a terminator; room for one more is kept.
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    status = ::RegQueryValueExW(key.get(), place.valueName.c_str(), nullptr, &type,
                                reinterpret_cast<BYTE*>(text.data()), &bytes);
    if (status != ERROR_SUCCESS) return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw AutoRunError(AutoRunError::Kind::InvalidType, place.valueName);
    text.resize(bytes / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

}  // namespace

bool IsAutoRunRegistered() { return IsAutoRunRegistered(AutoRunPlace{}); }

bool IsAutoRunRegistered(const AutoRunPlace& place) {
    const std::wstring exe = ExecutableOf(place);
    bool registered = false;
    for (HKEY root : {place.userRoot, place.machineRoot}) {
        if (AutoRunDataNamesProgram(ReadRunValue(root, place), exe)) registered = true;
    }
    return registered;
}

void SetAutoRun(bool on) { SetAutoRun(on, AutoRunPlace{}); }

void SetAutoRun(bool on, const AutoRunPlace& place) {
    // A machine-wide value is removed whenever the options are confirmed; a
    // limited user may not, and that is not worth a message.
    if (const UniqueKey machine = OpenRunKey(place.machineRoot, place.keyPath, KEY_SET_VALUE))
        ::RegDeleteValueW(machine.get(), place.valueName.c_str());

    if (!on) {
        // Nothing to remove is as good as removed.
        if (const UniqueKey user = OpenRunKey(place.userRoot, place.keyPath, KEY_SET_VALUE))
            ::RegDeleteValueW(user.get(), place.valueName.c_str());
        return;
    }

    // A fresh account may have no Run key yet: make it rather than fail.
    HKEY raw = nullptr;
    if (::RegCreateKeyExW(place.userRoot, place.keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                          nullptr, &raw, nullptr) != ERROR_SUCCESS)
        throw AutoRunError(AutoRunError::Kind::WriteFailed, place.valueName);
    const UniqueKey user(raw);
    const std::wstring data = AutoRunData(ExecutableOf(place));
    const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    if (::RegSetValueExW(user.get(), place.valueName.c_str(), 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(data.c_str()), bytes) != ERROR_SUCCESS)
        throw AutoRunError(AutoRunError::Kind::WriteFailed, place.valueName);
}

}  // namespace tdx
