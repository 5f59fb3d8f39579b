// The legend's symbols as the user meets them on screen, in the printed PDF and in the workbook:
// every symbol is there, each colour's differs from the others', and the workbook carries the
// very characters the screen draws.
#include "app/data_module.h"
#include "app/excel_command.h"
#include "app/main_window.h"
#include "view/symbol_font.h"
#include "scheme/symbol_spread.h"
#include "view/paint/qt_print_canvas.h"
#include "view/paint/symbol_glyphs.h"
#include "view/qt/scheme_grid.h"
#include "tests/run_program.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <map>
#include <set>

using namespace velmora;

namespace {

// A picture of far more colours than a scheme takes.
Bitmap Pattern(int w, int h)
{
    Bitmap bitmap(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            bitmap.setPixel(x, y, MakeColor(x * 37 % 256, y * 53 % 256, (x + y) * 11 % 256));
    return bitmap;
}

// The number printed at the left of a legend row → the symbol that pdftotext reads beside it.
std::map<int, QString> PdfSymbols(const QString& pdf)
{
    std::map<int, QString> symbols;
    // Number, symbol, then the colour value that the swatch hides.
    static const QRegularExpression row(QStringLiteral("^\\s*(\\d+)\\s+(\\S)\\s+\\d"));
    for (const QString& line : RunProgram(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")})
                                   .split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = row.match(line);
        if (match.hasMatch())
            symbols[match.captured(1).toInt()] = match.captured(2);
    }
    return symbols;
}

// Legend row → the text of its symbol cell in the workbook, read with openpyxl.
std::map<int, QString> WorkbookSymbols(const QString& xlsx)
{
    const char* script = R"(
import json, sys, openpyxl
sheet = openpyxl.load_workbook(sys.argv[1])["Список символов"]
print(json.dumps([sheet.cell(row=r, column=2).value or "" for r in range(2, sheet.max_row + 1)]))
)";
    const QJsonArray cells =
        QJsonDocument::fromJson(RunProgram(QStringLiteral(VELMORA_PYTHON3), {QStringLiteral("-c"), QString::fromUtf8(script), xlsx})
                                    .toUtf8())
            .array();
    std::map<int, QString> symbols;
    for (qsizetype i = 0; i < cells.size(); ++i)
        symbols[static_cast<int>(i) + 1] = cells[i].toString();
    return symbols;
}

} // namespace

Q_DECLARE_METATYPE(std::vector<std::string>)

class SymbolOutputsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("poppler-utils are not installed");
        QVERIFY(temp_.isValid());
        qputenv("TMPDIR", QFile::encodeName(temp_.path()));
    }

    void legendReadsTheSameEverywhere_data()
    {
        QTest::addColumn<std::vector<std::string>>("symbols");
        QTest::newRow("100 colours, the default spread") << DefaultSymbolTexts(100);
        // 127 and 255 have no Unicode equivalent; 185, 192 and 60 have one beyond U+FFFF.
        QTest::newRow("chosen symbols")
            << std::vector<std::string>{"\x7f", "\xff", "\xb9", "\xc0", "<", "\xc8"};
    }

    void legendReadsTheSameEverywhere()
    {
        QFETCH(std::vector<std::string>, symbols);
        MainWindow window;
        SchemeRequest request;
        request.width = 120;
        request.height = 100;
        request.colorCount = static_cast<int>(symbols.size());
        request.symbols = symbols;
        SchemeEngine engine;
        window.ShowScheme(engine.BuildScheme(Pattern(request.width, request.height), request));
        const GridModel& legend = window.LegendGrid->model();
        const GridFont symbolFont = ToGridFont(DM->FontDialog.Font);

        QString xlsx;
        InstallSpreadsheetOpen([&](const QString& file) { xlsx = file; });
        RunExcelCommand(window);
        InstallSpreadsheetOpen({});
        const QString pdf = temp_.filePath(QStringLiteral("legend.pdf"));
        PrintGridToPdf(legend, pdf.toStdString(), SystemPrintSetup());

        const std::map<int, QString> inWorkbook = WorkbookSymbols(xlsx);
        const std::map<int, QString> inPdf = PdfSymbols(pdf);
        std::set<QString> workbookSeen, pdfSeen;
        int rows = 0;
        for (int r = 1; r < legend.RowCount(); ++r) {
            const std::string cell = legend.Cells(1, r);
            if (cell.empty())
                continue;
            ++rows;
            const auto code = static_cast<unsigned char>(cell.front());
            const QString screen = ShapeText(symbolFont, cell).text;
            const QString row = QStringLiteral("row %1, code %2").arg(r).arg(code);
            QVERIFY2(inWorkbook.count(r) && inWorkbook.at(r) == screen, qPrintable(row));
            QVERIFY2(workbookSeen.insert(screen).second, qPrintable(row));
            const int number = std::stoi(legend.Cells(0, r));
            QVERIFY2(inPdf.count(number), qPrintable(row));
            QVERIFY2(pdfSeen.insert(inPdf.at(number)).second, qPrintable(row));
            // With the stand-in: the PDF's text map keeps 16-bit code points only, so a pictograph
            // beyond U+FFFF reads as the symbol-area character of its code. (A real Wingdings
            // names its glyphs as it likes.)
            if (IsStandInFace(QStringLiteral("Wingdings"))) {
                const QString expected =
                    screen.size() == 1 ? screen : QString(QChar(static_cast<char16_t>(kSymbolAreaBase + code)));
                QCOMPARE(inPdf.at(number), expected);
            }
        }
        // Every colour but White, which has no symbol.
        QVERIFY(rows >= request.colorCount - 1);
    }

private:
    QTemporaryDir temp_;
};

QTEST_MAIN(SymbolOutputsTest)
#include "symbol_outputs_test.moc"
