#include "action.h"

namespace velmora {

HintParts SplitHint(const QString& hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    if (bar < 0)
        return {hint, hint};
    return {hint.left(bar), hint.mid(bar + 1)};
}

void HintedAction::SetHint(const QString& hint)
{
    const HintParts parts = SplitHint(hint);
    setToolTip(parts.Short);
    setStatusTip(parts.Long);
}

} // namespace velmora
