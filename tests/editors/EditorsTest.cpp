#include "editors/ArticleEditor.h"
#include "editors/ReadingsEditor.h"
#include "site/Site.h"
#include "support/CellValues.h"
#include "support/QtTestMain.h"
#include "support/ScriptedInteraction.h"
#include "support/TestProfile.h"
#include "tables/InventoryTables.h"
#include "workbook/DataControl.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

#include <algorithm>
#include <memory>
#include <random>
#include <tuple>

using namespace Qt::StringLiterals;

class EditorsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void articlesOpenByOriginAndAreConfirmedOnlyWhenEveryNumberReads();
    void readingsShowPriceValueAndMarkColoursInExchangeOrder();
    void readingsInsertedDeletedAndUnmarkedAreExactlyWhatIsSaved();

private:
    template <typename Editor> Editor& open();
    int rowOf(const QString& code) const;
    QString text(int row, int column) const { return m_editor->model().text(row, column); }
    // The cell's background; invalid for the default one.
    QColor colour(int row, int column) const;
    void click(int row, int column);
    void doubleClick(int row, int column, const QString& answer);
    void trigger(const char* action) { m_editor->findChild<QAction*>(QString::fromLatin1(action))->trigger(); }
    void press(const char* button) { m_editor->findChild<QPushButton*>(QString::fromLatin1(button))->click(); }
    std::unique_ptr<Site> reloaded();

    std::unique_ptr<TestProfile> m_profile;
    ScriptedInteraction m_ui;
    std::unique_ptr<Site> m_site;
    std::unique_ptr<GridEditor> m_editor;
    QString m_workbook;
};

void EditorsTest::init()
{
    m_profile = std::make_unique<TestProfile>();
    m_ui = ScriptedInteraction();
    m_workbook = m_profile->placeSiteWorkbook();
    QVERIFY(!m_workbook.isEmpty());
    m_site = std::make_unique<Site>(m_ui);
    QVERIFY(!m_site->load().failed());
}

void EditorsTest::cleanup()
{
    if (m_editor)
        m_editor->setAttribute(Qt::WA_DeleteOnClose, false);
    m_editor.reset();
    m_site.reset();
    m_profile.reset();
}

template <typename Editor> Editor& EditorsTest::open()
{
    m_editor = std::make_unique<Editor>(*m_site);
    auto& editor = static_cast<Editor&>(*m_editor);
    editor.show();
    editor.open();
    return editor;
}

int EditorsTest::rowOf(const QString& code) const
{
    for (int row = 0; row < m_editor->model().rowCount(); ++row) {
        if (text(row, 0) == code)
            return row;
    }
    return -1;
}

QColor EditorsTest::colour(int row, int column) const
{
    const QVariant brush = m_editor->model().index(row, column).data(Qt::BackgroundRole);
    return brush.isValid() ? brush.value<QBrush>().color() : QColor();
}

void EditorsTest::click(int row, int column)
{
    QTableView& grid = m_editor->grid();
    const QModelIndex index = m_editor->model().index(row, column);
    grid.scrollTo(index);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(index).center());
}

void EditorsTest::doubleClick(int row, int column, const QString& answer)
{
    click(row, column);
    m_ui.typedAnswers = { answer };
    Q_EMIT m_editor->grid().doubleClicked(m_editor->model().index(row, column));
}

std::unique_ptr<Site> EditorsTest::reloaded()
{
    auto site = std::make_unique<Site>(m_ui);
    site->load();
    return site;
}

static const Artigo& article(Site& site, const QString& code)
{
    return site.tables().artigo(site.tables().ProcuraArtigo(code));
}

// Each reading's code and unit, sorted.
static QStringList readingKeys(const InventoryTables& tables)
{
    QStringList keys;
    for (int slot = 1; slot <= tables.NLeituras(); ++slot)
        keys << tables.leitura(slot).CodArtigo + u'/' + tables.leitura(slot).Unidade;
    std::sort(keys.begin(), keys.end());
    return keys;
}

