// A PDF document: a value with one counted pointer to a document back-end
// (GLOB_Impl). Copies share the back-end, so whatever one copy does (close,
// create, add objects) the others see. Destroying a GLOB_Doc does not close
// the document. The content model derives its document class from it and
// overrides the DidOpen and WillClose hooks.
//
// Every operation but ImplementationType asserts that the document has a
// back-end ("m_cosImpl != NULL"); Root and InfoDict also assert that it is
// open. Exceptions of the back-end pass through unchanged.
#pragma once

#include "GLOB/GLOB_Name.h"
#include "GLOB/GLOB_Object.h"
#include "GLOB/GLOB_String.h"

#include <cstdint>
#include <string>

class GLIB_CallbackBase;
class GLIB_MessageTarget;
class GLOB_Array;
class GLOB_Dict;
class GLOB_FileName;
class GLOB_Impl;
class GLOB_Stream;

class GLOB_Doc {
public:
    // No back-end.
    GLOB_Doc() = default;
    // Shares impl (null: no back-end).
    explicit GLOB_Doc(GLOB_Impl* impl);
    GLOB_Doc(const GLOB_Doc& other);
    GLOB_Doc& operator=(const GLOB_Doc& other);
    virtual ~GLOB_Doc();

    // The back-end's Create or Open, then DidOpen (whatever the back-end
    // answered; an exception of the back-end keeps DidOpen from running).
    void Create(const char* header, uint32_t flags);
    void Create(const GLOB_FileName& fileName, const char* header, uint32_t flags);
    void Open(const GLOB_FileName& fileName, uint32_t flags);
    // WillClose, then every observer callback is deleted, then the back-end
    // closes.
    void Close();
    // Asserts HasFileName().
    void Save();
    void SaveAs(const GLOB_FileName& fileName);

    bool IsOpen() const;
    bool HasFileName() const;
    GLOB_FileName FileName() const;
    // The header line; "" when there is none.
    const char* Header() const;
    static bool IsHeader(const char* text);
    bool DocFlag1() const;
    bool DocFlag2() const;
    int32_t FileHandle() const;
    bool HasFileHandle() const;
    // 6 for a document without a back-end (no assertion).
    int32_t ImplementationType() const;
    // The catalog and the information dictionary of an open document.
    GLOB_Object Root() const;
    GLOB_Object InfoDict() const;

    // New objects of this document.
    GLOB_Object NewNull() const;
    // By default made in the memory document.
    GLOB_Object NewMark() const;
    GLOB_Object NewInteger(int32_t value, bool indirect = false) const;
    GLOB_Object NewBoolean(bool value, bool indirect = false) const;
    GLOB_Object NewReal(double value, bool indirect = false) const;
    GLOB_Object NewName(const GLOB_Name& value, bool indirect = false) const;
    GLOB_Object NewString(const GLOB_String& value, bool indirect = false) const;
    // count elements (Null in the memory back-end).
    GLOB_Object NewArray(uint32_t count, bool indirect = false) const;
    GLOB_Object NewDict(uint32_t room, bool indirect = false) const;
    // Holding the value's elements (entries); those of other back-ends are
    // copied in first.
    GLOB_Object NewArray(const GLOB_Array& value, bool indirect = false) const;
    GLOB_Object NewDict(const GLOB_Dict& value, bool indirect = false) const;
    // A new indirect Stream of the data read from source (see
    // GLOB_Impl::NewStream). Asserts that attrDict is Null or a direct Dict
    // and encodeParams Null or a Dict; either of another document is copied
    // in first, the caller's left as it was.
    GLOB_Object NewStream(const GLOB_Stream& source, int32_t encoded, const GLOB_Object& attrDict,
                          const GLOB_Object& encodeParams, int32_t count) const;

    // A copy made in this document of obj and the graph it refers to
    // (GLOB_Impl::CopyObject).
    GLOB_Object Copy(const GLOB_Object& obj, bool force) const;

    // Observers of the back-end; they receive GLOB_DocStreamDidOpenMessage.
    // Attach takes ownership of callback.
    void Attach(GLIB_CallbackBase* callback) const;
    // Removes and deletes every callback of target.
    void Detach(GLIB_MessageTarget& target) const;
    void DetachAll() const;

    // One object written in PDF syntax (a dictionary, an array, a name, a
    // string, a number, a boolean or null), made in this document. Throws
    // GLIB_Exception 1151013 when the text holds an operator, does not parse,
    // or holds other than exactly one object.
    GLOB_Object ParseObject(const char* text) const;
    // As above for text of any bytes, NUL included (a separator, as in a
    // file).
    GLOB_Object ParseObject(const std::string& text) const;

    // Rebuilds obj (Null, Boolean, Integer, Real, Name, String, Array, Dict)
    // element by element as objects of this document. Flags 0x01 and 0x10
    // make the top dictionary or array indirect, 0x02 and 0x20 every one
    // below it too. Throws GLIB_Exception 1151006 for a Stream or Mark, and
    // 1151004 beyond GLOB_Object::MaxNesting or MaxRebuiltObjects (an
    // indirect object is rebuilt at each reference, so a few arrays that
    // refer twice to the next one stand for an exponential number); a cycle
    // ends at the rebuilt container it comes back to.
    GLOB_Object MakeCosObj(const GLOB_Object& obj, uint32_t flags) const;
    static constexpr uint32_t MaxRebuiltObjects = 1u << 18;

    // The back-end, not counted for the caller.
    GLOB_Impl* Impl() const { return m_cosImpl; }

protected:
    // After every Create and Open.
    virtual void DidOpen() {}
    // First thing of Close.
    virtual void WillClose() {}

private:
    GLOB_Impl* Checked() const;

    GLOB_Impl* m_cosImpl = nullptr;
};
