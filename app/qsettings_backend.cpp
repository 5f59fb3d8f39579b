#include "qsettings_backend.h"

#include "view/paint/qt_bridge.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

namespace velmora {
namespace {

QString ValuePath(const std::string& section, const std::string& name)
{
    return Cp1251ToQString(section) + QLatin1Char('/') + Cp1251ToQString(name);
}

#ifndef Q_OS_WIN
// Where QSettings keeps an application's native user settings on Unix ($XDG_CONFIG_HOME, else
// ~/.config). The store opens that file by name, so that the file whose type is checked is the one
// that is read; the fallback files of the organisation and of the system are not the user's
// settings and are not read.
QString ConfigFileName(const QString& organisation, const QString& application)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (folder.isEmpty())
        return {};
    return folder + QLatin1Char('/') + organisation + QLatin1Char('/') + application + QStringLiteral(".conf");
}

// Makes sure a regular file exists at `fileName`. A configuration file comes into being only with
// its first value; the key should exist from the first start on, as a registry key would.
// Anything else at that place is refused before QSettings opens it: a FIFO would block start-up
// until some other program writes into it, a device could be read without end.
bool RegularFileAt(const QString& fileName)
{
    const QFileInfo file(fileName);
    if (file.exists())
        return file.isFile();
    QFile created(fileName);
    return QDir().mkpath(file.absolutePath()) && created.open(QIODevice::WriteOnly);
}
#endif

} // namespace

bool QSettingsRegistry::OpenKey(const std::string& key)
{
    settings_.reset();
    misformed_ = false;
    const QStringList parts = Cp1251ToQString(key).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (parts.size() != 3 || parts[0].compare(QLatin1String("Software"), Qt::CaseInsensitive) != 0)
        return false;
#ifdef Q_OS_WIN
    settings_ = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, parts[1], parts[2]);
#else
    const QString fileName = ConfigFileName(parts[1], parts[2]);
    if (fileName.isEmpty() || !RegularFileAt(fileName))
        return false;
    settings_ = std::make_unique<QSettings>(fileName, QSettings::IniFormat);
    // Sections are parsed when first asked for; parse them all now, so that the status speaks for
    // the whole file.
    settings_->allKeys();
#endif
    switch (settings_->status()) {
    case QSettings::NoError:
        misformed_ = settings_->fileName() == misformedFile_;
        return true;
    case QSettings::FormatError:
        // QSettings reads on past what it cannot parse (a UTF-8 byte-order mark, a section header
        // without its closing bracket, a line of garbage): the values it did read are the user's.
        misformed_ = true;
        misformedFile_ = settings_->fileName();
        return true;
    case QSettings::AccessError:
        break;
    }
    settings_.reset();
    return false;
}

void QSettingsRegistry::CloseKey()
{
    settings_.reset();
    misformed_ = false;
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
    return QStringToCp1251(settings_->value(ValuePath(section, name)).toString());
}

bool QSettingsRegistry::CreateSection(const std::string& section)
{
    // A group comes into being with its first value; what can fail is writing at all.
    return settings_ && (settings_->isWritable() || settings_->childGroups().contains(Cp1251ToQString(section)));
}

// QSettings keeps the format error of a misformed file for as long as it has the file open, so a
// failure to write into it could not be told from success; and it would carry the garbage along.
// The file is therefore replaced whole by an empty one (or stays as it is when that fails), and
// the values are written into that. The store writes every value it knows, the ones it read from
// the misformed file included.
bool QSettingsRegistry::StartFreshFileIfMisformed()
{
    if (!misformed_)
        return true;
    const QString fileName = settings_->fileName();
    settings_.reset();
    misformed_ = false;
    QSaveFile fresh(fileName);
    if (!fresh.open(QIODevice::WriteOnly) || !fresh.commit())
        return false;
    misformedFile_.clear();
    settings_ = std::make_unique<QSettings>(fileName, QSettings::IniFormat);
    return settings_->status() == QSettings::NoError;
}

bool QSettingsRegistry::WriteText(const std::string& section, const std::string& name, const std::string& text)
{
    if (!settings_ || !settings_->isWritable() || !StartFreshFileIfMisformed())
        return false;
    settings_->setValue(ValuePath(section, name), Cp1251ToQString(text));
    // Written out value by value, so that a failure names the value that was lost.
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

} // namespace velmora
