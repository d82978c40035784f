#include "site/EditorCommands.h"

#include "platform/SitePaths.h"
#include "site/Site.h"
#include "support/CellValues.h"
#include "support/ScriptedInteraction.h"
#include "support/TestProfile.h"
#include "tables/ArticleSorts.h"
#include "tables/InventoryTables.h"

#include <QFile>

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::StringLiterals;

namespace {

class EditorCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(profile.placeSiteWorkbook(), workbook);
        ASSERT_FALSE(site->load().failed());
    }

    // The rows an editor opened now would hold, unchanged, one a slot.
    template <typename Record>
    std::vector<RowEdit> openedRows(const Record& (InventoryTables::*record)(int) const, int count)
    {
        std::vector<RowEdit> rows;
        for (int slot = 1; slot <= count; ++slot)
            rows.push_back({ (tables().*record)(slot).recordId, (tables().*record)(slot).CodArtigo, {}, {}, false });
        return rows;
    }
    std::vector<RowEdit> articleRows() { return openedRows(&InventoryTables::artigo, tables().NArtigos()); }
    std::vector<RowEdit> readingRows() { return openedRows(&InventoryTables::leitura, tables().NLeituras()); }
    InventoryTables& tables() { return site->tables(); }
    const Artigo* article(Site& in, const QString& code)
    {
        const int slot = in.tables().ProcuraArtigo(code);
        return slot ? &in.tables().artigo(slot) : nullptr;
    }
    // The workbook as the next start-up reads it.
    std::unique_ptr<Site> reloaded()
    {
        auto fresh = std::make_unique<Site>(ui);
        EXPECT_FALSE(fresh->load().failed());
        return fresh;
    }

    TestProfile profile;
    ScriptedInteraction ui;
    const QString workbook = SitePaths::resolve(u"c:\\InventariosQel.xls"_s);
    std::unique_ptr<Site> site = std::make_unique<Site>(ui);
};

} // namespace

// Another command sorted the table and added an article while the editor was open.
TEST_F(EditorCommandsTest, ArticleEditsGoToTheirRecordsAndKeepWhatOthersAdded)
{
    std::vector<RowEdit> rows = articleRows();
    const int cafe = tables().ProcuraArtigo(u"1003"_s);
    const Artigo before = tables().artigo(cafe);
    rows[size_t(cafe - 1)].changed
        = { { ArticleColumn::DescArtigo, u"Café moído"_s }, { ArticleColumn::PrecoCompraUnitario, u"2,5"_s } };
    // The user deleted 1007: its row is gone and its record listed.
    const quint64 feijao = tables().artigo(tables().ProcuraArtigo(u"1007"_s)).recordId;
    std::erase_if(rows, [feijao](const RowEdit& row) { return row.recordId == feijao; });
    const int count = tables().NArtigos();

    tables().AdicionaArtigo(T(u"2001"_s), T(u"61"_s), CellValue::date(46000), T(u"Arroz carolino"_s), N(1.1),
        T(u"KG"_s), T(u"KG"_s), N(1), T(u"Mercearia e pão"_s), CellValue(), CellValue(), 0, Origin::Placeholder);
    ArticleSorts(tables(), ui).OrdenarArtigosPorCodigo();

    QStringList lost;
    ASSERT_FALSE(EditorCommands(*site).confirmArticles(rows, { feijao }, &lost).failed());
    EXPECT_TRUE(lost.isEmpty());
    const std::unique_ptr<Site> saved = reloaded();
    for (Site* s : { site.get(), saved.get() }) {
        EXPECT_EQ(s->tables().NArtigos(), count);
        const Artigo* edited = article(*s, u"1003"_s);
        ASSERT_TRUE(edited);
        EXPECT_EQ(std::tuple(edited->DescArtigo, edited->PrecoCompraUnitario, edited->UnidadeDeStock, edited->Posicao),
            std::tuple(u"Café moído"_s, 2.5, before.UnidadeDeStock, before.Posicao));
        EXPECT_EQ(article(*s, u"1007"_s), nullptr);
        EXPECT_NE(article(*s, u"2001"_s), nullptr);
    }
    // Rows keep the editor's order; what was added meanwhile comes after them.
    EXPECT_EQ(tables().artigo(1).CodArtigo, u"1001"_s);
    EXPECT_EQ(tables().artigo(count).CodArtigo, u"2001"_s);
}

