#include "GLOB/GLOB_Dict.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_New.h"

#include <cstring>

namespace {

bool SameText(const char* a, const char* b) {
    if (a == nullptr || b == nullptr)
        return a == b;
    return std::strcmp(a, b) == 0;
}

// The value under key, or throws 1151007 when it is absent or null.
GLOB_Object Required(const GLOB_Dict& dict, const char* key) {
    GLOB_Object value;
    if (!dict.Lookup(key, value))
        GLIB_THROW(GLIB_Exception, GLOB_KeyNotFoundCode, "Unable to find " << key);
    return value;
}

[[noreturn]] void WrongKind(const char* key, const char* expecting, const GLOB_Object& found) {
    GLIB_THROW(GLIB_Exception, GLOB_TypeMismatchCode,
               "Expecting " << key << expecting << GLOB_Object::TypeString(found.Type()));
}

}  // namespace

GLOB_Dict::GLOB_Dict(uint32_t room) : m_dictCore(GLIB_NEW Core{1, {}, {}}) { m_dictCore->m_items.reserve(room); }

GLOB_Dict::GLOB_Dict(const GLOB_Dict& other) : m_dictCore(other.m_dictCore) { ++m_dictCore->m_count; }

GLOB_Dict& GLOB_Dict::operator=(const GLOB_Dict& other) {
    if (m_dictCore != other.m_dictCore) {
        ++other.m_dictCore->m_count;
        Release();
        m_dictCore = other.m_dictCore;
    }
    return *this;
}

GLOB_Dict::~GLOB_Dict() { Release(); }

void GLOB_Dict::Release() {
    GLIB_ASSERT_CMP(m_dictCore->RefCount(), >, 0u);
    if (--m_dictCore->m_count == 0)
        delete m_dictCore;
    m_dictCore = nullptr;
}

void GLOB_Dict::Detach() {
    if (m_dictCore->m_count == 1)
        return;
    Core* copy = GLIB_NEW Core{1, m_dictCore->m_items, m_dictCore->m_index};
    Release();
    m_dictCore = copy;
}

size_t GLOB_Dict::Position(const char* text) const {
    const Core& core = *m_dictCore;
    if (text && !core.m_index.empty()) {
        const auto it = core.m_index.find(text);
        return it == core.m_index.end() ? NotFound : it->second;
    }
    for (size_t i = 0; i < core.m_items.size(); ++i)
        if (SameText(core.m_items[i].m_key.CStr(), text))
            return i;
    return NotFound;
}

const GLOB_Dict::Item* GLOB_Dict::Find(const char* text) const {
    const size_t at = Position(text);
    return at == NotFound ? nullptr : &m_dictCore->m_items[at];
}

GLOB_Object GLOB_Dict::Get(const char* key) const {
    const Item* item = Find(key);
    return item ? item->m_value : GLOB_Object();
}

GLOB_Object GLOB_Dict::Get(const GLOB_Name& key) const { return Get(key.CStr()); }

GLOB_Object GLOB_Dict::Get(const char* key, const GLOB_Object& defaultValue) const {
    GLOB_Object value = Get(key);
    return value.IsNull() ? defaultValue : value;
}

GLOB_Object GLOB_Dict::Get(const GLOB_Name& key, const GLOB_Object& defaultValue) const {
    return Get(key.CStr(), defaultValue);
}

bool GLOB_Dict::Lookup(const char* key, GLOB_Object& out) const {
    out = Get(key);
    return !out.IsNull();
}

bool GLOB_Dict::Lookup(const GLOB_Name& key, GLOB_Object& out) const { return Lookup(key.CStr(), out); }

bool GLOB_Dict::Known(const char* key) const { return Find(key) != nullptr; }

bool GLOB_Dict::Known(const GLOB_Name& key) const { return Find(key.CStr()) != nullptr; }

uint32_t GLOB_Dict::Size() const { return static_cast<uint32_t>(m_dictCore->m_items.size()); }

bool GLOB_Dict::Entry(uint32_t index, GLOB_Name* key, GLOB_Object* value) const {
    if (index >= Size())
        return false;
    const Item& item = m_dictCore->m_items[index];
    if (key)
        *key = item.m_key;
    if (value)
        *value = item.m_value;
    return true;
}

void GLOB_Dict::PutText(const char* text, const GLOB_Name& key, const GLOB_Object& value) {
    // value may be held by this dictionary's own entries.
    const GLOB_Object keep(value);
    Detach();
    std::vector<Item>& items = m_dictCore->m_items;
    const size_t at = Position(text);
    if (at != NotFound) {
        items[at].m_value = keep;
        return;
    }
    items.push_back(Item{key, keep});
    std::map<std::string_view, uint32_t>& index = m_dictCore->m_index;
    try {
        if (!index.empty()) {
            if (text)
                index.emplace(items.back().m_key.CStr(), static_cast<uint32_t>(items.size() - 1));
        } else if (items.size() >= IndexFrom) {
            for (size_t i = 0; i < items.size(); ++i)
                if (const char* itemText = items[i].m_key.CStr())
                    index.emplace(itemText, static_cast<uint32_t>(i));
        }
    } catch (...) {
        // Out of memory: the entry goes again, so that index and entries agree.
        items.pop_back();
        index.clear();
        throw;
    }
}

