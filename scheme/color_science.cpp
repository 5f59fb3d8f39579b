#include "color_science.h"

#include <array>
#include <cmath>
#include <numbers>

namespace velmora {
namespace {

// The sRGB transfer function (IEC 61966-2-1) for a component of 0..1.
double DecodeSrgb(double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); }

struct SrgbTables {
    std::array<float, 256> linear{};
    // threshold[k] is the linear light half way, on the sRGB scale, between codes k − 1 and k:
    // a value at or above it rounds to k or more.
    std::array<float, 256> threshold{};

    SrgbTables()
    {
        for (int k = 0; k < 256; ++k) {
            linear[static_cast<std::size_t>(k)] = static_cast<float>(DecodeSrgb(k / 255.0));
            threshold[static_cast<std::size_t>(k)] = static_cast<float>(DecodeSrgb((k - 0.5) / 255.0));
        }
        threshold[0] = -1.0F;
    }
};

const SrgbTables& Tables()
{
    static const SrgbTables tables;
    return tables;
}

// sRGB primaries and D65 white (IEC 61966-2-1). The white point is the sum of each row, so that
// equal components give a = b = 0 and white gives L = 100.
constexpr double kM[3][3] = {
    {0.4124564, 0.3575761, 0.1804375},
    {0.2126729, 0.7151522, 0.0721750},
    {0.0193339, 0.1191920, 0.9503041},
};
constexpr double kWhiteX = kM[0][0] + kM[0][1] + kM[0][2];
constexpr double kWhiteY = kM[1][0] + kM[1][1] + kM[1][2];
constexpr double kWhiteZ = kM[2][0] + kM[2][1] + kM[2][2];

// CIE 15's cube root with its linear segment near black: δ = 6/29.
double LabF(double t)
{
    constexpr double delta = 6.0 / 29.0;
    return t > delta * delta * delta ? std::cbrt(t) : t / (3.0 * delta * delta) + 4.0 / 29.0;
}

double LabFInverse(double f)
{
    constexpr double delta = 6.0 / 29.0;
    return f > delta ? f * f * f : 3.0 * delta * delta * (f - 4.0 / 29.0);
}

// The inverse of kM to the same seven places.
constexpr double kMInverse[3][3] = {
    {3.2404542, -1.5371385, -0.4985314},
    {-0.9692660, 1.8760108, 0.0415560},
    {0.0556434, -0.2040259, 1.0572252},
};

constexpr double kDegree = std::numbers::pi / 180.0;

double Square(double v) { return v * v; }

double Power7(double v)
{
    const double v2 = v * v;
    return v2 * v2 * v2 * v;
}

// cos and sin of the fixed angles in T.
const double kCos30 = std::sqrt(3.0) / 2.0, kSin30 = 0.5;
const double kCos6 = std::cos(6.0 * kDegree), kSin6 = std::sin(6.0 * kDegree);
const double kCos63 = std::cos(63.0 * kDegree), kSin63 = std::sin(63.0 * kDegree);

// The hue angle of (a, b) in degrees, 0..360; 0 for a neutral colour.
double HueDegrees(double a, double b)
{
    if (a == 0.0 && b == 0.0)
        return 0.0;
    const double h = std::atan2(b, a) / kDegree;
    return h < 0.0 ? h + 360.0 : h;
}

} // namespace

float SrgbToLinear(int component) { return Tables().linear[static_cast<std::size_t>(component & 0xFF)]; }

int LinearToSrgb(float v)
{
    const auto& threshold = Tables().threshold;
    // The largest k whose threshold v reaches: eight halvings of 0..255.
    int k = 0;
    for (int step = 128; step > 0; step /= 2) {
        if (v >= threshold[static_cast<std::size_t>(k + step)])
            k += step;
    }
    return k;
}

Lab LinearToLab(float r, float g, float b)
{
    const double x = kM[0][0] * r + kM[0][1] * g + kM[0][2] * b;
    const double y = kM[1][0] * r + kM[1][1] * g + kM[1][2] * b;
    const double z = kM[2][0] * r + kM[2][1] * g + kM[2][2] * b;
    const double fx = LabF(x / kWhiteX), fy = LabF(y / kWhiteY), fz = LabF(z / kWhiteZ);
    return {static_cast<float>(116.0 * fy - 16.0), static_cast<float>(500.0 * (fx - fy)),
            static_cast<float>(200.0 * (fy - fz))};
}

void LabToLinear(const Lab& c, float& r, float& g, float& b)
{
    const double fy = (c.L + 16.0) / 116.0;
    const double x = kWhiteX * LabFInverse(fy + c.a / 500.0);
    const double y = kWhiteY * LabFInverse(fy);
    const double z = kWhiteZ * LabFInverse(fy - c.b / 200.0);
    r = static_cast<float>(kMInverse[0][0] * x + kMInverse[0][1] * y + kMInverse[0][2] * z);
    g = static_cast<float>(kMInverse[1][0] * x + kMInverse[1][1] * y + kMInverse[1][2] * z);
    b = static_cast<float>(kMInverse[2][0] * x + kMInverse[2][1] * y + kMInverse[2][2] * z);
}

Lab ColorToLab(Color c) { return LinearToLab(SrgbToLinear(Red(c)), SrgbToLinear(Green(c)), SrgbToLinear(Blue(c))); }

