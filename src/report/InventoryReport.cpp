#include "report/InventoryReport.h"

#include "platform/SitePaths.h"
#include "platform/UserInteraction.h"
#include "report/ReadingSort.h"
#include "report/ReportText.h"
#include "tables/InventoryTables.h"
#include "tables/Sheets.h"
#include "values/Conversions.h"
#include "values/Windows1252.h"
#include "workbook/DataControl.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStringBuilder>

#include <algorithm>
#include <optional>
#include <vector>

using ReportText::FormatStrSpaces2;

namespace {

// N, the width offset of the lines: 109 minus the setting, rounded to a 16-bit whole number. A setting that
// cannot give one leaves N at 0.
int widthOffset(const QString& numerodeCaracteres)
{
    const qint32 n = Conversions::roundToWhole(109.0 - Conversions::numericValue(numerodeCaracteres));
    return n < -32768 || n > 32767 ? 0 : n;
}

bool positive(const QString& account)
{
    return Conversions::numericValue(account) > 0;
}

// Writes the lines of one report; the widths come from N and never go below 0.
class ReportLines
{
public:
    static constexpr qsizetype kChunk = 1 << 20;

    // articleOf: the article slot of each reading, as the sort found it.
    ReportLines(InventoryTables& tables, std::vector<int> articleOf, int n, QIODevice& out)
        : m_tables(tables)
        , m_n(n)
        , m_out(out)
        , m_articleOf(std::move(articleOf))
    {
        m_bytes.reserve(kChunk + 1024);
    }

    void summary();
    void detail();
    void flush()
    {
        m_out.write(m_bytes);
        m_bytes.clear();
    }

private:
    int w(int extra) const { return std::max(m_n + extra, 0); }
    // Slot 1 of an empty table stands for no reading at all, whatever an earlier table left there.
    const Leitura& reading(int i) const
    {
        static const Leitura none;
        return i <= m_tables.NLeituras() ? m_tables.leitura(i) : none;
    }
    const QString& desConta(const QString& family);
    double refreshedValue(int i);

    void write(QStringView line)
    {
        // Every line starts one column in. Lines go out a megabyte at a time.
        m_bytes.append(' ');
        Windows1252::appendEncoded(m_bytes, line);
        m_bytes.append("\r\n");
        if (m_bytes.size() >= kChunk)
            flush();
    }
    void writeSeparator() { write(QString(w(101), u'-')); }
    void writeSummaryHeading(const QString& centre)
    {
        write(QStringLiteral("Centro Custo ") + FormatStrSpaces2(centre, w(83)) + QStringLiteral("Valor"));
    }
    void writeFamilyLine(const Leitura& l, double sum)
    {
        write(QString(5, u' ') + FormatStrSpaces2(l.ContaContab, 5)
            + FormatStrSpaces2(desConta(l.FamiliaContabilista), w(81)) + ReportText::valueText(sum, 10));
    }
    void writeCentreTotal(double sum)
    {
        write(FormatStrSpaces2(QStringLiteral("Total :"), w(91)) + ReportText::valueText(sum, 10));
    }
    void writeFamilyHeading(const Leitura& l)
    {
        write(QString(5, u' ') + QStringLiteral("Familia Contabilistica ")
            + FormatStrSpaces2(l.ContaContab + u' ' + desConta(l.FamiliaContabilista), w(36))
            + QStringLiteral("Qt    Unidade        P.Unit.    Valor"));
    }
    void writeFamilyTotal(double sum)
    {
        write(QString(5, u' ') + FormatStrSpaces2(QStringLiteral("Total :"), w(86)) + ReportText::valueText(sum, 10));
    }
    void writeReadingLine(const Leitura& l, const Artigo& a, double value);

