#include "data_module.h"

#include "about_dialog.h"
#include "chart_tools.h"
#include "thread_catalogue_dialog.h"
#include "error_box.h"
#include "fabric_dialog.h"
#include "excel_command.h"
#include "main_window.h"
#include "new_scheme_command.h"
#include "scheme_editor.h"
#include "scheme_session.h"
#include "picture/picture_error.h"
#include "picture/picture_loader.h"
#include "scheme/scheme_file.h"
#include "view/paint/qt_bridge.h"
#include "view/qt/scheme_grid.h"
#include "view/qt/grid_printer.h"
#include "wizard/picture_dialog.h"
#include "view/qt/scheme_view_handlers.h"

#include <QAbstractEventDispatcher>
#include <QDir>
#include <QFileDialog>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QUndoStack>

#include <algorithm>
#include <iterator>

namespace velmora {

DataModule* DM = nullptr;

namespace {

QString ShownPath(const std::filesystem::path& file) { return QDir::toNativeSeparators(ToQString(file)); }

} // namespace

DataModule::DataModule(MainWindow* owner) : QObject(owner)
{
    // Published first: what the module builds below already reaches it.
    DM = this;
    setObjectName(QStringLiteral("DM"));
    CreateImages();
    Session = new SchemeSession(*owner, SchemeFiles, this);
    connect(Session, &SchemeSession::recentFilesChanged, this, &DataModule::FillRecentMenu);
    connect(Session, &SchemeSession::sourceChanged, this, &DataModule::ShowSourceAsChosen);
    connect(Session, &SchemeSession::reshaped, this, &DataModule::ApplyView);
    CreateActions();
    CreateMainMenu(*owner);
    CreateOpenPictureDialog(*owner);
    Session->Editor->AttachLegend(*owner->LegendGrid, *ac_EditReplaceThread, [this] { UpdateActions(); });

    // The commands' enabled states follow the state of the run whenever the application has
    // handled its input and is about to wait for more.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(thread()))
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &DataModule::UpdateActions);

    RunGuarded([this] { DataModuleCreate(); });
    UpdateActions();
}

DataModule::~DataModule()
{
    RunGuarded([this] { DataModuleDestroy(); });
    DM = nullptr;
}

void DataModule::CreateImages()
{
    ImageList[imgNew] = QIcon(QStringLiteral(":/images/file_new.png"));
    ImageList[imgOptions] = QIcon(QStringLiteral(":/images/service_options.png"));
    ImageList[imgPrint] = QIcon(QStringLiteral(":/images/file_print.png"));
    ImageList[imgAbout] = QIcon(QStringLiteral(":/images/help_about.png"));
    ImageList[imgExit] = QIcon(QStringLiteral(":/images/file_exit.png"));
    ImageList[imgExcel] = QIcon(QStringLiteral(":/images/service_excel.png"));
    ImageList[imgDMC] = QIcon(QStringLiteral(":/images/service_dmc.png"));
    ImageList[imgOpen] = QIcon(QStringLiteral(":/images/file_open.png"));
    ImageList[imgSave] = QIcon(QStringLiteral(":/images/file_save.png"));
    ImageList[imgSavePdf] = QIcon(QStringLiteral(":/images/file_save_pdf.png"));
    ImageList[imgSaveSymbolsPdf] = QIcon(QStringLiteral(":/images/file_save_symbols_pdf.png"));
}

HintedAction* DataModule::MakeAction(const char* name, const char* caption, const char* hint, int image,
                                     Handler execute)
{
    return MakeAction(name, caption, hint, image, [this, execute] { (this->*execute)(); });
}

HintedAction* DataModule::MakeAction(const char* name, const char* caption, const char* hint, int image,
                                     SessionCommand execute)
{
    // The session is made before the actions and outlives them.
    SchemeSession* session = Session;
    return MakeAction(name, caption, hint, image, [session, execute] { (session->*execute)(); });
}

