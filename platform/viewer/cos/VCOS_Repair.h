/* Rebuilding a damaged PDF file in memory with MuPDF, for the Cos reader
 * when qpdf refuses a file. MuPDF repairs what it opens (it scans the file
 * for objects when the cross-reference table or trailer is broken); the
 * repaired document is written back as a whole file with a classic
 * cross-reference table, object numbers and stream data as they were.
 * Every MuPDF call sits in VCOS_Repair.c, so no fz_try region is compiled
 * as C++. Not thread-safe. */
#ifndef VCOS_REPAIR_H
#define VCOS_REPAIR_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
    VCOS_RepairOk = 0,
    VCOS_RepairNoMemory = 1,     /* MuPDF or the copy ran out of memory */
    VCOS_RepairFailed = 2,       /* MuPDF found no document in the bytes */
    VCOS_RepairNeedsPassword = 3 /* the document is encrypted with a user password */
};

enum { VCOS_RepairKeptWarnings = 16 };

typedef struct VCOS_RepairResult {
    int m_code;
    char m_message[256];        /* MuPDF's reason when it failed, cut to fit */
    unsigned char* m_bytes;     /* the rebuilt file (malloc'd), null unless Ok */
    size_t m_size;
    int m_warnings;             /* how many warnings MuPDF gave */
    char m_warning[VCOS_RepairKeptWarnings][200]; /* the first of them, cut to fit */
} VCOS_RepairResult;

/* Fills *result; on failure nothing stays allocated. The bytes are read in
 * place, not copied. */
void VCOS_RepairPdf(const unsigned char* bytes, size_t size, VCOS_RepairResult* result);
/* Frees the rebuilt bytes; the result may be used again. */
void VCOS_FreeRepair(VCOS_RepairResult* result);

/* Test fault switch: while on, the repair fails inside its fz_try, after
 * the document was opened, with the message "forced MuPDF error". */
void VCOS_SetRepairFaultSwitch(int on);

#ifdef __cplusplus
}
#endif

#endif
