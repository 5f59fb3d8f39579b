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

// The most lines a scheme holds. The outlines of a detailed 1000 × 1000 chart come to a few
// thousand; the bound keeps a scheme file's text, and the work of reading it, bounded.
inline constexpr int kMaxBackstitches = 20'000;

} // namespace velmora
