#include "tables/ArticleSorts.h"

#include "platform/UserInteraction.h"
#include "tables/InventoryTables.h"
#include "values/Conversions.h"
#include "values/SortedTexts.h"

#include <algorithm>
#include <cmath>
#include <functional>

ArticleSorts::ArticleSorts(InventoryTables& tables, UserInteraction& ui)
    : m_tables(tables)
    , m_ui(ui)
{
}

namespace {

// A sort by one text of the articles: their keys, with the texts side by side.
class TextKeys
{
public:
    TextKeys(const InventoryTables& tables, QString Artigo::*field)
        : m_field(field)
        , m_texts(charactersOf(tables, field))
    {
    }

    SortedTexts::Key operator()(const Artigo& a) { return m_texts.add(a.*m_field); }

private:
    static qsizetype charactersOf(const InventoryTables& tables, QString Artigo::*field)
    {
        qsizetype characters = 0;
        for (int slot = 1; slot <= tables.NArtigos(); ++slot)
            characters += (tables.artigo(slot).*field).size();
        return characters;
    }

    QString Artigo::*m_field;
    SortedTexts m_texts;
};

} // namespace

template <typename Key, typename Before> void ArticleSorts::sortBy(Key&& key, const Before& before)
{
    m_ui.setBusy(UserInteraction::Window::ArticleEditor, true);
    const int n = m_tables.NArtigos();
    // Each article's key beside its slot: the comparisons stay in one array.
    std::vector<std::pair<decltype(key(m_tables.artigo(0))), int>> keyed;
    keyed.reserve(size_t(n));
    for (int slot = 1; slot <= n; ++slot)
        keyed.emplace_back(key(m_tables.artigo(slot)), slot);
    const auto byKey = [&](const auto& x, const auto& y) { return before(x.first, y.first); };
    // In order already, as every save leaves the articles, there is nothing to sort or move, and the indexes
    // stand; the exchange passes would have made one pass that found nothing to exchange.
    int passes = 1;
    if (!std::is_sorted(keyed.begin(), keyed.end(), byKey)) {
        std::stable_sort(keyed.begin(), keyed.end(), byKey);
        std::vector<int> order(static_cast<size_t>(n));
        for (int k = 0; k < n; ++k)
            order[size_t(k)] = keyed[size_t(k)].second;
        std::vector<int> rank(static_cast<size_t>(n));
        for (int k = 0; k < n; ++k)
            rank[size_t(order[size_t(k)] - 1)] = k;
        passes = exchangePasses(rank);
        m_tables.reorderArtigos(order);
    }
    // An empty table would divide by zero: its sort is simply complete.
    m_ui.setProgress(
        UserInteraction::Window::ArticleEditor, n == 0 ? 100 : Conversions::roundToWhole(double(passes) / n * 100.0));
    m_ui.processEvents();
    m_ui.setBusy(UserInteraction::Window::ArticleEditor, false);
}

void ArticleSorts::OrdenarArtigos()
{
    TextKeys keys(m_tables, &Artigo::DescArtigo);
    sortBy(keys, std::less<>());
}

void ArticleSorts::OrdenarArtigosPorData()
{
    // A date that is no number (a damaged cell) sorts as none: compared as it is, it would leave no order.
    sortBy([](const Artigo& a) { return std::isfinite(a.DataUltimaImportacao) ? a.DataUltimaImportacao : 0.0; },
        std::greater<>());
}

void ArticleSorts::OrdenarArtigosPorCodigo()
{
    TextKeys keys(m_tables, &Artigo::CodArtigo);
    sortBy(keys, std::less<>());
}

void ArticleSorts::OrdenarArtigosPorPosicao()
{
    sortBy([](const Artigo& a) { return a.Posicao; }, std::greater<>());
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
