#include "view/paint/symbol_glyphs.h"


#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QRawFont>

#include <optional>
#include <unordered_map>

static void InitWingdingsResource() { Q_INIT_RESOURCE(velmora_wingdings); }

namespace velmora {

namespace {

const char* const kWingdingsFace = "Wingdings";
const char* const kStandInFile = ":/velmora/wingdings-stand-in.ttf";
// Draws the Wingdings equivalents where a real Wingdings is installed, which has glyphs only in the
// symbol area; asked for by name so that no colour-emoji font is picked.
const char* const kEquivalentsFace = "Symbola";

QString FromUcs4(char32_t c) { return QString::fromUcs4(&c, 1); }

// Whether the stand-in serves "Wingdings"; nothing before a QGuiApplication exists. The stand-in
// (resources/make_symbol_font.py) keeps each pictograph at its Unicode equivalent and at
// U+F000 + b. The second one matters for the PDFs: Qt builds a PDF font's text map by walking the
// code points U+0000..U+FFFF only, so a glyph reached only from beyond U+FFFF (clocks, folders,
// 👍, …) would get no entry and could not be read out of the PDF; with a 16-bit code point
// every glyph gets one.
bool StandInRegistered()
{
    static std::optional<bool> registered;
    if (!registered && qGuiApp != nullptr) {
        registered = false;
        if (!QFontDatabase::families().contains(QLatin1String(kWingdingsFace), Qt::CaseInsensitive)) {
            InitWingdingsResource();
            registered = QFontDatabase::addApplicationFont(QString::fromLatin1(kStandInFile)) >= 0;
        }
    }
    return registered.value_or(false);
}

// What a face offers: whether the stand-in serves it, and which bytes an installed face has glyphs
// for in the symbol area U+F000..U+F0FF.
struct FaceInfo {
    bool standIn = false;
    SymbolAreaGlyphs symbolArea;
};

const FaceInfo& Face(std::string_view name)
{
    // Without a GUI application no font can be asked about: every face counts as missing.
    static const FaceInfo unknown;
    if (qGuiApp == nullptr)
        return unknown;
    // Font lookups are slow and the faces few; painting asks per cell.
    static std::unordered_map<std::string, FaceInfo> cache;
    if (auto it = cache.find(std::string(name)); it != cache.end())
        return it->second;
    FaceInfo info;
    if (IsWingdingsFace(name) && StandInRegistered()) {
        info.standIn = true;
    } else {
        QFont font(Cp1251ToQString(name));
        font.setPixelSize(16);
        if (QFontInfo(font).family().compare(font.family(), Qt::CaseInsensitive) == 0) {
            const QRawFont raw = QRawFont::fromFont(font);
            for (std::size_t b = 0; b < 256; ++b)
                info.symbolArea[b] = raw.supportsCharacter(static_cast<uint>(kSymbolAreaBase + b));
        }
    }
    return cache.emplace(std::string(name), info).first->second;
}

} // namespace

void RegisterSymbolFonts() { StandInRegistered(); }

bool IsStandInFace(const QString& family)
{
    return StandInRegistered() && family.compare(QLatin1String(kWingdingsFace), Qt::CaseInsensitive) == 0;
}

SymbolAreaGlyphs InstalledSymbolGlyphs(std::string_view name) { return Face(name).symbolArea; }

GlyphRun ShapeText(const GridFont& font, std::string_view text)
{
    GlyphRun run{ToQFont(font), {}};
    if (text.empty())
        return run;
    const FaceInfo& face = Face(font.name);
    bool equivalents = false;
    for (const char ch : text) {
        const auto code = static_cast<unsigned char>(ch);
        const char32_t shown = SymbolCharacter(font, face.symbolArea, code);
        equivalents = equivalents || (shown != kSymbolAreaBase + code && shown == WingdingsEquivalent(code));
        run.text += FromUcs4(shown);
    }
    // The stand-in has every equivalent; a real Wingdings has none of them.
    if (equivalents && !face.standIn && IsWingdingsFace(font.name))
        run.font.setFamily(QString::fromLatin1(kEquivalentsFace));
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
