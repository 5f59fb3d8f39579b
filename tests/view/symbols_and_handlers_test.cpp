// How symbol bytes become glyphs, and what the main window's grid handlers change for which cell.
#include "view/qt/scheme_grid.h"
#include "view/qt/scheme_view_handlers.h"
#include "view/paint/symbol_glyphs.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QRawFont>
#include <QTest>

using namespace velmora;

Q_DECLARE_METATYPE(std::string)

namespace {

GridFont Face(const char* name, int charset)
{
    GridFont font;
    font.name = name;
    font.charset = charset;
    font.size = 10;
    return font;
}

} // namespace

class SymbolsAndHandlersTest : public QObject {
    Q_OBJECT

private slots:
    void standInServesWingdings()
    {
        RegisterSymbolFonts();
        if (!IsStandInFace(QStringLiteral("Wingdings")))
            QSKIP("a real Wingdings is installed here");
        // An ordinary font to Qt: listed, of the symbol writing system, at any size.
        QVERIFY(QFontDatabase::families().contains(QStringLiteral("Wingdings")));
        QVERIFY(QFontDatabase::writingSystems(QStringLiteral("Wingdings")).contains(QFontDatabase::Symbol));
        QVERIFY(QFontDatabase::isSmoothlyScalable(QStringLiteral("Wingdings")));
        QFont font(QStringLiteral("Wingdings"));
        QCOMPARE(QFontInfo(font).family(), QStringLiteral("Wingdings"));
        // Every Wingdings code at its equivalent and in the symbol area, as one glyph.
        const QRawFont raw = QRawFont::fromFont(font);
        for (int code = 33; code < 256; ++code) {
            const char32_t equivalent = WingdingsEquivalent(static_cast<unsigned char>(code));
            const quint32 glyph = raw.glyphIndexesForString(QString::fromUcs4(&equivalent, 1)).value(0);
            const QString area(QChar(static_cast<char16_t>(kSymbolAreaBase + code)));
            QVERIFY2(glyph != 0, qPrintable(QString::number(code)));
            QCOMPARE(raw.glyphIndexesForString(area).value(0), glyph);
        }
        // The face draws from its own glyphs only for the program: the workbook must not count on it.
        QVERIFY(InstalledSymbolGlyphs("Wingdings").none());
    }

    void shapeText_data()
    {
        QTest::addColumn<QString>("face");
        QTest::addColumn<int>("charset");
        QTest::addColumn<std::string>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("Wingdings square") << "Wingdings" << kSymbolCharset << std::string("n") << QString(QChar(0x25FC));
        QTest::newRow("Wingdings pencil, beyond 16 bits")
            << "Wingdings" << kSymbolCharset << std::string("!") << QString::fromUcs4(U"\U0001F589");
        QTest::newRow("Wingdings 127") << "Wingdings" << kSymbolCharset << std::string("\x7f") << QString(QChar(0x229E));
        QTest::newRow("Wingdings 255, the default spread's last symbol")
            << "Wingdings" << kSymbolCharset << std::string("\xff") << QString(QChar(0x22A0));
        QTest::newRow("Wingdings in any character set")
            << "wingdings" << kDefaultCharset << std::string("n") << QString(QChar(0x25FC));
        QTest::newRow("Cyrillic in Arial") << "Arial" << kRussianCharset << std::string("\xcd\xe8\xf2\xea\xe0")
                                           << QStringLiteral("Нитка");
        QTest::newRow("a symbol face that is not installed draws its code page")
            << "No Such Symbols" << kSymbolCharset << std::string("\xc0") << QString(QChar(0x0410));
    }

    void shapeText()
    {
        QFETCH(QString, face);
        QFETCH(int, charset);
        QFETCH(std::string, bytes);
        QFETCH(QString, text);
        const GridFont font = Face(face.toLatin1().constData(), charset);
        const bool wingdings = IsWingdingsFace(font.name);
        if (wingdings && !IsStandInFace(face))
            QSKIP("a real Wingdings is installed here and draws its own glyphs");
        const GlyphRun run = ShapeText(font, bytes);
        // The face asked for draws the text itself, with no other font filling in.
        QCOMPARE(run.font.family(), face);
        QCOMPARE(run.text, text);
        QCOMPARE(run.font.pixelSize(), 13);
        if (wingdings) {
            const QRawFont raw = QRawFont::fromFont(run.font);
            for (const char32_t c : run.text.toUcs4())
                QVERIFY(raw.supportsCharacter(c));
        }
    }

    void glyphCacheSurvivesBeingCleared()
    {
        // More texts than the cache keeps: it starts over and still hands out whole sprites.
        GlyphCache cache;
        const GridFont arial = Face("Arial", kRussianCharset);
        const TextSprite& first = cache.Get(arial, 0xFF000000u, 1.0, "1000");
        const QSize extent = first.extent;
        QVERIFY(!first.image.isNull());
        for (int n = 0; n < 9000; ++n)
            QVERIFY(!cache.Get(arial, 0xFF000000u, 1.0, std::to_string(n)).extent.isEmpty());
        const TextSprite& again = cache.Get(arial, 0xFF000000u, 1.0, "1000");
        QCOMPARE(again.extent, extent);
        QCOMPARE(cache.Get(arial, 0xFF000000u, 1.0, "1000").image.size(), again.image.size());
        QVERIFY(cache.Get(arial, 0xFF000000u, 1.0, "").image.isNull());
    }

