#include "heif_items.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <string_view>
#include <unordered_map>

namespace velmora {
namespace {

// The boxes of an ISO base media file, walked with every size held to its parent's end.
class BoxReader {
public:
    explicit BoxReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::span<const std::uint8_t> bytes() const { return bytes_; }

    std::uint64_t u(std::size_t at, int size) const
    {
        std::uint64_t value = 0;
        for (int i = 0; i < size; ++i)
            value = value << 8 | (at + static_cast<std::size_t>(i) < bytes_.size() ? bytes_[at + static_cast<std::size_t>(i)] : 0);
        return value;
    }

    // Calls visit(type, payloadBegin, payloadEnd) for each box between begin and end.
    template <typename Visit>
    void boxes(std::size_t begin, std::size_t end, Visit visit) const
    {
        end = std::min(end, bytes_.size());
        std::size_t at = begin;
        while (at <= end && end - at >= 8) {
            std::uint64_t size = u(at, 4);
            std::size_t header = 8;
            if (size == 1) {
                if (end - at < 16)
                    return;
                size = u(at + 8, 8);
                header = 16;
            } else if (size == 0) {
                size = end - at; // to the end of the parent
            }
            if (size < header)
                return;
            // libheif reads a box that claims more than its parent holds as far as the parent goes,
            // and takes what it finds there: so does the walk, and it ends with that box.
            size = std::min<std::uint64_t>(size, end - at);
            const std::uint32_t type = static_cast<std::uint32_t>(u(at + 4, 4));
            visit(type, at + header, at + static_cast<std::size_t>(size));
            at += static_cast<std::size_t>(size);
        }
    }

private:
    std::span<const std::uint8_t> bytes_;
};

constexpr std::uint32_t FourCc(const char (&name)[5])
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(name[0])) << 24 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(name[1])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(name[2])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(name[3]));
}

struct BoxRange {
    std::size_t begin = 0; // the payload, after the box's header
    std::size_t end = 0;
};

// Calls visit(children) with the range of the child boxes of each top-level "meta" box.
template <typename Visit>
void ForEachMetaBox(const BoxReader& reader, Visit visit)
{
    reader.boxes(0, reader.bytes().size(), [&](std::uint32_t type, std::size_t begin, std::size_t end) {
        if (type == FourCc("meta") && end - begin >= 4)
            visit(BoxRange{begin + 4, end}); // after version and flags
    });
}

// The first child box of `type` in `parent`, as libheif takes it.
std::optional<BoxRange> FindChild(const BoxReader& reader, BoxRange parent, std::uint32_t type)
{
    std::optional<BoxRange> found;
    reader.boxes(parent.begin, parent.end, [&](std::uint32_t child, std::size_t from, std::size_t to) {
        if (child == type && !found)
            found = BoxRange{from, to};
    });
    return found;
}

// Calls visit(item, itemType) for each entry of "iinf".
template <typename Visit>
void ForEachItemType(const BoxReader& reader, BoxRange iinf, Visit visit)
{
    if (iinf.end - iinf.begin < 4)
        return;
    const std::size_t entries = iinf.begin + 4 + (reader.u(iinf.begin, 1) == 0 ? 2 : 4);
    reader.boxes(entries, iinf.end, [&](std::uint32_t entry, std::size_t at, std::size_t) {
        const std::uint64_t version = reader.u(at, 1);
        if (entry != FourCc("infe") || version < 2)
            return;
        const int idSize = version == 2 ? 2 : 4;
        const std::uint64_t id = reader.u(at + 4, idSize);
        visit(id, static_cast<std::uint32_t>(reader.u(at + 4 + static_cast<std::size_t>(idSize) + 2, 4)));
    });
}

