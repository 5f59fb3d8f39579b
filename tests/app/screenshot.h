#pragma once

#include <QString>
#include <QWidget>

namespace velmora::test {

// VELMORA_SCREENSHOT_DIR, when set, receives a picture of `widget` as NAME.png, for looking at.
inline void SaveScreenshot(QWidget& widget, const QString& name)
{
    const QString folder = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        widget.grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

inline void SaveScreenshot(QWidget& widget, const char* name) { SaveScreenshot(widget, QString::fromLatin1(name)); }

} // namespace velmora::test
