#pragma once

#include "view/cell_text_placement.h"
#include "view/grid_model.h"

#include <span>
#include <string_view>

namespace velmora {

// A rectangle on paper in tenths of a millimetre, right and bottom exclusive.
using PaperRect = CellBox;

// A font as it is put on paper: the grid's font with its character height (without internal
// leading) in tenths of a millimetre, and the angle its text is turned by, counter-clockwise.
struct PaperFont {
    GridFont font;
    int height = 0;
    int angle = 0;
    friend bool operator==(const PaperFont&, const PaperFont&) = default;
};

// One text of a run: the top-left corner of its box and the rectangle nothing outside of which is
// inked.
struct PlacedText {
    int x = 0;
    int y = 0;
    std::string_view text;
    PaperRect clip;
};

// The surface the print layout draws on and measures with, addressed in tenths of a millimetre
// from the top-left corner of the printable area. Texts are Windows-1251, as the grid keeps them.
class PrintCanvas {
public:
    virtual ~PrintCanvas() = default;

    // Ascent plus descent of the font, as measured on "gh".
    virtual int LineHeight(const PaperFont& font) = 0;
    virtual int TextWidth(const PaperFont& font, std::string_view text) = 0;

    virtual void FillRect(const PaperRect& rect, ColorValue color) = 0;
    virtual void Line(int x1, int y1, int x2, int y2, const GridPen& pen, PenStyle style) = 0;
    // Draws `text` transparently with the top-left corner of its box at (x, y); a turned font turns
    // the box around that corner. Nothing outside `clip` is inked; a null clip is the whole page.
    virtual void Text(int x, int y, std::string_view text, const PaperFont& font, const PaperRect* clip) = 0;
    // Draws several texts of one font, each as Text would with its clip, in this order. A canvas
    // that can put them on the page as one run of glyphs does so: a row of a chart is a thousand
    // symbols.
    virtual void TextRun(const PaperFont& font, std::span<const PlacedText> texts)
    {
        for (const PlacedText& t : texts)
            Text(t.x, t.y, t.text, font, &t.clip);
    }
    // A straight stroke of `width` with round ends, centred on the line from (x1, y1) to
    // (x2, y2); nothing outside `clip` is inked. The lines drawn over a chart's cells.
    virtual void Stroke(int x1, int y1, int x2, int y2, int width, ColorValue color, const PaperRect& clip) = 0;
    // Ends the page drawn so far and begins the next one.
    virtual void NewPage() = 0;
};

} // namespace velmora
