#include "support/profile_settings_win.h"

#include <windows.h>

namespace tdx::test {

std::optional<std::wstring> ProfileSettingsForTests::ReadString(std::wstring_view section,
                                                                std::wstring_view key) const {
    // A default no file holds tells a missing key from an empty one.
    static constexpr wchar_t kMissing[] = L"\x01\x02missing";
    wchar_t buffer[1024];
    ::GetPrivateProfileStringW(std::wstring(section).c_str(), std::wstring(key).c_str(), kMissing,
                               buffer, 1024, path_.c_str());
    if (std::wstring_view(buffer) == kMissing) return std::nullopt;
    return std::wstring(buffer);
}

void ProfileSettingsForTests::WriteString(std::wstring_view section, std::wstring_view key,
                                          std::wstring_view value) {
    pending_.push_back({std::wstring(section), std::wstring(key), std::wstring(value), false});
}

void ProfileSettingsForTests::EraseSection(std::wstring_view section) {
    pending_.push_back({std::wstring(section), {}, {}, true});
}

void ProfileSettingsForTests::Commit() {
    auto changes = std::move(pending_);
    pending_.clear();
    for (const Change& c : changes) {
        const BOOL ok = c.erase ? ::WritePrivateProfileStringW(c.section.c_str(), nullptr, nullptr,
                                                               path_.c_str())
                                : ::WritePrivateProfileStringW(c.section.c_str(), c.key.c_str(),
                                                               c.value.c_str(), path_.c_str());
        if (!ok) throw SettingsWriteError(path_);
    }
}

}  // namespace tdx::test
