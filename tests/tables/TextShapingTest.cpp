#include "tables/TextShaping.h"

#include <gtest/gtest.h>

#include <random>

using namespace TextShaping;
using namespace Qt::StringLiterals;

TEST(TextShaping, TiraAcentosReplacesTheCharactersOfTheTableOnlyAndBlankRunsCollapse)
{
    EXPECT_EQ(TiraAcentos(u"Pão de Açúcar"_s), u"Pao de Acucar"_s);
    EXPECT_EQ(TiraAcentos(u"ãâäáàÃÂÄÁÀêëéèÊËÉÈîïíìÎÏÍÌõôöóòÕÔÖÓÒûüúùÛÜÚÙñÑÿýÝç¢Çºª"_s),
        u"aaaaaAAAAAeeeeEEEEiiiiIIIIoooooOOOOOuuuuUUUUnNyyYccC.."_s);
    const QString other = u"ß Å Ø € @ #1a-Z_~ \t"_s;
    EXPECT_EQ(TiraAcentos(other), other);
    EXPECT_EQ(RetiraEspacosDuplos(u"   Leite   meio  gordo "_s), u"Leite meio gordo"_s);
    EXPECT_EQ(RetiraCaracter(u" a b"_s, 2), u"b"_s);
    EXPECT_EQ(RetiraCaracter(u" abc "_s, 0), u"abc"_s);
}

TEST(AbreviaDescricao, MarksTheLongestWordThenShortensItButNeverANumber)
{
    EXPECT_EQ(AbreviaDescricao(u"  Arroz   agulha "_s, 12), u"Arroz agulha"_s);
    // The first pass gives Chocolate.preto, as long as the text; each later pass takes one letter off.
    for (const QString& step :
        { u"Chocolat.preto"_s, u"Chocola.preto"_s, u"Chocol.preto"_s, u"Choco.preto"_s, u"Choc.preto"_s })
        EXPECT_EQ(AbreviaDescricao(u"Chocolate preto"_s, qint16(step.size())), step);
    EXPECT_EQ(AbreviaDescricao(u"Leite/Cafe"_s, 9), u"Leit.Cafe"_s);
    // Of two longest words the earlier goes first; a word that ends the text gets its full stop appended.
    EXPECT_EQ(AbreviaDescricao(u"abc def"_s, 5), u"a.de."_s);
    EXPECT_EQ(AbreviaDescricao(u"ab abcdef"_s, 7), u"ab abc."_s);
    EXPECT_EQ(AbreviaDescricao(u"Leite 1000 ml"_s, 8), u".1000 m."_s);
    // Nothing left to abbreviate: the text as given, blank runs and all, is cut.
    EXPECT_EQ(AbreviaDescricao(u"12  34  56"_s, 5), u"12  3"_s);
    // Of a word that begins with 0, the leading part worth 0 is just that 0.
    EXPECT_EQ(AbreviaDescricao(u"05kg 250"_s, 7), u"0.k.250"_s);
    EXPECT_EQ(AbreviaDescricao(u"Arroz agulha"_s, -3), QString());
}

TEST(AbreviaDescricao, AlwaysFitsTheWidth)
{
    std::mt19937 rng(7);
    const QString alphabet = u"ab0 1./çZ"_s;
    for (int round = 0; round < 3000; ++round) {
        QString text;
        for (int i = int(rng() % 30); i > 0; --i)
            text.append(alphabet.at(qsizetype(rng() % alphabet.size())));
        const qint16 n = qint16(int(rng() % 25) - 2);
        ASSERT_LE(AbreviaDescricao(text, n).size(), std::max<int>(n, 0)) << text.toStdString() << " / " << n;
    }
}
