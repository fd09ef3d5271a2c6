#include "util/columnweights.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace tarsel {

std::vector<int> ComputeWeightedWidths(const std::vector<int> &weights,
                                       const std::vector<bool> &visible, int gridWidth)
{
    const size_t n = std::max(weights.size(), visible.size());
    auto weightAt = [&](size_t i) { return i < weights.size() ? std::max(weights[i], 0) : 0; };
    auto visibleAt = [&](size_t i) { return i < visible.size() && visible[i]; };

    std::int64_t sum = 0;
    for (size_t i = 0; i < n; ++i)
        if (visibleAt(i)) sum += weightAt(i);

    std::vector<int> widths(n, -1);
    if (sum == 0) return widths;

    // C++ integer division truncates toward zero, as the rule asks.
    const std::int64_t unit = std::max<std::int64_t>(0, (std::int64_t(gridWidth) - 30) / sum);
    for (size_t i = 0; i < n; ++i)
        if (visibleAt(i))
            widths[i] = int(std::min<std::int64_t>(weightAt(i) * unit, std::numeric_limits<int>::max()));
    return widths;
}

}  // namespace tarsel
