// The settings files seen as sections of keys, apart from where they are stored.
// Readers never fail: a missing file, section or key gives the caller's default.
// Writers collect their changes and apply them all or nothing in Commit, so that
// a failed write never leaves a half-written section behind.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "winbase/ui_text.h"

namespace tdx {

class SettingsReader {
public:
    virtual ~SettingsReader() = default;
    // The stored text, or nothing when the key is missing.
    virtual std::optional<std::wstring> ReadString(std::wstring_view section,
                                                   std::wstring_view key) const = 0;
};

class SettingsWriter {
public:
    virtual ~SettingsWriter() = default;
    virtual void WriteString(std::wstring_view section, std::wstring_view key,
                             std::wstring_view value) = 0;
    // Removes the section with every key in it.
    virtual void EraseSection(std::wstring_view section) = 0;
    // Applies every change made since the last commit, or none of them; throws
    // SettingsWriteError when the file cannot be written.
    virtual void Commit() = 0;
};

// A settings file that could not be written. Message() is what the user sees.
class SettingsWriteError : public std::runtime_error {
public:
    explicit SettingsWriteError(std::wstring fileName)
        : std::runtime_error("settings file not writable"), fileName_(std::move(fileName)) {}
    const std::wstring& FileName() const noexcept { return fileName_; }
    std::wstring Message() const { return FormatText(IDS_CANNOT_WRITE_FILE, fileName_); }

private:
    std::wstring fileName_;
};

}  // namespace tdx
