#include "settings/options_io.h"

#include <iterator>

#include "settings/ini_values.h"

namespace tdx {
namespace {

// One table drives both directions, so reading and writing cannot drift apart.
// The order is the one the files have always been written in.
enum class Kind { Integer, Boolean, Color };

struct OptionKey {
    const wchar_t* name;
    Kind kind;
    std::int32_t OptionSet::*integer;
    bool OptionSet::*boolean;
    ColorValue OptionSet::*color;
};

constexpr OptionKey Int(const wchar_t* name, std::int32_t OptionSet::*field) {
    return {name, Kind::Integer, field, nullptr, nullptr};
}
constexpr OptionKey Bool(const wchar_t* name, bool OptionSet::*field) {
    return {name, Kind::Boolean, nullptr, field, nullptr};
}
constexpr OptionKey Color(const wchar_t* name, ColorValue OptionSet::*field) {
    return {name, Kind::Color, nullptr, nullptr, field};
}

constexpr OptionKey kOptionKeys[] = {
    Int(L"VkKey", &OptionSet::VkKey),
    Int(L"VkMod", &OptionSet::VkMod),
    Int(L"MouseFlag", &OptionSet::MouseFlag),
    Int(L"ColMax", &OptionSet::ColMax),
    Int(L"RowMax", &OptionSet::RowMax),
    Int(L"MousePositionFlag", &OptionSet::MousePositionFlag),
    Int(L"KeyCursorFlag", &OptionSet::KeyCursorFlag),
    Int(L"RightClickFlag", &OptionSet::RightClickFlag),
    Int(L"FrameFlag", &OptionSet::FrameFlag),
    Bool(L"MoveCursorFlag", &OptionSet::MoveCursorFlag),
    Bool(L"DirectMoveOnlyFlag", &OptionSet::DirectMoveOnlyFlag),
    Bool(L"KeyPositionFlag", &OptionSet::KeyPositionFlag),
    Bool(L"KeyOnlyFlag", &OptionSet::KeyOnlyFlag),
    Bool(L"KeyNumberFlag", &OptionSet::KeyNumberFlag),
    Int(L"DosFlag", &OptionSet::DosFlag),
    Color(L"BackColor", &OptionSet::BackColor),
    Color(L"TextColor", &OptionSet::TextColor),
};
static_assert(std::size(kOptionKeys) == 17);

}  // namespace

void ReadOptions(const SettingsReader& store, OptionSet& options) {
    const OptionSet defaults;
    for (const OptionKey& key : kOptionKeys) {
        switch (key.kind) {
        case Kind::Integer:
            options.*key.integer =
                ReadInteger(store, kOptionSection, key.name, defaults.*key.integer);
            break;
        case Kind::Boolean:
            options.*key.boolean =
                ReadBoolean(store, kOptionSection, key.name, defaults.*key.boolean);
            break;
        case Kind::Color:
            options.*key.color = static_cast<ColorValue>(ReadInteger(
                store, kOptionSection, key.name, static_cast<std::int32_t>(defaults.*key.color)));
            break;
        }
    }
}

void WriteOptions(SettingsWriter& store, const OptionSet& options) {
    for (const OptionKey& key : kOptionKeys) {
        switch (key.kind) {
        case Kind::Integer:
            WriteInteger(store, kOptionSection, key.name, options.*key.integer);
            break;
        case Kind::Boolean:
            WriteBoolean(store, kOptionSection, key.name, options.*key.boolean);
            break;
        case Kind::Color:
            WriteInteger(store, kOptionSection, key.name,
                         static_cast<std::int32_t>(options.*key.color));
            break;
        }
    }
}

std::int32_t ReadLanguage(const SettingsReader& file1) {
    return ReadInteger(file1, kOptionSection, kLanguageKey, 0);
}

void WriteLanguage(SettingsWriter& file1, std::int32_t language) {
    WriteInteger(file1, kOptionSection, kLanguageKey, language);
}

}  // namespace tdx
