#include "new_scheme_wizard.h"

#include "picture_dialog.h"
#include "symbol_lists.h"
#include "count_spin_box.h"
#include "wizard_texts.h"

#include "scheme/chart_size.h"
#include "picture/picture_error.h"
#include "picture/picture_loader.h"
#include "view/paint/qt_bridge.h"
#include "view/qt/scheme_grid.h"
#include "view/qt/window_font.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStyle>
#include <QToolButton>

#include <filesystem>
#include <new>
#include <utility>

namespace velmora {

namespace {

// Design sizes in pixels at 96 dots per inch.
constexpr int kClientWidth = 404;
constexpr int kClientHeight = 321;
constexpr int kInnerBorder = 4;
constexpr int kPagesHeight = 280;
constexpr int kButtonStripHeight = 41;
constexpr int kButtonWidth = 81;
constexpr int kButtonHeight = 25;
constexpr int kButtonTop = 8;
// A page without tabs sits inside the page control's own border.
constexpr int kSheetInset = 4;
constexpr int kHeadingWidth = 397;
constexpr int kHeadingHeight = 46;
constexpr int kBevelTop = 60;
constexpr int kBevelWidth = 396;
constexpr int kBevelHeight = 4;
constexpr int kTextTop = 68;
constexpr int kTextWidth = 393;
constexpr int kUpDownEditWidth = 41;
constexpr int kUpDownArrowsWidth = 17;
constexpr int kEditHeight = 21;

QString Text(const char* utf8) { return QString::fromUtf8(utf8); }

// Places a control on a page at its design position.
template <typename Widget>
Widget* Place(Widget* widget, int x, int y, int width, int height)
{
    widget->setGeometry(kSheetInset + x, kSheetInset + y, width, height);
    return widget;
}

QLabel* AddLabel(QWidget* page, const char* text, int x, int y, int width, int height, bool wrap = false)
{
    auto* label = new QLabel(Text(text), page);
    label->setWordWrap(wrap);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return Place(label, x, y, width, height);
}

QFont HeadingFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(19);
    font.setBold(true);
    font.setItalic(true);
    return font;
}

// A hint in the "short|long" form: the short part is the tooltip, the long one the status tip.
void SetHint(QWidget* widget, const char* hint)
{
    const QString text = Text(hint);
    widget->setToolTip(text.section(QLatin1Char('|'), 0, 0));
    widget->setStatusTip(text.section(QLatin1Char('|'), 1));
}

// A button that shows an action: its caption and enabled state, and a click runs it.
void BindButton(QPushButton* button, QAction* action)
{
    button->setText(action->text());
    button->setEnabled(action->isEnabled());
    QObject::connect(action, &QAction::changed, button, [button, action] {
        button->setText(action->text());
        button->setEnabled(action->isEnabled());
    });
    QObject::connect(button, &QPushButton::clicked, action, &QAction::trigger);
}

CountSpinBox* AddUpDown(QWidget* page, const char* name, int minimum, int maximum, int position, int x, int y)
{
    auto* upDown = new CountSpinBox(minimum, maximum, position, page);
    upDown->setObjectName(QString::fromLatin1(name));
    return Place(upDown, x, y, kUpDownEditWidth + kUpDownArrowsWidth, kEditHeight);
}

// The reason a picture was refused, in the window's words.
QString FaultText(PictureFault fault)
{
    switch (fault) {
    case PictureFault::NoFile:
        return Text(wizard_texts::kPictureNoFile);
    case PictureFault::NotAFile:
        return Text(wizard_texts::kPictureNotAFile);
    case PictureFault::Unreadable:
        return Text(wizard_texts::kPictureUnreadable);
    case PictureFault::UnknownKind:
        return Text(wizard_texts::kPictureUnknownKind);
    case PictureFault::Unsupported:
        return Text(wizard_texts::kPictureUnsupported);
    case PictureFault::TooLarge:
        return Text(wizard_texts::kPictureTooLarge);
    case PictureFault::Damaged:
        break;
    }
    return Text(wizard_texts::kPictureDamaged);
}

SchemeGrid* AddSymbolList(QWidget* page, const char* name, int x)
{
    auto* grid = new SchemeGrid(page);
    grid->setObjectName(QString::fromLatin1(name));
    // A flat list: one plain line around it.
    grid->setFrameShape(QFrame::Box);
    grid->setFrameShadow(QFrame::Plain);
    DesignSymbolList(grid->model());
    grid->Refresh();
    return Place(grid, x, 84, 117, 165);
}

} // namespace

