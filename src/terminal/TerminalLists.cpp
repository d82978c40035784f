#include "terminal/TerminalLists.h"

#include "platform/SettingsStore.h"
#include "platform/UserInteraction.h"
#include "tables/InventoryTables.h"
#include "tables/TextShaping.h"
#include "values/Bytes.h"
#include "values/Conversions.h"
#include "values/Windows1252.h"

#include <QHash>

#include <algorithm>
#include <cstring>

using Conversions::trimBlanks;

TerminalLists::TerminalLists(InventoryTables& tables, const SettingsStore& settings, UserInteraction& ui)
    : m_tables(tables)
    , m_settings(settings)
    , m_ui(ui)
{
}

namespace {

// The value trimmed of blanks, at most width characters of it, then filler up to width.
void appendPadded(QByteArray& list, const QString& value, int width, char filler)
{
    qsizetype begin = 0;
    qsizetype end = value.size();
    while (begin < end && value.at(begin) == u' ')
        ++begin;
    while (end > begin && value.at(end - 1) == u' ')
        --end;
    const qsizetype room = std::max(width, 0);
    const qsizetype length = std::min<qsizetype>(end - begin, room);
    // In two pieces, not a byte at a time: the lists of a full site are megabytes.
    Windows1252::appendEncoded(list, QStringView(value).mid(begin, length));
    std::memset(Bytes::appendRoom(list, room - length), filler, size_t(room - length));
}

} // namespace

void TerminalLists::FormatStrNul(QByteArray& list, const QString& value, int width)
{
    appendPadded(list, value, width, '\0');
}

void TerminalLists::FormatStrSpacesNul(QByteArray& list, const QString& value, int width)
{
    appendPadded(list, value, width - 1, ' ');
    list.append('\0');
}

QByteArray TerminalLists::ListaFamilias() const
{
    QByteArray list;
    list.reserve(qsizetype(m_tables.NContas()) * 32);
    for (int i = 1; i <= m_tables.NContas(); ++i) {
        const ContaContabilistica& c = m_tables.conta(i);
        FormatStrNul(list, c.Conta, 7);
        FormatStrNul(list, TextShaping::TiraAcentos(c.DesConta), 25);
    }
    return list;
}

QByteArray TerminalLists::ListaCodBarras() const
{
    QByteArray list;
    list.reserve(qsizetype(m_tables.NCodBarras()) * 23);
    for (int i = 1; i <= m_tables.NCodBarras(); ++i) {
        const CodigoBarras& c = m_tables.codigoBarras(i);
        const int article = m_tables.ProcuraArtigo(c.CodArtigo);
        if (article == 0)
            continue;
        FormatStrNul(list, c.CodBarras.toText(), 15);
        FormatStrNul(list, c.CodArtigo.toText(), 6);
        list.append('\0').append(char(c.Unidade.toText() == m_tables.artigo(article).UnidadeDeStock ? 0 : 1));
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
    list.reserve(qsizetype(m_tables.NArtigos()) * 56);
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
        FormatStrNul(list, a.CodArtigo, 6);
        FormatStrNul(list, TextShaping::TiraAcentos(description), 48);
        list.append('\0').append(char(slot - 1));
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
    list.reserve(qsizetype(m_tables.NArtigos()) * 44);
    for (int i = 1; i <= m_tables.NArtigos(); ++i) {
        const Artigo& a = m_tables.artigo(i);
        FormatStrNul(list, a.CodArtigo, 6);
        FormatStrSpacesNul(list, TextShaping::TiraAcentos(a.UnidadeDeStock), 16);
        if (a.UnidadeDeCompra != a.UnidadeDeStock) {
            // The factor goes with a decimal point whatever the site's format.
            const QString factor = Conversions::numberToSiteText(a.ConversaoCompraStock).replace(u',', u'.');
            FormatStrNul(list, a.CodArtigo, 6);
            FormatStrSpacesNul(list, TextShaping::TiraAcentos(a.UnidadeDeCompra + u':' + factor), 16);
        }
        if (trimBlanks(a.UnidadeDeStock) == u"Kilo") {
            FormatStrNul(list, a.CodArtigo, 6);
            FormatStrSpacesNul(list, QStringLiteral("Gramas"), 16);
        }
    }
    return list;
}
