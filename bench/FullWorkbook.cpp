#include "FullWorkbook.h"

#include "platform/Clock.h"
#include "tables/DataCommand.h"
#include "tables/InventoryTables.h"
#include "tables/InventoryWorkbook.h"
#include "tables/InventoryWriter.h"
#include "workbook/DataControl.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <random>

#include "QuietInteraction.h"

namespace {

constexpr int kXlsRows = 65535;
constexpr int kXlsxRows = 99999;

const char* const kNames[] = { "Açúcar branco", "Arroz agulha", "Azeite virgem extra", "Bacalhau graúdo",
    "Café em grão", "Farinha de trigo", "Leite meio-gordo", "Óleo alimentar", "Pão de forma", "Queijo flamengo",
    "Feijão encarnado", "Limões biológicos" };

} // namespace

bool writeFullWorkbook(const QString& path, QString* error)
{
    if (!InventoryWorkbook::create(path, error))
        return false;
    QuietInteraction ui;
    Clock clock;
    InventoryTables tables(ui, clock);
    const int rows = path.endsWith(QStringLiteral(".xlsx")) ? kXlsxRows : kXlsRows;
    std::mt19937 rng(11);
    const auto text = [](const QString& s) { return CellValue::text(s); };
    for (int i = 1; i <= rows; ++i) {
        const QString code = QString::number(i);
        const QString family = QStringLiteral("%1").arg(600 + i % 1000);
        tables.AdicionaArtigo(text(code), text(family), CellValue::date(45000 + rng() % 1000),
            text(QStringLiteral("%1 %2 emb. %3 kg")
                     .arg(QString::fromUtf8(kNames[rng() % 12]))
                     .arg(i)
                     .arg(rng() % 25 + 1)),
            CellValue::number((rng() % 10000) / 100.0), text(QStringLiteral("CX")), text(QStringLiteral("UN")),
            CellValue::number(rng() % 24 + 1), text(QStringLiteral("Família contabilística %1").arg(family)),
            CellValue::date(45000 + rng() % 1000 + 0.5), CellValue::number(i), 0, 3);
        tables.AdicionaCodigosBarras(
            text(code), text(QStringLiteral("UN")), text(QStringLiteral("560%1").arg(i, 10, 10, QLatin1Char('0'))));
        tables.AdicionaLeitura(text(code), text(family), text(i % 3 ? QStringLiteral("Sala") : QStringLiteral("Bar")),
            text(QStringLiteral("UN")), CellValue::number((rng() % 1000) / 4.0), CellValue::number(0));
    }
    DataControl data1;
    data1.setDatabaseName(path);
    InventoryWriter writer(data1, tables, ui);
    DataCommand command(tables, data1);
    return command.run(
        [&](QString* e) {
            if (!writer.GravarArtigos(e) || !writer.GravarCodigosBarras(e) || !writer.GravarFicheiroDasLeituras(e))
                return false;
            data1.setRecordSource(QStringLiteral("Contabilistica$"));
            if (!data1.Refresh(e))
                return false;
            for (int f = 0; f < 1000; ++f) {
                if (!data1.AddNew(e) || !data1.setField(QStringLiteral("CONTA"), text(QString::number(600 + f)), e)
                    || !data1.setField(QStringLiteral("DESCRICAO CONTA"),
                        text(QStringLiteral("Família contabilística %1").arg(600 + f)), e)
                    || !data1.setField(QStringLiteral("CONTACONTABILISTICA"), text(QStringLiteral("61%1").arg(f)), e)
                    || !data1.Update(e))
                    return false;
            }
            return true;
        },
        error);
}

namespace {

QString madeOnce(const char* variable, const QString& name)
{
    static QTemporaryDir dir;
    const QString kept = qEnvironmentVariable(variable);
    const QString path = kept.isEmpty() ? dir.filePath(name) : kept;
    QString error;
    if (!QFileInfo::exists(path) && !writeFullWorkbook(path, &error))
        qFatal("%s", qPrintable(error));
    return path;
}

} // namespace

const QString& fullWorkbook()
{
    static const QString path = madeOnce("TARVIK_FULL_WORKBOOK", QStringLiteral("full.xls"));
    return path;
}

const QString& fullXlsxWorkbook()
{
    static const QString path = madeOnce("TARVIK_FULL_XLSX", QStringLiteral("full.xlsx"));
    return path;
}
