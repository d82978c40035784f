#include "tables/ArticleSorts.h"

#include "platform/UserInteraction.h"
#include "tables/InventoryTables.h"
#include "values/Conversions.h"

#include <algorithm>
#include <numeric>

ArticleSorts::ArticleSorts(InventoryTables& tables, UserInteraction& ui)
    : m_tables(tables)
    , m_ui(ui)
{
}

template <typename Before> void ArticleSorts::sortBy(const Before& before)
{
    m_ui.setBusy(UserInteraction::Window::ArticleEditor, true);
    const int n = m_tables.NArtigos();
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 1);
    std::stable_sort(
        order.begin(), order.end(), [&](int x, int y) { return before(m_tables.artigo(x), m_tables.artigo(y)); });
    std::vector<int> rank(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k)
        rank[size_t(order[size_t(k)] - 1)] = k;
    const int passes = exchangePasses(rank);
    m_tables.reorderArtigos(order);
    // An empty table would divide by zero: its sort is simply complete.
    m_ui.setProgress(
        UserInteraction::Window::ArticleEditor, n == 0 ? 100 : Conversions::roundToWhole(double(passes) / n * 100.0));
    m_ui.processEvents();
    m_ui.setBusy(UserInteraction::Window::ArticleEditor, false);
}

void ArticleSorts::OrdenarArtigos()
{
    sortBy([](const Artigo& a, const Artigo& b) { return a.DescArtigo < b.DescArtigo; });
}

void ArticleSorts::OrdenarArtigosPorData()
{
    sortBy([](const Artigo& a, const Artigo& b) { return a.DataUltimaImportacao > b.DataUltimaImportacao; });
}

void ArticleSorts::OrdenarArtigosPorCodigo()
{
    sortBy([](const Artigo& a, const Artigo& b) { return a.CodArtigo < b.CodArtigo; });
}

void ArticleSorts::OrdenarArtigosPorPosicao()
{
    sortBy([](const Artigo& a, const Artigo& b) { return a.Posicao > b.Posicao; });
}

int ArticleSorts::exchangePasses(const std::vector<int>& rank)
{
    // Fenwick tree over ranks: how many articles already seen rank after this one.
    std::vector<int> tree(rank.size() + 1, 0);
    int mostMoved = 0;
    for (size_t p = 0; p < rank.size(); ++p) {
        int notAfter = 0;
        for (size_t i = size_t(rank[p]) + 1; i > 0; i -= i & (~i + 1))
            notAfter += tree[i];
        mostMoved = std::max(mostMoved, int(p) - notAfter);
        for (size_t i = size_t(rank[p]) + 1; i < tree.size(); i += i & (~i + 1))
            ++tree[i];
    }
    return mostMoved + 1;
}
