#include "GLOB/GLOB_Memory_Impl.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_Array.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Filter.h"
#include "GLOB/GLOB_Stream.h"
#include "GLOB/iGLOB_CosStream.h"

#include <algorithm>
#include <cstring>
#include <limits>

static_assert(sizeof(void*) <= sizeof(uint64_t), "a block pointer must fit the record's value");

namespace {

enum : uint16_t {
    FlagIndirect = 1,  // the object has an object number
    FlagBlock = 2,     // the value is held in a block
};

uint32_t s_copyBufferSize = 65536;

bool NumbersEqual(double a, double b) {
    const double d = a - b;
    return d >= -1e-6 && d <= 1e-6;
}

// Gives value a core of its own when it shares one: any change detaches a
// shared core, and putting an element back in place changes nothing else. A
// block's value never shares its core with a GLOB_Array or GLOB_Dict
// outside, which would keep the block's handles, and so the back-end, alive
// behind its back.
void Unshare(GLOB_Array& value) {
    if (value.Length() > 0)
        value.Put(0, value.Get(0));
}

void Unshare(GLOB_Dict& value) {
    GLOB_Name key;
    GLOB_Object entry(nullptr, GLOB_Object::Handle{});
    if (value.Entry(0, &key, &entry))
        value.Put(key, entry);
}

[[noreturn]] void WrongKind(const char* expecting, int32_t found) {
    GLIB_THROW(GLIB_Exception, GLOB_TypeMismatchCode,
               "Expecting " << expecting << ", found a " << GLOB_Object::TypeString(found));
}

}  // namespace

// The shared part of an object whose value does not fit in its record.
struct GLOB_Memory_Impl::Block {
    uint32_t m_useCount;  // live handles of the object
    uint32_t m_objectNumber;
    uint16_t m_generation;
    uint16_t m_type;  // the kind, to free the value without a record
    // Boolean, Integer and Real as the bits of a record's value.
    union {
        uint64_t m_bits;
        GLOB_Name* m_name;
        GLOB_String* m_string;
        GLOB_Array* m_array;
        GLOB_Dict* m_dict;
        iGLOB_CosStream* m_stream;
    } m_value;
    // The back-end's list of live blocks.
    Block* m_prev;
    Block* m_next;
};

// The three handle words: the 64-bit value, then the kind and the flags.
struct GLOB_Memory_Impl::Record {
    uint64_t m_value;
    uint16_t m_type;
    uint16_t m_flags;

    Block* GetBlock() const { return reinterpret_cast<Block*>(static_cast<uintptr_t>(m_value)); }
    GLOB_Object::Handle ToHandle() const {
        GLOB_Object::Handle handle;
        std::memcpy(&handle.m_words[0], &m_value, sizeof m_value);
        handle.m_words[2] = static_cast<uint32_t>(m_type) | (static_cast<uint32_t>(m_flags) << 16);
        return handle;
    }
};

GLOB_Memory_Impl::Record GLOB_Memory_Impl::RecordOf(const GLOB_Object& obj) {
    const GLOB_Object::Handle& handle = obj.GetHandle();
    Record record;
    std::memcpy(&record.m_value, &handle.m_words[0], sizeof record.m_value);
    record.m_type = static_cast<uint16_t>(handle.m_words[2] & 0xFFFF);
    record.m_flags = static_cast<uint16_t>(handle.m_words[2] >> 16);
    return record;
}

GLOB_Doc GLOB_Memory_Impl::Make() { return GLOB_Doc(GLIB_NEW GLOB_Memory_Impl()); }

uint32_t GLOB_Memory_Impl::CopyBufferSize() { return s_copyBufferSize; }

void GLOB_Memory_Impl::SetCopyBufferSize(uint32_t size) { s_copyBufferSize = size; }

uint64_t GLOB_Memory_Impl::MemoryBytesHeld() { return iGLOB_CosStream::MemoryBytesHeld(); }

