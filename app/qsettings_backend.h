#pragma once

#include "settings_store.h"

#include <QSettings>

#include <memory>

namespace velmora {

// The settings registry of the program: QSettings in the native format under the organisation and
// application named by the key "Software\<organisation>\<application>", every value a string. On
// Windows that is the registry key itself; elsewhere a configuration file
// (~/.config/Mirvane/Velmora2.conf), whose values are strings unless edited by hand into lists.
class QSettingsRegistry final : public SettingsRegistry {
public:
    bool OpenKey(const std::string& key) override;
    void CloseKey() override;
    bool ValueExists(const std::string& section, const std::string& name) override;
    RegistryDataType ValueType(const std::string& section, const std::string& name) override;
    std::string ReadText(const std::string& section, const std::string& name) override;
    bool CreateSection(const std::string& section) override;
    bool WriteText(const std::string& section, const std::string& name, const std::string& text) override;

private:
    std::unique_ptr<QSettings> settings_;
};

} // namespace velmora
