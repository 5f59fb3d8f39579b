#include "prompter.h"

#include <QFontDialog>
#include <QMessageBox>

namespace velmora {
namespace {

class DialogPrompter final : public Prompter {
public:
    bool Confirm(QWidget* parent, const QString& caption, const QString& text) override
    {
        return QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    }

    void ShowError(QWidget* parent, const QString& caption, const QString& text) override
    {
        QMessageBox::critical(parent, caption, text);
    }

    std::optional<QFont> ChooseFont(QWidget* parent, const QFont& initial) override
    {
        // Qt's own dialog: it lists every font and has the effects (underline, strike-out) that a
        // desktop's native chooser may leave out.
        bool ok = false;
        const QFont chosen =
            QFontDialog::getFont(&ok, initial, parent, QString(), QFontDialog::DontUseNativeDialog);
        if (!ok)
            return std::nullopt;
        return chosen;
    }
};

Prompter* installed = nullptr;

} // namespace

Prompter& CurrentPrompter()
{
    static DialogPrompter real;
    return installed != nullptr ? *installed : real;
}

Prompter* InstallPrompter(Prompter* prompter)
{
    Prompter* previous = installed;
    installed = prompter;
    return previous;
}

} // namespace velmora
