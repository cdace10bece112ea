// A PDF object: a small value naming one object inside one document back-end
// (GLOB_Impl), to which every question and change is forwarded. Two handles
// of one object see the same changes. The same handle serves every back-end.
//
// Reference discipline: a handle whose back-end pointer is set holds one
// count on the back-end and is announced to it (count + 1, then
// AddRefObject; on letting go ReleaseObject, then count - 1). A handle
// without a back-end holds and announces nothing; copy, assignment and
// destruction accept it, every other operation needs a back-end.
//
// Forwarding operations report nothing of their own: a wrong kind, an index
// out of range or a missing key are the back-end's to answer. Callers test the
// kind first.
#pragma once

#include "GLOB/GLOB_Name.h"
#include "GLOB/GLOB_ObjectFactory.h"
#include "GLOB/GLOB_String.h"

#include <cstdint>
#include <iosfwd>

class GLOB_Array;
class GLOB_Dict;
class GLOB_DictEntryRef;
class GLOB_Doc;
class GLOB_Impl;
class GLOB_Stream;

// Exception codes of the object model.
enum : uint32_t {
    GLOB_FileNameCode = 1151000,       // a file name without a narrow form
    GLOB_MissingOpenCode = 1151001,    // "]" or ">>" without its opening bracket
    GLOB_DictSyntaxCode = 1151002,     // odd dictionary, key that is not a name
    GLOB_PathCode = 1151003,           // object path: wrong container, bad syntax
    GLOB_NestingCode = 1151004,        // objects nested deeper than MaxNesting
    GLOB_TypeMismatchCode = 1151006,   // a value of the wrong kind
    GLOB_KeyNotFoundCode = 1151007,    // a required value that is absent
    GLOB_ParseObjectCode = 1151013,    // an object given as text that does not parse
};

class GLOB_Object {
public:
    // Kind codes, as the back-end's Type reports them.
    enum Kind : int32_t {
        KindNull = 0,
        KindBoolean = 1,
        KindInteger = 2,
        KindReal = 3,
        KindName = 4,
        KindString = 5,
        KindArray = 6,
        KindDict = 7,
        KindStream = 8,
        KindMark = 9,  // an opening "[" or "<<" on the operand stack
    };
    static constexpr int32_t NumTypes = 10;

    // How deep arrays and dictionaries may nest in what the object model
    // parses, prints, compares, copies, rebuilds and writes (counted by
    // GLOB_DepthGuard). Deeper input is refused, so no recursion runs out of
    // stack.
    static constexpr int32_t MaxNesting = 512;

    // Three words whose meaning is the back-end's own; copying them names the
    // same object.
    struct Handle {
        uint32_t m_words[3];
    };

    // A Null object of the process-wide memory document.
    GLOB_Object();
    // For back-ends handing out objects; impl may be null (a handle of nothing).
    GLOB_Object(GLOB_Impl* impl, const Handle& handle);
    GLOB_Object(const GLOB_Object& other);
    GLOB_Object& operator=(const GLOB_Object& other);
    ~GLOB_Object();

    const Handle& GetHandle() const { return m_handle; }
    // The back-end, not counted for the caller; null for a handle of nothing.
    GLOB_Impl* GetImpl() const { return m_pImpl; }

    // The kind's name, "Integer" for 2. Asserts 0 <= type < NumTypes.
    static const char* TypeString(int32_t type);

    int32_t Type() const;
    bool IsNull() const { return Type() == KindNull; }
    bool IsBoolean() const { return Type() == KindBoolean; }
    bool IsInteger() const { return Type() == KindInteger; }
    bool IsReal() const { return Type() == KindReal; }
    bool IsName() const { return Type() == KindName; }
    bool IsString() const { return Type() == KindString; }
    bool IsNumber() const;
    bool IsArray() const { return Type() == KindArray; }
    bool IsDict() const { return Type() == KindDict; }
    bool IsStream() const { return Type() == KindStream; }
    bool IsContainer() const;
    bool IsDirect() const;
    bool IsIndirect() const;

