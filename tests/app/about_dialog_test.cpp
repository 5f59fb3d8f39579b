// The About box filled from version records: the window program's own, none at all, and records
// written for the test to show the cutting, the spelling and the line rules.
#include "app/about_dialog.h"
#include "screenshot.h"
#include "app/version_record.h"
#include "scheme/cp1251.h"
#include "view/paint/qt_bridge.h"

#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

using namespace velmora;

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

// The controls' texts in the order of the form.
struct Shown {
    QString name, version, fileVersion, internalName, company, copyRight, comments;
};

Shown TextsOf(const AboutDialog& box)
{
    return {box.lb_Name->text(),     box.lb_Version->text(), box.lb_FileVersion->text(),
            box.lb_InternalName->text(), box.lb_Company->text(), box.lb_CopyRight->text(),
            box.mm_Comments->toPlainText()};
}

void CompareShown(const Shown& actual, const Shown& expected)
{
    QCOMPARE(actual.name, expected.name);
    QCOMPARE(actual.version, expected.version);
    QCOMPARE(actual.fileVersion, expected.fileVersion);
    QCOMPARE(actual.internalName, expected.internalName);
    QCOMPARE(actual.company, expected.company);
    QCOMPARE(actual.copyRight, expected.copyRight);
    QCOMPARE(actual.comments, expected.comments);
}

const Shown kInitialTexts{"lb_Name",    "lb_Version",   "lb_FileVersion", "lb_InternalName",
                          "lb_Company", "lb_CopyRight", "mm_Comments"};

// Texts of the test are written in UTF-8; records hold Windows-1251.
std::string Cp(const char* utf8)
{
    return Utf8ToCp1251(utf8);
}

} // namespace

Q_DECLARE_METATYPE(Entries)

class AboutFormTest : public QObject {
    Q_OBJECT

private slots:
    void programRecordFillsTheBox()
    {
        AboutDialog box(nullptr, QStringLiteral(VELMORA_EXECUTABLE));
        // The trademarks and the legal notice as the record holds them.
        const std::optional<VersionRecord> record = ReadVersionRecord(VELMORA_EXECUTABLE);
        QVERIFY(record.has_value());
        const std::optional<std::string> trademarks = record->Query("StringFileInfo\\041904E3\\LegalTrademarks");
        QVERIFY(trademarks.has_value());
        CompareShown(TextsOf(box), {"Вельмора", "версия 2.1", "(2.1.3.11)", "(Velmora)", "Mirvane",
                                    Cp1251ToQString(*trademarks) + QStringLiteral(", © 2026 Mirvane"),
                                    "Программа подготовки схемы для вышивания крестиком."});
        QCOMPARE(box.lb_CopyRight->text(), QStringLiteral("Вельмора™, © 2026 Mirvane"));
        // The version grows to the left of its fixed right edge.
        QCOMPARE(box.lb_Version->geometry().right() + 1, 237);
        QCOMPARE(box.lb_Version->y(), 44);
    }

    void withoutRecordTheInitialTextsStay()
    {
        // This test program carries no record.
        AboutDialog box(nullptr);
        CompareShown(TextsOf(box), kInitialTexts);
        QVERIFY(!box.AppIcon->pixmap().isNull());
        AboutDialog missing(nullptr, QStringLiteral("/nonexistent/velmora"));
        CompareShown(TextsOf(missing), kInitialTexts);
    }

