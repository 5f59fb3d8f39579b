#include "data_module.h"

#include "about_form.h"
#include "dmc_form.h"
#include "error_box.h"
#include "fabric_dialog.h"
#include "excel_command.h"
#include "main_form.h"
#include "new_scheme_command.h"
#include "view/qt/grid_printer.h"
#include "view/qt/scheme_view_handlers.h"

#include <QAbstractEventDispatcher>
#include <QFileDialog>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace velmora {

TDM* DM = nullptr;

TDM::TDM(Tfm_Main* owner) : QObject(owner)
{
    // Published first: what the module builds below already reaches it.
    DM = this;
    setObjectName(QStringLiteral("DM"));
    CreateImages();
    CreateActions();
    CreateMainMenu(*owner);
    CreateOpenPictureDialog(*owner);

    // The commands' enabled states follow the state of the run whenever the application has
    // handled its input and is about to wait for more.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(thread()))
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TDM::UpdateActions);

    RunGuarded([this] { DataModuleCreate(); });
    UpdateActions();
}

TDM::~TDM()
{
    RunGuarded([this] { DataModuleDestroy(); });
    DM = nullptr;
}

void TDM::CreateImages()
{
    ImageList[imgNew] = QIcon(QStringLiteral(":/images/file_new.png"));
    ImageList[imgOptions] = QIcon(QStringLiteral(":/images/service_options.png"));
    ImageList[imgPrint] = QIcon(QStringLiteral(":/images/file_print.png"));
    ImageList[imgAbout] = QIcon(QStringLiteral(":/images/help_about.png"));
    ImageList[imgExit] = QIcon(QStringLiteral(":/images/file_exit.png"));
    ImageList[imgExcel] = QIcon(QStringLiteral(":/images/service_excel.png"));
    ImageList[imgDMC] = QIcon(QStringLiteral(":/images/service_dmc.png"));
}

TAction* TDM::MakeAction(const char* name, const char* category, const char* caption, const char* hint,
                         int image, Handler execute)
{
    auto* action = new TAction(QString::fromUtf8(caption), this);
    action->setObjectName(QString::fromUtf8(name));
    action->Category = QString::fromUtf8(category);
    action->SetHint(QString::fromUtf8(hint));
    action->ImageIndex = image;
    if (image >= 0)
        action->setIcon(ImageList[static_cast<std::size_t>(image)]);
    // The captions carry no accelerators; an ampersand would be text.
    action->setIconText(action->text());
    connect(action, &QAction::triggered, this, [this, action, execute] { RunCommand(*action, execute); });
    return action;
}

void TDM::CreateActions()
{
    ac_FileNew = MakeAction("ac_FileNew", "Файл", "Новая схема",
                            "Новая схема|Открыть мастер быстрого создания схемы вышивки крестиком", imgNew,
                            &TDM::ac_FileNewExecute);
    ac_FileNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));

    ac_FilePrint = MakeAction("ac_FilePrint", "Файл", "Печать схемы",
                              "Печать схемы|Печать схемы для вышивания крестиком", imgPrint,
                              &TDM::ac_FilePrintExecute);
    ac_FilePrint->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));

    ac_FilePrintSymbols = MakeAction("ac_FilePrintSymbols", "Файл", "Печать символов",
                                     "Печать символов|Печать таблицы расшифровки используемых символов", -1,
                                     &TDM::ac_FilePrintSymbolsExecute);

    ac_FileExit = MakeAction("ac_FileExit", "Файл", "Выход", "Выход|Завершение работы с программой", imgExit,
                             &TDM::ac_FileExitExecute);
    ac_FileExit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_X));

    ac_ServiceExcel = MakeAction("ac_ServiceExcel", "Сервис", "В Excel ->",
                                 "Сохранить в Excel|Передать полученную схему в Microsoft Excel", imgExcel,
                                 &TDM::ac_ServiceExcelExecute);

    ac_ServiceDMC = MakeAction("ac_ServiceDMC", "Сервис", "Таблица DMC",
                               "Таблица DMC|Открыть таблицу цветов ниток набора DMC", imgDMC,
                               &TDM::ac_ServiceDMCExecute);

    ac_ServiceOptions =
        MakeAction("ac_ServiceOptions", "Сервис", "Шрифт символов...",
                   "Шрифт символов|Выбор и настройка шрифта символов, которые используются в схеме", imgOptions,
                   &TDM::ac_ServiceOptionsExecute);

    ac_HelpAbout = MakeAction("ac_HelpAbout", "Помощь", "О программе...",
                              "О программе|Вывод информации про программу и автора", imgAbout,
                              &TDM::ac_HelpAboutExecute);
    CreateViewActions();
}

