#include "tables/SlotIndex.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

// Keys held in a table of slots, as the tables hold theirs; checked against a plain map through growth, with a
// hash that spreads keys well and one that piles them into few buckets.
TEST(SlotIndex, FindsWhatAPlainMapFindsThroughGrowthAndPiledHashes)
{
    for (const quint32 spread : { 0xFFFFFFFFu, 0x3Fu }) {
        std::mt19937 rng(7);
        std::vector<int> keyOfSlot;
        std::map<int, int> reference; // key -> slot
        SlotIndex index;
        const auto hashOf
            = [&](int key) { return SlotIndex::fold(std::hash<int>()(key) * 0x9E3779B97F4A7C15ull) & spread; };
        const auto holds = [&](int key) { return [&, key](int slot) { return keyOfSlot[size_t(slot)] == key; }; };
        for (int step = 0; step < 20000; ++step) {
            const int key = int(rng() % 6000);
            const auto known = reference.find(key);
            ASSERT_EQ(index.find(hashOf(key), holds(key)), known == reference.end() ? SlotIndex::kNone : known->second);
            if (rng() % 3 == 0)
                continue;
            // A new slot for the key: filed anew, or in place of the one the key had.
            keyOfSlot.push_back(key);
            const int slot = int(keyOfSlot.size()) - 1;
            if (known == reference.end() && rng() % 2)
                index.insert(hashOf(key), slot);
            else
                index.assign(hashOf(key), slot, holds(key));
            reference[key] = slot;
        }
        ASSERT_EQ(index.size(), reference.size());
        const SlotIndex copy = index;
        index.clear();
        for (const auto& [key, slot] : reference) {
            EXPECT_EQ(copy.find(hashOf(key), holds(key)), slot);
            EXPECT_EQ(index.find(hashOf(key), holds(key)), SlotIndex::kNone);
        }
    }
}
