#pragma once

#include "view/symbol_font.h"

#include <QFont>

class QWidget;

namespace velmora {

// The symbol-font dialog: it holds the one symbol font of the application and lets the user
// change it.
class SymbolFontDialog {
public:
    SymbolFont Font;

    // Shows the dialog modally, initialised with Font. On OK, Font takes the chosen face, style,
    // size and character set (its colour stays); on Cancel it stays as it was. True on OK.
    bool Execute(QWidget* parent);
};


// `font` after the user chose `chosen` in the dialog. Qt fonts carry no character set: a new face
// gets the symbol set when it is a symbol font and the Cyrillic set otherwise; the same face keeps
// the set it had. Bold and italic stay as they were where the chosen face offers no such style.
SymbolFont TakeChosenFont(SymbolFont font, const QFont& chosen);

} // namespace velmora
