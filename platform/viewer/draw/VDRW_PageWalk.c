/* MuPDF's rules hold here: nothing returns or jumps out of fz_try or
 * fz_always, locals changed inside fz_try and read after it are fz_var'd. */
#include "VDRW_PageWalk.h"

#include <string.h>

/* Deeper than any page's resources: not told. */
enum { kMaxDepth = 256 };

typedef struct Walk {
    unsigned char* m_seen; /* object numbers reached */
    int m_count;
    VDRW_PageVisit m_visit;
    void* m_user;
} Walk;

/* Keys that lead to what the drawing of a page never reads. */
static int NotDrawn(fz_context* ctx, pdf_obj* key) {
    static const char* const kKeys[] = {"Parent", "P", "Annots", "ToUnicode", "Metadata", "Thumb", "B", "AA"};
    const char* name = pdf_to_name(ctx, key);
    for (size_t i = 0; i < sizeof kKeys / sizeof kKeys[0]; ++i)
        if (strcmp(name, kKeys[i]) == 0)
            return 1;
    return 0;
}

/* content: obj is a content stream or an array of them. */
static int Reaches(fz_context* ctx, pdf_document* doc, Walk* walk, pdf_obj* ref, int content, int depth) {
    pdf_obj* obj = ref;
    int num = 0;
    if (depth > kMaxDepth)
        return 1;
    if (pdf_is_indirect(ctx, ref)) {
        num = pdf_to_num(ctx, ref);
        if (num <= 0 || num >= walk->m_count || walk->m_seen[num])
            return 0;
        walk->m_seen[num] = 1;
        obj = pdf_resolve_indirect(ctx, ref);
    }
    if (walk->m_visit(ctx, doc, ref, obj, num, content, walk->m_user))
        return 1;
    /* What a stream's dictionary names is no content of its own. */
    if (pdf_is_stream(ctx, ref))
        content = 0;
    if (pdf_is_array(ctx, obj)) {
        for (int i = 0; i < pdf_array_len(ctx, obj); ++i)
            if (Reaches(ctx, doc, walk, pdf_array_get(ctx, obj, i), content, depth + 1))
                return 1;
    } else if (pdf_is_dict(ctx, obj)) {
        const int glyphs = pdf_name_eq(ctx, pdf_dict_get(ctx, obj, PDF_NAME(Subtype)), PDF_NAME(Type3));
        for (int i = 0; i < pdf_dict_len(ctx, obj); ++i) {
            pdf_obj* key = pdf_dict_get_key(ctx, obj, i);
            const int holdsContent = pdf_name_eq(ctx, key, PDF_NAME(Contents)) ||
                                     (glyphs && pdf_name_eq(ctx, key, PDF_NAME(CharProcs))) || content;
            if (!NotDrawn(ctx, key) && Reaches(ctx, doc, walk, pdf_dict_get_val(ctx, obj, i), holdsContent, depth + 1))
                return 1;
        }
    }
    return 0;
}

int VDRW_PageReaches(fz_context* ctx, pdf_document* doc, pdf_obj* page, VDRW_PageVisit visit, void* user) {
    Walk walk = {NULL, pdf_xref_len(ctx, doc), visit, user};
    int found = 1;
    fz_var(found);
    walk.m_seen = fz_calloc(ctx, walk.m_count > 0 ? walk.m_count : 1, 1);
    fz_try(ctx) {
        /* Resources a page inherits come through its Parent. */
        found = Reaches(ctx, doc, &walk, page, 0, 0) ||
                Reaches(ctx, doc, &walk, pdf_dict_get_inheritable(ctx, page, PDF_NAME(Resources)), 0, 0);
    }
    fz_always(ctx) {
        fz_free(ctx, walk.m_seen);
    }
    fz_catch(ctx) {
        found = 1;
    }
    return found;
}
