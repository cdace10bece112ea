#include "CPDF/document/CPDF_Doc.h"

#include "CPDF/CPDF_Exception.h"
#include "CPDF/CPDF_Utils.h"
#include "GLIB/GLIB_Assert.h"
#include "GLOB/GLOB_DepthGuard.h"

#include <vector>

using CPDF_Utils::ObjectText;

namespace {

// The nodes a walk has passed through, to end one that comes back or goes
// deeper than the object model nests.
class Visited {
public:
    // Throws loop, or tooDeep and the limit, instead of entering node.
    void Enter(const GLOB_Object& node, const char* loop, const char* tooDeep) {
        for (const GLOB_Object& seen : m_nodes)
            if (seen == node)
                GLIB_THROW(CPDF_Exception, CPDF_InvalidDocumentCode, loop);
        if (!GLOB_DepthGuard::Admits(m_nodes.size() + 1))
            GLIB_THROW(CPDF_Exception, CPDF_InvalidDocumentCode, tooDeep << GLOB_Object::MaxNesting << " levels");
        m_nodes.push_back(node);
    }

private:
    std::vector<GLOB_Object> m_nodes;
};

const GLOB_Name& KidsKey() {
    static const GLOB_Name key("Kids");
    return key;
}

const GLOB_Name& CountKey() {
    static const GLOB_Name key("Count");
    return key;
}

}  // namespace

CPDF_Doc::CPDF_Doc(GLOB_Impl* cosImpl, CPDF_Impl* docImpl) : GLOB_Doc(cosImpl), m_docImpl(docImpl) {
    if (m_docImpl)
        m_docImpl->AddRef();
}

CPDF_Doc::CPDF_Doc(const CPDF_Doc& other) : GLOB_Doc(other), m_docImpl(other.m_docImpl) {
    if (m_docImpl)
        m_docImpl->AddRef();
}

CPDF_Doc& CPDF_Doc::operator=(const CPDF_Doc& other) {
    GLOB_Doc::operator=(other);
    if (m_docImpl != other.m_docImpl) {
        CPDF_Impl* impl = other.m_docImpl;
        if (impl)
            impl->AddRef();
        CPDF_Impl::Release(&m_docImpl);
        m_docImpl = impl;
    }
    return *this;
}

CPDF_Doc::~CPDF_Doc() { CPDF_Impl::Release(&m_docImpl); }

CPDF_Impl* CPDF_Doc::Checked() const {
    GLIB_ASSERT(m_docImpl != NULL);
    return m_docImpl;
}

void CPDF_Doc::Create() {
    GLOB_Doc::Create("%PDF-1.3", 1);
    EnsurePageTree();
}

void CPDF_Doc::CreateWithFileName(const GLOB_FileName& fileName) {
    GLOB_Doc::Create(fileName, "%PDF-1.3", 1);
    EnsurePageTree();
}

void CPDF_Doc::DidOpen() { Checked()->AttachCosDoc(Impl()); }

void CPDF_Doc::WillClose() { Checked()->DetachCosDoc(Impl()); }

GLOB_Object CPDF_Doc::EnsurePageTree() const {
    GLOB_Object pages;
    if (CatalogKnown("Pages", &pages))
        return pages;
    pages = NewDict(3, true);
    pages.PutPath("Type", NewName(GLOB_Name("Pages")));
    pages.PutPath("Count", NewInteger(0));
    pages.PutPath("Kids", NewArray(0));
    CatalogPut("Pages", pages);
    return pages;
}

CPDF_Page CPDF_Doc::CreatePage(int index, const GLIB_Rect& mediaBox) const {
    return Checked()->CreatePage(*this, index, mediaBox);
}

void CPDF_Doc::DeletePages(int first, int last) const { Checked()->DeletePages(first, last); }

void CPDF_Doc::MovePage(int index, int target) const { Checked()->MovePage(index, target); }

int CPDF_Doc::NumPages() const {
    const GLOB_Object catalog = Root();
    GLOB_Object pages;
    if (!catalog.IsDict() || !catalog.Known(GLOB_Name("Pages"), &pages))
        return 0;
    // A "Pages" that is not a dictionary has no "Count" to read.
    if (!pages.IsDict())
        GLIB_THROW(CPDF_Exception, CPDF_InvalidDocumentCode,
                   "Expecting Pages object to be a dictionary, found: " << ObjectText(pages));
    const GLOB_Object count = pages.DictGet(CountKey());
    if (!count.IsInteger() || count.AsInteger() < 0)
        GLIB_THROW(CPDF_Exception, CPDF_InvalidDocumentCode, "Document has invalid page count: " << ObjectText(count));
    return count.AsInteger();
}

CPDF_Page CPDF_Doc::Page(uint32_t index) const {
    GLOB_Object parent;
    uint32_t kidIndex = 0;
    FindPage(Pages(), index, &parent, &kidIndex);
    return CPDF_Page(parent.DictGet(KidsKey()).Get(kidIndex));
}

