#include "app/ReportTextWindow.h"

#include "values/Windows1252.h"

#include <QFile>
#include <QFontDatabase>

ReportTextWindow::ReportTextWindow(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("ReportTextWindow"));
    setWindowTitle(QStringLiteral("Tarvik"));
    setWindowFlag(Qt::Window);
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    resize(900, 600);
}

bool ReportTextWindow::showFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Não foi possível ler o relatório %1: %2.").arg(path, file.errorString());
        return false;
    }
    setPlainText(Windows1252::decode(file.readAll()).remove(u'\r'));
    return true;
}
