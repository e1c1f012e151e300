// Integer arithmetic of the layout: multiply-divide as the system rounds it,
// and coordinates kept inside a range where sums of them cannot overflow.
#pragma once

#include <algorithm>
#include <cstdint>

namespace htmltip {

// Coordinates and sizes are kept within this bound, so that adding two of them
// never overflows an int, whatever numbers the markup holds.
inline constexpr int kMaxCoord = 1'000'000'000;

inline int ClampCoord(std::int64_t v)
{
    return static_cast<int>(std::clamp<std::int64_t>(v, -kMaxCoord, kMaxCoord));
}

inline int AddCoord(std::int64_t a, std::int64_t b) { return ClampCoord(a + b); }

// a * b / c rounded half away from zero with a 64-bit product; -1 for c == 0.
inline int MulDiv(int a, int b, int c)
{
    if (c == 0) return -1;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    std::int64_t q = product / c;
    const std::int64_t r = product % c;
    const std::int64_t absR = r < 0 ? -r : r;
    const std::int64_t absC = c < 0 ? -static_cast<std::int64_t>(c) : c;
    if (2 * absR >= absC) q += ((product < 0) != (c < 0)) ? -1 : 1;
    return static_cast<int>(std::clamp<std::int64_t>(q, INT32_MIN, INT32_MAX));
}

}  // namespace htmltip
