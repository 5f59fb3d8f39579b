#pragma once

namespace velmora {

// The legend's columns, left to right, as the builder fills them and every reader of a legend
// (the window, the printed and exported legends, the scheme file, the thread edits) finds them.
// Scoped by the struct but plain ints, because cell tables are indexed by int.
struct LegendColumn {
    enum : int {
        Number = 0,
        Symbol = 1,
        Colour = 2,
        Name = 3,
        Count = 4,
        // Added after the designed columns when the user asks for skeins to buy.
        Skeins = 5,
    };
    // The columns every legend has.
    static constexpr int kDesigned = Skeins;
};

} // namespace velmora
