#pragma once

#include "view/grid_model.h"
#include "view/paint/qt_bridge.h"
#include "view/symbol_text.h"

#include <QFont>
#include <QImage>
#include <QString>

#include <string>
#include <string_view>
#include <unordered_map>

namespace velmora {

// A cell text turned into what the painter draws: the font to use and the Unicode text.
struct GlyphRun {
    QFont font;
    QString text;
};


// Makes the face "Wingdings" available where it is not installed: registers the program's own
// stand-in, Symbola's pictographs at the Wingdings codes, under that family name. From then on it
// is an ordinary font to Qt: the font dialog lists it, sizes and styles apply, PDFs embed it.
// Does nothing where the real face is installed, and nothing the second time; needs a
// QGuiApplication. Shaping a text and the functions below call it themselves.
void RegisterSymbolFonts();

// Whether `family` is served by the program's stand-in rather than by an installed face.
bool IsStandInFace(const QString& family);

// Which bytes the installed face `name` draws from its own glyphs at U+F000 + b, for the rules of
// SymbolCharacter: empty for a missing face and for the stand-in, and without a QGuiApplication,
// when no font can be asked about.
SymbolAreaGlyphs InstalledSymbolGlyphs(std::string_view name);

// How `text` in `font` is drawn: each byte as the character SymbolCharacter gives for it, the
// same character that the workbook carries.
GlyphRun ShapeText(const GridFont& font, std::string_view text);

// A text drawn once into a transparent image, for cells that show the same few symbols and numbers
// thousands of times: a clipped copy of the image is all a cell then costs.
struct TextSprite {
    QImage image;   // device pixels, premultiplied; null for a text without ink
    QRect bounds;   // where the image goes, relative to the top-left of the text's box
    QSize extent;   // the text's box: advance width and font height
    int ascent = 0; // baseline below the top of the box
};

class GlyphCache {
public:
    // The sprite of `text` in `font` and `color`, at `pixelRatio` device pixels per pixel.
    const TextSprite& Get(const GridFont& font, QRgb color, qreal pixelRatio, std::string_view text);

private:
    // A chart shows a few dozen symbols and a thousand numbers; a cache beyond this is cleared.
    static constexpr std::size_t kMaxEntries = 8192;
    std::unordered_map<std::string, TextSprite> sprites_;
    std::string key_;
    // A cell measures its text and then draws it: the second look-up skips the hashing.
    std::string lastKey_;
    const TextSprite* last_ = nullptr;
};

} // namespace velmora
