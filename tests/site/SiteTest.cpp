#include "site/Site.h"

#include "support/CellValues.h"
#include "support/ScriptedInteraction.h"
#include "support/TestProfile.h"
#include "tables/InventoryWorkbook.h"
#include "tables/Sheets.h"
#include "terminal/SimulatedTerminal.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class SiteTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_FALSE(profile.placeSiteWorkbook().isEmpty()); }

    void set(const QList<std::pair<SettingsKeys::Key, QString>>& values)
    {
        QString error;
        ASSERT_TRUE(SettingsStore().save(values, &error)) << error.toStdString();
    }

    TestProfile profile;
    ScriptedInteraction ui;
};

} // namespace

// Start-up opens the port the settings name and the report goes to the settings' file. A terminal library that
// cannot be used leaves the tables loaded; every terminal command says why.
TEST_F(SiteTest, StartUpFollowsTheSettingsPortReportFileAndTerminalLibrary)
{
    set({ { SettingsKeys::CommPort, u" 2.6 (COM3)"_s },
        { SettingsKeys::FicheiroDeReport, u"c:\\relatorios\\Inventario.txt"_s } });
    Site site(ui);
    EXPECT_EQ(site.startUp(profile.path(u"programa"_s)).ending(), CommandResult::Ending::Done);
    EXPECT_EQ(SimulatedTerminal(SimulatedTerminal::defaultFolder()).openedPort(), u"3"_s);
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(site.reportPath(), profile.path(u"c/relatorios/Inventario.txt"_s));
    EXPECT_EQ(site.CriarFicheiroDeInventarios(u"109"_s).ending(), CommandResult::Ending::Done);
    EXPECT_TRUE(QFile::exists(site.reportPath()));
    EXPECT_EQ(site.CriarFicheiroDeInventarios(u"100"_s, u"c:\\outro.txt"_s).ending(), CommandResult::Ending::Done);
    EXPECT_TRUE(QFile::exists(profile.path(u"c/outro.txt"_s)));

    set({ { SettingsKeys::RioComLibrary, profile.path(u"nada.so"_s) } });
    Site bad(ui);
    const CommandResult started = bad.startUp(profile.path(u"programa"_s));
    ASSERT_TRUE(started.failed());
    ASSERT_EQ(started.messages().size(), 1);
    EXPECT_TRUE(started.messages()[0].contains(u"nada.so"_s)) << started.messages()[0].toStdString();
    for (const CommandResult& result : { bad.ReceberDados(), bad.EnviarDados(), bad.ImpRaw(), bad.collect() })
        EXPECT_EQ(result.messages(), started.messages());
    EXPECT_EQ(bad.CriarFicheiroDeInventarios(u"100"_s).ending(), CommandResult::Ending::Done);
}

// Without families there is nothing to count against: start-up stops at the load, the port left closed. A new site
// with families and articles that has not counted yet still reaches the terminal.
TEST_F(SiteTest, StartUpNeedsFamiliesButNeitherReadingsNorBarcodes)
{
    QString error;
    Site bare(ui, profile.path(u"vazio.xls"_s));
    ASSERT_TRUE(InventoryWorkbook::create(profile.path(u"vazio.xls"_s), &error));
    const CommandResult refused = bare.startUp(profile.path(u"programa"_s));
    ASSERT_TRUE(refused.failed());
    EXPECT_TRUE(refused.messages().last().startsWith(u"Erro em 'Contabilistica' "_s));
    EXPECT_TRUE(SimulatedTerminal(SimulatedTerminal::defaultFolder()).openedPort().isEmpty());

    const QString workbook = profile.path(u"novo.xls"_s);
    ASSERT_TRUE(InventoryWorkbook::create(workbook, &error)) << error.toStdString();
    {
        DataControl data;
        data.setDatabaseName(workbook);
        const auto addRow = [&](const Sheets::Layout& sheet, const QList<CellValue>& values) {
            data.setRecordSource(sheet.source());
            ASSERT_TRUE(data.Refresh(&error) && data.AddNew(&error)) << error.toStdString();
            for (int column = 0; column < values.size(); ++column)
                ASSERT_TRUE(data.setField(sheet.heading(column), values[column], &error)) << error.toStdString();
            ASSERT_TRUE(data.Update(&error)) << error.toStdString();
        };
        addRow(Sheets::contabilistica(), { T(u"61"_s), T(u"Mercearia"_s) });
        addRow(Sheets::artigos(), { T(u"1001"_s), T(u"61"_s), CellValue::date(46000), T(u"Arroz"_s) });
        ASSERT_TRUE(data.commit(&error)) << error.toStdString();
    }
    Site site(ui, workbook);
    const CommandResult started = site.startUp(profile.path(u"programa"_s));
    EXPECT_EQ(started.ending(), CommandResult::Ending::Done) << started.messages().join(u'\n').toStdString();
    EXPECT_EQ(site.tables().NArtigos(), 1);
    EXPECT_EQ(SimulatedTerminal(SimulatedTerminal::defaultFolder()).openedPort(), u"1"_s);
}
