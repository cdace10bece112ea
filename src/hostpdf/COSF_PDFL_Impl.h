// The object-model back-end whose objects live in the host's Cos layer
// (ImplementationType 3): every operation on an object is one guarded call
// of the Cos table. A GLOB_Object of this back-end carries the host object's
// two words as its first two words.
//
// It serves three uses: wrapping a document the host has open (over its
// PD or Cos document; the back-end never closes it), creating new documents
// (Create) and opening files (Open). A back-end made by the plain
// constructor owns the documents it creates or opens, and closes them before
// the next Create or Open and at destruction.
//
// Document flags (GLOB_Impl): DocFlag1 is read-only, DocFlag2 saved.
//
// Numbers: the host keeps reals in 16.16 fixed point. NewReal rounds halves
// away from zero; an integral value beyond the fixed range but within 32
// bits is stored as an Integer, any other value beyond it (NaN and
// infinities too) is clamped (NaN to 0) with a WARNING. RealValue reads an
// Integer as an integer, so large integers read back whole.
//
// Shared opens: read-only opens of one file through the host's PD layer
// give the same host document; a registry (under the library's lock) counts
// them, and the last Close closes the document once per open and every file.
//
// Failures: GLIB_Exception 1127001 (create), 1127002 (open), 1127003 (not a
// PDF-like file), 1127004 (bad header for Create), 1127007 (a host object
// of another document); host errors arrive as COSF_PDFL_Library maps them.
#pragma once

#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Impl.h"
#include "viewer/host_api.h"

#include <cstdint>
#include <string>

enum : uint32_t {
    COSF_PDFL_CreateCode = 1127001,
    COSF_PDFL_OpenCode = 1127002,
    COSF_PDFL_NotCosDocCode = 1127003,
    COSF_PDFL_BadHeaderCode = 1127004,
    COSF_PDFL_ForeignObjectCode = 1127007,
};

constexpr int32_t COSF_PDFL_IMPL_TYPE = 3;

class COSF_PDFL_Impl : public GLOB_Impl {
public:
    // Empty and owning: not open until Create or Open.
    COSF_PDFL_Impl();
    // Over a host document, not owned: open, read-only, saved (over a PD
    // document: saved unless the host says it needs saving).
    explicit COSF_PDFL_Impl(PDFL_CosDoc cosDoc);
    explicit COSF_PDFL_Impl(PDFL_PDDoc pdDoc);
    ~COSF_PDFL_Impl() override;

    PDFL_CosDoc CosDoc() const { return m_cosDoc; }
    // Null for a Cos-only document.
    PDFL_PDDoc PDDoc() const { return m_pdDoc; }

    void Close() override;
    bool Create(const GLOB_FileName& fileName, const char* header, uint32_t flags) override;
    bool Create(const char* header, uint32_t flags) override;
    int32_t GenerationNumber(const GLOB_Object& obj) override;
    int32_t FileHandle() override;
    int32_t ImplementationType() override { return COSF_PDFL_IMPL_TYPE; }
    bool HasFileHandle() override;
    GLOB_Object InfoDict() override;
    int32_t ObjectNumber(const GLOB_Object& obj) override;
    // flags bit value 2: for writing; bit value 1: the host may repair.
    bool Open(const GLOB_FileName& fileName, uint32_t flags) override;
    GLOB_Object Root() override;
    void Save() override;
    void SaveAs(const GLOB_FileName& fileName) override;