GLOB_Memory_Impl::GLOB_Memory_Impl() {
    // The catalog and the Info dictionary, numbered 2 and 3, held by the
    // back-end for its whole life.
    try {
        m_catalog = NewBlock(GLOB_Object::KindDict, NextObjectNumber(), 1);
        m_catalog->m_value.m_dict = GLIB_NEW GLOB_Dict(0);
        m_info = NewBlock(GLOB_Object::KindDict, NextObjectNumber(), 1);
        m_info->m_value.m_dict = GLIB_NEW GLOB_Dict(0);
    } catch (...) {
        FreeAllBlocks();
        throw;
    }
}

// Reached when no handle outside names any block (Release): whatever is
// left, the catalog, the Info dictionary and whatever they or a cycle of
// objects still hold, goes now.
GLOB_Memory_Impl::~GLOB_Memory_Impl() { FreeAllBlocks(); }

GLOB_Memory_Impl::Block* GLOB_Memory_Impl::NewBlock(int32_t type, uint32_t objectNumber, uint32_t useCount) {
    Block* block = GLIB_NEW Block{useCount, objectNumber, 0, static_cast<uint16_t>(type), {}, nullptr, m_blocks};
    if (m_blocks)
        m_blocks->m_prev = block;
    m_blocks = block;
    return block;
}

uint32_t GLOB_Memory_Impl::OwnHandlesIn(const Block& block) const {
    uint32_t count = 0;
    switch (block.m_type) {
    case GLOB_Object::KindArray:
        if (const GLOB_Array* array = block.m_value.m_array)
            for (uint32_t i = 0; i < array->Length(); ++i)
                count += Own(array->Get(i));
        break;
    case GLOB_Object::KindDict:
        if (const GLOB_Dict* dict = block.m_value.m_dict) {
            GLOB_Object value(nullptr, GLOB_Object::Handle{});
            for (uint32_t i = 0; dict->Entry(i, nullptr, &value); ++i)
                count += Own(value);
        }
        break;
    case GLOB_Object::KindStream:
        if (const iGLOB_CosStream* stream = block.m_value.m_stream)
            count = Own(stream->AttrDict());
        break;
    default:
        break;
    }
    return count;
}

void GLOB_Memory_Impl::FreeBlock(Block* block) {
    (block->m_prev ? block->m_prev->m_next : m_blocks) = block->m_next;
    if (block->m_next)
        block->m_next->m_prev = block->m_prev;
    // Taken off before the handles inside let go: until they have, they
    // count as held from outside, so freeing them cannot delete the back-end.
    DropSelfHeld(OwnHandlesIn(*block));
    FreeValue(*block);
    delete block;
}

void GLOB_Memory_Impl::FreeValue(Block& block) {
    switch (block.m_type) {
    case GLOB_Object::KindName:
        delete block.m_value.m_name;
        break;
    case GLOB_Object::KindString:
        delete block.m_value.m_string;
        break;
    case GLOB_Object::KindArray:
        delete block.m_value.m_array;
        break;
    case GLOB_Object::KindDict:
        delete block.m_value.m_dict;
        break;
    case GLOB_Object::KindStream:
        // Open cores may keep the data: the dictionary goes with the block.
        if (block.m_value.m_stream)
            block.m_value.m_stream->DropAttrDict();
        delete block.m_value.m_stream;
        break;
    default:
        break;
    }
    block.m_value.m_bits = 0;
}

void GLOB_Memory_Impl::FreeAllBlocks() {
    // The handles inside the values let go of blocks that go here anyway:
    // ReleaseObject leaves them alone from now on.
    m_freeingAll = true;
    DropSelfHeld(SelfHeldCount());
    while (Block* block = m_blocks) {
        m_blocks = block->m_next;
        FreeValue(*block);
        delete block;
    }
    m_catalog = nullptr;
    m_info = nullptr;
}

void GLOB_Memory_Impl::AddRefObject(const GLOB_Object& obj) {
    const Record record = RecordOf(obj);
    if (record.m_flags & FlagBlock)
        ++record.GetBlock()->m_useCount;
}

