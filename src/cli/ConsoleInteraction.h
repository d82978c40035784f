#pragma once
#include "platform/UserInteraction.h"

class QTextStream;

// Messages go to standard error; there is no pointer or progress bar to show.
class ConsoleInteraction : public UserInteraction
{
public:
    explicit ConsoleInteraction(QTextStream& err);

    void showMessage(const QString& text) override;
    // The command line has no one to ask: the command's arguments answer before it runs.
    bool askYesNo(const QString& text, const QString& title) override;
    std::optional<QString> askText(const QString& prompt, const QString& title, const QString& defaultAnswer) override;
    QString chooseFile() override { return m_file; }
    void setChosenFile(const QString& file) { m_file = file; }
    QString chooseSaveFile(const QString&, const QString&) override { return {}; }
    void setBusy(Window, bool) override { }
    void setProgress(Window, int) override { }
    void setStatus(Status, const QString&) override { }
    void processEvents() override { }

private:
    QTextStream& m_err;
    QString m_file;
};
