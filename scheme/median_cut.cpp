// The median cut of ColorFixUnit: splits boxes of distinct colours until there are as many boxes
// as palette colours; each box's average becomes one palette colour.
#include "color_fix_unit.h"

#include <cstddef>
#include <cstdint>
#include <numeric>
#include <stdexcept>

namespace velmora {
namespace {

// sum / count rounded to the nearest integer, a half to the even neighbour: an average of 1 and 2
// gives 2, one of 2 and 3 also gives 2.
int RoundHalfEven(std::int64_t sum, std::int64_t count)
{
    const std::int64_t quotient = sum / count;
    const std::int64_t twiceRemainder = 2 * (sum % count);
    if (twiceRemainder > count || (twiceRemainder == count && quotient % 2 != 0))
        return static_cast<int>(quotient + 1);
    return static_cast<int>(quotient);
}

std::size_t At(int i) { return static_cast<std::size_t>(i); }

} // namespace

void ColorFixUnit::MedianCut(int n)
{
    if (n < 1 || HistSize <= n)
        throw std::invalid_argument("the median cut needs more distinct colours than palette colours");

    const std::size_t size = At(HistSize);
    Groups.assign(At(n), TGroup{});
    Groups[0].Members.resize(size);
    std::iota(Groups[0].Members.begin(), Groups[0].Members.end(), 0);
    Groups[0].Count = HistSize;
    GroupsInUse = 1;
    UpdateGroupBounds(0);

    while (GroupsInUse < n)
        SplitGroup(ChooseGroupToSplit());

    PaletteSize = n;
    Palette.assign(At(n), 0);
    PaletteDMC.assign(At(n), 0);
    PaletteStitches.assign(At(n), 0);
    for (int g = n - 1; g >= 0; --g) {
        const TGroup& group = Groups[At(g)];
        std::int64_t sumB = 0, sumG = 0, sumR = 0;
        for (int k = 0; k < group.Count; ++k) {
            const Color c = HistColors[At(group.Members[At(k)])];
            sumB += Blue(c);
            sumG += Green(c);
            sumR += Red(c);
        }
        // Every distinct colour weighs 1, whatever its number of pixels.
        Palette[At(g)] = MakeColor(RoundHalfEven(sumR, group.Count), RoundHalfEven(sumG, group.Count),
                                   RoundHalfEven(sumB, group.Count));
    }

    Groups.clear();
    GroupsInUse = 0;
}

void ColorFixUnit::UpdateGroupBounds(int g)
{
    TGroup& group = Groups.at(At(g));
    int minB = 255, minG = 255, minR = 255;
    int maxB = 0, maxG = 0, maxR = 0;
    for (int k = group.Count - 1; k >= 0; --k) {
        const Color c = HistColors[At(group.Members[At(k)])];
        const int b = Blue(c), gr = Green(c), r = Red(c);
        minB = b < minB ? b : minB;
        maxB = b > maxB ? b : maxB;
        minG = gr < minG ? gr : minG;
        maxG = gr > maxG ? gr : maxG;
        minR = r < minR ? r : minR;
        maxR = r > maxR ? r : maxR;
    }
    group.MinB = minB;
    group.MaxB = maxB;
    group.RangeB = maxB - minB;
    group.MinG = minG;
    group.MaxG = maxG;
    group.RangeG = maxG - minG;
    group.MinR = minR;
    group.MaxR = maxR;
    group.RangeR = maxR - minR;
}

int ColorFixUnit::GroupMaxRange(int g) const
{
    const TGroup& group = Groups.at(At(g));
    int widest = group.RangeB;
    if (group.RangeG > widest)
        widest = group.RangeG;
    if (group.RangeR > widest)
        widest = group.RangeR;
    return widest;
}

// Prefers the widest box when it stands out, by a factor of three, against the box that was the
// widest before it in the visiting order; otherwise splits the most populous box, which keeps
// many similar colours from sharing one palette entry.
int ColorFixUnit::ChooseGroupToSplit() const
{
    int widest = 0, widestGroup = 0, previous = 0;
    for (int g = GroupsInUse - 1; g >= 0; --g) {
        const int range = GroupMaxRange(g);
        if (range > widest) {
            previous = widest;
            widest = range;
            widestGroup = g;
        }
    }
    // widest / previous ≥ 3 as a real division, exactly.
    if (previous > 0 && widest >= 3 * previous)
        return widestGroup;

    int fullest = 0, fullestCount = 0;
    for (int g = GroupsInUse - 1; g >= 0; --g) {
        if (Groups[At(g)].Count > fullestCount) {
            fullestCount = Groups[At(g)].Count;
            fullest = g;
        }
    }
    // previous / range(fullest) > 3 as a real division; a fullest box of range 0 (which the
    // median cut never meets) counts as an infinite quotient.
    if (previous > 0 && previous > 3 * GroupMaxRange(fullest))
        return widestGroup;
    return fullest;
}

void ColorFixUnit::SplitGroup(int g)
{
    if (GroupsInUse >= static_cast<int>(Groups.size()))
        throw std::logic_error("no group is left for a split");
    TGroup& group = Groups.at(At(g));
    TGroup& upper = Groups[At(GroupsInUse)];

    // The components are read from the colour values themselves: one load per member.
    int shift = 0; // red
    int mid = (group.MinR + group.MaxR) / 2;
    if (group.RangeB >= group.RangeG && group.RangeB >= group.RangeR) {
        shift = 16;
        mid = (group.MinB + group.MaxB) / 2;
    } else if (group.RangeG >= group.RangeR) {
        shift = 8;
        mid = (group.MinG + group.MaxG) / 2;
    }
    const Color* colors = HistColors.data();
    auto isUpper = [&](int member) { return static_cast<int>((colors[member] >> shift) & 0xFF) > mid; };

    int moved = 0;
    for (int k = 0; k < group.Count; ++k)
        moved += isUpper(group.Members[At(k)]) ? 1 : 0;

    // The upper part is collected from the last member to the first; the lower part keeps its
    // order.
    upper.Members.clear();
    upper.Members.reserve(At(moved));
    for (int k = group.Count - 1; k >= 0; --k) {
        const int member = group.Members[At(k)];
        if (isUpper(member))
            upper.Members.push_back(member);
    }
    int kept = 0;
    for (int k = 0; k < group.Count; ++k) {
        const int member = group.Members[At(k)];
        if (!isUpper(member))
            group.Members[At(kept++)] = member;
    }
    group.Members.resize(At(kept));
    group.Count = kept;
    upper.Count = moved;

    UpdateGroupBounds(g);
    UpdateGroupBounds(GroupsInUse);
    ++GroupsInUse;
}

} // namespace velmora
