// PDModel slots 83 to 87, 137 to 140 and 142: pages of a PD document, the
// leaves of its catalog's page tree.
#include "viewer/VIEW_Cos.h"
#include "viewer/VIEW_CosErrors.h"
#include "viewer/VIEW_CosHandles.h"
#include "viewer/VIEW_PD.h"
#include "viewer/VIEW_PDState.h"
#include "viewer/draw/VDRW_PageSpace.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

namespace {

VCOS_Store& Store() { return VIEW_Cos::Store(); }

// Deeper trees and longer Parent chains than this are refused.
constexpr int MaxTreeDepth = 256;

[[noreturn]] void BadTree(const std::string& message) { VIEW_CosErrors::Raise(VCOS_ErrorKind::BadDocument, message); }
// A tree that cannot be walked: no page of the document can be counted.
[[noreturn]] void Damaged(const std::string& message) {
    VIEW_CosErrors::Raise(VCOS_ErrorKind::DamagedPages, message);
}

std::string NodeName(VCOS_Obj node) {
    return Store().IsIndirect(node) ? "object " + std::to_string(Store().Number(node)) : "a direct node";
}

bool IsDict(VCOS_Obj obj) {
    const VCOS_Type type = Store().Type(obj);
    return type == VCOS_Type::Dict;
}

bool IsAbsent(VCOS_Obj obj) { return obj.IsNullHandle() || Store().Type(obj) == VCOS_Type::Null; }

// The drawing tells pages from nodes the same way; a lying /Count changes
// nothing.
bool IsLeaf(VCOS_Obj node) {
    if (VDRW_PageSpaceReader::IsPage(Store(), node))
        return true;
    if (Store().Type(Store().DictGet(node, "Kids")) != VCOS_Type::Array)
        Damaged("/Kids of " + NodeName(node) + " is not an array");
    return false;
}

VCOS_Obj PageTreeRoot(VCOS_DocId doc) {
    const VCOS_Obj root = Store().Root(doc);
    const VCOS_Obj pages = IsDict(root) ? Store().DictGet(root, "Pages") : VCOS_NullObj;
    if (!IsDict(pages))
        Damaged("the catalog has no /Pages dictionary");
    return pages;
}

// A leaf and where it sits: its parent node and its place in the parent's
// "Kids".
struct Leaf {
    VCOS_Obj m_page;
    VCOS_Obj m_parent;
    uint32_t m_kid;
};

void Collect(VCOS_Obj node, int depth, std::set<uint32_t>& seen, std::vector<Leaf>& leaves) {
    if (depth > MaxTreeDepth)
        Damaged("it nests deeper than " + std::to_string(MaxTreeDepth) + " levels");
    // The root holds the kids; without them the pages below it are lost,
    // and counting none would hide that. Below it a node without kids is a
    // page.
    const VCOS_Obj kids = Store().DictGet(node, "Kids");
    if (IsAbsent(kids))
        Damaged("/Kids of " + NodeName(node) + " is missing");
    if (Store().Type(kids) != VCOS_Type::Array)
        Damaged("/Kids of " + NodeName(node) + " is not an array");
    const uint32_t count = Store().ArrayLength(kids);
    for (uint32_t i = 0; i < count; ++i) {
        const VCOS_Obj kid = Store().ArrayGet(kids, i);
        // A missing kid shifts every later page, and the drawing cannot walk
        // past it.
        if (IsAbsent(kid))
            Damaged(NodeName(node) + " has a missing kid");
        if (!IsDict(kid))
            Damaged(NodeName(node) + " has a kid that is not a dictionary");
        if (Store().IsIndirect(kid) && !seen.insert(Store().Number(kid)).second)
            Damaged("object " + std::to_string(Store().Number(kid)) + " is in it twice");
        if (IsLeaf(kid))
            leaves.push_back(Leaf{kid, node, i});
        else
            Collect(kid, depth + 1, seen, leaves);
    }
}

std::vector<Leaf> Leaves(VCOS_DocId doc) {
    std::vector<Leaf> leaves;
    std::set<uint32_t> seen;
    Collect(PageTreeRoot(doc), 0, seen, leaves);
    return leaves;
}

// Adds delta to the Count of node and of every Parent above it.
void AddToCounts(VCOS_Obj node, int32_t delta) {
    for (int depth = 0; IsDict(node); ++depth) {
        if (depth > MaxTreeDepth)
            Damaged("the /Parent chain of a page is longer than " + std::to_string(MaxTreeDepth));
        const VCOS_Obj count = Store().DictGet(node, "Count");
        const int32_t now = Store().Type(count) == VCOS_Type::Integer ? Store().IntegerValue(count) : 0;
        Store().DictPut(node, "Count", Store().NewInteger(Store().DocOf(node), false, std::max(0, now + delta)));
        node = Store().DictGet(node, "Parent");
    }
}

void TakeOut(const Leaf& leaf) {
    Store().ArrayRemoveNth(Store().DictGet(leaf.m_parent, "Kids"), leaf.m_kid);
    AddToCounts(leaf.m_parent, -1);
}

// Puts page after leaf anchor (null: at the front of the tree).
void PutAfter(VCOS_DocId doc, VCOS_Obj page, const Leaf* anchor) {
    VCOS_Obj parent = anchor ? anchor->m_parent : PageTreeRoot(doc);
    VCOS_Obj kids = Store().DictGet(parent, "Kids");
    if (Store().Type(kids) != VCOS_Type::Array) {
        kids = Store().NewArray(doc, false, 0);
        Store().DictPut(parent, "Kids", kids);
    }
    Store().ArrayInsert(kids, anchor ? anchor->m_kid + 1 : 0, page);
    Store().DictPut(page, "Parent", parent);
    AddToCounts(parent, 1);
}

// The value under key on the page or the nearest Parent that has it.
VCOS_Obj Inherited(VCOS_Obj page, const char* key) {
    VCOS_Obj node = page;
    for (int depth = 0; IsDict(node) && depth <= MaxTreeDepth; ++depth) {
        const VCOS_Obj value = Store().DictGet(node, key);
        if (!value.IsNullHandle() && Store().Type(value) != VCOS_Type::Null)
            return value;
        node = Store().DictGet(node, "Parent");
    }
    return VCOS_NullObj;
}

// Page space as the drawing reads it, from the entries the page inherits.
VDRW_PageSpace SpaceOf(VCOS_Obj page) {
    return VDRW_PageSpaceReader::FromEntries(Store(), page, Inherited(page, "MediaBox"), Inherited(page, "CropBox"),
                                             Inherited(page, "Rotate"));
}

VCOS_Obj NumberObject(VCOS_DocId doc, double v) {
    if (v == std::trunc(v) && std::fabs(v) <= 2147483647.0)
        return Store().NewInteger(doc, false, static_cast<int32_t>(v));
    return Store().NewReal(doc, false, v);
}

VIEW_PDPageRecord& PageRecord(PDFL_PDPage page) { return VIEW_PDPages().Get(page); }

// The held handle of dict in doc, counted once more; a new one otherwise.
PDFL_PDPage Acquire(PDFL_PDDoc doc, VCOS_Obj dict) {
    for (auto& [number, record] : VIEW_PDPages().Entries())
        if (record.m_doc == doc && record.m_dict == dict) {
            ++record.m_acquires;
            return reinterpret_cast<PDFL_PDPage>(number);
        }
    return VIEW_PDPages().Add(VIEW_PDPageRecord{doc, dict, 1});
}

int32_t IndexOf(const std::vector<Leaf>& leaves, VCOS_Obj dict) {
    for (size_t i = 0; i < leaves.size(); ++i)
        if (leaves[i].m_page == dict)
            return static_cast<int32_t>(i);
    return -1;
}

void RequireRange(const std::vector<Leaf>& leaves, int32_t number, const char* what) {
    if (number < 0 || static_cast<size_t>(number) >= leaves.size())
        BadTree(std::string(what) + " " + std::to_string(number) + " is outside a document of " +
                std::to_string(leaves.size()) + " pages");
}

}  // namespace

