#include "tables/ArticleSorts.h"

#include "platform/UserInteraction.h"
#include "tables/InventoryTables.h"
#include "values/Conversions.h"

#include <algorithm>
#include <array>
#include <functional>
#include <string_view>

ArticleSorts::ArticleSorts(InventoryTables& tables, UserInteraction& ui)
    : m_tables(tables)
    , m_ui(ui)
{
}

namespace {

// A text with its first sixteen characters packed beside it, in the order QString compares them (a missing
// character packs as 0, before any other): most comparisons end on the packed ones.
struct TextKey
{
    std::array<quint64, 4> packed {};
    std::u16string_view text;

    explicit TextKey(std::u16string_view t)
        : text(t)
    {
        for (size_t i = 0; i < packed.size() * 4 && i < t.size(); ++i)
            packed[i / 4] |= quint64(t[i]) << (16 * (3 - i % 4));
    }

    bool operator<(const TextKey& other) const
    {
        if (packed != other.packed)
            return packed < other.packed;
        return text < other.text;
    }
};

// The texts of one sort side by side: the comparisons that go past the packed characters read one block of
// memory rather than strings scattered over the heap.
class TextArena
{
public:
    TextArena(const InventoryTables& tables, QString Artigo::*field)
        : m_field(field)
    {
        qsizetype characters = 0;
        for (int slot = 1; slot <= tables.NArtigos(); ++slot)
            characters += (tables.artigo(slot).*field).size();
        m_chars.reserve(size_t(characters)); // never grows past: the keys point into it
    }

    TextKey operator()(const Artigo& a)
    {
        const QString& text = a.*m_field;
        const size_t at = m_chars.size();
        const char16_t* chars = reinterpret_cast<const char16_t*>(text.constData());
        m_chars.insert(m_chars.end(), chars, chars + text.size());
        return TextKey(std::u16string_view(m_chars.data() + at, size_t(text.size())));
    }

private:
    QString Artigo::*m_field;
    std::vector<char16_t> m_chars;
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
    TextArena arena(m_tables, &Artigo::DescArtigo);
    sortBy(arena, std::less<>());
}

void ArticleSorts::OrdenarArtigosPorData()
{
    sortBy([](const Artigo& a) { return a.DataUltimaImportacao; }, std::greater<>());
}

void ArticleSorts::OrdenarArtigosPorCodigo()
{
    TextArena arena(m_tables, &Artigo::CodArtigo);
    sortBy(arena, std::less<>());
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