    // Values of this object, forwarded to the back-end.
    int32_t AsInteger() const;
    bool AsBoolean() const;
    double AsReal() const;
    // An Integer converted, else the back-end's real value.
    double AsNumber() const;
    GLOB_Name AsName() const;
    GLOB_String AsString() const;
    // Snapshots: later changes of the object do not show in them.
    GLOB_Array AsArray() const;
    GLOB_Dict AsDict() const;
    // The attribute dictionary of a Stream object.
    GLOB_Object StreamDict() const;
    // The document of this object's back-end.
    GLOB_Doc Doc() const;

    // The number of elements of an Array (the back-end's ArrayLength).
    uint32_t Length() const;
    // Element index of an Array (index below Length).
    GLOB_Object Get(uint32_t index) const;
    GLOB_Object ArrayElement(uint32_t index) const { return Get(index); }
    // The value under key of a Dict, or of a Stream's dictionary; Null when
    // absent.
    GLOB_Object DictGet(const GLOB_Name& key) const;
    // Whether key is present (with any value); when it is and out is not
    // null, the value is stored in *out.
    bool Known(const GLOB_Name& key, GLOB_Object* out = nullptr) const;
    // Stores value under key; a value of another back-end is copied into
    // this one first (a forced copy).
    void DictPut(const GLOB_Name& key, const GLOB_Object& value) const;
    // As DictPut, at an index of an Array.
    void ArrayPut(uint32_t index, const GLOB_Object& value) const;
    // A reference to the entry key (a key or an object path) of this object;
    // key must outlive the reference.
    GLOB_DictEntryRef EntryRef(const char* key);

    // Make an array (dictionary) in this back-end from a value, copying in
    // elements of other back-ends, and store it under key (at index).
    void PutArray(const GLOB_Name& key, const GLOB_Array& value, bool indirect) const;
    void PutDict(const GLOB_Name& key, const GLOB_Dict& value, bool indirect) const;
    void PutDict(uint32_t index, const GLOB_Dict& value, bool indirect) const;

    // Opens a Stream object's data: 0 the stored bytes, 1 the bytes without
    // filter decoding, 2 decoded through the /Filter chain. Then the
    // document's observers receive a GLOB_DocStreamDidOpenMessage. What the
    // back-end or a listener throws passes to the caller.
    GLOB_Stream OpenStream(int32_t openFlags) const;

    // Object paths. A key text starting with "/" or "[" is a path of steps
    // through dictionaries (/Key, also into a Stream's dictionary) and arrays
    // ([index]), for instance /Resources/ColorSpace/CS0 or /Kids[0]/Type; any
    // other text is one key. A missing key or an index out of range is not
    // an error: the value is Null and the answer false. A step into a value
    // of the wrong kind, and a malformed path, throw GLIB_Exception 1151003.

    // Walks path from start. Outputs describe the last step: its container,
    // its value, the key of the last name step and the index of the last
    // index step. True when every step was found.
    static bool ResolvePath(GLOB_Object start, const char* path, GLOB_Object& container,
                            GLOB_Object& value, GLOB_Name& key, int32_t& index);
    // The value under a key or path; Null when absent.
    GLOB_Object GetPath(const char* keyOrPath) const;
    GLOB_Object Lookup(const char* keyOrPath) const { return GetPath(keyOrPath); }
    // Whether the key or path is present; stores the value in *out when it
    // is and out is not null.
    bool KnownPath(const char* keyOrPath, GLOB_Object* out) const;
    bool KnownPath(const char* keyOrPath) const { return KnownPath(keyOrPath, nullptr); }
    // Stores value under the key, or into the container of the path's last
    // step (an array at the index, else a dictionary under the key). A value
    // of another back-end is copied in first.
    void PutPath(const char* keyOrPath, const GLOB_Object& value) const;
    // Removes the key, or the last step of a path that resolves.
    void RemovePath(const char* keyOrPath) const;

