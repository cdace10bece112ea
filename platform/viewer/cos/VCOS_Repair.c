/* MuPDF's rules hold here: nothing returns or jumps out of fz_try or
 * fz_always, locals changed inside fz_try and read after it are fz_var'd. */
#include "VCOS_Repair.h"

#include <mupdf/fitz.h>
#include <mupdf/pdf.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int g_faultSwitch;

void VCOS_SetRepairFaultSwitch(int on) { g_faultSwitch = on; }

static void SetMessage(VCOS_RepairResult* result, int code, const char* message) {
    result->m_code = code;
    snprintf(result->m_message, sizeof result->m_message, "%s", message ? message : "");
}

/* Never throws: MuPDF calls it while it unwinds. */
static void KeepWarning(void* user, const char* message) {
    VCOS_RepairResult* result = (VCOS_RepairResult*)user;
    if (result->m_warnings < VCOS_RepairKeptWarnings)
        snprintf(result->m_warning[result->m_warnings], sizeof result->m_warning[0], "%s",
                 message ? message : "");
    ++result->m_warnings;
}

void VCOS_FreeRepair(VCOS_RepairResult* result) {
    free(result->m_bytes);
    result->m_bytes = NULL;
    result->m_size = 0;
}

void VCOS_RepairPdf(const unsigned char* bytes, size_t size, VCOS_RepairResult* result) {
    fz_context* ctx = NULL;
    fz_stream* stream = NULL;
    pdf_document* document = NULL;
    fz_buffer* buffer = NULL;
    fz_output* output = NULL;
    int needsPassword = 0;
    memset(result, 0, sizeof *result);
    ctx = fz_new_context(NULL, NULL, FZ_STORE_DEFAULT);
    if (!ctx) {
        SetMessage(result, VCOS_RepairNoMemory, "cannot create a MuPDF context");
        return;
    }
    /* Errors reach the caller in the result; warnings are kept there. */
    fz_set_error_callback(ctx, NULL, NULL);
    fz_set_warning_callback(ctx, KeepWarning, result);
    fz_var(stream);
    fz_var(document);
    fz_var(buffer);
    fz_var(output);
    fz_var(needsPassword);
    fz_try(ctx) {
        pdf_write_options options = pdf_default_write_options;
        unsigned char* written = NULL;
        size_t length = 0;
        pdf_obj* root = NULL;
        stream = fz_open_memory(ctx, bytes, size);
        document = pdf_open_document_with_stream(ctx, stream);
        if (g_faultSwitch)
            fz_throw(ctx, FZ_ERROR_GENERIC, "forced MuPDF error");
        if (pdf_needs_password(ctx, document)) {
            needsPassword = 1;
            fz_throw(ctx, FZ_ERROR_GENERIC, "the document needs a password");
        }
        root = pdf_dict_get(ctx, pdf_trailer(ctx, document), PDF_NAME(Root));
        if (!pdf_is_dict(ctx, root))
            fz_throw(ctx, FZ_ERROR_GENERIC, "no document catalog found");
        /* Faithful: no garbage collection or renumbering, streams copied
         * as stored, the file identifier kept. */
        options.dont_regenerate_id = 1;
        buffer = fz_new_buffer(ctx, size + 1024);
        output = fz_new_output_with_buffer(ctx, buffer);
        pdf_write_document(ctx, document, output, &options);
        fz_close_output(ctx, output);
        length = fz_buffer_storage(ctx, buffer, &written);
        result->m_bytes = (unsigned char*)malloc(length ? length : 1);
        if (!result->m_bytes)
            fz_throw(ctx, FZ_ERROR_MEMORY, "cannot hold the rebuilt file");
        memcpy(result->m_bytes, written, length);
        result->m_size = length;
    }
    fz_always(ctx) {
        fz_drop_output(ctx, output);
        fz_drop_buffer(ctx, buffer);
        pdf_drop_document(ctx, document);
        fz_drop_stream(ctx, stream);
        fz_flush_warnings(ctx);
    }
    fz_catch(ctx) {
        const int code = needsPassword                      ? VCOS_RepairNeedsPassword
                         : fz_caught(ctx) == FZ_ERROR_MEMORY ? VCOS_RepairNoMemory
                                                             : VCOS_RepairFailed;
        SetMessage(result, code, fz_caught_message(ctx));
        VCOS_FreeRepair(result);
    }
    fz_drop_context(ctx);
}
