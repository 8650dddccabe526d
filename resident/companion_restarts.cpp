#include "resident/companion_restarts.h"

namespace tdx {

std::optional<std::uint32_t> CompanionRestarts::AfterEnd(std::uint32_t ranMs) noexcept {
    if (ranMs >= kLongRunMs) inARow_ = 0;
    if (inARow_ == kMaxInARow) return std::nullopt;
    // 1, 4, 16 seconds.
    std::uint32_t pause = kFirstPauseMs;
    for (int i = 0; i < inARow_; ++i) pause *= 4;
    ++inARow_;
    return pause;
}

}  // namespace tdx
