// The object operations of the host back-end and its factories; documents
// are in COSF_PDFL_ImplDocument.cpp.
#include "hostpdf/COSF_PDFL_Impl.h"

#include "hostpdf/COSF_PDFL_Library.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_Array.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_Filter.h"
#include "GLOB/GLOB_Stream.h"
#include "hostpdf/COSF_PDFL_Library.h"
#include "hostpdf/COSF_PDFL_StreamCore.h"
#include "hostpdf/COSF_PDFL_StreamProc.h"
#include "hostpdf/PDFL_CorCalls.h"
#include "hostpdf/PDFL_CosCalls.h"
#include "hostpdf/PDFL_CosUpdateCalls.h"
#include "hostpdf/PDFL_ExceptionHandler.h"
#include "hostpdf/PDFL_PDCalls.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

PDFL_ASAtom AtomOf(const GLOB_Name& name) { return PDFL_ASAtomFromString(name.CStr()); }
GLOB_Name NameOfAtom(PDFL_ASAtom atom) { return GLOB_Name(PDFL_ASAtomGetString(atom)); }
PDFL_Bool HostBool(bool value) { return value ? 1 : 0; }

// The host's enumeration, one call of visit per entry, under the callback
// guard.
template <class Visit>
void Enumerate(PDFL_CosObj obj, Visit visit) {
    struct Client {
        Visit* m_visit;
        static PDFL_Bool Proc(PDFL_CosObj key, PDFL_CosObj value, void* clientData) {
            return PDFL_CallbackGuard("COSF_PDFL_Impl", "CosObjEnum", [=] {
                Client* ourClient = static_cast<Client*>(clientData);
                GLIB_ASSERT(ourClient != NULL);
                (*ourClient->m_visit)(key, value);
                return PDFL_Bool(1);
            });
        }
    } client{&visit};
    PDFL_CosObjEnum(obj, &Client::Proc, &client);
}

}  // namespace

COSF_PDFL_Impl::COSF_PDFL_Impl() : m_ownsDoc(true) {}

COSF_PDFL_Impl::COSF_PDFL_Impl(PDFL_CosDoc cosDoc) : m_cosDoc(cosDoc) {
    COSF_PDFL_ASSERT_INITIALIZED();
    SetOpen(true);
    SetDocFlag1(true);
    SetDocFlag2(true);
}

COSF_PDFL_Impl::COSF_PDFL_Impl(PDFL_PDDoc pdDoc) : m_cosDoc(PDFL_PDDocGetCosDoc(pdDoc)), m_pdDoc(pdDoc) {
    COSF_PDFL_ASSERT_INITIALIZED();
    SetOpen(true);
    SetDocFlag1(true);
    SetDocFlag2((PDFL_PDDocGetFlags(pdDoc) & 1) == 0);
}

COSF_PDFL_Impl::~COSF_PDFL_Impl() {
    if (m_ownsDoc && IsOpen()) {
        try {
            Close();
        } catch (const GLIB_Exception& e) {
            GLIB_LOG(GLIB_LogError, "Closing a host document failed: " << e.Description());
        }
    }
}

GLOB_Object COSF_PDFL_Impl::ObjectOf(PDFL_CosObj obj) {
    GLOB_Object::Handle handle{{obj.m_word0, obj.m_word1, 0}};
    return GLOB_Object(this, handle);
}

PDFL_CosObj COSF_PDFL_Impl::CosObjOf(const GLOB_Object& obj) {
    if (obj.GetImpl() == this)
        return PDFL_CosObj{obj.GetHandle().m_words[0], obj.GetHandle().m_words[1]};
    if (obj.GetImpl() == nullptr || obj.IsNull())
        return PDFL_CosNewNull();
    return CosObjOf(CopyObject(obj, true));
}

bool COSF_PDFL_Impl::ToFixed(double v, PDFL_Fixed* fixed) {
    if (std::isnan(v)) {
        *fixed = 0;
        return false;
    }
    const double scaled = std::trunc(v > 0 ? v * 65536 + 0.5 : v * 65536 - 0.5);
    const double lowest = std::numeric_limits<PDFL_Fixed>::min();
    const double highest = std::numeric_limits<PDFL_Fixed>::max();
    *fixed = static_cast<PDFL_Fixed>(std::clamp(scaled, lowest, highest));
    return scaled >= lowest && scaled <= highest;
}