// Calls visit(item, method, index, offset, length) for each extent that "iloc" places: the
// construction method (0: in the file, 1: in "idat") and where the extent lies, relative to the
// file or to "idat"'s payload; a length of 0 reaches to the end.
template <typename Visit>
void ForEachItemExtent(const BoxReader& reader, BoxRange iloc, Visit visit)
{
    if (iloc.end - iloc.begin < 8)
        return;
    const std::uint64_t version = reader.u(iloc.begin, 1);
    const int offsetSize = static_cast<int>(reader.u(iloc.begin + 4, 1) >> 4);
    const int lengthSize = static_cast<int>(reader.u(iloc.begin + 4, 1) & 15);
    const int baseSize = static_cast<int>(reader.u(iloc.begin + 5, 1) >> 4);
    const int indexSize = version >= 1 ? static_cast<int>(reader.u(iloc.begin + 5, 1) & 15) : 0;
    const int countSize = version < 2 ? 2 : 4;
    std::size_t at = iloc.begin + 6;
    const std::uint64_t items = reader.u(at, countSize);
    at += static_cast<std::size_t>(countSize);
    for (std::uint64_t i = 0; i < items && at < iloc.end; ++i) {
        const std::uint64_t id = reader.u(at, countSize);
        at += static_cast<std::size_t>(countSize);
        const std::uint64_t method = version >= 1 ? reader.u(at, 2) & 15 : 0;
        at += version >= 1 ? 2 : 0;
        at += 2; // data reference index
        const std::uint64_t base = reader.u(at, baseSize);
        at += static_cast<std::size_t>(baseSize);
        const std::uint64_t extents = reader.u(at, 2);
        at += 2;
        for (std::uint64_t e = 0; e < extents && at < iloc.end; ++e) {
            at += static_cast<std::size_t>(indexSize);
            const std::uint64_t offset = reader.u(at, offsetSize);
            const std::uint64_t length = reader.u(at + static_cast<std::size_t>(offsetSize), lengthSize);
            at += static_cast<std::size_t>(offsetSize + lengthSize);
            visit(id, method, e, base + offset, length);
        }
    }
}

// Where an extent of an item lies in the file, cut to the file or to "idat"; empty for the
// construction methods libheif does not read.
std::span<const std::uint8_t> ExtentBytes(const BoxReader& reader, BoxRange idat, std::uint64_t method,
                                          std::uint64_t offset, std::uint64_t length)
{
    const std::span<const std::uint8_t> file = reader.bytes();
    if (method > 1)
        return {};
    const std::size_t begin = method == 1 ? idat.begin : 0;
    const std::size_t end = method == 1 ? idat.end : file.size();
    if (offset >= end - begin)
        return {};
    const auto from = begin + static_cast<std::size_t>(offset);
    const std::size_t available = end - from;
    const std::size_t count = length == 0 || length > available ? available : static_cast<std::size_t>(length);
    return file.subspan(from, count);
}

// ---- The items of one "meta" box ----

struct Item {
    std::vector<std::uint32_t> types;                      // as "iinf" names it, however often
    std::vector<std::span<const std::uint8_t>> extents;    // its data, in order
    std::vector<std::uint32_t> properties;                 // indices into ItemIndex::properties
};

struct Property {
    std::uint32_t type = 0;
    BoxRange payload;
};

struct ItemIndex {
    std::uint64_t primary = 0;
    std::unordered_map<std::uint64_t, Item> items;
    std::vector<Property> properties; // of "ipco", in order; "ipma" counts them from 1
    std::unordered_map<std::uint64_t, std::vector<std::uint64_t>> derivedFrom; // "dimg" references
    std::unordered_map<std::uint64_t, std::vector<std::uint64_t>> auxiliaries; // "auxl": target to items
};

// The references of "iref", read as libheif reads them: one after the other, each a box header,
// the item it comes from, a count and the items it names, whatever size its header claims.
void ReadReferences(const BoxReader& reader, BoxRange iref, ItemIndex& index)
{
    if (iref.end - iref.begin < 4)
        return;
    const auto idSize = static_cast<std::size_t>(reader.u(iref.begin, 1) == 0 ? 2 : 4);
    std::size_t at = iref.begin + 4;
    while (at < iref.end && iref.end - at >= 8) {
        const std::uint32_t type = static_cast<std::uint32_t>(reader.u(at + 4, 4));
        at += reader.u(at, 4) == 1 ? 16 : 8; // a 64-bit size follows the type
        if (type == FourCc("uuid"))
            at += 16;
        const std::uint64_t from = reader.u(at, static_cast<int>(idSize));
        const std::uint64_t count = reader.u(at + idSize, 2);
        at += idSize + 2;
        for (std::uint64_t n = 0; n < count && at < iref.end; ++n, at += idSize) {
            const std::uint64_t to = reader.u(at, static_cast<int>(idSize));
            if (type == FourCc("dimg"))
                index.derivedFrom[from].push_back(to);
            else if (type == FourCc("auxl"))
                index.auxiliaries[to].push_back(from);
        }
    }
}

