#include "support/scripted_interaction.h"

namespace cofrel::test {

ScriptedInteraction::ScriptedInteraction()
    : m_previous(&interaction())
{
    setInteraction(this);
}

ScriptedInteraction::~ScriptedInteraction()
{
    setInteraction(nullptr);
}

void ScriptedInteraction::message(const QString &text)
{
    messages.append(text);
    if (onMessage)
        onMessage(text);
}

bool ScriptedInteraction::question(const QString &text, const QString &title, QuestionIcon icon)
{
    questions.append({text, title, icon});
    return answers.isEmpty() ? defaultAnswer : answers.takeFirst();
}

void ScriptedInteraction::error(const QString &text, const QString &details)
{
    errors.append(text);
    errorDetails.append(details);
    if (onError)
        onError(text);
}

void ScriptedInteraction::beep()
{
    ++beeps;
}

void ScriptedInteraction::showHelp(const QString &file, int context)
{
    helpRequests.append({file, context});
}

QString ScriptedInteraction::openFileName(const QString &title, const QString &filter)
{
    fileDialogs.append(title + u'|' + filter);
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

} // namespace cofrel::test
