#include "view/paint/qt_print_canvas.h"

#include "view/paint/qt_bridge.h"
#include "view/paint/symbol_glyphs.h"
#include "view/screen_units.h"

#include <QDateTime>
#include <QFontMetricsF>
#include <QIODevice>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>

#include <cmath>
#include <exception>
#include <stdexcept>

namespace velmora {

namespace {

Qt::PenStyle QtPenStyle(PenStyle style)
{
    switch (style) {
    case PenStyle::Dash: return Qt::DashLine;
    case PenStyle::Dot: return Qt::DotLine;
    case PenStyle::DashDot: return Qt::DashDotLine;
    case PenStyle::DashDotDot: return Qt::DashDotDotLine;
    case PenStyle::Solid: break;
    }
    return Qt::SolidLine;
}

// The first character that is neither a letter nor a digit in a format of the system.
std::string SeparatorOf(const QString& format, const char* fallback)
{
    for (const QChar c : format)
        if (!c.isLetterOrNumber() && !c.isSpace() && c != QLatin1Char('\''))
            return QString(c).toStdString();
    return fallback;
}

} // namespace

QtPrintCanvas::QtPrintCanvas(QPainter& painter, QPagedPaintDevice& device) : painter_(painter), device_(device)
{
    painter_.resetTransform();
    painter_.scale(static_cast<double>(device_.logicalDpiX()) / kTenthsMmPerInch,
                   static_cast<double>(device_.logicalDpiY()) / kTenthsMmPerInch);
}

const QtPrintCanvas::Shaped& QtPrintCanvas::Shape(const PaperFont& font, std::string_view text)
{
    const GridFont& f = font.font;
    // Built in place and in binary: this runs three times for every printed cell.
    const int fields[3] = {f.charset, font.height,
                           (f.style.bold ? 1 : 0) | (f.style.italic ? 2 : 0) | (f.style.underline ? 4 : 0) |
                               (f.style.strikeOut ? 8 : 0)};
    key_.assign(f.name);
    key_.push_back('\0');
    key_.append(reinterpret_cast<const char*>(fields), sizeof fields);
    key_.append(text);
    if (const auto found = shaped_.find(key_); found != shaped_.end())
        return found->second;
    if (shaped_.size() >= kMaxShaped) {
        shaped_.clear();
        oneByte_.clear();
        runFont_ = nullptr;
    }

    GlyphRun run = ShapeText(f, text);
    run.font.setPixelSize(std::max(1, font.height));
    // Positions are worked out in tenths of a millimetre; hinting at that scale would distort them.
    run.font.setHintingPreference(QFont::PreferNoHinting);
    const QFontMetricsF metrics(run.font, &device_);
    Shaped shaped;
    shaped.ascent = metrics.ascent();
    shaped.lineHeight = static_cast<int>(std::lround(metrics.ascent() + metrics.descent()));
    shaped.width = static_cast<int>(std::lround(metrics.horizontalAdvance(run.text)));
    shaped.font = run.font;
    shaped.text = run.text;
    return shaped_.emplace(key_, std::move(shaped)).first->second;
}

int QtPrintCanvas::LineHeight(const PaperFont& font) { return Shape(font, "gh").lineHeight; }

int QtPrintCanvas::TextWidth(const PaperFont& font, std::string_view text) { return Shape(font, text).width; }

void QtPrintCanvas::FillRect(const PaperRect& rect, ColorValue color)
{
    painter_.fillRect(QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top), ToPaperQColor(color));
}

void QtPrintCanvas::Line(int x1, int y1, int x2, int y2, const GridPen& pen, PenStyle style)
{
    // A page has a million lines in a few pens: setting an unchanged pen would write it out again.
    const QPen qpen(ToPaperQColor(pen.Color), std::max(1, pen.Width), QtPenStyle(style), Qt::SquareCap);
    if (painter_.pen() != qpen)
        painter_.setPen(qpen);
    painter_.drawLine(x1, y1, x2, y2);
}