void ReadProperties(const BoxReader& reader, BoxRange iprp, ItemIndex& index)
{
    if (const std::optional<BoxRange> ipco = FindChild(reader, iprp, FourCc("ipco")))
        reader.boxes(ipco->begin, ipco->end, [&](std::uint32_t type, std::size_t begin, std::size_t end) {
            index.properties.push_back(Property{type, BoxRange{begin, end}});
        });
    reader.boxes(iprp.begin, iprp.end, [&](std::uint32_t type, std::size_t at, std::size_t end) {
        if (type != FourCc("ipma") || end - at < 8)
            return;
        const bool wideIds = reader.u(at, 1) >= 1;
        const bool wideIndices = (reader.u(at + 3, 1) & 1) != 0;
        const std::uint64_t entries = reader.u(at + 4, 4);
        at += 8;
        for (std::uint64_t e = 0; e < entries && at < end; ++e) {
            const std::uint64_t id = reader.u(at, wideIds ? 4 : 2);
            at += wideIds ? 4 : 2;
            const std::uint64_t count = reader.u(at, 1);
            at += 1;
            for (std::uint64_t a = 0; a < count && at < end; ++a) {
                const std::uint64_t entry = reader.u(at, wideIndices ? 2 : 1);
                at += wideIndices ? 2 : 1;
                const std::uint64_t property = entry & (wideIndices ? 0x7FFF : 0x7F);
                if (property >= 1 && property <= index.properties.size())
                    index.items[id].properties.push_back(static_cast<std::uint32_t>(property - 1));
            }
        }
    });
}

ItemIndex ReadItems(const BoxReader& reader, BoxRange meta)
{
    ItemIndex index;
    if (const std::optional<BoxRange> pitm = FindChild(reader, meta, FourCc("pitm")))
        index.primary = reader.u(pitm->begin + 4, reader.u(pitm->begin, 1) == 0 ? 2 : 4);
    if (const std::optional<BoxRange> iinf = FindChild(reader, meta, FourCc("iinf")))
        ForEachItemType(reader, *iinf, [&](std::uint64_t id, std::uint32_t type) { index.items[id].types.push_back(type); });
    const BoxRange idat = FindChild(reader, meta, FourCc("idat")).value_or(BoxRange{});
    if (const std::optional<BoxRange> iloc = FindChild(reader, meta, FourCc("iloc")))
        ForEachItemExtent(reader, *iloc, [&](std::uint64_t id, std::uint64_t method, std::uint64_t, std::uint64_t offset,
                                            std::uint64_t length) {
            index.items[id].extents.push_back(ExtentBytes(reader, idat, method, offset, length));
        });
    if (const std::optional<BoxRange> iref = FindChild(reader, meta, FourCc("iref")))
        ReadReferences(reader, *iref, index);
    if (const std::optional<BoxRange> iprp = FindChild(reader, meta, FourCc("iprp")))
        ReadProperties(reader, *iprp, index);
    return index;
}

// ---- What an HEVC-coded item holds ----

constexpr int kSpsNalType = 33;
constexpr int kFirstNonPictureNalType = 32;
// An SPS is read from at most this many of its bytes (hevc_sps.cpp needs 160 after unescaping).
constexpr std::size_t kSpsBytesRead = 256;

// An item's data, its extents one after the other as libheif hands them to the decoder. Read from
// front to back: a cursor keeps the extent it reached, so an item of many small extents costs no
// more than one.
class ItemBytes {
public:
    explicit ItemBytes(const std::vector<std::span<const std::uint8_t>>& extents) : extents_(extents)
    {
        for (const auto& extent : extents)
            size_ += extent.size();
    }

