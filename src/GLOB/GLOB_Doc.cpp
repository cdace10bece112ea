#include "GLOB/GLOB_Doc.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Log.h"
#include "GLOB/GLOB_Array.h"
#include "GLOB/GLOB_DepthGuard.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_FileName.h"
#include "GLOB/GLOB_Impl.h"
#include "GLOB/GLOB_Stream.h"

#include <cstring>
#include <vector>

GLOB_Doc::GLOB_Doc(GLOB_Impl* impl) : m_cosImpl(impl) {
    if (m_cosImpl)
        m_cosImpl->AddRef();
}

GLOB_Doc::GLOB_Doc(const GLOB_Doc& other) : GLOB_Doc(other.m_cosImpl) {}

GLOB_Doc& GLOB_Doc::operator=(const GLOB_Doc& other) {
    if (this == &other || m_cosImpl == other.m_cosImpl)
        return *this;
    GLOB_Impl* impl = other.m_cosImpl;
    if (impl)
        impl->AddRef();
    if (m_cosImpl)
        GLOB_Impl::Release(&m_cosImpl);
    m_cosImpl = impl;
    return *this;
}

GLOB_Doc::~GLOB_Doc() {
    if (m_cosImpl)
        GLOB_Impl::Release(&m_cosImpl);
}

GLOB_Impl* GLOB_Doc::Checked() const {
    GLIB_ASSERT(m_cosImpl != NULL);
    return m_cosImpl;
}

void GLOB_Doc::Create(const char* header, uint32_t flags) {
    Checked()->Create(header, flags);
    DidOpen();
}

void GLOB_Doc::Create(const GLOB_FileName& fileName, const char* header, uint32_t flags) {
    Checked()->Create(fileName, header, flags);
    DidOpen();
}

void GLOB_Doc::Open(const GLOB_FileName& fileName, uint32_t flags) {
    Checked()->Open(fileName, flags);
    DidOpen();
}

void GLOB_Doc::Close() {
    GLOB_Impl* impl = Checked();
    WillClose();
    impl->DetachAll();
    impl->Close();
}

void GLOB_Doc::Save() {
    GLOB_Impl* impl = Checked();
    GLIB_ASSERT(HasFileName());
    impl->Save();
}

void GLOB_Doc::SaveAs(const GLOB_FileName& fileName) { Checked()->SaveAs(fileName); }

bool GLOB_Doc::IsOpen() const { return Checked()->IsOpen(); }

bool GLOB_Doc::HasFileName() const { return Checked()->HasFileName(); }

GLOB_FileName GLOB_Doc::FileName() const { return Checked()->FileName(); }

const char* GLOB_Doc::Header() const { return Checked()->Header().c_str(); }

bool GLOB_Doc::IsHeader(const char* text) { return GLOB_Impl::IsHeader(text); }

bool GLOB_Doc::DocFlag1() const { return Checked()->DocFlag1(); }

bool GLOB_Doc::DocFlag2() const { return Checked()->DocFlag2(); }

int32_t GLOB_Doc::FileHandle() const { return Checked()->FileHandle(); }

bool GLOB_Doc::HasFileHandle() const { return Checked()->HasFileHandle(); }

int32_t GLOB_Doc::ImplementationType() const {
    // A document without a back-end.
    return m_cosImpl ? m_cosImpl->ImplementationType() : 6;
}

GLOB_Object GLOB_Doc::Root() const {
    Checked();
    GLIB_ASSERT_CMP(m_cosImpl->IsOpen(), ==, true);
    return m_cosImpl->Root();
}

GLOB_Object GLOB_Doc::InfoDict() const {
    Checked();
    GLIB_ASSERT_CMP(m_cosImpl->IsOpen(), ==, true);
    return m_cosImpl->InfoDict();
}

GLOB_Object GLOB_Doc::NewNull() const { return Checked()->NewNull(); }

GLOB_Object GLOB_Doc::NewMark() const { return Checked()->NewMark(); }

GLOB_Object GLOB_Doc::NewInteger(int32_t value, bool indirect) const {
    return Checked()->NewInteger(value, indirect);
}

GLOB_Object GLOB_Doc::NewBoolean(bool value, bool indirect) const {
    return Checked()->NewBoolean(value, indirect);
}

GLOB_Object GLOB_Doc::NewReal(double value, bool indirect) const { return Checked()->NewReal(value, indirect); }

GLOB_Object GLOB_Doc::NewName(const GLOB_Name& value, bool indirect) const {
    return Checked()->NewName(value, indirect);
}

GLOB_Object GLOB_Doc::NewString(const GLOB_String& value, bool indirect) const {
    return Checked()->NewString(value, indirect);
}

GLOB_Object GLOB_Doc::NewArray(uint32_t count, bool indirect) const {
    return Checked()->NewArray(count, indirect);
}

GLOB_Object GLOB_Doc::NewDict(uint32_t room, bool indirect) const { return Checked()->NewDict(room, indirect); }

GLOB_Object GLOB_Doc::NewArray(const GLOB_Array& value, bool indirect) const {
    GLOB_Impl* impl = Checked();
    const uint32_t n = value.Length();
    const GLOB_Object array = impl->NewArray(n, indirect);
    for (uint32_t i = 0; i < n; ++i) {
        const GLOB_Object element = value.Get(i);
        impl->ArrayPut(array, i, element.GetImpl() == impl ? element : impl->CopyObject(element, true));
    }
    return array;
}

GLOB_Object GLOB_Doc::NewDict(const GLOB_Dict& value, bool indirect) const {
    GLOB_Impl* impl = Checked();
    const GLOB_Object dict = impl->NewDict(value.Size(), indirect);
    GLOB_Name key;
    GLOB_Object entry;
    for (uint32_t i = 0; value.Entry(i, &key, &entry); ++i)
        impl->DictPut(dict, key, entry.GetImpl() == impl ? entry : impl->CopyObject(entry, true));
    return dict;
}

