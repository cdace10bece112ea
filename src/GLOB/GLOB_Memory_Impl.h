// The document back-end whose objects live only in memory: no file, no
// cross-reference table, no object table. It holds the process-wide memory
// document and any document built in memory (a preferences document parsed
// from text).
//
// Every object is a record carried in the handle's three words: a 64-bit
// value, a 16-bit kind and 16-bit flags (1 indirect, 2 value held in a
// block). Direct Null, Boolean, Integer, Real and Mark values sit in the
// record; everything else sits in a use-counted block that every handle of
// the object shares, so a change through one handle (a key put into a
// dictionary) shows through all of them. A block is freed with its last
// handle; indirect objects are numbered from 2 (catalog 2, Info 3) and
// numbers are never reused.
//
// Lifetime: handles stored in the back-end's own dictionaries, arrays and
// stream dictionaries hold counts on it like any other (SelfHeldCount says
// how many). When the last handle outside goes, nothing can reach its
// objects any more: the back-end is deleted and frees every block it still
// has, cycles included. Snapshots (DictValue, ArrayValue) get a core of their
// own, so no block's handles are kept alive by them.
//
// Stream data are encoded once on the way in and kept in memory, or in a
// temporary file when they outgrow the copy buffer; see NewStream.
//
// Uses this back-end does not support: Open, Save and SaveAs are fatal logs
// (programming errors). Reading a value of the wrong kind and dictionary or
// array operations on an object of another kind throw GLIB_Exception 1151006,
// since document input can lead there.
#pragma once

#include "GLOB/GLOB_Impl.h"

#include <cstdint>

class GLOB_Doc;
class iGLOB_CosStream;

class GLOB_Memory_Impl : public GLOB_Impl {
public:
    static constexpr int32_t MemoryImplementationType = 4;

    // A document over a new back-end; not open until Create.
    static GLOB_Doc Make();

    // Size of the buffer that stream data are stored through: data that fit
    // stay in memory, longer data spill to a temporary file in chunks of it.
    // A size of 0 is taken as 1.
    static uint32_t CopyBufferSize();
    static void SetCopyBufferSize(uint32_t size);
    // Bytes that the memory back-ends of the process hold allocated for the
    // stream data they keep in memory: each stream its stored size (at least
    // 1), whatever the copy buffer's.
    static uint64_t MemoryBytesHeld();

    ~GLOB_Memory_Impl() override;

    void AddRefObject(const GLOB_Object& obj) override;
    void ReleaseObject(const GLOB_Object& obj) override;
    // Clears the open flag; objects stay valid.
    void Close() override;
    // Ignores the file name.
    bool Create(const GLOB_FileName& fileName, const char* header, uint32_t flags) override;
    // Sets the header; open; document flag 2 set; flag 1 set unless bit
    // value 2 of flags is.
    bool Create(const char* header, uint32_t flags) override;
    int32_t GenerationNumber(const GLOB_Object& obj) override;
    int32_t ImplementationType() override { return MemoryImplementationType; }
    GLOB_Object InfoDict() override;
    int32_t ObjectNumber(const GLOB_Object& obj) override;
    bool Open(const GLOB_FileName& fileName, uint32_t flags) override;
    GLOB_Object Root() override;
    void Save() override;
    void SaveAs(const GLOB_FileName& fileName) override;

    GLOB_Object NewNull() override;
    GLOB_Object NewMark() override;
    GLOB_Object NewInteger(int32_t value, bool indirect) override;
    GLOB_Object NewBoolean(bool value, bool indirect) override;
    GLOB_Object NewReal(double value, bool indirect) override;
    GLOB_Object NewName(const GLOB_Name& value, bool indirect) override;
    GLOB_Object NewString(const GLOB_String& value, bool indirect) override;
    GLOB_Object NewArray(uint32_t count, bool indirect) override;
    GLOB_Object NewDict(uint32_t room, bool indirect) override;
    // A new indirect Stream of the bytes read from source to its end.
    // encoded 0: they are encoded through the chain that attrDict's /Filter
    // names (GLOB_Filter), with encodeParams, or attrDict's /DecodeParms when
    // encodeParams is Null; encoded 1: stored as they come. attrDict is Null
    // (an empty dictionary) or a Dict (asserted), whose entries the stream's
    // own direct dictionary takes, with /Length set to the stored byte count;
    // the caller's object is left unchanged. Without an encoding chain the
    // first buffer is the smaller of the copy-buffer size and a /Length
    // Integer. count is not used. Throws the errors of GLOB_Filter, of the
    // filters and of source, and 1151012 when a temporary file cannot be made.
    GLOB_Object NewStream(const GLOB_Stream& source, int32_t encoded, const GLOB_Object& attrDict,
                          const GLOB_Object& encodeParams, int32_t count) override;