    std::uint64_t size() const { return size_; }

    // Copies up to out.size() bytes from `at` on, `at` never below that of the call before;
    // returns how many there were.
    std::size_t read(std::uint64_t at, std::span<std::uint8_t> out)
    {
        while (part_ < extents_.size() && at >= partStart_ + extents_[part_].size()) {
            partStart_ += extents_[part_].size();
            ++part_;
        }
        std::size_t done = 0;
        std::uint64_t offset = at - std::min(at, partStart_);
        for (std::size_t p = part_; p < extents_.size() && done < out.size(); ++p, offset = 0) {
            const auto& extent = extents_[p];
            const std::size_t take = std::min<std::size_t>(extent.size() - static_cast<std::size_t>(offset), out.size() - done);
            std::copy_n(extent.begin() + static_cast<std::ptrdiff_t>(offset), take, out.begin() + static_cast<std::ptrdiff_t>(done));
            done += take;
        }
        return done;
    }

private:
    const std::vector<std::span<const std::uint8_t>>& extents_;
    std::uint64_t size_ = 0;
    std::size_t part_ = 0;          // the extent that holds the last position read
    std::uint64_t partStart_ = 0;   // where it starts in the item's data
};

void AddParameterSet(std::span<const std::uint8_t> nal, HeifCodedImage& image)
{
    if (const std::optional<HevcPictureSize> size = ReadHevcSpsPictureSize(nal))
        image.parameterSets.push_back(*size);
}

// The NAL units of an "hvcC" box: its arrays after 22 bytes of configuration. Reads no more than
// `budget` units, and takes what it reads from it.
void ReadDecoderConfiguration(const BoxReader& reader, BoxRange hvcC, HeifCodedImage& image, std::uint64_t& budget)
{
    std::size_t at = hvcC.begin + 22;
    const std::uint64_t arrays = reader.u(at, 1);
    ++at;
    for (std::uint64_t a = 0; a < arrays && at < hvcC.end; ++a) {
        const std::uint64_t units = reader.u(at + 1, 2);
        at += 3;
        for (std::uint64_t n = 0; n < units && at < hvcC.end; ++n) {
            if (budget == 0)
                return;
            --budget;
            const auto length = static_cast<std::size_t>(reader.u(at, 2));
            at += 2;
            if (length > hvcC.end - std::min(at, hvcC.end))
                return;
            AddParameterSet(reader.bytes().subspan(at, length), image);
            at += length;
        }
    }
}

// The item's data: NAL units behind 4-byte lengths, as libheif's libde265 plugin reads them. Reads
// no more than `budget` units, and takes what it reads from it.
void ReadCodedData(const Item& item, HeifCodedImage& image, std::uint64_t& budget)
{
    ItemBytes data(item.extents);
    std::uint64_t at = 0;
    std::array<std::uint8_t, kSpsBytesRead> head{};
    while (data.size() - at >= 4 && budget > 0) {
        std::array<std::uint8_t, 4> prefix{};
        data.read(at, prefix);
        const std::uint64_t length = std::uint64_t{prefix[0]} << 24 | std::uint64_t{prefix[1]} << 16 |
                                     std::uint64_t{prefix[2]} << 8 | prefix[3];
        at += 4;
        if (length > data.size() - at)
            break;
        ++image.nalUnits;
        --budget;
        const std::size_t got = data.read(at, std::span(head).first(std::min<std::size_t>(head.size(), length)));
        const int type = got == 0 ? -1 : (head[0] >> 1) & 0x3F;
        if (type == kSpsNalType)
            AddParameterSet(std::span(head).first(got), image);
        else if (type >= 0 && type < kFirstNonPictureNalType && got >= 3 && (head[2] & 0x80) != 0)
            ++image.pictures; // first_slice_segment_in_pic_flag
        at += length;
    }
}