// Opened sorted by description and coloured by origin; an unknown code leaves the cursor where it was, a found row
// goes to the corrections. A family chosen in the drop-down brings its code; typed edits last and prices read the
// site format; a cell that is not a number refuses the confirmation and changes nothing, and closing with changes
// asks first. A deleted row stays deleted through a sort, and the confirmation saves it and the edits made here.
void EditorsTest::articlesOpenByOriginAndAreConfirmedOnlyWhenEveryNumberReads()
{
    InventoryTables& tables = m_site->tables();
    const std::tuple<QString, qint32, bool, int, QColor> origins[]
        = { { u"1001"_s, Origin::Reception, true, 1, QColor(255, 0, 0) },
              { u"1002"_s, Origin::Reception, false, 8, QColor(255, 255, 192) },
              { u"1003"_s, Origin::Correction, false, 4, QColor(128, 255, 128) },
              { u"1006"_s, Origin::Placeholder, false, 1, QColor(192, 192, 255) } };
    for (const auto& [code, origem, novo, column, shade] : origins) {
        tables.editArtigo(tables.ProcuraArtigo(code)).Origem = origem;
        tables.editArtigo(tables.ProcuraArtigo(code)).ArtigoNovo = novo;
    }
    ArticleEditor& editor = open<ArticleEditor>();
    QVERIFY(editor.findChild<QRadioButton*>(u"Option1"_s)->isChecked());
    QVERIFY(editor.grid().isColumnHidden(2));
    QCOMPARE(editor.grid().columnWidth(1), 300);
    QStringList descriptions;
    for (int row = 0; row < editor.model().rowCount(); ++row)
        descriptions << text(row, 1);
    QVERIFY2(std::is_sorted(descriptions.begin(), descriptions.end()), qPrintable(descriptions.join(u'|')));
    for (const auto& [code, origem, novo, column, shade] : origins)
        QVERIFY2(colour(rowOf(code), column) == shade, qPrintable(code));
    QCOMPARE(colour(rowOf(u"1001"_s), 0), QColor()); // never the code
    QCOMPARE(colour(rowOf(u"1007"_s), 1), QColor());

    click(0, 1);
    m_ui.typedAnswers = { u"9999"_s };
    trigger("LocalizarCodArtigo");
    QCOMPARE(editor.grid().currentIndex().row(), 0);
    m_ui.typedAnswers = { u"1006"_s };
    trigger("LocalizarCodArtigo");
    QCOMPARE(editor.grid().currentIndex().row(), rowOf(u"1006"_s));
    QCOMPARE(m_ui.prompts.last(), u"Tarvik: Codigo do Artigo []"_s);
    trigger("ColocarExcepcao");
    QVERIFY(m_ui.messages.isEmpty());
    DataControl corrections;
    corrections.setDatabaseName(m_workbook);
    corrections.setRecordSource(u"Correccoes$"_s);
    QString error;
    QVERIFY(corrections.Refresh(&error));
    QStringList codes;
    for (corrections.MoveFirst(&error); !corrections.Eof(); corrections.MoveNext())
        codes << corrections.field(corrections.column(u"CodArtigo"_s)).toText();
    QVERIFY2(codes.contains(u"1006"_s), qPrintable(codes.join(u' ')));

    const int count = editor.model().rowCount();
    const int row = rowOf(u"1001"_s);
    click(row, 4);
    auto* combo1 = m_editor->findChild<QComboBox*>(u"Combo1"_s);
    QVERIFY(combo1->isVisible());
    QCOMPARE(combo1->currentText(), u"Mercearia e pão"_s);
    QCOMPARE(combo1->count(), m_editor->model().distinctTexts(4).size());
    combo1->setCurrentIndex(combo1->findText(u"Bebidas e cafetaria"_s));
    click(row, 1);
    QVERIFY(!combo1->isVisible());
    QCOMPARE((QStringList { text(row, 3), text(row, 4) }), (QStringList { u"62"_s, u"Bebidas e cafetaria"_s }));
    // Entering and leaving the cell without a choice changes nothing, even without a family for the text.
    click(rowOf(u"1005"_s), 4);
    click(rowOf(u"1005"_s), 1);
    QCOMPARE(text(rowOf(u"1005"_s), 3), u"61"_s);

    const int agua = rowOf(u"1002"_s);
    doubleClick(agua, 8, u"2,5"_s);
    doubleClick(agua, 1, u"Água das pedras"_s);
    click(agua, 5);
    QCOMPARE(text(agua, 1), u"Água das pedras"_s);
    doubleClick(agua, 0, QString()); // an empty answer changes nothing
    QCOMPARE(text(agua, 0), u"1002"_s);

    click(rowOf(u"1007"_s), 1);
    trigger("Apagarlinha");
    editor.findChild<QRadioButton*>(u"Option3"_s)->click();
    QCOMPARE(editor.model().rowCount(), count - 1);
    QCOMPARE(rowOf(u"1007"_s), -1);

    const int cafe = rowOf(u"1003"_s);
    doubleClick(cafe, 1, u"Café moído"_s);
    doubleClick(cafe, 7, u"doze"_s);
    press("Command2");
    QVERIFY(m_editor->isVisible());
    QCOMPARE(m_ui.messages,
        QStringList {
            u"Linha %1, coluna \"Conversão Compra-Stock\": \"doze\" não é um número. Nada foi alterado."_s.arg(
                cafe + 1) });
    QCOMPARE(article(*m_site, u"1003"_s).ConversaoCompraStock, 1.0);
    QVERIFY(article(*m_site, u"1002"_s).DescArtigo != u"Água das pedras");
    QCOMPARE(m_site->tables().NArtigos(), count);
    m_ui.answers = { false };
    QVERIFY(!m_editor->close());
    QVERIFY(m_editor->isVisible());

    doubleClick(cafe, 7, u"1"_s);
    press("Command2");
    QVERIFY(!m_editor->isVisible());
    QCOMPARE(m_ui.messages.size(), 1);
    const std::unique_ptr<Site> saved = reloaded();
    QCOMPARE(saved->tables().ProcuraArtigo(u"1007"_s), 0);
    QCOMPARE(article(*saved, u"1003"_s).DescArtigo, u"Café moído"_s);
    const Artigo& a = article(*saved, u"1002"_s);
    QCOMPARE(a.PrecoCompraUnitario, 2.5);
    QCOMPARE(a.DescArtigo, u"Água das pedras"_s);
    QCOMPARE(a.DataRecepcao, article(*m_site, u"1002"_s).DataRecepcao);

    // Closed with unconfirmed changes after a Yes, the editor drops them.
    open<ArticleEditor>();
    doubleClick(0, 1, u"outra coisa"_s);
    m_ui.answers = { true };
    QVERIFY(m_editor->close());
    QCOMPARE(m_ui.questions.size(), 2);
    QVERIFY(m_site->tables().artigo(1).DescArtigo != u"outra coisa");
}

