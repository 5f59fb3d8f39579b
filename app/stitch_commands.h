#pragma once

#include "scheme/scheme_builder.h"
#include "scheme/stitch_edit.h"

#include <QUndoCommand>

#include <functional>

namespace velmora {

// An edit of the stitches or the lines of the scheme shown, one step of the undo stack. It is made
// before it is pushed, so that a refused edit never reaches the stack; the first redo, which the
// push runs, only shows it, and a later redo makes it again with `make`.
class StitchEditCommand final : public QUndoCommand {
public:
    using Make = std::function<StitchEdit(SchemeDocument&)>;
    // Shows what an edit, its undo or its redo changed.
    using Shown = std::function<void(const StitchEdit&)>;

    StitchEditCommand(const QString& text, StitchEdit made, Make make, std::function<SchemeDocument&()> document,
                      Shown shown);

    void undo() override;
    void redo() override;

private:
    StitchEdit edit_;
    Make make_;
    std::function<SchemeDocument&()> document_;
    Shown shown_;
    bool made_ = true;
};

// The scheme cut to a window. A crop is rare and changes every view: the step keeps the scheme
// before and after it whole.
class CropCommand final : public QUndoCommand {
public:
    CropCommand(SchemeDocument before, SchemeDocument after, std::function<SchemeDocument&()> document,
                std::function<void()> shown);

    void undo() override;
    void redo() override;

private:
    SchemeDocument before_;
    SchemeDocument after_;
    std::function<SchemeDocument&()> document_;
    std::function<void()> shown_;
};

} // namespace velmora