HintedAction* DataModule::MakeAction(const char* name, const char* caption, const char* hint, int image,
                                     std::function<void()> execute)
{
    auto* action = new HintedAction(QString::fromUtf8(caption), this);
    action->setObjectName(QString::fromUtf8(name));
    action->SetHint(QString::fromUtf8(hint));
    if (image >= 0)
        action->setIcon(ImageList[static_cast<std::size_t>(image)]);
    // The captions carry no accelerators; an ampersand would be text.
    action->setIconText(action->text());
    connect(action, &QAction::triggered, this,
            [this, action, execute = std::move(execute)] { RunCommand(*action, execute); });
    return action;
}

void DataModule::CreateActions()
{
    ac_FileNew = MakeAction("ac_FileNew", "Новая схема",
                            "Новая схема|Открыть мастер быстрого создания схемы вышивки крестиком", imgNew,
                            &DataModule::ac_FileNewExecute);
    ac_FileNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));

    ac_FilePrint = MakeAction("ac_FilePrint", "Печать схемы",
                              "Печать схемы|Печать схемы для вышивания крестиком", imgPrint,
                              &DataModule::ac_FilePrintExecute);
    ac_FilePrint->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));

    ac_FilePrintSymbols = MakeAction("ac_FilePrintSymbols", "Печать символов",
                                     "Печать символов|Печать таблицы расшифровки используемых символов", -1,
                                     &DataModule::ac_FilePrintSymbolsExecute);

    ac_FileExit = MakeAction("ac_FileExit", "Выход", "Выход|Завершение работы с программой", imgExit,
                             &DataModule::ac_FileExitExecute);
    ac_FileExit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_X));

    ac_ServiceExcel = MakeAction("ac_ServiceExcel", "В Excel ->",
                                 "Сохранить в Excel|Передать полученную схему в Microsoft Excel", imgExcel,
                                 &DataModule::ac_ServiceExcelExecute);

    ac_ServiceDMC = MakeAction("ac_ServiceDMC", "Таблица DMC",
                               "Таблица DMC|Открыть таблицу цветов ниток набора DMC", imgDMC,
                               &DataModule::ac_ServiceDMCExecute);

    ac_ServiceOptions =
        MakeAction("ac_ServiceOptions", "Шрифт символов...",
                   "Шрифт символов|Выбор и настройка шрифта символов, которые используются в схеме", imgOptions,
                   &DataModule::ac_ServiceOptionsExecute);

    ac_HelpAbout = MakeAction("ac_HelpAbout", "О программе...",
                              "О программе|Вывод информации про программу и автора", imgAbout,
                              &DataModule::ac_HelpAboutExecute);

    ac_EditUndo = MakeAction("ac_EditUndo", "Отменить", "Отменить|Отменить последнее изменение схемы", -1,
                             &SchemeSession::Undo);
    ac_EditUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));

    ac_EditRedo = MakeAction("ac_EditRedo", "Повторить", "Повторить|Повторить отменённое изменение схемы",
                             -1, &SchemeSession::Redo);
    ac_EditRedo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});

    ac_EditReplaceThread = MakeAction(
        "ac_EditReplaceThread", "Заменить нитку…",
        "Заменить нитку|Заменить нитку выбранной строки расшифровки другой ниткой каталога или объединить её с ниткой схемы",
        -1, &SchemeSession::ReplaceThread);

    ac_EditCleanUp = MakeAction(
        "ac_EditCleanUp", "Очистить схему…",
        "Очистить схему|Убрать из схемы неиспользуемые нитки, нитки с малым числом крестиков и одиночные крестики",
        -1, &SchemeSession::CleanUp);

    ac_EditSourceBeside = MakeAction(
        "ac_EditSourceBeside", "Исходное изображение рядом",
        "Исходное изображение рядом|Показать рядом с изображением по схеме исходное изображение в размере схемы", -1,
        &DataModule::ac_EditSourceBesideExecute);
    ac_EditSourceBeside->setCheckable(true);
    ac_EditSourceInstead = MakeAction(
        "ac_EditSourceInstead", "Исходное изображение вместо",
        "Исходное изображение вместо|Показать вместо изображения по схеме исходное изображение в размере схемы", -1,
        &DataModule::ac_EditSourceInsteadExecute);
    ac_EditSourceInstead->setCheckable(true);
    ac_EditDrawTools = MakeAction(
        "ac_EditDrawTools", "Рисование на схеме",
        "Рисование на схеме|Показать над схемой инструменты: карандаш, заливку, пипетку, выделение и бэкстич", -1,
        &DataModule::ac_EditDrawToolsExecute);
    ac_EditDrawTools->setCheckable(true);
    // The toolbar's buttons are narrow: they carry the short part of the hint.
    ac_FileOpen = MakeAction("ac_FileOpen", "Открыть схему…",
                             "Открыть схему|Открыть схему вышивки, сохранённую в файле", imgOpen,
                             &SchemeSession::Open);
    ac_FileOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    ac_FileOpen->setIconText(QStringLiteral("Открыть"));

    ac_FileSave = MakeAction("ac_FileSave", "Сохранить схему…",
                             "Сохранить схему|Сохранить схему вышивки в файл, чтобы открыть её позже", imgSave,
                             &SchemeSession::Save);
    ac_FileSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    ac_FileSave->setIconText(QStringLiteral("Сохранить"));

    ac_FileSaveAs = MakeAction("ac_FileSaveAs", "Сохранить схему как…",
                               "Сохранить как|Сохранить схему в новый файл", imgSave,
                               &SchemeSession::SaveAs);
    ac_FileSaveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));

    ac_FileSavePdf = MakeAction("ac_FileSavePdf", "Сохранить схему в PDF…",
                                "Схема в PDF|Сохранить страницы печати схемы в файл PDF", imgSavePdf,
                                &SchemeSession::SavePdf);
    ac_FileSavePdf->setIconText(QStringLiteral("Схема в PDF"));

    ac_FileSaveSymbolsPdf =
        MakeAction("ac_FileSaveSymbolsPdf", "Сохранить символы в PDF…",
                   "Символы в PDF|Сохранить страницы печати таблицы символов в файл PDF", imgSaveSymbolsPdf,
                   &SchemeSession::SaveSymbolsPdf);
    ac_FileSaveSymbolsPdf->setIconText(QStringLiteral("Символы в PDF"));

    CreateViewActions();
}

