// The scheme-file commands of the main window: saving and opening a scheme, the PDFs of the two
// print commands, the question about an unsaved scheme, and `velmora FILE` from the desktop.
#include "app/data_module.h"
#include "app/error_box.h"
#include "app/main_window.h"
#include "app/fabric_dialog.h"
#include "app/new_scheme_command.h"
#include "app/scheme_editor.h"
#include "main_window_fixture.h"
#include "picture/bmp_codec.h"
#include "scheme/cp1251.h"
#include "scheme/scheme_file.h"
#include "scheme/stitch_edit.h"
#include "app/scheme_editor.h"
#include "view/chart_look.h"
#include "scheme/symbol_spread.h"
#include "view/paint/qt_bridge.h"
#include "view/qt/scheme_grid.h"
#include "wizard/new_scheme_wizard.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QUndoStack>
#include <QWindow>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

#include <set>

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

// The title as the desktop shows it, with Qt's "[*]" resolved.
QString ShownTitle(const QWidget& window) { return window.windowHandle()->title(); }

// One edit on the undo stack: the first thread of the legend replaced by one the scheme lacks.
void EditOnce()
{
    std::set<int> used;
    int from = -1;
    for (int row = 1; row < DM->Session->Scheme.legend.rows(); ++row)
        if (const int thread = DM->Session->Editor->ThreadOfLegendRow(row); thread >= 0) {
            used.insert(thread);
            if (from < 0)
                from = thread;
        }
    int to = 0;
    while (used.contains(to))
        ++to;
    DM->Session->Editor->ReplaceThread(from, to);
    // As the event loop does before the next command: Undo is enabled now.
    DM->UpdateActions();
}

// A command as the window runs it: its enabled state brought up to date first, as the event loop
// does between commands.
void Run(QAction* action)
{
    DM->UpdateActions();
    action->trigger();
}

// The texts of "Последние схемы", top to bottom.
QStringList RecentItems()
{
    QStringList items;
    for (const QAction* item : DM->mi_FileRecent->actions())
        items << item->text();
    return items;
}

