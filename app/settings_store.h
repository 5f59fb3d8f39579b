#pragma once

#include "view/chart_look.h"
#include "view/symbol_font.h"

#include <stdexcept>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// A failure of the settings store, with the text the user is shown.
class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The kinds of data a registry value can hold. The store reads only strings; a value of any other
// kind is a wrong type.
enum class RegistryDataType { String, ExpandString, MultiString, Integer, Binary };

// The little of a per-user registry that the settings store needs: one key, opened for the
// duration of a load or a save, with sections (subkeys) holding named values.
class SettingsRegistry {
public:
    virtual ~SettingsRegistry() = default;

    // Opens `key` (a path such as "Software\Mirvane\Velmora2"), creating it when it is missing.
    // False when it can be neither opened nor created.
    virtual bool OpenKey(const std::string& key) = 0;
    // Ends what OpenKey began. Never throws.
    virtual void CloseKey() = 0;

    // Reading; a missing section holds no values.
    virtual bool ValueExists(const std::string& section, const std::string& name) = 0;
    virtual RegistryDataType ValueType(const std::string& section, const std::string& name) = 0;
    virtual std::string ReadText(const std::string& section, const std::string& name) = 0;

    // Writing; false on failure. WriteText replaces a value of any type with a string.
    virtual bool CreateSection(const std::string& section) = 0;
    virtual bool WriteText(const std::string& section, const std::string& name, const std::string& text) = 0;
};

// A registry that keeps nothing: every key opens, no value exists, and what is written is
// forgotten. The one a window gets when the program has installed no other.
class DiscardingSettingsRegistry final : public SettingsRegistry {
public:
    bool OpenKey(const std::string&) override { return true; }
    void CloseKey() override {}
    bool ValueExists(const std::string&, const std::string&) override { return false; }
    RegistryDataType ValueType(const std::string&, const std::string&) override { return RegistryDataType::String; }
    std::string ReadText(const std::string&, const std::string&) override { return {}; }
    bool CreateSection(const std::string&) override { return true; }
    bool WriteText(const std::string&, const std::string&, const std::string&) override { return true; }
};

// The registry that data modules created from now on keep their settings in; nullptr (the
// start) gives each a DiscardingSettingsRegistry, so that tests and tools neither read nor write
// the user's settings. The program installs its real one in main(). Returns the previous.
SettingsRegistry* InstallSettingsRegistry(SettingsRegistry* registry);
SettingsRegistry* InstalledSettingsRegistry();

// A stored value beyond the symbol font and "Dithering": its name and its text.
struct StoredValue {
    std::string name;
    std::string text;
};

// The settings store: the symbol font and the stored value "Dithering", kept under `Key` in the
// section `Section` as nine strings, and after them the values of `MoreValues`. Loaded once at
// start-up and saved once at shutdown.
class SettingsStore {
public:
    explicit SettingsStore(SettingsRegistry& registry) : registry_(registry) {}

    std::string Key;
    std::string Section;
    // Read after "Dithering", each with its text as the default, and written after it in this
    // order; one that is not a string keeps its text.
    std::vector<StoredValue> MoreValues;

    // Reads the stored settings into `font` and `dithering`: a value that is missing or unreadable
    // leaves its part as it is; a font size beyond the standard sizes of the font dialog (6 to 72
    // points) is held to the nearer end. Throws SettingsError when "FormVersion" or "Dithering" is
    // not a string; in the first case nothing is applied and nothing will be saved. A text longer
    // than kMaxStoredTextBytes counts as missing.
    void Load(SymbolFont& font, std::string& dithering);

    static constexpr std::size_t kMaxStoredTextBytes = 1024;
    // Writes all nine values and then MoreValues, unless no load has got past "FormVersion". Throws
    // SettingsError when the section cannot be created or a value cannot be written; what is not
    // yet written is lost.
    void Save(const SymbolFont& font, const std::string& dithering);

    bool Restored() const { return restored_; }

private:
    std::string ReadString(const std::string& name, const std::string& defaultText);
    void WriteString(const std::string& name, const std::string& text);

    SettingsRegistry& registry_;
    bool restored_ = false;
};

// The text forms of the font's parts as the settings keep them.
std::string FontStyleText(const FontStyle& style);
std::string FontPitchText(FontPitch pitch);

// The window's view of a scheme as the user last left it: the chart's look, the cloth, the zoom of
// the chart and the main window's placement (an opaque text of the shell's, at most
// kMaxWindowPlacementText characters).
struct ViewSettings {
    ChartLook look;
    int zoom = 100;
    std::string windowPlacement;
    friend bool operator==(const ViewSettings&, const ViewSettings&) = default;
};
inline constexpr std::size_t kMaxWindowPlacementText = 4096;

// The stored values of the view, in the order they are written: "TenLines", "ColorCells",
// "Skeins", "FabricCount", "Zoom", "WindowPlacement".
std::vector<StoredValue> StoredViewValues(const ViewSettings& view);
// The view from stored values; a value that is missing or does not read (not a Boolean, a count
// outside 6..40, a zoom that is no number, a placement too long) keeps the default.
ViewSettings ViewSettingsFromStored(const std::vector<StoredValue>& values);

// The wizard's choices kept beside "Dithering": whether "Точные цвета" (the perceptual build) was
// ticked.
struct WizardSettings {
    bool perceptual = false;
    friend bool operator==(const WizardSettings&, const WizardSettings&) = default;
};

// The stored values of the wizard, written after those of the view: "Perceptual".
std::vector<StoredValue> StoredWizardValues(const WizardSettings& wizard);
// The wizard's choices from stored values; a value that is missing or not a Boolean keeps the
// default.
WizardSettings WizardSettingsFromStored(const std::vector<StoredValue>& values);

// The scheme files the window last opened or saved, the latest first (at most kMaxRecentSchemes),
// and the folder of the latest: the open and save dialogs start there. Paths as the store keeps
// every text.
struct SchemeFileSettings {
    std::vector<std::string> recent;
    std::string folder;
    friend bool operator==(const SchemeFileSettings&, const SchemeFileSettings&) = default;

    // `file` was opened or saved: it moves to the front of `recent` (once), the oldest beyond the
    // limit drops off, and its folder becomes `folder`.
    void Remember(const std::string& file);
    // `file` is gone from `recent`; `folder` stays.
    void Forget(const std::string& file);
};
inline constexpr std::size_t kMaxRecentSchemes = 8;

// The stored values of the scheme files, in the order they are written: "RecentScheme1" to
// "RecentScheme8" (an empty text for a place not taken, so that a shorter list replaces a longer
// one) and "SchemeFolder".
std::vector<StoredValue> StoredSchemeFileValues(const SchemeFileSettings& files);
// The scheme files from stored values: empty and repeated entries are left out.
SchemeFileSettings SchemeFileSettingsFromStored(const std::vector<StoredValue>& values);

// The stored "Dithering" text as a Boolean: "True" or "False" in any letter case, or a number
// (0 is false, any other true). Any other text throws SettingsError.
bool StoredValueToBoolean(std::string_view text);

} // namespace velmora
