#include "screen_units.h"

#include <cstdint>
#include <limits>

namespace velmora {

int MulDiv(int a, int b, int c)
{
    const std::int64_t p = static_cast<std::int64_t>(a) * b;
    const std::int64_t q = p >= 0 ? (2 * p + c) / (2 * c) : -((-2 * p + c) / (2 * c));
    if (q < std::numeric_limits<int>::min() || q > std::numeric_limits<int>::max())
        return -1;
    return static_cast<int>(q);
}

} // namespace velmora