HeifCodedImage ReadCodedImage(const BoxReader& reader, const ItemIndex& index, std::uint64_t id, const Item& item,
                              std::uint64_t& nalBudget)
{
    HeifCodedImage image;
    image.item = id;
    for (const std::uint32_t p : item.properties) {
        const Property& property = index.properties[p];
        const BoxRange box = property.payload;
        if (property.type == FourCc("hvcC")) {
            ReadDecoderConfiguration(reader, box, image, nalBudget);
        } else if (property.type == FourCc("ispe")) {
            image.declaredWidth = static_cast<std::uint32_t>(reader.u(box.begin + 4, 4));
            image.declaredHeight = static_cast<std::uint32_t>(reader.u(box.begin + 8, 4));
        } else if (property.type == FourCc("clap")) {
            const auto rounded = [&](std::size_t at) -> std::uint32_t {
                const std::uint64_t n = reader.u(at, 4), d = reader.u(at + 4, 4);
                return d == 0 ? 0 : static_cast<std::uint32_t>((n + d / 2) / d);
            };
            image.apertureWidth = rounded(box.begin);
            image.apertureHeight = rounded(box.begin + 8);
        }
    }
    ReadCodedData(item, image, nalBudget);
    return image;
}

// ---- Following the derivation of the primary image ----

bool HasType(const Item& item, std::uint32_t type) { return std::ranges::find(item.types, type) != item.types.end(); }

// Whether libheif takes the item for an image, whichever of its "iinf" entries it keeps.
bool IsImage(const Item& item)
{
    return !item.types.empty() && std::ranges::all_of(item.types, [](std::uint32_t type) {
        return type == FourCc("hvc1") || type == FourCc("av01") || type == FourCc("grid") || type == FourCc("iden") ||
               type == FourCc("iovl");
    });
}

// Whether an auxiliary image is one that libheif decodes along with its master: an alpha plane.
bool IsAlphaPlane(const BoxReader& reader, const ItemIndex& index, const Item& item)
{
    for (const std::uint32_t p : item.properties) {
        const Property& property = index.properties[p];
        if (property.type != FourCc("auxC") || property.payload.end - property.payload.begin < 4)
            continue;
        const auto text = reader.bytes().subspan(property.payload.begin + 4, property.payload.end - property.payload.begin - 4);
        const std::string_view type(reinterpret_cast<const char*>(text.data()),
                                    static_cast<std::size_t>(std::ranges::find(text, 0) - text.begin()));
        if (type == "urn:mpeg:hevc:2015:auxid:1" || type == "urn:mpeg:avc:2015:auxid:1" ||
            type == "urn:mpeg:mpegB:cicp:systems:auxiliary:alpha")
            return true;
    }
    return false;
}

constexpr std::uint64_t kManyDecodes = std::uint64_t{1} << 40; // beyond any limit; keeps the products small

// The images a derived image names, each with the number of its cells, in item order.
std::vector<std::pair<std::uint64_t, std::uint64_t>> Sources(const ItemIndex& index, std::uint64_t id,
                                                             HeifDecodingPlan& plan)
{
    std::map<std::uint64_t, std::uint64_t> cells;
    if (const auto sources = index.derivedFrom.find(id); sources != index.derivedFrom.end())
        for (const std::uint64_t source : sources->second) {
            // libheif 1.15 asserts, and so ends the program, when an identity names one.
            if (const auto s = index.items.find(source); s == index.items.end() || !IsImage(s->second))
                plan.sourcesNoImage.emplace_back(id, source);
            ++cells[source];
        }
    return {cells.begin(), cells.end()};
}

