#pragma once
#include "tables/Leitura.h"

#include <QString>

#include <vector>

// The slot of each reading by what identifies it (code, family, cost centre, unit): an open-addressed table of
// slots that hashes the readings' own fields, 4 bytes a bucket where a hash of copied keys took over 100 a reading.
class ReadingIndex
{
public:
    // The identity of a reading, as AdicionaLeitura is given it.
    struct Key
    {
        const QString& CodArtigo;
        const QString& FamiliaContabilista;
        const QString& CentroCusto;
        const QString& Unidade;
    };

    // Room for count readings without growing.
    void reserve(size_t count);
    void clear();
    // The slot of table holding a reading with key, 0 when none does; *hash is the key's, for insert.
    int find(const std::vector<Leitura>& table, const Key& key, size_t* hash) const;
    // Files slot of table, whose key (of that hash) no slot filed holds yet.
    void insert(const std::vector<Leitura>& table, int slot, size_t hash);

private:
    static size_t hashOf(const Key& key);
    static bool holds(const Leitura& l, const Key& key);
    // The bucket holding a slot with key, or the empty one where it would go.
    size_t bucketOf(const std::vector<Leitura>& table, const Key& key, size_t hash) const;

    std::vector<int> m_buckets; // a slot, or 0; a power of two in size, at most half full
    size_t m_count = 0;
};
