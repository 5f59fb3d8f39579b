#include "settings_store.h"

#include "stored_boolean.h"
#include "scheme/cp1251.h"
#include "view/screen_units.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <limits>

namespace velmora {
namespace {

constexpr char kFormVersion[] = "FormVersion";
constexpr char kDithering[] = "Dithering";

// Leading and trailing characters with codes up to 32 (spaces and control characters) go.
std::string Trim(std::string_view text)
{
    const auto kept = [](char c) { return static_cast<unsigned char>(c) > 32; };
    const auto first = std::find_if(text.begin(), text.end(), kept);
    const auto last = std::find_if(text.rbegin(), text.rend(), kept).base();
    return first < last ? std::string(first, last) : std::string();
}

// A decimal 32-bit integer with an optional sign; anything else (also out of range) gives 0.
int IntegerOrZero(std::string_view text)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return !text.empty() && error == std::errc() && stop == end ? value : 0;
}

// A stored height is minus the pixel height (MulDiv answers −1 to a size beyond 32 bits); the
// negation of the most negative integer stays the most positive one.
int Negated(int value)
{
    return static_cast<int>(std::min<std::int64_t>(-static_cast<std::int64_t>(value), std::numeric_limits<int>::max()));
}

constexpr std::array<std::pair<FontPitch, const char*>, 3> kPitchNames{{
    {FontPitch::Default, "fpDefault"},
    {FontPitch::Variable, "fpVariable"},
    {FontPitch::Fixed, "fpFixed"},
}};

// The style names in the order in which they are written.
constexpr std::array<std::pair<bool FontStyle::*, const char*>, 4> kStyleNames{{
    {&FontStyle::bold, "fsBold"},
    {&FontStyle::italic, "fsItalic"},
    {&FontStyle::underline, "fsUnderline"},
    {&FontStyle::strikeOut, "fsStrikeOut"},
}};

// Words split at spaces, commas and square brackets; names of no style are ignored.
FontStyle ParseFontStyle(std::string_view text)
{
    FontStyle style;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find_first_of(" ,[]", pos), text.size());
        const std::string_view word = text.substr(pos, end - pos);
        for (const auto& [member, name] : kStyleNames)
            if (EqualsIgnoringCase(word, name))
                style.*member = true;
        pos = end + 1;
    }
    return style;
}

// The sizes a stored font may have, in points: the smallest and the largest of the standard sizes
// the font dialog offers (Qt's QFontDatabase::standardSizes(), 6 to 72). A size beyond them comes
// only from a hand-edited file, and the chart would draw it: 8000 points cost most of a minute and
// gigabytes of glyphs at start-up. Zero and negative sizes (a text that is no number, a positive
// cell height) draw nothing sensible either.
constexpr int kSmallestFontSize = 6;
constexpr int kLargestFontSize = 72;

void ApplySize(SymbolFont& font, int size)
{
    font.Size = std::clamp(size, kSmallestFontSize, kLargestFontSize);
    font.Height = Negated(PointsToPixels(font.Size));
}

// A height is kept as stored while the size it gives is a sensible one.
void ApplyHeight(SymbolFont& font, int height)
{
    const int size = Negated(PixelsToPoints(height));
    ApplySize(font, size);
    if (font.Size == size)
        font.Height = height;
}

// One sub-property of the font as the settings keep it.
struct FontValue {
    const char* name;
    std::string (*text)(const SymbolFont&);
    void (*apply)(SymbolFont&, const std::string&);
};

// In alphabetical order of the sub-property names, which is the order of reading and writing; it
// puts Size after Height, so that a stored size wins.
const std::array<FontValue, 7> kFontValues{{
    {"FontDialog_FontCharset", [](const SymbolFont& f) { return std::to_string(f.Charset); },
     // The character set is one byte; higher bits fall away as they do in the font's own field.
     [](SymbolFont& f, const std::string& t) { f.Charset = IntegerOrZero(t) & 0xFF; }},
    {"FontDialog_FontColor", [](const SymbolFont& f) { return std::to_string(static_cast<std::int32_t>(f.Color)); },
     [](SymbolFont& f, const std::string& t) { f.Color = static_cast<ColorValue>(IntegerOrZero(t)); }},
    {"FontDialog_FontHeight", [](const SymbolFont& f) { return std::to_string(f.Height); },
     [](SymbolFont& f, const std::string& t) { ApplyHeight(f, IntegerOrZero(t)); }},
    {"FontDialog_FontName", [](const SymbolFont& f) { return f.Name; },
     [](SymbolFont& f, const std::string& t) { f.Name = t; }},
    {"FontDialog_FontPitch", [](const SymbolFont& f) { return FontPitchText(f.Pitch); },
     [](SymbolFont& f, const std::string& t) {
         for (const auto& [pitch, name] : kPitchNames)
             if (EqualsIgnoringCase(t, name))
                 f.Pitch = pitch;
     }},
    {"FontDialog_FontSize", [](const SymbolFont& f) { return std::to_string(f.Size); },
     [](SymbolFont& f, const std::string& t) { ApplySize(f, IntegerOrZero(t)); }},
    {"FontDialog_FontStyle", [](const SymbolFont& f) { return FontStyleText(f.Style); },
     [](SymbolFont& f, const std::string& t) { f.Style = ParseFontStyle(t); }},
}};

