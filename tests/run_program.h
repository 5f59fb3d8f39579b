#pragma once

#include <QProcess>
#include <QProcessEnvironment>
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

// How a run ended, for tests of the programs' own exit statuses and messages.
struct ProgramRun {
    bool finished = false; // ended by itself within the minute, not by a signal
    int exitCode = -1;
    QString output;
    QString errors;
};

inline ProgramRun RunProgramIn(const QProcessEnvironment& environment, const QString& program,
                               const QStringList& args)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, args);
    ProgramRun run;
    if (!process.waitForFinished(60000))
        process.kill();
    process.waitForFinished();
    run.finished = process.exitStatus() == QProcess::NormalExit;
    run.exitCode = run.finished ? process.exitCode() : -1;
    run.output = QString::fromUtf8(process.readAllStandardOutput());
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace velmora
