#pragma once

namespace velmora {

// The ranges and starting values of what a scheme request asks for. The builder checks against
// them, and the wizard, velmora-cli and the demo tool offer and default to them.

// A chart has 10 to 1000 stitches a side.
inline constexpr int kMinStitches = 10;
inline constexpr int kMaxStitches = 1000;
// The side the wizard shows before a picture is chosen.
inline constexpr int kDefaultStitches = 100;

// The palette has 2 to 100 colours, 30 unless the user asks otherwise.
inline constexpr int kMinColors = 2;
inline constexpr int kMaxColors = 100;
inline constexpr int kDefaultColors = 30;

} // namespace velmora
