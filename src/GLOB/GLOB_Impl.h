// The abstract document back-end behind every GLOB_Doc and GLOB_Object. Two
// back-ends implement it: the in-memory one (GLOB_Memory_Impl,
// ImplementationType 4) and the host's (3).
//
// Lifetime: made by its maker with count 0; every GLOB_Doc and GLOB_Object
// that points here holds one count; Release deletes the back-end when the
// count returns to 0, so it outlives its documents while objects are held.
// A back-end that stores handles of its own objects inside its objects (a
// catalog holding a dictionary that refers back to it) says how many counts
// those hold (SelfHeldCount); Release deletes it as soon as the count falls
// to that number, since then nothing outside can reach any of its objects.
//
// Objects: a back-end hands out GLOB_Objects made of three words of its own
// and a pointer to itself. Every operation that takes an object takes one of
// this back-end, except CopyObject and IsEqual, which take objects of any
// back-end. Dictionary operations also accept a Stream and then act on its
// attribute dictionary. A back-end reports its failures by exceptions.
//
// Observers (the GLIB_Observable base) receive GLOB_DocStreamDidOpenMessage.
#pragma once

#include "GLIB/GLIB_Observable.h"
#include "GLOB/GLOB_FileName.h"
#include "GLOB/GLOB_Name.h"
#include "GLOB/GLOB_Object.h"
#include "GLOB/GLOB_String.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class GLOB_Array;
class GLOB_Dict;
class GLOB_Stream;

class GLOB_Impl : public GLIB_Observable {
public:
    using Entry = std::pair<GLOB_Name, GLOB_Object>;

    // Slot 0: frees the header and file name, then the observable base.
    ~GLOB_Impl() override;

    // Slots 1, 2: a handle starts or stops naming obj. Default: nothing.
    virtual void AddRefObject(const GLOB_Object& obj);
    virtual void ReleaseObject(const GLOB_Object& obj);
    // Slot 3: afterwards IsOpen is false.
    virtual void Close() = 0;
    // Slot 4: a copy of obj (any back-end) made in this back-end, with the
    // whole graph it refers to. An indirect object of this back-end is
    // returned as it is unless force is set. Indirect objects reached twice
    // are copied once (shared in the copy); direct ones are copied at each
    // occurrence; cycles end at the copy under way. Default: the algorithm of
    // this class. Throws GLIB_Exception 1151004 beyond MaxNesting.
    virtual GLOB_Object CopyObject(const GLOB_Object& obj, bool force);
    // What a copy remembers: the indirect objects copied so far.
    class CopyState;
    static std::shared_ptr<CopyState> NewCopyState();
    // CopyObject that goes on from state: an indirect object copied by an
    // earlier call with it is that copy again, not a new one.
    GLOB_Object CopyObjectWith(const GLOB_Object& obj, bool force, CopyState& state);
    // Slots 5, 6: a new empty open document (for that file); true on success.
    virtual bool Create(const GLOB_FileName& fileName, const char* header, uint32_t flags) = 0;
    virtual bool Create(const char* header, uint32_t flags) = 0;
    // Slot 7: an indirect object's generation; -1 for a direct one.
    virtual int32_t GenerationNumber(const GLOB_Object& obj) = 0;
    // Slot 8: a number the back-end may give for its document. Default -1.
    virtual int32_t FileHandle();
    // Slot 9: 4 memory, 3 host.
    virtual int32_t ImplementationType() = 0;
    // Slot 10: whether FileHandle has a value. Default false.
    virtual bool HasFileHandle();
    // Slot 11: the document information dictionary.
    virtual GLOB_Object InfoDict() = 0;
    // Slot 12: an indirect object's number; -1 for a direct one.
    virtual int32_t ObjectNumber(const GLOB_Object& obj) = 0;
    // Slot 13: opens an existing file as this document.
    virtual bool Open(const GLOB_FileName& fileName, uint32_t flags) = 0;
    // Slot 14: the catalog.
    virtual GLOB_Object Root() = 0;
    // Slots 15, 16: write the document to its file, or to fileName.
    virtual void Save() = 0;
    virtual void SaveAs(const GLOB_FileName& fileName) = 0;

