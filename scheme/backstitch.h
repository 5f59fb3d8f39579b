#pragma once

namespace velmora {

// A line of backstitch: a straight stitch from one corner of the chart's grid to another, in one
// thread (catalogue index). Corners are counted from the top left: x in 0..W, y in 0..H.
struct Backstitch {
    int dmc = 0;
    int x1 = 0, y1 = 0;
    int x2 = 0, y2 = 0;
    friend bool operator==(const Backstitch&, const Backstitch&) = default;
};

} // namespace velmora
