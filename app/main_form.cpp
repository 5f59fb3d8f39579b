#include "main_form.h"

#include "hourglass_cursor.h"
#include "data_module.h"
#include "error_box.h"
#include "prompter.h"
#include "view/paint/qt_bridge.h"
#include "view/symbol_font.h"
#include "view/qt/adv_string_grid.h"
#include "view/qt/scheme_view_handlers.h"
#include "view/qt/window_font.h"
#include "scheme/skeins.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora {

Tfm_Main* fm_Main = nullptr;

namespace {

// Design sizes of the window and its toolbar, in pixels at 96 dots per inch.
constexpr int kDesignWidth = 521;
constexpr int kDesignHeight = 441;
constexpr int kToolBarHeight = 38;
constexpr int kToolButtonWidth = 84;
constexpr int kToolButtonHeight = 36;
constexpr int kToolSeparatorWidth = 8;
constexpr int kStatusBarHeight = 19;
constexpr int kPageBorder = 4;

} // namespace

Tfm_Main::Tfm_Main(QWidget* parent) : QMainWindow(parent)
{
    // Published first: everything created below, the data module included, already reaches it.
    fm_Main = this;
    setObjectName(QStringLiteral("fm_Main"));
    CreateControls();
    FormCreate();
}

Tfm_Main::~Tfm_Main()
{
    // The controls and then the data module go with the QObject children, in the order they were
    // made; the data module saves the settings as it goes.
    fm_Main = nullptr;
}

void Tfm_Main::CreateControls()
{
    setWindowTitle(QStringLiteral("Вельмора"));
    setFont(WindowBaseFont());
    resize(kDesignWidth, kDesignHeight);

    CreateToolBar();

    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    PageControl->addTab(CreatePicturePage(), QStringLiteral("Изображение"));
    PageControl->addTab(CreateGridPage("ts_Image", pn_Image, "pn_Image", asg_Image, "asg_Image"),
                        QStringLiteral("Схема"));
    PageControl->addTab(CreateGridPage("ts_Symbols", pn_Symbols, "pn_Symbols", asg_Symbols, "asg_Symbols"),
                        QStringLiteral("Символы"));
    PageControl->setCurrentWidget(ts_Picture);
    SetUpChartGrid(*asg_Image);
    // The legend reads the symbol font each time it draws a symbol.
    SetUpLegendGrid(*asg_Symbols, [] { return DM != nullptr ? ToGridFont(DM->FontDialog.Font) : DefaultSymbolFont(); });
    setCentralWidget(PageControl);

    // One simple panel: QMainWindow shows the long hint of the control under the mouse or of the
    // highlighted menu item there, and clears it when the mouse leaves.
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->setFixedHeight(kStatusBarHeight);
    statusBar()->setSizeGripEnabled(true);
    lb_FinishedSize = new QLabel(statusBar());
    lb_FinishedSize->setObjectName(QStringLiteral("lb_FinishedSize"));
    statusBar()->addPermanentWidget(lb_FinishedSize);
}

void Tfm_Main::CreateToolBar()
{
    ToolBar = new QToolBar(this);
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setMovable(false);
    ToolBar->setFloatable(false);
    ToolBar->toggleViewAction()->setEnabled(false);
    ToolBar->setIconSize(QSize(16, 16));
    ToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    ToolBar->setFixedHeight(kToolBarHeight);
    ToolBar->layout()->setContentsMargins(0, 0, 0, 0);
    ToolBar->layout()->setSpacing(0);
    addToolBar(Qt::TopToolBarArea, ToolBar);

    auto button = [this](const char* name) {
        auto* b = new QToolButton(ToolBar);
        b->setObjectName(QString::fromUtf8(name));
        b->setAutoRaise(true);
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setFixedSize(kToolButtonWidth, kToolButtonHeight);
        ToolBar->addWidget(b);
        return b;
    };
    auto separator = [this](const char* name) {
        auto* s = new QWidget(ToolBar);
        s->setObjectName(QString::fromUtf8(name));
        s->setFixedSize(kToolSeparatorWidth, kToolButtonHeight);
        ToolBar->addWidget(s);
        return s;
    };
    tb_FileNew = button("tb_FileNew");
    tb_Sep1 = separator("tb_Sep1");
    tb_ServiceExcel = button("tb_ServiceExcel");
    ToolButton5 = separator("ToolButton5");
    tb_HelpAbout = button("tb_HelpAbout");
    tb_FileExit = button("tb_FileExit");
}

