#include "count_spin_box.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

namespace velmora {

CountSpinBox::CountSpinBox(int minimum, int maximum, int position, QWidget* parent) : QSpinBox(parent)
{
    setRange(minimum, maximum);
    setValue(position);
    setSingleStep(1);
    setWrapping(false);
    setAccelerated(false);
    // The spin box stays steppable; only its text cannot be typed into.
    lineEdit()->setReadOnly(true);
    setFocusPolicy(Qt::StrongFocus);
    // A typed number arrives as a change of value nobody announced.
    connect(this, &QSpinBox::valueChanged, this, [this](int newValue) {
        if (!announced_)
            emit changingEx(newValue);
    });
}

void CountSpinBox::SetPosition(int position)
{
    announced_ = true;
    setValue(position);
    announced_ = false;
}

void CountSpinBox::AcceptTyping()
{
    typing_ = true;
    lineEdit()->setReadOnly(false);
    // The number takes effect once typed out (Enter, or leaving the edit), not digit by digit:
    // "451" passes through 4 and 45 on its way, and each would reshape the other side.
    setKeyboardTracking(false);
}

void CountSpinBox::stepBy(int steps)
{
    const int proposed = std::clamp(value() + steps, minimum(), maximum());
    if (proposed == value())
        return;
    emit changingEx(proposed);
    SetPosition(proposed);
}

void CountSpinBox::keyPressEvent(QKeyEvent* event)
{
    // The arrows step by one; the page keys step by ten where typing is allowed.
    if (!typing_ && (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown)) {
        event->ignore();
        return;
    }
    QSpinBox::keyPressEvent(event);
}

} // namespace velmora
