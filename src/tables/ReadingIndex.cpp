#include "tables/ReadingIndex.h"

#include <QHashFunctions>

namespace {

constexpr size_t kFirstBuckets = 1024;

ReadingIndex::Key keyOf(const Leitura& l)
{
    return { l.CodArtigo, l.FamiliaContabilista, l.CentroCusto, l.Unidade };
}

} // namespace

void ReadingIndex::reserve(size_t count)
{
    size_t buckets = kFirstBuckets;
    while (buckets < 2 * count)
        buckets *= 2;
    if (m_count == 0 && buckets > m_buckets.size())
        m_buckets.assign(buckets, 0);
}

void ReadingIndex::clear()
{
    std::fill(m_buckets.begin(), m_buckets.end(), 0);
    m_count = 0;
}

int ReadingIndex::find(const std::vector<Leitura>& table, const Key& key, size_t* hash) const
{
    *hash = hashOf(key);
    return m_buckets.empty() ? 0 : m_buckets[bucketOf(table, key, *hash)];
}

void ReadingIndex::insert(const std::vector<Leitura>& table, int slot, size_t hash)
{
    if (2 * (m_count + 1) > m_buckets.size()) {
        std::vector<int> filed;
        filed.reserve(m_count);
        for (const int s : m_buckets) {
            if (s != 0)
                filed.push_back(s);
        }
        m_buckets.assign(std::max(kFirstBuckets, 2 * m_buckets.size()), 0);
        for (const int s : filed) {
            const Key key = keyOf(table[size_t(s)]);
            m_buckets[bucketOf(table, key, hashOf(key))] = s;
        }
    }
    m_buckets[bucketOf(table, keyOf(table[size_t(slot)]), hash)] = slot;
    ++m_count;
}

size_t ReadingIndex::hashOf(const Key& key)
{
    // Seeded per process, as QHash is, so no file can be made to pile its readings into one bucket.
    return qHashMulti(QHashSeed::globalSeed(), key.CodArtigo, key.FamiliaContabilista, key.CentroCusto, key.Unidade);
}

bool ReadingIndex::holds(const Leitura& l, const Key& key)
{
    return l.CodArtigo == key.CodArtigo && l.FamiliaContabilista == key.FamiliaContabilista
        && l.CentroCusto == key.CentroCusto && l.Unidade == key.Unidade;
}

size_t ReadingIndex::bucketOf(const std::vector<Leitura>& table, const Key& key, size_t hash) const
{
    const size_t mask = m_buckets.size() - 1;
    for (size_t b = hash & mask;; b = (b + 1) & mask) {
        const int slot = m_buckets[b];
        if (slot == 0 || holds(table[size_t(slot)], key))
            return b;
    }
}