void DataModule::CreateViewActions()
{
    ac_ViewTenLines = MakeAction(
        "ac_ViewTenLines", "Линии через 10 стежков",
        "Линии через 10 стежков|Выделять более толстой линией каждый десятый стежок на экране и при печати", -1,
        &DataModule::ac_ViewTenLinesExecute);
    ac_ViewColorCells = MakeAction("ac_ViewColorCells", "Цветные клетки",
                                   "Цветные клетки|Закрашивать клетки схемы цветом нитки на экране и при печати",
                                   -1, &DataModule::ac_ViewColorCellsExecute);
    ac_ViewSkeins = MakeAction(
        "ac_ViewSkeins", "Расход ниток",
        "Расход ниток|Показывать в таблице символов, сколько мотков каждой нитки понадобится на выбранной ткани", -1,
        &DataModule::ac_ViewSkeinsExecute);
    for (HintedAction* action : {ac_ViewTenLines, ac_ViewColorCells, ac_ViewSkeins})
        action->setCheckable(true);
    ac_ViewFabric = MakeAction("ac_ViewFabric", "Ткань…",
                               "Ткань|Выбор ткани: сколько крестиков на дюйм, для размера вышивки и расхода ниток",
                               -1, &DataModule::ac_ViewFabricExecute);
    ac_ViewZoomIn = MakeAction("ac_ViewZoomIn", "Крупнее", "Крупнее|Увеличить клетки и символы схемы", -1,
                               &DataModule::ac_ViewZoomInExecute);
    ac_ViewZoomIn->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus)});
    ac_ViewZoomOut = MakeAction("ac_ViewZoomOut", "Мельче", "Мельче|Уменьшить клетки и символы схемы", -1,
                                &DataModule::ac_ViewZoomOutExecute);
    ac_ViewZoomOut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
}

