// A PDF document at the page level: a GLOB_Doc that also knows the
// catalog's page tree, and a shared CPDF_Impl to which it forwards page
// creation, deletion and moves. Copies share both back-ends.
//
// The page tree is the standard one: the catalog's "Pages" is the root
// Pages node; a Pages node is a Dict with "Kids" (Page and Pages
// dictionaries), "Count" (the number of leaves below it) and, below the
// root, "Parent"; a kid whose "Type" is the Name "Page" is a leaf, any other
// is taken as a Pages node. Page indices are 0-based, leaves in tree order.
//
// Failures throw CPDF_Exception 1128023 (object text: GLOB_Object::Print):
//   "Expecting Pages object to be a dictionary, found: <object text>"
//   "Expecting Kids of Pages object to be an array, found: <object text>"
//   "Expecting Page/Pages to be a dictionary, found: <object text>"
//   "Pages object missing Count <object text of the kid>"
//   "Expecting Pages object Count to be an integer, found: <object text of the kid>"
//   "Document is missing pages." (fewer leaves than the index needs)
//   "Pages object missing Kids array."
//   "Pages object missing Count." (counts below it already changed)
//   "Document has invalid page count: <object text>"
//   "Document missing catalog."
// and, for trees that loop or nest deeper than GLOB_Object::MaxNesting, the
// same code with "Pages object found inside itself", "Pages objects nested
// deeper than 512 levels", "Parent chain of Pages objects loops", "Parent
// chain of Pages objects longer than 512 levels", and for a count beyond 32
// bits "Pages object Count out of range: <count> + <change>".
// The CPDF_Impl's own failures pass through.
#pragma once

#include "CPDF/document/CPDF_Impl.h"
#include "CPDF/document/CPDF_Page.h"
#include "GLIB/GLIB_Geometry.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Object.h"

#include <cstdint>

class GLOB_FileName;

class CPDF_Doc : public GLOB_Doc {
public:
    // No back-ends: a placeholder until assigned.
    CPDF_Doc() = default;
    // Shares cosImpl; takes one count on docImpl (may be null).
    CPDF_Doc(GLOB_Impl* cosImpl, CPDF_Impl* docImpl);
    CPDF_Doc(const CPDF_Doc& other);
    CPDF_Doc& operator=(const CPDF_Doc& other);
    ~CPDF_Doc() override;

    // A new empty document ("%PDF-1.3", flags 1) in the back-end, which
    // attaches the CPDF_Impl (DidOpen), then EnsurePageTree.
    void Create();
    void CreateWithFileName(const GLOB_FileName& fileName);
    // The catalog's "Pages" whatever it holds; when absent, a new indirect
    // {Type /Pages, Count 0, Kids []} stored there.
    GLOB_Object EnsurePageTree() const;

    // Forwarded to the CPDF_Impl, which must be set.
    CPDF_Page CreatePage(int index, const GLIB_Rect& mediaBox) const;
    void DeletePages(int first, int last) const;
    void MovePage(int index, int target) const;

    // The root's "Count"; 0 when the catalog is not a Dict or has no
    // "Pages".
    int NumPages() const;
    CPDF_Page Page(uint32_t index) const;
    // The Pages node below node whose "Kids" hold leaf index, and the
    // leaf's place in them. Descends by the kids' "Count"s, so a wrong count
    // sends the search into the wrong kid.
    void FindPage(const GLOB_Object& node, uint32_t index, GLOB_Object* parent, uint32_t* kidIndex) const;
    // Inserts kid (a Dict) into node's "Kids" at index (at most their
    // number), makes node its "Parent", then adds delta to the "Count" of
    // node and of each "Parent" above it while that is a Dict of Type Pages.
    void InsertKid(const GLOB_Object& node, const GLOB_Object& kid, uint32_t index, int delta) const;
    // Inserts value before index, moving the later elements up one by one.
    static void ArrayInsert(const GLOB_Object& array, uint32_t index, const GLOB_Object& value);