// Rows in the order repeated neighbour exchanges by description reach, on random readings (unknown articles count
// as ""); each with its article's description, the price of one stock unit and the value, coloured by its mark.
void EditorsTest::readingsShowPriceValueAndMarkColoursInExchangeOrder()
{
    InventoryTables& tables = m_site->tables();
    tables.editLeitura(2).LeituraDuvidosa = 3;
    tables.AdicionaLeitura(T(u"7777"_s), T(u"61"_s), T(u"Bar"_s), T(u"UN"_s), N(2), N(0));
    std::mt19937 random(7);
    const QString words[] = { u"Pão"_s, u"pão"_s, u"Arroz"_s, u"Água"_s, u"Leite"_s };
    for (int i = 0; i < 300; ++i) {
        const QString code = QString::number(5000 + random() % 60);
        if (!tables.ProcuraArtigo(code) && random() % 4 != 0)
            tables.AdicionaArtigo(T(code), T(u"61"_s), CellValue::date(46000),
                T(words[random() % 5] + QString(int(random() % 2), u' ')), N(1), T(u"UN"_s), T(u"UN"_s), N(1),
                CellValue(), CellValue(), CellValue(), 0, Origin::Loaded);
        tables.AdicionaLeitura(T(code), T(u"61"_s), T(QString::number(i)), T(u"UN"_s), N(1), N(0));
    }
    QStringList expected;
    QStringList keys;
    for (int slot = 1; slot <= tables.NLeituras(); ++slot) {
        const int article = tables.ProcuraArtigo(tables.leitura(slot).CodArtigo);
        keys << (article ? tables.artigo(article).DescArtigo : QString());
        expected << tables.leitura(slot).CodArtigo + u'/' + tables.leitura(slot).CentroCusto;
    }
    for (bool exchanged = true; exchanged;) {
        exchanged = false;
        for (qsizetype i = 0; i + 1 < keys.size(); ++i) {
            if (keys[i] > keys[i + 1]) {
                keys.swapItemsAt(i, i + 1);
                expected.swapItemsAt(i, i + 1);
                exchanged = true;
            }
        }
    }
    open<ReadingsEditor>();
    QStringList shown;
    for (int row = 0; row < m_editor->model().rowCount(); ++row)
        shown << text(row, 0) + u'/' + text(row, 2);
    QCOMPARE(shown, expected);

    // Description, price and value. 1001: 8,5 a box of 10; 10 counted in units (2,5 and 7,5 merged at loading).
    const auto priced = [this](int row) { return QStringList { text(row, 1), text(row, 6), text(row, 7) }; };
    const int acucar = rowOf(u"1001"_s);
    QCOMPARE(priced(acucar), QStringList({ u"Açúcar branco 1 kg"_s, u"0,85"_s, u"8,5"_s }));
    QCOMPARE(priced(rowOf(u"7777"_s)), QStringList({ QString(), u"0"_s, u"0"_s }));
    QCOMPARE(colour(acucar, 3), QColor(255, 192, 192));
    QCOMPARE(colour(rowOf(u"1002"_s), 3), QColor(128, 255, 128));
    // The units of the row's article in the drop-down.
    click(acucar, 5);
    auto* combo1 = m_editor->findChild<QComboBox*>(u"Combo1"_s);
    QStringList units;
    for (int i = 0; i < combo1->count(); ++i)
        units << combo1->itemText(i);
    QCOMPARE(units, QStringList({ u"CX:10"_s, u"UN"_s }));

    // "Cancelar" asks nothing; a mark cleared meanwhile stays cleared but unconfirmed.
    click(rowOf(u"1002"_s), 2);
    trigger("DesmarcarLeitura");
    press("Command1");
    QVERIFY(!m_editor->isVisible());
    QVERIFY(m_ui.questions.isEmpty());
    QCOMPARE(tables.leitura(2).LeituraDuvidosa, 1.0);
}