    void writtenRecords_data()
    {
        QTest::addColumn<QString>("translation");
        QTest::addColumn<Entries>("entries");
        QTest::addColumn<QStringList>("shown"); // name, version, file version, internal name, copyright

        const std::string longVersion = "1." + std::string(300, '9');
        const std::string longName(300, 'N');
        QTest::newRow("file version and internal name cut to 255")
            << "041904E3"
            << Entries{{"FileVersion", longVersion}, {"InternalName", longName}, {"ProductName", longName}}
            << QStringList{QString::fromStdString(longName), "lb_Version",
                           "(" + QString::fromStdString(longVersion.substr(0, 255)) + ")",
                           "(" + QString(255, 'N') + ")", "lb_CopyRight"};
        QTest::newRow("entry names in any case")
            << "041904E3"
            << Entries{{"LegalTrademarks", "Velmora(TM)"}, {"legalcopyright", Cp("© 2026 Mirvane")},
                       {"PRODUCTVERSION", "3.0"}}
            << QStringList{"lb_Name", "версия 3.0", "lb_FileVersion", "lb_InternalName",
                           "Velmora(TM), © 2026 Mirvane"};
        QTest::newRow("another translation is no record of ours")
            << "040904B0" << Entries{{"ProductName", "Velmora"}}
            << QStringList{"lb_Name", "lb_Version", "lb_FileVersion", "lb_InternalName", "lb_CopyRight"};
    }

    void writtenRecords()
    {
        QFETCH(QString, translation);
        QFETCH(Entries, entries);
        QFETCH(QStringList, shown);
        const QString file = WriteExecutable({translation.toStdString(), entries});

        AboutDialog box(nullptr, file);
        QCOMPARE(QStringList({box.lb_Name->text(), box.lb_Version->text(), box.lb_FileVersion->text(),
                              box.lb_InternalName->text(), box.lb_CopyRight->text()}),
                 shown);
    }

    void commentLinesScroll()
    {
        const QString file =
            WriteExecutable({"041904E3", {{"Comments", "one\r\ntwo\r\nthree\r\nfour\r\nfive\r\nsix"}}});
        AboutDialog box(nullptr, file);
        box.show();
        QCOMPARE(box.mm_Comments->document()->blockCount(), 6);
        QCOMPARE(box.mm_Comments->toPlainText(), QStringLiteral("one\ntwo\nthree\nfour\nfive\nsix"));
        QVERIFY(box.mm_Comments->verticalScrollBar()->maximum() > 0);
    }

    // The box at its designed size, each control inside it, none over another, every text whole:
    // the faults a moved coordinate or a text set without resizing its label would show.
    void layout()
    {
        AboutDialog box(nullptr, QStringLiteral(VELMORA_EXECUTABLE));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        test::SaveScreenshot(box, "about");
        QCOMPARE(box.windowTitle(), QStringLiteral("О программе"));
        QCOMPARE(box.size(), QSize(313, 253));
        QCOMPARE(box.minimumSize(), box.maximumSize());

        const QList<QWidget*> controls = box.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        QCOMPARE(controls.size(), 10);
        for (qsizetype i = 0; i < controls.size(); ++i) {
            const QWidget* control = controls[i];
            const QByteArray name = control->objectName().toUtf8();
            QVERIFY2(control->isVisible(), name);
            QVERIFY2(box.rect().contains(control->geometry()), name);
            if (qobject_cast<const QLabel*>(control) != nullptr)
                QVERIFY2(control->size().expandedTo(control->sizeHint()) == control->size(), name);
            for (qsizetype j = i + 1; j < controls.size(); ++j)
                QVERIFY2(!control->geometry().intersects(controls[j]->geometry()),
                         name + " overlaps " + controls[j]->objectName().toUtf8());
        }
        QCOMPARE(box.AppIcon->pixmap().size(), box.AppIcon->size());

        QTest::keyClick(&box, Qt::Key_Return);
        QCOMPARE(box.result(), int(QDialog::Accepted));
    }

private:
    // A file that carries `record` amid other bytes, as an executable would.
    QString WriteExecutable(const VersionRecord& record)
    {
        const QString path = dir_.filePath(QStringLiteral("program%1").arg(++files_));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(path));
        const std::string block = EncodeVersionRecord(record);
        file.write(QByteArray(1000, '\x7f'));
        file.write(block.data(), static_cast<qint64>(block.size()));
        file.write(QByteArray(1000, '\0'));
        return path;
    }

    QTemporaryDir dir_;
    int files_ = 0;
};

QTEST_MAIN(AboutFormTest)
#include "about_dialog_test.moc"
