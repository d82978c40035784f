#pragma once
#include <QString>

#include <optional>

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
    // A question with Yes and No under that title (the program's is "Tarvik"); true for Yes.
    virtual bool askYesNo(const QString& text, const QString& title) = 0;
    // An input box holding defaultAnswer; nullopt when the user cancels.
    virtual std::optional<QString> askText(const QString& prompt, const QString& title, const QString& defaultAnswer)
        = 0;
    // The file-open dialog; the empty text when the user cancels.
    virtual QString chooseFile() = 0;
    // The file-save dialog offering suggestedPath, for files of the kind filter names ("PDF (*.pdf)"); the empty
    // text when the user cancels.
    virtual QString chooseSaveFile(const QString& suggestedPath, const QString& filter) = 0;
    virtual void setBusy(Window window, bool busy) = 0;
    virtual void setProgress(Window window, int percent) = 0;
    virtual void setStatus(Status surface, const QString& text) = 0;
    // Lets pending window events run.
    virtual void processEvents() = 0;
};
