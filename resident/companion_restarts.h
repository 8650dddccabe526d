// When the 32-bit companion is started again after it ended while the program
// runs (it crashed, or someone ended it): after a pause that grows, and only a
// few times in a row, so that one that cannot live does not cost the machine
// anything. One that ran for a good while has earned a fresh count.
#pragma once

#include <cstdint>
#include <optional>

namespace tdx {

class CompanionRestarts {
public:
    static constexpr int kMaxInARow = 3;
    static constexpr std::uint32_t kFirstPauseMs = 1000;
    static constexpr std::uint32_t kLongRunMs = 60'000;

    // The companion ended after running ranMs: the pause before it is started
    // again, or nothing when it is not.
    std::optional<std::uint32_t> AfterEnd(std::uint32_t ranMs) noexcept;

private:
    int inARow_ = 0;
};

}  // namespace tdx
