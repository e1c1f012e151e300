// The tip over its black shadow: each colour channel c of the tip becomes
// floor((c * weight + half) / sum) for the shade below, the same for all
// three channels. Worked out as (c * multiplier + addend) >> 24, which a
// shade may use only when it gives the exact quotient for every c (checked
// once per shade), over whole runs of pixels above one shade.
#pragma once

#include "platform/ui/DC.h"

#include <cstdint>

namespace htmltip {

struct ShadeMultiplier {
    std::uint32_t multiplier = 0;
    std::uint32_t addend = 0;
};

// The multiplier and addend for floor((c * weight + half) / sum), c from 0
// to 255, with 0 < weight <= sum <= 65025 and half < sum; 'exact' holds the
// quotient of each c and says whether they give it for every c.
bool MakeShadeMultiplier(const std::uint8_t exact[256], std::uint32_t weight, std::uint32_t half, std::uint32_t sum,
                         ShadeMultiplier& out);

// out[i] = alphaBits | the three channels of in[i] (its top byte ignored),
// each as (c * multiplier + addend) >> 24.
void ComposeOverShade(const std::uint32_t* in, std::uint32_t* out, int count, const ShadeMultiplier& shade,
                      std::uint32_t alphaBits);

// Where each run of equal pixels of a row ends: runEnd[x] is one past the
// last pixel from x on that equals row[x] without a break (so runEnd[x] is x
// + 1 for a pixel unlike the next, and width for the last run).
void FindRunEnds(const std::uint32_t* row, int width, int* runEnd);

// Fills x, y, width x height of the DC with copies of the tile at sourceX,
// sourceY straight in its pixels, storing what copying the DC onto itself
// tile by tile does. False (nothing done) where that cannot be done so: no
// reachable pixels, a clip, an offset, alpha that counts, a tile outside the
// bitmap or one the area overlaps.
bool CopyTilesInPlace(CDC& dc, int x, int y, int width, int height, int sourceX, int sourceY, int tileWidth,
                      int tileHeight);

}  // namespace htmltip