NewSchemeWizard::NewSchemeWizard(QWidget* owner, WizardServices services) : QDialog(owner), services_(std::move(services))
{
    setObjectName(QStringLiteral("fm_Wizard"));
    ChoosePictureFile = [this]() -> std::optional<QString> {
        if (services_.OpenPictureDialog == nullptr)
            return std::nullopt;
        return RunOpenPictureDialog(*services_.OpenPictureDialog);
    };
    ShowWarning = [this](const QString& caption, const QString& text) {
        QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok, this);
        box.exec();
    };
    CreateControls();
    FormCreate();

    // As the application's commands do, the actions follow the state whenever input has been
    // handled.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(thread()))
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &NewSchemeWizard::UpdateActions);
    UpdateActions();
}

NewSchemeWizard::~NewSchemeWizard() = default;

void NewSchemeWizard::CreateControls()
{
    setWindowTitle(Text(wizard_texts::kCaption));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);
    setFont(WindowBaseFont());
    setFixedSize(kClientWidth + 2 * kInnerBorder, kClientHeight + 2 * kInnerBorder);

    auto* client = new QWidget(this);
    client->setGeometry(kInnerBorder, kInnerBorder, kClientWidth, kClientHeight);

    ac_Prev = new QAction(Text(wizard_texts::kPrev), this);
    ac_Prev->setObjectName(QStringLiteral("ac_Prev"));
    connect(ac_Prev, &QAction::triggered, this, &NewSchemeWizard::ac_PrevExecute);
    ac_Next = new QAction(Text(wizard_texts::kNext), this);
    ac_Next->setObjectName(QStringLiteral("ac_Next"));
    connect(ac_Next, &QAction::triggered, this, &NewSchemeWizard::ac_NextExecute);
    ac_OK = new QAction(Text(wizard_texts::kOK), this);
    ac_OK->setObjectName(QStringLiteral("ac_OK"));
    // Nothing of its own: the button closes the wizard with the result OK.
    connect(ac_OK, &QAction::triggered, this, &QDialog::accept);

    pc_Wizard = new QStackedWidget(client);
    pc_Wizard->setObjectName(QStringLiteral("pc_Wizard"));
    pc_Wizard->setGeometry(0, 0, kClientWidth, kPagesHeight);
    CreateHelloPage();
    CreateSourcePicturePage();
    CreateParamsPage();
    CreateSymbolsPage();
    CreateFinishPage();

    CreateButtons(client);
}

QWidget* NewSchemeWizard::CreatePage(const char* name, const char* heading)
{
    auto* page = new QWidget;
    page->setObjectName(QString::fromLatin1(name));
    auto* title = AddLabel(page, heading, 0, 0, kHeadingWidth, kHeadingHeight);
    title->setFont(HeadingFont());
    auto* bevel = new QFrame(page);
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    Place(bevel, 0, kBevelTop, kBevelWidth, kBevelHeight);
    pc_Wizard->addWidget(page);
    return page;
}

void NewSchemeWizard::CreateHelloPage()
{
    ts_Hello = CreatePage("ts_Hello", wizard_texts::kHelloHeading);
    AddLabel(ts_Hello, wizard_texts::kHelloText, 0, kTextTop, kTextWidth, 200, true);
}