    bool IsIndirect(const GLOB_Object& obj) override;
    int32_t Type(const GLOB_Object& obj) override;
    int32_t IntegerValue(const GLOB_Object& obj) override;
    bool BooleanValue(const GLOB_Object& obj) override;
    double RealValue(const GLOB_Object& obj) override;
    GLOB_Name NameValue(const GLOB_Object& obj) override;
    GLOB_String StringValue(const GLOB_Object& obj) override;
    // A copy of the elements, with a core of its own.
    GLOB_Array ArrayValue(const GLOB_Object& obj) override;

    GLOB_Object DictGet(const GLOB_Object& dict, const GLOB_Name& key) override;
    // Array operations act as the GLOB_Array operations of the same name;
    // an index out of range throws GLIB_Exception 1125003.
    GLOB_Object ArrayGet(const GLOB_Object& array, uint32_t index) override;
    void ArrayInsert(const GLOB_Object& array, uint32_t index, const GLOB_Object& value) override;
    uint32_t ArrayLength(const GLOB_Object& array) override;
    void DictPut(const GLOB_Object& dict, const GLOB_Name& key, const GLOB_Object& value) override;
    void ArrayPut(const GLOB_Object& array, uint32_t index, const GLOB_Object& value) override;
    void DictRemove(const GLOB_Object& dict, const GLOB_Name& key) override;
    void ArrayRemove(const GLOB_Object& array, uint32_t index) override;
    // A copy of the entries, with a core of its own.
    GLOB_Dict DictValue(const GLOB_Object& dict) override;

    // The stored bytes (openFlags 0 and 1), or them decoded through the chain
    // of /Filter and /DecodeParms (2); other flags are a fatal log. A
    // dictionary with /F reads that external file instead, decoded through
    // /FFilter and /FDecodeParms for 2. Throws 1151011 for a file that cannot
    // be opened, and the errors of GLOB_Filter.
    GLOB_Stream OpenStream(const GLOB_Object& stream, int32_t openFlags) override;
    GLOB_Object StreamDict(const GLOB_Object& stream) override;
    uint32_t StreamLength(const GLOB_Object& stream) override;
    uint32_t StreamPos(const GLOB_Object& stream) override;

    bool DictKnown(const GLOB_Object& dict, const GLOB_Name& key) override;
    void DictKeys(const GLOB_Object& dict, std::vector<GLOB_Name>& keys, bool unsorted) override;
    void DictEntries(const GLOB_Object& dict, std::vector<Entry>& entries, bool unsorted) override;
    void DictValues(const GLOB_Object& dict, std::vector<GLOB_Object>& values) override;
    // Objects of another kind of back-end are compared by the default rule.
    bool IsEqual(const GLOB_Object& a, const GLOB_Object& b) override;

private:
    struct Block;
    struct Record;

    GLOB_Memory_Impl();

    // The number of the next indirect object.
    uint32_t NextObjectNumber();
    // A handle of a new object of kind type whose value has the given bits;
    // *block is set to its block when it needs one.
    GLOB_Object NewObject(int32_t type, bool indirect, uint64_t bits, Block** block);
    // A block with an empty value, in the list of live blocks.
    Block* NewBlock(int32_t type, uint32_t objectNumber, uint32_t useCount);
    static Record RecordOf(const GLOB_Object& obj);
    // The dictionary of a Dict, or of a Stream's attribute dictionary.
    GLOB_Dict& DictOf(const GLOB_Object& obj);
    GLOB_Array& ArrayOf(const GLOB_Object& obj);
    const iGLOB_CosStream& StreamOf(const GLOB_Object& obj);

    // 1 for a handle of this back-end, else 0.
    uint32_t Own(const GLOB_Object& obj) const { return obj.GetImpl() == this ? 1u : 0u; }
    // The handles of this back-end that the block's value holds.
    uint32_t OwnHandlesIn(const Block& block) const;
    // Unlinks the block, frees its value (the handles inside let go) and the
    // block itself.
    void FreeBlock(Block* block);
    static void FreeValue(Block& block);
    // Frees every live block whatever its use count: only when no handle
    // outside names any of them.
    void FreeAllBlocks();

    uint32_t m_nextObjectNumber = 1;
    Block* m_catalog = nullptr;
    Block* m_info = nullptr;
    Block* m_blocks = nullptr;  // every live block, most recent first
    bool m_freeingAll = false;
};
