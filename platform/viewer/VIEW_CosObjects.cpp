// Cos slots 1 to 13, 16 to 29, 43, 44 and 52 over the store.
#include "viewer/VIEW_Cos.h"

#include "viewer/VIEW_Atoms.h"
#include "viewer/VIEW_CosErrors.h"
#include "viewer/VIEW_CosHandles.h"
#include "viewer/VIEW_Frames.h"
#include "viewer/cos/VCOS_Fixed.h"

namespace {

VCOS_Obj Obj(PDFL_CosObj obj) { return VIEW_ObjFromCos(obj); }
PDFL_CosObj Cos(VCOS_Obj obj) { return VIEW_CosFromObj(obj); }
VCOS_DocId Doc(PDFL_CosDoc doc) { return VIEW_DocIdFromCosDoc(doc); }
PDFL_Bool Bool(bool value) { return value ? 1 : 0; }

uint32_t Index(int32_t index, const char* operation) {
    if (index < 0)
        throw VCOS_Error(VCOS_ErrorKind::BadObject,
                         std::string(operation) + ": index " + std::to_string(index) + " is negative");
    return static_cast<uint32_t>(index);
}

// The plug-in copies a real by reading its 16.16 value and making a new real
// of it, which would turn a font matrix's 0.001 into 66/65536 (0.7% more).
// So the last real read stands behind its fixed value: a new real of that
// value is that real again, which rounds to the same fixed value anyway.
struct LastFixedRead {
    bool m_valid = false;
    PDFL_Fixed m_fixed = 0;
    double m_real = 0;
};
thread_local LastFixedRead t_lastFixedRead;

PDFL_Fixed RememberFixedRead(double value) {
    const PDFL_Fixed fixed = VCOS_FixedFromDouble(value);
    // A saturated value does not stand for the real it came from.
    t_lastFixedRead = {fixed > -VCOS_FixedMax && fixed < VCOS_FixedMax, fixed, value};
    return fixed;
}

double RealOfFixed(PDFL_Fixed fixed) {
    const LastFixedRead& last = t_lastFixedRead;
    return last.m_valid && last.m_fixed == fixed ? last.m_real : VCOS_DoubleFromFixed(fixed);
}

}  // namespace

std::string VIEW_NameFromAtom(PDFL_ASAtom atom) {
    return VIEW_Atoms::GetString(atom);
}

PDFL_ASAtom VIEW_AtomFromName(const std::string& name) {
    if (name.find('\0') != std::string::npos)
        throw VCOS_Error(VCOS_ErrorKind::BadObject, "the name /" + name.substr(0, name.find('\0')) +
                                                        "#00... holds a zero byte and has no atom");
    return VIEW_Atoms::FromString(name.c_str());
}

PDFL_Bool VIEW_Cos::ObjEqual(PDFL_CosObj a, PDFL_CosObj b) {
    return VIEW_CosGuard([&] { return Bool(Store().Equal(Obj(a), Obj(b))); });
}

int32_t VIEW_Cos::ObjGetType(PDFL_CosObj obj) {
    return VIEW_CosGuard([&] {
        const VCOS_Obj object = Obj(obj);
        const VCOS_Type type = Store().Type(object);
        // An object the reader lost is no null to its user: the page that
        // needs it fails with the reason instead of drawing nothing.
        if (type == VCOS_Type::Null && Store().IsIndirect(object))
            if (const std::string* reason = Store().LostReason(Store().DocOf(object), Store().Number(object)))
                throw VCOS_Error(VCOS_ErrorKind::ReadFailed, "VCOS_Reader: object " +
                                                                 std::to_string(Store().Number(object)) +
                                                                 " of the file cannot be read: " + *reason);
        return static_cast<int32_t>(type);
    });
}

PDFL_Bool VIEW_Cos::ObjIsIndirect(PDFL_CosObj obj) {
    return VIEW_CosGuard([&] { return Bool(Store().IsIndirect(Obj(obj))); });
}

PDFL_Bool VIEW_Cos::ObjEnum(PDFL_CosObj obj, PDFL_CosObjEnumProc proc, void* clientData) {
    if (!proc)
        throw VIEW_AssertionFailure("CosObjEnum without a procedure");
    return VIEW_CosGuard([&] {
        return Bool(Store().Enum(Obj(obj), [&](VCOS_Obj key, VCOS_Obj value) {
            return VIEW_CallPlugin([&] { return proc(Cos(key), Cos(value), clientData); }) != 0;
        }));
    });
}

PDFL_CosDoc VIEW_Cos::ObjGetDoc(PDFL_CosObj obj) {
    return VIEW_CosGuard([&] { return VIEW_CosDocFromDocId(Store().DocOf(Obj(obj))); });
}

PDFL_CosObj VIEW_Cos::NewNull() {
    return Cos(VCOS_NullObj);
}

PDFL_CosObj VIEW_Cos::NewInteger(PDFL_CosDoc doc, PDFL_Bool indirect, int32_t value) {
    return VIEW_CosGuard([&] { return Cos(Store().NewInteger(Doc(doc), indirect != 0, value)); });
}

PDFL_CosObj VIEW_Cos::NewFixed(PDFL_CosDoc doc, PDFL_Bool indirect, PDFL_Fixed value) {
    return VIEW_CosGuard([&] { return Cos(Store().NewReal(Doc(doc), indirect != 0, RealOfFixed(value))); });
}

PDFL_CosObj VIEW_Cos::NewBoolean(PDFL_CosDoc doc, PDFL_Bool indirect, PDFL_Bool value) {
    return VIEW_CosGuard([&] { return Cos(Store().NewBoolean(Doc(doc), indirect != 0, value != 0)); });
}