    InventoryTables& m_tables;
    const int m_n;
    QIODevice& m_out;
    QHash<QString, QString> m_desConta;
    const std::vector<int> m_articleOf;
    QByteArray m_bytes;
};

const QString& ReportLines::desConta(const QString& family)
{
    auto found = m_desConta.constFind(family);
    if (found == m_desConta.cend())
        found = m_desConta.insert(family, m_tables.conta(ReportText::ProcuraConta(m_tables, family)).DesConta);
    return *found;
}

double ReportLines::refreshedValue(int i)
{
    if (i > m_tables.NLeituras())
        return 0.0;
    // A reading whose article the sort did not find looks again, and says so when the code is too large.
    if (m_articleOf[size_t(i)] > 0)
        m_tables.CalculaQtEmUnidadeCompra(i, m_articleOf[size_t(i)]);
    else
        m_tables.CalculaQtEmUnidadeCompra(i);
    return m_tables.artigo(m_articleOf[size_t(i)]).PrecoCompraUnitario * m_tables.leitura(i).QtEmUnidadeCompra;
}

void ReportLines::summary()
{
    const int count = m_tables.NLeituras();
    writeSummaryHeading(reading(1).CentroCusto);
    write({});
    double family = 0.0;
    double centre = 0.0;
    for (int i = 1; i < count; ++i) {
        const double v = refreshedValue(i);
        family += v;
        centre += v;
        const Leitura& l = m_tables.leitura(i);
        const Leitura& next = m_tables.leitura(i + 1);
        if (l.CentroCusto != next.CentroCusto) {
            if (positive(l.ContaContab))
                writeFamilyLine(l, family);
            writeCentreTotal(centre);
            write({});
            writeSummaryHeading(next.CentroCusto);
            write({});
            family = centre = 0.0;
        }
        if (family > 0 && l.ContaContab != next.ContaContab) {
            if (positive(l.ContaContab))
                writeFamilyLine(l, family);
            family = 0.0;
        }
    }
    const int last = std::max(count, 1);
    const double v = refreshedValue(last);
    family += v;
    centre += v;
    if (positive(reading(last).ContaContab))
        writeFamilyLine(reading(last), family);
    writeCentreTotal(centre);
    write({});
}

void ReportLines::writeReadingLine(const Leitura& l, const Artigo& a, double value)
{
    std::optional<double> unitPrice = a.PrecoCompraUnitario;
    if (l.Unidade != a.UnidadeDeCompra) {
        // Per stock unit; without a conversion the price column stays blank but the reading is listed.
        unitPrice.reset();
        if (a.ConversaoCompraStock != 0)
            unitPrice = a.PrecoCompraUnitario / a.ConversaoCompraStock;
    }
    // One line per reading: built in one piece.
    const QString blanks(10, u' ');
    write(QString(blanks % l.CodArtigo % QStringView(blanks).left(5) % FormatStrSpaces2(a.DescArtigo, w(33))
        % QStringView(blanks).left(5) % ReportText::quantityText(l.QtEmUnidadeInventario, 11) % u' '
        % FormatStrSpaces2(l.Unidade, 9) % (unitPrice ? ReportText::valueText(*unitPrice, 11) : QString(11, u' '))
        % ReportText::valueText(value, 11)));
}

void ReportLines::detail()
{
    const int count = m_tables.NLeituras();
    writeSeparator();
    write({});
    write(QStringLiteral("Centro Custo ") + FormatStrSpaces2(reading(1).CentroCusto, 69));
    writeFamilyHeading(reading(1));
    writeSeparator();
    double family = 0.0;
    double centre = 0.0;
    bool headingPending = false;
    for (int i = 1; i <= count; ++i) {
        const Leitura& l = m_tables.leitura(i);
        if (const int a = m_articleOf[size_t(i)]; a > 0) {
            if (headingPending) {
                write({});
                writeFamilyHeading(l);
                writeSeparator();
                headingPending = false;
            }
            const Artigo& article = m_tables.artigo(a);
            const double value = article.PrecoCompraUnitario * l.QtEmUnidadeCompra;
            writeReadingLine(l, article, value);
            family += value;
            centre += value;
        }
        if (i == count)
            break;
        const Leitura& next = m_tables.leitura(i + 1);
        if (l.CentroCusto != next.CentroCusto) {
            if (family > 0) {
                writeSeparator();
                writeFamilyTotal(family);
            }
            writeSeparator();
            writeCentreTotal(centre);
            writeSeparator();
            write({});
            write({});
            write(QStringLiteral("Centro Custo ") + next.CentroCusto);
            writeSeparator();
            headingPending = true;
            family = centre = 0.0;
        }
        if (family > 0 && l.ContaContab != next.ContaContab) {
            writeSeparator();
            writeFamilyTotal(family);
            writeSeparator();
            headingPending = true;
            family = 0.0;
        }
    }
    writeSeparator();
    writeFamilyTotal(family);
    writeSeparator();
    writeCentreTotal(centre);
    writeSeparator();
}

} // namespace

InventoryReport::InventoryReport(InventoryTables& tables, DataControl& data1, UserInteraction& ui)
    : m_tables(tables)
    , m_data1(data1)
    , m_ui(ui)
{
}

bool InventoryReport::CriarFicheiroDeInventarios(const QString& path, const QString& numerodeCaracteres, QString* error)
{
    m_ui.setBusy(UserInteraction::Window::Main, true);
    std::vector<int> articleOf = ReadingSort::OrdenarInventarios(m_tables, m_ui);
    refreshAccounts();

    const QString file = SitePaths::resolve(path);
    // A drive path placed under the data root may not have its folder yet.
    if (file != path)
        QDir().mkpath(QFileInfo(file).absolutePath());
    QSaveFile out(file);
    bool written = out.open(QIODevice::WriteOnly);
    if (written) {
        ReportLines lines(m_tables, std::move(articleOf), widthOffset(numerodeCaracteres), out);
        lines.summary();
        lines.detail();
        lines.flush();
        written = out.commit();
    }
    if (!written)
        *error = QStringLiteral("Não foi possível escrever o relatório %1: %2").arg(file, out.errorString());
    m_ui.setBusy(UserInteraction::Window::Main, false);
    return written;
}

void InventoryReport::refreshAccounts()
{
    QString ignored;
    std::vector<int> c;
    if (!Sheets::open(m_data1, Sheets::contabilistica(), &c, &ignored))
        return;
    const int conta = c[Sheets::Contabilistica::CONTA];
    const int contaContab = c[Sheets::Contabilistica::CONTACONTABILISTICA];
    // Rows in sheet order, so of two rows for one family the later one wins. Only a text CONTA matches.
    QHash<QString, QString> accountOf;
    for (; !m_data1.Eof(); m_data1.MoveNext()) {
        const CellValue family = m_data1.field(conta);
        const CellValue account = m_data1.field(contaContab);
        if (family.isText() && !account.isNull())
            accountOf.insert(family.storedText(), account.toText());
    }
    for (int i = 1; i <= m_tables.NLeituras(); ++i) {
        const auto found = accountOf.constFind(m_tables.leitura(i).FamiliaContabilista);
        if (found != accountOf.cend() && *found != m_tables.leitura(i).ContaContab)
            m_tables.editLeitura(i).ContaContab = *found;
    }
}