void DataModule::CreateMainMenu(MainWindow& owner)
{
    MainMenu = new QMenuBar(&owner);
    MainMenu->setObjectName(QStringLiteral("MainMenu"));

    mi_File = MainMenu->addMenu(QStringLiteral("Файл"));
    mi_File->setObjectName(QStringLiteral("mi_File"));
    mi_File->addAction(ac_FileNew);
    mi_File->addAction(ac_FileOpen);
    mi_FileRecent = mi_File->addMenu(QStringLiteral("Последние схемы"));
    mi_FileRecent->setObjectName(QStringLiteral("mi_FileRecent"));
    mi_FileRecent->menuAction()->setObjectName(QStringLiteral("mi_FileRecent"));
    mi_File->addAction(ac_FileSave);
    mi_File->addAction(ac_FileSaveAs);
    FilePrintSeparator = mi_File->addSeparator();
    FilePrintSeparator->setObjectName(QStringLiteral("N3"));
    mi_File->addAction(ac_FilePrint);
    mi_File->addAction(ac_FilePrintSymbols);
    mi_File->addAction(ac_FileSavePdf);
    mi_File->addAction(ac_FileSaveSymbolsPdf);
    FileExitSeparator = mi_File->addSeparator();
    FileExitSeparator->setObjectName(QStringLiteral("N1"));
    mi_File->addAction(ac_FileExit);

    mi_Edit = MainMenu->addMenu(QStringLiteral("Правка"));
    mi_Edit->setObjectName(QStringLiteral("mi_Edit"));
    mi_Edit->addAction(ac_EditUndo);
    mi_Edit->addAction(ac_EditRedo);
    EditUndoSeparator = mi_Edit->addSeparator();
    EditUndoSeparator->setObjectName(QStringLiteral("N4"));
    mi_Edit->addAction(ac_EditReplaceThread);
    mi_Edit->addAction(ac_EditCleanUp);
    mi_Edit->addAction(ac_EditDrawTools);
    EditSourceSeparator = mi_Edit->addSeparator();
    EditSourceSeparator->setObjectName(QStringLiteral("N5"));
    mi_Edit->addAction(ac_EditSourceBeside);
    mi_Edit->addAction(ac_EditSourceInstead);

    pm_Picture = new QMenu(owner.ts_Picture);
    pm_Picture->setObjectName(QStringLiteral("pm_Picture"));
    pm_Picture->addAction(ac_EditSourceBeside);
    pm_Picture->addAction(ac_EditSourceInstead);
    connect(pm_Picture, &QMenu::aboutToShow, this, &DataModule::UpdateActions);
    owner.ts_Picture->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(owner.ts_Picture, &QWidget::customContextMenuRequested, this,
            [this, &owner](const QPoint& pos) { pm_Picture->popup(owner.ts_Picture->mapToGlobal(pos)); });

    mi_Service = MainMenu->addMenu(QStringLiteral("Сервис"));
    mi_Service->setObjectName(QStringLiteral("mi_Service"));
    mi_Service->addAction(ac_ServiceExcel);
    mi_Service->addAction(ac_ServiceDMC);
    ServiceOptionsSeparator = mi_Service->addSeparator();
    ServiceOptionsSeparator->setObjectName(QStringLiteral("N2"));
    mi_Service->addAction(ac_ServiceOptions);

    mi_View = MainMenu->addMenu(QStringLiteral("Вид"));
    mi_View->setObjectName(QStringLiteral("mi_View"));
    mi_View->addAction(ac_ViewTenLines);
    mi_View->addAction(ac_ViewColorCells);
    mi_View->addAction(ac_ViewSkeins);
    mi_View->addSeparator()->setObjectName(QStringLiteral("N6"));
    mi_View->addAction(ac_ViewFabric);
    mi_View->addSeparator()->setObjectName(QStringLiteral("N7"));
    mi_View->addAction(ac_ViewZoomIn);
    mi_View->addAction(ac_ViewZoomOut);

    mi_Help = MainMenu->addMenu(QStringLiteral("?"));
    mi_Help->setObjectName(QStringLiteral("mi_Help"));
    mi_Help->addAction(ac_HelpAbout);

    for (QMenu* menu : {mi_File, mi_Edit, mi_Service, mi_View, mi_Help})
        connect(menu, &QMenu::aboutToShow, this, &DataModule::UpdateActions);

    owner.setMenuBar(MainMenu);
}