PDFL_CosObj VIEW_Cos::NewName(PDFL_CosDoc doc, PDFL_Bool indirect, PDFL_ASAtom name) {
    const std::string text = VIEW_NameFromAtom(name);
    return VIEW_CosGuard([&] { return Cos(Store().NewName(Doc(doc), indirect != 0, text)); });
}

PDFL_CosObj VIEW_Cos::NewString(PDFL_CosDoc doc, PDFL_Bool indirect, const char* bytes, int32_t length) {
    if (length < 0 || (length > 0 && !bytes))
        throw VIEW_AssertionFailure("CosNewString with " + std::to_string(length) + " bytes at " +
                                    (bytes ? "an address" : "null"));
    const std::string text(bytes ? bytes : "", static_cast<size_t>(length));
    return VIEW_CosGuard([&] { return Cos(Store().NewString(Doc(doc), indirect != 0, text)); });
}

PDFL_CosObj VIEW_Cos::NewArray(PDFL_CosDoc doc, PDFL_Bool indirect, int32_t count) {
    const uint32_t nulls = count > 0 ? static_cast<uint32_t>(count) : 0;
    return VIEW_CosGuard([&] { return Cos(Store().NewArray(Doc(doc), indirect != 0, nulls)); });
}

PDFL_CosObj VIEW_Cos::NewDict(PDFL_CosDoc doc, PDFL_Bool indirect, int32_t) {
    return VIEW_CosGuard([&] { return Cos(Store().NewDict(Doc(doc), indirect != 0)); });
}

int32_t VIEW_Cos::IntegerValue(PDFL_CosObj obj) {
    return VIEW_CosGuard([&] { return Store().IntegerValue(Obj(obj)); });
}

PDFL_Fixed VIEW_Cos::FixedValue(PDFL_CosObj obj) {
    return VIEW_CosGuard([&] { return RememberFixedRead(Store().NumberValue(Obj(obj))); });
}

PDFL_Bool VIEW_Cos::BooleanValue(PDFL_CosObj obj) {
    return VIEW_CosGuard([&] { return Bool(Store().BooleanValue(Obj(obj))); });
}

PDFL_ASAtom VIEW_Cos::NameValue(PDFL_CosObj obj) {
    return VIEW_CosGuard([&] { return VIEW_AtomFromName(Store().NameValue(Obj(obj))); });
}

char* VIEW_Cos::StringValue(PDFL_CosObj obj, int32_t* length) {
    return VIEW_CosGuard([&] {
        const std::string& bytes = Store().StringValue(Obj(obj));
        if (length)
            *length = static_cast<int32_t>(bytes.size());
        return const_cast<char*>(bytes.data());
    });
}

PDFL_CosObj VIEW_Cos::DictGet(PDFL_CosObj dict, PDFL_ASAtom key) {
    const std::string name = VIEW_NameFromAtom(key);
    return VIEW_CosGuard([&] { return Cos(Store().DictGet(Obj(dict), name)); });
}

void VIEW_Cos::DictPut(PDFL_CosObj dict, PDFL_ASAtom key, PDFL_CosObj value) {
    const std::string name = VIEW_NameFromAtom(key);
    VIEW_CosGuard([&] { Store().DictPut(Obj(dict), name, Obj(value)); });
}

void VIEW_Cos::DictRemove(PDFL_CosObj dict, PDFL_ASAtom key) {
    const std::string name = VIEW_NameFromAtom(key);
    VIEW_CosGuard([&] { Store().DictRemove(Obj(dict), name); });
}

PDFL_Bool VIEW_Cos::DictKnown(PDFL_CosObj dict, PDFL_ASAtom key) {
    const std::string name = VIEW_NameFromAtom(key);
    return VIEW_CosGuard([&] { return Bool(Store().DictKnown(Obj(dict), name)); });
}

PDFL_CosObj VIEW_Cos::ArrayGet(PDFL_CosObj array, int32_t index) {
    return VIEW_CosGuard([&] { return Cos(Store().ArrayGet(Obj(array), Index(index, "ArrayGet"))); });
}

void VIEW_Cos::ArrayPut(PDFL_CosObj array, int32_t index, PDFL_CosObj value) {
    VIEW_CosGuard([&] { Store().ArrayPut(Obj(array), Index(index, "ArrayPut"), Obj(value)); });
}

void VIEW_Cos::ArrayInsert(PDFL_CosObj array, int32_t index, PDFL_CosObj value) {
    VIEW_CosGuard([&] { Store().ArrayInsert(Obj(array), Index(index, "ArrayInsert"), Obj(value)); });
}

int32_t VIEW_Cos::ArrayLength(PDFL_CosObj array) {
    return VIEW_CosGuard([&] { return static_cast<int32_t>(Store().ArrayLength(Obj(array))); });
}

int32_t VIEW_Cos::ObjGetID(PDFL_CosObj obj) {
    return VIEW_CosGuard([&] { return static_cast<int32_t>(Store().Number(Obj(obj))); });
}

uint16_t VIEW_Cos::ObjGetGeneration(PDFL_CosObj obj) {
    return VIEW_CosGuard([&] { return Store().Generation(Obj(obj)); });
}

PDFL_CosObj VIEW_Cos::ObjReplacedBy(PDFL_CosObj obj) {
    return VIEW_CosGuard([&] { return Cos(Store().ReplacedBy(Obj(obj))); });
}

void VIEW_Cos::ArrayRemoveNth(PDFL_CosObj array, int32_t index) {
    VIEW_CosGuard([&] { Store().ArrayRemoveNth(Obj(array), Index(index, "ArrayRemoveNth")); });
}
