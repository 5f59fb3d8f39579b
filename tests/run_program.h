#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace velmora {

// What a program (a poppler tool, the spreadsheet reader) prints; empty when it fails.
inline QString RunProgram(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace velmora
