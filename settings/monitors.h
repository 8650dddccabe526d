// One monitor's full area in screen coordinates, as the monitor enumeration
// reports it; placement works on a list of these.
#pragma once

#include <cstdint>
#include <vector>

namespace tdx {

struct MonitorRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;

    friend bool operator==(const MonitorRect&, const MonitorRect&) = default;
};

using MonitorList = std::vector<MonitorRect>;

}  // namespace tdx