int32_t COSF_PDFL_Impl::GenerationNumber(const GLOB_Object& obj) {
    const PDFL_CosObj cos = CosObjOf(obj);
    return PDFL_CosObjIsIndirect(cos) ? static_cast<int32_t>(PDFL_CosObjGetGeneration(cos)) : -1;
}

int32_t COSF_PDFL_Impl::ObjectNumber(const GLOB_Object& obj) {
    const PDFL_CosObj cos = CosObjOf(obj);
    return PDFL_CosObjIsIndirect(cos) ? PDFL_CosObjGetID(cos) : -1;
}

GLOB_Object COSF_PDFL_Impl::InfoDict() { return ObjectOf(PDFL_CosDocGetInfoDict(m_cosDoc)); }
GLOB_Object COSF_PDFL_Impl::Root() { return ObjectOf(PDFL_CosDocGetRoot(m_cosDoc)); }

GLOB_Object COSF_PDFL_Impl::NewNull() { return ObjectOf(PDFL_CosNewNull()); }

GLOB_Object COSF_PDFL_Impl::NewInteger(int32_t value, bool indirect) {
    return ObjectOf(PDFL_CosNewInteger(m_cosDoc, HostBool(indirect), value));
}

GLOB_Object COSF_PDFL_Impl::NewBoolean(bool value, bool indirect) {
    return ObjectOf(PDFL_CosNewBoolean(m_cosDoc, HostBool(indirect), HostBool(value)));
}

GLOB_Object COSF_PDFL_Impl::NewReal(double value, bool indirect) {
    PDFL_Fixed fixed = 0;
    if (ToFixed(value, &fixed))
        return ObjectOf(PDFL_CosNewFixed(m_cosDoc, HostBool(indirect), fixed));
    // Beyond 16.16: a whole number that fits 32 bits keeps its value as an
    // Integer; anything else is the nearest fixed value.
    const bool integral = std::isfinite(value) && std::trunc(value) == value;
    if (integral && value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max())
        return NewInteger(static_cast<int32_t>(value), indirect);
    GLIB_LOG(GLIB_LogWarning, "Real " << value << " does not fit the host's fixed point; stored as "
                                      << fixed / 65536.0);
    return ObjectOf(PDFL_CosNewFixed(m_cosDoc, HostBool(indirect), fixed));
}

GLOB_Object COSF_PDFL_Impl::NewName(const GLOB_Name& value, bool indirect) {
    return ObjectOf(PDFL_CosNewName(m_cosDoc, HostBool(indirect), AtomOf(value)));
}

GLOB_Object COSF_PDFL_Impl::NewString(const GLOB_String& value, bool indirect) {
    m_scratch.assign(reinterpret_cast<const char*>(value.Data()), value.Length());
    GLIB_CHECK_BOUND(m_scratch.size(), <=, static_cast<size_t>(INT32_MAX));
    return ObjectOf(PDFL_CosNewString(m_cosDoc, HostBool(indirect), m_scratch.data(),
                                      static_cast<int32_t>(m_scratch.size())));
}

GLOB_Object COSF_PDFL_Impl::NewArray(uint32_t count, bool indirect) {
    GLIB_CHECK_BOUND(count, <=, static_cast<uint32_t>(INT32_MAX));
    return ObjectOf(PDFL_CosNewArray(m_cosDoc, HostBool(indirect), static_cast<int32_t>(count)));
}

GLOB_Object COSF_PDFL_Impl::NewDict(uint32_t room, bool indirect) {
    GLIB_CHECK_BOUND(room, <=, static_cast<uint32_t>(INT32_MAX));
    return ObjectOf(PDFL_CosNewDict(m_cosDoc, HostBool(indirect), static_cast<int32_t>(room)));
}

