#pragma once

#include <QFont>
#include <QString>

#include <optional>

class QWidget;

namespace velmora {

// Every modal question the shell asks the user goes through here, so that tests can answer in
// place of a person. The real one shows the platform's boxes and dialogs.
class Prompter {
public:
    virtual ~Prompter() = default;

    // A question with the buttons Yes and No and the question icon; true for Yes.
    virtual bool Confirm(QWidget* parent, const QString& caption, const QString& text) = 0;
    // A message with the error icon and an OK button.
    virtual void ShowError(QWidget* parent, const QString& caption, const QString& text) = 0;
    // The font dialog initialised with `initial`; the chosen font, or nothing when cancelled.
    virtual std::optional<QFont> ChooseFont(QWidget* parent, const QFont& initial) = 0;

    enum class Answer { Yes, No, Cancel };
    // A question with the buttons "Да", "Нет" and "Отмена" and the question icon; Escape and the
    // close box give Cancel.
    virtual Answer AskYesNoCancel(QWidget* parent, const QString& caption, const QString& text) = 0;
    // The file dialog for opening one existing file under `filter` ("Схемы (*.velmora *.json)"),
    // starting in `folder` (empty: the dialog's own choice); the chosen file, or nothing when
    // cancelled.
    virtual std::optional<QString> ChooseOpenFile(QWidget* parent, const QString& caption, const QString& filter,
                                                  const QString& folder) = 0;
    // The file dialog for saving: it proposes `suggested` (in its folder, when it has one), adds
    // `suffix` to a name typed without one and asks before replacing a file. The chosen file, or
    // nothing when cancelled.
    virtual std::optional<QString> ChooseSaveFile(QWidget* parent, const QString& caption, const QString& filter,
                                                  const QString& suggested, const QString& suffix) = 0;
};

// The prompter in use: the one installed last, else the one that shows real boxes.
Prompter& CurrentPrompter();

// Installs `prompter` (nullptr: the real one again) and returns the one it replaces.
Prompter* InstallPrompter(Prompter* prompter);

// Installs a prompter for the life of a scope.
class ScopedPrompter {
public:
    explicit ScopedPrompter(Prompter& prompter) : previous_(InstallPrompter(&prompter)) {}
    ~ScopedPrompter() { InstallPrompter(previous_); }
    ScopedPrompter(const ScopedPrompter&) = delete;
    ScopedPrompter& operator=(const ScopedPrompter&) = delete;

private:
    Prompter* previous_;
};

} // namespace velmora
