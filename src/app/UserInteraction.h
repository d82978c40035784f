#pragma once
#include <QString>

// What the core asks of the person at the screen. The desktop window, the command-line tool and the
// tests each supply their own.
class UserInteraction
{
public:
    enum class Window
    {
        Main,
        ArticleEditor,
    };
    // The main window's one-line operation text and the two panels of its status bar.
    enum class Status
    {
        Label1,
        Panel1,
        Panel2,
    };

    virtual ~UserInteraction() = default;

    // A message box titled "Tarvik" with an OK button.
    virtual void showMessage(const QString& text) = 0;
    // A question titled "Tarvik" with Yes and No; true for Yes.
    virtual bool askYesNo(const QString& text) = 0;
    // The file-open dialog; the empty text when the user cancels.
    virtual QString chooseFile() = 0;
    virtual void setBusy(Window window, bool busy) = 0;
    virtual void setProgress(Window window, int percent) = 0;
    virtual void setStatus(Status surface, const QString& text) = 0;
    // Lets pending window events run.
    virtual void processEvents() = 0;
};
