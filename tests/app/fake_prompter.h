#pragma once

#include "app/prompter.h"

#include <QFont>
#include <QStringList>

#include <functional>
#include <optional>

namespace velmora::test {

// Answers the shell's questions in place of a person and remembers what was asked.
class FakePrompter final : public Prompter {
public:
    bool answer = false;
    int confirms = 0;
    QString confirmCaption;
    QString confirmText;

    QString errorCaption;
    QStringList errors;

    QFont initialFont;
    std::function<std::optional<QFont>()> chooseFont = [] { return std::nullopt; };

    bool Confirm(QWidget*, const QString& caption, const QString& text) override
    {
        ++confirms;
        confirmCaption = caption;
        confirmText = text;
        return answer;
    }

    void ShowError(QWidget*, const QString& caption, const QString& text) override
    {
        errorCaption = caption;
        errors << text;
    }

    std::optional<QFont> ChooseFont(QWidget*, const QFont& initial) override
    {
        initialFont = initial;
        return chooseFont();
    }

    Answer saveAnswer = Answer::Cancel;
    int saveQuestions = 0;
    QString saveCaption;
    QString saveText;
    Answer AskYesNoCancel(QWidget*, const QString& caption, const QString& text) override
    {
        ++saveQuestions;
        saveCaption = caption;
        saveText = text;
        return saveAnswer;
    }

    // The files "chosen" in the open and save dialogs, in turn; none left is a cancelled dialog.
    QStringList openFiles;
    QStringList saveFiles;
    QString lastSuggested;
    QString lastSuffix;
    QString lastOpenFolder;
    int fileDialogs = 0;
    std::optional<QString> ChooseOpenFile(QWidget*, const QString&, const QString&, const QString& folder) override
    {
        ++fileDialogs;
        lastOpenFolder = folder;
        if (openFiles.isEmpty())
            return std::nullopt;
        return openFiles.takeFirst();
    }
    std::optional<QString> ChooseSaveFile(QWidget*, const QString&, const QString&, const QString& suggested,
                                          const QString& suffix) override
    {
        ++fileDialogs;
        lastSuggested = suggested;
        lastSuffix = suffix;
        if (saveFiles.isEmpty())
            return std::nullopt;
        return saveFiles.takeFirst();
    }
};

} // namespace velmora::test
