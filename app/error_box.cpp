#include "error_box.h"

#include "prompter.h"
#include "view/paint/qt_bridge.h"

#include <QApplication>
#include <QStringDecoder>

#include <exception>

namespace velmora {
namespace {

void ShowErrorBox(const QString& text)
{
    CurrentPrompter().ShowError(QApplication::activeWindow(), QString::fromUtf8(kApplicationTitle), text);
}

} // namespace

QString MessageText(std::string_view message)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(QByteArrayView(message.data(), static_cast<qsizetype>(message.size())));
    if (!utf8.hasError())
        return text;
    return Cp1251ToQString(message);
}

bool RunGuarded(const std::function<void()>& step)
{
    try {
        step();
        return true;
    } catch (const std::exception& error) {
        ShowErrorBox(MessageText(error.what()));
    } catch (...) {
        ShowErrorBox(QStringLiteral("Неизвестная ошибка"));
    }
    return false;
}

} // namespace velmora