QWidget* Tfm_Main::CreatePicturePage()
{
    ts_Picture = new QWidget;
    ts_Picture->setObjectName(QStringLiteral("ts_Picture"));
    auto* layout = new QVBoxLayout(ts_Picture);
    layout->setContentsMargins(kPageBorder, kPageBorder, kPageBorder, kPageBorder);

    sb_Picture = new QScrollArea(ts_Picture);
    sb_Picture->setObjectName(QStringLiteral("sb_Picture"));
    sb_Picture->setFrameShape(QFrame::NoFrame);
    sb_Picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    sb_Picture->setWidgetResizable(false);
    layout->addWidget(sb_Picture);

    im_Picture = new QLabel;
    im_Picture->setObjectName(QStringLiteral("im_Picture"));
    im_Picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    im_Picture->resize(0, 0);
    sb_Picture->setWidget(im_Picture);
    return ts_Picture;
}

QWidget* Tfm_Main::CreateGridPage(const char* name, QFrame*& panel, const char* panelName, TAdvStringGrid*& grid,
                                  const char* gridName)
{
    auto* page = new QWidget;
    page->setObjectName(QString::fromUtf8(name));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(kPageBorder, kPageBorder, kPageBorder, kPageBorder);

    panel = new QFrame(page);
    panel->setObjectName(QString::fromUtf8(panelName));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);
    layout->addWidget(panel);
    auto* inner = new QVBoxLayout(panel);
    inner->setContentsMargins(1, 1, 1, 1);

    grid = new TAdvStringGrid(panel);
    grid->setObjectName(QString::fromUtf8(gridName));
    inner->addWidget(grid);

    if (page->objectName() == QLatin1String("ts_Image"))
        ts_Image = page;
    else
        ts_Symbols = page;
    return page;
}

void Tfm_Main::FormCreate()
{
    new TDM(this);
    BindToolBar();
    // The view and the placement as the settings keep them, also when the rest of the start-up
    // failed.
    connect(asg_Image, &TAdvStringGrid::zoomStepsRequested, DM, &TDM::ZoomBy);
    DM->ApplyView();
    if (!DM->View.windowPlacement.empty())
        restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(DM->View.windowPlacement)));
}

void Tfm_Main::BindToolBar()
{
    tb_FileNew->setDefaultAction(DM->ac_FileNew);
    tb_ServiceExcel->setDefaultAction(DM->ac_ServiceExcel);
    tb_HelpAbout->setDefaultAction(DM->ac_HelpAbout);
    tb_FileExit->setDefaultAction(DM->ac_FileExit);
}

void Tfm_Main::closeEvent(QCloseEvent* event)
{
    bool canClose = false;
    RunGuarded([this, &canClose] { FormCloseQuery(canClose); });
    event->setAccepted(canClose);
    // Size, position and the maximised state, for the next start.
    if (canClose && DM != nullptr)
        DM->View.windowPlacement = saveGeometry().toBase64().toStdString();
}

void Tfm_Main::FormCloseQuery(bool& canClose)
{
    canClose = CurrentPrompter().Confirm(this, QStringLiteral("Выход"),
                                         QStringLiteral("Вы действительно хотите закрыть программу?"));
}

void Tfm_Main::BuildScheme(const SchemeRequest& request)
{
    const HourglassCursor hourglass;
    ShowScheme(DM->Engine.BuildScheme(DM->SourcePicture, request));
}

void Tfm_Main::ShowScheme(SchemeDocument document)
{
    const QImage picture = ToQImage(document.picture);
    im_Picture->setPixmap(QPixmap::fromImage(picture));
    im_Picture->resize(picture.size());
    asg_Image->setCellTable(std::move(document.chart));
    asg_Symbols->setCellTable(std::move(document.legend));
    DM->SchemeReady = true;
    DM->UpdateActions();
    DM->ApplyView();
    // A new scheme is shown from its top-left corner.
    for (TAdvStringGrid* grid : {asg_Image, asg_Symbols}) {
        grid->SetCurrent(GridModel::FixedCols, GridModel::FixedRows);
        grid->horizontalScrollBar()->setValue(0);
        grid->verticalScrollBar()->setValue(0);
    }
    sb_Picture->horizontalScrollBar()->setValue(0);
    sb_Picture->verticalScrollBar()->setValue(0);
}

void Tfm_Main::ShowFinishedSize()
{
    if (DM == nullptr || !DM->SchemeReady) {
        lb_FinishedSize->clear();
        return;
    }
    const int count = DM->View.look.fabricCount;
    const int width = asg_Image->ColCount() - 1;
    const int height = asg_Image->RowCount() - 2;
    const auto number = [](double value) { return QString::number(value, 'f', 1).replace(QLatin1Char('.'), QLatin1Char(',')); };
    const double widthCm = FinishedMillimetres(width, count) / 10, heightCm = FinishedMillimetres(height, count) / 10;
    lb_FinishedSize->setText(QStringLiteral("Ткань %1: %2 × %3 см (%4 × %5 дюйма)   Масштаб %6 %")
                                 .arg(count)
                                 .arg(number(widthCm), number(heightCm), number(widthCm / 2.54), number(heightCm / 2.54))
                                 .arg(DM->View.zoom));
}

} // namespace velmora
