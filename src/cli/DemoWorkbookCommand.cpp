#include "cli/DemoWorkbookCommand.h"

#include "cli/ConsoleInteraction.h"
#include "platform/Clock.h"
#include "tables/DataCommand.h"
#include "tables/InventoryTables.h"
#include "tables/InventoryWorkbook.h"
#include "tables/InventoryWriter.h"
#include "tables/Sheets.h"
#include "values/Conversions.h"
#include "workbook/DataControl.h"

#include <QTextStream>

namespace {

struct Family
{
    const char* conta;
    const char* descricao;
    const char* contaContab;
};

struct Article
{
    const char* code;
    const char* family;
    const char* description;
    double price;
    const char* purchaseUnit;
    const char* stockUnit;
    double conversion;
    const char* barcode;
};

const Family kFamilies[] = {
    { "61", "Mercearia", "6121" },
    { "62", "Bebidas", "6122" },
    { "63", "Carnes", "6123" },
    { "64", "Peixe e marisco", "6124" },
    { "65", "Frutas e legumes", "6125" },
    { "66", "Lacticínios", "6126" },
    { "67", "Limpeza", "6127" },
};

const Article kArticles[] = {
    { "1001", "61", "Arroz agulha 1 kg", 13.50, "FD", "UN", 10, "5601234000011" },
    { "1002", "61", "Açúcar branco 1 kg", 10.90, "FD", "UN", 10, "5601234000028" },
    { "1003", "61", "Azeite virgem extra 3 L", 79.60, "CX", "GF", 4, "5601234000035" },
    { "1004", "61", "Farinha de trigo T55 1 kg", 7.90, "FD", "UN", 10, "5601234000042" },
    { "1005", "61", "Feijão encarnado 500 g", 13.80, "CX", "UN", 12, "5601234000059" },
    { "1006", "61", "Massa esparguete 500 g", 17.80, "CX", "UN", 20, "5601234000066" },
    { "1007", "61", "Sal marinho grosso 1 kg", 5.40, "FD", "UN", 12, "5601234000073" },
    { "1008", "61", "Café em grão 1 kg", 14.50, "UN", "UN", 1, "5601234000080" },
    { "2001", "62", "Água mineral 1,5 L", 2.34, "PK", "UN", 6, "5602345000018" },
    { "2002", "62", "Água com gás 25 cl", 6.60, "CX", "UN", 24, "5602345000025" },
    { "2003", "62", "Cerveja mini 20 cl", 9.36, "CX", "UN", 24, "5602345000032" },
    { "2004", "62", "Vinho tinto Douro 75 cl", 29.70, "CX", "GF", 6, "5602345000049" },
    { "2005", "62", "Sumo de laranja 1 L", 8.94, "CX", "UN", 6, "5602345000056" },
    { "3001", "63", "Lombo de porco", 6.95, "Kilo", "Kilo", 1, "2300100000007" },
    { "3002", "63", "Peito de frango", 5.49, "Kilo", "Kilo", 1, "2300200000004" },
    { "3003", "63", "Novilho para bife", 14.90, "Kilo", "Kilo", 1, "" },
    { "4001", "64", "Bacalhau graúdo demolhado", 12.80, "Kilo", "Kilo", 1, "2400100000004" },
    { "4002", "64", "Polvo congelado", 11.50, "Kilo", "Kilo", 1, "" },
    { "4003", "64", "Camarão 40/60", 19.80, "CX", "Kilo", 2, "5603456000013" },
    { "5001", "65", "Batata branca", 14.50, "SC", "Kilo", 25, "" },
    { "5002", "65", "Cebola", 8.90, "SC", "Kilo", 10, "" },
    { "5003", "65", "Limões", 1.99, "Kilo", "Kilo", 1, "" },
    { "5004", "65", "Alface frisada", 0.75, "UN", "UN", 1, "" },
    { "6001", "66", "Leite meio-gordo 1 L", 4.92, "CX", "UN", 6, "5604567000010" },
    { "6002", "66", "Manteiga com sal 250 g", 49.80, "CX", "UN", 20, "5604567000027" },
    { "6003", "66", "Queijo flamengo fatiado", 8.90, "Kilo", "Kilo", 1, "5604567000034" },
    { "6004", "66", "Natas para culinária 1 L", 19.20, "CX", "UN", 6, "5604567000041" },
    { "7001", "67", "Detergente loiça 5 L", 7.40, "UN", "UN", 1, "5605678000017" },
    { "7002", "67", "Lixívia 2 L", 7.80, "CX", "UN", 6, "5605678000024" },
    { "7003", "67", "Sacos do lixo 100 L", 4.10, "RL", "RL", 1, "5605678000031" },
};

struct Reading
{
    const char* code;
    const char* family;
    const char* centre;
    const char* unit;
    double quantity;
};

const Reading kReadings[] = {
    { "1001", "61", "10", "UN", 14 },
    { "1003", "61", "10", "GF", 5 },
    { "1008", "61", "20", "UN", 3 },
    { "2001", "62", "20", "UN", 36 },
    { "2003", "62", "20", "CX", 2 },
    { "2003", "62", "20", "UN", 17 },
    { "2004", "62", "30", "GF", 11 },
    { "3001", "63", "10", "Kilo", 8.4 },
    { "4001", "64", "10", "Kilo", 12.5 },
    { "5001", "65", "10", "Kilo", 31 },
    { "6001", "66", "20", "UN", 9 },
    { "7001", "67", "40", "UN", 2 },
};

CellValue text(const char* s)
{
    return CellValue::text(QString::fromUtf8(s));
}

} // namespace