void TDM::CreateViewActions()
{
    ac_ViewTenLines = MakeAction(
        "ac_ViewTenLines", "Вид", "Линии через 10 стежков",
        "Линии через 10 стежков|Выделять более толстой линией каждый десятый стежок на экране и при печати", -1,
        &TDM::ac_ViewTenLinesExecute);
    ac_ViewColorCells = MakeAction("ac_ViewColorCells", "Вид", "Цветные клетки",
                                   "Цветные клетки|Закрашивать клетки схемы цветом нитки на экране и при печати",
                                   -1, &TDM::ac_ViewColorCellsExecute);
    ac_ViewSkeins = MakeAction(
        "ac_ViewSkeins", "Вид", "Расход ниток",
        "Расход ниток|Показывать в таблице символов, сколько мотков каждой нитки понадобится на выбранной ткани", -1,
        &TDM::ac_ViewSkeinsExecute);
    for (TAction* action : {ac_ViewTenLines, ac_ViewColorCells, ac_ViewSkeins})
        action->setCheckable(true);
    ac_ViewFabric = MakeAction("ac_ViewFabric", "Вид", "Ткань…",
                               "Ткань|Выбор ткани: сколько крестиков на дюйм, для размера вышивки и расхода ниток",
                               -1, &TDM::ac_ViewFabricExecute);
    ac_ViewZoomIn = MakeAction("ac_ViewZoomIn", "Вид", "Крупнее", "Крупнее|Увеличить клетки и символы схемы", -1,
                               &TDM::ac_ViewZoomInExecute);
    ac_ViewZoomIn->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus)});
    ac_ViewZoomOut = MakeAction("ac_ViewZoomOut", "Вид", "Мельче", "Мельче|Уменьшить клетки и символы схемы", -1,
                                &TDM::ac_ViewZoomOutExecute);
    ac_ViewZoomOut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
}

void TDM::CreateMainMenu(Tfm_Main& owner)
{
    MainMenu = new QMenuBar(&owner);
    MainMenu->setObjectName(QStringLiteral("MainMenu"));

    mi_File = MainMenu->addMenu(QStringLiteral("Файл"));
    mi_File->setObjectName(QStringLiteral("mi_File"));
    mi_File->addAction(ac_FileNew);
    mi_File->addAction(ac_FilePrint);
    mi_File->addAction(ac_FilePrintSymbols);
    N1 = mi_File->addSeparator();
    N1->setObjectName(QStringLiteral("N1"));
    mi_File->addAction(ac_FileExit);

    mi_Service = MainMenu->addMenu(QStringLiteral("Сервис"));
    mi_Service->setObjectName(QStringLiteral("mi_Service"));
    mi_Service->addAction(ac_ServiceExcel);
    mi_Service->addAction(ac_ServiceDMC);
    N2 = mi_Service->addSeparator();
    N2->setObjectName(QStringLiteral("N2"));
    mi_Service->addAction(ac_ServiceOptions);

    mi_View = MainMenu->addMenu(QStringLiteral("Вид"));
    mi_View->setObjectName(QStringLiteral("mi_View"));
    mi_View->addAction(ac_ViewTenLines);
    mi_View->addAction(ac_ViewColorCells);
    mi_View->addAction(ac_ViewSkeins);
    mi_View->addSeparator()->setObjectName(QStringLiteral("N3"));
    mi_View->addAction(ac_ViewFabric);
    mi_View->addSeparator()->setObjectName(QStringLiteral("N4"));
    mi_View->addAction(ac_ViewZoomIn);
    mi_View->addAction(ac_ViewZoomOut);

    mi_Help = MainMenu->addMenu(QStringLiteral("?"));
    mi_Help->setObjectName(QStringLiteral("mi_Help"));
    mi_Help->addAction(ac_HelpAbout);

    for (QMenu* menu : {mi_File, mi_Service, mi_View, mi_Help})
        connect(menu, &QMenu::aboutToShow, this, &TDM::UpdateActions);

    owner.setMenuBar(MainMenu);
}

void TDM::CreateOpenPictureDialog(Tfm_Main& owner)
{
    OpenPictureDialog = new QFileDialog(&owner);
    OpenPictureDialog->setObjectName(QStringLiteral("OpenPictureDialog"));
    // Qt's own dialog, so that the wizard can add a preview of the selected picture.
    OpenPictureDialog->setOption(QFileDialog::DontUseNativeDialog, true);
    OpenPictureDialog->setAcceptMode(QFileDialog::AcceptOpen);
    // A typed name need not exist.
    OpenPictureDialog->setFileMode(QFileDialog::AnyFile);
    OpenPictureDialog->setNameFilter(QStringLiteral("Files with pictures (*.bmp *.jpg)"));
    OpenPictureDialog->setDefaultSuffix(QStringLiteral("bmp"));
    OpenPictureDialog->setSizeGripEnabled(true);
}

void TDM::DataModuleCreate()
{
    PictureLoaded = false;
    SchemeReady = false;
    Dithering = false;
    DMCUsed.fill(0);
    SourcePicture = Bitmap();
    SettingsKey = "Software\\Mirvane\\Velmora2";
    SettingsSection = "Options";
    LoadSettings();
    Dithering = StoredValueToBoolean(StoredDithering);
    CopySymbolFontToChart();
}

