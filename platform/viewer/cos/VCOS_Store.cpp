#include "viewer/cos/VCOS_Store.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "viewer/cos/VCOS_Error.h"
#include "viewer/cos/VCOS_Fixed.h"

namespace {

const char* TypeName(VCOS_Type type) {
    static const char* const names[] = {"Null", "Integer", "Real", "Boolean", "Name",
                                        "String", "Dict", "Array", "Stream"};
    return names[static_cast<int>(type)];
}

bool IsContainer(VCOS_Type type) {
    return type == VCOS_Type::Dict || type == VCOS_Type::Array || type == VCOS_Type::Stream;
}

[[noreturn]] void Fail(VCOS_ErrorKind kind, const std::string& text) {
    throw VCOS_Error(kind, "VCOS_Store: " + text);
}

const VCOS_Entry& NullEntry() {
    static const VCOS_Entry entry{};
    return entry;
}

void CheckArrayLength(uint64_t length, const char* operation) {
    if (length > VCOS_MaxArrayLength)
        Fail(VCOS_ErrorKind::BadObject,
             std::string(operation) + ": an array of " + std::to_string(length) + " elements is too large");
}

}  // namespace

std::string VCOS_Describe(VCOS_Obj obj) {
    return "Cos object (" + std::to_string(obj.m_doc) + ", " + std::to_string(obj.m_index) + ")";
}

VCOS_Store::VCOS_Store() = default;
VCOS_Store::~VCOS_Store() = default;

// ---- documents

VCOS_DocId VCOS_Store::NewEmptyDoc() {
    const VCOS_DocId id = m_nextDoc++;
    auto doc = std::make_unique<VCOS_Document>();
    doc->m_table.emplace_back();  // index 0 stays unused, so {doc, 0} never names an entry
    doc->m_table.back().m_live = false;
    m_docs.emplace(id, std::move(doc));
    return id;
}

VCOS_DocId VCOS_Store::CreateDoc() {
    const VCOS_DocId id = NewEmptyDoc();
    SetRoot(id, NewDict(id, /*indirect=*/true));
    return id;
}

void VCOS_Store::CloseDoc(VCOS_DocId doc) {
    if (m_docs.erase(doc) == 0)
        Fail(VCOS_ErrorKind::BadDocument, "no open Cos document " + std::to_string(doc));
}

bool VCOS_Store::IsOpen(VCOS_DocId doc) const { return m_docs.count(doc) != 0; }

VCOS_Document& VCOS_Store::Doc(VCOS_DocId doc) {
    return const_cast<VCOS_Document&>(static_cast<const VCOS_Store*>(this)->Doc(doc));
}

const VCOS_Document& VCOS_Store::Doc(VCOS_DocId doc) const {
    const auto found = m_docs.find(doc);
    if (found == m_docs.end())
        Fail(VCOS_ErrorKind::BadDocument, "no open Cos document " + std::to_string(doc));
    return *found->second;
}

VCOS_Obj VCOS_Store::Root(VCOS_DocId doc) const { return Doc(doc).m_root; }
VCOS_Obj VCOS_Store::Info(VCOS_DocId doc) const { return Doc(doc).m_info; }

void VCOS_Store::SetRoot(VCOS_DocId doc, VCOS_Obj root) {
    Doc(doc).m_root = Adopt(doc, root, "SetRoot");
    Doc(doc).m_changes++;
}

void VCOS_Store::SetInfo(VCOS_DocId doc, VCOS_Obj info) {
    Doc(doc).m_info = Adopt(doc, info, "SetInfo");
    Doc(doc).m_changes++;
}

const std::string& VCOS_Store::Header(VCOS_DocId doc) const { return Doc(doc).m_header; }
void VCOS_Store::SetHeader(VCOS_DocId doc, const std::string& header) {
    Doc(doc).m_header = header;
    Doc(doc).m_changes++;
}

uint64_t VCOS_Store::Changes(VCOS_DocId doc) const { return Doc(doc).m_changes; }

