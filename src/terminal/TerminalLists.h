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

    static QByteArray FormatStrNul(const QString& value, int width);
    static QByteArray FormatStrSpacesNul(const QString& value, int width);

private:
    // The same, appended to a list as it is built.
    static void appendNul(QByteArray& list, const QString& value, int width);
    static void appendSpacesNul(QByteArray& list, const QString& value, int width);

public:

private:
    InventoryTables& m_tables;
    const SettingsStore& m_settings;
    UserInteraction& m_ui;
};
