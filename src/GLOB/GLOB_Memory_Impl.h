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
// Uses this back-end does not support: Open, Save and SaveAs are fatal logs
// (programming errors). Reading a value of the wrong kind and dictionary or
// array operations on an object of another kind throw GLIB_Exception 1151006,
// since document input can lead there.
#pragma once

#include "GLOB/GLOB_Impl.h"

#include <cstdint>

class GLOB_Doc;

class GLOB_Memory_Impl : public GLOB_Impl {
public:
    static constexpr int32_t MemoryImplementationType = 4;

    // A document over a new back-end; not open until Create.
    static GLOB_Doc Make();

    // Size of the buffer that stream data are stored through.
    static uint32_t CopyBufferSize();
    static void SetCopyBufferSize(uint32_t size);

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
    // Stream data are not stored by this back-end yet: throws GLIB_Exception
    // 1151011.
    GLOB_Object NewStream(const GLOB_Stream& source, int32_t encoded, const GLOB_Object& attrDict,
                          const GLOB_Object& encodeParams, int32_t count) override;

    bool IsIndirect(const GLOB_Object& obj) override;
    int32_t Type(const GLOB_Object& obj) override;
    int32_t IntegerValue(const GLOB_Object& obj) override;
    bool BooleanValue(const GLOB_Object& obj) override;
    double RealValue(const GLOB_Object& obj) override;
    GLOB_Name NameValue(const GLOB_Object& obj) override;
    GLOB_String StringValue(const GLOB_Object& obj) override;
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
    GLOB_Dict DictValue(const GLOB_Object& dict) override;

    // Not stored yet (see NewStream): OpenStream and StreamLength throw
    // GLIB_Exception 1151011.
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
    static Record RecordOf(const GLOB_Object& obj);
    // The dictionary of a Dict, or of a Stream's attribute dictionary.
    GLOB_Dict& DictOf(const GLOB_Object& obj);
    GLOB_Array& ArrayOf(const GLOB_Object& obj);
    static void FreeBlock(Block* block, int32_t type);

    uint32_t m_nextObjectNumber = 1;
    Block* m_catalog = nullptr;
    Block* m_info = nullptr;
};
