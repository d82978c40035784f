#include "terminal/RawImport.h"

#include "app/Clock.h"
#include "data/ArticleSorts.h"
#include "data/Conversions.h"
#include "data/DataCommand.h"
#include "data/InventoryTables.h"
#include "data/InventoryWriter.h"

using Conversions::trimBlanks;

namespace {

const QString kFaltaPreencher = QStringLiteral("FALTA PREENCHER");

CellValue text(const QString& value)
{
    return CellValue::text(value);
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

bool RawImport::addRecords(const QString& entries, QString* error)
{
    const CellValue now = CellValue::date(Conversions::dayNumberFromDateTime(m_clock.now()));
    const CellValue zero = CellValue::number(0);
    for (qsizetype p = 0; p < entries.size(); p += kRecordLength) {
        const QString barcode = trimBlanks(entries.mid(p, 14));
        const QString code = trimBlanks(entries.mid(p + 14, 5));
        const QString family = trimBlanks(entries.mid(p + 19, 6));
        const QString quantityField = entries.mid(p + 25, 6);
        QString unit = trimBlanks(entries.mid(p + 31, 15));
        const QString centre = trimBlanks(entries.mid(p + 46, 6));
        const qint32 flags = Conversions::roundToWhole(Conversions::numericValue(entries.mid(p + 52, 3)));
        double mark = (flags & 1) ? 2 : 0;

        int slot = m_tables.ProcuraArtigo(code);
        if (slot == 0) {
            slot = m_tables.AdicionaArtigo(text(code), text(family), text(kFaltaPreencher),
                                           text(QChar(29) + kFaltaPreencher), text(QStringLiteral("0")),
                                           text(kFaltaPreencher), text(kFaltaPreencher), text(QStringLiteral("1")),
                                           text(kFaltaPreencher), now, zero, 0, 4);
            mark = 3;
        }

        // Blanks inside the field are padding; a "." is read as the decimal comma, as everywhere else.
        QString digits = QStringLiteral("0") + quantityField;
        digits.remove(u' ');
        const std::optional<double> read = Conversions::AsciiToDouble(digits);
        if (!read) {
            *error = QStringLiteral("O registo %1 das leituras recebidas tem uma quantidade que não é um número (\"%2\"). "
                                    "Nada foi importado.")
                         .arg(p / kRecordLength + 1)
                         .arg(quantityField);
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
                                CellValue::number(article.PrecoCompraUnitario), text(article.UnidadeDeCompra),
                                text(article.UnidadeDeStock), CellValue::number(article.ConversaoCompraStock),
                                text(article.DescFamiliaContabilista), now, zero, 0, 5);
        if (!barcode.isEmpty())
            m_tables.AdicionaCodigosBarras(text(code), text(unit), text(barcode));
        m_tables.AdicionaLeitura(text(code), text(family), text(centre), text(unit), CellValue::number(quantity),
                                 CellValue::number(mark));
    }
    return true;
}