// Cancelled or empty, the prompt inserts nothing; an inserted reading takes its place by description.
void EditorsTest::readingsInsertedDeletedAndUnmarkedAreExactlyWhatIsSaved()
{
    m_site->tables().AdicionaArtigo(T(u"123"_s), T(u"0101"_s), CellValue::date(46000), T(u"Batata doce"_s), N(3),
        T(u"SC"_s), T(u"KG"_s), N(10), T(u"Frescos"_s), CellValue(), CellValue(), 0, Origin::Loaded);
    QStringList expected = readingKeys(m_site->tables());
    ReadingsEditor& editor = open<ReadingsEditor>();
    // The first 1001 reading, in units, is the doubtful one.
    click(rowOf(u"1001"_s), 2);
    trigger("DesmarcarLeitura");
    QCOMPARE(colour(rowOf(u"1001"_s), 3), QColor());
    const int count = editor.model().rowCount();
    m_ui.typedAnswers = { std::nullopt };
    trigger("Inserirlinha");
    m_ui.typedAnswers = { QString() };
    trigger("Inserirlinha");
    QCOMPARE(editor.model().rowCount(), count);
    m_ui.typedAnswers = { u"123"_s };
    trigger("Inserirlinha");
    QCOMPARE(m_ui.prompts.last(), u"Tarvik: Codigo do Artigo a inserir  []"_s);
    const int row = rowOf(u"123"_s);
    QCOMPARE(editor.model().row(row).cells.mid(0, 6),
        QStringList({ u"123"_s, u"Batata doce"_s, QString(), u"0101"_s, u"1"_s, u"KG"_s }));
    QVERIFY(text(row - 1, 1) <= u"Batata doce"_s && text(row + 1, 1) >= u"Batata doce"_s);

    int box = 0;
    while (text(box, 5) != u"CX")
        ++box;
    click(box, 2);
    trigger("ApagarLinha");
    press("Command2");
    QVERIFY(!editor.isVisible());
    const std::unique_ptr<Site> saved = reloaded();
    expected.removeOne(u"1001/CX"_s);
    expected << u"123/KG"_s;
    std::sort(expected.begin(), expected.end());
    QCOMPARE(readingKeys(saved->tables()), expected);
    for (int slot = 1; slot <= saved->tables().NLeituras(); ++slot) {
        const Leitura& l = saved->tables().leitura(slot);
        if (l.CodArtigo == u"1001" && l.Unidade == u"UN") {
            QCOMPARE(l.LeituraDuvidosa, 0.0);
        }
    }
}

TARVIK_QTEST_MAIN(EditorsTest)

#include "EditorsTest.moc"
