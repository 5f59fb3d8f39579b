#include "error_box.h"

#include "prompter.h"
#include "scheme/output_file.h"

#include <QApplication>
#include <QRegularExpression>
#include <QStringList>

#include <exception>

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