void NewSchemeWizard::CreateSourcePicturePage()
{
    ts_SourcePicture = CreatePage("ts_SourcePicture", wizard_texts::kSourceHeading);
    AddLabel(ts_SourcePicture, wizard_texts::kSourceText, 0, kTextTop, kTextWidth, 130, true);
    AddLabel(ts_SourcePicture, wizard_texts::kFileNameLabel, 0, 208, 200, 14);

    ed_FileName = new QLineEdit(ts_SourcePicture);
    ed_FileName->setObjectName(QStringLiteral("ed_FileName"));
    ed_FileName->setReadOnly(true);
    Place(ed_FileName, 0, 224, 373, kEditHeight);

    sb_OpenFile = new QToolButton(ts_SourcePicture);
    sb_OpenFile->setObjectName(QStringLiteral("sb_OpenFile"));
    sb_OpenFile->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    sb_OpenFile->setAutoRaise(true);
    SetHint(sb_OpenFile, wizard_texts::kOpenFileHint);
    Place(sb_OpenFile, 374, 223, 23, 22);
    connect(sb_OpenFile, &QToolButton::clicked, this, &NewSchemeWizard::sb_OpenFileClick);

    lb_PictureFault = new QLabel(ts_SourcePicture);
    lb_PictureFault->setObjectName(QStringLiteral("lb_PictureFault"));
    QPalette warning = lb_PictureFault->palette();
    warning.setColor(QPalette::WindowText, QColor(0x80, 0, 0));
    lb_PictureFault->setPalette(warning);
    Place(lb_PictureFault, 0, 250, 397, 16);
}

void NewSchemeWizard::CreateParamsPage()
{
    ts_Params = CreatePage("ts_Params", wizard_texts::kParamsHeading);
    QWidget* page = ts_Params;
    AddLabel(page, wizard_texts::kParamsText, 0, kTextTop, kTextWidth, 56, true);
    AddLabel(page, wizard_texts::kSizesLabel, 0, 128, 200, 14);

    AddLabel(page, wizard_texts::kWidthLabel, 8, 151, 82, 14);
    ud_Width = AddUpDown(page, "ud_Width", kMinStitches, kMaxStitches, kDefaultStitches, 92, 148);
    AddLabel(page, wizard_texts::kStitchesUnit, 154, 151, 46, 14);
    AddLabel(page, wizard_texts::kHeightLabel, 204, 151, 82, 14);
    ud_Height = AddUpDown(page, "ud_Height", kMinStitches, kMaxStitches, kDefaultStitches, 288, 148);
    // Typing 1000 beats 549 presses of an arrow.
    ud_Width->AcceptTyping();
    ud_Height->AcceptTyping();
    AddLabel(page, wizard_texts::kStitchesUnit, 350, 151, 46, 14);
    ed_Width = ud_Width->Edit();
    ed_Height = ud_Height->Edit();
    connect(ud_Width, &CountSpinBox::changingEx, this, &NewSchemeWizard::ud_WidthChangingEx);
    connect(ud_Height, &CountSpinBox::changingEx, this, &NewSchemeWizard::ud_HeightChangingEx);

    cb_Proportional = new QCheckBox(Text(wizard_texts::kProportional), page);
    cb_Proportional->setObjectName(QStringLiteral("cb_Proportional"));
    cb_Proportional->setChecked(true);
    Place(cb_Proportional, 8, 176, 240, 17);

    AddLabel(page, wizard_texts::kColorsLabel, 0, 207, 264, 14);
    ud_Colors = AddUpDown(page, "ud_Colors", kMinColors, kMaxColors, kDefaultColors, 268, 204);
    ud_Colors->AcceptTyping();
    ed_Colors = ud_Colors->Edit();
    AddLabel(page, wizard_texts::kThreadsUnit, 330, 207, 48, 14);

    cb_Dithering = new QCheckBox(Text(wizard_texts::kDithering), page);
    cb_Dithering->setObjectName(QStringLiteral("cb_Dithering"));
    Place(cb_Dithering, 0, 236, 240, 17);

    // On the dithering box's row, under the colour count's edit: both boxes shape the colours.
    cb_Perceptual = new QCheckBox(Text(wizard_texts::kPerceptual), page);
    cb_Perceptual->setObjectName(QStringLiteral("cb_Perceptual"));
    SetHint(cb_Perceptual, wizard_texts::kPerceptualHint);
    Place(cb_Perceptual, 268, 236, 129, 17);
}

