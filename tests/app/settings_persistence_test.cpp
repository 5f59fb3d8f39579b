// The settings in the program's real registry, a configuration file in a folder of the test's
// own: what a first start creates, what an end writes, what the next start finds, an end that
// cannot write, and odd files in place of the settings.
#include "app/data_module.h"
#include "app/main_window.h"
#include "app/qsettings_backend.h"
#include "fake_prompter.h"
#include "view/paint/qt_bridge.h"
#include "view/qt/scheme_grid.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

#include <cstdint>
#include <memory>

using namespace velmora;
using velmora::test::FakePrompter;

namespace {

const std::string kKey = "Software\\Mirvane\\Velmora2";

QString ConfigFile()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Mirvane/Velmora2.conf");
}

QString ErrorOf(const std::function<void()>& step)
{
    try {
        step();
    } catch (const SettingsError& error) {
        return QString::fromUtf8(error.what());
    }
    return QStringLiteral("no error");
}

void WriteConfigFile(const QByteArray& bytes)
{
    QFile file(ConfigFile());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Bytes of no settings file: a fixed pseudo-random sequence, with control characters and zeros.
QByteArray Garbage()
{
    QByteArray bytes;
    std::uint32_t state = 12345;
    for (int i = 0; i < 4096; ++i) {
        state = state * 1103515245u + 12345u;
        bytes.append(static_cast<char>(state >> 24));
    }
    return bytes;
}

struct Store {
    Store()
    {
        storage.Key = kKey;
        storage.Section = "Options";
    }
    QSettingsRegistry registry;
    SettingsStore storage{registry};
};

} // namespace

class SettingsPersistenceTest : public QObject {
    Q_OBJECT

private slots:
    void storeKeepsTheFontAndTheChoiceAcrossStarts()
    {
        QVERIFY(!QFile::exists(ConfigFile()));
        SymbolFont font;
        std::string dithering = "True";
        {
            Store first;
            first.storage.Load(font, dithering);
            // The key exists from the first start on, and holds nothing yet.
            QVERIFY(QFile::exists(ConfigFile()));
            QCOMPARE(QSettings(ConfigFile(), QSettings::NativeFormat).allKeys(), QStringList());
            QCOMPARE(font, SymbolFont());
            font.Name = "Liberation Serif";
            font.Size = 14;
            font.Height = -19;
            font.Style.italic = true;
            font.Charset = 204;
            dithering = "False";
            first.storage.Save(font, dithering);
        }

        QSettings file(ConfigFile(), QSettings::NativeFormat);
        file.beginGroup(QStringLiteral("Options"));
        QCOMPARE(file.childKeys().size(), 9);
        for (const QString& name : file.childKeys())
            QCOMPARE(file.value(name).typeId(), QMetaType::QString);
        QCOMPARE(file.value(QStringLiteral("FormVersion")).toString(), QStringLiteral("0"));
        QCOMPARE(file.value(QStringLiteral("FontDialog_FontStyle")).toString(), QStringLiteral("[fsItalic]"));
        QCOMPARE(file.value(QStringLiteral("FontDialog_FontColor")).toString(), QStringLiteral("-16777208"));

        SymbolFont again;
        std::string ditheringAgain = "True";
        Store second;
        second.storage.Load(again, ditheringAgain);
        QCOMPARE(again.Name, std::string("Liberation Serif"));
        QCOMPARE(again.Size, 14);
        QVERIFY(again.Style.italic && !again.Style.bold);
        QCOMPARE(again.Charset, 204);
        QCOMPARE(ditheringAgain, std::string("False"));
    }

    void handEditedListIsAWrongType()
    {
        {
            QFile file(ConfigFile());
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write("[Options]\nFontDialog_FontName=Arial, Bold\nFontDialog_FontSize=9\nDithering=\"0\"\n");
        }
        SymbolFont font;
        std::string dithering = "True";
        Store store;
        store.storage.Load(font, dithering);
        QCOMPARE(font.Name, std::string("Wingdings"));
        QCOMPARE(font.Size, 9);
        QCOMPARE(dithering, std::string("0"));
    }

    // What the program makes of an odd file in place of its settings: what it starts with, what it
    // shows, and what the file holds when it has ended.
    void oddSettingsFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("fifo");
        QTest::addColumn<bool>("misformed"); // Qt reports the file as not well-formed
        QTest::addColumn<QString>("fontName");
        QTest::addColumn<int>("fontSize");
        QTest::addColumn<bool>("dithering");
        QTest::addColumn<QStringList>("errors");

