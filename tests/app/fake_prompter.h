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
};

} // namespace velmora::test