const std::vector<std::string>& VCOS_Store::Warnings(VCOS_DocId doc) const { return Doc(doc).m_warnings; }
void VCOS_Store::AddWarning(VCOS_DocId doc, const std::string& warning) {
    Doc(doc).m_warnings.push_back(warning);
}

void VCOS_Store::MarkLost(VCOS_DocId doc, uint32_t number, const std::string& reason) {
    Doc(doc).m_lost[number] = reason;
}

const std::string* VCOS_Store::LostReason(VCOS_DocId doc, uint32_t number) const {
    const std::map<uint32_t, std::string>& lost = Doc(doc).m_lost;
    const auto found = lost.find(number);
    return found == lost.end() ? nullptr : &found->second;
}

std::vector<VCOS_Obj> VCOS_Store::IndirectObjects(VCOS_DocId doc) const {
    std::vector<VCOS_Obj> objects;
    for (const auto& [number, index] : Doc(doc).m_numbers)
        objects.push_back(VCOS_Obj{doc, index});
    return objects;
}

uint32_t VCOS_Store::NextNumber(VCOS_DocId doc) const {
    const VCOS_Document& d = Doc(doc);
    return d.m_numbers.empty() ? 1 : d.m_numbers.rbegin()->first + 1;
}

size_t VCOS_Store::EntryCount(VCOS_DocId doc) const { return Doc(doc).m_table.size(); }

// ---- entries

const VCOS_Entry& VCOS_Store::Entry(VCOS_Obj obj) const {
    if (obj.IsNullHandle())
        return NullEntry();
    const auto found = m_docs.find(obj.m_doc);
    if (found == m_docs.end())
        Fail(VCOS_ErrorKind::BadObject, VCOS_Describe(obj) + " belongs to no open document");
    const VCOS_Document& doc = *found->second;
    if (obj.m_index >= doc.m_table.size() || !doc.m_table[obj.m_index].m_live)
        Fail(VCOS_ErrorKind::BadObject, "no " + VCOS_Describe(obj));
    return doc.m_table[obj.m_index];
}

VCOS_Entry& VCOS_Store::MutableEntry(VCOS_Obj obj) {
    if (obj.IsNullHandle())
        Fail(VCOS_ErrorKind::BadObject, "the Null object cannot change");
    const VCOS_Entry& entry = Entry(obj);
    Doc(obj.m_doc).m_changes++;
    return const_cast<VCOS_Entry&>(entry);
}

const VCOS_Entry& VCOS_Store::Typed(VCOS_Obj obj, VCOS_Type type, const char* operation) const {
    const VCOS_Entry& entry = Entry(obj);
    if (entry.m_type != type)
        Fail(VCOS_ErrorKind::BadObject, std::string(operation) + ": " + VCOS_Describe(obj) + " is " +
                                            TypeName(entry.m_type) + ", not " + TypeName(type));
    return entry;
}

VCOS_Entry& VCOS_Store::MutableTyped(VCOS_Obj obj, VCOS_Type type, const char* operation) {
    Typed(obj, type, operation);
    return MutableEntry(obj);
}

const VCOS_Entry& VCOS_Store::DictOf(VCOS_Obj obj, const char* operation) const {
    const VCOS_Entry& entry = Entry(obj);
    if (entry.m_type == VCOS_Type::Stream)
        return Typed(entry.m_dict, VCOS_Type::Dict, operation);
    return Typed(obj, VCOS_Type::Dict, operation);
}

VCOS_Entry& VCOS_Store::MutableDictOf(VCOS_Obj obj, const char* operation) {
    const VCOS_Entry& entry = DictOf(obj, operation);
    Doc(obj.m_doc).m_changes++;
    return const_cast<VCOS_Entry&>(entry);
}