    void legendColours_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<std::string>("text");
        QTest::addColumn<bool>("symbolFace");
        QTest::addColumn<uint>("brush");
        QTest::addColumn<uint>("fontColor");
        const uint window = clWindow, text = clWindowText;
        QTest::newRow("symbol cell") << 1 << 1 << std::string("n") << true << window << text;
        QTest::newRow("symbol header") << 0 << 1 << std::string("x") << false << window << text;
        QTest::newRow("swatch") << 2 << 2 << std::string("3355443") << false << 3355443u << 3355443u;
        QTest::newRow("white swatch") << 1 << 2 << std::string("16777215") << false << 0xFFFFFFu << 0xFFFFFFu;
        QTest::newRow("empty swatch") << 3 << 2 << std::string() << false << window << text;
        QTest::newRow("colour header") << 0 << 2 << std::string("255") << false << window << text;
        QTest::newRow("thread name") << 2 << 3 << std::string("255") << false << window << text;
        QTest::newRow("number column") << 2 << 0 << std::string("2") << false << window << text;
    }

    void legendColours()
    {
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(std::string, text);
        QFETCH(bool, symbolFace);
        QFETCH(uint, brush);
        QFETCH(uint, fontColor);
        GridModel legend;
        legend.SetCell(col, row, text);
        GridFont symbols = Face("Symbols", kSymbolCharset);
        symbols.size = 30;
        symbols.style.italic = true;
        symbols.color = 0x123456;

        for (const bool printing : {false, true}) {
            GridBrush b{clWindow};
            GridFont f = Face("Arial", kRussianCharset); // 10 pt, as the legend's font
            if (printing)
                asg_SymbolsGetCellPrintColor(symbols, legend, row, col, {}, b, f);
            else
                asg_SymbolsGetCellColor(symbols, legend, row, col, {}, b, f);
            QCOMPARE(b.Color, brush);
            QCOMPARE(f.color, fontColor);
            QCOMPARE(f.name == "Symbols", symbolFace);
            QCOMPARE(f.charset, symbolFace ? kSymbolCharset : kRussianCharset);
            QCOMPARE(f.style.italic, symbolFace);
            // 10 pt × 12 div 10: the symbol font's own size is not used.
            QCOMPARE(f.size, symbolFace ? 12 : 10);
        }
    }

    void legendSymbolSizeTruncates()
    {
        GridModel legend;
        GridFont f = Face("Arial", kRussianCharset);
        f.size = 13;
        GridBrush b;
        asg_SymbolsGetCellColor(Face("S", kSymbolCharset), legend, 1, 1, {}, b, f);
        QCOMPARE(f.size, 15);
    }

    void chartAlignmentAndPrintBorders_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<bool>("normal");
        QTest::newRow("corner") << 0 << 0 << false;
        QTest::newRow("column number") << 0 << 5 << false;
        QTest::newRow("row number") << 5 << 0 << false;
        QTest::newRow("stitch") << 1 << 1 << true;
        QTest::newRow("far stitch") << 1000 << 1000 << true;
    }

    void chartAlignmentAndPrintBorders()
    {
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(bool, normal);
        const GridModel chart;
        HorizontalAlignment h = HorizontalAlignment::Left;
        VerticalAlignment v = VerticalAlignment::Bottom;
        asg_ImageGetAlignment(chart, row, col, h, v);
        QCOMPARE(h, normal ? HorizontalAlignment::Center : HorizontalAlignment::Left);
        QCOMPARE(v, normal ? VerticalAlignment::Center : VerticalAlignment::Bottom);

        GridPen pen{clGray, 3};
        CellBorders borders{.top = true, .right = true};
        asg_ImageGetCellPrintBorder(chart, row, col, pen, borders);
        QCOMPARE(pen.Width, 1);
        QCOMPARE(pen.Color, normal ? clSilver : clGray);
        QVERIFY(borders.top && !borders.left && borders.right && !borders.bottom);
    }

    void theChartTakesTheSymbolFaceButKeepsItsColour()
    {
        SchemeGrid chart;
        SetUpChartGrid(chart);
        GridFont chosen = Face("DejaVu Sans", kRussianCharset);
        chosen.size = 20;
        chosen.style.bold = true;
        chosen.color = 0x0000FF;
        CopySymbolFontToChart(chart, chosen);
        QCOMPARE(chart.Font().name, std::string("DejaVu Sans"));
        QCOMPARE(chart.Font().size, 20);
        QVERIFY(chart.Font().style.bold);
        QCOMPARE(chart.Font().charset, kRussianCharset);
        QCOMPARE(chart.Font().color, clWindowText);
        QCOMPARE(chart.model().ColWidth(1), 12);
    }
};

QTEST_MAIN(SymbolsAndHandlersTest)
#include "symbols_and_handlers_test.moc"
