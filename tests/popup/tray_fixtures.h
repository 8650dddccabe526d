// Trays filled with numbered entries for the popup rule tests.
#pragma once

#include <string>

#include "popup/tray_layout.h"

namespace tdx::test {

inline LaunchItem Entry(std::wstring title, std::uint8_t directKey = 0, std::uint32_t flags = 0) {
    LaunchItem item;
    item.Title = std::move(title);
    item.Status = flags;
    item.SetDirectKey(directKey);
    return item;
}

// `shown` entries in use followed by `off` entries switched off.
inline void Fill(TrayState& tray, int shown, int off = 0) {
    tray.Items.clear();
    for (int i = 0; i < shown; ++i) tray.Items.push_back(Entry(L"e" + std::to_wstring(i)));
    for (int i = 0; i < off; ++i)
        tray.Items.push_back(Entry(L"off" + std::to_wstring(i), 0, ItemStatus::NotInUse));
}

inline Trays MakeTrays(int program, int task, int system) {
    Trays trays;
    Fill(trays[kProgramTray], program);
    Fill(trays[kTaskTray], task);
    Fill(trays[kSystemTray], system);
    return trays;
}

// The US keyboard's Shift+digit row.
inline ShiftedDigits UsDigits() {
    static constexpr char kRow[] = ")!@#$%^&*(";
    ShiftedDigits d;
    d.ShiftedDigitChar = [](std::uint8_t c) -> std::uint8_t {
        return c >= '0' && c <= '9' ? static_cast<std::uint8_t>(kRow[c - '0']) : 0;
    };
    d.DigitForShiftedChar = [](std::uint8_t c) -> std::uint8_t {
        for (int i = 0; i < 10; ++i)
            if (static_cast<std::uint8_t>(kRow[i]) == c) return static_cast<std::uint8_t>('0' + i);
        return 0;
    };
    return d;
}

}  // namespace tdx::test
