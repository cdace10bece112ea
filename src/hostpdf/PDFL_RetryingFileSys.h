// The retrying default file system: a copy of the host's default record
// whose open (word 1) and write (word 9) try again where a file is briefly
// out of reach (a virus scanner or a backup holding it).
//
// PDFL_ASGetDefaultFileSys (declared with the AcroSupport wrappers) builds
// the copy on its first call that finds a default record, in a block of
// the host's memory, and answers with it from then on. Without a block for
// the copy it answers with the host's own record and tries again next time.
#pragma once

#include "viewer/host_api.h"

// Word 1: the host's open, called up to 10 times; a Sleep(2000) follows
// every failed call, the last included. The last code.
PDFL_ErrorCode PDFL_RetryingOpen(PDFL_ASPathName path, uint16_t mode, PDFL_ASFile* file);
// Word 9: the host's write; a short write is continued at the right
// position (the copy's set-position) by up to 4 further attempts. The
// bytes that reached the file; 0 when the start position cannot be read.
uint32_t PDFL_RetryingWrite(void* buffer, uint32_t itemSize, uint32_t count, PDFL_ASFile file,
                            PDFL_ErrorCode* error);

// Frees the copy (slot 3) and forgets it, as a new load of the module would
// start; at Unload and in tests, after the buffered file system is forgotten.
void iPDFL_ForgetRetryingFileSys();
