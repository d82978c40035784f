#pragma once
#include "app/UserInteraction.h"

class QTextStream;

// Messages go to standard error; there is no pointer or progress bar to show.
class ConsoleInteraction : public UserInteraction
{
public:
    explicit ConsoleInteraction(QTextStream& err);

    void showMessage(const QString& text) override;
    void setBusy(Window, bool) override { }
    void setProgress(Window, int) override { }
    void processEvents() override { }

private:
    QTextStream& m_err;
};
