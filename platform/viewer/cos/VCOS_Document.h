// One document of the Cos store: its table of entries and what the trailer
// and the first line of its file said. Only VCOS_Store touches it.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "viewer/cos/VCOS_DictEntries.h"
#include "viewer/cos/VCOS_Object.h"

// A page can hold hundreds of thousands of entries, most of them integers
// and names, so an entry is kept small: an integer and a real share one word,
// and an array's items and a dictionary's entries live apart. Each entry is
// moved, never copied (the store copies scalars by their fields).
struct VCOS_Entry {
    VCOS_Type m_type = VCOS_Type::Null;
    uint32_t m_number = 0;    // indirect objects only
    uint16_t m_generation = 0;
    bool m_live = true;       // false once its value moved into an indirect entry
    bool m_indirect = false;
    bool m_missing = false;   // indirect, but names an object the document lacks
    bool m_boolean = false;
    union {                   // the one m_type reads
        int32_t m_integer = 0;
        double m_real;
    };
    VCOS_Obj m_dict;          // stream: its direct attribute dictionary
    std::string m_bytes;      // name (without "/", #xx decoded), string, stream data
    std::unique_ptr<std::vector<VCOS_Obj>> m_items;  // array (never null for one)
    VCOS_DictEntries m_entries;  // dictionary, in stored order

    VCOS_Entry() = default;
    VCOS_Entry(VCOS_Entry&&) noexcept = default;
    VCOS_Entry& operator=(VCOS_Entry&&) noexcept = default;
};

struct VCOS_Document {
    std::deque<VCOS_Entry> m_table;             // a deque keeps entries in place as it grows
    std::map<uint32_t, uint32_t> m_numbers;     // object number -> table index
    std::map<std::string, uint32_t> m_names;    // interned direct names -> table index
    std::map<int32_t, uint32_t> m_integers;     // interned direct integers -> table index
    std::string m_header;                       // first line of the file, without its end
    VCOS_Obj m_root;
    VCOS_Obj m_info;
    std::vector<std::string> m_warnings;
    uint64_t m_changes = 0;                     // bumped by every change to what the writer writes
    bool m_encrypted = false;
    int32_t m_permissions = 0;  // the encryption dictionary's /P
    std::map<uint32_t, std::string> m_lost;     // object number -> why the file's object could not be read
    std::map<std::pair<uint32_t, uint16_t>, uint32_t> m_missing;  // reference -> its Null's table index
    std::set<uint32_t> m_replaced;  // table indexes of missing references an older section listed
};
