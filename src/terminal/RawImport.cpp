#include "terminal/RawImport.h"

#include "platform/Clock.h"
#include "tables/ArticleSorts.h"
#include "tables/DataCommand.h"
#include "tables/InventoryTables.h"
#include "tables/InventoryWriter.h"
#include "values/Conversions.h"
#include "values/Windows1252.h"

#include <QFile>

namespace {

const QString kFaltaPreencher = QStringLiteral("FALTA PREENCHER");

CellValue text(const QString& value)
{
    return CellValue::text(value);
}

// A field of the record, blanks trimmed; a record cut short gives short or empty fields.
QString field(const QString& entries, qsizetype at, qsizetype width)
{
    return Conversions::blankTrimmed(QStringView(entries).mid(at, width)).toString();
}

// The quantity field: digits with blanks as padding are the usual case and read directly.
std::optional<double> quantityOf(QStringView text)
{
    double whole = 0;
    bool plain = true;
    for (QChar c : text) {
        if (c >= u'0' && c <= u'9')
            whole = whole * 10 + (c.unicode() - u'0');
        else if (c != u' ')
            plain = false;
    }
    if (plain)
        return whole;
    // Blanks inside the field are padding; a "." is read as the decimal comma, as everywhere else.
    QString digits = QStringLiteral("0") + text.toString();
    digits.remove(u' ');
    return Conversions::AsciiToDouble(digits);
}

} // namespace

RawImport::RawImport(InventoryTables& tables, DataControl& data1, UserInteraction& ui, const Clock& clock)
    : m_tables(tables)
    , m_data1(data1)
    , m_ui(ui)
    , m_clock(clock)
{
}

bool RawImport::run(const QString& entries, QString* error)
{
    DataCommand command(m_tables, m_data1);
    return command.run(
        [&](QString* e) {
            if (!addRecords(entries, e))
                return false;
            ArticleSorts(m_tables, m_ui).OrdenarArtigos();
            return InventoryWriter(m_data1, m_tables, m_ui).saveAfterRawImport(e);
        },
        error);
}

bool RawImport::runFile(const QString& path, QString* error)
{
    QFile raw(path);
    if (!raw.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Não foi possível ler o ficheiro %1: %2. Nada foi importado.")
                     .arg(path, raw.exists() ? raw.errorString() : QStringLiteral("o ficheiro não existe"));
        return false;
    }
    QByteArray line = raw.readAll();
    const qsizetype end = line.indexOf("\r\n");
    if (end >= 0)
        line.truncate(end);
    return run(Windows1252::decode(line), error);
}

bool RawImport::addRecords(const QString& entries, QString* error)
{
    const CellValue now = CellValue::date(Conversions::dayNumberFromDateTime(m_clock.now()));
    const CellValue zero = CellValue::number(0);
    for (qsizetype p = 0; p < entries.size(); p += kRecordLength) {
        const QString barcode = field(entries, p, 14);
        const QString code = field(entries, p + 14, 5);
        const QString family = field(entries, p + 19, 6);
        const QStringView quantityField = QStringView(entries).mid(p + 25, 6);
        QString unit = field(entries, p + 31, 15);
        const QString centre = field(entries, p + 46, 6);
        const qint32 flags = Conversions::roundToWhole(Conversions::numericValue(entries.mid(p + 52, 3)));
        double mark = (flags & 1) ? 2 : 0;

        int slot = m_tables.ProcuraArtigo(code);
        if (slot == 0) {
            slot = m_tables.AdicionaArtigo(text(code), text(family), text(kFaltaPreencher),
                text(QChar(29) + kFaltaPreencher), text(QStringLiteral("0")), text(kFaltaPreencher),
                text(kFaltaPreencher), text(QStringLiteral("1")), text(kFaltaPreencher), now, zero, 0,
                Origin::Placeholder);
            mark = 3;
        }

        const std::optional<double> read = quantityOf(quantityField);
        if (!read) {
            *error
                = QStringLiteral("O registo %1 das leituras recebidas tem uma quantidade que não é um número (\"%2\"). "
                                 "Nada foi importado.")
                      .arg(p / kRecordLength + 1)
                      .arg(quantityField.toString());
            return false;
        }
        double quantity = *read;
        const Artigo& article = m_tables.artigo(slot);
        if (unit == u"Gramas" && article.UnidadeDeStock == u"Kilo") {
            unit = QStringLiteral("Kilo");
            quantity /= 1000;
        }
        m_tables.AdicionaArtigo(text(article.CodArtigo), text(article.CodFamContabilista),
            CellValue::date(article.DataRecepcao), text(article.DescArtigo),
            CellValue::number(article.PrecoCompraUnitario), text(article.UnidadeDeCompra), text(article.UnidadeDeStock),
            CellValue::number(article.ConversaoCompraStock), text(article.DescFamiliaContabilista), now, zero, 0,
            Origin::RefreshedByRawImport);
        if (!barcode.isEmpty())
            m_tables.AdicionaCodigosBarras(text(code), text(unit), text(barcode));
        m_tables.AdicionaLeitura(
            text(code), text(family), text(centre), text(unit), CellValue::number(quantity), CellValue::number(mark));
    }
    return true;
}
