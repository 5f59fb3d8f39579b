#include "prompter.h"

#include "error_box.h"

#include <QFileDialog>
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
        QMessageBox box(QMessageBox::Critical, caption, ErrorBoxText(text), QMessageBox::Ok, parent);
        box.setTextFormat(Qt::RichText);
        box.exec();
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

    Answer AskYesNoCancel(QWidget* parent, const QString& caption, const QString& text) override
    {
        switch (QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                      QMessageBox::Yes)) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return Answer::Cancel;
        }
    }

    // Qt's own dialogs, as the picture dialog: the same on every desktop, and in Russian.
    std::optional<QString> ChooseOpenFile(QWidget* parent, const QString& caption, const QString& filter,
                                          const QString& folder) override
    {
        QFileDialog dialog(parent, caption, folder, filter);
        dialog.setObjectName(QStringLiteral("OpenSchemeDialog"));
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().constFirst();
    }

    std::optional<QString> ChooseSaveFile(QWidget* parent, const QString& caption, const QString& filter,
                                          const QString& suggested, const QString& suffix) override
    {
        QFileDialog dialog(parent, caption, QString(), filter);
        dialog.setObjectName(QStringLiteral("SaveFileDialog"));
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(suffix);
        if (!suggested.isEmpty())
            dialog.selectFile(suggested);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().constFirst();
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
