// velmora-demo keeps nothing for the user: a run leaves the home it was given and the temporary
// folder as empty as it found them, although the window's file dialogs would keep their history in
// ~/.config/QtProject.conf.
#include "tests/run_program.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QtTest>

using namespace velmora;

namespace {

// Every file and folder under `folder`, hidden ones too, relative to it.
QStringList EntriesUnder(const QString& folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << QDir(folder).relativeFilePath(it.next());
    return entries;
}

} // namespace

class VelmoraDemoTest : public QObject {
    Q_OBJECT

private slots:
    void keepsNothing_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("pages") << QStringLiteral("VELMORA_DEMO_SCREENSHOTS");
        QTest::newRow("scheme-file commands") << QStringLiteral("VELMORA_DEMO_TOUR");
    }

    void keepsNothing()
    {
        QFETCH(QString, mode);
        QTemporaryDir home, temp, runtime, shots;
        QVERIFY(home.isValid() && temp.isValid() && runtime.isValid() && shots.isValid());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/.config"));
        environment.insert(QStringLiteral("TMPDIR"), temp.path());
        // Else Qt makes its runtime folder in the temporary folder.
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("VELMORA_DEMO_PICTURE"),
                           QStringLiteral(VELMORA_SAMPLES_DIR "/cat-chelsea-451x300.jpg"));
        environment.insert(QStringLiteral("VELMORA_DEMO_SIZE"), QStringLiteral("30x20"));
        environment.insert(mode, shots.path());

        const ProgramRun run = RunProgramIn(environment, QStringLiteral(VELMORA_DEMO_PATH), {});
        QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.errors));
        QVERIFY(!EntriesUnder(shots.path()).isEmpty());
        const QStringList inHome = EntriesUnder(home.path());
        QVERIFY2(inHome.isEmpty(), qPrintable(inHome.join(QStringLiteral(", "))));
        const QStringList inTemp = EntriesUnder(temp.path());
        QVERIFY2(inTemp.isEmpty(), qPrintable(inTemp.join(QStringLiteral(", "))));
    }
};

QTEST_GUILESS_MAIN(VelmoraDemoTest)
#include "velmora_demo_test.moc"
