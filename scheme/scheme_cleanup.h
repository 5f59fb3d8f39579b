#pragma once

#include "picture/bitmap.h"
#include "picture/color.h"
#include "scheme_builder.h"
#include "stitch_edit.h"

#include <array>
#include <functional>
#include <span>
#include <vector>

namespace velmora {

// The clean-up passes that make a built chart easier to stitch: legend rows no one stitches,
// threads bought for a handful of stitches, and single stitches ("confetti"), each of which
// means ending, securing and starting a thread. Each pass changes the scheme through SetStitches
// and returns its edits in the order made, so that UndoStitchEdits takes it back; the legend stays
// sorted light to dark, numbered, and its counts are the chart's.

// Fewest stitches per thread: 1..kMaxFewestStitches; the window offers kDefaultFewestStitches.
inline constexpr int kMaxFewestStitches = 10000;
inline constexpr int kDefaultFewestStitches = 20;
// The largest group of stitches counted as confetti: 1..kMaxConfettiGroup, 1 unless asked.
inline constexpr int kMaxConfettiGroup = 20;
inline constexpr int kDefaultConfettiGroup = 1;

// How far apart two colours are. The passes choose threads by the distance the scheme's build
// matched colours by, so that they agree with it on which thread is nearest.
using ColourDistanceFunction = std::function<double(Color, Color)>;

// The colour distance of the build that made a scheme of `request`: CIEDE2000 for the perceptual
// build, else squared RGB distance (ColorDistance).
ColourDistanceFunction BuildColourDistance(const SchemeRequest& request);

// Rows whose thread has no stitch on the chart and draws no line of backstitch leave the legend
// with their symbols (White's row, as the legend has it without White, stays empty).
std::vector<StitchEdit> RemoveUnusedThreads(SchemeDocument& document);

// Every thread with 1 to fewest − 1 stitches is merged into its neighbours, the thread with the
// fewest stitches first (equal counts: catalogue order). Stitch by stitch, from the edge of its
// areas inwards, each stitch takes, of the threads of its eight neighbours, the one nearest in
// colour to the merged thread (equally near: the first in the catalogue). A thread still under
// `fewest` after taking in stitches is merged in its turn. White, the bare cloth, is never merged
// away (it costs no skein), but it takes stitches like any thread. A thread merged leaves the
// legend unless it draws backstitch. Throws ThreadEditError for `fewest` outside
// 1..kMaxFewestStitches.
std::vector<StitchEdit> MergeSmallThreads(SchemeDocument& document, int fewest, const ColourDistanceFunction& distance);

// Confetti: an area of at most `largestGroup` stitches of one thread that touch at a side or a
// corner, with no stitch of their thread among the eight around any of them; the empty cells of
// White count as a thread. Each group takes, of the threads around it, the one nearest in colour
// to the picture there: `source` (W × H, as the build sampled it) summed over the group's
// stitches, or, with no source at hand (an empty bitmap or another size), the group's own thread
// colour; equally near: the first in the catalogue. The groups are taken in the order of their
// first stitch, top row first; a group whose new area is still confetti is taken again, until
// none is left. Lines of a stitch's width stay: their stitches have neighbours of their thread. A
// thread left with no stitch leaves the legend unless it draws backstitch. Throws ThreadEditError
// for `largestGroup` outside 1..kMaxConfettiGroup.
std::vector<StitchEdit> RemoveConfetti(SchemeDocument& document, int largestGroup, const Bitmap& source,
                                       const ColourDistanceFunction& distance);

// The share (0..1) of the chart's cells, empty ones too, with no neighbour of their own thread
// among the eight around them; 0 for an empty chart.
double SingleStitchShare(const SchemeDocument& document);

// The passes the user chose; a pass not chosen is off.
struct CleanupOptions {
    bool removeUnused = false;
    int fewestStitches = 0; // 0: off
    int confettiGroup = 0;  // 0: off
    friend bool operator==(const CleanupOptions&, const CleanupOptions&) = default;
};

// What one pass changed.
struct CleanupPassChanges {
    int stitches = 0;     // stitches given another thread
    int rowsChanged = 0;  // legend rows whose count changed, those that left included
    int rowsRemoved = 0;  // legend rows that left
};

struct CleanupResult {
    std::vector<StitchEdit> edits; // in the order made
    // Removing unused threads, fewest stitches per thread, confetti.
    std::array<CleanupPassChanges, 3> passes{};
};

// The chosen passes in the order above, with the distance of the scheme's build. When a pass
// refuses, the scheme is given back as it was and the refusal is thrown.
CleanupResult CleanUpScheme(SchemeDocument& document, const CleanupOptions& options, const Bitmap& source);

// Takes back `edits`, the last edits made to `document`, the last one first.
void UndoStitchEdits(SchemeDocument& document, std::span<const StitchEdit> edits);

} // namespace velmora
