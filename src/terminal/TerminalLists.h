#pragma once
#include <QByteArray>

class InventoryTables;
class SettingsStore;
class UserInteraction;

// The four lists the terminal is loaded with, as the exact bytes sent: fixed-width records, NUL as filler
// and field end, small numbers as single characters.
class TerminalLists
{
public:
    TerminalLists(InventoryTables& tables, const SettingsStore& settings, UserInteraction& ui);

    QByteArray ListaFamilias() const;
    QByteArray ListaCodBarras() const;
    // Articles whose family sits above slot 256 cannot be named by one character: they are left out, and
    // the user is told once how many.
    QByteArray ListaArtigos() const;
    QByteArray ListaUnidades() const;

private:
    // The two fill rules of the list fields, appended to the list being built: the value trimmed, then NULs
    // (or blanks and one closing NUL) up to exactly width characters.
    static void FormatStrNul(QByteArray& list, const QString& value, int width);
    static void FormatStrSpacesNul(QByteArray& list, const QString& value, int width);

    InventoryTables& m_tables;
    const SettingsStore& m_settings;
    UserInteraction& m_ui;
};
