// A settings file on disk for Windows tests, read and written straight through
// GetPrivateProfileStringW/WritePrivateProfileStringW. Commit applies the changes
// one by one and stops at the first refused write (not all or nothing: tests
// use it to look at real files, not to test the program's transactions).
#pragma once

#include <string>
#include <vector>

#include "settings/settings_store.h"

namespace tdx::test {

class ProfileSettingsForTests : public SettingsReader, public SettingsWriter {
public:
    explicit ProfileSettingsForTests(std::wstring path) : path_(std::move(path)) {}

    std::optional<std::wstring> ReadString(std::wstring_view section,
                                           std::wstring_view key) const override;
    void WriteString(std::wstring_view section, std::wstring_view key,
                     std::wstring_view value) override;
    void EraseSection(std::wstring_view section) override;
    void Commit() override;

    const std::wstring& Path() const noexcept { return path_; }

private:
    struct Change {
        std::wstring section, key, value;
        bool erase;
    };
    std::wstring path_;
    std::vector<Change> pending_;
};

}  // namespace tdx::test
