#include "FullReport.h"

#include "platform/Clock.h"
#include "report/InventoryReport.h"
#include "tables/InventoryTables.h"
#include "tables/InventoryWorkbook.h"
#include "workbook/DataControl.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <random>
#include <vector>

#include "QuietInteraction.h"

const QString kArticleWords[10] = { QStringLiteral("Açúcar"), QStringLiteral("Arroz agulha"),
    QStringLiteral("Azeite virgem"), QStringLiteral("Bacalhau"), QStringLiteral("Café moído"),
    QStringLiteral("Farinha"), QStringLiteral("Leite meio-gordo"), QStringLiteral("Óleo"), QStringLiteral("Pão"),
    QStringLiteral("Queijo flamengo") };

namespace {

constexpr int kFull = 99999;

CellValue text(const QString& value)
{
    return CellValue::text(value);
}

} // namespace

std::unique_ptr<InventoryTables> fullReadings(UserInteraction& ui, const Clock& clock)
{
    auto tables = std::make_unique<InventoryTables>(ui, clock);
    std::mt19937 rng(5);
    for (int f = 0; f < 1000; ++f) {
        const QString conta = QString::number(600 + f);
        tables->AdicionaContasContabilisticas(conta, text(conta), text(QStringLiteral("61%1").arg(f)),
            text(QStringLiteral("Família contabilística %1").arg(conta)));
    }
    std::vector<int> codes(kFull);
    for (int i = 0; i < kFull; ++i)
        codes[size_t(i)] = i + 1;
    std::shuffle(codes.begin(), codes.end(), rng);
    for (int code : codes) {
        const QString family = QString::number(600 + code % 1000);
        tables->AdicionaArtigo(text(QString::number(code)), text(family), CellValue::date(45000),
            text(kArticleWords[rng() % 10] + QStringLiteral(" %1 kg").arg(rng() % 1000)),
            CellValue::number((rng() % 10000) / 100.0), text(QStringLiteral("CX")), text(QStringLiteral("UN")),
            CellValue::number(rng() % 24 + 1), text(family), CellValue(), CellValue::number(code), 0, 3);
        tables->AdicionaLeitura(text(QString::number(code)), text(family), text(QString::number(rng() % 10 + 1)),
            text(rng() % 2 ? QStringLiteral("UN") : QStringLiteral("CX")), CellValue::number((rng() % 1000) / 4.0),
            CellValue::number(0));
    }
    return tables;
}

bool writeAccounts(const QString& path, QString* error)
{
    if (!InventoryWorkbook::create(path, error))
        return false;
    DataControl data1;
    data1.setDatabaseName(path);
    data1.setRecordSource(QStringLiteral("Contabilistica$"));
    if (!data1.Refresh(error))
        return false;
    for (int f = 0; f < 1000; ++f) {
        if (!data1.AddNew(error) || !data1.setField(QStringLiteral("CONTA"), text(QString::number(600 + f)), error)
            || !data1.setField(QStringLiteral("CONTACONTABILISTICA"), text(QStringLiteral("61%1").arg(f)), error)
            || !data1.Update(error))
            return false;
    }
    return data1.commit(error);
}

bool writeFullReport(const QString& path, QString* error)
{
    QuietInteraction ui;
    const Clock clock;
    const std::unique_ptr<InventoryTables> tables = fullReadings(ui, clock);
    QTemporaryDir dir;
    const QString workbook = dir.filePath(QStringLiteral("inventario.xls"));
    if (!writeAccounts(workbook, error))
        return false;
    DataControl data1;
    data1.setDatabaseName(workbook);
    InventoryReport report(*tables, data1, ui);
    return report.CriarFicheiroDeInventarios(path, QStringLiteral("100"), error);
}
