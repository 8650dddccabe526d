// The program's settings owner over settings files in memory, holding the lists
// a test gives it, for the windows that read it.
#pragma once

#include <utility>

#include "settings/item_test_context.h"
#include "settings/program_settings.h"

namespace tdx::test {

class SettingsInMemory {
public:
    SettingsInMemory() { settings.SetContext(files.Make()); }

    // Stored as a dialog's OK stores them; the entries' icons, if any, are the test's.
    void SetLists(ItemList programs, ItemList systems = {}) {
        SettingsEdit edit;
        edit.BasedOn = settings.Revision();
        edit.Programs = std::move(programs);
        edit.Systems = std::move(systems);
        settings.Commit(edit);
    }

    ItemTestContext files;
    ProgramSettings settings;
};

}  // namespace tdx::test
