#include "settings/autorun_rules.h"

#include <algorithm>

namespace tdx {
namespace {

wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; }

}  // namespace

std::wstring AutoRunData(std::wstring_view executablePath) {
    std::wstring data;
    data.reserve(executablePath.size() + 2);
    data += L'"';
    data += executablePath;
    data += L'"';
    return data;
}

bool AutoRunDataNamesProgram(std::wstring_view data, std::wstring_view executablePath) {
    if (data.size() >= 2 && data.front() == L'"' && data.back() == L'"')
        data = data.substr(1, data.size() - 2);
    if (data.empty() || data.size() != executablePath.size()) return false;
    return std::equal(data.begin(), data.end(), executablePath.begin(),
                      [](wchar_t a, wchar_t b) { return FoldAscii(a) == FoldAscii(b); });
}

}  // namespace tdx
