// The page-structure back-end of documents without a host: it edits the
// catalog's page tree itself, through CPDF_Doc's page-tree operations.
//
// - AttachCosDoc accepts any memory back-end (GLOB_Memory_Impl) and keeps a
//   count on it until DetachCosDoc; any other back-end throws
//   CPDF_Exception 1128026 "Opening a non-PDF Cos document as PDF document".
// - CreatePage makes an indirect {Type /Page, MediaBox [...]} and inserts it
//   (CPDF_Doc::InsertKid) before the present page index, or at the end of
//   the root's "Kids" when index is at or past the count; index must not be
//   negative.
// - DeletePages and MovePage take pages out of their "Kids" and bring the
//   counts above them down (Pages nodes left empty stay in the tree). A moved
//   page ends up as page target, clamped to 0 .. count - 1: target 0 moves
//   it to the front, a target at or past the last page to the end, and a
//   page moved forward follows the page that had the target index. A page
//   range outside the document throws CPDF_Exception 1128023 "Page range
//   <first> to <last> outside a document of <n> pages" (for a move, first
//   and last are the page moved).
#pragma once

#include "CPDF/document/CPDF_Doc.h"
#include "CPDF/document/CPDF_Impl.h"
#include "GLOB/GLOB_Doc.h"

class CPDF_MemoryImpl : public CPDF_Impl {
public:
    // A document over a new memory back-end and a new CPDF_MemoryImpl; not
    // open until CPDF_Doc::Create.
    static CPDF_Doc Make();

    CPDF_MemoryImpl() = default;
    ~CPDF_MemoryImpl() override;

    void DeletePages(int first, int last) override;
    void AttachCosDoc(GLOB_Impl* cosImpl) override;
    void MovePage(int index, int target) override;
    CPDF_Page CreatePage(const CPDF_Doc& doc, int index, const GLIB_Rect& mediaBox) override;
    void DetachCosDoc(GLOB_Impl* cosImpl) override;

private:
    // The attached document as a CPDF_Doc without a CPDF_Impl; asserts one
    // is attached.
    CPDF_Doc PageTree() const;
    // Throws unless 0 <= first <= last < NumPages.
    static void CheckRange(const CPDF_Doc& doc, int first, int last);
    // Takes page index out of its "Kids" and returns it.
    static GLOB_Object RemovePage(const CPDF_Doc& doc, uint32_t index);
    // Inserts page as page index, or at the end of the root when index is
    // the page count or more.
    static void InsertPage(const CPDF_Doc& doc, const GLOB_Object& page, uint32_t index);

    GLOB_Doc m_cosDoc;
};
