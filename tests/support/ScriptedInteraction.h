#pragma once
#include "app/UserInteraction.h"

#include <QStringList>

// Records what the core shows, for the tests to check.
class ScriptedInteraction : public UserInteraction
{
public:
    void showMessage(const QString& text) override;
    void setBusy(Window window, bool busy) override;
    void setProgress(Window window, int percent) override;
    void processEvents() override;

    QStringList messages;
    QList<int> progress;
    int busyDepth = 0;
    int eventYields = 0;
};