VCOS_Obj VCOS_Store::Add(VCOS_DocId doc, bool indirect, VCOS_Entry entry) {
    VCOS_Document& d = Doc(doc);
    const auto index = static_cast<uint32_t>(d.m_table.size());
    if (indirect) {
        entry.m_indirect = true;
        entry.m_number = NextNumber(doc);
        entry.m_generation = 0;
        d.m_numbers[entry.m_number] = index;
    }
    d.m_table.push_back(std::move(entry));
    d.m_changes++;
    return VCOS_Obj{doc, index};
}

VCOS_Obj VCOS_Store::Adopt(VCOS_DocId doc, VCOS_Obj value, const char* operation) {
    Doc(doc);
    const VCOS_Entry& entry = Entry(value);
    if (value.IsNullHandle() || value.m_doc == doc)
        return value;
    if (entry.m_indirect || IsContainer(entry.m_type))
        Fail(VCOS_ErrorKind::BadObject, std::string(operation) + ": " + VCOS_Describe(value) +
                                            (entry.m_indirect ? " is an indirect object" : " is a direct container") +
                                            " of another document");
    switch (entry.m_type) {
    case VCOS_Type::Integer: return NewInteger(doc, /*indirect=*/false, entry.m_integer);
    case VCOS_Type::Real: return NewReal(doc, /*indirect=*/false, entry.m_real);
    case VCOS_Type::Boolean: return NewBoolean(doc, /*indirect=*/false, entry.m_boolean);
    case VCOS_Type::Name: return NewName(doc, /*indirect=*/false, entry.m_bytes);
    case VCOS_Type::String: return NewString(doc, /*indirect=*/false, entry.m_bytes);
    default: return VCOS_NullObj;
    }
}

// ---- new objects

VCOS_Obj VCOS_Store::NewInteger(VCOS_DocId doc, bool indirect, int32_t value) {
    // A direct integer never changes, so one entry serves every use of its
    // value, as a name's does: a dictionary of numbers costs its keys only.
    VCOS_Document& d = Doc(doc);
    if (!indirect) {
        const auto found = d.m_integers.find(value);
        if (found != d.m_integers.end())
            return VCOS_Obj{doc, found->second};
    }
    VCOS_Entry entry;
    entry.m_type = VCOS_Type::Integer;
    entry.m_integer = value;
    const VCOS_Obj obj = Add(doc, indirect, std::move(entry));
    if (!indirect)
        d.m_integers.emplace(value, obj.m_index);
    return obj;
}

VCOS_Obj VCOS_Store::NewReal(VCOS_DocId doc, bool indirect, double value) {
    if (!std::isfinite(value))
        Fail(VCOS_ErrorKind::BadObject, "a real must be finite");
    VCOS_Entry entry;
    entry.m_type = VCOS_Type::Real;
    entry.m_real = value;
    return Add(doc, indirect, std::move(entry));
}

VCOS_Obj VCOS_Store::NewFixed(VCOS_DocId doc, bool indirect, int32_t fixed) {
    return NewReal(doc, indirect, VCOS_DoubleFromFixed(fixed));
}

VCOS_Obj VCOS_Store::NewBoolean(VCOS_DocId doc, bool indirect, bool value) {
    VCOS_Entry entry;
    entry.m_type = VCOS_Type::Boolean;
    entry.m_boolean = value;
    return Add(doc, indirect, std::move(entry));
}

VCOS_Obj VCOS_Store::NewName(VCOS_DocId doc, bool indirect, const std::string& name) {
    VCOS_Document& d = Doc(doc);
    if (!indirect) {
        const auto found = d.m_names.find(name);
        if (found != d.m_names.end())
            return VCOS_Obj{doc, found->second};
    }
    VCOS_Entry entry;
    entry.m_type = VCOS_Type::Name;
    entry.m_bytes = name;
    const VCOS_Obj obj = Add(doc, indirect, std::move(entry));
    if (!indirect)
        d.m_names.emplace(name, obj.m_index);
    return obj;
}

VCOS_Obj VCOS_Store::NewString(VCOS_DocId doc, bool indirect, const std::string& bytes) {
    VCOS_Entry entry;
    entry.m_type = VCOS_Type::String;
    entry.m_bytes = bytes;
    return Add(doc, indirect, std::move(entry));
}

