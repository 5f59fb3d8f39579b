#include "demo_scheme.h"

#include "app/data_module.h"
#include "app/main_form.h"
#include "scheme/chart_size.h"
#include "scheme/picture_loader.h"
#include "scheme/symbol_spread.h"
#include "view/paint/qt_bridge.h"
#include "view/qt/adv_string_grid.h"

#include <QCoreApplication>
#include <QDir>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>
#include <stdexcept>
#include <string>

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
    TAdvStringGrid& chart = *fm_Main->asg_Image;
    chart.horizontalScrollBar()->setValue(chart.horizontalScrollBar()->maximum() / 2);
    chart.verticalScrollBar()->setValue(chart.verticalScrollBar()->maximum() / 2);
    fm_Main->grab().save(QDir(folder).filePath(QStringLiteral("velmora-chart-scrolled.png")));
    std::fprintf(stderr, "screenshots saved in %s\n", qPrintable(folder));
    // Straight out: the close question is for people.
    QCoreApplication::exit(0);
}

} // namespace

void ShowDemoSchemeFromEnvironment()
{
    const QString path = qEnvironmentVariable("VELMORA_DEMO_PICTURE");
    if (path.isEmpty())
        return;
    DM->SourcePicture = LoadPicture(ToPath(path));
    DM->PictureLoaded = true;

    SchemeRequest request;
    request.width = HoldToStitchRange(DM->SourcePicture.width());
    request.height = HoldToStitchRange(DM->SourcePicture.height());
    const QString size = qEnvironmentVariable("VELMORA_DEMO_SIZE");
    if (!size.isEmpty()) {
        const QStringList sides = size.split(QLatin1Char('x'));
        if (sides.size() != 2)
            throw std::invalid_argument("VELMORA_DEMO_SIZE must read WxH, e.g. 120x80");
        request.width = sides[0].toInt();
        request.height = sides[1].toInt();
    }
    request.colorCount = EnvInt("VELMORA_DEMO_COLORS", 30);
    request.dithering = EnvInt("VELMORA_DEMO_DITHER", 0) == 1;
    if (request.colorCount >= 2 && request.colorCount <= 100) {
        request.symbols = DefaultSymbolTexts(request.colorCount);
    }
    fm_Main->BuildScheme(request);

    const QString folder = qEnvironmentVariable("VELMORA_DEMO_SCREENSHOTS");
    if (!folder.isEmpty())
        QTimer::singleShot(500, fm_Main, [folder] { SaveScreenshots(folder); });
}

} // namespace velmora