    // Slots 17-25: new objects of this back-end (NewNull always direct).
    virtual GLOB_Object NewNull() = 0;
    // Default: made in the process-wide memory document, not here.
    virtual GLOB_Object NewMark();
    virtual GLOB_Object NewInteger(int32_t value, bool indirect) = 0;
    virtual GLOB_Object NewBoolean(bool value, bool indirect) = 0;
    virtual GLOB_Object NewReal(double value, bool indirect) = 0;
    virtual GLOB_Object NewName(const GLOB_Name& value, bool indirect) = 0;
    virtual GLOB_Object NewString(const GLOB_String& value, bool indirect) = 0;
    // An array for count elements, which callers then set 0 to count - 1.
    virtual GLOB_Object NewArray(uint32_t count, bool indirect) = 0;
    // An empty dictionary; room is a capacity hint.
    virtual GLOB_Object NewDict(uint32_t room, bool indirect) = 0;
    // Slot 26: a new indirect Stream whose data are read from source to its
    // end. encoded 0: encoded on the way in through the attribute
    // dictionary's /Filter with encodeParams; 1: stored as they come.
    // attrDict is a direct Dict, encodeParams Null or a Dict; the stream's
    // dictionary is a copy of attrDict with /Length set to the stored byte
    // count (attrDict itself is unchanged). count is the back-end's (-1).
    virtual GLOB_Object NewStream(const GLOB_Stream& source, int32_t encoded, const GLOB_Object& attrDict,
                                  const GLOB_Object& encodeParams, int32_t count) = 0;

    // Slots 27-34: questions and values.
    virtual bool IsIndirect(const GLOB_Object& obj) = 0;
    // 0 Null .. 9 Mark.
    virtual int32_t Type(const GLOB_Object& obj) = 0;
    virtual int32_t IntegerValue(const GLOB_Object& obj) = 0;
    virtual bool BooleanValue(const GLOB_Object& obj) = 0;
    // A Real's value; an Integer is accepted and converted.
    virtual double RealValue(const GLOB_Object& obj) = 0;
    virtual GLOB_Name NameValue(const GLOB_Object& obj) = 0;
    virtual GLOB_String StringValue(const GLOB_Object& obj) = 0;
    // A snapshot of the elements.
    virtual GLOB_Array ArrayValue(const GLOB_Object& obj) = 0;

    // Slots 35-43: containers.
    // The value under key; a Null object when absent.
    virtual GLOB_Object DictGet(const GLOB_Object& dict, const GLOB_Name& key) = 0;
    // index below ArrayLength.
    virtual GLOB_Object ArrayGet(const GLOB_Object& array, uint32_t index) = 0;
    // Inserts value before index.
    virtual void ArrayInsert(const GLOB_Object& array, uint32_t index, const GLOB_Object& value) = 0;
    virtual uint32_t ArrayLength(const GLOB_Object& array) = 0;
    virtual void DictPut(const GLOB_Object& dict, const GLOB_Name& key, const GLOB_Object& value) = 0;
    virtual void ArrayPut(const GLOB_Object& array, uint32_t index, const GLOB_Object& value) = 0;
    virtual void DictRemove(const GLOB_Object& dict, const GLOB_Name& key) = 0;
    virtual void ArrayRemove(const GLOB_Object& array, uint32_t index) = 0;
    // A snapshot of the entries.
    virtual GLOB_Dict DictValue(const GLOB_Object& dict) = 0;

    // Slots 44-47: stream objects.
    // openFlags 0 and 1: the stored bytes; 2: decoded through the chain of
    // the dictionary's /Filter and /DecodeParms.
    virtual GLOB_Stream OpenStream(const GLOB_Object& stream, int32_t openFlags) = 0;
    virtual GLOB_Object StreamDict(const GLOB_Object& stream) = 0;
    // The number of stored bytes.
    virtual uint32_t StreamLength(const GLOB_Object& stream) = 0;
    // Where the stored bytes sit in the document's file; 0 without a file.
    virtual uint32_t StreamPos(const GLOB_Object& stream) = 0;

