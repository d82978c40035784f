#pragma once
#include "platform/UserInteraction.h"

#include <QPointer>

class QLabel;
class QWidget;

// Real dialogs over the main window, and its status texts. Tests override the dialogs to answer them.
class QtUserInteraction : public UserInteraction
{
public:
    // Where dialogs are centred and the status texts go; each may be null until the window exists.
    void setSurfaces(QWidget* window, QLabel* label1, QLabel* panel1, QLabel* panel2);

    void showMessage(const QString& text) override;
    bool askYesNo(const QString& text, const QString& title) override;
    std::optional<QString> askText(const QString& prompt, const QString& title, const QString& defaultAnswer) override;
    QString chooseFile() override;
    QString chooseSaveFile(const QString& suggestedPath, const QString& filter) override;
    void setBusy(Window window, bool busy) override;
    void setProgress(Window window, int percent) override;
    void setStatus(Status surface, const QString& text) override;
    void processEvents() override;

private:
    QPointer<QWidget> m_window;
    QPointer<QLabel> m_label1;
    QPointer<QLabel> m_panel1;
    QPointer<QLabel> m_panel2;
};
