#include "CPDF/document/CPDF_Doc.h"

#include "CPDF/document/CPDF_NumberTree.h"
#include "GLIB/GLIB_StringUtil.h"

#include <cinttypes>
#include <limits>
#include <string>

namespace {

// What a label dictionary says, each entry taken only of its own kind.
struct LabelStyle {
    explicit LabelStyle(const GLOB_Object& range) {
        const GLOB_Object style = range.DictGet(GLOB_Name("S"));
        if (style.IsName() && !style.AsName().IsEmpty()) {
            m_hasStyle = true;
            m_style = style.AsName().CStr();
        }
        const GLOB_Object prefix = range.DictGet(GLOB_Name("P"));
        if (prefix.IsString())
            m_prefix = prefix.AsString().AsStdString();
        else if (prefix.IsName() && !prefix.AsName().IsEmpty())
            m_prefix = prefix.AsName().CStr();
        const GLOB_Object start = range.DictGet(GLOB_Name("St"));
        if (start.IsInteger())
            m_start = start.AsInteger();
    }

    bool m_hasStyle = false;
    std::string m_style;
    std::string m_prefix;
    int64_t m_start = 1;
};

// Roman and letter labels have no form for numbers beyond 32 bits.
int32_t Narrowed(int64_t n) {
    const bool fits = n >= std::numeric_limits<int32_t>::min() && n <= std::numeric_limits<int32_t>::max();
    return fits ? static_cast<int32_t>(n) : 0;
}

void WriteNumber(const std::string& style, int64_t n, char* buffer, size_t size) {
    if (style == "R" || style == "r") {
        GLIB_FormatRoman(Narrowed(n), buffer, size);
    } else if (style == "A" || style == "a") {
        GLIB_FormatAlpha(Narrowed(n), buffer, size);
    } else {
        GLIB_Sprintf(buffer, size, "%" PRId64, n);
        return;
    }
    if (style == "r" || style == "a")
        GLIB_StrToLower(buffer);
}

}  // namespace

void CPDF_Doc::PageLabel(uint32_t index, char* buffer, uint32_t size) const {
    if (size == 0)
        return;
    buffer[0] = '\0';
    const int count = NumPages();
    if (count <= 0 || index >= static_cast<uint32_t>(count))
        return;
    GLOB_Object labels;
    int first = 0;
    GLOB_Object range;
    if (!CatalogKnown("PageLabels", &labels) ||
        !CPDF_NumberTree(labels).Lookup(labels, static_cast<int>(index), &first, &range, CPDF_NumberTree::Floor) ||
        !range.IsDict()) {
        GLIB_Sprintf(buffer, size, "%d", static_cast<int>(index) + 1);
        return;
    }

    const LabelStyle label(range);
    char* position = buffer;
    size_t left = size;
    if (!label.m_prefix.empty()) {
        const int written = GLIB_Sprintf(position, left, "%s", label.m_prefix.c_str());
        // Cut to the buffer: no room is left for the number.
        if (written < 0)
            return;
        position += written;
        left -= static_cast<size_t>(written);
    }
    if (label.m_hasStyle)
        WriteNumber(label.m_style, label.m_start + (static_cast<int64_t>(index) - first), position, left);
}
