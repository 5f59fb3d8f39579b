#pragma once

#include "files/output_file.h"
#include "view/grid_model.h"
#include "view/print_canvas.h"
#include "view/print_layout.h"

#include <QFont>
#include <QGlyphRun>
#include <QRawFont>
#include <QString>

#include <array>
#include <filesystem>
#include <string>
#include <unordered_map>
#include <vector>

class QPainter;
class QPagedPaintDevice;

namespace velmora {

// The print canvas on a painter of a printer or a PDF writer. The painter is scaled so that one
// unit is a tenth of a millimetre; texts, symbols included, are drawn as text so that a PDF keeps
// them as characters.
class QtPrintCanvas : public PrintCanvas {
public:
    QtPrintCanvas(QPainter& painter, QPagedPaintDevice& device);

    int LineHeight(const PaperFont& font) override;
    int TextWidth(const PaperFont& font, std::string_view text) override;
    void FillRect(const PaperRect& rect, ColorValue color) override;
    void Line(int x1, int y1, int x2, int y2, const GridPen& pen, PenStyle style) override;
    void Stroke(int x1, int y1, int x2, int y2, int width, ColorValue color, const PaperRect& clip) override;
    void Text(int x, int y, std::string_view text, const PaperFont& font, const PaperRect* clip) override;
    // The texts that fit their clips go on the page as one glyph run per face: a PDF then holds
    // one text object per row instead of one per cell.
    void TextRun(const PaperFont& font, std::span<const PlacedText> texts) override;
    void NewPage() override;

private:
    // A text shaped and measured once: a chart prints the same few symbols and numbers a million
    // times.
    struct Shaped {
        QFont font;
        QString text;
        double ascent = 0;
        int lineHeight = 0;
        int width = 0;
        // The glyphs as the painter would lay the text out, by face (a fallback face may draw
        // some), positioned from the baseline's start.
        struct Part {
            int face = 0;
            QList<quint32> glyphs;
            QList<QPointF> positions;
        };
        std::vector<Part> parts;
        bool glyphsLaidOut = false;
    };
    const Shaped& Shape(const PaperFont& font, std::string_view text);
    void LayOutGlyphs(Shaped& shaped);
    int FaceIndex(const QRawFont& face);

    // A run being gathered: glyphs and positions by face.
    struct PendingRun {
        QList<quint32> glyphs;
        QList<QPointF> positions;
    };
    void FlushRuns(const QColor& color);

    static constexpr std::size_t kMaxShaped = 8192;
    QPainter& painter_;
    QPagedPaintDevice& device_;
    std::unordered_map<std::string, Shaped> shaped_;
    std::string key_;
    // Texts of one byte, a chart's symbols, by font: found without building a key.
    struct OneByteTexts {
        PaperFont font;
        std::array<Shaped*, 256> shaped{};
    };
    Shaped& ShapeInRun(const PaperFont& font, std::string_view text);
    std::vector<OneByteTexts> oneByte_;
    OneByteTexts* runFont_ = nullptr;
    std::vector<QRawFont> faces_;
    std::vector<PendingRun> pending_;
};

// The system's local date and time.
PrintDateTime CurrentPrintDateTime();

// The clock and the date and time separators of the system, and the 96-dpi screen the grid's
// sizes are measured in; the page size is filled in by the job.
PrintJobSetup SystemPrintSetup();

// Runs a whole print job on `device`: orientation from the grid's settings, the counting pass and
// the printing pass. Returns the number of pages. Throws std::runtime_error when the device does
// not start the document.
int PrintGridOnDevice(const GridModel& grid, QPagedPaintDevice& device, PrintJobSetup setup);

// The grid as a PDF file on A4 paper with a printer's 5 mm margins, written whole or not at all.
// Returns the number of pages. Throws FileWriteError naming the file and the system's reason when
// it cannot be written in full; `path` then keeps what it held.
int PrintGridToPdf(const GridModel& grid, const std::filesystem::path& path, PrintJobSetup setup);

// The same into `file`, finished but not yet in its place: the caller commits it.
int PrintGridToPdf(const GridModel& grid, OutputFile& file, PrintJobSetup setup);

} // namespace velmora
