#pragma once
#include <QtGlobal>

#include <vector>

// The slots of a table by a key its own records hold: an open-addressed table of the keys' hashes and the slots,
// 8 bytes a bucket, where a QHash copies each key into a node of its own. A probe compares a record's key only
// when the hashes agree, so one that passes other slots reads none of their records, which lie at random in a
// table of megabytes. The caller hashes (seeded per process, so no file can pile its keys into one bucket) and
// says whether a slot's record holds the key.
class SlotIndex
{
public:
    static constexpr int kNone = -1;

    // Room for count slots without growing.
    void reserve(size_t count);
    void clear();
    size_t size() const { return m_count; }

    // The slot filed under hash whose record holds the key, kNone when there is none.
    template <typename Holds> int find(quint32 hash, const Holds& holds) const
    {
        return m_buckets.empty() ? kNone : m_buckets[bucketOf(hash, holds)].slot;
    }
    // Files slot under hash, in place of the slot filed with the same key if there is one.
    template <typename Holds> void assign(quint32 hash, int slot, const Holds& holds)
    {
        if (!m_buckets.empty()) {
            Bucket& b = m_buckets[bucketOf(hash, holds)];
            if (b.slot != kNone) {
                b.slot = slot;
                return;
            }
        }
        insert(hash, slot);
    }
    // Files slot under hash; no slot with the same key is filed yet.
    void insert(quint32 hash, int slot);

    // A hash of size_t folded to the 32 bits kept.
    static quint32 fold(size_t hash) { return quint32(hash ^ (quint64(hash) >> 32)); }

private:
    struct Bucket
    {
        quint32 hash = 0;
        int slot = kNone;
    };

    // The bucket holding a slot with the key, or the empty one where it would go.
    template <typename Holds> size_t bucketOf(quint32 hash, const Holds& holds) const
    {
        const size_t mask = m_buckets.size() - 1;
        for (size_t b = hash & mask;; b = (b + 1) & mask) {
            const Bucket& bucket = m_buckets[b];
            if (bucket.slot == kNone || (bucket.hash == hash && holds(bucket.slot)))
                return b;
        }
    }
    void file(const Bucket& filed);

    std::vector<Bucket> m_buckets; // a power of two in size, at most half full
    size_t m_count = 0;
};