VIEW_HandleTable<PDFL_PDPage, VIEW_PDPageRecord>& VIEW_PDPages() {
    static VIEW_HandleTable<PDFL_PDPage, VIEW_PDPageRecord> pages("PD page", 0x5C000001);
    return pages;
}

void VIEW_PDForgetPages(PDFL_PDDoc doc) {
    auto& entries = VIEW_PDPages().Entries();
    for (auto it = entries.begin(); it != entries.end();)
        it = it->second.m_doc == doc ? entries.erase(it) : std::next(it);
}

int32_t VIEW_PD::DocGetNumPages(PDFL_PDDoc doc) {
    const VCOS_DocId cos = CosDocId(doc);
    return VIEW_CosGuard([&] { return static_cast<int32_t>(Leaves(cos).size()); });
}

PDFL_PDPage VIEW_PD::DocAcquirePage(PDFL_PDDoc doc, int32_t number) {
    const VCOS_DocId cos = CosDocId(doc);
    const VCOS_Obj dict = VIEW_CosGuard([&] {
        const std::vector<Leaf> leaves = Leaves(cos);
        RequireRange(leaves, number, "page");
        return leaves[static_cast<size_t>(number)].m_page;
    });
    return Acquire(doc, dict);
}

PDFL_PDPage VIEW_PD::DocCreatePage(PDFL_PDDoc doc, int32_t after, PDFL_FixedRect box) {
    const VCOS_DocId cos = CosDocId(doc);
    // The box comes as left, top, right, bottom; either reading of the
    // corners gives one normalised MediaBox.
    const double left = box.m_left / 65536.0, top = box.m_bottom / 65536.0;
    const double right = box.m_right / 65536.0, bottom = box.m_top / 65536.0;
    const VCOS_Obj page = VIEW_CosGuard([&] {
        const std::vector<Leaf> leaves = Leaves(cos);
        if (after != -1)
            RequireRange(leaves, after, "page");
        const VCOS_Obj dict = Store().NewDict(cos, true);
        Store().DictPut(dict, "Type", Store().NewName(cos, false, "Page"));
        const VCOS_Obj mediaBox = Store().NewArray(cos, false, 0);
        const double corners[4] = {std::min(left, right), std::min(top, bottom), std::max(left, right),
                                   std::max(top, bottom)};
        for (uint32_t i = 0; i < 4; ++i)
            Store().ArrayPut(mediaBox, i, NumberObject(cos, corners[i]));
        Store().DictPut(dict, "MediaBox", mediaBox);
        PutAfter(cos, dict, after == -1 ? nullptr : &leaves[static_cast<size_t>(after)]);
        return dict;
    });
    return Acquire(doc, page);
}

