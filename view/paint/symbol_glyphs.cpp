#include "view/paint/symbol_glyphs.h"

#include "scheme/cp1251.h"

#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QRawFont>

#include <array>
#include <unordered_map>

static void InitWingdingsResource() { Q_INIT_RESOURCE(velmora_wingdings); }

namespace velmora {

namespace {

constexpr char32_t kSymbolAreaBase = 0xF000;
const char* const kWingdingsFace = "Wingdings";
const char* const kFallbackSymbolFace = "Symbola";

QString FromUcs4(char32_t c) { return QString::fromUcs4(&c, 1); }

// resources/wingdings-unicode.tsv: code, hex, "U+XXXX" or "-", name, whether Symbola has it.
std::array<char32_t, 256> LoadWingdingsTable()
{
    InitWingdingsResource();
    std::array<char32_t, 256> table{};
    QFile file(QStringLiteral(":/velmora/wingdings-unicode.tsv"));
    if (!file.open(QIODevice::ReadOnly))
        return table;
    file.readLine(); // header
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().trimmed().split('\t');
        if (fields.size() < 3)
            continue;
        bool codeOk = false;
        const int code = fields[0].toInt(&codeOk);
        if (!codeOk || code < 0 || code > 255 || !fields[2].startsWith("U+"))
            continue;
        bool ok = false;
        const uint value = fields[2].mid(2).toUInt(&ok, 16);
        if (ok)
            table[static_cast<std::size_t>(code)] = value;
    }
    return table;
}

// What an installed face offers: whether it is installed at all, and which bytes have a glyph in
// the symbol area U+F000..U+F0FF.
struct FaceInfo {
    bool installed = false;
    std::array<bool, 256> symbolArea{};
};

const FaceInfo& Face(const std::string& name)
{
    // Font lookups are slow and the faces few; painting asks per cell.
    static std::unordered_map<std::string, FaceInfo> cache;
    if (auto it = cache.find(name); it != cache.end())
        return it->second;
    FaceInfo info;
    QFont font(Cp1251ToQString(name));
    font.setPixelSize(16);
    const QFontInfo actual(font);
    info.installed = actual.family().compare(font.family(), Qt::CaseInsensitive) == 0;
    if (info.installed) {
        const QRawFont raw = QRawFont::fromFont(font);
        for (std::size_t b = 0; b < 256; ++b)
            info.symbolArea[b] = raw.supportsCharacter(static_cast<uint>(kSymbolAreaBase + b));
    }
    return cache.emplace(name, info).first->second;
}

} // namespace

QString Cp1251ToQString(std::string_view text)
{
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (const char ch : text)
        result.append(QChar(static_cast<char16_t>(Cp1251ToUnicode(static_cast<unsigned char>(ch)))));
    return result;
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

char32_t WingdingsToUnicode(unsigned char code)
{
    static const std::array<char32_t, 256> table = LoadWingdingsTable();
    return table[code];
}

GlyphRun ShapeText(const GridFont& font, std::string_view text)
{
    GlyphRun run{ToQFont(font), {}};
    if (text.empty())
        return run;
    const auto first = static_cast<unsigned char>(text.front());
    if (font.charset == kSymbolCharset) {
        const FaceInfo& face = Face(font.name);
        if (face.installed && face.symbolArea[first]) {
            for (const char ch : text)
                run.text += FromUcs4(kSymbolAreaBase + static_cast<unsigned char>(ch));
            return run;
        }
    }
    if (QString::fromLatin1(font.name.c_str()).compare(QLatin1String(kWingdingsFace), Qt::CaseInsensitive) == 0 &&
        first > ' ') {
        run.font.setFamily(QString::fromLatin1(kFallbackSymbolFace));
        for (const char ch : text) {
            const auto code = static_cast<unsigned char>(ch);
            const char32_t mapped = WingdingsToUnicode(code);
            if (mapped != 0)
                run.text += FromUcs4(mapped);
            else if (code == 127 || code == 255)
                run.text += FromUcs4(kNoEquivalentGlyph);
            else
                run.text += QChar(static_cast<char16_t>(Cp1251ToUnicode(code)));
        }
        return run;
    }
    run.text = Cp1251ToQString(text);
    return run;
}

const TextSprite& GlyphCache::Get(const GridFont& font, QRgb color, qreal pixelRatio, std::string_view text)
{
    // Built in place and in binary: this runs several times for every cell painted.
    const auto append = [this](const auto& value) {
        key_.append(reinterpret_cast<const char*>(&value), sizeof value);
    };
    const unsigned char style = static_cast<unsigned char>(font.style.bold | font.style.italic << 1 |
                                                           font.style.underline << 2 | font.style.strikeOut << 3);
    key_.clear();
    append(font.size);
    append(font.charset);
    append(style);
    append(color);
    append(pixelRatio);
    append(font.name.size());
    key_ += font.name;
    key_ += text;
    if (last_ != nullptr && key_ == lastKey_)
        return *last_;
    lastKey_ = key_;
    if (auto it = sprites_.find(key_); it != sprites_.end()) {
        last_ = &it->second;
        return it->second;
    }
    if (sprites_.size() >= kMaxEntries)
        sprites_.clear();

    const GlyphRun run = ShapeText(font, text);
    const QFontMetrics metrics(run.font);
    TextSprite sprite;
    sprite.extent = QSize(metrics.horizontalAdvance(run.text), metrics.height());
    sprite.ascent = metrics.ascent();
    // Ink may reach beyond the box (bearings, italics); the sprite holds both, with a pixel to spare.
    const QRect ink = metrics.boundingRect(run.text).translated(0, sprite.ascent);
    sprite.bounds = ink.united(QRect(QPoint(0, 0), sprite.extent)).adjusted(-1, -1, 1, 1);
    if (!run.text.isEmpty() && !sprite.bounds.isEmpty()) {
        sprite.image = QImage(sprite.bounds.size() * pixelRatio, QImage::Format_ARGB32_Premultiplied);
        sprite.image.setDevicePixelRatio(pixelRatio);
        sprite.image.fill(Qt::transparent);
        QPainter painter(&sprite.image);
        painter.setFont(run.font);
        painter.setPen(QColor::fromRgb(color));
        painter.drawText(QPoint(-sprite.bounds.left(), sprite.ascent - sprite.bounds.top()), run.text);
    }
    last_ = &sprites_.emplace(key_, std::move(sprite)).first->second;
    return *last_;
}

} // namespace velmora
