// The program's string tables read from their source (resources/strings.rc and
// winbase/text_ids.h), for the portable tests that have no resources to load:
// they then see the very texts the program shows.
#pragma once

#include <map>
#include <string>

#include "winbase/ui_text.h"

namespace tdx::test {

// Id to text, one map per language, as the source defines them.
struct RcTables {
    std::map<std::string, int> ids;  // IDS_ name to number
    std::map<int, std::wstring> japanese;
    std::map<int, std::wstring> english;
};
const RcTables& SourceTables();

// A TextLookup over SourceTables().
std::wstring SourceText(UiLanguage language, int id);

}  // namespace tdx::test
