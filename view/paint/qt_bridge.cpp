#include "qt_bridge.h"

#include "scheme/cp1251.h"

#include <QFile>

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

} // namespace velmora
