#include "CPDF/document/CPDF_MemoryImpl.h"

#include "CPDF/CPDF_Exception.h"
#include "CPDF/CPDF_Utils.h"
#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_New.h"
#include "GLOB/GLOB_Impl.h"
#include "GLOB/GLOB_Memory_Impl.h"

#include <algorithm>

CPDF_Doc CPDF_MemoryImpl::Make() {
    const GLOB_Doc cosDoc = GLOB_Memory_Impl::Make();
    return CPDF_Doc(cosDoc.Impl(), GLIB_NEW CPDF_MemoryImpl());
}

CPDF_MemoryImpl::~CPDF_MemoryImpl() = default;

void CPDF_MemoryImpl::AttachCosDoc(GLOB_Impl* cosImpl) {
    GLIB_ASSERT(cosImpl != NULL);
    if (cosImpl->ImplementationType() != GLOB_Memory_Impl::MemoryImplementationType)
        GLIB_THROW(CPDF_Exception, CPDF_NoPageDocumentCode, "Opening a non-PDF Cos document as PDF document");
    m_cosDoc = GLOB_Doc(cosImpl);
}

void CPDF_MemoryImpl::DetachCosDoc(GLOB_Impl* cosImpl) {
    if (m_cosDoc.Impl() == cosImpl)
        m_cosDoc = GLOB_Doc();
}

CPDF_Doc CPDF_MemoryImpl::PageTree() const {
    GLIB_ASSERT(m_cosDoc.Impl() != NULL);
    return CPDF_Doc(m_cosDoc.Impl(), nullptr);
}

void CPDF_MemoryImpl::CheckRange(const CPDF_Doc& doc, int first, int last) {
    const int n = doc.NumPages();
    if (first < 0 || first > last || last >= n)
        GLIB_THROW(CPDF_Exception, CPDF_InvalidDocumentCode,
                   "Page range " << first << " to " << last << " outside a document of " << n << " pages");
}

GLOB_Object CPDF_MemoryImpl::RemovePage(const CPDF_Doc& doc, uint32_t index) {
    GLOB_Object parent;
    uint32_t kidIndex = 0;
    doc.FindPage(doc.Pages(), index, &parent, &kidIndex);
    const GLOB_Object kids = parent.DictGet(GLOB_Name("Kids"));
    const GLOB_Object page = kids.Get(kidIndex);
    kids.GetImpl()->ArrayRemove(kids, kidIndex);
    doc.AddToCounts(parent, -1);
    return page;
}

void CPDF_MemoryImpl::InsertPage(const CPDF_Doc& doc, const GLOB_Object& page, uint32_t index) {
    const GLOB_Object root = doc.EnsurePageTree();
    if (index < static_cast<uint32_t>(doc.NumPages())) {
        GLOB_Object parent;
        uint32_t kidIndex = 0;
        doc.FindPage(root, index, &parent, &kidIndex);
        doc.InsertKid(parent, page, kidIndex, 1);
        return;
    }
    const GLOB_Object kids = root.IsDict() ? root.DictGet(GLOB_Name("Kids")) : GLOB_Object();
    doc.InsertKid(root, page, kids.IsArray() ? kids.Length() : 0, 1);
}

CPDF_Page CPDF_MemoryImpl::CreatePage(const CPDF_Doc& doc, int index, const GLIB_Rect& mediaBox) {
    GLIB_ASSERT_CMP(index, >=, 0);
    const GLOB_Object page = doc.NewDict(3, true);
    page.PutPath("Type", doc.NewName(GLOB_Name("Page")));
    page.PutPath("MediaBox", CPDF_Utils::MakeRectObject(doc, mediaBox));
    InsertPage(doc, page, static_cast<uint32_t>(index));
    return CPDF_Page(page);
}

void CPDF_MemoryImpl::DeletePages(int first, int last) {
    const CPDF_Doc doc = PageTree();
    CheckRange(doc, first, last);
    for (int i = first; i <= last; ++i)
        RemovePage(doc, static_cast<uint32_t>(first));
}

void CPDF_MemoryImpl::MovePage(int index, int target) {
    const CPDF_Doc doc = PageTree();
    CheckRange(doc, index, index);
    const int last = doc.NumPages() - 1;
    const GLOB_Object page = RemovePage(doc, static_cast<uint32_t>(index));
    InsertPage(doc, page, static_cast<uint32_t>(std::min(std::max(target, 0), last)));
}