void GLOB_Memory_Impl::ReleaseObject(const GLOB_Object& obj) {
    const Record record = RecordOf(obj);
    if (!(record.m_flags & FlagBlock) || m_freeingAll)
        return;
    Block* block = record.GetBlock();
    GLIB_ASSERT_CMP(block->m_useCount, >, 0u);
    if (--block->m_useCount == 0)
        FreeBlock(block);
}

void GLOB_Memory_Impl::Close() { SetOpen(false); }

bool GLOB_Memory_Impl::Create(const GLOB_FileName&, const char* header, uint32_t flags) {
    return Create(header, flags);
}

bool GLOB_Memory_Impl::Create(const char* header, uint32_t flags) {
    SetHeader(header);
    SetOpen(true);
    SetDocFlag2(true);
    SetDocFlag1((flags & 2) == 0);
    return true;
}

int32_t GLOB_Memory_Impl::GenerationNumber(const GLOB_Object& obj) {
    const Record record = RecordOf(obj);
    return (record.m_flags & FlagIndirect) ? record.GetBlock()->m_generation : -1;
}

int32_t GLOB_Memory_Impl::ObjectNumber(const GLOB_Object& obj) {
    const Record record = RecordOf(obj);
    return (record.m_flags & FlagIndirect) ? static_cast<int32_t>(record.GetBlock()->m_objectNumber) : -1;
}

GLOB_Object GLOB_Memory_Impl::InfoDict() {
    const Record record{reinterpret_cast<uintptr_t>(m_info), GLOB_Object::KindDict, FlagIndirect | FlagBlock};
    return GLOB_Object(this, record.ToHandle());
}

GLOB_Object GLOB_Memory_Impl::Root() {
    const Record record{reinterpret_cast<uintptr_t>(m_catalog), GLOB_Object::KindDict, FlagIndirect | FlagBlock};
    return GLOB_Object(this, record.ToHandle());
}

bool GLOB_Memory_Impl::Open(const GLOB_FileName&, uint32_t) {
    GLIB_LOG(GLIB_LogFatal, "Open() method is not supported for memory documents.");
    return false;
}

void GLOB_Memory_Impl::Save() { GLIB_LOG(GLIB_LogFatal, "Save() method is no supported for memory documents"); }

void GLOB_Memory_Impl::SaveAs(const GLOB_FileName&) {
    GLIB_LOG(GLIB_LogFatal, "SaveAs() method is no supported for memory documents");
}

uint32_t GLOB_Memory_Impl::NextObjectNumber() {
    GLIB_ASSERT_CMP(m_nextObjectNumber, <, static_cast<uint32_t>(std::numeric_limits<int>::max()));
    return ++m_nextObjectNumber;
}

GLOB_Object GLOB_Memory_Impl::NewObject(int32_t type, bool indirect, uint64_t bits, Block** block) {
    Record record{bits, static_cast<uint16_t>(type), 0};
    *block = nullptr;
    const bool scalar = type == GLOB_Object::KindNull || type == GLOB_Object::KindBoolean ||
                        type == GLOB_Object::KindInteger || type == GLOB_Object::KindReal ||
                        type == GLOB_Object::KindMark;
    if (indirect || !scalar) {
        const uint32_t number = indirect ? NextObjectNumber() : 0;
        Block* made = NewBlock(type, number, 0);
        made->m_value.m_bits = bits;
        record.m_flags = static_cast<uint16_t>(FlagBlock | (indirect ? FlagIndirect : 0));
        record.m_value = reinterpret_cast<uintptr_t>(made);
        *block = made;
    }
    // The handle brings the block's use count to 1.
    return GLOB_Object(this, record.ToHandle());
}

GLOB_Object GLOB_Memory_Impl::NewNull() {
    Block* block;
    return NewObject(GLOB_Object::KindNull, false, 0, &block);
}

