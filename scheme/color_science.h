#pragma once

#include "picture/color.h"

namespace velmora {

// A colour in CIELAB (D65 white, 2° observer): L 0..100, a and b roughly −128..127. Floats are
// exact enough for colour differences of a hundredth and keep the per-colour caches small.
struct Lab {
    float L, a, b;
};

// The linear light (0..1) of an 8-bit sRGB component, from a table of the 256 values.
float SrgbToLinear(int component);

// The 8-bit sRGB component nearest to linear light v (held to 0..1), rounded in the sRGB scale.
int LinearToSrgb(float v);

// Linear-light sRGB (each 0..1) to CIELAB.
Lab LinearToLab(float r, float g, float b);

// CIELAB to linear-light sRGB; components outside the sRGB gamut come out below 0 or above 1.
void LabToLinear(const Lab& c, float& r, float& g, float& b);

// A colour value (R + 256·G + 65536·B, sRGB) to CIELAB.
Lab ColorToLab(Color c);

// The squared plain distance in CIELAB (ΔE76²): cheap, and a close guide to which colours are
// candidates before the CIEDE2000 difference decides.
constexpr float LabDistanceSquared(const Lab& x, const Lab& y)
{
    const float dL = x.L - y.L, da = x.a - y.a, db = x.b - y.b;
    return dL * dL + da * da + db * db;
}

// The CIEDE2000 colour difference ΔE00 (Sharma, Wu and Dalal, 2005) with kL = kC = kH = 1.
double DeltaE2000(const Lab& x, const Lab& y);

} // namespace velmora
