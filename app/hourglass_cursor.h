#pragma once

#include <QCursor>
#include <QGuiApplication>

namespace velmora {

// The application's hourglass for as long as the guard lives: the cursor returns to normal
// however the work ends, an exception included.
class HourglassCursor {
public:
    HourglassCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~HourglassCursor() { QGuiApplication::restoreOverrideCursor(); }
    HourglassCursor(const HourglassCursor&) = delete;
    HourglassCursor& operator=(const HourglassCursor&) = delete;
};

} // namespace velmora