    // Page copying. Copies are made through CreatePage and receive deep
    // copies (Copy, not forced) made in this document; there is no rollback,
    // so pages copied before a failure stay.

    // Copies source pages first to first + number - 1 to consecutive indices
    // from index. A page with "SeparationInfo" is copied only as a member of
    // its "Pages" array, the whole group in the array's order when the
    // first of its pages is reached (a group without such an array is not
    // copied); the copies of one group share one new indirect "Pages" array
    // listing them, in each copy's "SeparationInfo" (a member without one of
    // its own gets none). Throws 1128023 "Copying pages from a document to
    // itself not supported." when source shares this back-end, even for no
    // pages; the page tree's and pages' exceptions pass through (a group
    // member that is not a Dict: 1128004).
    void CopyPages(const CPDF_Doc& source, int first, int number, int index) const;
    // A new page at index with source's media box; "ArtBox", "BleedBox",
    // "CropBox" and "TrimBox" wherever source finds a valid one up its
    // "Parent" chain; its own "Rotate" normalised; "Thumb", "Annots",
    // "Contents" and its own or inherited "Resources"; of a Dict
    // "SeparationInfo" a new direct one with "DeviceColorant" (Null when
    // absent), "ColorSpace" and "VELM_Recipe"; then the tools entries
    // "NORP_Tools" and "VELM_Tools".
    CPDF_Page CopyPage(const CPDF_Page& source, int index) const;
    // Copies source's own entry under key to page, whose "Resources" must
    // already be copied. A Dict is rebuilt as a new Dict, indirect when the
    // original is, filled before it is stored. Its "SaveResource" (a Dict
    // of resource categories) is rebuilt likewise when source holds its own
    // "Resources": each category that is a Dict in both resource
    // dictionaries through RemapSavedResources, the others copied. Any other
    // value, and the "SaveResource" of a page that inherits its resources,
    // is copied as it is.
    void CopyToolsEntry(const GLOB_Object& source, const GLOB_Object& page, const GLOB_Name& key) const;
    // A new Dict, indirect when saved is, of saved's entries: an entry that
    // is the very object sourceCategory holds under its name becomes the one
    // newCategory holds there (one object with the new page's resource), any
    // other is copied. All three must be Dicts.
    GLOB_Object RemapSavedResources(const GLOB_Object& sourceCategory, const GLOB_Object& newCategory,
                                    const GLOB_Object& saved) const;

    // The label of page index (ISO 32000-1, 12.4.2) in buffer, cut to size
    // bytes and always terminated; size 0 writes nothing. Empty for an index
    // at or past the page count. Without "PageLabels", or when the floor
    // lookup in it (CPDF_NumberTree) fails or finds a value that is not a
    // Dict: index + 1 in decimal. Otherwise the range's prefix "P" (String
    // or Name; cut to the buffer, it ends the label), then, when "S" is a
    // Name, the number St + index - the range's first index ("St" 1 unless
    // an Integer) as "R"/"r" roman numerals (empty outside 1 to 4999), "A"/"a"
    // letters (empty below 1), any other style decimal. Page-tree failures
    // of NumPages pass through.
    void PageLabel(uint32_t index, char* buffer, uint32_t size) const;

    // The catalog's "Pages"; Null when absent.
    GLOB_Object Pages() const;
    bool CatalogKnown(const char* key, GLOB_Object* value) const;
    // A value of another back-end is copied in first.
    void CatalogPut(const char* key, const GLOB_Object& value) const;

protected:
    // CPDF_Impl::AttachCosDoc (DetachCosDoc) with the back-end.
    void DidOpen() override;
    void WillClose() override;

private:
    friend class CPDF_MemoryImpl;

    // The catalog, checked to be a Dict.
    GLOB_Object Catalog() const;
    // Step 4 of InsertKid: delta into the counts from node up.
    void AddToCounts(const GLOB_Object& node, int delta) const;
    CPDF_Impl* Checked() const;

    CPDF_Impl* m_docImpl = nullptr;
};
