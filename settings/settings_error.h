// Errors of the settings store other than a settings file that cannot be
// written (SettingsWriteError, settings_store.h). Message() is the text the
// program shows in its error message box.
#pragma once

#include <stdexcept>
#include <string>

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
        : SettingsError(kind == Kind::WriteFailed ? L"'" + valueName + L"' の設定に失敗しました"
                                                  : L"'" + valueName + L"' のﾃﾞｰﾀ型が不正です"),
          kind_(kind) {}
    Kind GetKind() const noexcept { return kind_; }

private:
    Kind kind_;
};

}  // namespace tdx