// The formula as Sharma, Wu and Dalal set it out, step by step; their names are kept. The
// builds call it millions of times, so powers are products, and the hue terms come from the hue
// directions as vectors rather than from angles: ΔH' = 2·√(C1'·C2')·sin(Δh'/2) is √(C1'·C2')
// times the distance between the two unit hue vectors, signed like their cross product, and the
// mean hue h̄' lies along their sum, the bisector of the shorter arc, as the formula's cases
// choose it. The four cosines of T then follow from that direction by the angle-sum rules, and
// the mean hue in degrees is needed only where Δθ is not negligibly small.
double DeltaE2000(const Lab& x, const Lab& y)
{
    const double L1 = x.L, a1 = x.a, b1 = x.b;
    const double L2 = y.L, a2 = y.a, b2 = y.b;
    constexpr double k25To7 = 6103515625.0; // 25^7

    const double Cab = (std::sqrt(a1 * a1 + b1 * b1) + std::sqrt(a2 * a2 + b2 * b2)) / 2.0;
    const double Cab7 = Power7(Cab);
    const double G = 0.5 * (1.0 - std::sqrt(Cab7 / (Cab7 + k25To7)));
    const double a1p = (1.0 + G) * a1, a2p = (1.0 + G) * a2;
    const double C1p = std::sqrt(a1p * a1p + b1 * b1), C2p = std::sqrt(a2p * a2p + b2 * b2);

    const double dLp = L2 - L1;
    const double dCp = C2p - C1p;
    double dHp = 0.0;
    // The mean hue's direction (cos, sin) and, where Δθ needs it, its angle.
    double c1 = 1.0, s1 = 0.0;
    if (C1p * C2p != 0.0) {
        const double u1a = a1p / C1p, u1b = b1 / C1p, u2a = a2p / C2p, u2b = b2 / C2p;
        const double sumA = u1a + u2a, sumB = u1b + u2b;
        const double sumLength = std::sqrt(sumA * sumA + sumB * sumB);
        if (sumLength > 1e-9) {
            const double chord = std::sqrt(Square(u2a - u1a) + Square(u2b - u1b));
            dHp = std::copysign(std::sqrt(C1p * C2p) * chord, u1a * u2b - u1b * u2a);
            c1 = sumA / sumLength;
            s1 = sumB / sumLength;
        } else {
            // Opposite hues, where the shorter arc is either: the formula's own cases decide.
            const double h1p = HueDegrees(a1p, b1), h2p = HueDegrees(a2p, b2);
            const double dhp = h2p - h1p > 180.0 ? h2p - h1p - 360.0 : h2p - h1p < -180.0 ? h2p - h1p + 360.0 : h2p - h1p;
            dHp = 2.0 * std::sqrt(C1p * C2p) * std::sin(dhp / 2.0 * kDegree);
            double hp = h1p + h2p;
            if (std::fabs(h1p - h2p) <= 180.0)
                hp /= 2.0;
            else
                hp = hp < 360.0 ? (hp + 360.0) / 2.0 : (hp - 360.0) / 2.0;
            c1 = std::cos(hp * kDegree);
            s1 = std::sin(hp * kDegree);
        }
    } else if (C1p + C2p != 0.0) {
        // One colour is neutral: the mean hue is the other's.
        c1 = (a1p + a2p) / (C1p + C2p);
        s1 = (b1 + b2) / (C1p + C2p);
    }

    const double Lp = (L1 + L2) / 2.0;
    const double Cp = (C1p + C2p) / 2.0;
    // T = 1 − 0.17 cos(h − 30°) + 0.24 cos 2h + 0.32 cos(3h + 6°) − 0.20 cos(4h − 63°).
    const double c2 = c1 * c1 - s1 * s1, s2 = 2.0 * s1 * c1;
    const double c3 = c2 * c1 - s2 * s1, s3 = s2 * c1 + c2 * s1;
    const double c4 = c2 * c2 - s2 * s2, s4 = 2.0 * s2 * c2;
    const double T = 1.0 - 0.17 * (c1 * kCos30 + s1 * kSin30) + 0.24 * c2 + 0.32 * (c3 * kCos6 - s3 * kSin6) -
                     0.20 * (c4 * kCos63 + s4 * kSin63);
    const double Cp7 = Power7(Cp);
    const double RC = 2.0 * std::sqrt(Cp7 / (Cp7 + k25To7));
    const double SL = 1.0 + 0.015 * Square(Lp - 50.0) / std::sqrt(20.0 + Square(Lp - 50.0));
    const double SC = 1.0 + 0.045 * Cp;
    const double SH = 1.0 + 0.015 * Cp * T;
    // Δθ = 30° · exp(−((h̄' − 275°) / 25°)²) is below 1e-14 for a mean hue under 125°; a
    // neutral pair has the mean hue 0°.
    double RT = 0.0;
    if (s1 < 0.0 || c1 < std::cos(125.0 * kDegree)) {
        const double hp = HueDegrees(c1, s1);
        const double dTheta = 30.0 * std::exp(-Square((hp - 275.0) / 25.0));
        RT = -std::sin(2.0 * dTheta * kDegree) * RC;
    }

    const double tL = dLp / SL, tC = dCp / SC, tH = dHp / SH;
    return std::sqrt(tL * tL + tC * tC + tH * tH + RT * tC * tH);
}

} // namespace velmora