GLOB_Object COSF_PDFL_Impl::NewStream(const GLOB_Stream& source, int32_t encoded, const GLOB_Object& attrDict,
                                      const GLOB_Object& encodeParams, int32_t count) {
    const PDFL_CosObj attributes = CosObjOf(attrDict);
    const PDFL_CosObj params = CosObjOf(encodeParams);
    COSF_PDFL_StreamProc proc(source);
    return ObjectOf(PDFL_CosNewStream(m_cosDoc, 1, proc.HostStream(), -1, static_cast<PDFL_Bool>(encoded),
                                      attributes, params, count));
}

bool COSF_PDFL_Impl::IsIndirect(const GLOB_Object& obj) { return PDFL_CosObjIsIndirect(CosObjOf(obj)) > 0; }

int32_t COSF_PDFL_Impl::Type(const GLOB_Object& obj) {
    static const int32_t kinds[] = {
        GLOB_Object::KindNull, GLOB_Object::KindInteger, GLOB_Object::KindReal,
        GLOB_Object::KindBoolean, GLOB_Object::KindName, GLOB_Object::KindString,
        GLOB_Object::KindDict, GLOB_Object::KindArray, GLOB_Object::KindStream,
    };
    const int32_t type = PDFL_CosObjGetType(CosObjOf(obj));
    if (type < 0 || type > 8) {
        GLIB_LOG(GLIB_LogFatal, "Unrecognized PDFL CosType: " << type);
        return GLOB_Object::KindNull;
    }
    return kinds[type];
}

int32_t COSF_PDFL_Impl::IntegerValue(const GLOB_Object& obj) { return PDFL_CosIntegerValue(CosObjOf(obj)); }
bool COSF_PDFL_Impl::BooleanValue(const GLOB_Object& obj) { return PDFL_CosBooleanValue(CosObjOf(obj)) > 0; }

double COSF_PDFL_Impl::RealValue(const GLOB_Object& obj) {
    const PDFL_CosObj cos = CosObjOf(obj);
    // The fixed-point answer saturates at 32767: an Integer is read whole.
    if (PDFL_CosObjGetType(cos) == 1)
        return PDFL_CosIntegerValue(cos);
    return PDFL_CosFixedValue(cos) * (1.0 / 65536);
}

GLOB_Name COSF_PDFL_Impl::NameValue(const GLOB_Object& obj) { return NameOfAtom(PDFL_CosNameValue(CosObjOf(obj))); }

GLOB_String COSF_PDFL_Impl::StringValue(const GLOB_Object& obj) {
    int32_t length = 0;
    const char* bytes = PDFL_CosStringValue(CosObjOf(obj), &length);
    return GLOB_String(bytes, bytes && length > 0 ? static_cast<size_t>(length) : 0);
}

GLOB_Array COSF_PDFL_Impl::ArrayValue(const GLOB_Object& obj) {
    const PDFL_CosObj cos = CosObjOf(obj);
    const int32_t length = PDFL_CosArrayLength(cos);
    GLOB_Array elements(length > 0 ? static_cast<uint32_t>(length) : 0);
    for (int32_t i = 0; i < length; ++i)
        elements.Put(static_cast<uint32_t>(i), ObjectOf(PDFL_CosArrayGet(cos, i)));
    return elements;
}

GLOB_Object COSF_PDFL_Impl::DictGet(const GLOB_Object& dict, const GLOB_Name& key) {
    return ObjectOf(PDFL_CosDictGet(CosObjOf(dict), AtomOf(key)));
}

GLOB_Object COSF_PDFL_Impl::ArrayGet(const GLOB_Object& array, uint32_t index) {
    GLIB_CHECK_BOUND(index, <=, static_cast<uint32_t>(INT32_MAX));
    return ObjectOf(PDFL_CosArrayGet(CosObjOf(array), static_cast<int32_t>(index)));
}

void COSF_PDFL_Impl::ArrayInsert(const GLOB_Object& array, uint32_t index, const GLOB_Object& value) {
    GLIB_CHECK_BOUND(index, <=, static_cast<uint32_t>(INT32_MAX));
    PDFL_CosArrayInsert(CosObjOf(array), static_cast<int32_t>(index), CosObjOf(value));
}

