#pragma once

#include "picture/bitmap.h"

namespace velmora {

// Resamples `source` to width × height by point sampling: source rows and columns are dropped or
// repeated, never averaged, and a source of the same size comes out pixel for pixel. A two-colour
// 1-bit source that is shrunk keeps thin black lines: a target pixel is black when any of the
// source pixels it stands for is black.
Bitmap StretchPointSampled(const Bitmap& source, int width, int height);

// The source index (column or row) that target index t of targetSize samples from sourceSize.
int PointSampleOf(int t, int targetSize, int sourceSize);

} // namespace velmora
