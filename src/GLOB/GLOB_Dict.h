// The value of a PDF dictionary: (name key, object) entries in insertion
// order, held by a counted copy-on-write core. Not tied to a document: the
// values are handles of objects of any back-end. A GLOB_Dict taken from a
// dictionary object is a snapshot; changes reach the object only through the
// back-end.
//
// Keys compare by their text, byte for byte; an empty GLOB_Name (no text)
// matches only another empty name. No two entries share a key: Put replaces
// the value in place. Every operation taking a key exists for a C string and
// for a GLOB_Name.
//
// Cost: a dictionary of IndexFrom entries or more also keeps its keys in an
// ordered index, so that a look-up or a Put costs the logarithm of the size
// rather than a scan of every key: a file's dictionary of 100,000 keys must
// not take the square of that. Remove moves the later entries, as before.
#pragma once

#include "GLOB/GLOB_Name.h"
#include "GLOB/GLOB_Object.h"
#include "GLOB/GLOB_String.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string_view>
#include <vector>

class GLOB_Dict {
public:
    // No entries, room reserved for room of them.
    explicit GLOB_Dict(uint32_t room = 0);
    GLOB_Dict(const GLOB_Dict& other);
    GLOB_Dict& operator=(const GLOB_Dict& other);
    ~GLOB_Dict();

    // A copy of the value; a Null object of the memory document when absent.
    GLOB_Object Get(const char* key) const;
    GLOB_Object Get(const GLOB_Name& key) const;
    // The value unless it is Null (absent or null), else defaultValue.
    GLOB_Object Get(const char* key, const GLOB_Object& defaultValue) const;
    GLOB_Object Get(const GLOB_Name& key, const GLOB_Object& defaultValue) const;
    // Stores Get(key) in out; true when it is not Null.
    bool Lookup(const char* key, GLOB_Object& out) const;
    bool Lookup(const GLOB_Name& key, GLOB_Object& out) const;
    // Whether an entry exists, whatever its value (Null included).
    bool Known(const char* key) const;
    bool Known(const GLOB_Name& key) const;

    uint32_t Size() const;
    // False when index >= Size; else copies the entry's key and value into
    // the out-arguments that are not null.
    bool Entry(uint32_t index, GLOB_Name* key, GLOB_Object* value) const;

    // Replaces the value of key in place, or appends a new entry.
    void Put(const char* key, const GLOB_Object& value);
    void Put(const GLOB_Name& key, const GLOB_Object& value);
    // Removes the entry; later entries keep their order. Nothing when absent.
    void Remove(const char* key);
    void Remove(const GLOB_Name& key);

    // Same number of entries, and under every key of this dictionary a deeply
    // equal value in the other (a Null value matches only a Null value).
    bool IsDeepEqual(const GLOB_Dict& other) const;

    // /Subtype is a Name equal to subtype.
    bool HasSubtype(const char* subtype) const;
    // When subtype is not null /Subtype must be a Name equal to it; then
    // /Type must be a Name equal to type.
    bool HasType(const char* type, const char* subtype = nullptr) const;

    // Typed reads. The required forms throw GLIB_Exception 1151007 "Unable to
    // find <key>" when the value is absent or null, and 1151006 "Expecting
    // <key> to be a …, found a <kind>" for a wrong kind; the default forms
    // return the default for an absent or null value and throw 1151006 for
    // a wrong kind. An Integer is never a Boolean, nor a Real an Integer.
    bool BooleanValue(const char* key) const;
    bool BooleanValue(const char* key, bool defaultValue) const;
    int32_t IntegerValue(const char* key) const;
    int32_t IntegerValue(const char* key, int32_t defaultValue) const;
    GLOB_Name NameValue(const char* key) const;
    GLOB_Name NameValue(const char* key, const GLOB_Name& defaultValue) const;
    double NumberValue(const char* key) const;
    double NumberValue(const char* key, double defaultValue) const;
    GLOB_String StringValue(const char* key) const;
    GLOB_String StringValue(const char* key, const GLOB_String& defaultValue) const;

    // Entries from which a dictionary keeps its keys in an index.
    static constexpr uint32_t IndexFrom = 16;

private:
    struct Item {
        GLOB_Name m_key;
        GLOB_Object m_value;
    };
    struct Core {
        uint32_t m_count;
        std::vector<Item> m_items;
        // Either empty, and keys are found by a scan, or the position of
        // every entry by its key text; built when the IndexFrom-th entry
        // arrives. The views point into the keys' own texts; the empty name
        // has no text and is always found by a scan.
        std::map<std::string_view, uint32_t> m_index;
        uint32_t RefCount() const { return m_count; }
    };
    static constexpr size_t NotFound = ~size_t(0);

    // The position of the entry whose key has the text (null: the empty
    // name), or NotFound.
    size_t Position(const char* text) const;
    const Item* Find(const char* text) const;
    void PutText(const char* text, const GLOB_Name& key, const GLOB_Object& value);
    void RemoveText(const char* text);
    // Gives this holder its own core when the core is shared.
    void Detach();
    void Release();

    Core* m_dictCore;
};