uint32_t COSF_PDFL_Impl::ArrayLength(const GLOB_Object& array) {
    const int32_t length = PDFL_CosArrayLength(CosObjOf(array));
    return length > 0 ? static_cast<uint32_t>(length) : 0;
}

void COSF_PDFL_Impl::DictPut(const GLOB_Object& dict, const GLOB_Name& key, const GLOB_Object& value) {
    PDFL_CosDictPut(CosObjOf(dict), AtomOf(key), CosObjOf(value));
}

void COSF_PDFL_Impl::ArrayPut(const GLOB_Object& array, uint32_t index, const GLOB_Object& value) {
    GLIB_CHECK_BOUND(index, <=, static_cast<uint32_t>(INT32_MAX));
    PDFL_CosArrayPut(CosObjOf(array), static_cast<int32_t>(index), CosObjOf(value));
}

void COSF_PDFL_Impl::DictRemove(const GLOB_Object& dict, const GLOB_Name& key) {
    PDFL_CosDictRemove(CosObjOf(dict), AtomOf(key));
}

void COSF_PDFL_Impl::ArrayRemove(const GLOB_Object& array, uint32_t index) {
    GLIB_CHECK_BOUND(index, <=, static_cast<uint32_t>(INT32_MAX));
    PDFL_CosArrayRemoveNth(CosObjOf(array), static_cast<int32_t>(index));
}

GLOB_Dict COSF_PDFL_Impl::DictValue(const GLOB_Object& dict) {
    GLOB_Dict entries;
    Enumerate(CosObjOf(dict), [&](PDFL_CosObj key, PDFL_CosObj value) {
        entries.Put(NameOfAtom(PDFL_CosNameValue(key)), ObjectOf(value));
    });
    return entries;
}

GLOB_Stream COSF_PDFL_Impl::OpenStream(const GLOB_Object& stream, int32_t openFlags) {
    uint16_t mode = 0;
    FILT_Filter* chain = nullptr;
    if (openFlags == 1) {
        mode = 1;
    } else if (openFlags == 2) {
        mode = 1;
        const GLOB_Object filter = DictGet(stream, GLOB_Name("Filter"));
        if (!filter.IsNull()) {
            try {
                chain = GLOB_Filter::MakeReadingChain(filter, DictGet(stream, GLOB_Name("DecodeParms")));
            } catch (const GLIB_Exception& e) {
                if (e.Code() != GLOB_Filter::UnknownFilterCode)
                    throw;
                GLIB_LOG(GLIB_LogDebug, "Unable to create stream filter, using PDF library instead");
                mode = 2;
            }
        }
    } else if (openFlags != 0) {
        GLIB_LOG(GLIB_LogFatal, "Unrecognized Stream Open Flags: " << openFlags);
        return GLOB_Stream();
    }
    PDFL_ASStm hostStream = nullptr;
    try {
        hostStream = PDFL_CosStreamOpenStm(CosObjOf(stream), mode);
    } catch (...) {
        delete chain;
        throw;
    }
    GLOB_Stream opened(GLIB_NEW COSF_PDFL_StreamCore(hostStream, GLOB_StreamCore::Input));
    if (chain)
        opened.SetFilter(chain);
    return opened;
}

GLOB_Object COSF_PDFL_Impl::StreamDict(const GLOB_Object& stream) {
    return ObjectOf(PDFL_CosStreamDict(CosObjOf(stream)));
}

uint32_t COSF_PDFL_Impl::StreamLength(const GLOB_Object& stream) {
    const int32_t length = PDFL_CosStreamLength(CosObjOf(stream));
    return length > 0 ? static_cast<uint32_t>(length) : 0;
}

uint32_t COSF_PDFL_Impl::StreamPos(const GLOB_Object& stream) {
    const int32_t position = PDFL_CosStreamPos(CosObjOf(stream));
    return position > 0 ? static_cast<uint32_t>(position) : 0;
}

bool COSF_PDFL_Impl::DictKnown(const GLOB_Object& dict, const GLOB_Name& key) {
    return PDFL_CosDictKnown(CosObjOf(dict), AtomOf(key)) > 0;
}