VCOS_Obj VCOS_Store::NewArray(VCOS_DocId doc, bool indirect, uint32_t nulls) {
    CheckArrayLength(nulls, "NewArray");
    VCOS_Entry entry;
    entry.m_type = VCOS_Type::Array;
    entry.m_items = std::make_unique<std::vector<VCOS_Obj>>(nulls, VCOS_NullObj);
    return Add(doc, indirect, std::move(entry));
}

VCOS_Obj VCOS_Store::NewDict(VCOS_DocId doc, bool indirect) {
    VCOS_Entry entry;
    entry.m_type = VCOS_Type::Dict;
    return Add(doc, indirect, std::move(entry));
}

VCOS_Obj VCOS_Store::NewStream(VCOS_DocId doc, bool indirect, const std::string& stored, VCOS_Obj attributes) {
    const VCOS_Obj dict = NewDict(doc, /*indirect=*/false);
    if (!attributes.IsNullHandle()) {
        // Copied entry by entry: the caller keeps its dictionary.
        const std::vector<VCOS_DictEntries::Item> entries =
            Typed(attributes, VCOS_Type::Dict, "NewStream").m_entries.Items();
        for (const auto& [key, value] : entries)
            DictPut(dict, key, value);
    }
    return StreamOver(doc, indirect, stored, dict);
}

VCOS_Obj VCOS_Store::NewStreamOwning(VCOS_DocId doc, std::string stored, VCOS_Obj dict) {
    const VCOS_Entry& entry = Typed(dict, VCOS_Type::Dict, "NewStreamOwning");
    if (dict.m_doc != doc || entry.m_indirect)
        Fail(VCOS_ErrorKind::BadObject, "NewStreamOwning: " + VCOS_Describe(dict) +
                                            " is not a direct dictionary of document " + std::to_string(doc));
    return StreamOver(doc, /*indirect=*/false, std::move(stored), dict);
}

VCOS_Obj VCOS_Store::StreamOver(VCOS_DocId doc, bool indirect, std::string stored, VCOS_Obj dict) {
    if (stored.size() > 0x7FFFFFFF)
        Fail(VCOS_ErrorKind::BadObject, "NewStream: " + std::to_string(stored.size()) + " bytes are too many");
    DictPut(dict, "Length", NewInteger(doc, /*indirect=*/false, static_cast<int32_t>(stored.size())));
    VCOS_Entry entry;
    entry.m_type = VCOS_Type::Stream;
    entry.m_bytes = std::move(stored);
    entry.m_dict = dict;
    return Add(doc, indirect, std::move(entry));
}

VCOS_Obj VCOS_Store::DeclareIndirect(VCOS_DocId doc, uint32_t number, uint16_t generation) {
    VCOS_Document& d = Doc(doc);
    if (number == 0 || d.m_numbers.count(number) != 0)
        Fail(VCOS_ErrorKind::BadObject, "object number " + std::to_string(number) + " is taken or invalid");
    VCOS_Entry entry;
    entry.m_indirect = true;
    entry.m_number = number;
    entry.m_generation = generation;
    const auto index = static_cast<uint32_t>(d.m_table.size());
    d.m_table.push_back(std::move(entry));
    d.m_numbers[number] = index;
    d.m_changes++;
    return VCOS_Obj{doc, index};
}

VCOS_Obj VCOS_Store::MissingIndirect(VCOS_DocId doc, uint32_t number, uint16_t generation, bool listed) {
    VCOS_Document& d = Doc(doc);
    const auto [at, added] = d.m_missing.emplace(std::make_pair(number, generation), 0);
    if (added) {
        VCOS_Entry entry;
        entry.m_indirect = true;
        entry.m_missing = true;
        entry.m_number = number;
        entry.m_generation = generation;
        at->second = static_cast<uint32_t>(d.m_table.size());
        d.m_table.push_back(std::move(entry));
        d.m_changes++;
    }
    if (listed)
        d.m_replaced.insert(at->second);
    return VCOS_Obj{doc, at->second};
}

