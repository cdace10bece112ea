// The viewer stand-in's Cos object store: documents with indirect objects
// (number, generation) and direct objects. Objects are two-word handles
// (VCOS_Object.h). Every fault, stale handles included, throws VCOS_Error.
//
// Ownership: every object but Null lives in one document's table and goes
// with the document. A direct scalar stored into another document is copied
// there; an indirect object or a direct container of another document is
// refused. Direct scalars report no document (DocOf gives 0). A document
// keeps one entry for each direct name and each direct integer it holds,
// which every use of that value shares: neither ever changes.
//
// Dictionary operations accept a stream and work on its dictionary. Keys and
// names are byte strings without the "/" and with #xx decoded. A key is
// found, put or added in steps that do not grow with the dictionary's size
// (VCOS_DictEntries.h).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "viewer/cos/VCOS_Document.h"
#include "viewer/cos/VCOS_Object.h"

class VCOS_Store {
public:
    VCOS_Store();
    ~VCOS_Store();
    VCOS_Store(const VCOS_Store&) = delete;
    VCOS_Store& operator=(const VCOS_Store&) = delete;

    // Documents. CreateDoc gives a document whose root is an empty indirect
    // dictionary (object 1), since no slot sets a root; NewEmptyDoc has none
    // (for the reader). Ids are never reused.
    VCOS_DocId CreateDoc();
    VCOS_DocId NewEmptyDoc();
    void CloseDoc(VCOS_DocId doc);
    bool IsOpen(VCOS_DocId doc) const;

    VCOS_Obj Root(VCOS_DocId doc) const;
    VCOS_Obj Info(VCOS_DocId doc) const;  // Null when the document has none
    void SetRoot(VCOS_DocId doc, VCOS_Obj root);
    void SetInfo(VCOS_DocId doc, VCOS_Obj info);
    const std::string& Header(VCOS_DocId doc) const;
    void SetHeader(VCOS_DocId doc, const std::string& header);
    const std::vector<std::string>& Warnings(VCOS_DocId doc) const;
    void AddWarning(VCOS_DocId doc, const std::string& warning);
    // An encrypted file's permission bits (/P); false for a file that was
    // not encrypted.
    bool Permissions(VCOS_DocId doc, int32_t* permissions) const;
    void SetPermissions(VCOS_DocId doc, int32_t permissions);
    // Objects the file holds but the reader could not read (they read as
    // null), so that what needs one can fail instead of drawing nothing.
    void MarkLost(VCOS_DocId doc, uint32_t number, const std::string& reason);
    // Why object number was lost; null when it was not.
    const std::string* LostReason(VCOS_DocId doc, uint32_t number) const;
    // Every indirect object, by ascending number.
    std::vector<VCOS_Obj> IndirectObjects(VCOS_DocId doc) const;
    uint32_t NextNumber(VCOS_DocId doc) const;
    // The entries the document's table holds, those given up to an indirect
    // object's value included: what it keeps for its objects, to count.
    size_t EntryCount(VCOS_DocId doc) const;
    // Grows with every change to the document's objects, root, information
    // dictionary or header, so that a copy made from the document (a written
    // file, an opened rendering) can tell it is stale.
    uint64_t Changes(VCOS_DocId doc) const;

    // New objects. "indirect" gives the next free number, generation 0.
    VCOS_Obj NewNull() const { return VCOS_NullObj; }
    VCOS_Obj NewInteger(VCOS_DocId doc, bool indirect, int32_t value);
    VCOS_Obj NewReal(VCOS_DocId doc, bool indirect, double value);
    VCOS_Obj NewFixed(VCOS_DocId doc, bool indirect, int32_t fixed);
    VCOS_Obj NewBoolean(VCOS_DocId doc, bool indirect, bool value);
    VCOS_Obj NewName(VCOS_DocId doc, bool indirect, const std::string& name);
    VCOS_Obj NewString(VCOS_DocId doc, bool indirect, const std::string& bytes);
    VCOS_Obj NewArray(VCOS_DocId doc, bool indirect, uint32_t nulls);  // n Null elements
    VCOS_Obj NewDict(VCOS_DocId doc, bool indirect);
    // A stream over stored (encoded) bytes; the dictionary's entries are
    // copied and /Length is set to the byte count.
    VCOS_Obj NewStream(VCOS_DocId doc, bool indirect, const std::string& stored, VCOS_Obj attributes);
    // For the reader: the same, direct, made of a direct dictionary of the
    // document that nothing else holds, which becomes the stream's own
    // rather than copied, and of the bytes given.
    VCOS_Obj NewStreamOwning(VCOS_DocId doc, std::string stored, VCOS_Obj dict);

