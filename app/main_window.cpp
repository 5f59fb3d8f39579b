#include "main_window.h"

#include "chart_cell_hint.h"
#include "hourglass_cursor.h"
#include "cleanup_dialog.h"
#include "data_module.h"
#include "error_box.h"
#include "prompter.h"
#include "chart_tools.h"
#include "scheme_editor.h"
#include "write_progress.h"
#include "view/paint/qt_bridge.h"
#include "view/symbol_font.h"
#include "view/qt/scheme_grid.h"
#include "view/qt/scheme_view_handlers.h"
#include "view/qt/window_font.h"
#include "scheme/skeins.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora {

MainWindow* fm_Main = nullptr;

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

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    // Published first: everything created below, the data module included, already reaches it.
    fm_Main = this;
    setObjectName(QStringLiteral("fm_Main"));
    CreateControls();
    FormCreate();
}

MainWindow::~MainWindow()
{
    // The controls and then the data module go with the QObject children, in the order they were
    // made; the data module saves the settings as it goes.
    fm_Main = nullptr;
}

void MainWindow::CreateControls()
{
    setWindowTitle(QStringLiteral("Вельмора"));
    setFont(WindowBaseFont());
    resize(kDesignWidth, kDesignHeight);

    CreateToolBars();

    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    PageControl->addTab(CreatePicturePage(), QStringLiteral("Изображение"));
    PageControl->addTab(CreateGridPage("ts_Image", pn_Image, "pn_Image", ChartGrid, "asg_Image"),
                        QStringLiteral("Схема"));
    PageControl->addTab(CreateGridPage("ts_Symbols", pn_Symbols, "pn_Symbols", LegendGrid, "asg_Symbols"),
                        QStringLiteral("Символы"));
    PageControl->setCurrentWidget(ts_Picture);
    connect(PageControl, &QTabWidget::currentChanged, this, [this] {
        if (picturePending_ && PageControl->currentWidget() == ts_Picture)
            ShowPicture();
    });
    SetUpChartGrid(*ChartGrid);
    ChartGrid->OnCellHint = [this](int col, int row) {
        return DM != nullptr && DM->Session->SchemeReady
                   ? ChartCellHint(DM->Session->Scheme, ChartGrid->Font(), col, row)
                   : QString();
    };
    // The legend reads the symbol font each time it draws a symbol.
    SetUpLegendGrid(*LegendGrid, [] { return DM != nullptr ? ToGridFont(DM->FontDialog.Font) : DefaultSymbolFont(); });
    setCentralWidget(PageControl);

    // One simple panel: QMainWindow shows the long hint of the control under the mouse or of the
    // highlighted menu item there, and clears it when the mouse leaves.
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->setFixedHeight(kStatusBarHeight);
    statusBar()->setSizeGripEnabled(true);
    lb_Build = new QLabel(QStringLiteral("Точные цвета"), statusBar());
    lb_Build->setObjectName(QStringLiteral("lb_Build"));
    // Set apart from the finished size as a word of its own.
    lb_Build->setContentsMargins(0, 0, 12, 0);
    lb_Build->setToolTip(QStringLiteral("Нитки схемы подобраны так, как цвета видит глаз"));
    statusBar()->addPermanentWidget(lb_Build);
    lb_Build->hide();
    lb_SingleStitches = new QLabel(statusBar());
    lb_SingleStitches->setObjectName(QStringLiteral("lb_SingleStitches"));
    lb_SingleStitches->setToolTip(
        QStringLiteral("Доля крестиков без соседей своей нитки среди восьми вокруг; их убирает «Очистить схему…»"));
    statusBar()->addPermanentWidget(lb_SingleStitches);
    lb_FinishedSize = new QLabel(statusBar());
    lb_FinishedSize->setObjectName(QStringLiteral("lb_FinishedSize"));
    statusBar()->addPermanentWidget(lb_FinishedSize);
}

QToolBar* MainWindow::CreateToolBar(const char* name)
{
    auto* bar = new QToolBar(this);
    bar->setObjectName(QString::fromUtf8(name));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->toggleViewAction()->setEnabled(false);
    bar->setIconSize(QSize(16, 16));
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->setFixedHeight(kToolBarHeight);
    bar->layout()->setContentsMargins(0, 0, 0, 0);
    bar->layout()->setSpacing(0);
    addToolBar(Qt::TopToolBarArea, bar);
    return bar;
}