// Keeps the key open for the duration of one load or save.
class OpenedKey {
public:
    OpenedKey(SettingsRegistry& registry, const std::string& key) : registry_(registry), open_(registry.OpenKey(key)) {}
    ~OpenedKey()
    {
        if (open_)
            registry_.CloseKey();
    }
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;
    bool open() const { return open_; }

private:
    SettingsRegistry& registry_;
    bool open_;
};

SettingsRegistry* installedRegistry = nullptr;

} // namespace

std::string FontStyleText(const FontStyle& style)
{
    std::string text = "[";
    for (const auto& [member, name] : kStyleNames) {
        if (!(style.*member))
            continue;
        if (text.size() > 1)
            text += ',';
        text += name;
    }
    return text + "]";
}

std::string FontPitchText(FontPitch pitch)
{
    for (const auto& [value, name] : kPitchNames)
        if (value == pitch)
            return name;
    return "fpDefault";
}

bool StoredValueToBoolean(std::string_view text)
{
    try {
        return StoredTextToBoolean(text);
    } catch (const std::invalid_argument&) {
        // The stored value is a variant holding a string; the message names the two variant types.
        throw SettingsError("Could not convert variant of type (String) into type (Boolean)");
    }
}

SettingsRegistry* InstallSettingsRegistry(SettingsRegistry* registry)
{
    return std::exchange(installedRegistry, registry);
}

SettingsRegistry* InstalledSettingsRegistry()
{
    return installedRegistry;
}

// --- the store -------------------------------------------------------------------------------

std::string SettingsStore::ReadString(const std::string& name, const std::string& defaultText)
{
    if (!registry_.ValueExists(Section, name))
        return defaultText;
    const RegistryDataType type = registry_.ValueType(Section, name);
    if (type != RegistryDataType::String && type != RegistryDataType::ExpandString)
        throw SettingsError("Invalid data type for '" + name + "'");
    std::string text = registry_.ReadText(Section, name);
    // No value this store writes comes near the limit (a font's name has at most 31 characters on
    // Windows, 255 bytes anywhere); a longer one was not written by us, and every font lookup with
    // it would cost seconds and memory in proportion. It is taken as missing.
    if (text.size() > kMaxStoredTextBytes)
        return defaultText;
    return text;
}

void SettingsStore::Load(SymbolFont& font, std::string& dithering)
{
    const OpenedKey key(registry_, Key);
    // A key that can be neither opened nor created holds no values: everything stays as it is.
    if (!key.open()) {
        restored_ = true;
        return;
    }
    if (IntegerOrZero(ReadString(kFormVersion, "0")) >= 0) {
        restored_ = true;
        for (const FontValue& value : kFontValues) {
            try {
                value.apply(font, Trim(ReadString(value.name, Trim(value.text(font)))));
            } catch (const SettingsError&) {
                // A value of another type leaves its part of the font as it is.
            }
        }
        dithering = ReadString(kDithering, dithering);
        for (StoredValue& value : MoreValues) {
            try {
                value.text = ReadString(value.name, value.text);
            } catch (const SettingsError&) {
                // A value of another type keeps its text, as a font value does.
            }
        }
    }
    restored_ = true;
}

void SettingsStore::WriteString(const std::string& name, const std::string& text)
{
    if (!registry_.CreateSection(Section))
        throw SettingsError("Failed to create key " + Section);
    if (!registry_.WriteText(Section, name, text))
        throw SettingsError("Failed to set data for '" + name + "'");
}

void SettingsStore::Save(const SymbolFont& font, const std::string& dithering)
{
    if (!restored_)
        return;
    const OpenedKey key(registry_, Key);
    if (!key.open())
        throw SettingsError("Failed to create key " + Key);
    WriteString(kFormVersion, "0");
    for (const FontValue& value : kFontValues)
        WriteString(value.name, Trim(value.text(font)));
    WriteString(kDithering, dithering);
    for (const StoredValue& value : MoreValues)
        WriteString(value.name, value.text);
}