TEST_F(EditorCommandsTest, ReadingsDeletedInsertedAndUnmarkedAreExactlyWhatIsSaved)
{
    std::vector<RowEdit> rows = readingRows();
    rows[0].unmarked = true; // the first reading is marked doubtful
    rows[1].changed = { { ReadingColumn::QtEmUnidadeInventario, u"13,5"_s } };
    rows[1].original = { { ReadingColumn::QtEmUnidadeInventario, u"12"_s } };
    const quint64 deleted = rows.back().recordId;
    const Leitura deletedReading = tables().leitura(tables().NLeituras());
    rows.pop_back();
    using namespace ReadingColumn;
    rows.push_back({ 0, u"1006"_s,
        { { CodArtigo, u"1006"_s }, { CentroCusto, QString() }, { FamiliaContabilista, u"64"_s },
            { QtEmUnidadeInventario, u"1"_s }, { Unidade, u"FR"_s } },
        {}, false });
    const int count = tables().NLeituras();
    // A collection meanwhile: one reading merged into an existing one, one new.
    tables().AdicionaLeitura(T(u"1002"_s), T(u"62"_s), T(u"Bar"_s), T(u"UN"_s), N(1), N(0));
    tables().AdicionaLeitura(T(u"1003"_s), T(u"62"_s), T(u"Bar"_s), T(u"KG"_s), N(4), N(0));

    QStringList lost;
    ASSERT_FALSE(EditorCommands(*site).confirmReadings(rows, { deleted }, &lost).failed());
    const std::unique_ptr<Site> saved = reloaded();
    const InventoryTables& t = saved->tables();
    ASSERT_EQ(t.NLeituras(), count + 1);
    EXPECT_EQ(t.leitura(1).LeituraDuvidosa, 0.0);
    // 12 corrected to 13,5 while the collection added 1: the correction goes on top of the collected count.
    EXPECT_EQ(t.leitura(2).QtEmUnidadeInventario, 14.5);
    EXPECT_EQ(std::pair(t.leitura(count).CodArtigo, t.leitura(count).Unidade), std::pair(u"1006"_s, u"FR"_s));
    EXPECT_EQ(t.leitura(count + 1).CodArtigo, u"1003"_s);
    for (int slot = 1; slot <= t.NLeituras(); ++slot) {
        const Leitura& l = t.leitura(slot);
        EXPECT_FALSE(l.CodArtigo == deletedReading.CodArtigo && l.Unidade == deletedReading.Unidade
            && l.CentroCusto == deletedReading.CentroCusto);
    }
}

TEST_F(EditorCommandsTest, AFailedSaveChangesNothingAndAnEditOfAnArticleDeletedMeanwhileIsNamedNotSaved)
{
    std::vector<RowEdit> rows = articleRows();
    rows[0].changed = { { ArticleColumn::DescArtigo, u"nova"_s } };
    rows[1].changed = { { ArticleColumn::DescArtigo, u"outra"_s } };
    const QString description = tables().artigo(1).DescArtigo;
    const int count = tables().NArtigos();
    QFile::setPermissions(workbook, QFile::ReadOwner);
    QStringList lost;
    const CommandResult result = EditorCommands(*site).confirmArticles(rows, { rows[2].recordId }, &lost);
    ASSERT_TRUE(result.failed());
    EXPECT_TRUE(result.messages().join(u' ').contains(workbook)) << result.messages().join(u' ').toStdString();
    EXPECT_EQ(tables().artigo(1).DescArtigo, description);
    EXPECT_EQ(tables().NArtigos(), count);

    // Writable again; another command deleted the second article meanwhile: its edit is named, not saved.
    QFile::setPermissions(workbook, QFile::ReadOwner | QFile::WriteOwner);
    std::swap(tables().editArtigo(2), tables().editArtigo(count));
    tables().setNArtigos(count - 1);
    QStringList named;
    ASSERT_FALSE(EditorCommands(*site).confirmArticles(rows, {}, &named).failed());
    EXPECT_EQ(named, QStringList { rows[1].code });
    EXPECT_EQ(tables().NArtigos(), count - 1);
}
