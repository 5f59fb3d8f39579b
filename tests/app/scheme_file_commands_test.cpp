// The scheme-file commands of the main window: saving and opening a scheme, the PDFs of the two
// print commands, the question about an unsaved scheme, and `velmora FILE` from the desktop.
#include "app/data_module.h"
#include "app/error_box.h"
#include "app/main_form.h"
#include "app/new_scheme_command.h"
#include "main_window_fixture.h"
#include "scheme/bmp_codec.h"
#include "scheme/scheme_file.h"
#include "scheme/symbol_spread.h"
#include "view/paint/qt_bridge.h"
#include "view/qt/adv_string_grid.h"
#include "wizard/wizard_form.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace velmora;

namespace {

// A scheme through the real build: bands of three colours and White.
SchemeDocument SmallScheme(int width = 24, int height = 12)
{
    Bitmap source(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            source.setPixel(x, y,
                            x < width / 4       ? MakeColor(200, 20, 20)
                            : x < width / 2     ? MakeColor(20, 20, 200)
                            : x < 3 * width / 4 ? MakeColor(30, 160, 40)
                                                : MakeColor(254, 254, 254));
    SchemeEngine engine;
    SchemeDocument document = engine.BuildScheme(source, {width, height, 4, DefaultSymbolTexts(4), true});
    document.pictureName = "bands.bmp";
    return document;
}

QString PdfText(const QString& pdf)
{
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
        return {};
    // The footer's date and time are those of each run.
    return QString::fromUtf8(tool.readAllStandardOutput())
        .replace(QRegularExpression(QStringLiteral(R"(\d\d\D\d\d\D\d{4} \d\d:\d\d)")), QStringLiteral("DATE"));
}

} // namespace

class SchemeFileCommandsTest : public velmora::test::MainWindowFixture {
    Q_OBJECT

private:
    QTemporaryDir folder_;

    QString File(const QString& name) const { return folder_.filePath(name); }

    // What the window shows, from the widgets themselves.
    void ExpectShown(const SchemeDocument& scheme)
    {
        QVERIFY(window_->ChartGrid->model().cellTable() == scheme.chart);
        QVERIFY(window_->LegendGrid->model().cellTable() == scheme.legend);
        const QImage shown = window_->im_Picture->pixmap().toImage();
        QCOMPARE(shown.size(), QSize(scheme.picture.width(), scheme.picture.height()));
        QCOMPARE(ToBitmap(shown).pixels().size(), scheme.picture.pixels().size());
        QVERIFY(std::ranges::equal(ToBitmap(shown).pixels(), scheme.picture.pixels()));
    }

    // A scheme as the New command leaves it: shown and not saved.
    void ShowNewScheme(SchemeDocument scheme)
    {
        window_->ShowScheme(std::move(scheme));
        DM->MarkSchemeModified();
    }

private slots:
    void init() { OpenWindow(); }
    void cleanup() { CloseWindow(); }

