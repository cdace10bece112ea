#include "VDRW_StreamMend.h"

#include <stdlib.h>
#include <string.h>
#include <zlib.h>

#include "VDRW_UnreadableTokens.h"

/* The stretches to blank, in the order the walk finds them (rising). */
typedef struct Stretches {
    int64_t* m_bounds; /* from, to pairs */
    size_t m_count, m_capacity;
    int m_failed;
    int64_t m_read; /* bytes the walk read */
} Stretches;

/* Plain malloc: the walk's fz_try must not meet this allocation's throw. */
static int Note(void* user, int64_t from, int64_t to, int drops) {
    Stretches* s = (Stretches*)user;
    (void)drops;
    if (to <= from)
        return 0;
    if (s->m_count == s->m_capacity) {
        const size_t capacity = s->m_capacity ? s->m_capacity * 2 : 16;
        int64_t* bounds = (int64_t*)realloc(s->m_bounds, capacity * 2 * sizeof(int64_t));
        if (!bounds) {
            s->m_failed = 1;
            return 1;
        }
        s->m_bounds = bounds;
        s->m_capacity = capacity;
    }
    s->m_bounds[2 * s->m_count] = from;
    s->m_bounds[2 * s->m_count + 1] = to;
    ++s->m_count;
    return 0;
}

/* 1 when the walk read the stream to its end; the stretches in s. */
static int Walk(fz_context* ctx, pdf_obj* stream, Stretches* s) {
    fz_stream* stm = NULL;
    pdf_lexbuf buf;
    int read = 0;
    pdf_lexbuf_init(ctx, &buf, PDF_LEXBUF_SMALL);
    fz_var(stm);
    fz_var(read);
    fz_try(ctx) {
        stm = pdf_open_stream(ctx, stream);
        VDRW_WalkUnreadable(ctx, stm, &buf, Note, s);
        s->m_read = fz_tell(ctx, stm);
        read = !s->m_failed;
    }
    fz_always(ctx) {
        fz_drop_stream(ctx, stm);
        pdf_lexbuf_fin(ctx, &buf);
    }
    fz_catch(ctx) {
        read = 0;
    }
    return read;
}

/* Blanks the stretches that reach into chunk, which starts at at. */
static void BlankChunk(const Stretches* s, size_t* next, unsigned char* chunk, int64_t at, size_t n) {
    const int64_t end = at + (int64_t)n;
    while (*next < s->m_count && s->m_bounds[2 * *next + 1] <= at)
        ++*next;
    for (size_t i = *next; i < s->m_count && s->m_bounds[2 * i] < end; ++i) {
        const int64_t from = s->m_bounds[2 * i] > at ? s->m_bounds[2 * i] : at;
        const int64_t to = s->m_bounds[2 * i + 1] < end ? s->m_bounds[2 * i + 1] : end;
        memset(chunk + (from - at), ' ', (size_t)(to - from));
    }
}

enum { kChunk = 1 << 16 };

/* Up to this size a mended stream is kept as read, which the drawing reads
 * without inflating it again; beyond it, deflated. */
#define kKeptPlain ((int64_t)16 << 20)

static void Deflate(fz_context* ctx, z_stream* z, fz_buffer* out, unsigned char* room, int flush) {
    int rc;
    do {
        z->next_out = room;
        z->avail_out = kChunk;
        rc = deflate(z, flush);
        if (rc == Z_STREAM_ERROR)
            fz_throw(ctx, FZ_ERROR_GENERIC, "cannot compress a mended content stream");
        fz_append_data(ctx, out, room, kChunk - z->avail_out);
    } while (z->avail_out == 0 || (flush == Z_FINISH && rc != Z_STREAM_END));
}

/* The stream read again, blanked, and deflated when packed. */
static fz_buffer* Rewrite(fz_context* ctx, pdf_obj* stream, const Stretches* s, int packed) {
    fz_stream* stm = NULL;
    fz_buffer* out = NULL;
    unsigned char* chunk = NULL;
    unsigned char* room = NULL;
    z_stream z;
    memset(&z, 0, sizeof z);
    if (packed && deflateInit(&z, Z_BEST_SPEED) != Z_OK)
        fz_throw(ctx, FZ_ERROR_GENERIC, "cannot compress a mended content stream");
    fz_var(stm);
    fz_var(out);
    fz_var(chunk);
    fz_var(room);
    fz_try(ctx) {
        chunk = fz_malloc(ctx, kChunk);
        room = fz_malloc(ctx, kChunk);
        out = fz_new_buffer(ctx, packed ? kChunk : (size_t)s->m_read + 1);
        stm = pdf_open_stream(ctx, stream);
        int64_t at = 0;
        size_t next = 0;
        for (;;) {
            const size_t n = fz_read(ctx, stm, chunk, kChunk);
            if (n == 0)
                break;
            BlankChunk(s, &next, chunk, at, n);
            at += (int64_t)n;
            if (!packed) {
                fz_append_data(ctx, out, chunk, n);
                continue;
            }
            z.next_in = chunk;
            z.avail_in = (uInt)n;
            Deflate(ctx, &z, out, room, Z_NO_FLUSH);
        }
        if (packed) {
            z.next_in = NULL;
            z.avail_in = 0;
            Deflate(ctx, &z, out, room, Z_FINISH);
        }
        fz_trim_buffer(ctx, out);
    }
    fz_always(ctx) {
        if (packed)
            deflateEnd(&z);
        fz_drop_stream(ctx, stm);
        fz_free(ctx, chunk);
        fz_free(ctx, room);
    }
    fz_catch(ctx) {
        fz_drop_buffer(ctx, out);
        fz_rethrow(ctx);
    }
    return out;
}

int VDRW_MendStreamThrough(fz_context* ctx, pdf_document* doc, pdf_obj* stream) {
    Stretches s;
    fz_buffer* out = NULL;
    memset(&s, 0, sizeof s);
    if (!Walk(ctx, stream, &s)) {
        free(s.m_bounds);
        return 0;
    }
    if (s.m_count == 0) {
        free(s.m_bounds);
        return 1;
    }
    fz_var(out);
    fz_try(ctx) {
        const int packed = s.m_read > kKeptPlain;
        out = Rewrite(ctx, stream, &s, packed);
        pdf_update_stream(ctx, doc, stream, out, packed);
        if (packed) {
            pdf_dict_put(ctx, stream, PDF_NAME(Filter), PDF_NAME(FlateDecode));
            pdf_dict_del(ctx, stream, PDF_NAME(DecodeParms));
        }
    }
    fz_always(ctx) {
        fz_drop_buffer(ctx, out);
        free(s.m_bounds);
    }
    fz_catch(ctx) {
        fz_rethrow(ctx);
    }
    return 1;
}
