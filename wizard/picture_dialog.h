#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QFileDialog;

namespace velmora {

// The picture-open dialog's filters: every kind of picture the program reads, offered first, then
// the bitmaps and JPEG files of old.
QStringList PictureNameFilters();

// Shows the picture-open dialog modally, with a preview of the selected picture beside the list
// (added on the first showing). The chosen file's full path, or nothing when cancelled.
std::optional<QString> RunOpenPictureDialog(QFileDialog& dialog);

} // namespace velmora
