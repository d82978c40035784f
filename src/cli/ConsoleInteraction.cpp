#include "cli/ConsoleInteraction.h"

#include <QTextStream>

ConsoleInteraction::ConsoleInteraction(QTextStream& err)
    : m_err(err)
{
}

void ConsoleInteraction::showMessage(const QString& text)
{
    m_err << text << '\n';
    m_err.flush();
}
