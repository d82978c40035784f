#include "cli/ConsoleInteraction.h"

#include <QTextStream>

ConsoleInteraction::ConsoleInteraction(QTextStream& err)
    : m_err(err)
{
}

bool ConsoleInteraction::askYesNo(const QString& text, const QString&)
{
    m_err << text << " Sim\n";
    m_err.flush();
    return true;
}

void ConsoleInteraction::showMessage(const QString& text)
{
    m_err << text << '\n';
    m_err.flush();
}

std::optional<QString> ConsoleInteraction::askText(const QString& prompt, const QString&, const QString& defaultAnswer)
{
    m_err << prompt << ' ' << defaultAnswer << '\n';
    m_err.flush();
    return defaultAnswer;
}
