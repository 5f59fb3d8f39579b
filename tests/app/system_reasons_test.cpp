// The system's reasons in the window's messages: in Russian where the reason is one users meet (a
// full disk, a name too long, a missing folder, a folder in a file's place), the system's own text
// where no translation is known.
#include "app/data_module.h"
#include "app/error_box.h"
#include "app/main_window.h"
#include "main_window_fixture.h"
#include "files/system_reason.h"
#include "tests/file_size_limit.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

using namespace velmora;

class SystemReasonsTest : public test::MainWindowFixture {
    Q_OBJECT

private slots:
    void init()
    {
        OpenWindow();
        Bitmap source(20, 20, MakeColor(200, 100, 50));
        DM->SourcePicture = source;
        window_->BuildScheme({20, 20, 2, {"!", "\""}, false});
    }

    void cleanup() { CloseWindow(); }

    void failedWritesSayWhyInRussian_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("sizeLimit"); // 0: none
        QTest::addColumn<QString>("reason");
        QTest::newRow("a full disk") << "chart.pdf" << qint64(1000) << "Файл слишком велик";
        QTest::newRow("a name too long") << QString(300, QLatin1Char('n')) + ".pdf" << qint64(0)
                                         << "Слишком длинное имя файла";
        QTest::newRow("a missing folder") << "missing/chart.pdf" << qint64(0) << "Нет такого файла или папки";
        QTest::newRow("a folder in the way") << "folder.pdf" << qint64(0) << "Это папка, а не файл";
    }

    // The PDF command and the scheme's save each name the file and the reason, in Russian.
    void failedWritesSayWhyInRussian()
    {
        QFETCH(QString, name);
        QFETCH(qint64, sizeLimit);
        QFETCH(QString, reason);
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("folder.pdf")));
        const QString file = folder.filePath(name);
        for (HintedAction* command : {DM->ac_FileSavePdf, DM->ac_FileSave}) {
            prompter_.errors.clear();
            prompter_.saveFiles = {file};
            DM->Session->SchemeFileName.clear();
            {
                const FileSizeLimit limit(sizeLimit > 0 ? rlim_t(sizeLimit) : RLIM_INFINITY);
                command->trigger();
            }
            QCOMPARE(prompter_.errors.size(), 1);
            QCOMPARE(prompter_.errors.front(),
                     QStringLiteral("Не удалось записать файл\n") + QDir::toNativeSeparators(file) + "\n" + reason);
        }
    }

    void reasonWithoutTranslationStaysTheSystems()
    {
        QCOMPARE(SystemReasonText(ENOSPC, "No space left on device"), QStringLiteral("Нет места на диске"));
        QCOMPARE(SystemReasonText(EROFS, "Read-only file system"), QStringLiteral("Диск доступен только для чтения"));
        QCOMPARE(SystemReasonText(EXDEV, "Invalid cross-device link"), QStringLiteral("Invalid cross-device link"));
        QCOMPARE(SystemReasonText(0, "not a regular file"), QStringLiteral("not a regular file"));
    }
};

QTEST_MAIN(SystemReasonsTest)
#include "system_reasons_test.moc"