void DataModule::CreateOpenPictureDialog(MainWindow& owner)
{
    OpenPictureDialog = new QFileDialog(&owner);
    OpenPictureDialog->setObjectName(QStringLiteral("OpenPictureDialog"));
    // Qt's own dialog, so that the wizard can add a preview of the selected picture.
    OpenPictureDialog->setOption(QFileDialog::DontUseNativeDialog, true);
    OpenPictureDialog->setAcceptMode(QFileDialog::AcceptOpen);
    // A typed name need not exist.
    OpenPictureDialog->setFileMode(QFileDialog::AnyFile);
    OpenPictureDialog->setNameFilters(PictureNameFilters());
    OpenPictureDialog->setDefaultSuffix(QStringLiteral("bmp"));
    OpenPictureDialog->setSizeGripEnabled(true);
}

void DataModule::DataModuleCreate()
{
    PictureLoaded = false;
    Session->SchemeReady = false;
    Dithering = false;
    DMCUsed.fill(0);
    SourcePicture = Bitmap();
    SettingsKey = "Software\\Mirvane\\Velmora2";
    SettingsSection = "Options";
    LoadSettings();
    Dithering = StoredValueToBoolean(StoredDithering);
    CopySymbolFontToChart();
}

void DataModule::DataModuleDestroy()
{
    StoredDithering = Dithering ? "True" : "False";
    SaveSettings();
}

void DataModule::LoadSettings()
{
    Settings.Key = SettingsKey;
    Settings.Section = SettingsSection;
    Settings.MoreValues = MoreStoredValues();
    Settings.Load(FontDialog.Font, StoredDithering);
    View = ViewSettingsFromStored(Settings.MoreValues);
    Wizard = WizardSettingsFromStored(Settings.MoreValues);
    SchemeFiles = SchemeFileSettingsFromStored(Settings.MoreValues);
    FillRecentMenu();
}

void DataModule::SaveSettings()
{
    Settings.MoreValues = MoreStoredValues();
    Settings.Save(FontDialog.Font, StoredDithering);
}

std::vector<StoredValue> DataModule::MoreStoredValues() const
{
    std::vector<StoredValue> values = StoredViewValues(View);
    std::ranges::move(StoredWizardValues(Wizard), std::back_inserter(values));
    std::ranges::move(StoredSchemeFileValues(SchemeFiles), std::back_inserter(values));
    return values;
}

void DataModule::FillRecentMenu()
{
    // An item may be the one being chosen right now: it goes once its signal is done.
    for (QAction* old : mi_FileRecent->actions()) {
        mi_FileRecent->removeAction(old);
        old->deleteLater();
    }
    int place = 0;
    for (const std::string& stored : SchemeFiles.recent) {
        const QString file = Cp1251ToQString(stored);
        auto* item = new HintedAction(QDir::toNativeSeparators(file), mi_FileRecent);
        item->setObjectName(QStringLiteral("mi_FileRecent%1").arg(++place));
        item->SetHint(QStringLiteral("Открыть схему|Открыть схему из файла ") + QDir::toNativeSeparators(file));
        connect(item, &QAction::triggered, this,
                [this, file] { RunGuarded([this, &file] { Session->OpenRecentScheme(file); }); });
        mi_FileRecent->addAction(item);
    }
    mi_FileRecent->setEnabled(!SchemeFiles.recent.empty());
}

