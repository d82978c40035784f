#include "tables/ArticleSorts.h"

#include "platform/UserInteraction.h"
#include "tables/InventoryTables.h"
#include "values/Conversions.h"

#include <algorithm>
#include <array>
#include <functional>

ArticleSorts::ArticleSorts(InventoryTables& tables, UserInteraction& ui)
    : m_tables(tables)
    , m_ui(ui)
{
}

namespace {

// A text with its first sixteen characters packed beside it, in the order QString compares them (a missing
// character packs as 0, before any other): most comparisons end on the packed ones, without reaching the
// texts scattered over the heap.
struct TextKey
{
    std::array<quint64, 4> packed {};
    const QString* text = nullptr;

    explicit TextKey(const QString& t)
        : text(&t)
    {
        for (qsizetype i = 0; i < qsizetype(packed.size()) * 4 && i < t.size(); ++i)
            packed[size_t(i / 4)] |= quint64(t.at(i).unicode()) << (16 * (3 - i % 4));
    }

    bool operator<(const TextKey& other) const
    {
        if (packed != other.packed)
            return packed < other.packed;
        return *text < *other.text;
    }
};

} // namespace

template <typename Key, typename Before> void ArticleSorts::sortBy(const Key& key, const Before& before)
{
    m_ui.setBusy(UserInteraction::Window::ArticleEditor, true);
    const int n = m_tables.NArtigos();
    // Each article's key beside its slot: the comparisons stay in one array.
    std::vector<std::pair<decltype(key(m_tables.artigo(0))), int>> keyed;
    keyed.reserve(size_t(n));
    for (int slot = 1; slot <= n; ++slot)
        keyed.emplace_back(key(m_tables.artigo(slot)), slot);
    std::stable_sort(
        keyed.begin(), keyed.end(), [&](const auto& x, const auto& y) { return before(x.first, y.first); });
    std::vector<int> order(static_cast<size_t>(n));
    for (int k = 0; k < n; ++k)
        order[size_t(k)] = keyed[size_t(k)].second;
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
    sortBy([](const Artigo& a) { return TextKey(a.DescArtigo); }, std::less<>());
}

void ArticleSorts::OrdenarArtigosPorData()
{
    sortBy([](const Artigo& a) { return a.DataUltimaImportacao; }, std::greater<>());
}

void ArticleSorts::OrdenarArtigosPorCodigo()
{
    sortBy([](const Artigo& a) { return TextKey(a.CodArtigo); }, std::less<>());
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
