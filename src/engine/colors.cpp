#include "colors.h"

namespace colors {

namespace {
std::int64_t floorDiv(std::int64_t a, std::int64_t b)
{
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}
} // namespace

Components split(Color color)
{
    const std::int64_t c = color;
    return {static_cast<int>(c % 256), static_cast<int>(floorDiv(c, 256) % 256),
            static_cast<int>(floorDiv(c, 65536))};
}

} // namespace colors
