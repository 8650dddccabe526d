#include "winbase/ui_text_win.h"

namespace tdx {
namespace {

LANGID TableLanguage(UiLanguage language) noexcept {
    return language == UiLanguage::English ? MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)
                                           : MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
}

// Looked up by hand rather than with LoadStringW, which takes the table of the
// thread's UI language: this one takes the table asked for. A string table
// block holds 16 counted strings; block n holds the ids 16(n-1) to 16n-1.
bool FindTableText(LANGID language, int id, std::wstring& text) noexcept {
    const HMODULE module = ::GetModuleHandleW(nullptr);
    const HRSRC block = ::FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
    if (!block) return false;
    const HGLOBAL loaded = ::LoadResource(module, block);
    const auto* p = loaded ? static_cast<const WCHAR*>(::LockResource(loaded)) : nullptr;
    if (!p) return false;
    const WCHAR* end = p + ::SizeofResource(module, block) / sizeof(WCHAR);
    for (int i = 0; i < id % 16 && p < end; ++i) p += 1 + *p;
    if (p >= end || *p == 0 || p + 1 + *p > end) return false;
    try {
        text.assign(p + 1, *p);
    } catch (...) {
        return false;
    }
    return true;
}

}  // namespace

const wchar_t* ResolveText(const wchar_t* text) {
    if (text && IS_INTRESOURCE(text)) return Text(static_cast<int>(reinterpret_cast<ULONG_PTR>(text)));
    return text;
}

UiLanguage SystemUiLanguage() noexcept {
    return PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_JAPANESE ? UiLanguage::Japanese
                                                                          : UiLanguage::English;
}

UiLanguage ChosenUiLanguage(int optionValue) noexcept {
    if (optionValue == static_cast<int>(UiLanguage::Japanese)) return UiLanguage::Japanese;
    if (optionValue == static_cast<int>(UiLanguage::English)) return UiLanguage::English;
    return SystemUiLanguage();
}

std::wstring ResourceText(UiLanguage language, int id) {
    std::wstring text;
    if (FindTableText(TableLanguage(language), id, text)) return text;
    if (FindTableText(TableLanguage(UiLanguage::Japanese), id, text)) return text;
    return {};
}

void UseUiLanguage(int optionValue) noexcept { UseTexts(ResourceText, ChosenUiLanguage(optionValue)); }

}  // namespace tdx
