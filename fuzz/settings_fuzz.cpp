// Settings files come from disk, hand-edited or damaged: every reader must take
// any text. The input is read as an INI text (bytes widened to characters),
// every reader runs over it, and what a reader produced must survive being
// written and read again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/environments.h"
#include "settings/ini_values.h"
#include "settings/item_lists.h"
#include "settings/options_io.h"
#include "support/memory_settings.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

tdx::test::MemorySettings ParseIni(const std::uint8_t* data, std::size_t size) {
    tdx::test::MemorySettings store;
    std::wstring section;
    std::wstring line;
    auto flush = [&] {
        if (line.size() >= 2 && line.front() == L'[') {
            const auto close = line.find(L']');
            section = line.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
        } else if (const auto eq = line.find(L'='); eq != std::wstring::npos) {
            store.Set(section, line.substr(0, eq), line.substr(eq + 1));
        }
        line.clear();
    };
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t b = data[i];
        if (b == '\n') {
            flush();
        } else {
            line.push_back(b < 0x80 ? static_cast<wchar_t>(b) : static_cast<wchar_t>(0x3000 + b));
        }
    }
    flush();
    return store;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tdx::test::MemorySettings store = ParseIni(data, size);

    for (const auto& [sectionName, keys] : store.Contents()) {
        for (const auto& [key, value] : keys) {
            if (auto parsed = tdx::ParseInteger(value)) {
                Check(tdx::ParseInteger(tdx::FormatInteger(*parsed)) == parsed);
            }
        }
    }

    tdx::OptionSet options;
    tdx::ReadOptions(store, options);
    tdx::test::MemorySettings optionsCopy;
    tdx::WriteOptions(optionsCopy, options);
    optionsCopy.Commit();
    tdx::OptionSet again;
    tdx::ReadOptions(optionsCopy, again);
    Check(again == options);

    tdx::EnvironmentTable table;
    tdx::ReadEnvironmentTable(store, table);
    Check(table.IniMax >= 1 && table.IniMax <= tdx::kMaxEnvironments);
    Check(table.IniNo >= 1 && table.IniNo <= table.IniMax);
    Check(table.CurrentFileNumber() >= 1 && table.CurrentFileNumber() <= tdx::kMaxEnvironments);

    for (const wchar_t* name : {L"Program", L"System"}) {
        const tdx::ItemList items = tdx::ReadItemSection(store, name);
        tdx::test::MemorySettings copy;
        tdx::WriteItemSection(copy, name, items);
        copy.Commit();
        const tdx::ItemList reread = tdx::ReadItemSection(copy, name);
        Check(reread.size() == items.size());
        for (std::size_t i = 0; i < items.size(); ++i) {
            Check(reread[i].Title == items[i].Title);
            Check(reread[i].Status == items[i].Status);
            Check(reread[i].ExeFileName == items[i].ExeFileName);
            Check(reread[i].ArgumentName == items[i].ArgumentName);
        }
    }
    return 0;
}