void COSF_PDFL_Impl::DictKeys(const GLOB_Object& dict, std::vector<GLOB_Name>& keys, bool unsorted) {
    keys.clear();
    Enumerate(CosObjOf(dict), [&](PDFL_CosObj key, PDFL_CosObj) { keys.push_back(NameOfAtom(PDFL_CosNameValue(key))); });
    if (!unsorted)
        std::stable_sort(keys.begin(), keys.end());
}

void COSF_PDFL_Impl::DictEntries(const GLOB_Object& dict, std::vector<Entry>& entries, bool unsorted) {
    entries.clear();
    Enumerate(CosObjOf(dict), [&](PDFL_CosObj key, PDFL_CosObj value) {
        entries.emplace_back(NameOfAtom(PDFL_CosNameValue(key)), ObjectOf(value));
    });
    if (!unsorted)
        std::stable_sort(entries.begin(), entries.end(),
                         [](const Entry& a, const Entry& b) { return a.first < b.first; });
}

void COSF_PDFL_Impl::DictValues(const GLOB_Object& dict, std::vector<GLOB_Object>& values) {
    values.clear();
    Enumerate(CosObjOf(dict), [&](PDFL_CosObj, PDFL_CosObj value) { values.push_back(ObjectOf(value)); });
}

bool COSF_PDFL_Impl::IsEqual(const GLOB_Object& a, const GLOB_Object& b) {
    if (a.GetImpl() != this || b.GetImpl() != this)
        return GLOB_Impl::IsEqual(a, b);
    return PDFL_CosObjEqual(CosObjOf(a), CosObjOf(b)) > 0;
}

GLOB_Object COSF_PDFL_Impl::ReplacedBy(const GLOB_Object& reference) {
    if (gXCHG_CosUpdatesHFT == nullptr || reference.GetImpl() != this)
        return GLOB_Impl::ReplacedBy(reference);
    return ObjectOf(PDFL_CosObjReplacedBy(CosObjOf(reference)));
}

// ---- Factories

GLOB_Doc COSF_PDFL_NewDoc() {
    COSF_PDFL_ASSERT_INITIALIZED();
    COSF_PDFL_Impl* impl = new (std::nothrow) COSF_PDFL_Impl();
    return impl ? GLOB_Doc(impl) : GLOB_Doc();
}

GLOB_Doc COSF_PDFL_DocFromPDDoc(PDFL_PDDoc pdDoc) {
    COSF_PDFL_ASSERT_INITIALIZED();
    return GLOB_Doc(GLIB_NEW COSF_PDFL_Impl(pdDoc));
}

GLOB_Doc COSF_PDFL_DocFromCosDoc(PDFL_CosDoc cosDoc) {
    COSF_PDFL_ASSERT_INITIALIZED();
    return GLOB_Doc(GLIB_NEW COSF_PDFL_Impl(cosDoc));
}

namespace {

COSF_PDFL_Impl* HostImplOf(const GLOB_Doc& doc) {
    GLIB_ASSERT_CMP(doc.ImplementationType(), ==, COSF_PDFL_IMPL_TYPE);
    return static_cast<COSF_PDFL_Impl*>(doc.Impl());
}

}  // namespace

PDFL_CosDoc COSF_PDFL_CosDocFromDoc(const GLOB_Doc& doc) { return HostImplOf(doc)->CosDoc(); }

PDFL_CosObj COSF_PDFL_CosObjFromObject(const GLOB_Object& obj) { return HostImplOf(obj.Doc())->CosObjOf(obj); }

GLOB_Object COSF_PDFL_ObjectFromCosObj(const GLOB_Doc& cosDoc, PDFL_CosObj obj) {
    COSF_PDFL_Impl* impl = HostImplOf(cosDoc);
    const int32_t type = PDFL_CosObjGetType(obj);
    const bool container = type == 6 || type == 7 || type == 8;
    if (PDFL_CosObjIsIndirect(obj) || container) {
        const PDFL_CosDoc owner = PDFL_CosObjGetDoc(obj);
        if (owner && owner != impl->CosDoc())
            GLIB_THROW(GLIB_Exception, COSF_PDFL_ForeignObjectCode, "GLOB_Doc does not match PDFL_CosObj's document");
    }
    return impl->ObjectOf(obj);
}
