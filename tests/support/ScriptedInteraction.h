#pragma once
#include "platform/UserInteraction.h"

#include <QHash>
#include <QStringList>

#include <thread>

// Records what the core shows, for the tests to check.
class ScriptedInteraction : public UserInteraction
{
public:
    void showMessage(const QString& text) override;
    bool askYesNo(const QString& text, const QString& title) override;
    std::optional<QString> askText(const QString& prompt, const QString& title, const QString& defaultAnswer) override;
    QString chooseFile() override;
    QString chooseSaveFile(const QString& suggestedPath, const QString& filter) override;
    void setBusy(Window window, bool busy) override;
    void setProgress(Window window, int percent) override;
    void setStatus(Status surface, const QString& text) override;
    void processEvents() override;

    // A message from a thread other than the one that made this shows as such: the window system may only be
    // touched from its own thread.
    QStringList messages;
    QStringList questions;
    QStringList questionTitles;
    QList<bool> answers; // taken in turn; No when none is left
    QStringList chosenFiles; // taken in turn, by both file dialogs; cancelled when none is left
    QStringList suggestedFiles; // what each save dialog offered
    QStringList prompts; // "title: prompt [default]" of each input box
    QList<std::optional<QString>> typedAnswers; // taken in turn; cancelled when none is left
    QList<int> progress;
    QHash<Status, QStringList> statusTexts; // every text each surface showed, in order
    int busyDepth = 0;
    int eventYields = 0;

private:
    std::thread::id m_owner = std::this_thread::get_id();
};
