#pragma once
#include <vector>

struct Artigo;
class InventoryTables;
class UserInteraction;

// The four orders of the article table. Each gives exactly the order of repeated neighbour-exchange passes
// (equal keys keep their order) with a stable sort, and reports the progress those passes would end on.
class ArticleSorts
{
public:
    ArticleSorts(InventoryTables& tables, UserInteraction& ui);

    void OrdenarArtigos();
    void OrdenarArtigosPorData();
    void OrdenarArtigosPorCodigo();
    void OrdenarArtigosPorPosicao();

    // Passes the neighbour-exchange sort makes for an article whose original position (0-based) goes to
    // rank[position]: one more than the most places any article moves up.
    static int exchangePasses(const std::vector<int>& rank);

private:
    // Sorts by key(article), before(key, key) giving the order; templates rather than std::functions, as a
    // sort of 99,999 articles compares two million times.
    template <typename Key, typename Before> void sortBy(Key&& key, const Before& before);

    InventoryTables& m_tables;
    UserInteraction& m_ui;
};