VCOS_Obj VCOS_Store::ReplacedBy(VCOS_Obj missing) const {
    const VCOS_Entry& entry = Entry(missing);
    if (!entry.m_missing)
        return VCOS_NullObj;
    const VCOS_Document& d = Doc(missing.m_doc);
    const auto number = d.m_numbers.find(entry.m_number);
    if (d.m_replaced.count(missing.m_index) == 0 || number == d.m_numbers.end())
        return VCOS_NullObj;
    return VCOS_Obj{missing.m_doc, number->second};
}

void VCOS_Store::Define(VCOS_Obj indirect, VCOS_Obj direct) {
    if (direct.IsNullHandle())
        return;
    const VCOS_Entry& source = Entry(direct);
    VCOS_Entry& target = MutableEntry(indirect);
    if (!target.m_indirect || target.m_missing || target.m_type != VCOS_Type::Null || source.m_indirect ||
        indirect.m_doc != direct.m_doc)
        Fail(VCOS_ErrorKind::BadObject, "Define: " + VCOS_Describe(indirect) + " cannot take the value of " +
                                            VCOS_Describe(direct));
    VCOS_Document& doc = Doc(direct.m_doc);
    VCOS_Entry& body = doc.m_table[direct.m_index];
    const uint32_t number = target.m_number;
    const uint16_t generation = target.m_generation;
    // An interned name or integer serves other uses too and stays; any other
    // body moves into the indirect entry and leaves a dead one behind.
    bool interned = false;
    if (source.m_type == VCOS_Type::Name) {
        const auto found = doc.m_names.find(source.m_bytes);
        interned = found != doc.m_names.end() && found->second == direct.m_index;
    } else if (source.m_type == VCOS_Type::Integer) {
        const auto found = doc.m_integers.find(source.m_integer);
        interned = found != doc.m_integers.end() && found->second == direct.m_index;
    }
    VCOS_Entry value;
    if (interned) {
        value.m_type = body.m_type;
        if (body.m_type == VCOS_Type::Integer)
            value.m_integer = body.m_integer;
        else
            value.m_bytes = body.m_bytes;
    } else {
        value = std::move(body);
        body = VCOS_Entry();
        body.m_live = false;
    }
    value.m_live = true;
    value.m_indirect = true;
    value.m_number = number;
    value.m_generation = generation;
    target = std::move(value);
}

// ---- objects

VCOS_Type VCOS_Store::Type(VCOS_Obj obj) const { return Entry(obj).m_type; }
bool VCOS_Store::IsIndirect(VCOS_Obj obj) const { return Entry(obj).m_indirect; }

uint32_t VCOS_Store::Number(VCOS_Obj obj) const {
    const VCOS_Entry& entry = Entry(obj);
    if (!entry.m_indirect)
        Fail(VCOS_ErrorKind::BadObject, "Number: " + VCOS_Describe(obj) + " is direct");
    return entry.m_number;
}

uint16_t VCOS_Store::Generation(VCOS_Obj obj) const {
    const VCOS_Entry& entry = Entry(obj);
    if (!entry.m_indirect)
        Fail(VCOS_ErrorKind::BadObject, "Generation: " + VCOS_Describe(obj) + " is direct");
    return entry.m_generation;
}

VCOS_DocId VCOS_Store::DocOf(VCOS_Obj obj) const {
    const VCOS_Entry& entry = Entry(obj);
    return entry.m_indirect || IsContainer(entry.m_type) ? obj.m_doc : 0;
}

bool VCOS_Store::Equal(VCOS_Obj a, VCOS_Obj b) const { return EqualAt(a, b, 0); }