void AddPlan(const BoxReader& reader, const ItemIndex& index, HeifDecodingPlan& plan)
{
    // Items to visit, each with how often it is decoded. A tile named in many cells is visited once
    // with the count of its cells; a derivation that names itself goes round until the steps run out.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> pending;
    std::uint64_t steps = 0;
    const auto visit = [&](std::uint64_t id, std::uint64_t decodes) {
        if (++steps > kMaxHeifDerivationSteps)
            plan.derivationCut = true;
        else
            pending.emplace_back(id, std::min(decodes, kManyDecodes));
    };
    std::unordered_map<std::uint64_t, std::vector<std::pair<std::uint64_t, std::uint64_t>>> sourcesOf;
    std::map<std::uint64_t, std::uint64_t> codedDecodes;
    visit(index.primary, 1);
    while (!pending.empty()) {
        const auto [id, decodes] = pending.back();
        pending.pop_back();
        const auto found = index.items.find(id);
        if (found == index.items.end())
            continue;
        const Item& item = found->second;
        if (HasType(item, FourCc("hvc1")))
            codedDecodes[id] = std::min(codedDecodes[id] + decodes, kManyDecodes);
        if (HasType(item, FourCc("grid")) || HasType(item, FourCc("iovl")) || HasType(item, FourCc("iden"))) {
            auto known = sourcesOf.find(id);
            if (known == sourcesOf.end())
                known = sourcesOf.emplace(id, Sources(index, id, plan)).first;
            for (const auto& [source, cells] : known->second)
                visit(source, decodes * cells);
        }
        if (const auto auxiliaries = index.auxiliaries.find(id); auxiliaries != index.auxiliaries.end())
            for (const std::uint64_t auxiliary : auxiliaries->second)
                if (const auto a = index.items.find(auxiliary); a != index.items.end() && IsAlphaPlane(reader, index, a->second))
                    visit(auxiliary, decodes);
    }
    for (const auto& [id, decodes] : codedDecodes) {
        HeifCodedImage image = ReadCodedImage(reader, index, id, index.items.at(id), plan.nalUnitsLeft);
        image.decodes = decodes;
        plan.codedDecodes = std::min(plan.codedDecodes + decodes, kManyDecodes);
        plan.images.push_back(std::move(image));
    }
}

} // namespace

HeifDecodingPlan PlanHeifDecoding(std::span<const std::uint8_t> file)
{
    const BoxReader reader(file);
    HeifDecodingPlan plan;
    ForEachMetaBox(reader, [&](BoxRange meta) { AddPlan(reader, ReadItems(reader, meta), plan); });
    return plan;
}

std::vector<std::pair<std::uint64_t, std::uint64_t>> HeifDerivedCanvasSizes(std::span<const std::uint8_t> file)
{
    const BoxReader reader(file);
    std::vector<std::pair<std::uint64_t, std::uint64_t>> sizes;
    ForEachMetaBox(reader, [&](BoxRange meta) {
        const std::optional<BoxRange> iinf = FindChild(reader, meta, FourCc("iinf"));
        const std::optional<BoxRange> iloc = FindChild(reader, meta, FourCc("iloc"));
        if (!iinf || !iloc)
            return;
        std::unordered_map<std::uint64_t, std::uint32_t> derived;
        ForEachItemType(reader, *iinf, [&](std::uint64_t id, std::uint32_t type) {
            if (type == FourCc("grid") || type == FourCc("iovl"))
                derived[id] = type;
        });
        if (derived.empty())
            return;
        const BoxRange idat = FindChild(reader, meta, FourCc("idat")).value_or(BoxRange{});
        ForEachItemExtent(reader, *iloc, [&](std::uint64_t id, std::uint64_t method, std::uint64_t extent,
                                             std::uint64_t start, std::uint64_t) {
            const auto found = derived.find(id);
            if (found == derived.end() || method > 1 || extent != 0)
                return;
            // The descriptor lies at the start of the item's first extent.
            const std::uint64_t from = (method == 1 ? idat.begin : 0) + start;
            if (from >= (method == 1 ? idat.end : file.size()))
                return;
            const auto d = static_cast<std::size_t>(from);
            std::size_t sizeAt = d + 4; // version, flags, rows - 1, columns - 1
            if (found->second == FourCc("iovl"))
                sizeAt = d + 2 + 8; // version, flags, the fill colour's four samples
            const int sideSize = (reader.u(d + 1, 1) & 1) != 0 ? 4 : 2;
            sizes.emplace_back(reader.u(sizeAt, sideSize), reader.u(sizeAt + static_cast<std::size_t>(sideSize), sideSize));
        });
    });
    return sizes;
}

} // namespace velmora
