#pragma once

#include "tests/read_file.h"
#include "tests/run_program.h"
#include "view/paint/qt_bridge.h"

#include <QDir>
#include <QString>
#include <QStringList>
#include <QTest>

#include <filesystem>
#include <string>

namespace velmora {

// A scheme the window saved, given to velmora-cli, writes the same scheme.json and picture.bmp
// as velmora-cli making the scheme itself with `toolArguments`: the window and the tool make one
// scheme. Works in `folder`, which it removes; a difference fails the test function.
inline void CompareWithTool(const QString& folder, const std::filesystem::path& saved, QStringList toolArguments)
{
    const auto run = [](const QStringList& arguments) {
        const ProgramRun cli = RunProgramIn(QProcessEnvironment::systemEnvironment(),
                                            QStringLiteral(VELMORA_CLI_PATH), arguments);
        QVERIFY2(cli.exitCode == 0, qPrintable(cli.errors));
    };
    const QStringList outputs = {QStringLiteral("--formats"), QStringLiteral("json,bmp"), QStringLiteral("--out")};
    run(QStringList{QString::fromStdString(saved.string())} + outputs + QStringList{folder + QStringLiteral("/window")});
    run(toolArguments + outputs + QStringList{folder + QStringLiteral("/tool")});
    for (const char* file : {"/scheme.json", "/picture.bmp"}) {
        const std::string window = ReadFileText(ToPath(folder + "/window" + file));
        QVERIFY(!window.empty());
        QVERIFY2(window == ReadFileText(ToPath(folder + "/tool" + file)), file);
    }
    QDir(folder).removeRecursively();
}

} // namespace velmora