QToolButton* MainWindow::AddToolButton(QToolBar& bar, const char* name)
{
    auto* b = new QToolButton(&bar);
    b->setObjectName(QString::fromUtf8(name));
    b->setAutoRaise(true);
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setFixedSize(kToolButtonWidth, kToolButtonHeight);
    bar.addWidget(b);
    return b;
}

QWidget* MainWindow::AddToolSeparator(QToolBar& bar, const char* name)
{
    auto* s = new QWidget(&bar);
    s->setObjectName(QString::fromUtf8(name));
    s->setFixedSize(kToolSeparatorWidth, kToolButtonHeight);
    bar.addWidget(s);
    return s;
}

void MainWindow::CreateToolBars()
{
    ToolBar = CreateToolBar("ToolBar");
    tb_FileNew = AddToolButton(*ToolBar, "tb_FileNew");
    tb_Sep1 = AddToolSeparator(*ToolBar, "tb_Sep1");
    tb_ServiceExcel = AddToolButton(*ToolBar, "tb_ServiceExcel");
    tb_SepHelp = AddToolSeparator(*ToolBar, "ToolButton5");
    tb_HelpAbout = AddToolButton(*ToolBar, "tb_HelpAbout");
    tb_FileExit = AddToolButton(*ToolBar, "tb_FileExit");

    // Four more buttons would not fit beside the six of the design width.
    addToolBarBreak(Qt::TopToolBarArea);
    FileToolBar = CreateToolBar("FileToolBar");
    tb_FileOpen = AddToolButton(*FileToolBar, "tb_FileOpen");
    tb_FileSave = AddToolButton(*FileToolBar, "tb_FileSave");
    tb_Sep2 = AddToolSeparator(*FileToolBar, "tb_Sep2");
    tb_FileSavePdf = AddToolButton(*FileToolBar, "tb_FileSavePdf");
    tb_FileSaveSymbolsPdf = AddToolButton(*FileToolBar, "tb_FileSaveSymbolsPdf");
}

void MainWindow::AddPictureView(QHBoxLayout& layout, const char* scrollName, QScrollArea*& scroll,
                              const char* imageName, QLabel*& image)
{
    scroll = new QScrollArea(ts_Picture);
    scroll->setObjectName(QLatin1String(scrollName));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scroll->setWidgetResizable(false);
    layout.addWidget(scroll);
    image = new QLabel;
    image->setObjectName(QLatin1String(imageName));
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    image->resize(0, 0);
    scroll->setWidget(image);
}

QWidget* MainWindow::CreatePicturePage()
{
    ts_Picture = new QWidget;
    ts_Picture->setObjectName(QStringLiteral("ts_Picture"));
    auto* layout = new QHBoxLayout(ts_Picture);
    layout->setContentsMargins(kPageBorder, kPageBorder, kPageBorder, kPageBorder);

    // The reduced picture, and the picture as loaded, beside it or instead of it on request.
    AddPictureView(*layout, "sb_Picture", sb_Picture, "im_Picture", im_Picture);
    AddPictureView(*layout, "sb_Source", sb_Source, "im_Source", im_Source);
    sb_Source->hide();
    return ts_Picture;
}

QWidget* MainWindow::CreateGridPage(const char* name, QFrame*& panel, const char* panelName, SchemeGrid*& grid,
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

    grid = new SchemeGrid(panel);
    grid->setObjectName(QString::fromUtf8(gridName));
    inner->addWidget(grid);

    if (page->objectName() == QLatin1String("ts_Image"))
        ts_Image = page;
    else
        ts_Symbols = page;
    return page;
}

void MainWindow::FormCreate()
{
    new DataModule(this);
    BindToolBar();
    // The view and the placement as the settings keep them, also when the rest of the start-up
    // failed.
    connect(ChartGrid, &SchemeGrid::zoomStepsRequested, DM, &DataModule::ZoomBy);
    DM->ApplyView();
    if (!DM->View.windowPlacement.empty())
        restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(DM->View.windowPlacement)));
}

