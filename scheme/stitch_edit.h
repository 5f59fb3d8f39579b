#pragma once

#include "backstitch.h"
#include "cell_table.h"
#include "dmc_inc.h"
#include "scheme_builder.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace velmora {

// A stitch of the chart given a thread: the stitch as y · W + x, the thread as a catalogue index.
// White is the bare cloth: its stitches are empty cells.
struct StitchChange {
    std::int32_t stitch = 0;
    int dmc = kDmcWhite;
};

// What an edit of a scheme's stitches or lines changed, and what taking it back needs. The edits
// of the chart (drawing, filling, cleaning) all return one, so that one undo serves them all.
struct StitchEdit {
    CellTable legendBefore;
    std::vector<std::int32_t> stitches; // y · W + x of every stitch whose thread changed
    std::string symbolsBefore;          // each one's symbol byte before, '\0' for an empty cell
    bool backstitchesChanged = false;
    std::vector<Backstitch> backstitchesBefore; // kept only when they changed
};

// The catalogue index of the thread of stitch (x, y), by its symbol's legend row (White for an
// empty cell). Throws ThreadEditError outside the chart or for a symbol that no row has.
int ThreadOfStitch(const SchemeDocument& document, int x, int y);

// Gives each stitch of `changes` its thread, in order (a stitch named twice takes the last). A
// thread new to the scheme joins the legend with a free symbol of the scheme's list (FreeSymbol);
// a thread left with no crosses keeps its row. The legend's counts follow, sorted light to dark
// as the build sorts it; the mapped picture follows. Throws ThreadEditError for a stitch outside
// the chart or a thread not in the catalogue, and the document then stays as it was.
StitchEdit SetStitches(SchemeDocument& document, std::span<const StitchChange> changes);

// The stitches of the area of one thread around `stitch` (y · W + x): those reached through
// left, right, upper and lower neighbours of the same thread, `stitch` first.
std::vector<std::int32_t> ConnectedStitches(const SchemeDocument& document, std::int32_t stitch);

// Adds a line of backstitch; its thread joins the legend with a free symbol and no crosses when
// the scheme has not got it. Throws ThreadEditError for a line off the grid, of no length, or in
// a thread not in the catalogue.
StitchEdit AddBackstitch(SchemeDocument& document, const Backstitch& line);

// Removes the line of backstitch at `index` of the document's list; its thread keeps its row.
StitchEdit RemoveBackstitch(SchemeDocument& document, std::size_t index);

// Takes back `edit`, the last edit made to `document`: chart, legend, picture and lines become
// what they were before it.
void UndoStitchEdit(SchemeDocument& document, const StitchEdit& edit);

} // namespace velmora
