#pragma once

// The conversions between the core's plain data and Qt's types, one of each, for everything on
// the Qt side: texts, file names, colours and pictures.

#include "picture/bitmap.h"
#include "picture/color.h"
#include "view/cell_text_placement.h"
#include "view/grid_model.h"
#include "view/symbol_font.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPalette>
#include <QRect>
#include <QString>

#include <filesystem>
#include <string>
#include <string_view>

namespace velmora {

// Texts of the program are Windows-1251; this is how they reach Qt and come back. Characters the
// code page lacks come back as '?'.
QString Cp1251ToQString(std::string_view text);
std::string QStringToCp1251(const QString& text);

// A file name from Qt as the standard library opens it: the name in the local 8-bit encoding
// (QFile::encodeName) on POSIX, as UTF-16 on Windows.
std::filesystem::path ToPath(const QString& file);
// And back, for showing a file's name.
QString ToQString(const std::filesystem::path& file);

// A colour of the core (red in the low byte; bits above the 24 of the colour are ignored).
QColor ToQColor(Color color);

// A grid's colour on screen: a system colour from the palette, any other as it stands.
QColor ToScreenQColor(const QPalette& palette, ColorValue color);
// A grid's colour on paper, which is white whatever the screen's palette: the system colours take
// their usual values.
QColor ToPaperQColor(ColorValue color);

// A grid's font as the painter takes it: face, style and the pixel height at 96 dpi.
QFont ToQFont(const GridFont& font);
// The symbol font as Qt shows it on screen: face, style and the size in points.
QFont ToQFont(const SymbolFont& font);

// The bitmap as a Qt image of the same size (a null image for an empty bitmap), and back.
QImage ToQImage(const Bitmap& bitmap);
Bitmap ToBitmap(const QImage& image);

// A widget's rectangle (right and bottom inside it) as a cell's box (right and bottom outside).
inline CellBox ToCellBox(const QRect& rect)
{
    return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

} // namespace velmora
