#include "window_font.h"

#include <QStringList>

namespace velmora {

QFont WindowBaseFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(11);
    return font;
}

} // namespace velmora
