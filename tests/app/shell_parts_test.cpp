// The small pieces of the shell that need no window: hints, stored Booleans, error texts and the
// font the dialog hands back.
#include "app/action.h"
#include "app/error_box.h"
#include "app/font_dialog.h"
#include "app/stored_boolean.h"

#include <QtTest>

#include <stdexcept>

using namespace velmora;

class ShellPartsTest : public QObject {
    Q_OBJECT

private slots:
    void splitHint_data()
    {
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QString>("shortPart");
        QTest::addColumn<QString>("longPart");
        QTest::newRow("two parts") << "Выход|Завершение работы" << "Выход" << "Завершение работы";
        QTest::newRow("no bar") << "Выход" << "Выход" << "Выход";
        QTest::newRow("second bar is text") << "a|b|c" << "a" << "b|c";
        QTest::newRow("empty long") << "a|" << "a" << "";
    }

    void splitHint()
    {
        QFETCH(QString, hint);
        const HintParts parts = SplitHint(hint);
        QTEST(parts.Short, "shortPart");
        QTEST(parts.Long, "longPart");
    }

    void storedBoolean_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("expected"); // 1 true, 0 false, -1 error
        QTest::newRow("True") << QByteArray("True") << 1;
        QTest::newRow("FALSE") << QByteArray("FALSE") << 0;
        QTest::newRow("tRuE") << QByteArray("tRuE") << 1;
        QTest::newRow("0") << QByteArray("0") << 0;
        QTest::newRow("-1") << QByteArray("-1") << 1;
        QTest::newRow("0.0") << QByteArray("0.0") << 0;
        QTest::newRow("2.5") << QByteArray("2.5") << 1;
        QTest::newRow("empty") << QByteArray("") << -1;
        QTest::newRow("yes") << QByteArray("yes") << -1;
        QTest::newRow("padded") << QByteArray(" True") << -1;
        QTest::newRow("number then text") << QByteArray("1x") << -1;
    }

    void storedBoolean()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, expected);
        if (expected < 0) {
            QVERIFY_THROWS_EXCEPTION(std::invalid_argument, StoredTextToBoolean(text.toStdString()));
        } else {
            QCOMPARE(StoredTextToBoolean(text.toStdString()), expected == 1);
        }
    }

    void messageTextIsUtf8()
    {
        QCOMPARE(MessageText("plain"), QStringLiteral("plain"));
        QCOMPARE(MessageText("Ошибка"), QStringLiteral("Ошибка"));
    }

    void chosenFontKeepsOrSetsCharacterSet()
    {
        SymbolFont wingdings;
        QFont same(QStringLiteral("Wingdings"));
        same.setPointSize(12);
        const SymbolFont resized = TakeChosenFont(wingdings, same);
        QCOMPARE(resized.Charset, kSymbolCharset);
        QCOMPARE(resized.Size, 12);
        QCOMPARE(resized.Height, -16);

        QFont other(QStringLiteral("Liberation Sans"));
        other.setPointSize(9);
        other.setItalic(true);
        other.setStrikeOut(true);
        const SymbolFont changed = TakeChosenFont(wingdings, other);
        QCOMPARE(changed.Name, std::string("Liberation Sans"));
        QCOMPARE(changed.Charset, kRussianCharset);
        QVERIFY((changed.Style == FontStyle{false, true, false, true}));
        QCOMPARE(changed.Color, wingdings.Color);
        QCOMPARE(changed.Height, -12);
    }
};

QTEST_MAIN(ShellPartsTest)
#include "shell_parts_test.moc"
