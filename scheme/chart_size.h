#pragma once

#include "request_limits.h"

#include <optional>

namespace velmora {

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

struct ChartSize {
    int width = 0;
    int height = 0;
};

// The chart size for a picture of pictureWidth × pictureHeight pixels and the sides the user set:
// both as given; one as given and the other its proportional partner; neither, the picture's own
// size held to the stitch range. The wizard follows the same rule as its fields change.
constexpr ChartSize ChooseChartSize(int pictureWidth, int pictureHeight, std::optional<int> width,
                                    std::optional<int> height)
{
    if (width && height)
        return {*width, *height};
    if (width)
        return {*width, ProportionalSide(pictureHeight, *width, pictureWidth)};
    if (height)
        return {ProportionalSide(pictureWidth, *height, pictureHeight), *height};
    return {HoldToStitchRange(pictureWidth), HoldToStitchRange(pictureHeight)};
}

} // namespace velmora
