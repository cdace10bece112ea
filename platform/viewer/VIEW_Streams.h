// Host streams (AcroSupport slots 42 to 45): one object with two sources.
// - A procedure stream (slot 42) reads through the plug-in's procedure with
//   a buffer of ProcedureBufferSize bytes, which it fills whenever it is
//   drained; a result of 0 or less ends the stream. Each result is kept
//   (ProcedureResults).
// - A memory stream reads the bytes it was made over, or collects what is
//   written to it (Collected), at most a set number of bytes a call when a
//   test limits it.
// Reading a collecting stream or writing a reading one is a misuse of the
// interface (VIEW_AssertionFailure), as is a handle not open. Slot 43 and 44
// count items of the given size; a part item is not counted.
#pragma once

#include "viewer/host_api.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class VIEW_Streams {
public:
    static constexpr uint32_t ProcedureBufferSize = 4096;

    static PDFL_ASStm OpenProcedure(PDFL_StmProc read, void* clientData);    // slot 42
    static uint32_t Read(char* buffer, uint32_t itemSize, uint32_t count, PDFL_ASStm stm);
    static uint32_t Write(const char* buffer, uint32_t itemSize, uint32_t count, PDFL_ASStm stm);
    static void Close(PDFL_ASStm stm);                                       // slot 45

    static PDFL_ASStm OpenMemory(std::string bytes);
    static PDFL_ASStm OpenCollecting();
    static std::string Collected(PDFL_ASStm stm);
    // Each later write of stm writes at most maxBytes bytes.
    static void LimitWrites(PDFL_ASStm stm, uint32_t maxBytes);
    static std::vector<int32_t> ProcedureResults(PDFL_ASStm stm);

    static size_t OpenCount();
    static void Reset();  // forgets every stream
};