    // Typed reads by key or path. The required forms throw GLIB_Exception
    // 1151007 "Unable to find <key>" when absent and 1151006 "Expecting <key>
    // to be a …, found a <kind>" for a wrong kind (Null included). The forms
    // with a default return it when this object is Null or the value is
    // absent, and throw 1151006 for a wrong kind.
    bool BooleanValue(const char* keyOrPath) const;
    bool BooleanValue(const char* keyOrPath, bool defaultValue) const;
    int32_t IntegerValue(const char* keyOrPath) const;
    int32_t IntegerValue(const char* keyOrPath, int32_t defaultValue) const;
    GLOB_Name NameValue(const char* keyOrPath) const;
    GLOB_Name NameValue(const char* keyOrPath, const GLOB_Name& defaultValue) const;
    // Integer or Real; an Integer converted.
    double NumberValue(const char* keyOrPath) const;
    double NumberValue(const char* keyOrPath, double defaultValue) const;
    GLOB_String StringValue(const char* keyOrPath) const;
    GLOB_String StringValue(const char* keyOrPath, const GLOB_String& defaultValue) const;

    // A Dict or Stream whose /Subtype is a Name equal to subtype (a Name
    // without text matches only a null subtype).
    bool HasSubtype(const char* subtype) const;
    // A Dict or Stream whose /Type is a Name equal to type and, when subtype
    // is not null, whose /Subtype is a Name equal to it.
    bool HasType(const char* type, const char* subtype = nullptr) const;

    // PDF-like text for logs and messages: names escaped, strings raw, arrays
    // expanded as "[ 1 2 ]", dictionaries as "-dict-", streams as "-stream-".
    // An array nested beyond MaxNesting, inside itself, or met after the
    // first 65536 objects (an indirect array is written at each reference)
    // is written "[ ... ]".
    std::ostream& Print(std::ostream& os) const;
    // The same object: both handles of one back-end that its IsEqual reports
    // the same (indirect objects by number and generation, direct scalars by
    // value), or both handles of nothing. Objects of two back-ends always
    // differ, even indirect ones of equal numbers.
    bool operator==(const GLOB_Object& other) const;
    bool operator!=(const GLOB_Object& other) const { return !(*this == other); }
    // Structural equality: numbers within 1e-6, names and strings by bytes,
    // arrays and dictionaries element by element, streams by their decoded
    // data. Cycles compare as equal where they match. Throws GLIB_Exception
    // 1151004 beyond MaxNesting; stream errors pass through.
    bool IsDeepEqual(const GLOB_Object& other) const;

private:
    void TakeUp();
    void LetGo();
    // value itself, or a forced copy of it when it belongs to another back-end.
    GLOB_Object Local(const GLOB_Object& value) const;

    Handle m_handle;
    GLOB_Impl* m_pImpl;
};

// An entry of a dictionary object, by key or object path.
class GLOB_DictEntryRef {
public:
    GLOB_DictEntryRef(GLOB_Object* object, const char* key) : m_object(object), m_key(key) {}
    // GetPath of the key.
    GLOB_Object Value() const;
    // PutPath of the key.
    GLOB_DictEntryRef& operator=(const GLOB_Object& value);

private:
    GLOB_Object* m_object;
    const char* m_key;
};

// An element of an array object.
class GLOB_ArrayElementRef {
public:
    GLOB_ArrayElementRef(GLOB_Object* array, int32_t index) : m_array(array), m_index(index) {}
    GLOB_ArrayElementRef(const GLOB_ArrayElementRef&) = default;
    // The element (Get of the index).
    GLOB_Object Value() const;
    // Sets the element that other names into this array at this index, as
    // ArrayPut does; nothing when other is this reference.
    GLOB_ArrayElementRef& operator=(const GLOB_ArrayElementRef& other);

private:
    GLOB_Object* m_array;
    int32_t m_index;
};