void MainWindow::BindToolBar()
{
    tb_FileNew->setDefaultAction(DM->ac_FileNew);
    tb_FileOpen->setDefaultAction(DM->ac_FileOpen);
    tb_FileSave->setDefaultAction(DM->ac_FileSave);
    tb_FileSavePdf->setDefaultAction(DM->ac_FileSavePdf);
    tb_FileSaveSymbolsPdf->setDefaultAction(DM->ac_FileSaveSymbolsPdf);
    tb_ServiceExcel->setDefaultAction(DM->ac_ServiceExcel);
    tb_HelpAbout->setDefaultAction(DM->ac_HelpAbout);
    tb_FileExit->setDefaultAction(DM->ac_FileExit);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The desktop's close box reaches the window while a write keeps it painted; the write's own
    // "Отмена" is the way out of it.
    if (WriteProgress::Busy()) {
        event->ignore();
        return;
    }
    bool canClose = false;
    RunGuarded([this, &canClose] { FormCloseQuery(canClose); });
    event->setAccepted(canClose);
    // Size, position and the maximised state, for the next start.
    if (canClose && DM != nullptr)
        DM->View.windowPlacement = saveGeometry().toBase64().toStdString();
}

void MainWindow::FormCloseQuery(bool& canClose)
{
    // An unsaved scheme asks about saving in place of the exit question.
    if (DM->Session->SchemeModified()) {
        canClose = DM->Session->QuerySaveScheme();
        return;
    }
    canClose = CurrentPrompter().Confirm(this, QStringLiteral("Выход"),
                                         QStringLiteral("Вы действительно хотите закрыть программу?"));
}

void MainWindow::BuildScheme(const SchemeRequest& request)
{
    const HourglassCursor hourglass;
    SchemeDocument document = DM->Engine.BuildScheme(DM->SourcePicture, request);
    // A new scheme is for the cloth last chosen.
    document.fabricCount = DM->View.look.fabricCount;
    ShowScheme(std::move(document));
    DM->Session->SchemeSource = WorkingPicture(DM->SourcePicture, request);
    DM->ShowSourceAsChosen();
}

void MainWindow::ShowScheme(SchemeDocument document)
{
    DM->Session->Scheme = std::move(document);
    // What the scheme was made from is known only where it is built or found.
    DM->Session->SchemeSource = Bitmap();
    DM->ShowSourceAsChosen();
    // The edits of the scheme before cannot be taken back into this one.
    DM->Session->Editor->Forget();
    DM->Session->Tools->Reset();
    RefreshScheme();
    DM->Session->SchemeReady = true;
    ShowBuild();
    DM->UpdateActions();
    // The cloth is the scheme's own; the setting stays the cloth last chosen, for the next new one.
    DM->ApplyView();
    // A new scheme is shown from its top-left corner.
    for (SchemeGrid* grid : {ChartGrid, LegendGrid}) {
        grid->SetCurrent(GridModel::FixedCols, GridModel::FixedRows);
        grid->horizontalScrollBar()->setValue(0);
        grid->verticalScrollBar()->setValue(0);
    }
    sb_Picture->horizontalScrollBar()->setValue(0);
    sb_Picture->verticalScrollBar()->setValue(0);
}

void MainWindow::ShowFinishedSize()
{
    if (DM == nullptr || !DM->Session->SchemeReady) {
        lb_FinishedSize->clear();
        return;
    }
    const int count = DM->ShownLook().fabricCount;
    const int width = ChartGrid->ColCount() - 1;
    const int height = ChartGrid->RowCount() - 2;
    const auto number = [](double value) { return QString::number(value, 'f', 1).replace(QLatin1Char('.'), QLatin1Char(',')); };
    const double widthCm = FinishedMillimetres(width, count) / 10, heightCm = FinishedMillimetres(height, count) / 10;
    lb_FinishedSize->setText(QStringLiteral("Ткань %1: %2 × %3 см (%4 × %5 дюйма)   Масштаб %6 %")
                                 .arg(count)
                                 .arg(number(widthCm), number(heightCm), number(widthCm / 2.54), number(heightCm / 2.54))
                                 .arg(DM->View.zoom));
}

