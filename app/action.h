#pragma once

#include <QAction>
#include <QString>

namespace velmora {

// A command as the data module keeps it: a QAction given its hint whole ("short|long"; the short
// part becomes the tooltip, the long part the status bar text).
class HintedAction : public QAction {
public:
    using QAction::QAction;

    void SetHint(const QString& hint);
};

// The two parts of a hint: before and after the first vertical bar; a hint without a bar is both.
struct HintParts {
    QString Short;
    QString Long;
};
HintParts SplitHint(const QString& hint);

} // namespace velmora
