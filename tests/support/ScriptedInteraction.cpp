#include "support/ScriptedInteraction.h"

void ScriptedInteraction::showMessage(const QString& text)
{
    messages.append(text);
}

void ScriptedInteraction::setBusy(Window, bool busy)
{
    busyDepth += busy ? 1 : -1;
}

void ScriptedInteraction::setProgress(Window, int percent)
{
    progress.append(percent);
}

void ScriptedInteraction::processEvents()
{
    ++eventYields;
}
