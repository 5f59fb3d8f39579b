#pragma once

#include <QString>

#include <filesystem>
#include <functional>
#include <string_view>

namespace velmora {

class FileWriteError;

// The application's title: the caption of the error box and the name the desktop shows.
inline constexpr char kApplicationTitle[] = "Velmora 2";

// Runs one command, start-up step or shutdown step. An exception that escapes it is shown in the
// application's error box (its text, the error icon, the application title as caption) and the
// program goes on; the result says whether the step ran to its end. A write the user cancelled
// (WriteCancelled) ends the step without a box. This is the one place in the
// shell that catches broadly.
bool RunGuarded(const std::function<void()>& step);

// A message as the error box shows it: rich text in which every line stays a line, and a line that
// is a file's path (it begins with "/", "X:\" or "\\") is never broken, however narrow the box.
QString ErrorBoxText(const QString& message);

// A system's reason for the screen: in Russian where the error number has a translation, else the
// system's own text.
QString SystemReasonText(int errorNumber, std::string_view systemText);

// A file that could not be written, said in the window's language: "Не удалось записать файл",
// the file on a line of its own, then the reason (SystemReasonText).
[[noreturn]] void ThrowNotWritten(const FileWriteError& error, const std::filesystem::path& file);

// The text of an exception's message for the screen. Every message is UTF-8: where a message takes
// in one of the scheme's Windows-1251 texts, the code that builds it converts that text.
QString MessageText(std::string_view message);

} // namespace velmora