void VIEW_PD::DocDeletePages(PDFL_PDDoc doc, int32_t first, int32_t last) {
    const VCOS_DocId cos = CosDocId(doc);
    VIEW_CosGuard([&] {
        const std::vector<Leaf> before = Leaves(cos);
        RequireRange(before, first, "first page");
        RequireRange(before, last, "last page");
        for (int32_t i = last; i >= first; --i)
            TakeOut(before[static_cast<size_t>(i)]);
    });
}

void VIEW_PD::DocMovePage(PDFL_PDDoc doc, int32_t after, PDFL_PDPage page) {
    const VIEW_PDPageRecord record = PageRecord(page);
    if (record.m_doc != doc)
        throw VIEW_AssertionFailure("PDDocMovePage with a page of another document");
    const VCOS_DocId cos = CosDocId(doc);
    VIEW_CosGuard([&] {
        std::vector<Leaf> leaves = Leaves(cos);
        if (after != -1)
            RequireRange(leaves, after, "page");
        const int32_t index = IndexOf(leaves, record.m_dict);
        if (index < 0)
            BadTree("the page is no longer in its document");
        if (index == after)
            return;
        const VCOS_Obj anchorPage = after == -1 ? VCOS_NullObj : leaves[static_cast<size_t>(after)].m_page;
        TakeOut(leaves[static_cast<size_t>(index)]);
        // Places in "Kids" moved when the page came out: find the anchor anew.
        leaves = Leaves(cos);
        const int32_t anchor = after == -1 ? -1 : IndexOf(leaves, anchorPage);
        PutAfter(cos, record.m_dict, anchor < 0 ? nullptr : &leaves[static_cast<size_t>(anchor)]);
    });
}

int32_t VIEW_PD::PageGetNumber(PDFL_PDPage page) {
    const VIEW_PDPageRecord& record = PageRecord(page);
    const VCOS_DocId cos = CosDocId(record.m_doc);
    return VIEW_CosGuard([&] { return IndexOf(Leaves(cos), record.m_dict); });
}

void VIEW_PD::PageRelease(PDFL_PDPage page) {
    if (--PageRecord(page).m_acquires <= 0)
        VIEW_PDPages().Remove(page);
}

PDFL_PDDoc VIEW_PD::PageGetDoc(PDFL_PDPage page) { return PageRecord(page).m_doc; }

PDFL_CosObj VIEW_PD::PageGetCosObj(PDFL_PDPage page) { return VIEW_CosFromObj(PageRecord(page).m_dict); }

PDFL_PDRotate VIEW_PD::PageGetRotate(PDFL_PDPage page) {
    const VCOS_Obj dict = PageRecord(page).m_dict;
    return VIEW_CosGuard([&] { return PDFL_PDRotate(SpaceOf(dict).m_rotate); });
}

void VIEW_PD::PageSpaceBox(PDFL_PDPage page, double box[4]) {
    const VCOS_Obj dict = PageRecord(page).m_dict;
    const VDRW_PageSpace space = VIEW_CosGuard([&] { return SpaceOf(dict); });
    box[0] = space.m_originX;
    box[1] = space.m_originY;
    box[2] = space.m_originX + space.m_width;
    box[3] = space.m_originY + space.m_height;
}

size_t VIEW_PD::AcquiredPageCount() { return VIEW_PDPages().Size(); }
