#pragma once

#include "settings_store.h"

#include <QSettings>

#include <memory>

namespace velmora {

// The settings registry of the program: QSettings in the native format under the organisation and
// application named by the key "Software\<organisation>\<application>", every value a string. On
// Windows that is the registry key itself; elsewhere a configuration file
// (~/.config/Mirvane/Velmora2.conf), whose values are strings unless edited by hand into lists.
//
// A configuration file is read only when it is a regular file: anything else at its place (a
// folder, a FIFO, a device) makes the key unreachable rather than block or read without end. A
// file that is not well-formed (a byte-order mark, an unclosed section header, garbage) still
// gives the values that could be read from it; the first write replaces it by a fresh file.
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
    bool StartFreshFileIfMisformed();

    std::unique_ptr<QSettings> settings_;
    // The open file is not well-formed: its values were read, but it is not written into as it is.
    bool misformed_ = false;
    // The file last found not well-formed, until a fresh file replaces it. QSettings reports the
    // error only to the first of its objects that parses the file: the save after a load, which
    // reopens the same file, is not told again.
    QString misformedFile_;
};

} // namespace velmora