bool VCOS_Store::EqualAt(VCOS_Obj a, VCOS_Obj b, int depth) const {
    if (a == b)
        return true;
    if (depth > VCOS_MaxDepth)
        Fail(VCOS_ErrorKind::BadObject, "Equal: objects nested deeper than " + std::to_string(VCOS_MaxDepth));
    const VCOS_Entry& x = Entry(a);
    const VCOS_Entry& y = Entry(b);
    if (x.m_type != y.m_type || x.m_indirect || y.m_indirect)
        return false;
    switch (x.m_type) {
    case VCOS_Type::Null: return true;
    case VCOS_Type::Integer: return x.m_integer == y.m_integer;
    case VCOS_Type::Real: return x.m_real == y.m_real;
    case VCOS_Type::Boolean: return x.m_boolean == y.m_boolean;
    case VCOS_Type::Name:
    case VCOS_Type::String: return x.m_bytes == y.m_bytes;
    case VCOS_Type::Stream: return false;
    case VCOS_Type::Array:
        if (x.m_items->size() != y.m_items->size())
            return false;
        for (size_t i = 0; i < x.m_items->size(); ++i)
            if (!EqualAt((*x.m_items)[i], (*y.m_items)[i], depth + 1))
                return false;
        return true;
    case VCOS_Type::Dict:
        if (x.m_entries.Size() != y.m_entries.Size())
            return false;
        for (const auto& [key, value] : x.m_entries) {
            if (!DictKnown(b, key) || !EqualAt(value, DictGet(b, key), depth + 1))
                return false;
        }
        return true;
    }
    return false;
}

int32_t VCOS_Store::IntegerValue(VCOS_Obj obj) const {
    const VCOS_Entry& entry = Entry(obj);
    if (entry.m_type == VCOS_Type::Integer)
        return entry.m_integer;
    const double value = std::trunc(NumberValue(obj));
    if (value >= 2147483647.0)
        return 2147483647;
    if (value <= -2147483648.0)
        return -2147483647 - 1;
    return static_cast<int32_t>(value);
}

double VCOS_Store::NumberValue(VCOS_Obj obj) const {
    const VCOS_Entry& entry = Entry(obj);
    if (entry.m_type == VCOS_Type::Integer)
        return entry.m_integer;
    return Typed(obj, VCOS_Type::Real, "NumberValue").m_real;
}

int32_t VCOS_Store::FixedValue(VCOS_Obj obj) const { return VCOS_FixedFromDouble(NumberValue(obj)); }

bool VCOS_Store::BooleanValue(VCOS_Obj obj) const { return Typed(obj, VCOS_Type::Boolean, "BooleanValue").m_boolean; }

const std::string& VCOS_Store::NameValue(VCOS_Obj obj) const {
    return Typed(obj, VCOS_Type::Name, "NameValue").m_bytes;
}

const std::string& VCOS_Store::StringValue(VCOS_Obj obj) const {
    return Typed(obj, VCOS_Type::String, "StringValue").m_bytes;
}

// ---- dictionaries

VCOS_Obj VCOS_Store::DictGet(VCOS_Obj dict, const std::string& key) const {
    const VCOS_Obj* value = DictOf(dict, "DictGet").m_entries.Find(key);
    return value ? *value : VCOS_NullObj;
}

void VCOS_Store::DictPut(VCOS_Obj dict, const std::string& key, VCOS_Obj value) {
    DictOf(dict, "DictPut");
    const VCOS_Obj stored = Adopt(dict.m_doc, value, "DictPut");
    MutableDictOf(dict, "DictPut").m_entries.Put(key, stored);
}

void VCOS_Store::DictRemove(VCOS_Obj dict, const std::string& key) {
    MutableDictOf(dict, "DictRemove").m_entries.Remove(key);
}

bool VCOS_Store::DictKnown(VCOS_Obj dict, const std::string& key) const {
    return DictOf(dict, "DictKnown").m_entries.Find(key) != nullptr;
}

// ---- arrays

uint32_t VCOS_Store::ArrayLength(VCOS_Obj array) const {
    return static_cast<uint32_t>(Typed(array, VCOS_Type::Array, "ArrayLength").m_items->size());
}

