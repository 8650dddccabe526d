// Errors of the settings store other than a settings file that cannot be
// written (SettingsWriteError, settings_store.h). Message() is the text the
// program shows in its error message box.
#pragma once

#include <stdexcept>
#include <string>

#include "winbase/ui_text.h"

namespace tdx {

class SettingsError : public std::runtime_error {
public:
    explicit SettingsError(std::wstring message)
        : std::runtime_error("settings error"), message_(std::move(message)) {}
    const std::wstring& Message() const noexcept { return message_; }

private:
    std::wstring message_;
};

// The autorun value of the registry could not be written, or holds data of a
// type other than text.
class AutoRunError : public SettingsError {
public:
    enum class Kind { WriteFailed, InvalidType };

    AutoRunError(Kind kind, const std::wstring& valueName)
        : SettingsError(kind == Kind::WriteFailed ? FormatText(IDS_AUTORUN_WRITE_FAILED, valueName)
                                                  : FormatText(IDS_AUTORUN_INVALID_TYPE, valueName)),
          kind_(kind) {}
    Kind GetKind() const noexcept { return kind_; }

private:
    Kind kind_;
};

}  // namespace tdx