void MainWindow::ShowTitle()
{
    const QString program = QStringLiteral("Вельмора");
    if (DM == nullptr || !DM->Session->SchemeReady) {
        setWindowTitle(program);
        setWindowModified(false);
        return;
    }
    QString name = DM->Session->SchemeFileName.empty() ? QStringLiteral("Новая схема")
                                              : QFileInfo(ToQString(DM->Session->SchemeFileName)).fileName();
    // "[*]" marks where Qt puts the "*"; one in a file's name is doubled to stay text.
    name.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle(name + QStringLiteral("[*] — ") + program);
    setWindowModified(DM->Session->SchemeModified());
}

void MainWindow::ShowBuild()
{
    // Hidden rather than empty: the status bar keeps the look it has for the usual build.
    lb_Build->setVisible(DM != nullptr && DM->Session->SchemeReady && DM->Session->Scheme.request.perceptual);
}

void MainWindow::ShowSource(SourceView view)
{
    if (DM->Session->SchemeSource.empty())
        view = SourceView::Hidden;
    const QImage source = view == SourceView::Hidden ? QImage() : ToQImage(DM->Session->SchemeSource);
    im_Source->setPixmap(QPixmap::fromImage(source));
    im_Source->resize(source.size());
    sb_Source->setVisible(view != SourceView::Hidden);
    sb_Picture->setVisible(view != SourceView::Instead);
}

void MainWindow::ShowPicture()
{
    const QImage picture = ToQImage(DM->Session->Scheme.picture);
    im_Picture->setPixmap(QPixmap::fromImage(picture));
    im_Picture->resize(picture.size());
    picturePending_ = false;
}

void MainWindow::RefreshStitches(const StitchEdit& edit)
{
    const SchemeDocument& scheme = DM->Session->Scheme;
    if (ChartGrid->ColCount() != scheme.chart.columns() || ChartGrid->RowCount() != scheme.chart.rows()) {
        RefreshScheme();
        return;
    }
    // Only the cells that changed: a stroke on a 1000 × 1000 chart must not copy or paint the rest.
    const int width = scheme.chart.columns() - 1;
    QRect changed;
    for (const std::int32_t stitch : edit.stitches) {
        const int col = stitch % width + 1, row = stitch / width + 1;
        ChartGrid->model().SetCell(col, row, scheme.chart.textView(col, row));
        changed |= QRect(col, row, 1, 1);
    }
    if (edit.backstitchesChanged) {
        ChartGrid->model().OverLines = BackstitchOverLines(scheme.backstitches);
        ChartGrid->viewport()->update();
    }
    else if (!changed.isEmpty())
        ChartGrid->viewport()->update(ChartGrid->CellRect(changed.left(), changed.top())
                                          .united(ChartGrid->CellRect(changed.right(), changed.bottom())));
    const bool threadCameIn = LegendGrid->RowCount() != scheme.legend.rows();
    ShowLegend();
    // The chart's look reads the legend's colours: a new thread needs its own.
    if (threadCameIn)
        DM->ApplyView();
    picturePending_ = true;
    if (PageControl->currentWidget() == ts_Picture)
        ShowPicture();
}

void MainWindow::RefreshScheme()
{
    const SchemeDocument& scheme = DM->Session->Scheme;
    ShowPicture();
    // The grids keep copies: their texts are what they draw and print.
    ChartGrid->model().OverLines = BackstitchOverLines(scheme.backstitches);
    ChartGrid->setCellTable(scheme.chart);
    ShowLegend();
    // The chart's cell colours follow the legend's threads.
    DM->ApplyLook();
}

void MainWindow::ShowLegend()
{
    // The legend keeps the row the user was on.
    const int legendRow = LegendGrid->Row();
    LegendGrid->setCellTable(DM->Session->Scheme.legend);
    // The skeins column and the backstitch section as the view shows them.
    ApplyLegendLook(LegendGrid->model(), DM->ShownLook(), DM->Session->Scheme.backstitches);
    LegendGrid->Refresh();
    if (legendRow < LegendGrid->RowCount())
        LegendGrid->SetRow(legendRow);
    lb_SingleStitches->setText(SingleStitchText(SingleStitchShare(DM->Session->Scheme)));
}

} // namespace velmora