VCOS_Obj VCOS_Store::ArrayGet(VCOS_Obj array, uint32_t index) const {
    const auto& items = *Typed(array, VCOS_Type::Array, "ArrayGet").m_items;
    if (index >= items.size())
        Fail(VCOS_ErrorKind::BadObject, "ArrayGet: index " + std::to_string(index) + " is past the end of " +
                                            VCOS_Describe(array) + " (" + std::to_string(items.size()) + " elements)");
    return items[index];
}

void VCOS_Store::ArrayPut(VCOS_Obj array, uint32_t index, VCOS_Obj value) {
    Typed(array, VCOS_Type::Array, "ArrayPut");
    CheckArrayLength(uint64_t{index} + 1, "ArrayPut");
    const VCOS_Obj stored = Adopt(array.m_doc, value, "ArrayPut");
    auto& items = *MutableTyped(array, VCOS_Type::Array, "ArrayPut").m_items;
    if (index >= items.size())
        items.resize(size_t{index} + 1, VCOS_NullObj);
    items[index] = stored;
}

void VCOS_Store::ArrayInsert(VCOS_Obj array, uint32_t index, VCOS_Obj value) {
    Typed(array, VCOS_Type::Array, "ArrayInsert");
    CheckArrayLength(uint64_t{ArrayLength(array)} + 1, "ArrayInsert");
    CheckArrayLength(uint64_t{index} + 1, "ArrayInsert");
    const VCOS_Obj stored = Adopt(array.m_doc, value, "ArrayInsert");
    auto& items = *MutableTyped(array, VCOS_Type::Array, "ArrayInsert").m_items;
    if (index >= items.size()) {
        items.resize(index, VCOS_NullObj);
        items.push_back(stored);
        return;
    }
    items.insert(items.begin() + index, stored);
}

void VCOS_Store::ArrayRemoveNth(VCOS_Obj array, uint32_t index) {
    auto& items = *MutableTyped(array, VCOS_Type::Array, "ArrayRemoveNth").m_items;
    if (index >= items.size())
        Fail(VCOS_ErrorKind::BadObject, "ArrayRemoveNth: index " + std::to_string(index) + " is past the end of " +
                                            VCOS_Describe(array) + " (" + std::to_string(items.size()) + " elements)");
    items.erase(items.begin() + index);
}

// ---- streams

VCOS_Obj VCOS_Store::StreamDict(VCOS_Obj stream) const { return Typed(stream, VCOS_Type::Stream, "StreamDict").m_dict; }

const std::string& VCOS_Store::StreamBytes(VCOS_Obj stream) const {
    return Typed(stream, VCOS_Type::Stream, "StreamBytes").m_bytes;
}

uint32_t VCOS_Store::StreamLength(VCOS_Obj stream) const {
    return static_cast<uint32_t>(StreamBytes(stream).size());
}

// ---- enumeration

bool VCOS_Store::Enum(VCOS_Obj container, const EnumProc& proc) {
    const VCOS_Entry& entry = Entry(container);
    if (entry.m_type == VCOS_Type::Array) {
        const std::vector<VCOS_Obj> items = *entry.m_items;
        for (const VCOS_Obj item : items)
            if (!proc(item, VCOS_NullObj))
                return false;
        return true;
    }
    const VCOS_Obj dict = entry.m_type == VCOS_Type::Stream ? entry.m_dict : container;
    const std::vector<VCOS_DictEntries::Item> entries = DictOf(container, "Enum").m_entries.Items();
    for (const auto& [key, value] : entries)
        if (!proc(NewName(dict.m_doc, /*indirect=*/false, key), value))
            return false;
    return true;
}

bool VCOS_Store::Permissions(VCOS_DocId doc, int32_t* permissions) const {
    const VCOS_Document& document = Doc(doc);
    if (document.m_encrypted && permissions)
        *permissions = document.m_permissions;
    return document.m_encrypted;
}

void VCOS_Store::SetPermissions(VCOS_DocId doc, int32_t permissions) {
    VCOS_Document& document = Doc(doc);
    document.m_encrypted = true;
    document.m_permissions = permissions;
}
