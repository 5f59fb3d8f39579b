#include "qt_bridge.h"

#include "scheme/cp1251.h"

#include <QFile>

#include <algorithm>

namespace velmora {

QString Cp1251ToQString(std::string_view text)
{
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (const char ch : text)
        result.append(QChar(static_cast<char16_t>(Cp1251ToUnicode(static_cast<unsigned char>(ch)))));
    return result;
}

std::string QStringToCp1251(const QString& text) { return Utf8ToCp1251(text.toStdString()); }

std::filesystem::path ToPath(const QString& file)
{
#ifdef _WIN32
    return std::filesystem::path(file.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(file).toStdString());
#endif
}

QString ToQString(const std::filesystem::path& file)
{
#ifdef _WIN32
    return QString::fromStdWString(file.wstring());
#else
    return QFile::decodeName(QByteArray::fromStdString(file.string()));
#endif
}

QColor ToQColor(Color color) { return QColor(Red(color), Green(color), Blue(color)); }

QImage ToQImage(const Bitmap& bitmap)
{
    if (bitmap.empty())
        return {};
    QImage image(bitmap.width(), bitmap.height(), QImage::Format_RGB32);
    for (int y = 0; y < bitmap.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (const Color c : bitmap.row(y))
            *line++ = qRgb(Red(c), Green(c), Blue(c));
    }
    return image;
}

Bitmap ToBitmap(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    Bitmap bitmap(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            bitmap.setPixel(x, y, MakeColor(qRed(line[x]), qGreen(line[x]), qBlue(line[x])));
    }
    return bitmap;
}

QColor ToScreenQColor(const QPalette& palette, ColorValue color)
{
    if (!IsSystemColor(color))
        return ToQColor(color);
    switch (SystemColorIndexOf(color)) {
    case SystemColorIndex::Window: return palette.color(QPalette::Base);
    case SystemColorIndex::WindowText: return palette.color(QPalette::Text);
    case SystemColorIndex::Highlight: return palette.color(QPalette::Highlight);
    case SystemColorIndex::HighlightText: return palette.color(QPalette::HighlightedText);
    case SystemColorIndex::ButtonFace: return palette.color(QPalette::Button);
    case SystemColorIndex::ButtonShadow: return palette.color(QPalette::Dark);
    case SystemColorIndex::ButtonText: return palette.color(QPalette::ButtonText);
    }
    return palette.color(QPalette::Base);
}

QColor ToPaperQColor(ColorValue color)
{
    if (!IsSystemColor(color))
        return ToQColor(color);
    switch (SystemColorIndexOf(color)) {
    case SystemColorIndex::Window:
    case SystemColorIndex::HighlightText: return Qt::white;
    case SystemColorIndex::ButtonFace: return QColor(240, 240, 240);
    case SystemColorIndex::Highlight: return QColor(0, 120, 215);
    default: return Qt::black;
    }
}

QFont ToQFont(const GridFont& font)
{
    QFont result(Cp1251ToQString(font.name));
    result.setPixelSize(std::max(1, font.PixelHeight()));
    result.setBold(font.style.bold);
    result.setItalic(font.style.italic);
    result.setUnderline(font.style.underline);
    result.setStrikeOut(font.style.strikeOut);
    return result;
}

QFont ToQFont(const SymbolFont& font)
{
    QFont result(Cp1251ToQString(font.Name));
    result.setPointSize(font.Size > 0 ? font.Size : 1);
    result.setBold(font.Style.bold);
    result.setItalic(font.Style.italic);
    result.setUnderline(font.Style.underline);
    result.setStrikeOut(font.Style.strikeOut);
    if (font.Pitch == FontPitch::Fixed)
        result.setFixedPitch(true);
    return result;
}

} // namespace velmora
