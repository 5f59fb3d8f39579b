#include "stitch_commands.h"

#include <utility>

namespace velmora {

StitchEditCommand::StitchEditCommand(const QString& text, StitchEdit made, Make make,
                                     std::function<SchemeDocument&()> document, Shown shown)
    : edit_(std::move(made)), make_(std::move(make)), document_(std::move(document)), shown_(std::move(shown))
{
    setText(text);
}

void StitchEditCommand::undo()
{
    UndoStitchEdit(document_(), edit_);
    shown_(edit_);
}

void StitchEditCommand::redo()
{
    if (!made_)
        edit_ = make_(document_());
    made_ = false;
    shown_(edit_);
}

CropCommand::CropCommand(SchemeDocument before, SchemeDocument after, std::function<SchemeDocument&()> document,
                         std::function<void()> shown)
    : before_(std::move(before)), after_(std::move(after)), document_(std::move(document)), shown_(std::move(shown))
{
    setText(QStringLiteral("обрезка схемы"));
}

void CropCommand::undo()
{
    document_() = before_;
    shown_();
}

void CropCommand::redo()
{
    document_() = after_;
    shown_();
}

} // namespace velmora
