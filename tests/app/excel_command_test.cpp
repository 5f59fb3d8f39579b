// The "В Excel ->" command of the window: the workbook of the scheme shown, under the hourglass,
// handed to the spreadsheet application; nothing half-written left behind, and a whole workbook
// kept when no application can open it.
#include "app/excel_command.h"
#include "app/main_window.h"
#include "export/export_error.h"
#include "files/output_file.h"
#include "view/qt/scheme_grid.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <stdexcept>

using namespace velmora;

namespace {

SchemeDocument SmallScheme()
{
    Bitmap source(20, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            source.setPixel(x, y, MakeColor(x * 12, y * 25, 100));
    SchemeRequest request;
    request.width = 20;
    request.height = 10;
    request.colorCount = 4;
    request.symbols = {"\xfc", "\xa8", "J", "\x6c"};
    SchemeEngine engine;
    return engine.BuildScheme(source, request);
}

QStringList Workbooks(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*.xlsx")}, QDir::Files);
}

} // namespace

class ExcelCommandTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QApplication::setQuitOnLastWindowClosed(false);
        QVERIFY(temp_.isValid());
        qputenv("TMPDIR", QFile::encodeName(temp_.path()));
    }

    void init()
    {
        window_ = new MainWindow;
        window_->ShowScheme(SmallScheme());
    }

    void cleanup()
    {
        InstallSpreadsheetOpen({});
        delete window_;
        for (const QString& name : Workbooks(temp_.path()))
            QFile::remove(temp_.filePath(name));
    }

    // The workbook is complete and the cursor normal again when the application gets it; the
    // chart's font is the grid's current one, not the one of the build.
    void opensTheWrittenWorkbook()
    {
        GridFont font;
        font.name = "Webdings";
        font.size = 7;
        font.charset = kSymbolCharset;
        window_->ChartGrid->model().Font = font;
        QString opened;
        bool hourglassWhileOpening = true;
        InstallSpreadsheetOpen([&](const QString& file) {
            opened = file;
            hourglassWhileOpening = QGuiApplication::overrideCursor() != nullptr;
        });
        RunExcelCommand(*window_);

        QVERIFY(opened.startsWith(temp_.path()));
        QVERIFY(opened.endsWith(QStringLiteral(".xlsx")));
        QVERIFY(!hourglassWhileOpening);
        QVERIFY(!QGuiApplication::overrideCursor());
        const char* check = R"(
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
book, styles = z.read("xl/workbook.xml").decode(), z.read("xl/styles.xml").decode()
names = [n for n in ("Схема вишивки", "Список символов", "Картинка") if n in book]
ok = len(names) == 3 and '<sz val="7"/><color theme="1"/><name val="Webdings"/>' in styles
ok = ok and any(n.startswith("xl/media/") for n in z.namelist())
sys.exit(0 if ok else 1))";
        QCOMPARE(QProcess::execute(QStringLiteral(VELMORA_PYTHON3), {QStringLiteral("-c"), QString::fromUtf8(check), opened}), 0);

        // A second export is a second workbook.
        const QString first = opened;
        RunExcelCommand(*window_);
        QVERIFY(opened != first);
        QCOMPARE(Workbooks(temp_.path()).size(), 2);
        // The picture's private file and the unfinished workbooks are gone.
        QCOMPARE(QDir(temp_.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 2);
    }

    // Nothing can open the workbook: it is whole, so it stays, and the message says where.
    void noSpreadsheetApplicationKeepsTheWorkbook()
    {
        QString handed;
        InstallSpreadsheetOpen([&](const QString& file) {
            handed = file;
            throw ExportError("Не настроена программа электронных таблиц, которая открывает книги (.xlsx)");
        });
        QString message;
        try {
            RunExcelCommand(*window_);
        } catch (const ExportError& e) {
            message = QString::fromUtf8(e.what());
        }
        QVERIFY(!handed.isEmpty());
        QCOMPARE(Workbooks(temp_.path()), QStringList{QFileInfo(handed).fileName()});
        QVERIFY(QFileInfo(handed).size() > 0);
        QVERIFY2(message.startsWith(QStringLiteral("Не настроена программа электронных таблиц")), qPrintable(message));
        // The path has a line of its own, which the error box does not break.
        QVERIFY2(message.split(QLatin1Char('\n')).contains(QDir::toNativeSeparators(QFileInfo(handed).absoluteFilePath())),
                 qPrintable(message));
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    // "Отмена" while the workbook is written: nothing opens and no workbook stays.
    void cancelledExportLeavesNothing()
    {
        bool called = false;
        InstallSpreadsheetOpen([&](const QString&) { called = true; });
        QTimer::singleShot(0, window_, [this] {
            window_->findChild<QProgressDialog*>(QStringLiteral("WriteProgressDialog"))->cancel();
        });
        QVERIFY_THROWS_EXCEPTION(WriteCancelled, RunExcelCommand(*window_));
        QVERIFY(!called);
        QCOMPARE(QDir(temp_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
                 QStringList());
    }

    void failedWritingLeavesNothing()
    {
        bool called = false;
        InstallSpreadsheetOpen([&](const QString&) { called = true; });
        window_->ChartGrid->model().Font.size = 0; // no size a spreadsheet takes
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, RunExcelCommand(*window_));
        QVERIFY(!called);
        QVERIFY(Workbooks(temp_.path()).isEmpty());
        QVERIFY(!QGuiApplication::overrideCursor());
    }

private:
    QTemporaryDir temp_;
    MainWindow* window_ = nullptr;
};

QTEST_MAIN(ExcelCommandTest)
#include "excel_command_test.moc"
