#include "support/rc_texts.h"

#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace tdx::test {
namespace {

std::string ReadSource(const std::string& relative) {
    std::ifstream in(std::string(TDX_SOURCE_DIR) + "/" + relative, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + relative);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The UTF-8 of the source, with the resource compiler's escapes resolved.
std::wstring RcString(const std::string& quoted) {
    std::wstring out;
    for (std::size_t i = 0; i < quoted.size();) {
        unsigned char c = static_cast<unsigned char>(quoted[i]);
        if (c == '\\' && i + 1 < quoted.size()) {
            const char e = quoted[i + 1];
            out += e == 'r' ? L'\r' : e == 'n' ? L'\n' : e == 't' ? L'\t' : static_cast<wchar_t>(e);
            i += 2;
        } else if (c == '"' && i + 1 < quoted.size() && quoted[i + 1] == '"') {
            out += L'"';
            i += 2;
        } else {
            const int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
            char32_t code = extra == 0 ? c : c & (0x3F >> extra);
            for (int k = 1; k <= extra; ++k) code = (code << 6) | (quoted[i + k] & 0x3F);
            out += static_cast<wchar_t>(code);
            i += 1 + extra;
        }
    }
    return out;
}

RcTables Parse() {
    RcTables tables;
    const std::string ids = ReadSource("winbase/text_ids.h");
    const std::regex define(R"(#define (IDS_\w+) (\d+))");
    for (auto it = std::sregex_iterator(ids.begin(), ids.end(), define); it != std::sregex_iterator(); ++it)
        tables.ids[(*it)[1]] = std::stoi((*it)[2]);

    const std::string rc = ReadSource("resources/strings.rc");
    const std::regex entry(R"re(^\s*(IDS_\w+)\s+"(.*)"\s*$)re");
    std::map<int, std::wstring>* table = nullptr;
    std::istringstream lines(rc);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("LANGUAGE LANG_JAPANESE", 0) == 0) table = &tables.japanese;
        if (line.rfind("LANGUAGE LANG_ENGLISH", 0) == 0) table = &tables.english;
        std::smatch m;
        if (!table || !std::regex_match(line, m, entry)) continue;
        const auto id = tables.ids.find(m[1]);
        if (id == tables.ids.end()) throw std::runtime_error("no id for " + m[1].str());
        (*table)[id->second] = RcString(m[2]);
    }
    return tables;
}

}  // namespace

const RcTables& SourceTables() {
    static const RcTables tables = Parse();
    return tables;
}

std::wstring SourceText(UiLanguage language, int id) {
    const RcTables& tables = SourceTables();
    const auto& table = language == UiLanguage::English ? tables.english : tables.japanese;
    const auto found = table.find(id);
    return found == table.end() ? std::wstring() : found->second;
}

// The portable tests see the Japanese table unless a test picks another.
const bool kJapaneseInstalled = (UseTexts(SourceText, UiLanguage::Japanese), true);

}  // namespace tdx::test
