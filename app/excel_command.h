#pragma once

#include <QString>

#include <functional>

namespace velmora {

class MainWindow;

// How the export hands its workbook to the desktop's spreadsheet application, as Excel showed
// itself with the new workbook. Throws, saying why, when no application can show it. Tests put in
// their own.
using SpreadsheetOpen = std::function<void(const QString& file)>;

// Installs `open` (empty: the desktop's application again) and returns the one it replaces.
SpreadsheetOpen InstallSpreadsheetOpen(SpreadsheetOpen open);

// "В Excel ->": writes the scheme shown in the main window (the chart grid's texts and current
// font, the legend, the reduced picture) to a new workbook of a unique name in the user's
// temporary folder, then opens it. A long write shows its progress; "Отмена" removes the workbook,
// opens nothing and throws WriteCancelled. A failure throws with a message saying what failed.
// A workbook that could not be written whole is removed, so the user finds nothing half-done; one
// that no application could open is kept, and the message names its full path on a line of its
// own. The messages are Russian, as everything the window says.
void RunExcelCommand(MainWindow& main);

} // namespace velmora
