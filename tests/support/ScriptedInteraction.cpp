#include "support/ScriptedInteraction.h"

void ScriptedInteraction::showMessage(const QString& text)
{
    messages.append(std::this_thread::get_id() == m_owner ? text : QStringLiteral("[another thread] ") + text);
}

bool ScriptedInteraction::askYesNo(const QString& text, const QString& title)
{
    questions.append(text);
    questionTitles.append(title);
    return !answers.isEmpty() && answers.takeFirst();
}

std::optional<QString> ScriptedInteraction::askText(
    const QString& prompt, const QString& title, const QString& defaultAnswer)
{
    prompts.append(QStringLiteral("%1: %2 [%3]").arg(title, prompt, defaultAnswer));
    return typedAnswers.isEmpty() ? std::nullopt : typedAnswers.takeFirst();
}

QString ScriptedInteraction::chooseFile()
{
    return chosenFiles.isEmpty() ? QString() : chosenFiles.takeFirst();
}

QString ScriptedInteraction::chooseSaveFile(const QString& suggestedPath, const QString&)
{
    suggestedFiles.append(suggestedPath);
    return chooseFile();
}

void ScriptedInteraction::setBusy(Window, bool busy)
{
    busyDepth += busy ? 1 : -1;
}

void ScriptedInteraction::setProgress(Window, int percent)
{
    progress.append(percent);
}

void ScriptedInteraction::setStatus(Status surface, const QString& text)
{
    statusTexts[surface].append(text);
}

void ScriptedInteraction::processEvents()
{
    ++eventYields;
}
