#include "terminal/TerminalLists.h"

#include "app/SettingsStore.h"
#include "app/UserInteraction.h"
#include "data/Conversions.h"
#include "data/InventoryTables.h"
#include "data/Windows1252.h"
#include "terminal/TextShaping.h"

#include <QHash>

using Conversions::trimBlanks;

TerminalLists::TerminalLists(InventoryTables& tables, const SettingsStore& settings, UserInteraction& ui)
    : m_tables(tables)
    , m_settings(settings)
    , m_ui(ui)
{
}

QByteArray TerminalLists::FormatStrNul(const QString& value, int width)
{
    QByteArray bytes = Windows1252::encode(trimBlanks(value)).left(width);
    return bytes + QByteArray(width - bytes.size(), '\0');
}

QByteArray TerminalLists::FormatStrSpacesNul(const QString& value, int width)
{
    QByteArray bytes = Windows1252::encode(trimBlanks(value)).left(width - 1);
    return bytes + QByteArray(width - 1 - bytes.size(), ' ') + '\0';
}

QByteArray TerminalLists::ListaFamilias() const
{
    QByteArray list;
    for (int i = 1; i <= m_tables.NContas(); ++i) {
        const ContaContabilistica& c = m_tables.conta(i);
        list += FormatStrNul(c.Conta, 7) + FormatStrNul(TextShaping::TiraAcentos(c.DesConta), 25);
    }
    return list;
}

QByteArray TerminalLists::ListaCodBarras() const
{
    QByteArray list;
    for (int i = 1; i <= m_tables.NCodBarras(); ++i) {
        const CodigoBarras& c = m_tables.codigoBarras(i);
        const int article = m_tables.ProcuraArtigo(c.CodArtigo);
        if (article == 0)
            continue;
        list += FormatStrNul(c.CodBarras.toText(), 15) + FormatStrNul(c.CodArtigo.toText(), 6) + '\0'
                + char(c.Unidade.toText() == m_tables.artigo(article).UnidadeDeStock ? 0 : 1);
    }
    return list;
}

QByteArray TerminalLists::ListaArtigos() const
{
    // The first slot of each family code, as a scan in slot order would find it.
    QHash<QString, int> familySlot;
    for (int i = m_tables.NContas(); i >= 1; --i)
        familySlot.insert(m_tables.conta(i).Conta, i);
    // Stored by the settings window with a blank before the digit; the blank is not part of the choice.
    const bool abbreviate = trimBlanks(m_settings.value(SettingsKeys::AutoAbrevia)) == u"1";
    QByteArray list;
    int leftOut = 0;
    for (int i = 1; i <= m_tables.NArtigos(); ++i) {
        const Artigo& a = m_tables.artigo(i);
        const QString family = trimBlanks(a.CodFamContabilista);
        const int slot = family.isEmpty() ? 0 : familySlot.value(family, 0);
        if (slot == 0)
            continue;
        if (slot > 256) {
            ++leftOut;
            continue;
        }
        const QString description = abbreviate ? TextShaping::AbreviaDescricao(a.DescArtigo, 48) : a.DescArtigo;
        list += FormatStrNul(a.CodArtigo, 6) + FormatStrNul(TextShaping::TiraAcentos(description), 48) + '\0'
                + char(slot - 1);
    }
    if (leftOut > 0)
        m_ui.showMessage(QStringLiteral("%1 artigos não foram enviados para o terminal: a família deles está depois "
                                        "da posição 256 da tabela de famílias.")
                             .arg(leftOut));
    return list;
}

QByteArray TerminalLists::ListaUnidades() const
{
    QByteArray list;
    for (int i = 1; i <= m_tables.NArtigos(); ++i) {
        const Artigo& a = m_tables.artigo(i);
        const QByteArray code = FormatStrNul(a.CodArtigo, 6);
        list += code + FormatStrSpacesNul(TextShaping::TiraAcentos(a.UnidadeDeStock), 16);
        if (a.UnidadeDeCompra != a.UnidadeDeStock) {
            // The factor goes with a decimal point whatever the site's format.
            const QString factor = Conversions::numberToSiteText(a.ConversaoCompraStock).replace(u',', u'.');
            list += code + FormatStrSpacesNul(TextShaping::TiraAcentos(a.UnidadeDeCompra + u':' + factor), 16);
        }
        if (trimBlanks(a.UnidadeDeStock) == u"Kilo")
            list += code + FormatStrSpacesNul(QStringLiteral("Gramas"), 16);
    }
    return list;
}