void TDM::DataModuleDestroy()
{
    StoredDithering = Dithering ? "True" : "False";
    SaveSettings();
}

void TDM::LoadSettings()
{
    JvFormStorage.Key = SettingsKey;
    JvFormStorage.Section = SettingsSection;
    JvFormStorage.MoreValues = StoredViewValues(View);
    JvFormStorage.Load(FontDialog.Font, StoredDithering);
    View = ViewSettingsFromStored(JvFormStorage.MoreValues);
}

void TDM::SaveSettings()
{
    JvFormStorage.MoreValues = StoredViewValues(View);
    JvFormStorage.Save(FontDialog.Font, StoredDithering);
}

void TDM::UpdateActions()
{
    for (QAction* action : {static_cast<QAction*>(ac_FilePrint), static_cast<QAction*>(ac_FilePrintSymbols),
                            static_cast<QAction*>(ac_ServiceExcel)})
        ac_FilePrintUpdate(*action);
}

void TDM::ac_FilePrintUpdate(QAction& sender)
{
    sender.setEnabled(SchemeReady);
}

void TDM::RunCommand(QAction& action, Handler execute)
{
    // A command whose state changed since the last update must not run on a stale enabled flag.
    UpdateActions();
    if (!action.isEnabled())
        return;
    RunGuarded([this, execute] { (this->*execute)(); });
}

void TDM::CopySymbolFontToChart()
{
    velmora::CopySymbolFontToChart(*fm_Main->asg_Image, ToGridFont(FontDialog.Font));
    // The legend reads the symbol font as it paints; show it in the new font at once.
    fm_Main->asg_Symbols->viewport()->update();
}

void TDM::ac_FileNewExecute()
{
    RunNewSchemeCommand(*this, *fm_Main);
}

void TDM::ac_FilePrintExecute()
{
    velmora::PrintGrid(fm_Main->asg_Image->model());
}

void TDM::ac_FilePrintSymbolsExecute()
{
    velmora::PrintGrid(fm_Main->asg_Symbols->model());
}

void TDM::ac_FileExitExecute()
{
    // Exactly as the close box: the window asks before it closes.
    fm_Main->close();
}

void TDM::ac_ServiceExcelExecute()
{
    RunExcelCommand(*fm_Main);
}

void TDM::ac_ServiceDMCExecute()
{
    // The command owns the window for one showing; as a window it sits over the main window.
    Tfm_DMC fm_DMC(fm_Main);
    fm_DMC.FillCatalogue();
    fm_DMC.exec();
}

void TDM::ac_ServiceOptionsExecute()
{
    FontDialog.Execute(fm_Main);
    // Also after Cancel: the dialog's font is then the one it had, so the chart keeps its look.
    CopySymbolFontToChart();
}

void TDM::ac_ViewTenLinesExecute()
{
    View.look.tenLines = ac_ViewTenLines->isChecked();
    ApplyView();
}

void TDM::ac_ViewColorCellsExecute()
{
    View.look.colorCells = ac_ViewColorCells->isChecked();
    ApplyView();
}

void TDM::ac_ViewSkeinsExecute()
{
    View.look.skeins = ac_ViewSkeins->isChecked();
    ApplyView();
}

void TDM::ac_ViewFabricExecute()
{
    Tfm_Fabric fm_Fabric(View.look.fabricCount, fm_Main);
    if (fm_Fabric.exec() != QDialog::Accepted)
        return;
    View.look.fabricCount = fm_Fabric.Count();
    ApplyView();
}

void TDM::ac_ViewZoomInExecute() { ZoomBy(1); }

void TDM::ac_ViewZoomOutExecute() { ZoomBy(-1); }

void TDM::ZoomBy(int steps)
{
    for (; steps > 0; --steps)
        View.zoom = ZoomIn(View.zoom);
    for (; steps < 0; ++steps)
        View.zoom = ZoomOut(View.zoom);
    fm_Main->asg_Image->SetZoom(View.zoom);
    fm_Main->ShowFinishedSize();
}

void TDM::ApplyView()
{
    ac_ViewTenLines->setChecked(View.look.tenLines);
    ac_ViewColorCells->setChecked(View.look.colorCells);
    ac_ViewSkeins->setChecked(View.look.skeins);
    velmora::ApplyChartLook(*fm_Main->asg_Image, View.look, fm_Main->asg_Symbols->cellTable());
    ApplyLegendLook(fm_Main->asg_Symbols->model(), View.look);
    fm_Main->asg_Symbols->Refresh();
    fm_Main->asg_Image->SetZoom(View.zoom);
    fm_Main->ShowFinishedSize();
}

void TDM::ac_HelpAboutExecute()
{
    Tfm_About fm_About(fm_Main);
    fm_About.exec();
}

} // namespace velmora
