#include "viewer/draw/VDRW_PageSpace.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "viewer/cos/VCOS_Error.h"

namespace {

[[noreturn]] void Fail(VCOS_ErrorKind kind, const std::string& text) {
    throw VCOS_Error(kind, "VDRW_PageSpaceReader: " + text);
}

bool IsNumber(const VCOS_Store& store, VCOS_Obj obj) {
    const VCOS_Type type = store.Type(obj);
    return type == VCOS_Type::Integer || type == VCOS_Type::Real;
}

bool IsAbsent(const VCOS_Store& store, VCOS_Obj obj) {
    return obj.IsNullHandle() || store.Type(obj) == VCOS_Type::Null;
}

// A box of four numbers, normalised; false for anything else.
bool ReadBox(const VCOS_Store& store, VCOS_Obj obj, VDRW_Box* box) {
    if (obj.IsNullHandle() || store.Type(obj) != VCOS_Type::Array || store.ArrayLength(obj) != 4)
        return false;
    double v[4];
    for (uint32_t i = 0; i < 4; ++i) {
        const VCOS_Obj item = store.ArrayGet(obj, i);
        if (!IsNumber(store, item) || !std::isfinite(store.NumberValue(item)))
            return false;
        v[i] = store.NumberValue(item);
    }
    *box = {std::min(v[0], v[2]), std::min(v[1], v[3]), std::max(v[0], v[2]), std::max(v[1], v[3])};
    return true;
}

// The inheritable entries met on the way down, nearest last.
struct Inherited {
    VCOS_Obj m_media, m_crop, m_rotate;

    void Take(const VCOS_Store& store, VCOS_Obj node) {
        for (auto [key, slot] : {std::pair<const char*, VCOS_Obj*>{"MediaBox", &m_media},
                                 {"CropBox", &m_crop},
                                 {"Rotate", &m_rotate}}) {
            const VCOS_Obj value = store.DictGet(node, key);
            if (!value.IsNullHandle())
                *slot = value;
        }
    }
};

class TreeWalk {
public:
    TreeWalk(const VCOS_Store& store, int target) : m_store(store), m_left(target) {}

    // True when the page was found below node (it is then in *page).
    bool Visit(VCOS_Obj node, Inherited inherited, int depth, VCOS_Obj* page, Inherited* found) {
        if (depth > VDRW_PageSpaceReader::MaxTreeDepth)
            Fail(VCOS_ErrorKind::BadObject, "the page tree is nested deeper than " +
                                                std::to_string(VDRW_PageSpaceReader::MaxTreeDepth) + " levels");
        if (m_store.Type(node) != VCOS_Type::Dict)
            Fail(VCOS_ErrorKind::BadObject, "a page tree node, " + VCOS_Describe(node) + ", is not a dictionary");
        if (m_store.IsIndirect(node) && !m_seen.insert(m_store.Number(node)).second)
            Fail(VCOS_ErrorKind::BadObject, "the page tree loops at object " + std::to_string(m_store.Number(node)));
        inherited.Take(m_store, node);
        if (depth > 0 && VDRW_PageSpaceReader::IsPage(m_store, node)) {
            if (m_left-- > 0)
                return false;
            *page = node;
            *found = inherited;
            return true;
        }
        // The root must hold kids.
        const VCOS_Obj kids = m_store.DictGet(node, "Kids");
        if (IsAbsent(m_store, kids))
            Fail(VCOS_ErrorKind::BadObject, "the page tree's root, " + VCOS_Describe(node) + ", has no Kids");
        if (m_store.Type(kids) != VCOS_Type::Array)
            Fail(VCOS_ErrorKind::BadObject, "the Kids of " + VCOS_Describe(node) + " are not an array");
        for (uint32_t i = 0, n = m_store.ArrayLength(kids); i < n; ++i)
            if (Visit(m_store.ArrayGet(kids, i), inherited, depth + 1, page, found))
                return true;
        return false;
    }

private:
    const VCOS_Store& m_store;
    int m_left;
    std::set<uint32_t> m_seen;
};

int ReadRotate(const VCOS_Store& store, VCOS_Obj value) {
    if (value.IsNullHandle() || !IsNumber(store, value))
        return 0;
    const double degrees = store.NumberValue(value);
    if (degrees != std::floor(degrees) || std::fabs(degrees) > 1e15)
        return 0;
    return VDRW_PageSpaceReader::NormalisedRotate(static_cast<int64_t>(degrees));
}

}  // namespace

bool VDRW_PageSpaceReader::IsPage(const VCOS_Store& store, VCOS_Obj node) {
    // /Type is often missing or wrong, so only Kids tells a node from a page.
    const VCOS_Obj kids = store.DictGet(node, "Kids");
    if (IsAbsent(store, kids))
        return true;
    if (store.Type(kids) == VCOS_Type::Array)
        return false;
    const VCOS_Obj type = store.DictGet(node, "Type");
    return !type.IsNullHandle() && store.Type(type) == VCOS_Type::Name && store.NameValue(type) == "Page";
}

int VDRW_PageSpaceReader::NormalisedRotate(int64_t degrees) {
    const int64_t turned = ((degrees % 360) + 360) % 360;
    return turned % 90 == 0 ? static_cast<int>(turned) : 0;
}

VDRW_Box VDRW_PageSpaceReader::PageBox(const VDRW_Box& media, const VDRW_Box* crop) {
    if (!crop)
        return media;
    const VDRW_Box both{std::max(media.m_left, crop->m_left), std::max(media.m_bottom, crop->m_bottom),
                        std::min(media.m_right, crop->m_right), std::min(media.m_top, crop->m_top)};
    return both.m_right > both.m_left && both.m_top > both.m_bottom ? both : media;
}

VDRW_PageSpace VDRW_PageSpaceReader::Read(const VCOS_Store& store, VCOS_DocId doc, int pageIndex) {
    const VCOS_Obj pages = store.DictGet(store.Root(doc), "Pages");
    if (pages.IsNullHandle())
        Fail(VCOS_ErrorKind::BadDocument, "Cos document " + std::to_string(doc) + " has no page tree");
    VDRW_PageSpace space;
    Inherited inherited;
    if (pageIndex < 0 || !TreeWalk(store, pageIndex).Visit(pages, Inherited(), 0, &space.m_page, &inherited))
        Fail(VCOS_ErrorKind::BadDocument, "Cos document " + std::to_string(doc) + " has no page " +
                                              std::to_string(pageIndex) + " (counting from 0)");
    return FromEntries(store, space.m_page, inherited.m_media, inherited.m_crop, inherited.m_rotate);
}

VDRW_PageSpace VDRW_PageSpaceReader::FromEntries(const VCOS_Store& store, VCOS_Obj page, VCOS_Obj mediaBox,
                                                 VCOS_Obj cropBox, VCOS_Obj rotate) {
    VDRW_Box media{0, 0, 612, 792};
    ReadBox(store, mediaBox, &media);
    VDRW_Box crop;
    const bool hasCrop = ReadBox(store, cropBox, &crop);
    const VDRW_Box box = PageBox(media, hasCrop ? &crop : nullptr);
    VDRW_PageSpace space;
    space.m_page = page;
    space.m_originX = box.m_left;
    space.m_originY = box.m_bottom;
    space.m_width = box.m_right - box.m_left;
    space.m_height = box.m_top - box.m_bottom;
    space.m_rotate = ReadRotate(store, rotate);
    return space;
}
