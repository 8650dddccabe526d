// A companion that ends while the program runs is started again after a
// growing pause, three times in a row at most; one that ran a minute or more
// counts as a fresh start.
#include "resident/companion_restarts.h"

#include <gtest/gtest.h>

namespace tdx {
namespace {

TEST(CompanionRestarts, PausesGrowAndStopAfterAFewInARow) {
    CompanionRestarts restarts;
    EXPECT_EQ(restarts.AfterEnd(10), 1000u);
    EXPECT_EQ(restarts.AfterEnd(10), 4000u);
    EXPECT_EQ(restarts.AfterEnd(59'999), 16000u);
    EXPECT_EQ(restarts.AfterEnd(10), std::nullopt);
    EXPECT_EQ(restarts.AfterEnd(10), std::nullopt);

    // A companion that lived a minute ended for a reason of its own.
    EXPECT_EQ(restarts.AfterEnd(60'000), 1000u);
    EXPECT_EQ(restarts.AfterEnd(10), 4000u);
}

}  // namespace
}  // namespace tdx
