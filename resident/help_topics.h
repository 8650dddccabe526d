// The help file's topic for each help context number of the program's windows.
// The help compiler cannot build a map of more than one context, so the
// program opens the topics by name.
#pragma once

#include <array>

namespace tdx {

struct HelpTopic {
    int context;
    const wchar_t* page;  // inside the help file, e.g. L"options.html"
};

inline constexpr std::array<HelpTopic, 7> kHelpTopics{{
    {10, L"registration.html"},
    {12, L"item_editor.html"},
    {14, L"options.html"},
    {16, L"options_key.html"},
    {18, L"options_mouse.html"},
    {20, L"options_etc.html"},
    {22, L"environments.html"},
}};

// nullptr for a context without a topic of its own.
constexpr const wchar_t* HelpTopicPage(int context) noexcept {
    for (const HelpTopic& topic : kHelpTopics)
        if (topic.context == context) return topic.page;
    return nullptr;
}

}  // namespace tdx