    // Slots 48-51: dictionary enumeration.
    virtual bool DictKnown(const GLOB_Object& dict, const GLOB_Name& key) = 0;
    // Replace the vector's contents; sorted by key bytes unless unsorted.
    virtual void DictKeys(const GLOB_Object& dict, std::vector<GLOB_Name>& keys, bool unsorted) = 0;
    virtual void DictEntries(const GLOB_Object& dict, std::vector<Entry>& entries, bool unsorted) = 0;
    // In the dictionary's own order.
    virtual void DictValues(const GLOB_Object& dict, std::vector<GLOB_Object>& values) = 0;
    // Slot 52: whether a and b (any back-ends) are the same object. Default:
    // indirect ones by kind, object and generation number; direct scalars by
    // value (reals within 1e-6, an Integer against a Real as numbers);
    // direct containers by their handle words.
    virtual bool IsEqual(const GLOB_Object& a, const GLOB_Object& b);
    // After the slots: for a reference to a generation that a later update
    // of the file replaced (an indirect Null), the object of that number the
    // file holds now; a Null object for any other, or where the back-end
    // cannot tell. Default: a Null object.
    virtual GLOB_Object ReplacedBy(const GLOB_Object& reference);

    // Counting, shared by documents and objects.
    uint32_t RefCount() const { return m_refCount; }
    void AddRef() { ++m_refCount; }
    // The counts that handles stored inside this back-end's own objects hold;
    // never above RefCount. 0 for a back-end that stores none.
    uint32_t SelfHeldCount() const { return m_selfHeldCount; }
    // The shared release step: asserts pImpl != NULL; when *pImpl is set,
    // asserts its count is above 0 and counts down; when the count is then
    // SelfHeldCount (0 included), deletes the back-end and sets *pImpl to
    // null. The back-end's destructor frees what it holds; the counts its
    // own handles give back meanwhile do not delete it again.
    static void Release(GLOB_Impl** pImpl);

    bool HasFileName() const { return m_hasFileName; }
    const GLOB_FileName& FileName() const { return m_fileName; }
    const std::string& Header() const { return m_header; }
    bool IsOpen() const { return m_isOpen; }
    bool DocFlag1() const { return m_docFlag1; }
    bool DocFlag2() const { return m_docFlag2; }

    // A header line: "%", a second byte other than "!", and a "-" before the
    // end of the first line (the first CR; without one the first LF).
    static bool IsHeader(const char* text);
    // Keeps text up to the end of its first line as the header.
    void SetHeader(const char* text);

protected:
    GLOB_Impl() = default;

    void SetFileName(const GLOB_FileName& fileName, bool hasFileName) {
        m_fileName = fileName;
        m_hasFileName = hasFileName;
    }
    void SetOpen(bool open) { m_isOpen = open; }
    void SetDocFlag1(bool flag) { m_docFlag1 = flag; }
    void SetDocFlag2(bool flag) { m_docFlag2 = flag; }
    // A back-end calls these after storing, and before dropping, handles of
    // its own objects inside its objects: a count is added only once the
    // handle holds it, and taken off before the handle lets go of it, so that
    // Release never finds the count at SelfHeldCount while a handle outside
    // still holds one.
    void AddSelfHeld(uint32_t count);
    void DropSelfHeld(uint32_t count);

private:
    GLOB_Object Copy(const GLOB_Object& source, CopyState& state, bool force);
    void CopyEntries(const GLOB_Object& from, const GLOB_Object& to, CopyState& state, bool force);
    // value, or its forced copy when it belongs to another back-end.
    GLOB_Object Local(const GLOB_Object& value);

    uint32_t m_refCount = 0;
    uint32_t m_selfHeldCount = 0;
    bool m_deleting = false;
    GLOB_FileName m_fileName;
    bool m_hasFileName = false;
    std::string m_header;
    bool m_isOpen = false;
    bool m_docFlag1 = false;
    bool m_docFlag2 = false;
};
