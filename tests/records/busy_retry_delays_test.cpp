#include "records/busy_retry_delays.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/test_support.h"

namespace kagaku {
namespace {

using std::chrono::milliseconds;

// The first `count` waits with the spread values given in turn (then 0).
std::vector<long long> Waits(const std::vector<double>& spreads, int count) {
    testing::FakeRandom random;
    for (double v : spreads) {
        random.Push(v);
    }
    BusyRetryDelays delays(random);
    std::vector<long long> out;
    for (int i = 0; i < count; ++i) {
        out.push_back(delays.Next().count());
    }
    return out;
}

struct DelayCase {
    const char* fault;  // what a wrong sequence would do to the pupils waiting
    std::vector<double> spreads;
    int count;
    long long firstAtMost;  // the first wait
    long long anyAtLeast;   // every wait
    long long anyAtMost;    // every wait
    long long lastAtLeast;  // the last wait
};

class BusyRetryDelaysTable : public ::testing::TestWithParam<DelayCase> {};

TEST_P(BusyRetryDelaysTable, StaysWithinItsBounds) {
    const DelayCase& c = GetParam();
    const std::vector<long long> w = Waits(c.spreads, c.count);
    EXPECT_LE(w.front(), c.firstAtMost) << c.fault;
    for (long long ms : w) {
        EXPECT_GE(ms, c.anyAtLeast) << c.fault;
        EXPECT_LE(ms, c.anyAtMost) << c.fault;
    }
    EXPECT_GE(w.back(), c.lastAtLeast) << c.fault;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BusyRetryDelaysTable,
    ::testing::Values(
        DelayCase{"a whole second before the first retry keeps a class waiting for nothing",
                  {0.99},
                  1,
                  4,
                  2,
                  4,
                  2},
        DelayCase{
            "a wait of 0 ms spins on the share and loads the file server", {}, 40, 2, 1, 1000, 1},
        DelayCase{"waits that outgrow a second leave the lock idle while PCs sleep",
                  std::vector<double>(300, 0.999), 300, 4, 2, 1000, 999},
        DelayCase{"waits that never grow hammer a share held for long",
                  std::vector<double>(40, 0.0), 40, 2, 1, 500, 500},
        DelayCase{"a spread outside [0, 1) from a faulty source must not escape the bounds",
                  std::vector<double>(30, 7.0), 30, 4, 2, 1000, 1000}),
    [](const ::testing::TestParamInfo<DelayCase>& p) { return "Case" + std::to_string(p.index); });

// PCs that met at one try must not meet again: different spreads give different waits, and
// the sum of the first waits lets a queue of thirty through well within a second.
TEST(BusyRetryDelays, SpreadSeparatesPcsAndTheFirstWaitsAreShort) {
    EXPECT_NE(Waits({0.0, 0.0, 0.0, 0.0, 0.0, 0.0}, 6), Waits({0.9, 0.9, 0.9, 0.9, 0.9, 0.9}, 6));
    long long firstEight = 0;
    for (long long ms : Waits(std::vector<double>(8, 0.999), 8)) {
        firstEight += ms;
    }
    EXPECT_LT(firstEight, 300);
}

}  // namespace
}  // namespace kagaku
