// A dictionary's entries in the order their keys were first put. From
// IndexFrom entries on, a hash table finds each key, so that building and
// reading a dictionary of n keys cost steps in proportion to n, not to its
// square: a page's resources may name tens of thousands of things. The
// table hashes under a key drawn per process (VCOS_KeyHash.h), so that no
// key set a file holds can make its keys share a hash.
//
// Put replaces a known key's value where it stands and adds a new key last,
// so that the writer's output keeps the order it always had. Remove costs
// steps in proportion to the dictionary's size.
//
// Every entry of the store holds one (VCOS_Document.h), most of them for an
// integer or a name: an empty one is a single null pointer, and the entries
// live behind it once a key is put.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "viewer/cos/VCOS_KeyHash.h"
#include "viewer/cos/VCOS_Object.h"

class VCOS_DictEntries {
public:
    using Item = std::pair<std::string, VCOS_Obj>;
    static constexpr size_t IndexFrom = 16;

    VCOS_DictEntries();
    ~VCOS_DictEntries();
    VCOS_DictEntries(const VCOS_DictEntries& other);
    VCOS_DictEntries& operator=(const VCOS_DictEntries& other);
    VCOS_DictEntries(VCOS_DictEntries&&) noexcept;
    VCOS_DictEntries& operator=(VCOS_DictEntries&&) noexcept;

    // The value put under key; null when the key is absent.
    const VCOS_Obj* Find(const std::string& key) const;
    void Put(const std::string& key, VCOS_Obj value);
    // Nothing happens when the key is absent.
    void Remove(const std::string& key);

    size_t Size() const { return Items().size(); }
    const std::vector<Item>& Items() const;
    std::vector<Item>::const_iterator begin() const { return Items().begin(); }
    std::vector<Item>::const_iterator end() const { return Items().end(); }

    // Keys compared (by a scan or inside the index), look-ups in an index and
    // entries moved by removals, summed over every dictionary in the
    // process: it grows with the keys a dictionary is built and read with,
    // never with their square.
    static uint64_t Steps();

private:
    // Key equality for the index, counting each comparison as a step.
    struct SameKey {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    using Index = std::unordered_map<std::string, uint32_t, VCOS_KeyHash, SameKey>;
    // The position of key, or m_items.size().
    size_t Position(const std::string& key) const;
    void BuildIndex();

    struct Body {
        std::vector<Item> m_items;
        // Null below IndexFrom entries (most dictionaries, which a scan
        // serves as well), else the position of every key.
        std::unique_ptr<Index> m_index;
    };
    // Null until the first key is put.
    std::unique_ptr<Body> m_body;
};