        const QByteArray values = "FormVersion=0\nFontDialog_FontName=Liberation Serif\n"
                                  "FontDialog_FontSize=14\nDithering=False\n";
        const QStringList none;
        // Files Qt reads in full but reports as not well-formed: the values are the user's.
        QTest::newRow("UTF-8 byte-order mark") << "\xEF\xBB\xBF[Options]\n" + values << false << true
                                               << "Liberation Serif" << 14 << false << none;
        QTest::newRow("unclosed section header")
            << "[Options\n" + values << false << true << "Liberation Serif" << 14 << false << none;
        // Nothing to read: the defaults, and a fresh file at the end.
        QTest::newRow("garbage") << Garbage() << false << true << "Wingdings" << 6 << true << none;
        // Never opened, so start-up does not wait for a writer; the end cannot write either.
        QTest::newRow("FIFO") << QByteArray() << true << false << "Wingdings" << 6 << true
                              << QStringList{"Failed to create key Software\\Mirvane\\Velmora2"};
        // Sizes held to the standard sizes of the font dialog.
        QTest::newRow("font size 8000") << QByteArray("[Options]\nFontDialog_FontSize=8000\n") << false << false
                                        << "Wingdings" << 72 << true << none;
        QTest::newRow("font size 0") << QByteArray("[Options]\nFontDialog_FontSize=0\n") << false << false << "Wingdings"
                                     << 6 << true << none;
        QTest::newRow("font size -5") << QByteArray("[Options]\nFontDialog_FontSize=-5\n") << false << false
                                      << "Wingdings" << 6 << true << none;
    }

    void oddSettingsFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, fifo);
        QFETCH(bool, misformed);
        QFETCH(QString, fontName);
        QFETCH(int, fontSize);
        QFETCH(bool, dithering);
        QFETCH(QStringList, errors);

        QFile::remove(ConfigFile());
        QVERIFY(QDir().mkpath(QFileInfo(ConfigFile()).absolutePath()));
        if (fifo)
            QCOMPARE(mkfifo(QFile::encodeName(ConfigFile()).constData(), 0600), 0);
        else
            WriteConfigFile(content);
        if (misformed) {
            // Looked at in a copy: QSettings reports a format error only to the first that parses
            // a file, and that must be the program.
            const QString copy = ConfigFile() + QStringLiteral(".copy");
            QFile::remove(copy);
            QVERIFY(QFile::copy(ConfigFile(), copy));
            QSettings file(copy, QSettings::NativeFormat);
            file.allKeys();
            QCOMPARE(file.status(), QSettings::FormatError);
            QVERIFY(QFile::remove(copy));
        }
        {
            MainWindow window;
            QCOMPARE(prompter_.errors, QStringList());
            QCOMPARE(QString::fromStdString(DM->FontDialog.Font.Name), fontName);
            QCOMPARE(DM->FontDialog.Font.Size, fontSize);
            QCOMPARE(window.ChartGrid->Font().size, fontSize);
            QCOMPARE(DM->Dithering, dithering);
        }
        QCOMPARE(prompter_.errors, errors);

        if (fifo) {
            QVERIFY(QFileInfo(ConfigFile()).exists() && !QFileInfo(ConfigFile()).isFile());
            QVERIFY(QFile::remove(ConfigFile()));
            return;
        }
        // A well-formed file of the nine values, the six of the view, the wizard's one and the nine
        // of the scheme files and nothing else, holding what the run started with.
        QSettings file(ConfigFile(), QSettings::NativeFormat);
        QCOMPARE(file.allKeys().size(), 25);
        QCOMPARE(file.status(), QSettings::NoError);
        file.beginGroup(QStringLiteral("Options"));
        QCOMPARE(file.childKeys().size(), 25);
        QCOMPARE(file.value(QStringLiteral("Perceptual")).toString(), QStringLiteral("False"));
        QCOMPARE(file.value(QStringLiteral("FontDialog_FontName")).toString(), fontName);
        QCOMPARE(file.value(QStringLiteral("FontDialog_FontSize")).toString(), QString::number(fontSize));
        QCOMPARE(file.value(QStringLiteral("Dithering")).toString(),
                 dithering ? QStringLiteral("True") : QStringLiteral("False"));
    }

    void endThatCannotWriteReportsIt()
    {
        SymbolFont font;
        std::string dithering = "True";
        Store store;
        store.storage.Load(font, dithering);
        // A folder where the file should be: it can be neither read nor written, not even by root,
        // so the key counts as unreachable.
        QVERIFY(QFile::remove(ConfigFile()));
        QVERIFY(QDir().mkpath(ConfigFile()));
        QCOMPARE(ErrorOf([&] { store.storage.Save(font, dithering); }),
                 QStringLiteral("Failed to create key Software\\Mirvane\\Velmora2"));
        QVERIFY(QDir().rmdir(ConfigFile()));
    }

    // From here on, the program itself: the settings of its data module in the real registry.
    void windowRestartKeepsFontAndDithering()
    {
        QFile::remove(ConfigFile());
        {
            MainWindow window;
            QVERIFY(DM->Dithering);
            QVERIFY(!DM->Wizard.perceptual);
            DM->Wizard.perceptual = true;
            QCOMPARE(window.ChartGrid->Font().name, std::string("Wingdings"));
            DM->FontDialog.Font.Name = "Liberation Serif";
            DM->FontDialog.Font.Size = 14;
            DM->FontDialog.Font.Height = -19;
            DM->FontDialog.Font.Style.bold = true;
            DM->Dithering = false;
        }
        MainWindow window;
        QCOMPARE(DM->FontDialog.Font.Name, std::string("Liberation Serif"));
        QCOMPARE(DM->FontDialog.Font.Size, 14);
        QVERIFY(DM->FontDialog.Font.Style.bold);
        QVERIFY(!DM->Dithering);
        QVERIFY(DM->Wizard.perceptual);
        QCOMPARE(window.ChartGrid->Font().name, std::string("Liberation Serif"));
        QCOMPARE(window.ChartGrid->Font().size, 14);
        QVERIFY(prompter_.errors.isEmpty());
    }

    // The recent scheme files and their folder come back at the next start, in their order.
    void windowRestartKeepsTheRecentSchemes()
    {
        QFile::remove(ConfigFile());
        QTemporaryDir folder;
        const QString older = folder.filePath(QStringLiteral("старая.velmora"));
        const QString latest = folder.filePath(QStringLiteral("новая схема.velmora"));
        {
            MainWindow window;
            QVERIFY(DM->mi_FileRecent->actions().isEmpty());
            DM->SchemeFiles.Remember(QStringToCp1251(older));
            DM->SchemeFiles.Remember(QStringToCp1251(latest));
        }
        MainWindow window;
        QStringList items;
        for (const QAction* item : DM->mi_FileRecent->actions())
            items << item->text();
        QCOMPARE(items, QStringList({QDir::toNativeSeparators(latest), QDir::toNativeSeparators(older)}));
        QCOMPARE(DM->Session->SchemeFolder(), folder.path());
        QCOMPARE(QSettings(ConfigFile(), QSettings::NativeFormat).value(QStringLiteral("Options/RecentScheme1")).toString(),
                 latest);
        QVERIFY(prompter_.errors.isEmpty());
    }

    void storedDitheringNoBooleanIsReportedAndOverwritten()
    {
        {
            QFile file(ConfigFile());
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write("[Options]\nFontDialog_FontName=Liberation Mono\nDithering=abc\n");
        }
        {
            MainWindow window;
            QCOMPARE(prompter_.errors,
                     QStringList({"Could not convert variant of type (String) into type (Boolean)"}));
            QCOMPARE(prompter_.errorCaption, QStringLiteral("Velmora 2"));
            QVERIFY(!DM->Dithering);
            // The font was read, but the chart keeps its designed font.
            QCOMPARE(DM->FontDialog.Font.Name, std::string("Liberation Mono"));
            QVERIFY(window.ChartGrid->Font().name != "Liberation Mono");
        }
        QCOMPARE(QSettings(ConfigFile(), QSettings::NativeFormat).value(QStringLiteral("Options/Dithering")).toString(),
                 QStringLiteral("False"));
    }

    void endThatCannotWriteIsReportedAndTheProgramEnds()
    {
        {
            MainWindow window;
            QVERIFY(QFile::remove(ConfigFile()));
            QVERIFY(QDir().mkpath(ConfigFile()));
        }
        QCOMPARE(prompter_.errors, QStringList({"Failed to create key Software\\Mirvane\\Velmora2"}));
        QVERIFY(DM == nullptr && fm_Main == nullptr);
        QVERIFY(QDir().rmdir(ConfigFile()));
    }

    void init()
    {
        prompter_ = FakePrompter();
        previousPrompter_ = InstallPrompter(&prompter_);
        previousRegistry_ = InstallSettingsRegistry(&registry_);
    }

    void cleanup()
    {
        InstallSettingsRegistry(previousRegistry_);
        InstallPrompter(previousPrompter_);
    }

private:
    FakePrompter prompter_;
    Prompter* previousPrompter_ = nullptr;
    QSettingsRegistry registry_;
    SettingsRegistry* previousRegistry_ = nullptr;
};

int main(int argc, char** argv)
{
    // Before the first QSettings: the configuration goes into a folder that is gone afterwards.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication application(argc, argv);
    SettingsPersistenceTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "settings_persistence_test.moc"