// What a folder holds, hidden entries (a run's private folder) included.
QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
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

    // Opens `text` as a damaged file over the scheme shown, not saving it: the lines of the one error
    // box it gives.
    QStringList OpenDamaged(const std::string& text)
    {
        QFile damaged(File("damaged.velmora"));
        if (!damaged.open(QIODevice::WriteOnly))
            return {QStringLiteral("cannot write ") + damaged.fileName()};
        damaged.write(text.data(), static_cast<qint64>(text.size()));
        damaged.close();
        prompter_.saveAnswer = Prompter::Answer::No;
        prompter_.openFiles = {damaged.fileName()};
        const qsizetype before = prompter_.errors.size();
        DM->ac_FileOpen->trigger();
        if (prompter_.errors.size() != before + 1)
            return {QStringLiteral("%1 error boxes").arg(prompter_.errors.size() - before)};
        return prompter_.errors.last().split(QLatin1Char('\n'));
    }

    // A scheme as the New command leaves it: shown and not saved.
    void ShowNewScheme(SchemeDocument scheme)
    {
        window_->ShowScheme(std::move(scheme));
        DM->Session->SchemeFileName.clear();
        DM->Session->MarkSchemeModified();
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
        QVERIFY(!DM->Session->SchemeModified());
        QFile saved(File("bands.velmora"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll().toStdString(), SchemeFileText(built));

        // Saving again goes to the same file without asking.
        DM->Session->MarkSchemeModified();
        DM->ac_FileSave->trigger();
        QCOMPARE(prompter_.fileDialogs, 1);
        QVERIFY(!DM->Session->SchemeModified());

        window_->ShowScheme(SmallScheme(30, 15));
        prompter_.openFiles = {File("bands.velmora")};
        QTest::keyClick(window_, Qt::Key_O, Qt::ControlModifier);
        QVERIFY(prompter_.errors.isEmpty());
        ExpectShown(built);
        QCOMPARE(DM->Session->Scheme.request.symbols, built.request.symbols);
        QVERIFY(!DM->Session->SchemeModified());
        QCOMPARE(DM->Session->SchemeFileName, ToPath(File("bands.velmora")));
    }

    // "Сохранить схему как…" asks every time; the scheme then belongs to the new file, which the
    // title names and Ctrl+S writes to.
    void saveAsMovesTheSchemeToTheNewFile()
    {
        const QList<QAction*> items = DM->mi_File->actions();
        QCOMPARE(items.indexOf(DM->ac_FileSaveAs), items.indexOf(DM->ac_FileSave) + 1);
        QCOMPARE(items.indexOf(DM->mi_FileRecent->menuAction()), items.indexOf(DM->ac_FileOpen) + 1);
        QCOMPARE(DM->ac_FileSaveAs->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+S")));
        QCOMPARE(DM->ac_FileSaveAs->toolTip(), QStringLiteral("Сохранить как"));
        QVERIFY(!DM->ac_FileSaveAs->isEnabled());

        const SchemeDocument first = SmallScheme();
        ShowNewScheme(first);
        QVERIFY(QTest::qWaitForWindowActive(window_));
        prompter_.saveFiles = {File("first.velmora")};
        QTest::keyClick(window_, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(prompter_.lastSuggested, QStringLiteral("bands.velmora"));
        QCOMPARE(DM->Session->SchemeFileName, ToPath(File("first.velmora")));

        // Asked again although the scheme has a file; a cancelled dialog changes nothing.
        DM->ac_FileSaveAs->trigger();
        QCOMPARE(prompter_.fileDialogs, 2);
        QCOMPARE(prompter_.lastSuggested, File("first.velmora"));
        QCOMPARE(DM->Session->SchemeFileName, ToPath(File("first.velmora")));

        EditOnce();
        prompter_.saveFiles = {File("copy.velmora")};
        DM->ac_FileSaveAs->trigger();
        QVERIFY(prompter_.errors.isEmpty());
        QCOMPARE(ShownTitle(*window_), QStringLiteral("copy.velmora — Вельмора"));
        QVERIFY(!DM->Session->SchemeModified());
        QFile copy(File("copy.velmora"));
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll().toStdString(), SchemeFileText(DM->Session->Scheme));
        QFile kept(File("first.velmora"));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll().toStdString(), SchemeFileText(first));

        EditOnce();
        DM->ac_FileSave->trigger();
        QCOMPARE(prompter_.fileDialogs, 3);
        QFile again(File("copy.velmora"));
        QVERIFY(again.open(QIODevice::ReadOnly));
        QCOMPARE(again.readAll().toStdString(), SchemeFileText(DM->Session->Scheme));
    }

    // The title names the scheme and marks unsaved changes; the saved state is the undo stack's
    // clean state, and a change beside the stack (the cloth) stays unsaved whatever is undone.
    void titleAndSavedStateFollowTheUndoStack()
    {
        const auto expect = [this](const QString& title, bool modified) {
            QCOMPARE(ShownTitle(*window_), title);
            QCOMPARE(window_->isWindowModified(), modified);
            QCOMPARE(DM->Session->SchemeModified(), modified);
        };
        expect(QStringLiteral("Вельмора"), false);
        QCOMPARE(window_->windowTitle(), QStringLiteral("Вельмора"));

        ShowNewScheme(SmallScheme());
        expect(QStringLiteral("Новая схема* — Вельмора"), true);
        prompter_.saveFiles = {File("state [*].velmora")};
        DM->ac_FileSave->trigger();
        QVERIFY2(prompter_.errors.isEmpty(), qPrintable(prompter_.errors.join('\n')));
        expect(QStringLiteral("state [*].velmora — Вельмора"), false);

        EditOnce();
        expect(QStringLiteral("state [*].velmora* — Вельмора"), true);
        Run(DM->ac_EditUndo);
        expect(QStringLiteral("state [*].velmora — Вельмора"), false);
        // Back at the saved state, closing asks only the exit question.
        prompter_.answer = false;
        QVERIFY(!window_->close());
        QCOMPARE(prompter_.saveQuestions, 0);
        QCOMPARE(prompter_.confirms, 1);
        Run(DM->ac_EditRedo);
        expect(QStringLiteral("state [*].velmora* — Вельмора"), true);
        QVERIFY(!window_->close());
        QCOMPARE(prompter_.saveQuestions, 1);

        // Saved after the edit: undoing it leaves the saved state.
        DM->ac_FileSave->trigger();
        expect(QStringLiteral("state [*].velmora — Вельмора"), false);
        Run(DM->ac_EditUndo);
        expect(QStringLiteral("state [*].velmora* — Вельмора"), true);
        Run(DM->ac_EditRedo);
        expect(QStringLiteral("state [*].velmora — Вельмора"), false);

        // A new cloth is not on the stack: no undo or redo gets back to a saved state.
        const int count = DM->Session->Scheme.fabricCount == 18 ? 16 : 18;
        QTimer::singleShot(0, qApp, [count] {
            auto* dialog = qobject_cast<FabricDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            dialog->ed_Count->setValue(count);
            dialog->accept();
        });
        DM->ac_ViewFabric->trigger();
        QCOMPARE(DM->Session->Scheme.fabricCount, count);
        expect(QStringLiteral("state [*].velmora* — Вельмора"), true);
        Run(DM->ac_EditUndo);
        expect(QStringLiteral("state [*].velmora* — Вельмора"), true);
        Run(DM->ac_EditRedo);
        expect(QStringLiteral("state [*].velmora* — Вельмора"), true);
        DM->ac_FileSave->trigger();
        expect(QStringLiteral("state [*].velmora — Вельмора"), false);

        // Opened: saved, whatever came before.
        EditOnce();
        prompter_.saveAnswer = Prompter::Answer::No;
        prompter_.openFiles = {File("first.velmora")};
        WriteSchemeFile(ToPath(File("first.velmora")), SmallScheme());
        DM->ac_FileOpen->trigger();
        expect(QStringLiteral("first.velmora — Вельмора"), false);
        QVERIFY(!DM->ac_EditUndo->isEnabled());
    }

    // "Последние схемы": the latest first, at most eight; a file that is gone leaves the list
    // with a message and the scheme shown stays; the open and save dialogs start in the folder of
    // the scheme last opened or saved.
    void recentSchemesAndTheirFolder()
    {
        QVERIFY(!DM->mi_FileRecent->isEnabled());
        QCOMPARE(prompter_.lastOpenFolder, QString());
        QDir().mkpath(File("recent"));
        QDir().mkpath(File("other"));
        const auto recent = [this](int i) { return File(QStringLiteral("recent/%1.velmora").arg(i)); };
        for (int i = 1; i <= 9; ++i)
            WriteSchemeFile(ToPath(recent(i)), SmallScheme(20 + i, 10));
        for (int i = 1; i <= 9; ++i) {
            prompter_.openFiles = {recent(i)};
            DM->ac_FileOpen->trigger();
        }
        QVERIFY(prompter_.errors.isEmpty());
        QCOMPARE(prompter_.lastOpenFolder, File("recent"));
        QStringList expected;
        for (int i = 9; i >= 2; --i)
            expected << QDir::toNativeSeparators(recent(i));
        QCOMPARE(RecentItems(), expected);
        QVERIFY(DM->mi_FileRecent->isEnabled());

        // A save puts its file first and its folder becomes the dialogs' start.
        ShowNewScheme(SmallScheme());
        prompter_.saveFiles = {File("other/saved.velmora")};
        DM->ac_FileSave->trigger();
        QCOMPARE(prompter_.lastSuggested, File("recent/bands.velmora"));
        QCOMPARE(RecentItems().first(), QDir::toNativeSeparators(File("other/saved.velmora")));
        QCOMPARE(RecentItems().size(), 8);
        ShowNewScheme(SmallScheme());
        prompter_.saveAnswer = Prompter::Answer::No;
        DM->ac_FileOpen->trigger();
        QCOMPARE(prompter_.lastOpenFolder, File("other"));

        // Chosen from the list: opens it, and it moves to the front.
        DM->mi_FileRecent->actions().at(3)->trigger();
        QVERIFY(prompter_.errors.isEmpty());
        ExpectShown(SmallScheme(27, 10));
        QCOMPARE(RecentItems().first(), QDir::toNativeSeparators(recent(7)));
        QCOMPARE(DM->mi_FileRecent->actions().first()->objectName(), QStringLiteral("mi_FileRecent1"));

        // One that is gone: the message, and the list without it; the scheme shown stays.
        QVERIFY(QFile::remove(recent(8)));
        const int asked = prompter_.saveQuestions;
        DM->mi_FileRecent->actions().at(RecentItems().indexOf(QDir::toNativeSeparators(recent(8))))->trigger();
        QCOMPARE(prompter_.errors, QStringList({QStringLiteral("Файл «%1» не найден. Он убран из списка последних схем.")
                                                    .arg(QDir::toNativeSeparators(recent(8)))}));
        QCOMPARE(prompter_.saveQuestions, asked);
        QVERIFY(!RecentItems().contains(QDir::toNativeSeparators(recent(8))));
        QCOMPARE(RecentItems().size(), 7);
        ExpectShown(SmallScheme(27, 10));

        // A folder that is gone is no start.
        QVERIFY(QDir(File("recent")).removeRecursively());
        DM->ac_FileOpen->trigger();
        QCOMPARE(prompter_.lastOpenFolder, QString());
    }

    // "Отмена" in the progress of a long chart PDF: the write stops, no file and no private folder
    // is left, and no error is shown. The window went on handling events meanwhile.
    void cancelledChartPdfLeavesNothing()
    {
        ShowNewScheme(SmallScheme(400, 300));
        QDir().mkpath(File("cancel"));
        prompter_.saveFiles = {File("cancel/chart.pdf")};
        int pagesSeen = 0, maximum = 0;
        QString label, button;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* dialog = window_->findChild<QProgressDialog*>(QStringLiteral("WriteProgressDialog"));
            if (dialog == nullptr || dialog->value() < 2)
                return;
            pagesSeen = dialog->value();
            maximum = dialog->maximum();
            label = dialog->labelText();
            button = dialog->findChild<QPushButton*>()->text();
            dialog->cancel();
        });
        poll.start(0);
        DM->ac_FileSavePdf->trigger();
        poll.stop();
        QVERIFY(prompter_.errors.isEmpty());
        QCOMPARE(pagesSeen, 2);
        QVERIFY2(maximum > 20, qPrintable(QString::number(maximum)));
        QCOMPARE(label, QStringLiteral("Запись страниц в файл PDF…"));
        QCOMPARE(button, QStringLiteral("Отмена"));
        QCOMPARE(Entries(File("cancel")), QStringList());
        QVERIFY(window_->findChild<QProgressDialog*>() == nullptr);

        // Cancelled while a scheme file is written aside: nothing in place, the scheme unsaved, and
        // the question before closing stops there.
        prompter_.saveFiles = {File("cancel/scheme.velmora")};
        prompter_.saveAnswer = Prompter::Answer::Yes;
        QTimer::singleShot(0, this, [this] {
            window_->findChild<QProgressDialog*>(QStringLiteral("WriteProgressDialog"))->cancel();
        });
        QVERIFY(!window_->close());
        QVERIFY(prompter_.errors.isEmpty());
        QCOMPARE(Entries(File("cancel")), QStringList());
        QVERIFY(DM->Session->SchemeModified());
        QVERIFY(DM->Session->SchemeFileName.empty());
    }

    // The status bar names the perceptual build of the scheme shown, built or opened, and says
    // nothing of the usual one.
    void statusBarNamesThePerceptualBuild()
    {
        QVERIFY(window_->lb_Build->isHidden()); // no scheme yet
        const QString before = window_->lb_FinishedSize->text();
        SchemeDocument perceptual = SmallScheme();
        perceptual.request.perceptual = true;
        ShowNewScheme(perceptual);
        QVERIFY(!window_->lb_Build->isHidden());
        QCOMPARE(window_->lb_Build->text(), QStringLiteral("Точные цвета"));
        QVERIFY(window_->lb_FinishedSize->text() != before); // beside the finished size, not in its place
        prompter_.saveFiles = {File("perceptual.velmora")};
        DM->ac_FileSave->trigger();
        QVERIFY(prompter_.errors.isEmpty());

        window_->ShowScheme(SmallScheme(30, 15));
        QVERIFY(window_->lb_Build->isHidden());
        prompter_.openFiles = {File("perceptual.velmora")};
        DM->ac_FileOpen->trigger();
        QVERIFY(prompter_.errors.isEmpty());
        QVERIFY(DM->Session->Scheme.request.perceptual);
        QVERIFY(!window_->lb_Build->isHidden());
    }

    // A damaged file gives the error box with the fault, in Russian, and the scheme stays.
    void damagedFileLeavesTheSchemeShown()
    {
        const SchemeDocument shown = SmallScheme();
        ShowNewScheme(shown);
        std::string text = SchemeFileText(SmallScheme(20, 10));
        text.replace(text.find("\"width\": 20"), 11, "\"width\": 2000");
        QCOMPARE(OpenDamaged(text), QStringList({QStringLiteral("Не удалось открыть схему"),
                                                 QDir::toNativeSeparators(File("damaged.velmora")),
                                                 QStringLiteral("ключ «width»: 2000 вне пределов 10..1000")}));
        ExpectShown(shown);
        QVERIFY(DM->Session->SchemeModified());
    }

    // The question before New, Open and closing, and what each answer does.
    void unsavedSchemeAsksBeforeItGoes()
    {
        int wizards = 0;
        const WizardShow previous = InstallWizardShow([&](NewSchemeWizard&) {
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
        QVERIFY(DM->Session->SchemeModified());

        // Yes, and the save dialog cancelled: nothing saved, so the step stops.
        prompter_.saveAnswer = Prompter::Answer::Yes;
        DM->ac_FileOpen->trigger();
        QCOMPARE(prompter_.fileDialogs, 1);
        QVERIFY(DM->Session->SchemeModified());

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

    // A scheme with lines of backstitch: the chart grid draws them, the legend lists their threads,
    // the PDFs of the window are velmora-cli's, a replaced thread takes its lines along and the
    // undo brings them back, and a file with a line off the grid is refused in Russian.
    void linesOfBackstitchGoWhereTheChartGoes()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("poppler-utils are not installed");
        SchemeDocument scheme = SmallScheme(150, 60);
        const int black = FindDmc("310"), red = FindDmc("321");
        AddBackstitch(scheme, {black, 60, 10, 70, 58}); // across the strips of the printed chart
        AddBackstitch(scheme, {red, 0, 0, 150, 0});
        ShowNewScheme(scheme);
        QCOMPARE(window_->ChartGrid->model().OverLines, BackstitchOverLines(scheme.backstitches));
        const CellTable& legend = window_->LegendGrid->model().cellTable();
        QCOMPARE(legend.rows(), scheme.legend.rows() + 3);
        QCOMPARE(QString::fromStdString(Cp1251ToUtf8(legend.text(3, scheme.legend.rows()))), QStringLiteral("Бэкстич"));

        prompter_.saveFiles = {File("lines.velmora"), File("chart.pdf"), File("legend.pdf")};
        DM->ac_FileSave->trigger();
        DM->ac_FileSavePdf->trigger();
        DM->ac_FileSaveSymbolsPdf->trigger();
        QVERIFY2(prompter_.errors.isEmpty(), qPrintable(prompter_.errors.join('\n')));
        QProcess cli;
        cli.start(QStringLiteral(VELMORA_CLI_PATH), {File("lines.velmora"), QStringLiteral("--formats"), QStringLiteral("pdf"),
                                                     QStringLiteral("--out"), File("cli")});
        QVERIFY(cli.waitForFinished(120000));
        QCOMPARE(cli.exitCode(), 0);
        for (const char* pdf : {"chart.pdf", "legend.pdf"})
            QCOMPARE(PdfText(File(QString::fromLatin1(pdf))), PdfText(File(QStringLiteral("cli/") + QString::fromLatin1(pdf))));
        QVERIFY(PdfText(File(QStringLiteral("legend.pdf"))).contains(QStringLiteral("Бэкстич")));

        DM->Session->Editor->ReplaceThread(red, FindDmc("700"));
        QCOMPARE(DM->Session->Scheme.backstitches[1].dmc, FindDmc("700"));
        QCOMPARE(window_->ChartGrid->model().OverLines, BackstitchOverLines(DM->Session->Scheme.backstitches));
        DM->Session->Editor->UndoStack->undo();
        QCOMPARE(window_->ChartGrid->model().OverLines, BackstitchOverLines(scheme.backstitches));

        std::string text = SchemeFileText(scheme);
        const std::string end = "\"to\": [150, 0]";
        text.replace(text.find(end), end.size(), "\"to\": [151, 0]");
        QCOMPARE(OpenDamaged(text).value(2), QStringLiteral("ключ «backstitches», элемент 2, «to» x: 151 вне пределов 0..150"));
    }

    // `velmora FILE`: a scheme opens; a picture starts the wizard with it loaded; anything else
    // gives the error box and leaves the window empty.
    void fileFromTheDesktop()
    {
        WriteSchemeFile(ToPath(File("desk.velmora")), SmallScheme());
        DM->OpenFromCommandLine(File("desk.velmora"));
        ExpectShown(SmallScheme());
        QVERIFY(!DM->Session->SchemeModified());

        QString loaded;
        const WizardShow previous = InstallWizardShow([&](NewSchemeWizard& wizard) {
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
        QVERIFY(!DM->Session->SchemeReady);
        QVERIFY(window_->isVisible());
    }
};

QTEST_MAIN(SchemeFileCommandsTest)
#include "scheme_file_commands_test.moc"