    GLOB_Object NewNull() override;
    GLOB_Object NewInteger(int32_t value, bool indirect) override;
    GLOB_Object NewBoolean(bool value, bool indirect) override;
    GLOB_Object NewReal(double value, bool indirect) override;
    GLOB_Object NewName(const GLOB_Name& value, bool indirect) override;
    GLOB_Object NewString(const GLOB_String& value, bool indirect) override;
    GLOB_Object NewArray(uint32_t count, bool indirect) override;
    GLOB_Object NewDict(uint32_t room, bool indirect) override;
    // encoded passes to the host unchanged: 0 encodes through /Filter, 1
    // stores the bytes as given.
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
    GLOB_Object ArrayGet(const GLOB_Object& array, uint32_t index) override;
    void ArrayInsert(const GLOB_Object& array, uint32_t index, const GLOB_Object& value) override;
    uint32_t ArrayLength(const GLOB_Object& array) override;
    void DictPut(const GLOB_Object& dict, const GLOB_Name& key, const GLOB_Object& value) override;
    void ArrayPut(const GLOB_Object& array, uint32_t index, const GLOB_Object& value) override;
    void DictRemove(const GLOB_Object& dict, const GLOB_Name& key) override;
    void ArrayRemove(const GLOB_Object& array, uint32_t index) override;
    GLOB_Dict DictValue(const GLOB_Object& dict) override;

    // openFlags 2 decodes through the object model's own filters; a filter
    // it lacks is left to the host with a WARNING.
    GLOB_Stream OpenStream(const GLOB_Object& stream, int32_t openFlags) override;
    GLOB_Object StreamDict(const GLOB_Object& stream) override;
    uint32_t StreamLength(const GLOB_Object& stream) override;
    uint32_t StreamPos(const GLOB_Object& stream) override;

    bool DictKnown(const GLOB_Object& dict, const GLOB_Name& key) override;
    void DictKeys(const GLOB_Object& dict, std::vector<GLOB_Name>& keys, bool unsorted) override;
    void DictEntries(const GLOB_Object& dict, std::vector<Entry>& entries, bool unsorted) override;
    void DictValues(const GLOB_Object& dict, std::vector<GLOB_Object>& values) override;
    // Two objects of this back-end: the host's answer; otherwise the base's.
    bool IsEqual(const GLOB_Object& a, const GLOB_Object& b) override;
    // The host's answer where it offers its Cos updates table; a Null
    // object where it does not.
    GLOB_Object ReplacedBy(const GLOB_Object& reference) override;

    // The object of this back-end for a host object, and back. A value of
    // another back-end given to CosObjOf is copied into this one first
    // (a Null of any back-end is the host's Null).
    GLOB_Object ObjectOf(PDFL_CosObj obj);
    PDFL_CosObj CosObjOf(const GLOB_Object& obj);

    // 16.16 fixed point of v, halves away from zero; false when v does not
    // fit (fixed then holds the clamped value, 0 for NaN).
    static bool ToFixed(double v, PDFL_Fixed* fixed);

private:
    void CloseOwned();
    void CreateDocument(const char* header, uint32_t flags);
    void OpenFromFile(const std::string& display, PDFL_ASPathName path, uint32_t flags);
    // Records this back-end's read-only open in the shared-open registry.
    void RegisterSharedOpen();
    // true when the registry held the document (and handled it).
    bool CloseSharedOpen();

    PDFL_CosDoc m_cosDoc = nullptr;
    PDFL_PDDoc m_pdDoc = nullptr;
    PDFL_ASFile m_file = nullptr;
    std::string m_scratch;
    bool m_ownsDoc = false;
};

// Factories; each asserts COSF_PDFL_Library::IsInitialized().
GLOB_Doc COSF_PDFL_NewDoc();
GLOB_Doc COSF_PDFL_DocFromPDDoc(PDFL_PDDoc pdDoc);
GLOB_Doc COSF_PDFL_DocFromCosDoc(PDFL_CosDoc cosDoc);
// The host document or object under a document or object of this back-end
// (asserted).
PDFL_CosDoc COSF_PDFL_CosDocFromDoc(const GLOB_Doc& doc);
PDFL_CosObj COSF_PDFL_CosObjFromObject(const GLOB_Object& obj);
// Throws 1127007 for an indirect object or direct container of another
// host document.
GLOB_Object COSF_PDFL_ObjectFromCosObj(const GLOB_Doc& cosDoc, PDFL_CosObj obj);
