#pragma once

namespace velmora {

// Lengths on screen are logical pixels at 96 dots per inch; font sizes are points, 72 to the inch.
inline constexpr int kScreenDpi = 96;
inline constexpr int kPointsPerInch = 72;
// Lengths on paper are tenths of a millimetre: 254 to the inch.
inline constexpr int kTenthsMmPerInch = 254;

// a · b / c rounded half away from zero, as the platform's MulDiv, which also answers −1 when the
// quotient does not fit in 32 bits.
int MulDiv(int a, int b, int c);

// A font size in points as a height in screen pixels, and back, rounded as MulDiv rounds.
inline int PointsToPixels(int points) { return MulDiv(points, kScreenDpi, kPointsPerInch); }
inline int PixelsToPoints(int pixels) { return MulDiv(pixels, kPointsPerInch, kScreenDpi); }

} // namespace velmora