void QtPrintCanvas::Stroke(int x1, int y1, int x2, int y2, int width, ColorValue color, const PaperRect& clip)
{
    painter_.save();
    painter_.setClipRect(QRect(clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top));
    painter_.setRenderHint(QPainter::Antialiasing);
    painter_.setPen(QPen(ToPaperQColor(color), std::max(1, width), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter_.drawLine(x1, y1, x2, y2);
    painter_.restore();
}

void QtPrintCanvas::Text(int x, int y, std::string_view text, const PaperFont& font, const PaperRect* clip)
{
    const Shaped& shaped = Shape(font, text);
    if (shaped.text.isEmpty())
        return;
    // The box the text inks, before it is turned; only a text that leaves its clip needs one.
    QRect box(x, y, shaped.width, shaped.lineHeight);
    if (font.angle == 90)
        box = QRect(x, y - shaped.width, shaped.lineHeight, shaped.width);
    const bool turned = font.angle != 0;
    const bool outside = clip && (box.left() < clip->left || box.top() < clip->top ||
                                  box.left() + box.width() > clip->right || box.top() + box.height() > clip->bottom);
    const bool clipped = outside || (clip && turned && font.angle != 90);
    const QColor color = ToPaperQColor(font.font.color);
    if (clipped || turned) {
        painter_.save();
        if (clipped)
            painter_.setClipRect(
                QRect(clip->left, clip->top, clip->right - clip->left, clip->bottom - clip->top));
        painter_.setFont(shaped.font);
        painter_.setPen(color);
        painter_.translate(x, y);
        if (turned)
            painter_.rotate(-font.angle);
        painter_.drawText(QPointF(0, shaped.ascent), shaped.text);
        painter_.restore();
        return;
    }
    if (painter_.font() != shaped.font)
        painter_.setFont(shaped.font);
    if (painter_.pen().color() != color || painter_.pen().style() != Qt::SolidLine)
        painter_.setPen(color);
    painter_.drawText(QPointF(x, y + shaped.ascent), shaped.text);
}

int QtPrintCanvas::FaceIndex(const QRawFont& face)
{
    for (std::size_t i = 0; i < faces_.size(); ++i)
        if (faces_[i] == face)
            return static_cast<int>(i);
    faces_.push_back(face);
    pending_.emplace_back();
    return static_cast<int>(faces_.size()) - 1;
}

void QtPrintCanvas::LayOutGlyphs(Shaped& shaped)
{
    shaped.glyphsLaidOut = true;
    // The same layout drawText makes, faces chosen and glyphs shaped once for the whole job.
    QTextLayout layout(shaped.text, shaped.font, &device_);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (!line.isValid())
        return;
    line.setPosition(QPointF(0, 0));
    const QPointF baseline(0, line.ascent());
    for (const QGlyphRun& run : layout.glyphRuns()) {
        Shaped::Part part;
        part.face = FaceIndex(run.rawFont());
        part.glyphs = run.glyphIndexes();
        part.positions = run.positions();
        for (QPointF& p : part.positions)
            p -= baseline;
        shaped.parts.push_back(std::move(part));
    }
}

void QtPrintCanvas::FlushRuns(const QColor& color)
{
    bool penSet = false;
    for (std::size_t i = 0; i < pending_.size(); ++i) {
        PendingRun& pending = pending_[i];
        if (pending.glyphs.isEmpty())
            continue;
        if (!penSet && (painter_.pen().color() != color || painter_.pen().style() != Qt::SolidLine))
            painter_.setPen(color);
        penSet = true;
        QGlyphRun run;
        run.setRawFont(faces_[i]);
        run.setGlyphIndexes(pending.glyphs);
        run.setPositions(pending.positions);
        painter_.drawGlyphRun(QPointF(0, 0), run);
        pending.glyphs.clear();
        pending.positions.clear();
    }
}

QtPrintCanvas::Shaped& QtPrintCanvas::ShapeInRun(const PaperFont& font, std::string_view text)
{
    if (text.size() != 1)
        return const_cast<Shaped&>(Shape(font, text));
    if (!runFont_) {
        for (OneByteTexts& o : oneByte_)
            if (o.font == font)
                runFont_ = &o;
        if (!runFont_)
            runFont_ = &oneByte_.emplace_back(OneByteTexts{font, {}});
    }
    Shaped*& slot = runFont_->shaped[static_cast<unsigned char>(text.front())];
    if (!slot) {
        OneByteTexts* const kept = runFont_;
        Shaped& shaped = const_cast<Shaped&>(Shape(font, text));
        if (runFont_ != kept) // the cache was cleared to make room
            return ShapeInRun(font, text);
        slot = &shaped;
    }
    return *slot;
}

void QtPrintCanvas::TextRun(const PaperFont& font, std::span<const PlacedText> texts)
{
    if (font.angle != 0) {
        PrintCanvas::TextRun(font, texts);
        return;
    }
    const QColor color = ToPaperQColor(font.font.color);
    runFont_ = nullptr;
    for (const PlacedText& t : texts) {
        Shaped& shaped = ShapeInRun(font, t.text);
        if (shaped.text.isEmpty())
            continue;
        const bool fits = t.x >= t.clip.left && t.y >= t.clip.top && t.x + shaped.width <= t.clip.right &&
                          t.y + shaped.lineHeight <= t.clip.bottom;
        if (!fits) {
            // Drawn on its own, clipped, where it falls among the others.
            FlushRuns(color);
            Text(t.x, t.y, t.text, font, &t.clip);
            continue;
        }
        if (!shaped.glyphsLaidOut)
            LayOutGlyphs(shaped);
        const QPointF origin(t.x, t.y + shaped.ascent);
        for (const Shaped::Part& part : shaped.parts) {
            PendingRun& pending = pending_[static_cast<std::size_t>(part.face)];
            pending.glyphs.append(part.glyphs);
            for (const QPointF& p : part.positions)
                pending.positions.append(origin + p);
        }
    }
    FlushRuns(color);
}

void QtPrintCanvas::NewPage()
{
    if (!device_.newPage())
        throw std::runtime_error("the printer could not begin a new page");
}

PrintDateTime CurrentPrintDateTime()
{
    const QDateTime now = QDateTime::currentDateTime();
    return {now.date().year(), now.date().month(), now.date().day(),
            now.time().hour(), now.time().minute(), now.time().second()};
}

PrintJobSetup SystemPrintSetup()
{
    PrintJobSetup setup;
    setup.screenDpi = kScreenDpi;
    setup.clock = CurrentPrintDateTime;
    const QLocale locale = QLocale::system();
    setup.locale.dateSeparator = SeparatorOf(locale.dateFormat(QLocale::ShortFormat), ".");
    setup.locale.timeSeparator = SeparatorOf(locale.timeFormat(QLocale::ShortFormat), ":");
    return setup;
}

int PrintGridOnDevice(const GridModel& grid, QPagedPaintDevice& device, PrintJobSetup setup)
{
    device.setPageOrientation(grid.PrintSettings.Orientation == PageOrientation::Landscape
                                  ? QPageLayout::Landscape
                                  : QPageLayout::Portrait);
    QPainter painter;
    if (!painter.begin(&device))
        throw std::runtime_error("the printer could not begin the document");
    setup.pageWidth = PaperExtent(device.width(), device.logicalDpiX());
    setup.pageHeight = PaperExtent(device.height(), device.logicalDpiY());
    QtPrintCanvas canvas(painter, device);
    int pages = 0;
    try {
        pages = PrintGridPages(grid, canvas, setup);
    } catch (...) {
        painter.end();
        throw;
    }
    if (!painter.end())
        throw std::runtime_error("the printer could not finish the document");
    return pages;
}

namespace {

// Hands the PDF writer's bytes to the output file. The writer goes on after a failed write, so
// the first failure is kept and reported once the document is done.
class OutputFileDevice : public QIODevice {
public:
    explicit OutputFileDevice(OutputFile& file) : file_(file) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }

    void RethrowFailure() const
    {
        if (failure_)
            std::rethrow_exception(failure_);
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        if (failure_)
            return -1;
        try {
            file_.Write(data, static_cast<std::size_t>(size));
            return size;
        } catch (...) {
            failure_ = std::current_exception();
            return -1;
        }
    }

private:
    OutputFile& file_;
    std::exception_ptr failure_;
};

} // namespace

int PrintGridToPdf(const GridModel& grid, OutputFile& file, PrintJobSetup setup)
{
    OutputFileDevice device(file);
    int pages = 0;
    try {
        QPdfWriter writer(&device);
        writer.setResolution(600);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter);
        writer.setTitle(Cp1251ToQString(grid.PrintSettings.JobName));
        writer.setCreator(QStringLiteral("Velmora"));
        pages = PrintGridOnDevice(grid, writer, std::move(setup));
    } catch (const WriteCancelled&) {
        throw;
    } catch (const std::exception& e) {
        // A page the writer could not begin is most often a write that failed before it.
        device.RethrowFailure();
        file.Fail(e.what());
    }
    device.RethrowFailure();
    file.Finish();
    return pages;
}

int PrintGridToPdf(const GridModel& grid, const std::filesystem::path& path, PrintJobSetup setup)
{
    OutputFile file(path);
    const int pages = PrintGridToPdf(grid, file, std::move(setup));
    file.Commit();
    return pages;
}

} // namespace velmora
