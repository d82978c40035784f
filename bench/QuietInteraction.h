#pragma once
#include "platform/UserInteraction.h"

// Nobody is at the screen while a benchmark runs.
class QuietInteraction : public UserInteraction
{
public:
    void showMessage(const QString&) override { }
    bool askYesNo(const QString&, const QString&) override { return true; }
    std::optional<QString> askText(const QString&, const QString&, const QString&) override { return {}; }
    QString chooseFile() override { return {}; }
    QString chooseSaveFile(const QString&, const QString&) override { return {}; }
    void setBusy(Window, bool) override { }
    void setProgress(Window, int) override { }
    void setStatus(Status, const QString&) override { }
    void processEvents() override { }
};
