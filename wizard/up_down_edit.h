#pragma once

#include <QSpinBox>

class QLineEdit;

namespace velmora {

// A number in a read-only edit with up-down arrows at its right: the user changes it only by the
// arrows, with the mouse or the arrow keys, one step at a time and without wrapping around.
// Before a change by the user takes effect, changingEx announces the value proposed; values set
// by the program announce nothing.
class TUpDownEdit : public QSpinBox {
    Q_OBJECT
public:
    TUpDownEdit(int minimum, int maximum, int position, QWidget* parent = nullptr);

    // The edit part, which shows the number.
    QLineEdit* Edit() const { return lineEdit(); }

    int Position() const { return value(); }
    // Sets the position, held to the range.
    void SetPosition(int position) { setValue(position); }

    void stepBy(int steps) override;

signals:
    void changingEx(int newValue);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace velmora