void DataModule::UpdateActions()
{
    for (QAction* action :
         {static_cast<QAction*>(ac_FilePrint), static_cast<QAction*>(ac_FilePrintSymbols),
          static_cast<QAction*>(ac_ServiceExcel), static_cast<QAction*>(ac_FileSave),
          static_cast<QAction*>(ac_FileSaveAs),
          static_cast<QAction*>(ac_FileSavePdf), static_cast<QAction*>(ac_FileSaveSymbolsPdf)})
        ac_FilePrintUpdate(*action);
    ac_EditUpdate();
    fm_Main->ShowTitle();
}

void DataModule::ac_EditUpdate()
{
    const SchemeSession& session = *Session;
    const bool ready = session.SchemeReady;
    ac_EditUndo->setEnabled(ready && session.Editor->UndoStack->canUndo() && !session.Tools->Drawing());
    ac_EditRedo->setEnabled(ready && session.Editor->UndoStack->canRedo() && !session.Tools->Drawing());
    ac_EditReplaceThread->setEnabled(ready && session.Editor->ThreadOfLegendRow(session.LegendRowToReplace()) >= 0);
    ac_EditCleanUp->setEnabled(ready);
    ac_EditSourceBeside->setEnabled(ready && !session.SchemeSource.empty());
    ac_EditSourceInstead->setEnabled(ready && !session.SchemeSource.empty());
    session.Tools->UpdateActions(ready);
}

void DataModule::ac_EditDrawToolsExecute()
{
    Session->Tools->SetShown(ac_EditDrawTools->isChecked());
    if (ac_EditDrawTools->isChecked())
        fm_Main->PageControl->setCurrentWidget(fm_Main->ts_Image);
    Session->Tools->UpdateActions(Session->SchemeReady);
}

void DataModule::ac_EditSourceBesideExecute()
{
    if (ac_EditSourceBeside->isChecked())
        ac_EditSourceInstead->setChecked(false);
    ShowSourceAsChosen();
}

void DataModule::ac_EditSourceInsteadExecute()
{
    if (ac_EditSourceInstead->isChecked())
        ac_EditSourceBeside->setChecked(false);
    ShowSourceAsChosen();
}

void DataModule::ShowSourceAsChosen()
{
    using Source = MainWindow::SourceView;
    fm_Main->ShowSource(ac_EditSourceBeside->isChecked()    ? Source::Beside
                        : ac_EditSourceInstead->isChecked() ? Source::Instead
                                                            : Source::Hidden);
}

void DataModule::ac_FilePrintUpdate(QAction& sender)
{
    sender.setEnabled(Session->SchemeReady);
}

void DataModule::RunCommand(QAction& action, const std::function<void()>& execute)
{
    // A command whose state changed since the last update must not run on a stale enabled flag.
    UpdateActions();
    if (!action.isEnabled())
        return;
    RunGuarded(execute);
}

void DataModule::CopySymbolFontToChart()
{
    velmora::CopySymbolFontToChart(*fm_Main->ChartGrid, ToGridFont(FontDialog.Font));
    // The legend reads the symbol font as it paints; show it in the new font at once.
    fm_Main->LegendGrid->viewport()->update();
}

void DataModule::ac_FileNewExecute()
{
    if (!Session->QuerySaveScheme())
        return;
    RunNewSchemeCommand(*this, *fm_Main);
}

void DataModule::ac_FilePrintExecute()
{
    velmora::PrintGrid(fm_Main->ChartGrid->model());
}

void DataModule::ac_FilePrintSymbolsExecute()
{
    velmora::PrintGrid(fm_Main->LegendGrid->model());
}

void DataModule::ac_FileExitExecute()
{
    // Exactly as the close box: the window asks before it closes.
    fm_Main->close();
}

void DataModule::ac_ServiceExcelExecute()
{
    RunExcelCommand(*fm_Main);
}