GLOB_Object GLOB_Memory_Impl::NewMark() {
    Block* block;
    return NewObject(GLOB_Object::KindMark, false, 0, &block);
}

GLOB_Object GLOB_Memory_Impl::NewInteger(int32_t value, bool indirect) {
    Block* block;
    return NewObject(GLOB_Object::KindInteger, indirect, static_cast<uint32_t>(value), &block);
}

GLOB_Object GLOB_Memory_Impl::NewBoolean(bool value, bool indirect) {
    Block* block;
    return NewObject(GLOB_Object::KindBoolean, indirect, value ? 1 : 0, &block);
}

GLOB_Object GLOB_Memory_Impl::NewReal(double value, bool indirect) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    Block* block;
    return NewObject(GLOB_Object::KindReal, indirect, bits, &block);
}

GLOB_Object GLOB_Memory_Impl::NewName(const GLOB_Name& value, bool indirect) {
    Block* block;
    GLOB_Object obj = NewObject(GLOB_Object::KindName, indirect, 0, &block);
    block->m_value.m_name = GLIB_NEW GLOB_Name(value);
    return obj;
}

GLOB_Object GLOB_Memory_Impl::NewString(const GLOB_String& value, bool indirect) {
    Block* block;
    GLOB_Object obj = NewObject(GLOB_Object::KindString, indirect, 0, &block);
    block->m_value.m_string = GLIB_NEW GLOB_String(value);
    return obj;
}

GLOB_Object GLOB_Memory_Impl::NewArray(uint32_t count, bool indirect) {
    Block* block;
    GLOB_Object obj = NewObject(GLOB_Object::KindArray, indirect, 0, &block);
    block->m_value.m_array = GLIB_NEW GLOB_Array(count);
    // The Null elements belong to the process-wide memory document, which
    // may be this one.
    if (count > 0)
        AddSelfHeld(count * Own(block->m_value.m_array->Get(0)));
    return obj;
}

GLOB_Object GLOB_Memory_Impl::NewDict(uint32_t room, bool indirect) {
    Block* block;
    GLOB_Object obj = NewObject(GLOB_Object::KindDict, indirect, 0, &block);
    block->m_value.m_dict = GLIB_NEW GLOB_Dict(room);
    return obj;
}

GLOB_Object GLOB_Memory_Impl::NewStream(const GLOB_Stream& source, int32_t encoded, const GLOB_Object& attrDict,
                                        const GLOB_Object& encodeParams, int32_t) {
    GLIB_ASSERT(attrDict.IsNull() || attrDict.IsDict());
    const GLOB_Object dict = NewDict(0, false);
    if (attrDict.IsDict()) {
        GLOB_Dict& entries = DictOf(dict);
        entries = attrDict.AsDict();
        Unshare(entries);
        AddSelfHeld(OwnHandlesIn(*RecordOf(dict).GetBlock()));
    }

    FILT_Filter* encoder = nullptr;
    const GLOB_Object filter = DictOf(dict).Get("Filter");
    if (encoded == 0 && !filter.IsNull()) {
        // The dictionary's own /DecodeParms describe the same predictor or
        // fax parameters; encoding without them would store data that its
        // dictionary cannot decode.
        const GLOB_Object params = encodeParams.IsNull() ? DictOf(dict).Get("DecodeParms") : encodeParams;
        encoder = GLOB_Filter::MakeFilterChain(filter, params, GLOB_Filter::Encoding);
    }
    const uint32_t chunkSize = std::max(s_copyBufferSize, 1u);
    uint32_t firstSize = chunkSize;
    // Encoded data have no known size: /Length may size only unencoded ones.
    const GLOB_Object length = DictOf(dict).Get("Length");
    if (encoder == nullptr && length.IsInteger())
        firstSize = std::max(std::min(static_cast<uint32_t>(length.AsInteger()), chunkSize), 1u);

    const iGLOB_CosStream data = iGLOB_CosStream::Store(source, encoder, firstSize, chunkSize, dict);
    DictPut(dict, GLOB_Name("Length"), NewInteger(static_cast<int32_t>(data.Size()), false));
    Block* block;
    GLOB_Object obj = NewObject(GLOB_Object::KindStream, true, 0, &block);
    block->m_value.m_stream = GLIB_NEW iGLOB_CosStream(data);
    AddSelfHeld(Own(data.AttrDict()));
    return obj;
}

