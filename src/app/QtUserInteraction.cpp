#include "app/QtUserInteraction.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>

void QtUserInteraction::setSurfaces(QWidget* window, QLabel* label1, QLabel* panel1, QLabel* panel2)
{
    m_window = window;
    m_label1 = label1;
    m_panel1 = panel1;
    m_panel2 = panel2;
}

void QtUserInteraction::showMessage(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Tarvik"), text, QMessageBox::Ok, m_window);
    box.exec();
}

bool QtUserInteraction::askYesNo(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, m_window);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtUserInteraction::askText(
    const QString& prompt, const QString& title, const QString& defaultAnswer)
{
    QInputDialog dialog(m_window);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultAnswer);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

QString QtUserInteraction::chooseFile()
{
    return QFileDialog::getOpenFileName(m_window, QStringLiteral("Tarvik"), QString(),
        QStringLiteral("Livros Excel (*.xls *.xlsx *.xlsm);;Todos os ficheiros (*)"));
}

QString QtUserInteraction::chooseSaveFile(const QString& suggestedPath, const QString& filter)
{
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), QStringLiteral("Tarvik"), suggestedPath, filter);
}

// One pointer for the whole program: every window of ours is busy while a command runs.
void QtUserInteraction::setBusy(Window, bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

// Only the article editor has a progress bar, and the main window has no editor yet.
void QtUserInteraction::setProgress(Window, int)
{
}

void QtUserInteraction::setStatus(Status surface, const QString& text)
{
    QLabel* label = surface == Status::Label1 ? m_label1 : surface == Status::Panel1 ? m_panel1 : m_panel2;
    if (label)
        label->setText(text);
}

// Timers and painting only: a click in an editor or a viewer must not start a command inside this one.
void QtUserInteraction::processEvents()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
