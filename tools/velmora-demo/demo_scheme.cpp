#include "demo_scheme.h"

#include "app/data_module.h"
#include "app/main_window.h"
#include "scheme/scheme_builder.h"
#include "picture/picture_loader.h"
#include "view/paint/qt_bridge.h"
#include "view/qt/scheme_grid.h"

#include "app/error_box.h"
#include "scheme/scheme_file.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QProgressDialog>
#include <QTabWidget>
#include <QTimer>
#include <QMenuBar>

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>

namespace velmora {
namespace {

int EnvInt(const char* name, int fallback)
{
    const QByteArray text = qgetenv(name);
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : fallback;
}

void SaveScreenshots(const QString& folder)
{
    QDir().mkpath(folder);
    const char* names[] = {"picture", "chart", "legend"};
    for (int page = 0; page < 3; ++page) {
        fm_Main->PageControl->setCurrentIndex(page);
        fm_Main->grab().save(QDir(folder).filePath(QStringLiteral("velmora-%1.png").arg(QLatin1String(names[page]))));
    }
    fm_Main->PageControl->setCurrentIndex(1);
    SchemeGrid& chart = *fm_Main->ChartGrid;
    chart.horizontalScrollBar()->setValue(chart.horizontalScrollBar()->maximum() / 2);
    chart.verticalScrollBar()->setValue(chart.verticalScrollBar()->maximum() / 2);
    fm_Main->grab().save(QDir(folder).filePath(QStringLiteral("velmora-chart-scrolled.png")));
    std::fprintf(stderr, "screenshots saved in %s\n", qPrintable(folder));
    // Straight out: the close question is for people.
    QCoreApplication::exit(0);
}

// The whole screen, menus and dialogs included.
void GrabScreen(const QString& folder, const char* name)
{
    QGuiApplication::primaryScreen()->grabWindow(0).save(
        QDir(folder).filePath(QStringLiteral("tour-%1.png").arg(QLatin1String(name))));
}

// Once the dialog or box that `step` opens is up: grab the screen, then `answer` it.
void AtTheDialog(const QString& folder, const char* name, const std::function<void(QWidget&)>& answer,
                 const std::function<void()>& step)
{
    QTimer::singleShot(800, qApp, [folder, name, answer] {
        GrabScreen(folder, name);
        if (QWidget* modal = QApplication::activeModalWidget())
            answer(*modal);
    });
    step();
}

void Reject(QWidget& dialog)
{
    if (auto* d = qobject_cast<QDialog*>(&dialog))
        d->reject();
}

void Press(QWidget& box, QMessageBox::StandardButton which)
{
    if (auto* b = qobject_cast<QMessageBox*>(&box))
        b->button(which)->click();
}

// The title with the scheme's file, the recent schemes, and the progress of a chart PDF that is
// cancelled after a while.
void TourFileHandling(const QString& folder)
{
    RunGuarded([folder] { DM->Session->SaveScheme(ToPath(QDir(folder).filePath(QStringLiteral("tour.velmora")))); });
    QTimer::singleShot(300, qApp, [folder] {
        GrabScreen(folder, "title-saved");
        DM->mi_File->setActiveAction(DM->mi_FileRecent->menuAction());
    });
    QTimer::singleShot(1500, qApp, [folder] {
        GrabScreen(folder, "recent-menu");
        DM->mi_File->close();
    });
    DM->mi_File->exec(fm_Main->mapToGlobal(QPoint(0, fm_Main->menuBar()->height())));

    const QString pdf = QDir(folder).filePath(QStringLiteral("cancelled.pdf"));
    AtTheDialog(folder, "pdf-name",
                [folder, pdf](QWidget& dialog) {
                    QTimer::singleShot(1500, qApp, [folder] {
                        GrabScreen(folder, "pdf-progress");
                        if (auto* progress = fm_Main->findChild<QProgressDialog*>())
                            progress->cancel();
                    });
                    if (auto* d = qobject_cast<QFileDialog*>(&dialog)) {
                        d->selectFile(pdf);
                        static_cast<QDialog*>(d)->accept();
                    }
                },
                [] { DM->ac_FileSavePdf->trigger(); });
}

void TakeTour(const QString& folder)
{
    QDir().mkpath(folder);
    DM->Session->MarkSchemeModified(); // as the New command leaves it

    QTimer::singleShot(600, qApp, [folder] {
        GrabScreen(folder, "file-menu");
        DM->mi_File->close();
    });
    DM->mi_File->exec(fm_Main->mapToGlobal(QPoint(0, fm_Main->menuBar()->height())));

    AtTheDialog(folder, "save-dialog", Reject, [] { DM->ac_FileSave->trigger(); });
    // The question, answered No; then the open dialog, cancelled.
    AtTheDialog(folder, "unsaved-question",
                [folder](QWidget& box) {
                    QTimer::singleShot(800, qApp, [folder] {
                        GrabScreen(folder, "open-dialog");
                        if (QWidget* modal = QApplication::activeModalWidget())
                            Reject(*modal);
                    });
                    Press(box, QMessageBox::No);
                },
                [] { DM->ac_FileOpen->trigger(); });

    const QString damaged = QDir(folder).filePath(QStringLiteral("damaged.velmora"));
    QFile file(damaged);
    if (file.open(QIODevice::WriteOnly)) {
        std::string text = SchemeFileText(DM->Session->Scheme);
        text.replace(text.find("\"chart\": [\n    ["), 17, "\"chart\": [\n    [250,");
        file.write(text.data(), static_cast<qint64>(text.size()));
        file.close();
    }
    AtTheDialog(folder, "error-box", [](QWidget& box) { Press(box, QMessageBox::Ok); },
                [damaged] { RunGuarded([damaged] { DM->Session->OpenScheme(ToPath(damaged)); }); });
    AtTheDialog(folder, "pdf-dialog", Reject, [] { DM->ac_FileSavePdf->trigger(); });
    TourFileHandling(folder);
    QTimer::singleShot(300, qApp, [folder] {
        GrabScreen(folder, "window");
        QCoreApplication::exit(0);
    });
    std::fprintf(stderr, "tour saved in %s\n", qPrintable(folder));
}

} // namespace

// The screenshots or the tour of the scheme shown, as the environment asks, at the zoom it names.
void LookAtTheScheme()
{
    if (const int zoom = EnvInt("VELMORA_DEMO_ZOOM", 0); zoom > 0) {
        DM->View.zoom = zoom;
        DM->ApplyView();
    }
    const QString folder = qEnvironmentVariable("VELMORA_DEMO_SCREENSHOTS");
    if (!folder.isEmpty())
        QTimer::singleShot(500, fm_Main, [folder] { SaveScreenshots(folder); });
    const QString tour = qEnvironmentVariable("VELMORA_DEMO_TOUR");
    if (!tour.isEmpty())
        QTimer::singleShot(500, fm_Main, [tour] { TakeTour(tour); });
}

void ShowDemoSchemeFromEnvironment()
{
    if (const QString scheme = qEnvironmentVariable("VELMORA_DEMO_SCHEME"); !scheme.isEmpty()) {
        DM->OpenFromCommandLine(scheme);
        LookAtTheScheme();
        return;
    }
    const QString path = qEnvironmentVariable("VELMORA_DEMO_PICTURE");
    if (path.isEmpty())
        return;
    DM->SourcePicture = LoadPicture(ToPath(path));
    DM->PictureLoaded = true;

    SchemeChoices choices;
    const QString size = qEnvironmentVariable("VELMORA_DEMO_SIZE");
    if (!size.isEmpty()) {
        const QStringList sides = size.split(QLatin1Char('x'));
        if (sides.size() != 2)
            throw std::invalid_argument("VELMORA_DEMO_SIZE must read WxH, e.g. 120x80");
        choices.width = sides[0].toInt();
        choices.height = sides[1].toInt();
    }
    choices.colorCount = EnvInt("VELMORA_DEMO_COLORS", kDefaultColors);
    choices.dithering = EnvInt("VELMORA_DEMO_DITHER", 0) == 1;
    choices.perceptual = EnvInt("VELMORA_DEMO_PERCEPTUAL", 0) == 1;
    fm_Main->BuildScheme(MakeSchemeRequest(DM->SourcePicture, std::move(choices)));
    LookAtTheScheme();
}

} // namespace velmora
