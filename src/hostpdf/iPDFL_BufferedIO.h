// Inside the buffered file system: its base record, and the reading and
// writing that share the two buffers.
#pragma once

#include "hostpdf/PDFL_BufferedFileSys.h"

// The base record the buffered system was installed over.
PDFL_ASFileSys iPDFL_BufferedBase();

template <class Proc>
Proc iPDFL_BaseWord(int word) {
    return reinterpret_cast<Proc>(iPDFL_BufferedBase()->m_procs[word - 1]);
}

// Writes the held bytes at their start (a base write that writes nothing
// stops it); then, in every case, the buffer is empty and starts at the
// current position. False when positioning or writing failed.
bool iPDFL_WriteOut(PDFL_BufferedFile& file, PDFL_ErrorCode* error);

// Words 8 and 9.
uint32_t PDFL_BufferedRead(void* destination, uint32_t itemSize, uint32_t count,
                           PDFL_ASFile file, PDFL_ErrorCode* error);
uint32_t PDFL_BufferedWrite(void* source, uint32_t itemSize, uint32_t count, PDFL_ASFile file,
                            PDFL_ErrorCode* error);
