#pragma once

#include <QDialog>

class QComboBox;
class QSpinBox;

namespace velmora {

// "Ткань…": the cloth the chart is stitched on, as a count of stitches per inch. The usual
// cloths are offered by name; any count from 6 to 40 may be typed.
class FabricDialog : public QDialog {
    Q_OBJECT
public:
    FabricDialog(int count, QWidget* parent = nullptr);

    int Count() const;

    QComboBox* cb_Cloth = nullptr;
    QSpinBox* ed_Count = nullptr;

private:
    void ClothChosen(int index);
    void CountChanged(int count);
};

} // namespace velmora
