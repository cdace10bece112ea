#include "CPDF/document/CPDF_NumberTree.h"

#include "GLOB/GLOB_DepthGuard.h"

#include <array>
#include <cstring>
#include <set>
#include <vector>

namespace {

struct Found {
    int m_key = 0;
    GLOB_Object m_value;
};

struct Limits {
    int64_t m_low;
    int64_t m_high;
};

int ModeOf(int mode) {
    return mode == CPDF_NumberTree::Ceiling || mode == CPDF_NumberTree::Exact ? mode : CPDF_NumberTree::Floor;
}

bool SearchLeaf(const GLOB_Object& nums, int target, int mode, Found* found) {
    if (!nums.IsArray())
        return false;
    const uint32_t length = nums.Length();
    if (length == 0 || length % 2 != 0)
        return false;
    const uint32_t pairs = length / 2;
    std::vector<int> keys(pairs);
    for (uint32_t i = 0; i < pairs; ++i) {
        const GLOB_Object key = nums.Get(2 * i);
        if (!key.IsInteger())
            return false;
        keys[i] = key.AsInteger();
    }

    uint32_t pick = pairs;
    if (mode == CPDF_NumberTree::Ceiling) {
        pick = 0;
        for (uint32_t i = pairs; i-- > 0;) {
            if (keys[i] == target) {
                pick = i;
                break;
            }
            if (keys[i] < target) {
                pick = i + 1;
                break;
            }
        }
    } else {
        pick = mode == CPDF_NumberTree::Exact ? pairs : pairs - 1;
        for (uint32_t i = 0; i < pairs; ++i) {
            if (keys[i] == target) {
                pick = i;
                break;
            }
            if (keys[i] > target) {
                pick = mode == CPDF_NumberTree::Exact || i == 0 ? pairs : i - 1;
                break;
            }
        }
    }
    if (pick >= pairs)
        return false;
    found->m_key = keys[pick];
    found->m_value = nums.Get(2 * pick + 1);
    return true;
}

bool ReadLimits(const GLOB_Object& kid, Limits* limits) {
    if (!kid.IsDict())
        return false;
    const GLOB_Object pair = kid.DictGet(GLOB_Name("Limits"));
    if (!pair.IsArray() || pair.Length() != 2)
        return false;
    const GLOB_Object low = pair.Get(0);
    const GLOB_Object high = pair.Get(1);
    if (!low.IsInteger() || !high.IsInteger())
        return false;
    limits->m_low = low.AsInteger();
    limits->m_high = high.AsInteger();
    return true;
}

}  // namespace

class CPDF_NumberTree::Walk {
public:
    Walk(int target, int mode) : m_target(target), m_mode(ModeOf(mode)) {}

    bool Search(const GLOB_Object& node, size_t level, Found* found) {
        if (!node.IsDict() || !GLOB_DepthGuard::Admits(level) || !FirstVisit(node))
            return false;
        GLOB_Object entry;
        if (node.Known(GLOB_Name("Nums"), &entry))
            return SearchLeaf(entry, m_target, m_mode, found);
        if (node.Known(GLOB_Name("Kids"), &entry))
            return SearchKids(entry, level, found);
        return false;
    }

private:
    bool SearchKids(const GLOB_Object& kids, size_t level, Found* found) {
        if (!kids.IsArray())
            return false;
        const uint32_t n = kids.Length();
        std::vector<Limits> limits(n);
        for (uint32_t i = 0; i < n; ++i)
            if (!ReadLimits(kids.Get(i), &limits[i]))
                return false;

        for (uint32_t i = 0; i < n; ++i) {
            if (limits[i].m_low <= m_target && m_target <= limits[i].m_high) {
                if (Search(kids.Get(i), level + 1, found))
                    return true;
                break;
            }
        }
        if (m_mode == Exact)
            return false;
        uint32_t nearest = n;
        int64_t best = 0;
        for (uint32_t i = 0; i < n; ++i) {
            const int64_t distance = m_mode == Ceiling ? limits[i].m_low - m_target : m_target - limits[i].m_high;
            if (distance > 0 && (nearest == n || distance < best)) {
                nearest = i;
                best = distance;
            }
        }
        return nearest < n && Search(kids.Get(nearest), level + 1, found);
    }

    // Searching one node again gives the same answer, or loops.
    bool FirstVisit(const GLOB_Object& node) {
        std::array<uint32_t, 3> words;
        std::memcpy(words.data(), node.GetHandle().m_words, sizeof node.GetHandle().m_words);
        return m_visited.insert(words).second;
    }

    const int m_target;
    const int m_mode;
    std::set<std::array<uint32_t, 3>> m_visited;
};

bool CPDF_NumberTree::Lookup(const GLOB_Object& node, int target, int* key, GLOB_Object* value, int mode) const {
    Walk walk(target, mode);
    Found found;
    if (!walk.Search(node, 1, &found))
        return false;
    if (key)
        *key = found.m_key;
    if (value)
        *value = found.m_value;
    return true;
}
