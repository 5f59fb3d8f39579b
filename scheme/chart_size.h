#pragma once

namespace velmora {

// A chart has 10 to 1000 stitches a side.
constexpr int kMinStitches = 10;
constexpr int kMaxStitches = 1000;

constexpr int HoldToStitchRange(int stitches)
{
    return stitches < kMinStitches ? kMinStitches : stitches > kMaxStitches ? kMaxStitches : stitches;
}

// The side that keeps the picture's proportions when the other side is set to `chosen` stitches:
// pictureSide × chosen div pictureOther, truncated, held to the stitch range. Picture sides are at
// most 32768 pixels, so the product fits in 32 bits.
constexpr int ProportionalSide(int pictureSide, int chosen, int pictureOther)
{
    return HoldToStitchRange(pictureSide * chosen / pictureOther);
}

} // namespace velmora
