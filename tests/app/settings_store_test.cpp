// The settings store over a registry in memory: what a first start creates, the nine values a
// normal end leaves, how every stored text comes back, and every error path.
#include "memory_settings_registry.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

using namespace velmora;

namespace {

using Value = MemorySettingsRegistry::Value;
using Type = RegistryDataType;

const std::string kKey = "Software\\Mirvane\\Velmora2";
const std::string kSection = "Options";

const std::vector<std::string> kValueOrder{
    "FormVersion",          "FontDialog_FontCharset", "FontDialog_FontColor", "FontDialog_FontHeight",
    "FontDialog_FontName",  "FontDialog_FontPitch",   "FontDialog_FontSize",  "FontDialog_FontStyle",
    "Dithering",
};

// A start and an end of the program: a store at its location, the dialog's font at its first
// values, the stored "Dithering" at its default.
struct ProgramRun {
    explicit ProgramRun(MemorySettingsRegistry& registry) : store(registry)
    {
        store.Key = kKey;
        store.Section = kSection;
    }
    void Load() { store.Load(font, dithering); }
    void Save() { store.Save(font, dithering); }

    SettingsStore store;
    SymbolFont font;
    std::string dithering = "True";
};

MemorySettingsRegistry::Section& Options(MemorySettingsRegistry& registry)
{
    return registry.sections[{kKey, kSection}];
}

void Put(MemorySettingsRegistry& registry, const std::string& name, std::string text, Type type = Type::String)
{
    Options(registry)[name] = Value{type, std::move(text)};
}

std::string SettingsErrorText(const std::function<void()>& step)
{
    try {
        step();
    } catch (const SettingsError& error) {
        return error.what();
    }
    return "no error";
}

TEST(SettingsStore, FirstStartCreatesTheKeyAndNothingElse)
{
    MemorySettingsRegistry registry;
    ProgramRun run(registry);
    run.Load();

    EXPECT_EQ(registry.keys, std::vector<std::string>{kKey});
    EXPECT_TRUE(registry.sections.empty());
    EXPECT_TRUE(registry.writes.empty());
    EXPECT_FALSE(registry.isOpen());
    EXPECT_EQ(run.font.Name, "Wingdings");
    EXPECT_EQ(run.font.Size, 6);
    EXPECT_EQ(run.font.Height, -8);
    EXPECT_EQ(run.font.Charset, kSymbolCharset);
    EXPECT_EQ(run.font, SymbolFont());
    EXPECT_TRUE(StoredValueToBoolean(run.dithering));
    // Read in the order of the table.
    EXPECT_EQ(registry.reads, kValueOrder);
}

TEST(SettingsStore, FirstEndWritesNineStringsInOrder)
{
    MemorySettingsRegistry registry;
    ProgramRun run(registry);
    run.Load();
    run.dithering = "False";
    run.Save();

    EXPECT_EQ(registry.writes, kValueOrder);
    const MemorySettingsRegistry::Section expected{
        {"FormVersion", {Type::String, "0"}},
        {"FontDialog_FontCharset", {Type::String, "2"}},
        {"FontDialog_FontColor", {Type::String, "-16777208"}},
        {"FontDialog_FontHeight", {Type::String, "-8"}},
        {"FontDialog_FontName", {Type::String, "Wingdings"}},
        {"FontDialog_FontPitch", {Type::String, "fpDefault"}},
        {"FontDialog_FontSize", {Type::String, "6"}},
        {"FontDialog_FontStyle", {Type::String, "[]"}},
        {"Dithering", {Type::String, "False"}},
    };
    EXPECT_EQ(Options(registry), expected);
    EXPECT_EQ(registry.sections.size(), 1u);
    EXPECT_FALSE(registry.isOpen());
}

TEST(SettingsStore, ChangedFontComesBackAtTheNextStart)
{
    MemorySettingsRegistry registry;
    {
        ProgramRun first(registry);
        first.Load();
        first.font.Name = "Liberation Serif";
        first.font.Style = FontStyle{true, false, true, true};
        first.font.Size = 20;
        first.font.Height = -27;
        first.font.Charset = kRussianCharset;
        first.font.Color = 0x123456;
        first.font.Pitch = FontPitch::Variable;
        first.dithering = "False";
        first.Save();
        EXPECT_EQ(Options(registry)["FontDialog_FontStyle"].text, "[fsBold,fsUnderline,fsStrikeOut]");
        EXPECT_EQ(Options(registry)["FontDialog_FontPitch"].text, "fpVariable");
        EXPECT_EQ(Options(registry)["FontDialog_FontColor"].text, "1193046");
    }
    ProgramRun second(registry);
    second.Load();
    EXPECT_EQ(second.font.Name, "Liberation Serif");
    EXPECT_EQ(second.font.Style, (FontStyle{true, false, true, true}));
    EXPECT_EQ(second.font.Size, 20);
    EXPECT_EQ(second.font.Height, -27);
    EXPECT_EQ(second.font.Charset, kRussianCharset);
    EXPECT_EQ(second.font.Color, ColorValue{0x123456});
    EXPECT_EQ(second.font.Pitch, FontPitch::Variable);
    EXPECT_EQ(second.dithering, "False");
}

// Stored texts and the font they give; parts not named stay at their first-start values.
TEST(SettingsStore, StoredFontTexts)
{
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, Value>> stored;
        std::function<void(SymbolFont&)> expect; // turns the first-start font into the expected one
    };
    const auto text = [](const char* t) { return Value{Type::String, t}; };
    const Case cases[] = {
        {"style with brackets", {{"FontDialog_FontStyle", text("[fsBold,fsItalic]")}},
         [](SymbolFont& f) { f.Style = FontStyle{true, true, false, false}; }},
        {"style in lower case without brackets", {{"FontDialog_FontStyle", text("fsitalic")}},
         [](SymbolFont& f) { f.Style.italic = true; }},
        {"style of no valid name", {{"FontDialog_FontStyle", text("[bold]")}}, [](SymbolFont&) {}},
        {"style words at spaces, trimmed", {{"FontDialog_FontStyle", text(" \t[fsUnderline fsSTRIKEOUT, x]\r\n")}},
         [](SymbolFont& f) { f.Style = FontStyle{false, false, true, true}; }},
        {"empty style clears a style", {{"FontDialog_FontStyle", text("")}}, [](SymbolFont&) {}},
        {"size wins over height",
         {{"FontDialog_FontHeight", text("-20")}, {"FontDialog_FontSize", text("6")}},
         [](SymbolFont&) {}},
        {"height alone sets the size", {{"FontDialog_FontHeight", text("-20")}},
         [](SymbolFont& f) { f.Height = -20; f.Size = 15; }},
        {"size alone sets the height", {{"FontDialog_FontSize", text("12")}},
         [](SymbolFont& f) { f.Size = 12; f.Height = -16; }},
        {"size not a number is the smallest size", {{"FontDialog_FontSize", text("abc")}}, [](SymbolFont&) {}},
        {"largest size kept", {{"FontDialog_FontSize", text("72")}}, [](SymbolFont& f) { f.Size = 72; f.Height = -96; }},
        {"size beyond the largest held to it", {{"FontDialog_FontSize", text("8000")}},
         [](SymbolFont& f) { f.Size = 72; f.Height = -96; }},
        {"huge size held without overflow", {{"FontDialog_FontSize", text("2147483647")}},
         [](SymbolFont& f) { f.Size = 72; f.Height = -96; }},
        {"size below the smallest held to it", {{"FontDialog_FontSize", text("-5")}}, [](SymbolFont&) {}},
        {"huge height held to the largest size", {{"FontDialog_FontHeight", text("-8000")}},
         [](SymbolFont& f) { f.Size = 72; f.Height = -96; }},
        {"cell height held to the smallest size", {{"FontDialog_FontHeight", text("20")}}, [](SymbolFont&) {}},
        {"size in range wins over a huge height",
         {{"FontDialog_FontHeight", text("-8000")}, {"FontDialog_FontSize", text("10")}},
         [](SymbolFont& f) { f.Size = 10; f.Height = -13; }},
        {"charset not a number", {{"FontDialog_FontCharset", text("abc")}}, [](SymbolFont& f) { f.Charset = 0; }},
        {"charset trimmed", {{"FontDialog_FontCharset", text("  204 ")}}, [](SymbolFont& f) { f.Charset = 204; }},
        {"colour as signed text", {{"FontDialog_FontColor", text("-16777201")}},
         [](SymbolFont& f) { f.Color = 0xFF00000F; }},
        {"colour plain", {{"FontDialog_FontColor", text("255")}}, [](SymbolFont& f) { f.Color = 0x0000FF; }},
        {"name trimmed", {{"FontDialog_FontName", text("  Liberation Sans\t")}},
         [](SymbolFont& f) { f.Name = "Liberation Sans"; }},
        {"pitch in any case", {{"FontDialog_FontPitch", text("FPFIXED")}},
         [](SymbolFont& f) { f.Pitch = FontPitch::Fixed; }},
        {"unknown pitch keeps the pitch", {{"FontDialog_FontPitch", text("fpWide")}}, [](SymbolFont&) {}},
        {"expandable string reads as a string", {{"FontDialog_FontName", Value{Type::ExpandString, "Arial"}}},
         [](SymbolFont& f) { f.Name = "Arial"; }},
        {"wrong type leaves the part, the rest is read",
         {{"FontDialog_FontName", Value{Type::Integer, "7"}},
          {"FontDialog_FontColor", Value{Type::Binary, "\x01\x02"}},
          {"FontDialog_FontSize", text("9")}},
         [](SymbolFont& f) { f.Size = 9; f.Height = -12; }},
        // A text beyond any this store writes was not written by it: taken as missing.
        {"name of 1024 bytes kept", {{"FontDialog_FontName", Value{Type::String, std::string(1024, 'F')}}},
         [](SymbolFont& f) { f.Name = std::string(1024, 'F'); }},
        {"name of 30 MB taken as missing",
         {{"FontDialog_FontName", Value{Type::String, std::string(30'000'000, 'F')}}}, [](SymbolFont&) {}},
        {"style of 1025 bytes taken as missing",
         {{"FontDialog_FontStyle", Value{Type::String, "[fsBold" + std::string(1018, ' ') + "]"}}},
         [](SymbolFont&) {}},
        {"form version not a number counts as 0",
         {{"FormVersion", text("abc")}, {"FontDialog_FontName", text("Arial")}},
         [](SymbolFont& f) { f.Name = "Arial"; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemorySettingsRegistry registry;
        for (const auto& [name, value] : c.stored)
            Put(registry, name, value.text, value.type);
        ProgramRun run(registry);
        run.Load();
        SymbolFont expected;
        c.expect(expected);
        EXPECT_EQ(run.font.Name, expected.Name);
        EXPECT_EQ(run.font.Style, expected.Style);
        EXPECT_EQ(run.font.Size, expected.Size);
        EXPECT_EQ(run.font.Height, expected.Height);
        EXPECT_EQ(run.font.Charset, expected.Charset);
        EXPECT_EQ(run.font.Color, expected.Color);
        EXPECT_EQ(run.font.Pitch, expected.Pitch);
        EXPECT_TRUE(run.store.Restored());
    }
}

TEST(SettingsStore, DitheringTexts)
{
    struct Case {
        const char* stored;
        std::optional<bool> value; // nothing: not a Boolean
    };
    const Case cases[] = {
        {"True", true}, {"False", false}, {"false", false}, {"FALSE", false}, {"0", false},
        {"1", true},    {"-1", true},     {"abc", {}},      {"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        MemorySettingsRegistry registry;
        Put(registry, "Dithering", c.stored);
        ProgramRun run(registry);
        run.Load();
        EXPECT_EQ(run.dithering, c.stored);
        if (c.value)
            EXPECT_EQ(StoredValueToBoolean(run.dithering), *c.value);
        else
            EXPECT_EQ(SettingsErrorText([&] { StoredValueToBoolean(run.dithering); }),
                      "Could not convert variant of type (String) into type (Boolean)");
    }
}

TEST(SettingsStore, DitheringTextIsKeptUntrimmed)
{
    MemorySettingsRegistry registry;
    Put(registry, "Dithering", " False ");
    ProgramRun run(registry);
    run.Load();
    EXPECT_EQ(run.dithering, " False ");
}

TEST(SettingsStore, NegativeFormVersionAppliesNothingAndTheEndWritesAll)
{
    MemorySettingsRegistry registry;
    Put(registry, "FormVersion", "-1");
    Put(registry, "FontDialog_FontName", "Arial");
    Put(registry, "Dithering", "False");
    ProgramRun run(registry);
    run.Load();
    EXPECT_EQ(run.font, SymbolFont());
    EXPECT_EQ(run.dithering, "True");
    EXPECT_EQ(registry.reads, std::vector<std::string>{"FormVersion"});

    run.Save();
    EXPECT_EQ(registry.writes, kValueOrder);
    EXPECT_EQ(Options(registry)["FormVersion"].text, "0");
    EXPECT_EQ(Options(registry)["FontDialog_FontName"].text, "Wingdings");
    EXPECT_EQ(Options(registry)["Dithering"].text, "True");
}

TEST(SettingsStore, FormVersionOfAnotherTypeStopsTheLoadAndTheSave)
{
    MemorySettingsRegistry registry;
    Put(registry, "FormVersion", "0", Type::Integer);
    Put(registry, "FontDialog_FontName", "Arial");
    Put(registry, "Dithering", "False");
    ProgramRun run(registry);
    EXPECT_EQ(SettingsErrorText([&] { run.Load(); }), "Invalid data type for 'FormVersion'");
    EXPECT_FALSE(registry.isOpen());
    EXPECT_FALSE(run.store.Restored());
    EXPECT_EQ(run.font, SymbolFont());
    EXPECT_EQ(run.dithering, "True");

    run.Save();
    EXPECT_TRUE(registry.writes.empty());
    EXPECT_EQ(Options(registry)["FormVersion"].type, Type::Integer);
}

TEST(SettingsStore, DitheringOfAnotherTypeFailsAfterTheFontAndIsOverwritten)
{
    MemorySettingsRegistry registry;
    Put(registry, "FontDialog_FontName", "Arial");
    Put(registry, "Dithering", "1", Type::Integer);
    ProgramRun run(registry);
    EXPECT_EQ(SettingsErrorText([&] { run.Load(); }), "Invalid data type for 'Dithering'");
    EXPECT_FALSE(registry.isOpen());
    EXPECT_EQ(run.font.Name, "Arial");
    EXPECT_EQ(run.dithering, "True");

    run.dithering = "False";
    run.Save();
    EXPECT_EQ(Options(registry)["Dithering"], (Value{Type::String, "False"}));
}

TEST(SettingsStore, SaveFailures)
{
    struct Case {
        const char* name;
        bool failCreateSection;
        std::string failWriteOf;
        std::string error;
        std::vector<std::string> written;
    };
    const Case cases[] = {
        {"section cannot be created", true, "", "Failed to create key Options", {}},
        {"a value cannot be written", false, "FontDialog_FontName", "Failed to set data for 'FontDialog_FontName'",
         {"FormVersion", "FontDialog_FontCharset", "FontDialog_FontColor", "FontDialog_FontHeight"}},
        {"the last value cannot be written", false, "Dithering", "Failed to set data for 'Dithering'",
         std::vector<std::string>(kValueOrder.begin(), kValueOrder.end() - 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemorySettingsRegistry registry;
        ProgramRun run(registry);
        run.Load();
        registry.failCreateSection = c.failCreateSection;
        registry.failWriteOf = c.failWriteOf;
        EXPECT_EQ(SettingsErrorText([&] { run.Save(); }), c.error);
        EXPECT_EQ(registry.writes, c.written);
        EXPECT_FALSE(registry.isOpen());
    }
}

TEST(SettingsStore, UnreachableKey)
{
    MemorySettingsRegistry registry;
    registry.failOpen = true;
    ProgramRun run(registry);
    run.Load(); // finds no values
    EXPECT_EQ(run.font, SymbolFont());
    EXPECT_EQ(run.dithering, "True");
    EXPECT_EQ(SettingsErrorText([&] { run.Save(); }), "Failed to create key " + kKey);
}

TEST(SettingsStore, TextForms)
{
    EXPECT_EQ(FontStyleText(FontStyle{}), "[]");
    EXPECT_EQ(FontStyleText(FontStyle{false, true, false, true}), "[fsItalic,fsStrikeOut]");
    EXPECT_EQ(FontPitchText(FontPitch::Fixed), "fpFixed");
}

} // namespace

namespace {

// The view's values after the nine: written in their order, read back as they were, and a text
// that does not read (or a value of another type) keeps the default of its own part only.
TEST(SettingsStore, ViewValuesComeBackAndBadOnesKeepTheirDefaults)
{
    MemorySettingsRegistry registry;
    ViewSettings view;
    view.look = {true, false, true, 18};
    view.zoom = 150;
    view.windowPlacement = "AdnQywADAAAAAAB";
    {
        ProgramRun run(registry);
        run.store.MoreValues = StoredViewValues(ViewSettings{});
        run.Load();
        EXPECT_EQ(ViewSettingsFromStored(run.store.MoreValues), ViewSettings{}) << "first start: the defaults";
        run.store.MoreValues = StoredViewValues(view);
        run.Save();
    }
    std::vector<std::string> order = kValueOrder;
    for (const char* name : {"TenLines", "ColorCells", "Skeins", "FabricCount", "Zoom", "WindowPlacement"})
        order.push_back(name);
    EXPECT_EQ(registry.writes, order);
    EXPECT_EQ(Options(registry)["FabricCount"].text, "18");
    {
        ProgramRun run(registry);
        run.store.MoreValues = StoredViewValues(ViewSettings{});
        run.Load();
        EXPECT_EQ(ViewSettingsFromStored(run.store.MoreValues), view);
    }

    const struct {
        const char* name;
        std::string text;
        Type type;
    } bad[] = {
        {"TenLines", "maybe", Type::String},    {"ColorCells", "1", Type::Integer}, {"FabricCount", "5", Type::String},
        {"FabricCount", "41", Type::String},    {"FabricCount", "x", Type::String}, {"Zoom", "-100", Type::String},
        {"WindowPlacement", std::string(kMaxWindowPlacementText + 1, 'A'), Type::String},
    };
    for (const auto& b : bad) {
        SCOPED_TRACE(b.name + (" = " + b.text.substr(0, 10)));
        Put(registry, b.name, b.text, b.type);
        ProgramRun run(registry);
        run.store.MoreValues = StoredViewValues(ViewSettings{});
        EXPECT_NO_THROW(run.Load());
        const ViewSettings got = ViewSettingsFromStored(run.store.MoreValues);
        EXPECT_EQ(got.look.tenLines, std::string(b.name) == "TenLines" ? false : view.look.tenLines);
        EXPECT_EQ(got.look.fabricCount, std::string(b.name) == "FabricCount" ? kDefaultFabricCount : 18);
        EXPECT_EQ(got.zoom, std::string(b.name) == "Zoom" ? 100 : 150);
        EXPECT_EQ(got.windowPlacement, std::string(b.name) == "WindowPlacement" ? "" : view.windowPlacement);
        for (const StoredValue& v : StoredViewValues(view))
            Put(registry, v.name, v.text);
    }
    // A zoom between the steps comes back as the nearest step.
    Put(registry, "Zoom", "130");
    ProgramRun run(registry);
    run.store.MoreValues = StoredViewValues(ViewSettings{});
    run.Load();
    EXPECT_EQ(ViewSettingsFromStored(run.store.MoreValues).zoom, 125);
}

// The wizard's "Точные цвета" after the view's values: "False" by default, kept as "True" when
// ticked, and a text that is no Boolean (or a value of another type) leaves it off.
TEST(SettingsStore, WizardValueComesBackAfterTheViewsAndABadOneKeepsTheDefault)
{
    const auto values = [](const WizardSettings& wizard) {
        std::vector<StoredValue> all = StoredViewValues(ViewSettings{});
        for (StoredValue& value : StoredWizardValues(wizard))
            all.push_back(std::move(value));
        return all;
    };
    MemorySettingsRegistry registry;
    {
        ProgramRun run(registry);
        run.store.MoreValues = values(WizardSettings{});
        run.Load();
        EXPECT_EQ(WizardSettingsFromStored(run.store.MoreValues), WizardSettings{}) << "first start: off";
        run.Save();
    }
    EXPECT_EQ(registry.writes.back(), "Perceptual");
    EXPECT_EQ(registry.writes.size(), kValueOrder.size() + 7);
    EXPECT_EQ(Options(registry)["Perceptual"].text, "False");

    const struct {
        std::string text;
        Type type;
        bool read;
    } cases[] = {
        {"True", Type::String, true}, {" true ", Type::String, true}, {"1", Type::String, true},
        {"False", Type::String, false}, {"maybe", Type::String, false}, {"", Type::String, false},
        {"1", Type::Integer, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("\"" + c.text + "\"");
        Put(registry, "Perceptual", c.text, c.type);
        ProgramRun run(registry);
        run.store.MoreValues = values(WizardSettings{});
        EXPECT_NO_THROW(run.Load());
        EXPECT_EQ(WizardSettingsFromStored(run.store.MoreValues).perceptual, c.read);
    }
    ProgramRun run(registry);
    run.Load();
    run.store.MoreValues = values(WizardSettings{true});
    run.Save();
    EXPECT_EQ(Options(registry)["Perceptual"].text, "True");
}

} // namespace

namespace {

// The recent scheme files and their folder after the view's values: the latest first, each once,
// at most eight, and a shorter list clears the places it no longer takes.
TEST(SettingsStore, RecentSchemesComeBackLatestFirst)
{
    SchemeFileSettings files;
    for (int i = 1; i <= 10; ++i)
        files.Remember("/home/u/Схемы/" + std::to_string(i) + ".velmora");
    files.Remember("/home/u/Схемы/7.velmora");
    files.Remember("/home/u/другая папка/a b.velmora");
    EXPECT_EQ(files.recent, (std::vector<std::string>{"/home/u/другая папка/a b.velmora", "/home/u/Схемы/7.velmora",
                                                      "/home/u/Схемы/10.velmora", "/home/u/Схемы/9.velmora",
                                                      "/home/u/Схемы/8.velmora", "/home/u/Схемы/6.velmora",
                                                      "/home/u/Схемы/5.velmora", "/home/u/Схемы/4.velmora"}));
    EXPECT_EQ(files.folder, "/home/u/другая папка");

    MemorySettingsRegistry registry;
    const auto run = [&](const SchemeFileSettings& saved) {
        ProgramRun program(registry);
        program.store.MoreValues = StoredSchemeFileValues(SchemeFileSettings{});
        program.Load();
        const SchemeFileSettings loaded = SchemeFileSettingsFromStored(program.store.MoreValues);
        program.store.MoreValues = StoredSchemeFileValues(saved);
        program.Save();
        return loaded;
    };
    EXPECT_EQ(run(files), SchemeFileSettings{}) << "first start: none";
    EXPECT_EQ(registry.writes.size(), kValueOrder.size() + kMaxRecentSchemes + 1);
    EXPECT_EQ(registry.writes.back(), "SchemeFolder");
    EXPECT_EQ(Options(registry)["RecentScheme1"].text, "/home/u/другая папка/a b.velmora");

    SchemeFileSettings shorter = files;
    shorter.Forget("/home/u/Схемы/7.velmora");
    shorter.recent.resize(3);
    EXPECT_EQ(run(shorter), files);
    EXPECT_EQ(Options(registry)["RecentScheme4"].text, "");
    EXPECT_EQ(run(files), shorter);

    // A hand-edited list: gaps and repeats are left out, a value of another type keeps nothing.
    Put(registry, "RecentScheme1", "/a.velmora");
    Put(registry, "RecentScheme2", "");
    Put(registry, "RecentScheme3", "/a.velmora");
    Put(registry, "RecentScheme4", "/b.velmora", Type::Integer);
    Put(registry, "RecentScheme5", "/c.velmora");
    EXPECT_EQ(run({}).recent, (std::vector<std::string>{"/a.velmora", "/c.velmora", "/home/u/Схемы/6.velmora",
                                                        "/home/u/Схемы/5.velmora", "/home/u/Схемы/4.velmora"}));
}

} // namespace
