#include "GLOB/GLOB_Object.h"

#include "GLIB/GLIB_Assert.h"
#include "GLOB/GLOB_Array.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_DocMessage.h"
#include "GLOB/GLOB_Impl.h"
#include "GLOB/GLOB_ObjectFactory.h"
#include "GLOB/GLOB_Stream.h"

namespace {

struct TypeRow {
    int32_t m_type;
    const char* m_name;
};

const TypeRow typeStr[] = {
    {GLOB_Object::KindNull, "Null"},     {GLOB_Object::KindBoolean, "Boolean"},
    {GLOB_Object::KindInteger, "Integer"}, {GLOB_Object::KindReal, "Real"},
    {GLOB_Object::KindName, "Name"},     {GLOB_Object::KindString, "String"},
    {GLOB_Object::KindArray, "Array"},   {GLOB_Object::KindDict, "Dict"},
    {GLOB_Object::KindStream, "Stream"}, {GLOB_Object::KindMark, "Mark"},
};
const int32_t numTypeStr = static_cast<int32_t>(sizeof typeStr / sizeof typeStr[0]);

}  // namespace

GLOB_Object::GLOB_Object() : m_handle{}, m_pImpl(nullptr) { *this = GLOB_ObjectFactory::NewNull(); }

GLOB_Object::GLOB_Object(GLOB_Impl* impl, const Handle& handle) : m_handle(handle), m_pImpl(impl) { TakeUp(); }

GLOB_Object::GLOB_Object(const GLOB_Object& other) : m_handle(other.m_handle), m_pImpl(other.m_pImpl) {
    TakeUp();
}

GLOB_Object& GLOB_Object::operator=(const GLOB_Object& other) {
    if (this == &other)
        return *this;
    // other may live inside a block that letting go of this object frees.
    const Handle handle = other.m_handle;
    GLOB_Impl* impl = other.m_pImpl;
    if (impl) {
        impl->AddRef();
        impl->AddRefObject(other);
    }
    LetGo();
    m_handle = handle;
    m_pImpl = impl;
    return *this;
}

GLOB_Object::~GLOB_Object() { LetGo(); }

void GLOB_Object::TakeUp() {
    if (m_pImpl == nullptr)
        return;
    m_pImpl->AddRef();
    m_pImpl->AddRefObject(*this);
}

void GLOB_Object::LetGo() {
    if (m_pImpl == nullptr)
        return;
    m_pImpl->ReleaseObject(*this);
    GLOB_Impl::Release(&m_pImpl);
    m_pImpl = nullptr;
}

bool GLOB_Object::operator==(const GLOB_Object& other) const {
    if (m_pImpl != other.m_pImpl)
        return false;
    return m_pImpl == nullptr || m_pImpl->IsEqual(*this, other);
}

const char* GLOB_Object::TypeString(int32_t cosType) {
    GLIB_ASSERT_CMP(numTypeStr, ==, NumTypes);
    GLIB_ASSERT_CMP(cosType, >=, 0);
    GLIB_ASSERT_CMP(cosType, <, NumTypes);
    if (cosType < 0 || cosType >= NumTypes)
        return "";
    GLIB_ASSERT_CMP(typeStr[cosType].m_type, ==, cosType);
    return typeStr[cosType].m_name;
}

int32_t GLOB_Object::Type() const { return m_pImpl->Type(*this); }

bool GLOB_Object::IsNumber() const {
    const int32_t type = Type();
    return type == KindInteger || type == KindReal;
}

bool GLOB_Object::IsContainer() const {
    const int32_t type = Type();
    return type == KindArray || type == KindDict || type == KindStream;
}

bool GLOB_Object::IsDirect() const { return !m_pImpl->IsIndirect(*this); }

bool GLOB_Object::IsIndirect() const { return m_pImpl->IsIndirect(*this); }

int32_t GLOB_Object::AsInteger() const { return m_pImpl->IntegerValue(*this); }

bool GLOB_Object::AsBoolean() const { return m_pImpl->BooleanValue(*this); }

double GLOB_Object::AsReal() const { return m_pImpl->RealValue(*this); }

double GLOB_Object::AsNumber() const {
    if (IsInteger())
        return static_cast<double>(m_pImpl->IntegerValue(*this));
    return m_pImpl->RealValue(*this);
}

