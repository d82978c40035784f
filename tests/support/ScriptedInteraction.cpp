#include "support/ScriptedInteraction.h"

void ScriptedInteraction::showMessage(const QString& text)
{
    messages.append(text);
}

bool ScriptedInteraction::askYesNo(const QString& text)
{
    questions.append(text);
    return !answers.isEmpty() && answers.takeFirst();
}

QString ScriptedInteraction::chooseFile()
{
    return chosenFiles.isEmpty() ? QString() : chosenFiles.takeFirst();
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
