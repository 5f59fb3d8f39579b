// The new-scheme wizard driven as a user drives it: navigation and its enabled rules, loading
// pictures, the size rules, the symbol lists and how the chosen list follows the colour count.
#include "picture/bmp_codec.h"
#include "tests/file_helpers.h"
#include "scheme/symbol_spread.h"
#include "view/qt/scheme_grid.h"
#include "wizard/picture_dialog.h"
#include "wizard/count_spin_box.h"
#include "wizard/new_scheme_wizard.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

using namespace velmora;

namespace {

const QString kCorpus = QStringLiteral(VELMORA_CORPUS_DIR);
const QString kCatBmp = kCorpus + QStringLiteral("/bmp-variants/var-cat-v5-24bit-451x300.bmp");
const QString kCatJpeg = kCorpus + QStringLiteral("/jpeg/jpg-baseline-420-cat-451x300.jpg");
const QString kWizardBmp = kCorpus + QStringLiteral("/bmp-variants/var-wizard-pal4-480x640.bmp");

GridFont SymbolFont()
{
    GridFont font;
    font.name = "Wingdings";
    font.charset = kSymbolCharset;
    return font;
}

std::vector<int> Codes(const SchemeGrid& list, int firstRow, int lastRow)
{
    std::vector<int> codes;
    for (int row = firstRow; row <= lastRow; ++row) {
        const std::string text = list.Cells(1, row);
        codes.push_back(text.size() == 1 ? static_cast<unsigned char>(text[0]) : -1);
    }
    return codes;
}

std::vector<int> SelCodes(const NewSchemeWizard& wizard)
{
    return Codes(*wizard.ChosenSymbolsGrid, 1, wizard.ChosenSymbolsGrid->RowCount() - 2);
}

std::string Symbol(int code) { return std::string(1, static_cast<char>(code)); }

struct ButtonStates {
    bool prev;
    bool next;
    bool ok;
};

} // namespace

class WizardTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        picture_ = Bitmap();
        loaded_ = false;
        warnings_.clear();
        wizard_ = std::make_unique<NewSchemeWizard>(
            nullptr, WizardServices{.SourcePicture = picture_, .PictureLoaded = loaded_, .SymbolFont = SymbolFont()});
        wizard_->ChoosePictureFile = [this] { return answer_; };
        wizard_->ShowWarning = [this](const QString& caption, const QString& text) {
            warnings_ << caption + QLatin1Char('|') + text;
        };
        wizard_->show();
        QVERIFY(QTest::qWaitForWindowExposed(wizard_.get()));
    }

    void cleanup() { wizard_.reset(); }

    void windowAndPagesAsDesigned()
    {
        NewSchemeWizard& w = *wizard_;
        QCOMPARE(w.windowTitle(), QStringLiteral("Мастер создания схем"));
        QVERIFY(w.isModal());
        QCOMPARE(w.size(), QSize(412, 329)); // 404 × 321 inside a 4-pixel border
        QCOMPARE(w.pc_Wizard->count(), 5);
        const QList<QWidget*> pages = {w.ts_Hello, w.ts_SourcePicture, w.ts_Params, w.ts_Symbols, w.ts_Finish};
        for (int i = 0; i < pages.size(); ++i)
            QCOMPARE(w.pc_Wizard->widget(i), pages[i]);
        QCOMPARE(w.pc_Wizard->currentWidget(), w.ts_Hello);
        QCOMPARE(w.bb_Cancel->text(), QStringLiteral("Отмена"));
        QCOMPARE(w.bn_Prev->text(), QStringLiteral("< Назад"));
        QCOMPARE(w.bn_Next->text(), QStringLiteral("Далее >"));
        QCOMPARE(w.bb_OK->text(), QStringLiteral("OK"));
        const QList<QPushButton*> buttons = {w.bb_Cancel, w.bn_Prev, w.bn_Next, w.bb_OK};
        const QList<int> lefts = {52, 140, 228, 320};
        for (int i = 0; i < buttons.size(); ++i) {
            QCOMPARE(buttons[i]->geometry(), QRect(lefts[i], 8, 81, 25));
            QCOMPARE(buttons[i]->parentWidget(), w.pn_Buttons);
        }
        QCOMPARE(w.pn_Buttons->geometry(), QRect(0, 280, 404, 41));
        QCOMPARE(w.sb_OpenFile->toolTip(), QStringLiteral("Выбрать файл"));
        QCOMPARE(w.ed_FileName->width(), 373);
        QVERIFY(w.ed_FileName->isReadOnly());
        // The sizes and the colour count take typed numbers.
        QVERIFY(!w.ed_Width->isReadOnly() && !w.ed_Height->isReadOnly() && !w.ed_Colors->isReadOnly());
        QVERIFY(w.lb_PictureFault->text().isEmpty());
        QCOMPARE(w.ud_Width->Position(), 100);
        QCOMPARE(w.ud_Height->Position(), 100);
        QCOMPARE(w.ud_Colors->Position(), 30);
        QVERIFY(w.cb_Proportional->isChecked());
        QVERIFY(!w.cb_Dithering->isChecked());
        // "Точные цвета" on the dithering box's row, under the colour count, off; its hint short
        // and long.
        QCOMPARE(w.cb_Perceptual->text(), QStringLiteral("Точные цвета"));
        QCOMPARE(w.cb_Perceptual->parentWidget(), w.ts_Params);
        QVERIFY(!w.cb_Perceptual->isChecked() && !w.Request().perceptual);
        QCOMPARE(w.cb_Perceptual->y(), w.cb_Dithering->y());
        QCOMPARE(w.cb_Perceptual->x(), w.ud_Colors->x());
        QVERIFY(!w.cb_Perceptual->geometry().intersects(w.cb_Dithering->geometry()));
        QVERIFY(w.cb_Perceptual->sizeHint().width() <= w.cb_Perceptual->width());
        QVERIFY(w.cb_Dithering->sizeHint().width() <= w.cb_Perceptual->x() - w.cb_Dithering->x());
        QVERIFY(w.cb_Perceptual->geometry().right() < w.ts_Params->width());
        QCOMPARE(w.cb_Perceptual->toolTip(), QStringLiteral("Точные цвета"));
        QVERIFY(w.cb_Perceptual->statusTip().startsWith(QStringLiteral("Подбирать нитки так, как цвета видит глаз")));
        QVERIFY(w.SymbolsPending);
        QVERIFY(w.AllSymbolsGrid->Font().name == "Wingdings" && w.ChosenSymbolsGrid->Font().charset == kSymbolCharset);
        QCOMPARE(w.AllSymbolsGrid->FixedFont().name, std::string("Arial"));
    }

    // The picture page names the kinds the program reads, and its text fits its label.
    void picturePageNamesTheKindsRead()
    {
        QLabel* text = nullptr;
        for (QLabel* label : wizard_->ts_SourcePicture->findChildren<QLabel*>())
            if (label->text().startsWith(QStringLiteral("Сейчас Вы должны указать")))
                text = label;
        QVERIFY(text != nullptr);
        QVERIFY(!text->text().contains(QStringLiteral("должен быть в формате Windows Bitmap")));
        for (const char* kind : {"Windows Bitmap", "JPEG", "PNG", "WebP", "GIF", "TIFF", "HEIC"})
            QVERIFY2(text->text().contains(QLatin1String(kind)), kind);
        QVERIFY(text->heightForWidth(text->width()) <= text->height());
    }

    // Every page, with and without a picture; a disabled button does nothing when clicked.
    void buttonStatesOnEveryPage()
    {
        NewSchemeWizard& w = *wizard_;
        const auto expect = [&w](int page, ButtonStates states) {
            QCOMPARE(w.ActivePageIndex(), page);
            QCOMPARE(w.bn_Prev->isEnabled(), states.prev);
            QCOMPARE(w.bn_Next->isEnabled(), states.next);
            QCOMPARE(w.bb_OK->isEnabled(), states.ok);
            QCOMPARE(w.ac_Next->isEnabled(), states.next);
        };
        expect(0, {false, true, false});
        QTest::mouseClick(w.bn_Prev, Qt::LeftButton);
        expect(0, {false, true, false});
        // Enter presses OK only where OK is enabled.
        QTest::keyClick(&w, Qt::Key_Return);
        QVERIFY(w.isVisible());
        QTest::mouseClick(w.bn_Next, Qt::LeftButton);
        expect(1, {true, false, false});
        QTest::mouseClick(w.bn_Next, Qt::LeftButton);
        expect(1, {true, false, false});

        Load(kCatBmp);
        expect(1, {true, true, false});
        QTest::mouseClick(w.bn_Next, Qt::LeftButton);
        expect(2, {true, true, false});
        QTest::mouseClick(w.bn_Next, Qt::LeftButton);
        expect(3, {true, true, false});
        QTest::mouseClick(w.bn_Next, Qt::LeftButton);
        expect(4, {true, false, true});
        QTest::mouseClick(w.bn_Next, Qt::LeftButton);
        expect(4, {true, false, true});
        for (int page = 3; page >= 0; --page) {
            QTest::mouseClick(w.bn_Prev, Qt::LeftButton);
            expect(page, {page > 0, true, false});
        }

        GoTo(4);
        QTest::keyClick(&w, Qt::Key_Return);
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Accepted));
    }

    void escapeAndCancelCloseWithCancel()
    {
        NewSchemeWizard& w = *wizard_;
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Rejected));
        w.show();
        QTest::mouseClick(w.bb_Cancel, Qt::LeftButton);
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Rejected));
    }

    void loadsPicture_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("pictureSize");
        QTest::addColumn<QSize>("stitches");
        QTest::newRow("bitmap") << kCatBmp << QSize(451, 300) << QSize(451, 300);
        QTest::newRow("JPEG") << kCatJpeg << QSize(451, 300) << QSize(451, 300);
        QTest::newRow("4-bit bitmap") << kWizardBmp << QSize(480, 640) << QSize(480, 640);
        QTest::newRow("PNG") << kCorpus + QStringLiteral("/kinds/png-rgba8-rose-vignette-70x46.png") << QSize(70, 46)
                             << QSize(70, 46);
        QTest::newRow("WebP named .jpg") << kCorpus + QStringLiteral("/kinds/webp-named-jpg-rose-70x46.jpg")
                                         << QSize(70, 46) << QSize(70, 46);
        QTest::newRow("HEIC") << kCorpus + QStringLiteral("/kinds/heic-cat-451x300.heic") << QSize(451, 300)
                              << QSize(451, 300);
        QTest::newRow("JPEG turned upright") << kCorpus + QStringLiteral("/jpeg/jpg-exif-orientation6-cat-451x300.jpg")
                                             << QSize(300, 451) << QSize(300, 451);
    }

    void loadsPicture()
    {
        QFETCH(QString, file);
        QFETCH(QSize, pictureSize);
        QFETCH(QSize, stitches);
        GoTo(1);
        Load(file);
        QVERIFY(loaded_);
        QCOMPARE(wizard_->ed_FileName->text(), file);
        QCOMPARE(QSize(picture_.width(), picture_.height()), pictureSize);
        QCOMPARE(QSize(wizard_->ud_Width->Position(), wizard_->ud_Height->Position()), stitches);
        QVERIFY(wizard_->bn_Next->isEnabled());
    }

    // A failure shows no message box: a line under the name says why. As the first picture the
    // name goes and Next stays disabled; after a good picture, that picture stays with its name
    // and Next.
    void brokenFileAfterGoodOne_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("reason");
        const QString damaged = QStringLiteral("Файл изображения поврежден или неполон.");
        const QString unknown = QStringLiteral("Файл не содержит изображения известного программе формата.");
        const QString tooLarge = QStringLiteral("Изображение слишком велико.");
        QTest::newRow("text named .bmp") << kCorpus + QStringLiteral("/broken/bmp-text-file.bmp") << unknown;
        QTest::newRow("truncated bitmap") << kCorpus + QStringLiteral("/broken/bmp-truncated-pixels-60pct-cat.bmp")
                                          << damaged;
        QTest::newRow("no JPEG data in .jpg") << kCorpus + QStringLiteral("/broken/jpg-holds-text.jpg") << unknown;
        QTest::newRow("truncated JPEG") << kCorpus + QStringLiteral("/broken/jpg-truncated-half-scan.jpg") << damaged;
        QTest::newRow("PNG with a bad checksum") << kCorpus + QStringLiteral("/broken/png-bad-crc-idat-rose.png")
                                                 << damaged;
        QTest::newRow("PNG of 60000 × 60000") << kCorpus + QStringLiteral("/broken/png-60000x60000-no-data.png")
                                              << tooLarge;
        QTest::newRow("missing file") << kCorpus + QStringLiteral("/no-such-picture.bmp")
                                      << QStringLiteral("Такого файла нет.");
        QTest::newRow("no picture at all") << kCorpus + QStringLiteral("/README.md") << unknown;
    }

    void brokenFileAfterGoodOne()
    {
        QFETCH(QString, file);
        QFETCH(QString, reason);
        GoTo(1);
        Load(file);
        QVERIFY(!loaded_);
        QVERIFY(wizard_->ed_FileName->text().isEmpty());
        QVERIFY(!wizard_->bn_Next->isEnabled());
        QCOMPARE(wizard_->lb_PictureFault->text(), reason);

        Load(kCatBmp);
        const Bitmap good = picture_;
        const QSize stitches(wizard_->ud_Width->Position(), wizard_->ud_Height->Position());
        Load(file);
        QVERIFY(loaded_);
        QCOMPARE(wizard_->ed_FileName->text(), kCatBmp);
        QVERIFY(wizard_->bn_Next->isEnabled());
        QVERIFY(picture_ == good);
        QCOMPARE(QSize(wizard_->ud_Width->Position(), wizard_->ud_Height->Position()), stitches);
        QVERIFY(warnings_.isEmpty());
        QCOMPARE(wizard_->lb_PictureFault->text(), reason);
        QVERIFY(wizard_->lb_PictureFault->isVisible());
        const QString shots = qEnvironmentVariable("VELMORA_WIZARD_SCREENSHOTS");
        if (!shots.isEmpty() && QByteArray(QTest::currentDataTag()) == "no picture at all")
            wizard_->grab().save(shots + QStringLiteral("/wizard-picture-refused.png"));
        // A later good load brings Next back and clears the reason.
        Load(kCatJpeg);
        QVERIFY(loaded_ && wizard_->bn_Next->isEnabled());
        QVERIFY(wizard_->lb_PictureFault->text().isEmpty());
    }

    void cancelledDialogChangesNothing()
    {
        GoTo(1);
        Load(kCatBmp);
        const Bitmap good = picture_;
        answer_ = std::nullopt;
        QTest::mouseClick(wizard_->sb_OpenFile, Qt::LeftButton);
        QVERIFY(loaded_);
        QCOMPARE(wizard_->ed_FileName->text(), kCatBmp);
        QVERIFY(picture_ == good);
        QVERIFY(wizard_->bn_Next->isEnabled());
    }

    void sizesFromPicture_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("stitches");
        QTest::newRow("400 x 300") << QSize(400, 300) << QSize(400, 300);
        // Each side on its own: the proportions would have given 1000 × 750.
        QTest::newRow("1600 x 1200") << QSize(1600, 1200) << QSize(1000, 1000);
        QTest::newRow("5 x 5") << QSize(5, 5) << QSize(10, 10);
        QTest::newRow("3 x 2000") << QSize(3, 2000) << QSize(10, 1000);
    }

    void sizesFromPicture()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, stitches);
        GoTo(1);
        Load(MakeBmp(picture));
        QCOMPARE(QSize(wizard_->ud_Width->Position(), wizard_->ud_Height->Position()), stitches);
    }

    void proportionsFollowTheUsersChange()
    {
        NewSchemeWizard& w = *wizard_;
        GoTo(1);
        Load(MakeBmp(QSize(400, 300)));
        GoTo(2);
        // Width up by the arrow key: 300 × 401 div 400 = 300.75, truncated.
        w.ud_Width->setFocus();
        QTest::keyClick(w.ud_Width, Qt::Key_Up);
        QCOMPARE(w.ud_Width->Position(), 401);
        QCOMPARE(w.ud_Height->Position(), 300);
        // Height down with the mouse on the lower arrow: 400 × 299 div 300 = 398.67, truncated.
        QTest::mouseClick(w.ud_Height, Qt::LeftButton, {}, QPoint(w.ud_Height->width() - 4, w.ud_Height->height() - 4));
        QCOMPARE(w.ud_Height->Position(), 299);
        QCOMPARE(w.ud_Width->Position(), 398);
        // Page keys step by ten, with the proportions: 300 × 408 div 400 = 306.
        QTest::keyClick(w.ud_Width, Qt::Key_PageUp);
        QCOMPARE(w.ud_Width->Position(), 408);
        QCOMPARE(w.ud_Height->Position(), 306);
        QTest::keyClick(w.ud_Width, Qt::Key_PageDown);
        QCOMPARE(w.ud_Width->Position(), 398);
        QCOMPARE(w.ud_Height->Position(), 298);
        // A typed size takes effect on Enter, held to the range, the other side following once.
        const auto type = [](CountSpinBox* upDown, const QString& text) {
            upDown->Edit()->selectAll();
            QTest::keyClicks(upDown->Edit(), text);
            QTest::keyClick(upDown->Edit(), Qt::Key_Return);
        };
        type(w.ud_Width, QStringLiteral("1000"));
        QCOMPARE(w.ud_Width->Position(), 1000);
        QCOMPARE(w.ud_Height->Position(), 750);
        type(w.ud_Height, QStringLiteral("451"));
        QCOMPARE(w.ud_Height->Position(), 451);
        QCOMPARE(w.ud_Width->Position(), 601);
        type(w.ud_Width, QStringLiteral("5")); // below 10: not taken
        QCOMPARE(w.ud_Width->Position(), 601);
        type(w.ud_Width, QStringLiteral("2000")); // the edit takes no more digits than 1000 has
        QVERIFY(w.ud_Width->Position() <= 1000);
        // The colour count as the sizes: typed, Backspace, the page keys by ten, held to 2..100.
        type(w.ud_Colors, QStringLiteral("75"));
        QCOMPARE(w.ud_Colors->Position(), 75);
        QTest::keyClick(w.ud_Colors, Qt::Key_PageUp);
        QCOMPARE(w.ud_Colors->Position(), 85);
        QTest::keyClick(w.ud_Colors, Qt::Key_PageUp);
        QTest::keyClick(w.ud_Colors, Qt::Key_PageUp);
        QCOMPARE(w.ud_Colors->Position(), 100);
        w.ud_Colors->Edit()->end(false);
        QTest::keyClick(w.ud_Colors->Edit(), Qt::Key_Backspace);
        QTest::keyClick(w.ud_Colors->Edit(), Qt::Key_Return);
        QCOMPARE(w.ud_Colors->Position(), 10);
        type(w.ud_Colors, QStringLiteral("1")); // below 2: not taken
        QCOMPARE(w.ud_Colors->Position(), 10);
        QTest::keyClick(w.ud_Colors, Qt::Key_PageDown);
        QTest::keyClick(w.ud_Colors, Qt::Key_PageDown);
        QCOMPARE(w.ud_Colors->Position(), 2);
        // A typed count takes effect on leaving the field as well.
        w.ud_Colors->setFocus();
        w.ud_Colors->Edit()->selectAll();
        QTest::keyClicks(w.ud_Colors->Edit(), QStringLiteral("42"));
        w.ud_Width->setFocus();
        QCOMPARE(w.ud_Colors->Position(), 42);
        w.ud_Colors->SetPosition(30);
        w.ud_Width->SetPosition(398);
        w.ud_Height->SetPosition(299);

        // Ticking does not adjust the values already set; unticked, the sides are independent.
        w.cb_Proportional->setChecked(false);
        QTest::keyClick(w.ud_Width, Qt::Key_Up);
        QCOMPARE(w.ud_Width->Position(), 399);
        QCOMPARE(w.ud_Height->Position(), 299);
        w.cb_Proportional->setChecked(true);
        QCOMPARE(w.ud_Width->Position(), 399);
        QCOMPARE(w.ud_Height->Position(), 299);

        // The ratio comes from the picture, and a held value stays in range.
        w.ud_Height->SetPosition(1000);
        QTest::keyClick(w.ud_Height, Qt::Key_Up);
        QCOMPARE(w.ud_Height->Position(), 1000); // no wrap-around, no change
        QCOMPARE(w.ud_Width->Position(), 399);
        w.ud_Width->SetPosition(1000);
        QTest::keyClick(w.ud_Width, Qt::Key_Down);
        QCOMPARE(w.ud_Width->Position(), 999);
        QCOMPARE(w.ud_Height->Position(), 749);
        w.ud_Width->SetPosition(10);
        QTest::keyClick(w.ud_Width, Qt::Key_Down);
        QCOMPARE(w.ud_Width->Position(), 10);
        w.ud_Colors->SetPosition(2);
        QTest::keyClick(w.ud_Colors, Qt::Key_Down);
        QCOMPARE(w.ud_Colors->Position(), 2);
    }

    void defaultSpreads_data()
    {
        QTest::addColumn<int>("colors");
        QTest::addColumn<std::vector<int>>("head");
        QTest::newRow("2") << 2 << std::vector<int>{48, 255};
        QTest::newRow("4") << 4 << std::vector<int>{48, 151, 203, 255};
        QTest::newRow("30") << 30 << std::vector<int>{48, 60, 67, 74};
        QTest::newRow("100") << 100 << std::vector<int>{48, 51, 53, 55};
    }

    void defaultSpreads()
    {
        QFETCH(int, colors);
        QFETCH(std::vector<int>, head);
        NewSchemeWizard& w = *wizard_;
        GoTo(1);
        Load(kCatBmp);
        GoTo(2);
        w.ud_Colors->SetPosition(colors);
        GoTo(3);
        QVERIFY(!w.SymbolsPending);

        QCOMPARE(w.AllSymbolsGrid->RowCount(), 210);
        QCOMPARE(w.AllSymbolsGrid->Cells(1, 1), Symbol(48));
        QCOMPARE(w.AllSymbolsGrid->Cells(0, 208), std::string("208"));
        QCOMPARE(w.AllSymbolsGrid->Cells(1, 208), Symbol(255));
        QVERIFY(w.AllSymbolsGrid->Cells(1, 209).empty());

        QCOMPARE(w.ChosenSymbolsGrid->RowCount(), colors + 2);
        const std::vector<int> codes = SelCodes(w);
        QCOMPARE(std::vector<int>(codes.begin(), codes.begin() + static_cast<long>(head.size())), head);
        QCOMPARE(codes.back(), 255);
        QCOMPARE(std::set<int>(codes.begin(), codes.end()).size(), codes.size());
        QCOMPARE(w.ChosenSymbolsGrid->Cells(0, colors), std::to_string(colors));
        QVERIFY(w.ChosenSymbolsGrid->Cells(1, colors + 1).empty());
        QCOMPARE(w.ChosenSymbolsGrid->Row(), 1);
        QCOMPARE(w.AllSymbolsGrid->Row(), 1);
    }

    void selectWarnAndMove()
    {
        NewSchemeWizard& w = *wizard_;
        ToSymbolsWith(4); // 48 151 203 255
        SchemeGrid& all = *w.AllSymbolsGrid;
        SchemeGrid& sel = *w.ChosenSymbolsGrid;

        // A click on a candidate and one on a chosen row, then "Выбрать ->".
        all.SetCurrent(1, 100 - 47);
        sel.SetCurrent(1, 2);
        QTest::mouseClick(w.bn_Select, Qt::LeftButton);
        QCOMPARE(SelCodes(w), (std::vector<int>{48, 100, 203, 255}));
        QCOMPARE(all.Row(), 53);
        QCOMPARE(sel.Row(), 2);

        // A symbol in use elsewhere, and the row's own symbol: the warning, nothing changed.
        all.SetCurrent(1, 255 - 47);
        QTest::mouseClick(w.bn_Select, Qt::LeftButton);
        all.SetCurrent(1, 100 - 47);
        QTest::mouseClick(w.bn_Select, Qt::LeftButton);
        QCOMPARE(warnings_, QStringList(2, QStringLiteral("Внимание|Такой символ уже используется!")));
        QCOMPARE(SelCodes(w), (std::vector<int>{48, 100, 203, 255}));

        // Up and down carry the selection with the symbol and stop at the ends.
        sel.SetCurrent(1, 1);
        QTest::mouseClick(w.sb_Up, Qt::LeftButton);
        QCOMPARE(SelCodes(w), (std::vector<int>{48, 100, 203, 255}));
        QCOMPARE(sel.Row(), 1);
        QTest::mouseClick(w.sb_Down, Qt::LeftButton);
        QCOMPARE(SelCodes(w), (std::vector<int>{100, 48, 203, 255}));
        QCOMPARE(sel.Row(), 2);
        QTest::mouseClick(w.sb_Down, Qt::LeftButton);
        QTest::mouseClick(w.sb_Down, Qt::LeftButton);
        QCOMPARE(SelCodes(w), (std::vector<int>{100, 203, 255, 48}));
        QCOMPARE(sel.Row(), 4);
        QTest::mouseClick(w.sb_Down, Qt::LeftButton);
        QCOMPARE(sel.Row(), 4);
        QCOMPARE(SelCodes(w), (std::vector<int>{100, 203, 255, 48}));
        QTest::mouseClick(w.sb_Up, Qt::LeftButton);
        QCOMPARE(SelCodes(w), (std::vector<int>{100, 203, 48, 255}));
        QCOMPARE(sel.Row(), 3);
        QCOMPARE(sel.Cells(0, 3), std::string("3"));

        // The empty last rows: an empty candidate fills a chosen row once, then it is in use; the
        // chosen list's empty row takes a symbol and swaps with row N when moved up.
        all.SetCurrent(1, 209);
        sel.SetCurrent(1, 5);
        QTest::mouseClick(w.sb_Down, Qt::LeftButton);
        QCOMPARE(sel.Row(), 5);
        QTest::mouseClick(w.bn_Select, Qt::LeftButton);
        QCOMPARE(Codes(sel, 1, 5), (std::vector<int>{100, 203, 48, 255, -1}));
        sel.SetCurrent(1, 1);
        QTest::mouseClick(w.bn_Select, Qt::LeftButton);
        QCOMPARE(Codes(sel, 1, 5), (std::vector<int>{-1, 203, 48, 255, -1}));
        sel.SetCurrent(1, 2);
        QTest::mouseClick(w.bn_Select, Qt::LeftButton);
        QCOMPARE(warnings_.size(), 3);
        all.SetCurrent(1, 60 - 47);
        sel.SetCurrent(1, 5);
        QTest::mouseClick(w.bn_Select, Qt::LeftButton);
        QTest::mouseClick(w.sb_Up, Qt::LeftButton);
        QCOMPARE(Codes(sel, 1, 5), (std::vector<int>{-1, 203, 48, 60, 255}));
        QCOMPARE(sel.Row(), 4);
    }

    void backAndForthKeepsEveryChoice()
    {
        NewSchemeWizard& w = *wizard_;
        ToSymbolsWith(5);
        w.AllSymbolsGrid->SetCurrent(1, 20);
        w.ChosenSymbolsGrid->SetCurrent(1, 3);
        QTest::mouseClick(w.bn_Select, Qt::LeftButton);
        QTest::mouseClick(w.sb_Up, Qt::LeftButton);
        const std::vector<int> chosen = SelCodes(w);
        GoTo(2);
        w.cb_Dithering->setChecked(true);
        w.cb_Perceptual->setChecked(true);
        w.cb_Proportional->setChecked(false);
        QTest::keyClick(w.ud_Height, Qt::Key_Up);
        const SchemeRequest before = w.Request();
        GoTo(0);
        GoTo(4);
        GoTo(3);
        QCOMPARE(SelCodes(w), chosen);
        QCOMPARE(w.ChosenSymbolsGrid->Row(), 2);
        const SchemeRequest after = w.Request();
        QCOMPARE(after.width, 451);
        QCOMPARE(after.height, 301);
        QCOMPARE(after.colorCount, 5);
        QVERIFY(after.dithering && after.perceptual && !w.cb_Proportional->isChecked());
        QVERIFY(after.symbols == before.symbols);
        QCOMPARE(after.symbols.size(), std::size_t{5});
        QCOMPARE(w.ed_FileName->text(), kCatBmp);
        QVERIFY(loaded_);
    }

    // The list follows a changed colour count: kept rows keep their symbols, dropped rows go,
    // new rows take the unused symbols of the new count's default spread in its order.
    void chosenListFollowsColorCount()
    {
        NewSchemeWizard& w = *wizard_;
        ToSymbolsWith(4); // 48 151 203 255
        w.AllSymbolsGrid->SetCurrent(1, 100 - 47);
        w.ChosenSymbolsGrid->SetCurrent(1, 2);
        QTest::mouseClick(w.bn_Select, Qt::LeftButton);

        const auto withColors = [&w](int colors) {
            GoBackTo(w, 2);
            w.ud_Colors->SetPosition(colors);
            QTest::mouseClick(w.bn_Next, Qt::LeftButton);
            return w.ActivePageIndex() == 3 ? SelCodes(w) : std::vector<int>();
        };
        // Spread for 6: 48 116 151 185 220 255; 48 and 255 are taken, 151 was given up for 100.
        QCOMPARE(withColors(6), (std::vector<int>{48, 100, 203, 255, 116, 151}));
        QCOMPARE(w.ChosenSymbolsGrid->Cells(0, 6), std::string("6"));
        QVERIFY(w.ChosenSymbolsGrid->Cells(1, 7).empty());
        QCOMPARE(withColors(3), (std::vector<int>{48, 100, 203}));
        QCOMPARE(w.ChosenSymbolsGrid->RowCount(), 5);
        QVERIFY(w.ChosenSymbolsGrid->Cells(0, 4).empty() && w.ChosenSymbolsGrid->Cells(1, 4).empty());
        // Spread for 5: 48 130 171 213 255.
        QCOMPARE(withColors(5), (std::vector<int>{48, 100, 203, 130, 171}));
        // Up to the largest count: all different, every colour with a symbol.
        const std::vector<int> hundred = withColors(100);
        QCOMPARE(hundred.size(), std::size_t{100});
        QVERIFY(std::find(hundred.begin(), hundred.end(), -1) == hundred.end());
        QCOMPARE(std::set<int>(hundred.begin(), hundred.end()).size(), hundred.size());
        QCOMPARE(std::vector<int>(hundred.begin(), hundred.begin() + 5), (std::vector<int>{48, 100, 203, 130, 171}));
        QCOMPARE(w.Request().symbols.size(), std::size_t{100});
    }

    // The dialog step: a preview of the selected picture beside the list, added once; the chosen
    // path, or nothing when cancelled.
    void pictureDialogShowsPreview()
    {
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilters(PictureNameFilters());
        // Every kind read is offered first; the bitmaps and JPEG files of old stay.
        QCOMPARE(dialog.nameFilters().value(1), QStringLiteral("Files with pictures (*.bmp *.jpg)"));
        for (const char* pattern : {"*.bmp", "*.jpg", "*.jpeg", "*.png", "*.webp", "*.gif", "*.tif", "*.heic", "*.heif"})
            QVERIFY(dialog.nameFilters().value(0).contains(QLatin1String(pattern)));
        const QString shots = qEnvironmentVariable("VELMORA_WIZARD_SCREENSHOTS");
        bool previewShown = false;
        QTimer::singleShot(0, &dialog, [&] {
            dialog.selectFile(kCatBmp);
            emit dialog.currentChanged(kCatBmp);
            const auto* preview = dialog.findChild<QLabel*>(QStringLiteral("PicturePreview"));
            previewShown = preview != nullptr && !preview->pixmap().isNull();
            if (!shots.isEmpty())
                dialog.grab().save(shots + QStringLiteral("/wizard-open-picture-dialog.png"));
            static_cast<QDialog&>(dialog).accept(); // as the Open button does
        });
        QCOMPARE(RunOpenPictureDialog(dialog), std::optional<QString>(QFileInfo(kCatBmp).absoluteFilePath()));
        QVERIFY(previewShown);

        // Every kind read shows, whatever its name.
        QStringList kindsShown;
        QTimer::singleShot(0, &dialog, [&] {
            const auto* preview = dialog.findChild<QLabel*>(QStringLiteral("PicturePreview"));
            for (const char* file : {"png-palette8-rose-64colours-70x46.png", "webp-named-jpg-rose-70x46.jpg",
                                     "gif-rose-64colours-70x46.gif", "tiff-tiles-rgb8-deflate-rose-70x46.tif",
                                     "heic-rose-70x46.heic"}) {
                emit dialog.currentChanged(kCorpus + QStringLiteral("/kinds/") + QLatin1String(file));
                if (preview != nullptr && !preview->pixmap().isNull())
                    kindsShown << QLatin1String(file);
            }
            dialog.reject();
        });
        QVERIFY(!RunOpenPictureDialog(dialog));
        QCOMPARE(kindsShown.size(), 5);

        qsizetype previews = 0;
        QTimer::singleShot(0, &dialog, [&] {
            emit dialog.currentChanged(kCorpus + QStringLiteral("/broken/bmp-text-file.bmp"));
            const auto* preview = dialog.findChild<QLabel*>(QStringLiteral("PicturePreview"));
            previewShown = preview != nullptr && !preview->pixmap().isNull();
            previews = dialog.findChildren<QLabel*>(QStringLiteral("PicturePreview")).size();
            dialog.reject();
        });
        QVERIFY(!RunOpenPictureDialog(dialog));
        QVERIFY(!previewShown);
        QCOMPARE(previews, qsizetype{1});
    }

    // The preview follows the name field as well as the list: a typed name that names no picture
    // empties it, a typed one that does shows that picture, relative to the dialog's folder or not.
    // The dialog opens wide enough for the sidebar's names beside the list and the preview.
    void picturePreviewFollowsTypedName()
    {
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDirectory(QFileInfo(kCatBmp).absolutePath());
        QStringList shown;
        int sidebarWidth = 0, sidebarNeeds = 0;
        QTimer::singleShot(0, &dialog, [&] {
            const auto* preview = dialog.findChild<QLabel*>(QStringLiteral("PicturePreview"));
            auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(preview && name);
            const auto look = [&] { shown << (preview->pixmap().isNull() ? QStringLiteral("empty") : QStringLiteral("picture")); };
            const auto type = [&](const QString& text) {
                name->clear();
                // A whole path goes in as a paste does; Qt's completion would take over typed slashes.
                if (QFileInfo(text).isAbsolute())
                    name->setText(text);
                else
                    QTest::keyClicks(name, text);
                look();
            };
            emit dialog.currentChanged(kCatBmp);
            look();
            type(QStringLiteral("no-such-picture.bmp"));
            type(QFileInfo(kWizardBmp).fileName());
            type(kCorpus + QStringLiteral("/broken/bmp-text-file.bmp"));
            type(kCatJpeg);
            name->clear();
            look();
            QTest::qWait(20); // the dialog settles its layout once shown
            const auto* sidebar = dialog.findChild<QListView*>(QStringLiteral("sidebar"));
            sidebarWidth = sidebar->viewport()->width();
            sidebarNeeds = sidebar->sizeHintForColumn(0);
            dialog.reject();
        });
        QVERIFY(!RunOpenPictureDialog(dialog));
        QCOMPARE(shown, (QStringList{"picture", "empty", "picture", "empty", "picture", "empty"}));
        QVERIFY2(sidebarWidth >= sidebarNeeds, qPrintable(QStringLiteral("%1 < %2").arg(sidebarWidth).arg(sidebarNeeds)));
    }