bool DemoWorkbookCommand::accepts(const QStringList& arguments) const
{
    return arguments.size() == 1;
}

CommandResult DemoWorkbookCommand::execute(const QStringList& arguments, CommandContext& context)
{
    const QString path = sitePath(arguments.first());
    QString error;
    if (!InventoryWorkbook::create(path, &error))
        return CommandResult::failed(error);
    const Clock clock;
    const double today = Conversions::dayNumberFromDateTime(QDateTime(clock.now().date(), QTime(0, 0)));
    InventoryTables tables(context.ui, clock);
    for (const Article& a : kArticles) {
        tables.AdicionaArtigo(text(a.code), text(a.family), CellValue::date(today - 20), text(a.description),
            CellValue::number(a.price), text(a.purchaseUnit), text(a.stockUnit), CellValue::number(a.conversion),
            CellValue::text(QString::fromUtf8(kFamilies[QByteArray(a.family).toInt() - 61].descricao)),
            CellValue::date(today - 20), CellValue::number(&a - kArticles + 1), 0, Origin::Loaded);
        if (*a.barcode)
            tables.AdicionaCodigosBarras(text(a.code), text(a.stockUnit), text(a.barcode));
    }
    for (const Reading& r : kReadings)
        tables.AdicionaLeitura(text(r.code), text(r.family), text(r.centre), text(r.unit),
            CellValue::number(r.quantity), CellValue::number(0));
    DataControl data1;
    data1.setDatabaseName(path);
    InventoryWriter writer(data1, tables, context.ui);
    DataCommand command(tables, data1);
    const bool ok = command.run(
        [&](QString* e) {
            using namespace Sheets::Contabilistica;
            const Sheets::Layout& sheet = Sheets::contabilistica();
            data1.setRecordSource(sheet.source());
            if (!data1.Refresh(e))
                return false;
            for (const Family& f : kFamilies) {
                if (!data1.AddNew(e) || !data1.setField(sheet.heading(CONTA), text(f.conta), e)
                    || !data1.setField(sheet.heading(DESCRICAO_CONTA), text(f.descricao), e)
                    || !data1.setField(sheet.heading(CONTACONTABILISTICA), text(f.contaContab), e) || !data1.Update(e))
                    return false;
            }
            return writer.saveAfterRawImport(e);
        },
        &error);
    return ok ? CommandResult::done() : CommandResult::failed(error);
}
