#pragma once

#include "app/settings_store.h"

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace velmora {

// A registry in memory for the tests of the settings store: they fill it with values of any type,
// make it fail on purpose, and read back what the store asked and wrote.
class MemorySettingsRegistry final : public SettingsRegistry {
public:
    struct Value {
        RegistryDataType type = RegistryDataType::String;
        std::string text;
        friend bool operator==(const Value&, const Value&) = default;
    };
    // Values by name, in a section of a key.
    using Section = std::map<std::string, Value>;

    bool OpenKey(const std::string& key) override
    {
        if (failOpen)
            return false;
        if (std::find(keys.begin(), keys.end(), key) == keys.end())
            keys.push_back(key);
        openKey_ = key;
        return true;
    }

    void CloseKey() override { openKey_.clear(); }

    bool ValueExists(const std::string& section, const std::string& name) override
    {
        reads.push_back(name);
        return Find(section, name) != nullptr;
    }

    RegistryDataType ValueType(const std::string& section, const std::string& name) override
    {
        const Value* value = Find(section, name);
        return value ? value->type : RegistryDataType::String;
    }

    std::string ReadText(const std::string& section, const std::string& name) override
    {
        const Value* value = Find(section, name);
        return value ? value->text : std::string();
    }

    bool CreateSection(const std::string& section) override
    {
        if (failCreateSection)
            return false;
        sections[{openKey_, section}];
        return true;
    }

    bool WriteText(const std::string& section, const std::string& name, const std::string& text) override
    {
        if (name == failWriteOf)
            return false;
        writes.push_back(name);
        sections[{openKey_, section}][name] = Value{RegistryDataType::String, text};
        return true;
    }

    // The keys that exist, and the sections by (key, section name).
    std::vector<std::string> keys;
    std::map<std::pair<std::string, std::string>, Section> sections;

    // Faults to inject: opening the key, creating a section, writing the value of that name.
    bool failOpen = false;
    bool failCreateSection = false;
    std::string failWriteOf;

    // What happened: names read (asked whether they exist) and written, in order; whether a
    // key is open now.
    std::vector<std::string> reads;
    std::vector<std::string> writes;
    bool isOpen() const { return !openKey_.empty(); }

private:
    const Value* Find(const std::string& section, const std::string& name) const
    {
        const auto s = sections.find({openKey_, section});
        if (s == sections.end())
            return nullptr;
        const auto v = s->second.find(name);
        return v == s->second.end() ? nullptr : &v->second;
    }

    std::string openKey_;
};

} // namespace velmora
