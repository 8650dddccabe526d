// Keyboard and mouse navigation over trays of any size and content: whatever
// the user presses, the active tray stays one of the three, and running what
// the popup is asked to run touches only entries that exist.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz_input.h"
#include "popup/launch_rules.h"
#include "popup/navigation.h"
#include "popup/popup_mode.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void FillTray(tdx::fuzz::FuzzInput& in, tdx::TrayState& tray) {
    const int count = in.Range(0, 40);
    for (int i = 0; i < count; ++i) {
        tdx::LaunchItem item;
        item.Title = in.Text(4);
        item.Status = in.Byte() & 0x0F;
        item.SetDirectKey(in.Bool() ? in.Byte() : 0);
        tray.Items.push_back(std::move(item));
    }
    tray.CursorIndex = in.Range(-2, count + 2);
    tray.DrawnIndex = in.Range(-2, count + 2);
}

// Commands carry the cursor cell as it is, which may be empty (an empty tray,
// a cursor past a list that shrank): the consumer decides. Run the real one.
void CheckAction(const tdx::Trays& trays, const tdx::PopupAction& action) {
    if (action.Command == tdx::PopupCommand::None) return;
    Check(action.Tray >= 0 && action.Tray < tdx::kTrayCount);
    if (action.Command == tdx::PopupCommand::RunEntry) {
        const tdx::LaunchPlan plan = tdx::PlanRunEntry(
            trays, action.Tray, action.Index, tdx::kPopupByHotkey,
            [](std::wstring_view) { return std::optional<std::wstring>{}; });
        if (plan.Kind != tdx::LaunchKind::Nothing)
            Check(tdx::IsShownCell(trays, action.Tray, action.Index));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tdx::fuzz::FuzzInput in(data, size);
    tdx::Trays trays;
    for (auto& tray : trays) FillTray(in, tray);

    tdx::NavigationSettings settings;
    settings.Columns = in.Range(-3, 40);
    settings.KeyNumberFlag = in.Bool();
    settings.DirectMoveOnlyFlag = in.Bool();
    settings.KeyOnlyFlag = in.Bool();
    settings.RightClickFlag = in.Range(0, 2);

    tdx::NavigationState state;
    tdx::ResetForShow(trays, state);
    state.ActiveTray = in.Range(0, tdx::kTrayCount - 1);
    tdx::PopupNavigator navigator(trays, state, settings);

    while (!in.Empty()) {
        const std::uint8_t op = in.Byte() % 4;
        if (op == 0) {
            tdx::KeyEvent key;
            key.Key = in.Byte();
            key.Shift = in.Bool();
            key.Ctrl = in.Bool();
            CheckAction(trays, navigator.KeyDown(key));
        } else if (op == 1) {
            const std::int32_t tray = in.Range(0, tdx::kTrayCount - 1);
            navigator.TrayMouseMove(tray, in.Range(-50, 2000), in.Range(-50, 2000),
                                    {in.Range(0, 2000), in.Range(0, 2000)}, in.Range(0, 2));
        } else if (op == 2) {
            CheckAction(trays, navigator.HandleDirectKey(in.Byte(), in.Bool()));
        } else {
            // A task went away: the list shrinks, then the cursor settles.
            auto& tasks = trays[tdx::kTaskTray].Items;
            if (!tasks.empty()) tasks.erase(tasks.begin() + in.Range(0, int(tasks.size()) - 1));
            navigator.SettleAfterCloseTask(state.ActiveTray);
        }
        Check(state.ActiveTray >= 0 && state.ActiveTray < tdx::kTrayCount);
        navigator.Cursor();
    }
    return 0;
}
