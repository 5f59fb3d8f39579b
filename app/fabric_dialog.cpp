#include "fabric_dialog.h"

#include "scheme/skeins.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace velmora {

namespace {

// The cloths a stitcher buys, each with the count it is stitched at: evenweave over two threads
// gives half its thread count.
struct Cloth {
    const char* name;
    int count;
};
constexpr Cloth kCloths[] = {
    {"Аида 11", 11},
    {"Аида 14", 14},
    {"Аида 16", 16},
    {"Аида 18", 18},
    {"Аида 20", 20},
    {"Равномерная 28, через две нити (14)", 14},
    {"Равномерная 32, через две нити (16)", 16},
};

} // namespace

FabricDialog::FabricDialog(int count, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fm_Fabric"));
    setWindowTitle(QStringLiteral("Ткань"));

    cb_Cloth = new QComboBox(this);
    cb_Cloth->setObjectName(QStringLiteral("cb_Cloth"));
    cb_Cloth->addItem(QStringLiteral("Другая"), 0);
    for (const Cloth& cloth : kCloths)
        cb_Cloth->addItem(QString::fromUtf8(cloth.name), cloth.count);
    cb_Cloth->setToolTip(QStringLiteral("Канва или равномерная ткань"));

    ed_Count = new QSpinBox(this);
    ed_Count->setObjectName(QStringLiteral("ed_Count"));
    ed_Count->setRange(kSmallestFabricCount, kLargestFabricCount);
    ed_Count->setToolTip(QStringLiteral("Сколько крестиков помещается на дюйме ткани (2,54 см)"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Ткань:"), cb_Cloth);
    form->addRow(QStringLiteral("Крестиков на дюйм:"), ed_Count);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(cb_Cloth, &QComboBox::activated, this, &FabricDialog::ClothChosen);
    connect(ed_Count, &QSpinBox::valueChanged, this, &FabricDialog::CountChanged);
    ed_Count->setValue(std::clamp(count, kSmallestFabricCount, kLargestFabricCount));
    CountChanged(ed_Count->value());
}

int FabricDialog::Count() const { return ed_Count->value(); }

void FabricDialog::ClothChosen(int index)
{
    const int count = cb_Cloth->itemData(index).toInt();
    if (count == 0)
        return;
    const QSignalBlocker blocker(ed_Count);
    ed_Count->setValue(count);
}

void FabricDialog::CountChanged(int count)
{
    // The first cloth of that count, or "Другая".
    const QSignalBlocker blocker(cb_Cloth);
    const int index = cb_Cloth->findData(count);
    cb_Cloth->setCurrentIndex(index >= 0 ? index : 0);
}

} // namespace velmora
