#pragma once

#include "app/interaction.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace cofrel::test {

// Answers every message and question without a person and records what
// the program showed. Installed for its lifetime.
class ScriptedInteraction final : public Interaction {
public:
    struct Question {
        QString text;
        QString title;
        QuestionIcon icon;
    };
    struct HelpRequest {
        QString file;
        int context;
    };

    ScriptedInteraction();
    ~ScriptedInteraction() override;

    void message(const QString &text) override;
    bool question(const QString &text, const QString &title, QuestionIcon icon) override;
    void error(const QString &text, const QString &details) override;
    void beep() override;
    void showHelp(const QString &file, int context) override;
    QString openFileName(const QString &title, const QString &filter) override;

    QStringList messages;
    QStringList errors;
    QStringList errorDetails; // one for each error, empty when none
    QList<Question> questions;
    QList<HelpRequest> helpRequests;
    int beeps = 0;

    // Answers to the next questions, in order; when none is left the
    // answer is defaultAnswer.
    QList<bool> answers;
    bool defaultAnswer = false;

    // The files chosen in the next file dialogs, in order; when none is
    // left the person gives up (an empty name). Each dialog's title and
    // filter are recorded.
    QStringList fileAnswers;
    QStringList fileDialogs; // "title|filter"

    // Runs while a message "is on the screen" (for instance to check what
    // the window shows at that moment).
    std::function<void(const QString &)> onMessage;
    std::function<void(const QString &)> onError;

private:
    Interaction *m_previous = nullptr;
};

} // namespace cofrel::test
