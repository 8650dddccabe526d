#include "winbase/ui_text.h"

#include <map>
#include <mutex>
#include <tuple>
#include <utility>

namespace tdx {
namespace {

struct TextCache {
    std::mutex lock;
    TextLookup lookup = nullptr;
    UiLanguage language = UiLanguage::Japanese;
    // Never erased, not even for another lookup: callers keep the pointers,
    // and the tables are small.
    std::map<std::tuple<TextLookup, UiLanguage, int>, std::wstring> texts;
};

TextCache& Cache() {
    static TextCache cache;
    return cache;
}

}  // namespace

void UseTexts(TextLookup lookup, UiLanguage language) noexcept {
    TextCache& cache = Cache();
    const std::lock_guard hold(cache.lock);
    cache.lookup = lookup;
    cache.language = language;
}

UiLanguage TextLanguage() noexcept {
    TextCache& cache = Cache();
    const std::lock_guard hold(cache.lock);
    return cache.language;
}

const wchar_t* Text(int id) {
    TextCache& cache = Cache();
    const std::lock_guard hold(cache.lock);
    const auto key = std::make_tuple(cache.lookup, cache.language, id);
    auto found = cache.texts.find(key);
    if (found == cache.texts.end()) {
        std::wstring text = cache.lookup ? cache.lookup(cache.language, id) : std::wstring();
        found = cache.texts.emplace(key, std::move(text)).first;
    }
    return found->second.c_str();
}

std::wstring FormatText(int id, std::wstring_view argument) {
    std::wstring text = Text(id);
    const auto at = text.find(L"%1");
    if (at != std::wstring::npos) text.replace(at, 2, argument);
    return text;
}

}  // namespace tdx
