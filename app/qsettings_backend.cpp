#include "qsettings_backend.h"

#include "scheme/cp1251.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace velmora {
namespace {

QString ToQString(const std::string& text)
{
    return QString::fromStdString(Cp1251ToUtf8(text));
}

QString ValuePath(const std::string& section, const std::string& name)
{
    return ToQString(section) + QLatin1Char('/') + ToQString(name);
}

} // namespace

bool QSettingsRegistry::OpenKey(const std::string& key)
{
    const QStringList parts = ToQString(key).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (parts.size() != 3 || parts[0].compare(QLatin1String("Software"), Qt::CaseInsensitive) != 0)
        return false;
    settings_ = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, parts[1], parts[2]);
    if (settings_->status() != QSettings::NoError) {
        settings_.reset();
        return false;
    }
#ifndef Q_OS_WIN
    // A configuration file comes into being only with its first value; the key should exist from
    // the first start on, as a registry key would.
    const QFileInfo file(settings_->fileName());
    if (!file.exists()) {
        QFile created(file.absoluteFilePath());
        if (!QDir().mkpath(file.absolutePath()) || !created.open(QIODevice::WriteOnly)) {
            settings_.reset();
            return false;
        }
    }
#endif
    return true;
}

void QSettingsRegistry::CloseKey()
{
    settings_.reset();
}

bool QSettingsRegistry::ValueExists(const std::string& section, const std::string& name)
{
    return settings_ && settings_->contains(ValuePath(section, name));
}

RegistryDataType QSettingsRegistry::ValueType(const std::string& section, const std::string& name)
{
    const QVariant value = settings_->value(ValuePath(section, name));
    switch (value.typeId()) {
    case QMetaType::QString:
        return RegistryDataType::String;
    case QMetaType::QStringList:
        // An unquoted text with commas, written by hand.
        return RegistryDataType::MultiString;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return RegistryDataType::Integer;
    default:
        return RegistryDataType::Binary;
    }
}

std::string QSettingsRegistry::ReadText(const std::string& section, const std::string& name)
{
    return Utf8ToCp1251(settings_->value(ValuePath(section, name)).toString().toStdString());
}

bool QSettingsRegistry::CreateSection(const std::string& section)
{
    // A group comes into being with its first value; what can fail is writing at all.
    return settings_ && (settings_->isWritable() || settings_->childGroups().contains(ToQString(section)));
}

bool QSettingsRegistry::WriteText(const std::string& section, const std::string& name, const std::string& text)
{
    if (!settings_ || !settings_->isWritable())
        return false;
    settings_->setValue(ValuePath(section, name), ToQString(text));
    // Written out value by value, so that a failure names the value that was lost.
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

} // namespace velmora