    // For the reader: an indirect Null at a given number and generation, then
    // its value, moved in from a direct object of the same document.
    VCOS_Obj DeclareIndirect(VCOS_DocId doc, uint32_t number, uint16_t generation);
    void Define(VCOS_Obj indirect, VCOS_Obj direct);
    // For the reader: what a reference to an object the file does not hold
    // reads as, an indirect Null that keeps the number and generation it
    // was named by, so that its user can say which object is missing. It is
    // none of the document's objects (a new one may take its number), and
    // the writer writes it as null. The same reference gives the same one.
    // listed: an older cross-reference section of the file listed that
    // generation, which a newer one replaced.
    VCOS_Obj MissingIndirect(VCOS_DocId doc, uint32_t number, uint16_t generation, bool listed = false);
    // The object that replaced the one a missing reference names: the
    // document's object of its number, at the generation the newest section
    // gives; Null where the file's sections never listed the reference.
    VCOS_Obj ReplacedBy(VCOS_Obj missing) const;

    // Objects.
    VCOS_Type Type(VCOS_Obj obj) const;
    bool IsIndirect(VCOS_Obj obj) const;
    uint32_t Number(VCOS_Obj obj) const;      // indirect objects only
    uint16_t Generation(VCOS_Obj obj) const;  // indirect objects only
    VCOS_DocId DocOf(VCOS_Obj obj) const;     // 0 for Null and direct scalars
    bool Equal(VCOS_Obj a, VCOS_Obj b) const;

    int32_t IntegerValue(VCOS_Obj obj) const;  // a real truncates, saturating
    double NumberValue(VCOS_Obj obj) const;    // integer or real
    int32_t FixedValue(VCOS_Obj obj) const;    // integer or real as 16.16, saturating
    bool BooleanValue(VCOS_Obj obj) const;
    const std::string& NameValue(VCOS_Obj obj) const;
    const std::string& StringValue(VCOS_Obj obj) const;

    VCOS_Obj DictGet(VCOS_Obj dict, const std::string& key) const;  // Null when absent
    void DictPut(VCOS_Obj dict, const std::string& key, VCOS_Obj value);
    void DictRemove(VCOS_Obj dict, const std::string& key);
    bool DictKnown(VCOS_Obj dict, const std::string& key) const;

    uint32_t ArrayLength(VCOS_Obj array) const;
    VCOS_Obj ArrayGet(VCOS_Obj array, uint32_t index) const;
    void ArrayPut(VCOS_Obj array, uint32_t index, VCOS_Obj value);     // past the end extends with Nulls
    void ArrayInsert(VCOS_Obj array, uint32_t index, VCOS_Obj value);  // past the end extends with Nulls
    void ArrayRemoveNth(VCOS_Obj array, uint32_t index);

    VCOS_Obj StreamDict(VCOS_Obj stream) const;
    const std::string& StreamBytes(VCOS_Obj stream) const;  // as stored (encoded)
    uint32_t StreamLength(VCOS_Obj stream) const;

    // Calls proc per entry in the stored order: a dictionary's (name, value),
    // an array's (element, Null). Stops at a false answer; true when it went
    // to the end. The entries are taken before the first call, so the
    // procedure may change the container.
    using EnumProc = std::function<bool(VCOS_Obj keyOrElement, VCOS_Obj value)>;
    bool Enum(VCOS_Obj container, const EnumProc& proc);

    // Read-only view of an entry, for the writer and the decoder.
    const VCOS_Entry& Entry(VCOS_Obj obj) const;

private:
    VCOS_Document& Doc(VCOS_DocId doc);
    const VCOS_Document& Doc(VCOS_DocId doc) const;
    VCOS_Entry& MutableEntry(VCOS_Obj obj);
    const VCOS_Entry& Typed(VCOS_Obj obj, VCOS_Type type, const char* operation) const;
    VCOS_Entry& MutableTyped(VCOS_Obj obj, VCOS_Type type, const char* operation);
    const VCOS_Entry& DictOf(VCOS_Obj dictOrStream, const char* operation) const;
    VCOS_Entry& MutableDictOf(VCOS_Obj dictOrStream, const char* operation);
    VCOS_Obj Add(VCOS_DocId doc, bool indirect, VCOS_Entry entry);
    // A stream over stored whose dictionary is dict, /Length set.
    VCOS_Obj StreamOver(VCOS_DocId doc, bool indirect, std::string stored, VCOS_Obj dict);
    // The value as it may be stored into a container of doc: a direct scalar
    // of another document is copied; a foreign indirect object or direct
    // container throws.
    VCOS_Obj Adopt(VCOS_DocId doc, VCOS_Obj value, const char* operation);
    bool EqualAt(VCOS_Obj a, VCOS_Obj b, int depth) const;

    std::map<VCOS_DocId, std::unique_ptr<VCOS_Document>> m_docs;
    VCOS_DocId m_nextDoc = 1;
};

// The text that names an object in messages: "Cos object (doc, index)".
std::string VCOS_Describe(VCOS_Obj obj);