void GLOB_Dict::Put(const char* key, const GLOB_Object& value) { PutText(key, GLOB_Name(key), value); }

void GLOB_Dict::Put(const GLOB_Name& key, const GLOB_Object& value) { PutText(key.CStr(), key, value); }

void GLOB_Dict::RemoveText(const char* text) {
    Detach();
    const size_t at = Position(text);
    if (at == NotFound)
        return;
    std::map<std::string_view, uint32_t>& index = m_dictCore->m_index;
    if (text)
        index.erase(text);
    for (auto& position : index)
        if (position.second > at)
            --position.second;
    std::vector<Item>& items = m_dictCore->m_items;
    items.erase(items.begin() + static_cast<ptrdiff_t>(at));
}

void GLOB_Dict::Remove(const char* key) { RemoveText(key); }

void GLOB_Dict::Remove(const GLOB_Name& key) { RemoveText(key.CStr()); }

bool GLOB_Dict::IsDeepEqual(const GLOB_Dict& other) const {
    if (m_dictCore == other.m_dictCore)
        return true;
    if (Size() != other.Size())
        return false;
    for (const Item& item : m_dictCore->m_items) {
        // A key held with a Null value matches the same key held with Null;
        // only an absent key fails.
        const Item* match = other.Find(item.m_key.CStr());
        if (match == nullptr || !item.m_value.IsDeepEqual(match->m_value))
            return false;
    }
    return true;
}

bool GLOB_Dict::HasSubtype(const char* subtype) const {
    const GLOB_Object value = Get("Subtype");
    return value.Type() == GLOB_Object::KindName && value.AsName() == subtype;
}

bool GLOB_Dict::HasType(const char* type, const char* subtype) const {
    if (subtype && !HasSubtype(subtype))
        return false;
    const GLOB_Object value = Get("Type");
    return value.Type() == GLOB_Object::KindName && value.AsName() == type;
}

bool GLOB_Dict::BooleanValue(const char* key) const {
    const GLOB_Object value = Required(*this, key);
    if (value.Type() != GLOB_Object::KindBoolean)
        WrongKind(key, " to be a boolean, found a ", value);
    return value.AsBoolean();
}

bool GLOB_Dict::BooleanValue(const char* key, bool defaultValue) const {
    const GLOB_Object value = Get(key);
    if (value.IsNull())
        return defaultValue;
    if (value.Type() != GLOB_Object::KindBoolean)
        WrongKind(key, " to be a boolean, found a ", value);
    return value.AsBoolean();
}

int32_t GLOB_Dict::IntegerValue(const char* key) const {
    const GLOB_Object value = Required(*this, key);
    if (!value.IsInteger())
        WrongKind(key, " to be a Integer, found a ", value);
    return value.AsInteger();
}

int32_t GLOB_Dict::IntegerValue(const char* key, int32_t defaultValue) const {
    const GLOB_Object value = Get(key);
    if (value.IsNull())
        return defaultValue;
    if (!value.IsInteger())
        WrongKind(key, " to be an integer, found a ", value);
    return value.AsInteger();
}

GLOB_Name GLOB_Dict::NameValue(const char* key) const {
    const GLOB_Object value = Required(*this, key);
    if (value.Type() != GLOB_Object::KindName)
        WrongKind(key, " to be a Name, found a ", value);
    return value.AsName();
}

GLOB_Name GLOB_Dict::NameValue(const char* key, const GLOB_Name& defaultValue) const {
    const GLOB_Object value = Get(key);
    if (value.IsNull())
        return defaultValue;
    if (value.Type() != GLOB_Object::KindName)
        WrongKind(key, " to be a name, found a ", value);
    return value.AsName();
}

double GLOB_Dict::NumberValue(const char* key) const {
    const GLOB_Object value = Required(*this, key);
    if (!value.IsNumber())
        WrongKind(key, " to be a Number, found a ", value);
    return value.AsNumber();
}

double GLOB_Dict::NumberValue(const char* key, double defaultValue) const {
    const GLOB_Object value = Get(key);
    if (value.IsNull())
        return defaultValue;
    if (!value.IsNumber())
        WrongKind(key, " to be a real, found a ", value);
    return value.AsNumber();
}

GLOB_String GLOB_Dict::StringValue(const char* key) const {
    const GLOB_Object value = Required(*this, key);
    if (value.Type() != GLOB_Object::KindString)
        WrongKind(key, " to be a String, found a ", value);
    return value.AsString();
}

GLOB_String GLOB_Dict::StringValue(const char* key, const GLOB_String& defaultValue) const {
    const GLOB_Object value = Get(key);
    if (value.IsNull())
        return defaultValue;
    if (value.Type() != GLOB_Object::KindString)
        WrongKind(key, " to be a string, found a ", value);
    return value.AsString();
}