void NewSchemeWizard::CreateSymbolsPage()
{
    ts_Symbols = CreatePage("ts_Symbols", wizard_texts::kSymbolsHeading);
    QWidget* page = ts_Symbols;
    AddLabel(page, wizard_texts::kAllSymbolsLabel, 0, 68, 117, 14);
    AllSymbolsGrid = AddSymbolList(page, "asg_AllSymbols", 0);
    AddLabel(page, wizard_texts::kSelSymbolsLabel, 276, 68, 117, 14);
    ChosenSymbolsGrid = AddSymbolList(page, "asg_SelSymbols", 276);
    AddLabel(page, wizard_texts::kSymbolsText, 124, 84, 145, 137, true);

    bn_Select = new QPushButton(Text(wizard_texts::kSelect), page);
    bn_Select->setObjectName(QStringLiteral("bn_Select"));
    bn_Select->setAutoDefault(false);
    Place(bn_Select, 124, 224, kButtonWidth, kButtonHeight);
    connect(bn_Select, &QPushButton::clicked, this, &NewSchemeWizard::bn_SelectClick);

    sb_Up = new QToolButton(page);
    sb_Up->setObjectName(QStringLiteral("sb_Up"));
    sb_Up->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    Place(sb_Up, 216, 224, 25, 25);
    connect(sb_Up, &QToolButton::clicked, this, &NewSchemeWizard::sb_UpClick);

    sb_Down = new QToolButton(page);
    sb_Down->setObjectName(QStringLiteral("sb_Down"));
    sb_Down->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    Place(sb_Down, 244, 224, 25, 25);
    connect(sb_Down, &QToolButton::clicked, this, &NewSchemeWizard::sb_DownClick);
}

void NewSchemeWizard::CreateFinishPage()
{
    ts_Finish = CreatePage("ts_Finish", wizard_texts::kFinishHeading);
    AddLabel(ts_Finish, wizard_texts::kFinishText, 0, kTextTop, kTextWidth, 200, true);
}

void NewSchemeWizard::CreateButtons(QWidget* client)
{
    pn_Buttons = new QFrame(client);
    pn_Buttons->setObjectName(QStringLiteral("pn_Buttons"));
    pn_Buttons->setGeometry(0, kPagesHeight, kClientWidth, kButtonStripHeight);

    const auto makeButton = [this](const char* name, int left) {
        auto* button = new QPushButton(pn_Buttons);
        button->setObjectName(QString::fromLatin1(name));
        button->setGeometry(left, kButtonTop, kButtonWidth, kButtonHeight);
        return button;
    };
    bb_Cancel = makeButton("bb_Cancel", 52);
    bb_Cancel->setText(Text(wizard_texts::kCancel));
    connect(bb_Cancel, &QPushButton::clicked, this, &QDialog::reject);
    bn_Prev = makeButton("bn_Prev", 140);
    BindButton(bn_Prev, ac_Prev);
    bn_Next = makeButton("bn_Next", 228);
    BindButton(bn_Next, ac_Next);
    bb_OK = makeButton("bb_OK", 320);
    BindButton(bb_OK, ac_OK);
    // Enter presses OK, and only while OK is enabled.
    bb_OK->setDefault(true);
    for (QPushButton* button : {bb_Cancel, bn_Prev, bn_Next})
        button->setAutoDefault(false);
}

void NewSchemeWizard::FormCreate()
{
    SymbolsPending = true;
    ShowPage(piHello);
    FillAllSymbols(AllSymbolsGrid->model());
    ApplySymbolFont(AllSymbolsGrid->model(), services_.SymbolFont);
    ApplySymbolFont(ChosenSymbolsGrid->model(), services_.SymbolFont);
    AllSymbolsGrid->Refresh();
    ChosenSymbolsGrid->Refresh();
}

int NewSchemeWizard::ActivePageIndex() const { return pc_Wizard->currentIndex(); }

void NewSchemeWizard::ShowPage(int index) { pc_Wizard->setCurrentIndex(index); }

void NewSchemeWizard::UpdateActions()
{
    const int page = ActivePageIndex();
    ac_Prev->setEnabled(page > piHello);
    ac_Next->setEnabled(page < piFinish && (page != piSourcePicture || services_.PictureLoaded));
    ac_OK->setEnabled(page == piFinish);
}

void NewSchemeWizard::ac_PrevExecute()
{
    if (ActivePageIndex() > piHello)
        ShowPage(ActivePageIndex() - 1);
    UpdateActions();
}

void NewSchemeWizard::ac_NextExecute()
{
    if (ActivePageIndex() < piFinish)
        ShowPage(ActivePageIndex() + 1);
    if (ActivePageIndex() == piSymbols)
        EnterSymbolsPage();
    UpdateActions();
}

