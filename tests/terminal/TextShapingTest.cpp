#include "terminal/TextShaping.h"

#include <gtest/gtest.h>

#include <random>

using namespace TextShaping;

namespace {

QString S(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

} // namespace

TEST(TiraAcentos, ReplacesEveryCharacterOfTheTableAndKeepsTheLength)
{
    EXPECT_EQ(TiraAcentos(S("Pão de Açúcar")), S("Pao de Acucar"));
    EXPECT_EQ(TiraAcentos(S("ãâäáàÃÂÄÁÀêëéèÊËÉÈîïíìÎÏÍÌõôöóòÕÔÖÓÒûüúùÛÜÚÙñÑÿýÝç¢Çºª")),
        S("aaaaaAAAAAeeeeEEEEiiiiIIIIoooooOOOOOuuuuUUUUnNyyYccC.."));
}

TEST(TiraAcentos, LeavesOtherCharactersAlone)
{
    const QString other = S("ß Å å Ø € @ #1a-Z_~ ÅÆ \t");
    EXPECT_EQ(TiraAcentos(other), other);
    EXPECT_EQ(TiraAcentos(QString()), QString());
}

TEST(RetiraEspacosDuplos, TrimsAndCollapsesBlankRuns)
{
    EXPECT_EQ(RetiraEspacosDuplos(S("   Leite   meio  gordo ")), S("Leite meio gordo"));
    EXPECT_EQ(RetiraEspacosDuplos(S("a\t\tb")), S("a\t\tb"));
    EXPECT_EQ(RetiraEspacosDuplos(S("    ")), QString());
}

TEST(RetiraCaracter, RemovesOnePositionAndTrims)
{
    EXPECT_EQ(RetiraCaracter(S("abc"), 2), S("ac"));
    EXPECT_EQ(RetiraCaracter(S(" a b"), 2), S("b"));
    EXPECT_EQ(RetiraCaracter(S("abc"), 3), S("ab"));
    EXPECT_EQ(RetiraCaracter(S(" abc "), 0), S("abc"));
    EXPECT_EQ(RetiraCaracter(S(" abc "), 9), S("abc"));
}

TEST(AbreviaDescricao, OnlyTidiesATextThatFits)
{
    EXPECT_EQ(AbreviaDescricao(S("  Arroz   agulha "), 12), S("Arroz agulha"));
    EXPECT_EQ(AbreviaDescricao(S("Arroz"), 5), S("Arroz"));
}

TEST(AbreviaDescricao, MarksTheLongestWordThenShortensIt)
{
    // The first pass gives Chocolate.preto, as long as the text; each later pass takes one letter off.
    const char* steps[] = { "Chocolat.preto", "Chocola.preto", "Chocol.preto", "Choco.preto", "Choc.preto" };
    for (const char* expected : steps) {
        const QString e = S(expected);
        EXPECT_EQ(AbreviaDescricao(S("Chocolate preto"), qint16(e.size())), e);
    }
    EXPECT_EQ(AbreviaDescricao(S("Leite/Cafe"), 9), S("Leit.Cafe"));
}

TEST(AbreviaDescricao, ShortensTheEarlierOfTwoLongestWords)
{
    EXPECT_EQ(AbreviaDescricao(S("abc def"), 6), S("ab.def"));
    EXPECT_EQ(AbreviaDescricao(S("abc def"), 5), S("a.de."));
}

TEST(AbreviaDescricao, AppendsTheFullStopToAWordThatEndsTheText)
{
    EXPECT_EQ(AbreviaDescricao(S("ab abcdef"), 8), S("ab abcd."));
    EXPECT_EQ(AbreviaDescricao(S("ab abcdef"), 7), S("ab abc."));
}

TEST(AbreviaDescricao, NeverAbbreviatesANumber)
{
    EXPECT_EQ(AbreviaDescricao(S("Leite 1000 ml"), 11), S("Lei.1000 ml"));
    EXPECT_EQ(AbreviaDescricao(S("Leite 1000 ml"), 8), S(".1000 m."));
    // Nothing to abbreviate: the text as given, blank runs and all, is cut.
    EXPECT_EQ(AbreviaDescricao(S("12  34  56"), 5), S("12  3"));
    // Of a word that begins with 0, the leading part worth 0 is just that 0.
    EXPECT_EQ(AbreviaDescricao(S("05kg 250"), 7), S("0.k.250"));
}

TEST(AbreviaDescricao, GivesNothingForAWidthOfZeroOrLess)
{
    EXPECT_EQ(AbreviaDescricao(S("Arroz agulha"), 0), QString());
    EXPECT_EQ(AbreviaDescricao(S("Arroz agulha"), -3), QString());
}

TEST(AbreviaDescricao, AlwaysFitsTheWidth)
{
    std::mt19937 rng(7);
    const QString alphabet = S("ab0 1./çZ");
    for (int round = 0; round < 3000; ++round) {
        QString text;
        const int length = int(rng() % 30);
        for (int i = 0; i < length; ++i)
            text.append(alphabet.at(qsizetype(rng() % alphabet.size())));
        const qint16 n = qint16(int(rng() % 25) - 2);
        const QString shaped = AbreviaDescricao(text, n);
        ASSERT_LE(shaped.size(), std::max<int>(n, 0)) << text.toStdString() << " / " << n;
    }
}
