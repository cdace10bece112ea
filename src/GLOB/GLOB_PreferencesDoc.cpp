#include "GLOB/GLOB_PreferencesDoc.h"

#include "GLIB/GLIB_Exception.h"
#include "GLOB/GLOB_Impl.h"

#include <vector>

GLOB_PreferencesDoc::GLOB_PreferencesDoc() = default;

GLOB_Object GLOB_PreferencesDoc::RootDict(const GLOB_Doc& prefsDoc) {
    return prefsDoc.Root().DictGet(GLOB_Name(GLOB_KeyVelmDornapPrefs));
}

void GLOB_PreferencesDoc::Initialize(const GLOB_Doc& inPrefsDoc, const GLOB_Name& privateKey,
                                     const char* defaults) {
    GLIB_ASSERT(! m_Initialized);
    GLIB_ASSERT(inPrefsDoc.IsOpen( ));
    m_PrefsDoc = inPrefsDoc;
    m_privateKey = privateKey;

    const GLOB_Name rootKey(GLOB_KeyVelmDornapPrefs);
    const GLOB_Object catalog = m_PrefsDoc.Root();
    GLOB_Object root;
    if (!catalog.Known(rootKey, &root)) {
        root = m_PrefsDoc.NewDict(0, true);
        catalog.DictPut(rootKey, root);
    } else if (!root.IsDict()) {
        GLIB_THROW(GLIB_Exception, GLOB_PrefsRootCode, "the root GLOB_KeyVelmDornapPrefs value isn't a dict");
    }

    GLOB_Object privateDict;
    if (!root.Known(m_privateKey, &privateDict)) {
        root.DictPut(m_privateKey, m_PrefsDoc.NewDict(0, true));
    } else if (!privateDict.IsDict()) {
        GLIB_THROW(GLIB_Exception, GLOB_PrefsPrivateCode, "the private prefs value isn't a dict");
    }
    // Read back: DictPut may have stored a copy made in the root's back-end.
    m_privateDict = root.DictGet(m_privateKey);

    MergeDefaults(defaults, false);
    m_Initialized = 1;
}

void GLOB_PreferencesDoc::MergeDefaults(const char* defaults, bool check) {
    if (check)
        GLIB_ASSERT(m_Initialized == true);
    if (defaults == nullptr)
        return;
    const GLOB_Object defaultPrefs = m_PrefsDoc.ParseObject(defaults);
    GLIB_ASSERT(defaultPrefs.IsDict( ));
    std::vector<GLOB_Impl::Entry> entries;
    defaultPrefs.GetImpl()->DictEntries(defaultPrefs, entries, true);
    for (const GLOB_Impl::Entry& entry : entries) {
        if (!m_privateDict.Known(entry.first))
            m_privateDict.DictPut(entry.first, entry.second);
    }
}