void NewSchemeWizard::EnterSymbolsPage()
{
    GridModel& chosen = ChosenSymbolsGrid->model();
    if (SymbolsPending) {
        SymbolsPending = false;
        FillDefaultSymbols(chosen, ud_Colors->Position());
    } else {
        // The colour count may have changed since the list was filled.
        FollowColorCount(chosen, ud_Colors->Position());
    }
    ChosenSymbolsGrid->Refresh();
}

void NewSchemeWizard::sb_OpenFileClick()
{
    const std::optional<QString> file = ChoosePictureFile ? ChoosePictureFile() : std::nullopt;
    if (!file)
        return;
    try {
        Bitmap picture = LoadPicture(ToPath(*file));
        services_.SourcePicture = std::move(picture);
        {
            // The picture's own size, each side held to its range; the proportions wait for the
            // user's next change.
            const QSignalBlocker detachWidth(ud_Width);
            const QSignalBlocker detachHeight(ud_Height);
            const Bitmap& loaded = services_.SourcePicture;
            const ChartSize size = ChooseChartSize(loaded.width(), loaded.height(), std::nullopt, std::nullopt);
            ud_Width->SetPosition(size.width);
            ud_Height->SetPosition(size.height);
        }
        services_.PictureLoaded = true;
        ed_FileName->setText(*file);
        lb_PictureFault->clear();
    } catch (const PictureError& e) {
        RefusePicture(FaultText(e.fault()));
    } catch (const std::bad_alloc&) {
        RefusePicture(Text(wizard_texts::kPictureNoMemory));
    }
    UpdateActions();
}

void NewSchemeWizard::RefusePicture(const QString& reason)
{
    // No message box: the page says why on its own line, and the user picks another file. A
    // picture loaded before stays, with its name; before the first, there is none to go on with.
    if (!services_.PictureLoaded)
        ed_FileName->clear();
    lb_PictureFault->setText(reason);
}

void NewSchemeWizard::ud_WidthChangingEx(int newValue)
{
    const QSignalBlocker detach(ud_Height);
    const Bitmap& picture = services_.SourcePicture;
    if (cb_Proportional->isChecked() && picture.width() > 0)
        ud_Height->SetPosition(ChooseChartSize(picture.width(), picture.height(), newValue, std::nullopt).height);
}

void NewSchemeWizard::ud_HeightChangingEx(int newValue)
{
    const QSignalBlocker detach(ud_Width);
    const Bitmap& picture = services_.SourcePicture;
    if (cb_Proportional->isChecked() && picture.height() > 0)
        ud_Width->SetPosition(ChooseChartSize(picture.width(), picture.height(), std::nullopt, newValue).width);
}

void NewSchemeWizard::bn_SelectClick()
{
    if (!SelectSymbol(AllSymbolsGrid->model(), ChosenSymbolsGrid->model())) {
        ShowWarning(Text(wizard_texts::kDuplicateCaption), Text(wizard_texts::kDuplicateText));
        return;
    }
    ChosenSymbolsGrid->Refresh();
}

void NewSchemeWizard::sb_UpClick()
{
    MoveSymbolUp(ChosenSymbolsGrid->model());
    ChosenSymbolsGrid->Refresh();
    ChosenSymbolsGrid->ScrollInView(ChosenSymbolsGrid->Col(), ChosenSymbolsGrid->Row());
}

void NewSchemeWizard::sb_DownClick()
{
    MoveSymbolDown(ChosenSymbolsGrid->model());
    ChosenSymbolsGrid->Refresh();
    ChosenSymbolsGrid->ScrollInView(ChosenSymbolsGrid->Col(), ChosenSymbolsGrid->Row());
}

SchemeRequest NewSchemeWizard::Request() const
{
    const int colorCount = ud_Colors->Position();
    return MakeSchemeRequest(services_.SourcePicture,
                             {ud_Width->Position(), ud_Height->Position(), colorCount,
                              ChosenSymbols(ChosenSymbolsGrid->model(), colorCount), cb_Dithering->isChecked(),
                              cb_Perceptual->isChecked()});
}

} // namespace velmora
