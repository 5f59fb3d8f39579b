#pragma once

#include <QSpinBox>

class QLineEdit;

namespace velmora {

// A number in a read-only edit with up-down arrows at its right: the user changes it by the
// arrows, with the mouse or the arrow keys, one step at a time and without wrapping around.
// AcceptTyping lets the user type a number as well and step by ten with the page keys. Before a
// change by the user takes effect, changingEx announces the value proposed (a typed number as the
// edit takes it, on Enter or on leaving the edit); values set by the program announce nothing.
class CountSpinBox : public QSpinBox {
    Q_OBJECT
public:
    CountSpinBox(int minimum, int maximum, int position, QWidget* parent = nullptr);

    // The edit part, which shows the number.
    QLineEdit* Edit() const { return lineEdit(); }

    int Position() const { return value(); }
    // Sets the position, held to the range.
    void SetPosition(int position);

    // The edit takes typed numbers within the range, and PageUp and PageDown step by ten.
    void AcceptTyping();

    void stepBy(int steps) override;

signals:
    void changingEx(int newValue);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool typing_ = false;
    bool announced_ = false; // the change under way has been announced, or is the program's own
};

} // namespace velmora
