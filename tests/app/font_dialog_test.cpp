// The symbol-font command through Qt's real font dialog, driven as a user would: it opens on the
// symbol font, also where Wingdings is only the program's stand-in; OK without a change changes
// nothing; a size or a style keeps the face; another face and back again restores the symbol set;
// and what the end of the run stores is the font chosen.
#include "app/data_module.h"
#include "app/main_window.h"
#include "app/prompter.h"
#include "app/qsettings_backend.h"
#include "view/paint/symbol_glyphs.h"
#include "view/qt/scheme_grid.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace velmora;

namespace {

// The real font dialog; every other question is answered without a box, and errors are kept.
class RealFontDialog final : public Prompter {
public:
    QStringList errors;

    bool Confirm(QWidget*, const QString&, const QString&) override { return true; }
    void ShowError(QWidget*, const QString&, const QString& text) override { errors << text; }
    std::optional<QFont> ChooseFont(QWidget* parent, const QFont& initial) override
    {
        return real_.ChooseFont(parent, initial);
    }
    Answer AskYesNoCancel(QWidget*, const QString&, const QString&) override { return Answer::No; }
    std::optional<QString> ChooseOpenFile(QWidget*, const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    std::optional<QString> ChooseSaveFile(QWidget*, const QString&, const QString&, const QString&,
                                          const QString&) override
    {
        return std::nullopt;
    }

private:
    Prompter& real_ = CurrentPrompter();
};

// Clicks `text` in the dialog's list whose label is `label` ("&Font", "Font st&yle"), or types it
// into the field of that label ("&Size").
void Pick(QFontDialog& dialog, const QString& label, const QString& text)
{
    for (QLabel* l : dialog.findChildren<QLabel*>()) {
        if (l->text() != label)
            continue;
        if (auto* edit = qobject_cast<QLineEdit*>(l->buddy())) {
            edit->selectAll();
            QTest::keyClicks(edit, text);
            return;
        }
        auto* list = qobject_cast<QListView*>(l->buddy());
        if (list == nullptr)
            return;
        const QModelIndexList found =
            list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, text, 1, Qt::MatchFixedString);
        if (found.isEmpty())
            return;
        list->scrollTo(found.first());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(found.first()).center());
        return;
    }
}

void Tick(QFontDialog& dialog, const QString& text)
{
    for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
        if (box->text() == text)
            box->click();
}

using DialogStep = std::function<void(QFontDialog&)>;

// Runs the symbol-font command; once the dialog shows, notes the font it opened on, applies `step`
// and presses OK or Cancel.
QFont RunFontCommand(const DialogStep& step, bool ok = true)
{
    QFont shown;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible())
            return;
        poll.stop();
        shown = dialog->currentFont();
        step(*dialog);
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        buttons->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
    });
    poll.start();
    DM->ac_ServiceOptions->trigger();
    return shown;
}

QString ConfigFile() { return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Mirvane/Velmora2.conf"); }

} // namespace

Q_DECLARE_METATYPE(DialogStep)

class FontDialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        RegisterSymbolFonts();
        previousPrompter_ = InstallPrompter(&prompter_);
        previousRegistry_ = InstallSettingsRegistry(&registry_);
        QFile::remove(ConfigFile());
        window_ = std::make_unique<MainWindow>();
    }

    void cleanupTestCase()
    {
        window_.reset();
        InstallSettingsRegistry(previousRegistry_);
        InstallPrompter(previousPrompter_);
    }

    // One session of steps; each starts from the font the one before left.
    void roundTrip_data()
    {
        QTest::addColumn<DialogStep>("step");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("face");
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("style"); // as the settings write it
        QTest::addColumn<int>("charset");
        const DialogStep nothing = [](QFontDialog&) {};
        QTest::newRow("OK without a change") << nothing << true << "Wingdings" << 6 << "[]" << kSymbolCharset;
        QTest::newRow("a larger Wingdings") << DialogStep([](QFontDialog& d) { Pick(d, "&Size", "20"); }) << true
                                            << "Wingdings" << 20 << "[]" << kSymbolCharset;
        QTest::newRow("underlined") << DialogStep([](QFontDialog& d) { Tick(d, "&Underline"); }) << true
                                    << "Wingdings" << 20 << "[fsUnderline]" << kSymbolCharset;
        QTest::newRow("another face") << DialogStep([](QFontDialog& d) { Pick(d, "&Font", "Liberation Serif"); })
                                      << true << "Liberation Serif" << 20 << "[fsUnderline]" << kRussianCharset;
        QTest::newRow("its bold style") << DialogStep([](QFontDialog& d) { Pick(d, "Font st&yle", "Bold"); }) << true
                                        << "Liberation Serif" << 20 << "[fsBold,fsUnderline]" << kRussianCharset;
        // Wingdings has no bold style to show: the bold stays, as Windows keeps it.
        QTest::newRow("back to Wingdings") << DialogStep([](QFontDialog& d) { Pick(d, "&Font", "Wingdings"); })
                                           << true << "Wingdings" << 20 << "[fsBold,fsUnderline]" << kSymbolCharset;
        QTest::newRow("OK again changes nothing")
            << nothing << true << "Wingdings" << 20 << "[fsBold,fsUnderline]" << kSymbolCharset;
        QTest::newRow("Cancel after a change") << DialogStep([](QFontDialog& d) { Pick(d, "&Size", "8"); }) << false
                                               << "Wingdings" << 20 << "[fsBold,fsUnderline]" << kSymbolCharset;
    }

    void roundTrip()
    {
        QFETCH(DialogStep, step);
        QFETCH(bool, ok);
        QFETCH(QString, face);
        QFETCH(int, size);
        QFETCH(QString, style);
        QFETCH(int, charset);
        const SymbolFont before = DM->FontDialog.Font;

        const QFont shown = RunFontCommand(step, ok);

        // The dialog opened on the font as it was: face, size and the effects it can show.
        QCOMPARE(shown.family(), QString::fromStdString(before.Name));
        QCOMPARE(shown.pointSize(), before.Size);
        QCOMPARE(shown.underline(), before.Style.underline);
        const SymbolFont& after = DM->FontDialog.Font;
        QCOMPARE(QString::fromStdString(after.Name), face);
        QCOMPARE(after.Size, size);
        QCOMPARE(after.Height, -qRound(size * 96 / 72.0));
        QCOMPARE(StyleText(after.Style), style);
        QCOMPARE(after.Charset, charset);
        QCOMPARE(after.Color, before.Color);
        // The chart takes it at once.
        const GridFont& chart = window_->ChartGrid->Font();
        QCOMPARE(QString::fromStdString(chart.name), face);
        QCOMPARE(chart.size, size);
        QCOMPARE(chart.charset, charset);
        QVERIFY(chart.style == after.Style);
        QVERIFY(prompter_.errors.isEmpty());
    }

    void endOfTheRunStoresTheChosenFont()
    {
        window_.reset();
        QSettings file(ConfigFile(), QSettings::NativeFormat);
        file.beginGroup(QStringLiteral("Options"));
        QCOMPARE(file.value(QStringLiteral("FontDialog_FontName")).toString(), QStringLiteral("Wingdings"));
        QCOMPARE(file.value(QStringLiteral("FontDialog_FontCharset")).toString(), QStringLiteral("2"));
        QCOMPARE(file.value(QStringLiteral("FontDialog_FontSize")).toString(), QStringLiteral("20"));
        QCOMPARE(file.value(QStringLiteral("FontDialog_FontHeight")).toString(), QStringLiteral("-27"));
        QCOMPARE(file.value(QStringLiteral("FontDialog_FontStyle")).toString(), QStringLiteral("[fsBold,fsUnderline]"));

        // The next run opens the dialog on it.
        window_ = std::make_unique<MainWindow>();
        const QFont shown = RunFontCommand([](QFontDialog&) {});
        QCOMPARE(shown.family(), QStringLiteral("Wingdings"));
        QCOMPARE(shown.pointSize(), 20);
        QVERIFY(shown.underline());
        QCOMPARE(DM->FontDialog.Font.Name, std::string("Wingdings"));
        QCOMPARE(DM->FontDialog.Font.Size, 20);
        QVERIFY(DM->FontDialog.Font.Style.bold);
        QCOMPARE(DM->FontDialog.Font.Charset, kSymbolCharset);
    }

private:
    static QString StyleText(const FontStyle& style)
    {
        QStringList names;
        if (style.bold)
            names << QStringLiteral("fsBold");
        if (style.italic)
            names << QStringLiteral("fsItalic");
        if (style.underline)
            names << QStringLiteral("fsUnderline");
        if (style.strikeOut)
            names << QStringLiteral("fsStrikeOut");
        return QLatin1Char('[') + names.join(QLatin1Char(',')) + QLatin1Char(']');
    }

    RealFontDialog prompter_;
    Prompter* previousPrompter_ = nullptr;
    QSettingsRegistry registry_;
    SettingsRegistry* previousRegistry_ = nullptr;
    std::unique_ptr<MainWindow> window_;
};

int main(int argc, char** argv)
{
    // Before the first QSettings: the configuration goes into a folder that is gone afterwards.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication application(argc, argv);
    FontDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "font_dialog_test.moc"