GLOB_Name GLOB_Object::AsName() const { return m_pImpl->NameValue(*this); }

GLOB_String GLOB_Object::AsString() const { return m_pImpl->StringValue(*this); }

GLOB_Array GLOB_Object::AsArray() const { return m_pImpl->ArrayValue(*this); }

GLOB_Dict GLOB_Object::AsDict() const { return m_pImpl->DictValue(*this); }

GLOB_Object GLOB_Object::StreamDict() const { return m_pImpl->StreamDict(*this); }

GLOB_Doc GLOB_Object::Doc() const { return GLOB_Doc(m_pImpl); }

uint32_t GLOB_Object::Length() const { return m_pImpl->ArrayLength(*this); }

GLOB_Object GLOB_Object::Get(uint32_t index) const { return m_pImpl->ArrayGet(*this, index); }

GLOB_Object GLOB_Object::DictGet(const GLOB_Name& key) const { return m_pImpl->DictGet(*this, key); }

bool GLOB_Object::Known(const GLOB_Name& key, GLOB_Object* out) const {
    const bool known = m_pImpl->DictKnown(*this, key);
    if (known && out)
        *out = m_pImpl->DictGet(*this, key);
    return known;
}

GLOB_Object GLOB_Object::Local(const GLOB_Object& value) const {
    return value.m_pImpl == m_pImpl ? value : m_pImpl->CopyObject(value, true);
}

void GLOB_Object::DictPut(const GLOB_Name& key, const GLOB_Object& value) const {
    m_pImpl->DictPut(*this, key, Local(value));
}

void GLOB_Object::ArrayPut(uint32_t index, const GLOB_Object& value) const {
    m_pImpl->ArrayPut(*this, index, Local(value));
}

GLOB_DictEntryRef GLOB_Object::EntryRef(const char* key) { return GLOB_DictEntryRef(this, key); }

void GLOB_Object::PutArray(const GLOB_Name& key, const GLOB_Array& value, bool indirect) const {
    const uint32_t n = value.Length();
    const GLOB_Object array = m_pImpl->NewArray(n, indirect);
    for (uint32_t i = 0; i < n; ++i)
        m_pImpl->ArrayPut(array, i, Local(value.Get(i)));
    m_pImpl->DictPut(*this, key, array);
}

namespace {

GLOB_Object MakeDict(GLOB_Impl* impl, const GLOB_Dict& value, bool indirect) {
    const GLOB_Object dict = impl->NewDict(value.Size(), indirect);
    GLOB_Name key;
    GLOB_Object entry;
    for (uint32_t i = 0; value.Entry(i, &key, &entry); ++i)
        impl->DictPut(dict, key, entry.GetImpl() == impl ? entry : impl->CopyObject(entry, true));
    return dict;
}

}  // namespace

void GLOB_Object::PutDict(const GLOB_Name& key, const GLOB_Dict& value, bool indirect) const {
    m_pImpl->DictPut(*this, key, MakeDict(m_pImpl, value, indirect));
}

void GLOB_Object::PutDict(uint32_t index, const GLOB_Dict& value, bool indirect) const {
    m_pImpl->ArrayPut(*this, index, MakeDict(m_pImpl, value, indirect));
}

GLOB_Stream GLOB_Object::OpenStream(int32_t openFlags) const {
    GLOB_Stream stream = m_pImpl->OpenStream(*this, openFlags);
    // Notify delivers nothing while the back-end has no observer.
    m_pImpl->Notify(GLOB_DocStreamDidOpenMessage(Doc(), *this, stream));
    return stream;
}

GLOB_Object GLOB_DictEntryRef::Value() const { return m_object->GetPath(m_key); }

GLOB_DictEntryRef& GLOB_DictEntryRef::operator=(const GLOB_Object& value) {
    m_object->PutPath(m_key, value);
    return *this;
}

GLOB_Object GLOB_ArrayElementRef::Value() const { return m_array->Get(static_cast<uint32_t>(m_index)); }

GLOB_ArrayElementRef& GLOB_ArrayElementRef::operator=(const GLOB_ArrayElementRef& other) {
    if (this == &other)
        return *this;
    m_array->ArrayPut(static_cast<uint32_t>(m_index), other.Value());
    return *this;
}
