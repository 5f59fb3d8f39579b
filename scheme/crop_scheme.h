#pragma once

#include "scheme_builder.h"

namespace velmora {

// A window of a chart's stitches: the first column and row kept (from 0 at the top left) and how
// many of each.
struct CropWindow {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The scheme cut to `window`: its stitches keep their threads and symbols, the chart is numbered
// from 1 again, the mapped picture is cut alike and the request takes the new size. The crosses
// are counted anew; a thread left with none keeps its row, as after any edit of the stitches.
// Lines of backstitch keep the part between the first and the last grid corner of theirs that lie
// on the cut cloth (a corner on its edge too): those are the holes the needle still has. A line
// with fewer than two such corners goes.
//
// Throws ThreadEditError for a window that is not wholly on the chart, or smaller than a chart
// can be (kMinStitches a side: a scheme file of fewer could not be opened again); the document is
// not touched.
SchemeDocument CropScheme(const SchemeDocument& document, const CropWindow& window);

} // namespace velmora
