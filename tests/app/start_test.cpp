// The window program started where no display can be had: a plain message and status 1 in place of
// Qt's abort, while a platform the user names is still left for Qt to open.
#include "tests/run_program.h"

#include <QtTest>

using namespace velmora;

namespace {

using Variables = QList<QPair<QString, QString>>;

const QString kNeedsDisplay = QStringLiteral("velmora needs a display (X11 or Wayland)");

} // namespace

class StartTest : public QObject {
    Q_OBJECT

private slots:
    void withoutDisplay_data()
    {
        QTest::addColumn<Variables>("variables");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("refused");
        // The platforms named here do not exist, so that a start the check lets through ends at once
        // in Qt's own failure instead of opening a window.
        const QString none = QStringLiteral("velmora-none");
        QTest::newRow("nothing set") << Variables{} << QStringList{} << true;
        QTest::newRow("all empty")
            << Variables{{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}} << QStringList{} << true;
        QTest::newRow("X11 display") << Variables{{"DISPLAY", ":" + none}} << QStringList{} << false;
        QTest::newRow("Wayland display") << Variables{{"WAYLAND_DISPLAY", none}} << QStringList{} << false;
        QTest::newRow("platform in the environment") << Variables{{"QT_QPA_PLATFORM", none}} << QStringList{} << false;
        QTest::newRow("-platform") << Variables{} << QStringList{"-platform", none} << false;
        QTest::newRow("--platform") << Variables{} << QStringList{"--platform", none} << false;
    }

    void withoutDisplay()
    {
        QFETCH(Variables, variables);
        QFETCH(QStringList, args);
        QFETCH(bool, refused);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        for (const auto& [name, value] : variables)
            environment.insert(name, value);

        const ProgramRun run = RunProgramIn(environment, QStringLiteral(VELMORA_EXECUTABLE), args);
        if (refused) {
            QVERIFY(run.finished);
            QCOMPARE(run.exitCode, 1);
            QVERIFY2(run.errors.startsWith(kNeedsDisplay), qPrintable(run.errors));
            QVERIFY2(run.errors.contains(QStringLiteral("xvfb-run -a velmora")), qPrintable(run.errors));
            QVERIFY(!run.errors.contains(QStringLiteral("Reinstalling")));
        } else {
            QVERIFY2(!run.errors.contains(kNeedsDisplay), qPrintable(run.errors));
            QVERIFY(!(run.finished && run.exitCode == 1));
        }
    }
};

QTEST_GUILESS_MAIN(StartTest)
#include "start_test.moc"
