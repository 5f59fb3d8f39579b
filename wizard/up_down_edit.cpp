#include "up_down_edit.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

namespace velmora {

TUpDownEdit::TUpDownEdit(int minimum, int maximum, int position, QWidget* parent) : QSpinBox(parent)
{
    setRange(minimum, maximum);
    setValue(position);
    setSingleStep(1);
    setWrapping(false);
    setAccelerated(false);
    // The spin box stays steppable; only its text cannot be typed into.
    lineEdit()->setReadOnly(true);
    setFocusPolicy(Qt::StrongFocus);
}

void TUpDownEdit::stepBy(int steps)
{
    const int proposed = std::clamp(value() + steps, minimum(), maximum());
    if (proposed == value())
        return;
    emit changingEx(proposed);
    setValue(proposed);
}

void TUpDownEdit::keyPressEvent(QKeyEvent* event)
{
    // The arrows step by one; a page key would step by ten.
    if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown) {
        event->ignore();
        return;
    }
    QSpinBox::keyPressEvent(event);
}

} // namespace velmora
