#include "error_box.h"

#include "prompter.h"
#include "files/output_file.h"
#include "files/system_reason.h"
#include "view/paint/qt_bridge.h"

#include <QApplication>
#include <QDir>
#include <QRegularExpression>
#include <QStringList>

#include <exception>
#include <stdexcept>
#include <string>

namespace velmora {
namespace {

void ShowErrorBox(const QString& text)
{
    CurrentPrompter().ShowError(QApplication::activeWindow(), QString::fromUtf8(kApplicationTitle), text);
}

} // namespace

QString ErrorBoxText(const QString& message)
{
    static const QRegularExpression path(QStringLiteral(R"(^(/|[A-Za-z]:\\|\\\\))"));
    QStringList lines;
    for (const QString& line : message.split(QLatin1Char('\n'))) {
        const QString escaped = line.toHtmlEscaped();
        lines << (path.match(line).hasMatch() ? QStringLiteral("<nobr>") + escaped + QStringLiteral("</nobr>") : escaped);
    }
    return lines.join(QStringLiteral("<br>"));
}

QString MessageText(std::string_view message)
{
    return QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size()));
}

QString SystemReasonText(int errorNumber, std::string_view systemText)
{
    const std::string russian = RussianSystemReason(errorNumber);
    return MessageText(russian.empty() ? systemText : std::string_view(russian));
}

void ThrowNotWritten(const FileWriteError& error, const std::filesystem::path& file)
{
    QString text = QStringLiteral("Не удалось записать файл\n") + QDir::toNativeSeparators(ToQString(file));
    const QString reason = SystemReasonText(error.errorNumber(), error.reason());
    if (!reason.isEmpty())
        text += QLatin1Char('\n') + reason;
    throw std::runtime_error(text.toStdString());
}

bool RunGuarded(const std::function<void()>& step)
{
    try {
        step();
        return true;
    } catch (const WriteCancelled&) {
        // The user's own choice: the step stops without a word.
    } catch (const std::exception& error) {
        ShowErrorBox(MessageText(error.what()));
    } catch (...) {
        ShowErrorBox(QStringLiteral("Неизвестная ошибка"));
    }
    return false;
}

} // namespace velmora