    // Saved, then opened over another scheme, the window shows exactly what was saved; the file
    // is the one velmora-cli writes.
    void savedAndOpenedAgainShowsTheSameScheme()
    {
        const SchemeDocument built = SmallScheme();
        ShowNewScheme(built);
        QVERIFY(QTest::qWaitForWindowActive(window_));
        prompter_.saveFiles = {File("bands.velmora")};
        QTest::keyClick(window_, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(prompter_.fileDialogs, 1);
        QCOMPARE(prompter_.lastSuggested, QStringLiteral("bands.velmora"));
        QCOMPARE(prompter_.lastSuffix, QStringLiteral("velmora"));
        QVERIFY(prompter_.errors.isEmpty());
        QVERIFY(!DM->SchemeModified());
        QFile saved(File("bands.velmora"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll().toStdString(), SchemeFileText(built));

        // Saving again goes to the same file without asking.
        DM->MarkSchemeModified();
        DM->ac_FileSave->trigger();
        QCOMPARE(prompter_.fileDialogs, 1);
        QVERIFY(!DM->SchemeModified());

        window_->ShowScheme(SmallScheme(30, 15));
        prompter_.openFiles = {File("bands.velmora")};
        QTest::keyClick(window_, Qt::Key_O, Qt::ControlModifier);
        QVERIFY(prompter_.errors.isEmpty());
        ExpectShown(built);
        QCOMPARE(DM->Scheme.request.symbols, built.request.symbols);
        QVERIFY(!DM->SchemeModified());
        QCOMPARE(DM->SchemeFileName, ToPath(File("bands.velmora")));
    }

    // A damaged file gives the error box with the fault, in Russian, and the scheme stays.
    void damagedFileLeavesTheSchemeShown()
    {
        const SchemeDocument shown = SmallScheme();
        ShowNewScheme(shown);
        std::string text = SchemeFileText(SmallScheme(20, 10));
        text.replace(text.find("\"width\": 20"), 11, "\"width\": 2000");
        QFile damaged(File("damaged.velmora"));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write(text.data(), static_cast<qint64>(text.size()));
        damaged.close();

        prompter_.saveAnswer = Prompter::Answer::No;
        prompter_.openFiles = {damaged.fileName()};
        DM->ac_FileOpen->trigger();
        QCOMPARE(prompter_.errors.size(), 1);
        const QStringList lines = prompter_.errors.first().split(QLatin1Char('\n'));
        QCOMPARE(lines, QStringList({QStringLiteral("Не удалось открыть схему"), QDir::toNativeSeparators(damaged.fileName()),
                                     QStringLiteral("ключ «width»: 2000 вне пределов 10..1000")}));
        ExpectShown(shown);
        QVERIFY(DM->SchemeModified());
    }

    // The question before New, Open and closing, and what each answer does.
    void unsavedSchemeAsksBeforeItGoes()
    {
        int wizards = 0;
        const WizardShow previous = InstallWizardShow([&](Tfm_Wizard&) {
            ++wizards;
            return int(QDialog::Rejected);
        });

        // Nothing unsaved: New runs at once and closing asks only the exit question.
        DM->ac_FileNew->trigger();
        QCOMPARE(wizards, 1);
        QCOMPARE(prompter_.saveQuestions, 0);

        ShowNewScheme(SmallScheme());
        prompter_.saveAnswer = Prompter::Answer::Cancel;
        DM->ac_FileNew->trigger();
        DM->ac_FileOpen->trigger();
        QVERIFY(!window_->close());
        QCOMPARE(prompter_.saveQuestions, 3);
        QCOMPARE(prompter_.saveText, QStringLiteral("Схема не сохранена. Сохранить её?"));
        QCOMPARE(wizards, 1);
        QCOMPARE(prompter_.fileDialogs, 0);
        QCOMPARE(prompter_.confirms, 0);
        QVERIFY(window_->isVisible());

        // No: the step goes on without saving.
        prompter_.saveAnswer = Prompter::Answer::No;
        DM->ac_FileNew->trigger();
        QCOMPARE(wizards, 2);
        QVERIFY(DM->SchemeModified());

        // Yes, and the save dialog cancelled: nothing saved, so the step stops.
        prompter_.saveAnswer = Prompter::Answer::Yes;
        DM->ac_FileOpen->trigger();
        QCOMPARE(prompter_.fileDialogs, 1);
        QVERIFY(DM->SchemeModified());

        // Yes with a name: saved, then the window closes without the exit question.
        prompter_.saveFiles = {File("closing.velmora")};
        QVERIFY(window_->close());
        QVERIFY(QFile::exists(File("closing.velmora")));
        QCOMPARE(prompter_.confirms, 0);
        InstallWizardShow(previous);
    }

    void closeQuestionStaysWhenNothingIsUnsaved()
    {
        prompter_.answer = false;
        QVERIFY(!window_->close());
        window_->ShowScheme(SmallScheme());
        QVERIFY(!window_->close());
        QCOMPARE(prompter_.confirms, 2);
        QCOMPARE(prompter_.confirmText, QStringLiteral("Вы действительно хотите закрыть программу?"));
        QCOMPARE(prompter_.saveQuestions, 0);
    }

    // The PDFs from the window are the pages velmora-cli prints from the same scheme file.
    void pdfsHaveTheCliPages()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("poppler-utils are not installed");
        ShowNewScheme(SmallScheme(150, 60)); // the chart on several pages
        prompter_.saveFiles = {File("scheme.velmora"), File("chart.pdf"), File("legend.pdf")};
        DM->ac_FileSave->trigger();
        DM->ac_FileSavePdf->trigger();
        DM->ac_FileSaveSymbolsPdf->trigger();
        QVERIFY2(prompter_.errors.isEmpty(), qPrintable(prompter_.errors.join('\n')));
        QCOMPARE(prompter_.lastSuffix, QStringLiteral("pdf"));

        QProcess cli;
        cli.start(QStringLiteral(VELMORA_CLI_PATH),
                  {File("scheme.velmora"), QStringLiteral("--formats"), QStringLiteral("pdf"), QStringLiteral("--out"),
                   File("cli")});
        QVERIFY(cli.waitForFinished(120000));
        QCOMPARE(cli.exitCode(), 0);
        for (const char* pdf : {"chart.pdf", "legend.pdf"}) {
            const QString window = PdfText(File(QString::fromLatin1(pdf)));
            QVERIFY2(window.count(QLatin1Char('\f')) >= (std::string_view(pdf) == "chart.pdf" ? 2 : 1), pdf);
            QCOMPARE(window, PdfText(File(QStringLiteral("cli/") + QString::fromLatin1(pdf))));
        }
    }

    // `velmora FILE`: a scheme opens; a picture starts the wizard with it loaded; anything else
    // gives the error box and leaves the window empty.
    void fileFromTheDesktop()
    {
        WriteSchemeFile(ToPath(File("desk.velmora")), SmallScheme());
        DM->OpenFromCommandLine(File("desk.velmora"));
        ExpectShown(SmallScheme());
        QVERIFY(!DM->SchemeModified());

        QString loaded;
        const WizardShow previous = InstallWizardShow([&](Tfm_Wizard& wizard) {
            loaded = wizard.ed_FileName->text();
            return int(QDialog::Rejected);
        });
        const QString picture = QStringLiteral(VELMORA_SAMPLES_DIR "/cat-chelsea-451x300.jpg");
        DM->OpenFromCommandLine(picture);
        InstallWizardShow(previous);
        QCOMPARE(loaded, QDir::toNativeSeparators(picture));
        QVERIFY(DM->PictureLoaded);
        QCOMPARE(DM->SourcePicture.width(), 451);
    }

    // The error box keeps each line, and never breaks a line that is a path.
    void errorBoxKeepsPathsWhole()
    {
        QCOMPARE(ErrorBoxText(QStringLiteral("Не удалось открыть схему\n/tmp/a-b c/<x>.velmora\nключ «width»: 2 < 10")),
                 QStringLiteral("Не удалось открыть схему<br><nobr>/tmp/a-b c/&lt;x&gt;.velmora</nobr><br>"
                                "ключ «width»: 2 &lt; 10"));
        QCOMPARE(ErrorBoxText(QStringLiteral("C:\\Temp\\x.xlsx")), QStringLiteral("<nobr>C:\\Temp\\x.xlsx</nobr>"));
    }

    void unreadableFileFromTheDesktopLeavesTheWindowEmpty()
    {
        QFile text(File("notes.txt"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a picture");
        text.close();
        for (const QString& file : {text.fileName(), File("missing.velmora")}) {
            QVERIFY(!RunGuarded([&] { DM->OpenFromCommandLine(file); }));
            QVERIFY(prompter_.errors.last().startsWith(QStringLiteral("Не удалось открыть")));
            QVERIFY(prompter_.errors.last().contains(QDir::toNativeSeparators(file)));
        }
        QVERIFY(!DM->SchemeReady);
        QVERIFY(window_->isVisible());
    }
};

QTEST_MAIN(SchemeFileCommandsTest)
#include "scheme_file_commands_test.moc"