namespace {

constexpr char kTenLines[] = "TenLines";
constexpr char kColorCells[] = "ColorCells";
constexpr char kSkeins[] = "Skeins";
constexpr char kFabricCount[] = "FabricCount";
constexpr char kZoom[] = "Zoom";
constexpr char kWindowPlacement[] = "WindowPlacement";
constexpr char kPerceptual[] = "Perceptual";

const char* BooleanText(bool value) { return value ? "True" : "False"; }

void ReadBoolean(const std::string& text, bool& value)
{
    try {
        value = StoredTextToBoolean(text);
    } catch (const std::invalid_argument&) {
        // Not a Boolean: the default stays.
    }
}

} // namespace

std::vector<StoredValue> StoredViewValues(const ViewSettings& view)
{
    return {{kTenLines, BooleanText(view.look.tenLines)},
            {kColorCells, BooleanText(view.look.colorCells)},
            {kSkeins, BooleanText(view.look.skeins)},
            {kFabricCount, std::to_string(view.look.fabricCount)},
            {kZoom, std::to_string(view.zoom)},
            {kWindowPlacement, view.windowPlacement}};
}

ViewSettings ViewSettingsFromStored(const std::vector<StoredValue>& values)
{
    ViewSettings view;
    for (const StoredValue& value : values) {
        const std::string text = Trim(value.text);
        if (value.name == kTenLines)
            ReadBoolean(text, view.look.tenLines);
        else if (value.name == kColorCells)
            ReadBoolean(text, view.look.colorCells);
        else if (value.name == kSkeins)
            ReadBoolean(text, view.look.skeins);
        else if (value.name == kFabricCount) {
            const int count = IntegerOrZero(text);
            if (count >= kSmallestFabricCount && count <= kLargestFabricCount)
                view.look.fabricCount = count;
        } else if (value.name == kZoom) {
            if (const int zoom = IntegerOrZero(text); zoom > 0)
                view.zoom = NearestZoom(zoom);
        } else if (value.name == kWindowPlacement) {
            if (text.size() <= kMaxWindowPlacementText)
                view.windowPlacement = text;
        }
    }
    return view;
}

std::vector<StoredValue> StoredWizardValues(const WizardSettings& wizard)
{
    return {{kPerceptual, BooleanText(wizard.perceptual)}};
}

WizardSettings WizardSettingsFromStored(const std::vector<StoredValue>& values)
{
    WizardSettings wizard;
    for (const StoredValue& value : values)
        if (value.name == kPerceptual)
            ReadBoolean(Trim(value.text), wizard.perceptual);
    return wizard;
}

namespace {

constexpr char kRecentScheme[] = "RecentScheme";
constexpr char kSchemeFolder[] = "SchemeFolder";

std::string RecentSchemeName(std::size_t place) { return kRecentScheme + std::to_string(place + 1); }

} // namespace

void SchemeFileSettings::Remember(const std::string& file)
{
    Forget(file);
    // A new list rather than an insertion at the front, which GCC's optimiser takes for a possible
    // null dereference.
    std::vector<std::string> latestFirst{file};
    for (std::size_t i = 0; i < recent.size() && latestFirst.size() < kMaxRecentSchemes; ++i)
        latestFirst.push_back(recent[i]);
    recent = std::move(latestFirst);
    folder = std::filesystem::path(file).parent_path().string();
}

void SchemeFileSettings::Forget(const std::string& file)
{
    std::erase(recent, file);
}

std::vector<StoredValue> StoredSchemeFileValues(const SchemeFileSettings& files)
{
    std::vector<StoredValue> values;
    for (std::size_t place = 0; place < kMaxRecentSchemes; ++place)
        values.push_back({RecentSchemeName(place), place < files.recent.size() ? files.recent[place] : std::string()});
    values.push_back({kSchemeFolder, files.folder});
    return values;
}

SchemeFileSettings SchemeFileSettingsFromStored(const std::vector<StoredValue>& values)
{
    SchemeFileSettings files;
    for (std::size_t place = 0; place < kMaxRecentSchemes; ++place) {
        const auto stored = std::ranges::find(values, RecentSchemeName(place), &StoredValue::name);
        // A path keeps its spaces; only an empty place or one already listed is left out.
        if (stored != values.end() && !stored->text.empty() && std::ranges::find(files.recent, stored->text) == files.recent.end())
            files.recent.push_back(stored->text);
    }
    if (const auto stored = std::ranges::find(values, std::string(kSchemeFolder), &StoredValue::name); stored != values.end())
        files.folder = stored->text;
    return files;
}

} // namespace velmora