private:
    void Load(const QString& file)
    {
        answer_ = file;
        QTest::mouseClick(wizard_->sb_OpenFile, Qt::LeftButton);
    }

    // Walks with the buttons to `page`; the picture page needs a picture first.
    void GoTo(int page)
    {
        while (wizard_->ActivePageIndex() < page && wizard_->bn_Next->isEnabled())
            QTest::mouseClick(wizard_->bn_Next, Qt::LeftButton);
        GoBackTo(*wizard_, page);
        QCOMPARE(wizard_->ActivePageIndex(), page);
    }

    static void GoBackTo(NewSchemeWizard& w, int page)
    {
        while (w.ActivePageIndex() > page)
            QTest::mouseClick(w.bn_Prev, Qt::LeftButton);
    }

    void ToSymbolsWith(int colors)
    {
        GoTo(1);
        Load(kCatBmp);
        GoTo(2);
        wizard_->ud_Colors->SetPosition(colors);
        GoTo(3);
    }

    QString MakeBmp(QSize size)
    {
        const QString path = dir_.filePath(QStringLiteral("picture-%1x%2.bmp").arg(size.width()).arg(size.height()));
        WriteBmpFile(path.toStdString(), Bitmap(size.width(), size.height(), MakeColor(90, 140, 200)));
        return path;
    }

    QTemporaryDir dir_;
    Bitmap picture_;
    bool loaded_ = false;
    std::optional<QString> answer_;
    QStringList warnings_;
    std::unique_ptr<NewSchemeWizard> wizard_;
};

QTEST_MAIN(WizardTest)
#include "wizard_test.moc"