void DataModule::ac_ServiceDMCExecute()
{
    // The command owns the window for one showing; as a window it sits over the main window.
    ThreadCatalogueDialog fm_DMC(fm_Main);
    fm_DMC.FillCatalogue();
    fm_DMC.exec();
}

void DataModule::ac_ServiceOptionsExecute()
{
    FontDialog.Execute(fm_Main);
    // Also after Cancel: the dialog's font is then the one it had, so the chart keeps its look.
    CopySymbolFontToChart();
}

void DataModule::ac_ViewTenLinesExecute()
{
    View.look.tenLines = ac_ViewTenLines->isChecked();
    ApplyView();
}

void DataModule::ac_ViewColorCellsExecute()
{
    View.look.colorCells = ac_ViewColorCells->isChecked();
    ApplyView();
}

void DataModule::ac_ViewSkeinsExecute()
{
    View.look.skeins = ac_ViewSkeins->isChecked();
    ApplyView();
}

void DataModule::ac_ViewFabricExecute()
{
    FabricDialog fm_Fabric(ShownLook().fabricCount, fm_Main);
    if (fm_Fabric.exec() != QDialog::Accepted)
        return;
    // The choice is the setting that new schemes take, and the cloth of the scheme shown.
    View.look.fabricCount = fm_Fabric.Count();
    // The cloth belongs to the scheme shown, which keeps it in its file.
    if (Session->SchemeReady && Session->Scheme.fabricCount != View.look.fabricCount) {
        Session->Scheme.fabricCount = View.look.fabricCount;
        Session->MarkSchemeModified();
    }
    ApplyView();
}

void DataModule::ac_ViewZoomInExecute() { ZoomBy(1); }

void DataModule::ac_ViewZoomOutExecute() { ZoomBy(-1); }

void DataModule::ZoomBy(int steps)
{
    for (; steps > 0; --steps)
        View.zoom = ZoomIn(View.zoom);
    for (; steps < 0; ++steps)
        View.zoom = ZoomOut(View.zoom);
    fm_Main->ChartGrid->SetZoom(View.zoom);
    fm_Main->ShowFinishedSize();
}

ChartLook DataModule::ShownLook() const
{
    ChartLook look = View.look;
    if (Session->SchemeReady)
        look.fabricCount = Session->Scheme.fabricCount;
    return look;
}

void DataModule::ApplyView()
{
    ac_ViewTenLines->setChecked(View.look.tenLines);
    ac_ViewColorCells->setChecked(View.look.colorCells);
    ac_ViewSkeins->setChecked(View.look.skeins);
    ApplyLook();
    fm_Main->ChartGrid->SetZoom(View.zoom);
    fm_Main->ShowFinishedSize();
}

void DataModule::ApplyLook()
{
    const ChartLook look = ShownLook();
    // The legend first: the chart's colours are read from its rows.
    ApplyLegendLook(fm_Main->LegendGrid->model(), look, Session->Scheme.backstitches);
    fm_Main->LegendGrid->Refresh();
    velmora::ApplyChartLook(*fm_Main->ChartGrid, look, fm_Main->LegendGrid->cellTable());
}

void DataModule::ac_HelpAboutExecute()
{
    AboutDialog fm_About(fm_Main);
    fm_About.exec();
}

void DataModule::OpenFromCommandLine(const QString& file)
{
    const std::filesystem::path path = ToPath(file);
    if (IsSchemeFile(path)) {
        Session->OpenScheme(path);
        return;
    }
    // The wizard takes a picture it cannot read without a word; from the desktop, the user hears
    // why nothing opened.
    try {
        LoadPicture(path);
    } catch (const PictureError&) {
        throw std::runtime_error(("Не удалось открыть файл\n" + ShownPath(path) +
                                  "\nЭто не схема вышивки и не картинка, которую программа может прочитать.")
                                     .toStdString());
    }
    RunNewSchemeCommand(*this, *fm_Main, QDir::toNativeSeparators(file));
}

} // namespace velmora
