#include "font_dialog.h"

#include "prompter.h"
#include "view/paint/qt_bridge.h"
#include "view/paint/symbol_glyphs.h"
#include "view/screen_units.h"

#include <QFontDatabase>
#include <QList>

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// A symbol font: Qt says so, it is the stand-in for Wingdings, or it keeps most of its glyphs
// where symbol fonts do (ordinary fonts may keep a few there, such as ligatures at U+F001).
bool IsSymbolFace(const QString& family)
{
    return QFontDatabase::writingSystems(family).contains(QFontDatabase::Symbol) || IsStandInFace(family) ||
           InstalledSymbolGlyphs(QStringToCp1251(family)).count() > 128;
}

// Whether the dialog offers a bold (italic) style of `family` at all.
bool OffersStyle(const QString& family, bool italic)
{
    const QStringList styles = QFontDatabase::styles(family);
    return std::any_of(styles.begin(), styles.end(), [&](const QString& style) {
        return italic ? QFontDatabase::italic(family, style) : QFontDatabase::bold(family, style);
    });
}

} // namespace

SymbolFont TakeChosenFont(SymbolFont font, const QFont& chosen)
{
    const std::string name = QStringToCp1251(chosen.family());
    if (name != font.Name) {
        font.Charset = IsSymbolFace(chosen.family()) ? kSymbolCharset : kRussianCharset;
        font.Name = name;
    }
    // Qt's dialog shows only the styles a face has, where Windows also offers bold and italic made
    // from the regular style. A face without them (Wingdings among them) could neither show nor
    // change the font's bold or italic: those stay as they were.
    const bool bold = OffersStyle(chosen.family(), false) ? chosen.bold() : font.Style.bold;
    const bool italic = OffersStyle(chosen.family(), true) ? chosen.italic() : font.Style.italic;
    font.Style = FontStyle{bold, italic, chosen.underline(), chosen.strikeOut()};
    const double points = chosen.pointSizeF() > 0 ? chosen.pointSizeF() : PixelsToPoints(chosen.pixelSize());
    const int size = std::max(1, static_cast<int>(std::lround(points)));
    if (size != font.Size) {
        font.Size = size;
        font.Height = -PointsToPixels(font.Size);
    }
    return font;
}

bool SymbolFontDialog::Execute(QWidget* parent)
{
    // The dialog lists Wingdings also where only the program's stand-in serves it.
    RegisterSymbolFonts();
    const std::optional<QFont> chosen = CurrentPrompter().ChooseFont(parent, ToQFont(Font));
    if (!chosen)
        return false;
    Font = TakeChosenFont(Font, *chosen);
    return true;
}

} // namespace velmora
