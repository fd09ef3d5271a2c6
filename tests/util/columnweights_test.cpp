// Weighted column widths.

#include "util/columnweights.h"

#include <gtest/gtest.h>

using namespace tarsel;

namespace {

struct WidthCase {
    const char *name;
    std::vector<int> weights;
    std::vector<bool> visible;
    int gridWidth;
    std::vector<int> expected;
};

TEST(ComputeWeightedWidths, Table)
{
    const std::vector<bool> all8(8, true);
    const WidthCase cases[] = {
        {"unit 90 in 1380 px", {2, 4, 2, 2, 1, 1, 2, 1}, all8, 1380, {180, 360, 180, 180, 90, 90, 180, 90}},
        {"hidden columns keep their width and do not count",
         {2, 4, 2, 2, 1, 1, 2, 1},
         {true, false, true, true, true, true, true, true},
         1380,
         {244, -1, 244, 244, 122, 122, 244, 122}},  // 1350 / 11 = 122.7 -> 122
        {"unit truncated toward zero", {3}, {true}, 100, {69}},  // 70 / 3 = 23.3
        {"column without a weight gets 0", {2, 0, 2}, {true, true, true}, 430, {200, 0, 200}},
        {"weights missing at the end count 0", {1}, {true, true}, 130, {100, 0}},
        {"visibility missing at the end means hidden", {1, 1}, {true}, 130, {100, -1}},
        {"negative weight counts 0", {-5, 1}, {true, true}, 130, {0, 100}},
        {"visible weights add up to 0: nothing changes", {0, 0, 3}, {true, true, false}, 500, {-1, -1, -1}},
        {"no visible column: nothing changes", {1, 2}, {false, false}, 500, {-1, -1}},
        {"narrower than the margin: width 0, never negative", {1, 1}, {true, true}, 10, {0, 0}},
        {"exactly the margin", {1}, {true}, 30, {0}},
        {"no columns", {}, {}, 800, {}},
    };
    for (const WidthCase &c : cases)
        EXPECT_EQ(ComputeWeightedWidths(c.weights, c.visible, c.gridWidth), c.expected) << c.name;
}

}  // namespace