GLOB_Object GLOB_Doc::NewStream(const GLOB_Stream& source, int32_t encoded, const GLOB_Object& attrDict,
                                const GLOB_Object& encodeParamsDict, int32_t count) const {
    GLOB_Impl* impl = Checked();
    GLIB_ASSERT(attrDict.IsNull() || (attrDict.IsDict() && attrDict.IsDirect()));
    GLIB_ASSERT(encodeParamsDict.IsNull() || encodeParamsDict.IsDict());
    const GLOB_Object attributes = attrDict.GetImpl() == impl ? attrDict : Copy(attrDict, true);
    const GLOB_Object params = encodeParamsDict.GetImpl() == impl ? encodeParamsDict : Copy(encodeParamsDict, true);
    return impl->NewStream(source, encoded, attributes, params, count);
}

GLOB_Object GLOB_Doc::Copy(const GLOB_Object& obj, bool force) const { return Checked()->CopyObject(obj, force); }

void GLOB_Doc::Attach(GLIB_CallbackBase* callback) const { Checked()->Attach(callback); }

void GLOB_Doc::Detach(GLIB_MessageTarget& target) const { Checked()->Detach(&target); }

void GLOB_Doc::DetachAll() const { Checked()->DetachAll(); }

namespace {

// Flags for the containers below the top one: 0x01 and 0x10 concern the top
// only; 0x02 and 0x20 pass on and make every one below indirect.
uint32_t ElementFlags(uint32_t flags) {
    uint32_t element = flags & ~0x11u;
    if (flags & 0x02)
        element |= 0x01;
    if (flags & 0x20)
        element |= 0x10;
    return element;
}

}  // namespace

// Rebuilds one object; the path holds the containers being rebuilt, so that
// a container met again inside itself ends at its rebuilt copy.
namespace {

class Rebuild {
public:
    explicit Rebuild(const GLOB_Doc& doc) : m_doc(doc) {}

    GLOB_Object Make(const GLOB_Object& obj, uint32_t flags) {
        if (++m_made > GLOB_Doc::MaxRebuiltObjects)
            GLIB_THROW(GLIB_Exception, GLOB_NestingCode,
                       "MakeCosObj: more than " << GLOB_Doc::MaxRebuiltObjects
                                                << " objects (indirect objects are rebuilt once per reference)");
        const int32_t type = obj.Type();
        switch (type) {
        case GLOB_Object::KindNull:
            return m_doc.NewNull();
        case GLOB_Object::KindBoolean:
            return m_doc.NewBoolean(obj.AsBoolean(), false);
        case GLOB_Object::KindInteger:
            return m_doc.NewInteger(obj.AsInteger(), false);
        case GLOB_Object::KindReal:
            return m_doc.NewReal(obj.AsReal(), false);
        case GLOB_Object::KindName:
            return m_doc.NewName(obj.AsName(), false);
        case GLOB_Object::KindString:
            return m_doc.NewString(obj.AsString(), false);
        case GLOB_Object::KindArray:
        case GLOB_Object::KindDict:
            break;
        default:
            // Document input can hold a stream here: refuse it, do not end
            // the process.
            GLIB_THROW(GLIB_Exception, GLOB_TypeMismatchCode, "MakeCosObj: Unrecognized type: " << type);
        }
        for (const auto& done : m_path)
            if (done.first.GetImpl() == obj.GetImpl() &&
                std::memcmp(done.first.GetHandle().m_words, obj.GetHandle().m_words,
                            sizeof obj.GetHandle().m_words) == 0)
                return done.second;

        const GLOB_DepthGuard level(m_innermost, "MakeCosObj", &obj);
        const uint32_t elementFlags = ElementFlags(flags);
        GLOB_Impl* impl = m_doc.Impl();
        if (type == GLOB_Object::KindArray) {
            const GLOB_Array value = obj.AsArray();
            const GLOB_Object array = m_doc.NewArray(value.Length(), (flags & 0x10) != 0);
            Scope scope(*this, obj, array);
            for (uint32_t i = 0; i < value.Length(); ++i) {
                const GLOB_Object element = Make(value.Get(i), elementFlags);
                impl->ArrayPut(array, i, element.GetImpl() == impl ? element : impl->CopyObject(element, true));
            }
            return array;
        }
        const GLOB_Dict value = obj.AsDict();
        const GLOB_Object dict = m_doc.NewDict(value.Size(), (flags & 0x01) != 0);
        Scope scope(*this, obj, dict);
        GLOB_Name key;
        GLOB_Object entry;
        for (uint32_t i = 0; value.Entry(i, &key, &entry); ++i) {
            const GLOB_Object made = Make(entry, elementFlags);
            impl->DictPut(dict, key, made.GetImpl() == impl ? made : impl->CopyObject(made, true));
        }
        return dict;
    }

private:
    class Scope {
    public:
        Scope(Rebuild& owner, const GLOB_Object& source, const GLOB_Object& made) : m_owner(owner) {
            owner.m_path.emplace_back(source, made);
        }
        ~Scope() { m_owner.m_path.pop_back(); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        Rebuild& m_owner;
    };

    const GLOB_Doc& m_doc;
    std::vector<std::pair<GLOB_Object, GLOB_Object>> m_path;
    GLOB_DepthGuard* m_innermost = nullptr;
    uint32_t m_made = 0;
};

}  // namespace

GLOB_Object GLOB_Doc::MakeCosObj(const GLOB_Object& obj, uint32_t flags) const {
    Checked();
    Rebuild rebuild(*this);
    return rebuild.Make(obj, flags);
}
