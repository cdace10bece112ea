// Preferences kept as PDF objects in a small document of their own: the
// catalog holds, under GLOB_KeyVelmDornapPrefs, a root dictionary with one
// private dictionary per client under the client's key. A GLOB_PreferencesDoc
// binds to such a document and one key, makes sure both dictionaries exist,
// and merges the client's defaults (PDF object text) into the private
// dictionary without replacing stored values. Values are then read and
// stored as ordinary entries of PrivateDict().
#pragma once

#include "GLIB/GLIB_Assert.h"
#include "GLOB/GLOB_Array.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Name.h"
#include "GLOB/GLOB_Object.h"

#include <cstdint>

// The catalog key of the root dictionary.
inline constexpr const char* GLOB_KeyVelmDornapPrefs = "VELM_Preferences";

// Exception codes of the preferences document.
enum : uint32_t {
    GLOB_PrefsRootCode = 1151014,     // the catalog's root value is not a dictionary
    GLOB_PrefsPrivateCode = 1151015,  // the client's value is not a dictionary
};

class GLOB_PreferencesDoc {
public:
    // Not bound: no document, the empty key, a Null private dictionary.
    GLOB_PreferencesDoc();

    // Binds to prefsDoc (open, asserted) and privateKey: makes the root
    // dictionary in the catalog and the private dictionary in it when they
    // are missing (both indirect), then MergeDefaults(defaults, false).
    // Asserts that it is not bound yet. Throws GLIB_Exception 1151014 "the
    // root GLOB_KeyVelmDornapPrefs value isn't a dict" or 1151015 "the
    // private prefs value isn't a dict" when a stored value has another kind,
    // and what MergeDefaults throws; after any of them it is still not bound
    // and may be bound again.
    void Initialize(const GLOB_Doc& prefsDoc, const GLOB_Name& privateKey, const char* defaults);

    // defaults (null: nothing) is parsed as one dictionary into the
    // preferences document; each of its keys that the private dictionary
    // lacks is added with its default value, in the dictionary's own order.
    // Stored keys keep their values. With check, asserts that it is bound.
    // Throws GLIB_Exception 1151013 when the text does not parse; a text
    // that parses to anything but a dictionary fails an assertion.
    void MergeDefaults(const char* defaults, bool check);

    // The catalog's GLOB_KeyVelmDornapPrefs value of an open document; Null
    // when absent.
    static GLOB_Object RootDict(const GLOB_Doc& prefsDoc);

    // Stores under key a new direct array (dictionary) of the preferences
    // document holding value's elements (entries), those of other back-ends
    // copied in first. Asserts that it is bound and the document open.
    void PutArray(const GLOB_Name& key, const GLOB_Array& value) {
        const GLOB_Object array = m_PrefsDoc.NewArray(value);
        CheckBound();
        m_privateDict.DictPut(key, array);
    }
    void PutDict(const GLOB_Name& key, const GLOB_Dict& value) {
        const GLOB_Object dict = m_PrefsDoc.NewDict(value);
        CheckBound();
        m_privateDict.DictPut(key, dict);
    }

    bool IsInitialized() const { return m_Initialized; }
    const GLOB_Doc& PrefsDoc() const { return m_PrefsDoc; }
    const GLOB_Name& PrivateKey() const { return m_privateKey; }
    // The client's dictionary; Null until bound.
    const GLOB_Object& PrivateDict() const { return m_privateDict; }

private:
    void CheckBound() const {
        GLIB_ASSERT(m_Initialized);
        GLIB_ASSERT(m_PrefsDoc.IsOpen( ));
    }

    uint8_t m_Initialized = 0;
    GLOB_Doc m_PrefsDoc;
    GLOB_Name m_privateKey;
    GLOB_Object m_privateDict;
};
