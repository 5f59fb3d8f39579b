#include "cleanup_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace velmora {
namespace {

QString Percent(double share)
{
    return QString::number(share * 100, 'f', 1).replace(QLatin1Char('.'), QLatin1Char(',')) + QStringLiteral(" %");
}

QString Count(int n) { return QLocale(QLocale::Russian).toString(n); }

QString ChangesText(const CleanupPassChanges& changes)
{
    if (changes.stitches == 0 && changes.rowsChanged == 0)
        return QStringLiteral("ничего не изменится");
    if (changes.stitches == 0)
        return QStringLiteral("уйдёт строк: %1").arg(Count(changes.rowsRemoved));
    QString text = QStringLiteral("изменится крестиков: %1, строк: %2").arg(Count(changes.stitches), Count(changes.rowsChanged));
    if (changes.rowsRemoved > 0)
        text += QStringLiteral(", из них уйдёт: %1").arg(Count(changes.rowsRemoved));
    return text;
}

QLabel* PreviewLabel(const char* name, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 52);
    return label;
}

} // namespace

QString SingleStitchText(double share) { return QStringLiteral("Одиночных крестиков: ") + Percent(share); }

CleanupDialog::CleanupDialog(const SchemeDocument& scheme, const Bitmap& source, const CleanupOptions& chosen,
                         QWidget* parent)
    : QDialog(parent), scheme_(scheme), source_(source)
{
    setObjectName(QStringLiteral("fm_Cleanup"));
    setWindowTitle(QStringLiteral("Очистить схему"));

    cb_Unused = new QCheckBox(QStringLiteral("Убрать неиспользуемые нитки"), this);
    cb_Unused->setObjectName(QStringLiteral("cb_Unused"));
    cb_Unused->setToolTip(QStringLiteral("Строки расшифровки без крестиков и без бэкстича уходят вместе с символами"));

    cb_Fewest = new QCheckBox(QStringLiteral("Не меньше крестиков на нитку:"), this);
    cb_Fewest->setObjectName(QStringLiteral("cb_Fewest"));
    cb_Fewest->setToolTip(QStringLiteral("Крестики нитки, у которой их меньше, переходят к соседней нитке, "
                                         "ближайшей по цвету"));
    ed_Fewest = new QSpinBox(this);
    ed_Fewest->setObjectName(QStringLiteral("ed_Fewest"));
    ed_Fewest->setRange(1, kMaxFewestStitches);

    cb_Confetti = new QCheckBox(QStringLiteral("Убрать одиночные крестики, в группе не больше:"), this);
    cb_Confetti->setObjectName(QStringLiteral("cb_Confetti"));
    cb_Confetti->setToolTip(QStringLiteral("Крестик или группа крестиков без соседей своей нитки получает соседнюю "
                                           "нитку, ближайшую по цвету к исходному изображению"));
    ed_Confetti = new QSpinBox(this);
    ed_Confetti->setObjectName(QStringLiteral("ed_Confetti"));
    ed_Confetti->setRange(1, kMaxConfettiGroup);

    lb_Unused = PreviewLabel("lb_Unused", this);
    lb_Fewest = PreviewLabel("lb_Fewest", this);
    lb_Confetti = PreviewLabel("lb_Confetti", this);
    lb_Share = new QLabel(this);
    lb_Share->setObjectName(QStringLiteral("lb_Share"));

    auto* passes = new QGridLayout;
    passes->addWidget(cb_Unused, 0, 0);
    passes->addWidget(cb_Fewest, 1, 0);
    passes->addWidget(ed_Fewest, 1, 1);
    passes->addWidget(cb_Confetti, 2, 0);
    passes->addWidget(ed_Confetti, 2, 1);
    passes->setColumnStretch(2, 1);

    auto* preview = new QGroupBox(QStringLiteral("Что изменится"), this);
    preview->setObjectName(QStringLiteral("gb_Preview"));
    auto* previewRows = new QGridLayout(preview);
    previewRows->addWidget(new QLabel(QStringLiteral("Неиспользуемые нитки:"), preview), 0, 0);
    previewRows->addWidget(lb_Unused, 0, 1);
    previewRows->addWidget(new QLabel(QStringLiteral("Мало крестиков:"), preview), 1, 0);
    previewRows->addWidget(lb_Fewest, 1, 1);
    previewRows->addWidget(new QLabel(QStringLiteral("Одиночные крестики:"), preview), 2, 0);
    previewRows->addWidget(lb_Confetti, 2, 1);
    previewRows->addWidget(lb_Share, 3, 0, 1, 2);
    previewRows->setColumnStretch(1, 1);

    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    Buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Применить"));
    Buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(passes);
    layout->addWidget(preview);
    layout->addWidget(Buttons);

    cb_Unused->setChecked(chosen.removeUnused);
    cb_Fewest->setChecked(chosen.fewestStitches > 0);
    ed_Fewest->setValue(chosen.fewestStitches > 0 ? chosen.fewestStitches : kDefaultFewestStitches);
    cb_Confetti->setChecked(chosen.confettiGroup > 0);
    ed_Confetti->setValue(chosen.confettiGroup > 0 ? chosen.confettiGroup : kDefaultConfettiGroup);
    for (QCheckBox* box : {cb_Unused, cb_Fewest, cb_Confetti})
        connect(box, &QCheckBox::toggled, this, &CleanupDialog::ShowPreview);
    for (QSpinBox* count : {ed_Fewest, ed_Confetti})
        connect(count, &QSpinBox::valueChanged, this, &CleanupDialog::ShowPreview);
    ShowPreview();
}

CleanupOptions CleanupDialog::Options() const
{
    return {cb_Unused->isChecked(), cb_Fewest->isChecked() ? ed_Fewest->value() : 0,
            cb_Confetti->isChecked() ? ed_Confetti->value() : 0};
}

void CleanupDialog::ShowPreview()
{
    ed_Fewest->setEnabled(cb_Fewest->isChecked());
    ed_Confetti->setEnabled(cb_Confetti->isChecked());
    const CleanupOptions options = Options();
    Buttons->button(QDialogButtonBox::Ok)->setEnabled(options != CleanupOptions{});
    SchemeDocument cleaned = scheme_;
    const CleanupResult result = CleanUpScheme(cleaned, options, source_);
    const std::pair<QLabel*, bool> rows[] = {
        {lb_Unused, options.removeUnused}, {lb_Fewest, options.fewestStitches > 0}, {lb_Confetti, options.confettiGroup > 0}};
    for (std::size_t pass = 0; pass < result.passes.size(); ++pass)
        rows[pass].first->setText(rows[pass].second ? ChangesText(result.passes[pass]) : QStringLiteral("—"));
    lb_Share->setText(QStringLiteral("Одиночных крестиков сейчас: %1, после очистки: %2")
                          .arg(Percent(SingleStitchShare(scheme_)), Percent(SingleStitchShare(cleaned))));
}

} // namespace velmora
