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

// How the chart's size follows a picture when no side is set.
enum class OpenSides {
    EachHeld,     // each side of the picture held to the stitch range on its own (the wizard's start)
    Proportional, // the picture's proportions kept within the range (velmora-cli)
};

// The chart size for a picture of pictureWidth × pictureHeight pixels and the sides the user set:
// both as given; one as given and the other its proportional partner; neither, the picture's own
// size, held to the stitch range as `open` says. Proportional: a longer side over the range is
// set to its largest value, else a shorter side under it to its smallest, the other side
// following as for a side set. The wizard follows the same rule as its fields change.
constexpr ChartSize ChooseChartSize(int pictureWidth, int pictureHeight, std::optional<int> width,
                                    std::optional<int> height, OpenSides open = OpenSides::EachHeld)
{
    if (width && height)
        return {*width, *height};
    if (width)
        return {*width, ProportionalSide(pictureHeight, *width, pictureWidth)};
    if (height)
        return {ProportionalSide(pictureWidth, *height, pictureHeight), *height};
    if (open == OpenSides::Proportional) {
        const bool wide = pictureWidth >= pictureHeight;
        const int longer = wide ? pictureWidth : pictureHeight;
        const int shorter = wide ? pictureHeight : pictureWidth;
        std::optional<int> longerSide;
        std::optional<int> shorterSide;
        if (longer > kMaxStitches)
            longerSide = kMaxStitches;
        else if (shorter < kMinStitches)
            shorterSide = kMinStitches;
        if (longerSide || shorterSide)
            return wide ? ChooseChartSize(pictureWidth, pictureHeight, longerSide, shorterSide)
                        : ChooseChartSize(pictureWidth, pictureHeight, shorterSide, longerSide);
    }
    return {HoldToStitchRange(pictureWidth), HoldToStitchRange(pictureHeight)};
}

} // namespace velmora
