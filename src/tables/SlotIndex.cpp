#include "tables/SlotIndex.h"

#include <algorithm>

namespace {

constexpr size_t kFirstBuckets = 1024;

} // namespace

void SlotIndex::reserve(size_t count)
{
    size_t buckets = kFirstBuckets;
    while (buckets < 2 * count)
        buckets *= 2;
    if (m_count == 0 && buckets > m_buckets.size())
        m_buckets.assign(buckets, Bucket());
}

void SlotIndex::clear()
{
    std::fill(m_buckets.begin(), m_buckets.end(), Bucket());
    m_count = 0;
}

void SlotIndex::insert(quint32 hash, int slot)
{
    if (2 * (m_count + 1) > m_buckets.size()) {
        std::vector<Bucket> filed;
        filed.reserve(m_count);
        for (const Bucket& b : m_buckets) {
            if (b.slot != kNone)
                filed.push_back(b);
        }
        m_buckets.assign(std::max(kFirstBuckets, 2 * m_buckets.size()), Bucket());
        for (const Bucket& b : filed)
            file(b);
    }
    file({ hash, slot });
    ++m_count;
}

void SlotIndex::file(const Bucket& filed)
{
    // Filed keys are all different: each goes to the first empty bucket from its hash on.
    const size_t mask = m_buckets.size() - 1;
    size_t at = filed.hash & mask;
    while (m_buckets[at].slot != kNone)
        at = (at + 1) & mask;
    m_buckets[at] = filed;
}
