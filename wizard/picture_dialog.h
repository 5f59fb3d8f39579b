#pragma once

#include <QString>

#include <optional>

class QFileDialog;

namespace velmora {

// Shows the picture-open dialog modally, with a preview of the selected picture beside the list
// (added on the first showing). The chosen file's full path, or nothing when cancelled.
std::optional<QString> RunOpenPictureDialog(QFileDialog& dialog);

} // namespace velmora
