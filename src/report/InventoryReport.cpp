#include "report/InventoryReport.h"

#include "platform/SitePaths.h"
#include "platform/UserInteraction.h"
#include "report/ReadingSort.h"
#include "report/ReportText.h"
#include "tables/InventoryTables.h"
#include "tables/Sheets.h"
#include "values/Bytes.h"
#include "values/Conversions.h"
#include "values/Windows1252.h"
#include "workbook/DataControl.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

#include <algorithm>
#include <cstring>
#include <vector>

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

    // A line is begun, given its pieces and ended: the pieces go straight into the bytes written, as a report
    // writes hundreds of thousands of lines. Every line starts one column in.
    ReportLines& begin() { return repeated(1, ' '); }
    ReportLines& text(QStringView piece)
    {
        Windows1252::appendEncoded(m_bytes, piece);
        return *this;
    }
    ReportLines& value(double v, int width)
    {
        ReportText::appendValue(m_bytes, v, width);
        return *this;
    }
    ReportLines& quantity(double v, int width)
    {
        ReportText::appendQuantity(m_bytes, v, width);
        return *this;
    }
    ReportLines& repeated(int count, char c)
    {
        if (count > 0)
            std::memset(Bytes::appendRoom(m_bytes, count), c, size_t(count));
        return *this;
    }
    // The piece as FormatStrSpaces2 gives it: trimmed of blanks, then cut or padded to size.
    ReportLines& padded(QStringView piece, int size)
    {
        if (size < 1)
            return *this;
        const QStringView trimmed = Conversions::blankTrimmed(piece);
        return text(trimmed.left(size)).repeated(size - int(std::min<qsizetype>(trimmed.size(), size)), ' ');
    }
    // Lines go out a megabyte at a time.
    void end()
    {
        Bytes::append(m_bytes, "\r\n", 2);
        if (m_bytes.size() >= kChunk)
            flush();
    }
    void writeBlank() { begin().end(); }
    void writeSeparator() { begin().repeated(w(101), '-').end(); }
    void writeSummaryHeading(const QString& centre)
    {
        begin().text(u"Centro Custo ").padded(centre, w(83)).text(u"Valor").end();
    }
    void writeFamilyLine(const Leitura& l, double sum)
    {
        begin()
            .repeated(5, ' ')
            .padded(l.ContaContab, 5)
            .padded(desConta(l.FamiliaContabilista), w(81))
            .value(sum, 10)
            .end();
    }
    void writeCentreTotal(double sum) { begin().padded(u"Total :", w(91)).value(sum, 10).end(); }
    void writeFamilyHeading(const Leitura& l)
    {
        begin()
            .repeated(5, ' ')
            .text(u"Familia Contabilistica ")
            .padded(QString(l.ContaContab + u' ' + desConta(l.FamiliaContabilista)), w(36))
            .text(u"Qt    Unidade        P.Unit.    Valor")
            .end();
    }
    void writeFamilyTotal(double sum) { begin().repeated(5, ' ').padded(u"Total :", w(86)).value(sum, 10).end(); }
    void writeReadingLine(const Leitura& l, const Artigo& a, double worth);

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
    writeBlank();
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
            writeBlank();
            writeSummaryHeading(next.CentroCusto);
            writeBlank();
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
    writeBlank();
}

void ReportLines::writeReadingLine(const Leitura& l, const Artigo& a, double worth)
{
    begin()
        .repeated(10, ' ')
        .text(l.CodArtigo)
        .repeated(5, ' ')
        .padded(a.DescArtigo, w(33))
        .repeated(5, ' ')
        .quantity(l.QtEmUnidadeInventario, 11)
        .repeated(1, ' ')
        .padded(l.Unidade, 9);
    // Per stock unit; without a conversion the price column stays blank but the reading is listed.
    if (l.Unidade == a.UnidadeDeCompra)
        value(a.PrecoCompraUnitario, 11);
    else if (a.ConversaoCompraStock != 0)
        value(a.PrecoCompraUnitario / a.ConversaoCompraStock, 11);
    else
        repeated(11, ' ');
    value(worth, 11).end();
}

void ReportLines::detail()
{
    const int count = m_tables.NLeituras();
    writeSeparator();
    writeBlank();
    begin().text(u"Centro Custo ").padded(reading(1).CentroCusto, 69).end();
    writeFamilyHeading(reading(1));
    writeSeparator();
    double family = 0.0;
    double centre = 0.0;
    bool headingPending = false;
    for (int i = 1; i <= count; ++i) {
        const Leitura& l = m_tables.leitura(i);
        if (const int a = m_articleOf[size_t(i)]; a > 0) {
            if (headingPending) {
                writeBlank();
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
            writeBlank();
            writeBlank();
            begin().text(u"Centro Custo ").text(next.CentroCusto).end();
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
