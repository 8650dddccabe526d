#include "settings/path_macros.h"

namespace tdx {

namespace {

wchar_t AsciiLower(wchar_t c) noexcept { return (c >= L'A' && c <= L'Z') ? wchar_t(c - L'A' + L'a') : c; }

// Keeps at most limit characters without splitting a surrogate pair.
std::wstring_view CutTo(std::wstring_view text, std::size_t limit) noexcept {
    if (text.size() <= limit) return text;
    std::size_t n = limit;
    if (n > 0 && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
    return text.substr(0, n);
}

}  // namespace

bool StartsWithIgnoringCase(std::wstring_view text, std::wstring_view prefix) noexcept {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (AsciiLower(text[i]) != AsciiLower(prefix[i])) return false;
    }
    return true;
}

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) noexcept {
    return a.size() == b.size() && StartsWithIgnoringCase(a, b);
}

std::wstring SystemDrive(const SystemPaths& paths) { return paths.SystemFolder.substr(0, 2); }

std::wstring DosCommandPath(const SystemPaths& paths) {
    return paths.NtFamily ? paths.SystemFolder + L"\\cmd.exe" : paths.WindowsFolder + L"\\command.com";
}

std::wstring DosIconPath(const SystemPaths& paths) {
    return paths.SystemFolder + (paths.NtFamily ? L"\\cmd.exe" : L"\\WINOA386.MOD");
}

std::wstring InternetExplorerPath(const SystemPaths& paths) {
    return SystemDrive(paths) + L"\\Program Files\\Internet Explorer\\iexplore.exe";
}

std::wstring ExpandPathMacros(std::wstring_view text, const SystemPaths& paths) {
    const std::wstring expanded = paths.ExpandEnvironment ? paths.ExpandEnvironment(text) : std::wstring(text);
    const std::wstring_view e = expanded;

    if (StartsWithIgnoringCase(e, kInternetExplorerMacro)) return InternetExplorerPath(paths);

    struct Macro {
        std::wstring_view name;
        std::wstring (*path)(const SystemPaths&);
    };
    static constexpr Macro kMacros[] = {
        {kDosCommandMacro, &DosCommandPath},
        {kDosIconMacro, &DosIconPath},
        {kSystemFolderMacro, [](const SystemPaths& p) { return p.SystemFolder; }},
    };
    for (const Macro& macro : kMacros) {
        if (StartsWithIgnoringCase(e, macro.name)) {
            return macro.path(paths) + std::wstring(CutTo(e.substr(macro.name.size()), kMacroRestLimit));
        }
    }
    return std::wstring(CutTo(e, kMacroRestLimit));
}

}  // namespace tdx
