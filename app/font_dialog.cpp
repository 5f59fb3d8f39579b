#include "font_dialog.h"

#include "prompter.h"
#include "scheme/cp1251.h"

#include <QFontDatabase>
#include <QList>

#include <algorithm>
#include <cmath>

namespace velmora {

QFont ToQFont(const SymbolFont& font)
{
    QFont result(QString::fromStdString(Cp1251ToUtf8(font.Name)));
    result.setPointSize(font.Size > 0 ? font.Size : 1);
    result.setBold(font.Style.bold);
    result.setItalic(font.Style.italic);
    result.setUnderline(font.Style.underline);
    result.setStrikeOut(font.Style.strikeOut);
    if (font.Pitch == TFontPitch::fpFixed)
        result.setFixedPitch(true);
    return result;
}

SymbolFont TakeChosenFont(SymbolFont font, const QFont& chosen)
{
    const std::string name = Utf8ToCp1251(chosen.family().toStdString());
    if (name != font.Name) {
        const bool symbol = QFontDatabase::writingSystems(chosen.family()).contains(QFontDatabase::Symbol);
        font.Charset = symbol ? kSymbolCharset : kRussianCharset;
        font.Name = name;
    }
    font.Style = FontStyle{chosen.bold(), chosen.italic(), chosen.underline(), chosen.strikeOut()};
    const double points = chosen.pointSizeF() > 0 ? chosen.pointSizeF() : chosen.pixelSize() * 72.0 / 96.0;
    font.Size = std::max(1, static_cast<int>(std::lround(points)));
    // The height that goes with the size at 96 dots per inch.
    font.Height = -static_cast<int>(std::lround(font.Size * 96.0 / 72.0));
    return font;
}

bool TFontDialog::Execute(QWidget* parent)
{
    const std::optional<QFont> chosen = CurrentPrompter().ChooseFont(parent, ToQFont(Font));
    if (!chosen)
        return false;
    Font = TakeChosenFont(Font, *chosen);
    return true;
}

} // namespace velmora
