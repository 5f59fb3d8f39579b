#pragma once

#include "picture/bitmap.h"
#include "scheme/scheme_builder.h"
#include "scheme/scheme_cleanup.h"

#include <QDialog>

class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QSpinBox;

namespace velmora {

// "Очистить схему…": the clean-up passes to make, each with what it would change in the scheme
// shown, and the share of single stitches before and after. The passes run on a copy; the
// scheme itself changes only when the caller applies Options().
class CleanupDialog : public QDialog {
    Q_OBJECT
public:
    // `source` is the picture as the build sampled it, or empty.
    CleanupDialog(const SchemeDocument& scheme, const Bitmap& source, const CleanupOptions& chosen,
                QWidget* parent = nullptr);

    // The passes ticked; the counts of those not ticked are 0.
    CleanupOptions Options() const;

    QCheckBox* cb_Unused = nullptr;
    QCheckBox* cb_Fewest = nullptr;
    QSpinBox* ed_Fewest = nullptr;
    QCheckBox* cb_Confetti = nullptr;
    QSpinBox* ed_Confetti = nullptr;
    // What each pass changes, and the share of single stitches.
    QLabel* lb_Unused = nullptr;
    QLabel* lb_Fewest = nullptr;
    QLabel* lb_Confetti = nullptr;
    QLabel* lb_Share = nullptr;
    QDialogButtonBox* Buttons = nullptr;

private:
    // Runs the passes ticked on a copy of the scheme and shows what they change.
    void ShowPreview();

    const SchemeDocument& scheme_;
    const Bitmap& source_;
};

// "Одиночных крестиков: 3,2 %": a share (0..1) as the dialog and the status bar show it.
QString SingleStitchText(double share);

} // namespace velmora