bool GLOB_Memory_Impl::IsIndirect(const GLOB_Object& obj) { return (RecordOf(obj).m_flags & FlagIndirect) != 0; }

int32_t GLOB_Memory_Impl::Type(const GLOB_Object& obj) { return RecordOf(obj).m_type; }

int32_t GLOB_Memory_Impl::IntegerValue(const GLOB_Object& obj) {
    const Record record = RecordOf(obj);
    if (record.m_type != GLOB_Object::KindInteger)
        WrongKind("Integer", record.m_type);
    const uint64_t bits = (record.m_flags & FlagBlock) ? record.GetBlock()->m_value.m_bits : record.m_value;
    return static_cast<int32_t>(static_cast<uint32_t>(bits));
}

bool GLOB_Memory_Impl::BooleanValue(const GLOB_Object& obj) {
    const Record record = RecordOf(obj);
    if (record.m_type != GLOB_Object::KindBoolean)
        WrongKind("Boolean", record.m_type);
    const uint64_t bits = (record.m_flags & FlagBlock) ? record.GetBlock()->m_value.m_bits : record.m_value;
    return (bits & 0xFF) != 0;
}

double GLOB_Memory_Impl::RealValue(const GLOB_Object& obj) {
    const Record record = RecordOf(obj);
    if (record.m_type == GLOB_Object::KindInteger)
        return static_cast<double>(IntegerValue(obj));
    if (record.m_type != GLOB_Object::KindReal)
        GLIB_THROW(GLIB_Exception, GLOB_TypeMismatchCode, "Unexpected non-numeric type: " << record.m_type);
    const uint64_t bits = (record.m_flags & FlagBlock) ? record.GetBlock()->m_value.m_bits : record.m_value;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

GLOB_Name GLOB_Memory_Impl::NameValue(const GLOB_Object& obj) {
    const Record record = RecordOf(obj);
    if (record.m_type != GLOB_Object::KindName)
        WrongKind("Name", record.m_type);
    return *record.GetBlock()->m_value.m_name;
}

GLOB_String GLOB_Memory_Impl::StringValue(const GLOB_Object& obj) {
    const Record record = RecordOf(obj);
    if (record.m_type != GLOB_Object::KindString)
        WrongKind("String", record.m_type);
    return *record.GetBlock()->m_value.m_string;
}

GLOB_Array& GLOB_Memory_Impl::ArrayOf(const GLOB_Object& obj) {
    const Record record = RecordOf(obj);
    if (record.m_type != GLOB_Object::KindArray)
        GLIB_THROW(GLIB_Exception, GLOB_TypeMismatchCode, "Unexpected object type: " << record.m_type);
    return *record.GetBlock()->m_value.m_array;
}

GLOB_Dict& GLOB_Memory_Impl::DictOf(const GLOB_Object& obj) {
    const Record record = RecordOf(obj);
    if (record.m_type == GLOB_Object::KindStream)
        return DictOf(record.GetBlock()->m_value.m_stream->AttrDict());
    if (record.m_type != GLOB_Object::KindDict)
        GLIB_THROW(GLIB_Exception, GLOB_TypeMismatchCode, "Unexpected object type: " << record.m_type);
    return *record.GetBlock()->m_value.m_dict;
}

GLOB_Array GLOB_Memory_Impl::ArrayValue(const GLOB_Object& obj) {
    GLOB_Array copy = ArrayOf(obj);
    Unshare(copy);
    return copy;
}

GLOB_Object GLOB_Memory_Impl::DictGet(const GLOB_Object& dict, const GLOB_Name& key) { return DictOf(dict).Get(key); }

GLOB_Object GLOB_Memory_Impl::ArrayGet(const GLOB_Object& array, uint32_t index) { return ArrayOf(array).Get(index); }

void GLOB_Memory_Impl::ArrayInsert(const GLOB_Object& array, uint32_t index, const GLOB_Object& value) {
    const uint32_t added = Own(value);
    ArrayOf(array).Insert(index, value);
    AddSelfHeld(added);
}

uint32_t GLOB_Memory_Impl::ArrayLength(const GLOB_Object& array) { return ArrayOf(array).Length(); }

void GLOB_Memory_Impl::DictPut(const GLOB_Object& dict, const GLOB_Name& key, const GLOB_Object& value) {
    GLOB_Dict& entries = DictOf(dict);
    const uint32_t added = Own(value);
    if (entries.Known(key))
        DropSelfHeld(Own(entries.Get(key)));
    entries.Put(key, value);
    AddSelfHeld(added);
}

void GLOB_Memory_Impl::ArrayPut(const GLOB_Object& array, uint32_t index, const GLOB_Object& value) {
    GLOB_Array& elements = ArrayOf(array);
    const uint32_t length = elements.Length();
    const uint32_t added = Own(value);
    if (index < length)
        DropSelfHeld(Own(elements.Get(index)));
    elements.Put(index, value);
    AddSelfHeld(added);
    // Past the end the gap is filled with Nulls of the process-wide memory
    // document, which may be this one.
    if (index > length)
        AddSelfHeld((index - length) * Own(elements.Get(length)));
}

void GLOB_Memory_Impl::DictRemove(const GLOB_Object& dict, const GLOB_Name& key) {
    GLOB_Dict& entries = DictOf(dict);
    if (entries.Known(key))
        DropSelfHeld(Own(entries.Get(key)));
    entries.Remove(key);
}

void GLOB_Memory_Impl::ArrayRemove(const GLOB_Object& array, uint32_t index) {
    GLOB_Array& elements = ArrayOf(array);
    if (index < elements.Length())
        DropSelfHeld(Own(elements.Get(index)));
    elements.Remove(index);
}

GLOB_Dict GLOB_Memory_Impl::DictValue(const GLOB_Object& dict) {
    GLOB_Dict copy = DictOf(dict);
    Unshare(copy);
    return copy;
}

const iGLOB_CosStream& GLOB_Memory_Impl::StreamOf(const GLOB_Object& obj) {
    const Record record = RecordOf(obj);
    if (record.m_type != GLOB_Object::KindStream)
        GLIB_THROW(GLIB_Exception, GLOB_TypeMismatchCode, "Unexpected object type: " << record.m_type);
    return *record.GetBlock()->m_value.m_stream;
}

GLOB_Stream GLOB_Memory_Impl::OpenStream(const GLOB_Object& stream, int32_t openFlags) {
    // The data are held by the open core, so they stay valid after the
    // object's last handle goes.
    const iGLOB_CosStream data = StreamOf(stream);
    if (openFlags < 0 || openFlags > 2) {
        GLIB_LOG(GLIB_LogFatal, "Unrecognized Stream Open Flags: " << openFlags);
        return GLOB_Stream();
    }
    const GLOB_Dict dict = DictOf(data.AttrDict());
    const GLOB_Object file = dict.Get("F");
    const bool external = !file.IsNull();
    GLOB_Stream opened = external ? iGLOB_CosStream::OpenExternal(file) : data.Open();
    if (openFlags == 2) {
        const GLOB_Object filter = dict.Get(external ? "FFilter" : "Filter");
        if (!filter.IsNull())
            opened.SetFilter(
                GLOB_Filter::MakeReadingChain(filter, dict.Get(external ? "FDecodeParms" : "DecodeParms")));
    }
    return opened;
}

GLOB_Object GLOB_Memory_Impl::StreamDict(const GLOB_Object& stream) { return StreamOf(stream).AttrDict(); }

uint32_t GLOB_Memory_Impl::StreamLength(const GLOB_Object& stream) { return StreamOf(stream).Length(); }

uint32_t GLOB_Memory_Impl::StreamPos(const GLOB_Object&) { return 0; }

bool GLOB_Memory_Impl::DictKnown(const GLOB_Object& dict, const GLOB_Name& key) { return DictOf(dict).Known(key); }

void GLOB_Memory_Impl::DictKeys(const GLOB_Object& dict, std::vector<GLOB_Name>& keys, bool unsorted) {
    const GLOB_Dict value = DictOf(dict);
    keys.clear();
    GLOB_Name key;
    for (uint32_t i = 0; value.Entry(i, &key, nullptr); ++i)
        keys.push_back(key);
    if (!unsorted)
        std::stable_sort(keys.begin(), keys.end());
}

void GLOB_Memory_Impl::DictEntries(const GLOB_Object& dict, std::vector<Entry>& entries, bool unsorted) {
    const GLOB_Dict value = DictOf(dict);
    entries.clear();
    GLOB_Name key;
    GLOB_Object entry;
    for (uint32_t i = 0; value.Entry(i, &key, &entry); ++i)
        entries.emplace_back(key, entry);
    if (!unsorted)
        std::stable_sort(entries.begin(), entries.end(),
                         [](const Entry& a, const Entry& b) { return a.first < b.first; });
}

void GLOB_Memory_Impl::DictValues(const GLOB_Object& dict, std::vector<GLOB_Object>& values) {
    const GLOB_Dict value = DictOf(dict);
    values.clear();
    GLOB_Object entry;
    for (uint32_t i = 0; value.Entry(i, nullptr, &entry); ++i)
        values.push_back(entry);
}

bool GLOB_Memory_Impl::IsEqual(const GLOB_Object& a, const GLOB_Object& b) {
    // Only records of a memory back-end can be read as records.
    if (dynamic_cast<GLOB_Memory_Impl*>(a.GetImpl()) == nullptr ||
        dynamic_cast<GLOB_Memory_Impl*>(b.GetImpl()) == nullptr)
        return GLOB_Impl::IsEqual(a, b);
    const Record ra = RecordOf(a);
    const Record rb = RecordOf(b);
    if (ra.m_flags & FlagIndirect) {
        if (!(rb.m_flags & FlagIndirect))
            return false;
        const Block* ba = ra.GetBlock();
        const Block* bb = rb.GetBlock();
        return ba->m_objectNumber == bb->m_objectNumber && ba->m_generation == bb->m_generation;
    }
    if (rb.m_flags & FlagIndirect)
        return false;
    if (ra.m_type != rb.m_type) {
        const bool numbers = (ra.m_type == GLOB_Object::KindInteger && rb.m_type == GLOB_Object::KindReal) ||
                             (ra.m_type == GLOB_Object::KindReal && rb.m_type == GLOB_Object::KindInteger);
        return numbers && NumbersEqual(RealValue(a), RealValue(b));
    }
    switch (ra.m_type) {
    case GLOB_Object::KindNull:
    case GLOB_Object::KindMark:
        return true;
    case GLOB_Object::KindBoolean:
        return BooleanValue(a) == BooleanValue(b);
    case GLOB_Object::KindInteger:
        return IntegerValue(a) == IntegerValue(b);
    case GLOB_Object::KindReal:
        return NumbersEqual(RealValue(a), RealValue(b));
    case GLOB_Object::KindArray:
    case GLOB_Object::KindDict:
    case GLOB_Object::KindStream:
        return ra.GetBlock() == rb.GetBlock();
    case GLOB_Object::KindName:
        return *ra.GetBlock()->m_value.m_name == *rb.GetBlock()->m_value.m_name;
    case GLOB_Object::KindString:
        return *ra.GetBlock()->m_value.m_string == *rb.GetBlock()->m_value.m_string;
    default:
        GLIB_LOG(GLIB_LogFatal, "Unsupported direct object type: " << ra.m_type);
        return false;
    }
}