void CPDF_Doc::FindPage(const GLOB_Object& node, uint32_t index, GLOB_Object* parent, uint32_t* kidIndex) const {
    GLIB_ASSERT(parent != nullptr && kidIndex != nullptr);
    GLOB_Object current = node;
    uint32_t target = index;
    Visited entered;
    for (;;) {
        if (!current.IsDict())
            GLIB_THROW(CPDF_Exception, CPDF_InvalidDocumentCode,
                       "Expecting Pages object to be a dictionary, found: " << ObjectText(current));
        entered.Enter(current, "Pages object found inside itself", "Pages objects nested deeper than ");
        const GLOB_Object kids = current.DictGet(KidsKey());
        if (!kids.IsArray())
            GLIB_THROW(CPDF_Exception, CPDF_InvalidDocumentCode,
                       "Expecting Kids of Pages object to be an array, found: " << ObjectText(kids));
        const uint32_t n = kids.Length();
        uint32_t count = 0;
        bool descended = false;
        for (uint32_t j = 0; j < n && !descended; ++j) {
            const GLOB_Object kid = kids.Get(j);
            if (!kid.IsDict())
                GLIB_THROW(CPDF_Exception, CPDF_InvalidDocumentCode,
                           "Expecting Page/Pages to be a dictionary, found: " << ObjectText(kid));
            if (kid.HasType("Page")) {
                if (count == target) {
                    *parent = current;
                    *kidIndex = j;
                    return;
                }
                ++count;
                continue;
            }
            GLOB_Object kidCount;
            if (!kid.Known(CountKey(), &kidCount))
                GLIB_THROW(CPDF_Exception, CPDF_InvalidDocumentCode, "Pages object missing Count " << ObjectText(kid));
            if (!kidCount.IsInteger())
                GLIB_THROW(CPDF_Exception, CPDF_InvalidDocumentCode,
                           "Expecting Pages object Count to be an integer, found: " << ObjectText(kid));
            // Added and compared as unsigned numbers, like page indices.
            const uint32_t leaves = static_cast<uint32_t>(kidCount.AsInteger());
            if (count + leaves > target) {
                target -= count;
                current = kid;
                descended = true;
            } else {
                count += leaves;
            }
        }
        if (!descended)
            GLIB_THROW(CPDF_Exception, CPDF_InvalidDocumentCode, "Document is missing pages.");
    }
}

void CPDF_Doc::InsertKid(const GLOB_Object& node, const GLOB_Object& kid, uint32_t index, int delta) const {
    if (!node.IsDict())
        GLIB_THROW(CPDF_Exception, CPDF_InvalidDocumentCode,
                   "Expecting Pages object to be a dictionary, found: " << ObjectText(node));
    const GLOB_Object kids = node.DictGet(KidsKey());
    if (!kids.IsArray())
        GLIB_THROW(CPDF_Exception, CPDF_InvalidDocumentCode, "Pages object missing Kids array.");
    GLIB_ASSERT(kid.IsDict());
    GLIB_ASSERT_CMP(index, <=, kids.Length());
    ArrayInsert(kids, index, kid);
    kid.PutPath("Parent", node);
    AddToCounts(node, delta);
}

void CPDF_Doc::AddToCounts(const GLOB_Object& node, int delta) const {
    GLOB_Object current = node;
    Visited climbed;
    for (;;) {
        climbed.Enter(current, "Parent chain of Pages objects loops", "Parent chain of Pages objects longer than ");
        const GLOB_Object count = current.DictGet(CountKey());
        if (!count.IsInteger())
            GLIB_THROW(CPDF_Exception, CPDF_InvalidDocumentCode, "Pages object missing Count.");
        const int64_t sum = static_cast<int64_t>(count.AsInteger()) + delta;
        if (sum != static_cast<int32_t>(sum))
            GLIB_THROW(CPDF_Exception, CPDF_InvalidDocumentCode,
                       "Pages object Count out of range: " << count.AsInteger() << " + " << delta);
        current.PutPath("Count", NewInteger(static_cast<int32_t>(sum)));
        const GLOB_Object parent = current.DictGet(GLOB_Name("Parent"));
        if (!parent.IsDict() || !parent.HasType("Pages"))
            return;
        current = parent;
    }
}

void CPDF_Doc::ArrayInsert(const GLOB_Object& array, uint32_t index, const GLOB_Object& value) {
    for (uint32_t i = array.Length(); i > index; --i)
        array.ArrayPut(i, array.Get(i - 1));
    array.ArrayPut(index, value);
}

GLOB_Object CPDF_Doc::Catalog() const {
    const GLOB_Object catalog = Root();
    if (!catalog.IsDict())
        GLIB_THROW(CPDF_Exception, CPDF_InvalidDocumentCode, "Document missing catalog.");
    return catalog;
}

GLOB_Object CPDF_Doc::Pages() const { return Catalog().DictGet(GLOB_Name("Pages")); }

bool CPDF_Doc::CatalogKnown(const char* key, GLOB_Object* value) const {
    return Catalog().Known(GLOB_Name(key), value);
}

void CPDF_Doc::CatalogPut(const char* key, const GLOB_Object& value) const {
    Catalog().DictPut(GLOB_Name(key), value);
}
