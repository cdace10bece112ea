// Reading a whole GLOB_Stream in tests.
#pragma once

#include "GLOB/GLOB_Stream.h"

#include <string>

// Every byte the stream gives, up to the first read that gives none; the
// stream stays open. endOfData, when given, tells whether that last read
// marked the end of the data.
inline std::string ReadToEnd(GLOB_Stream& stream, bool* endOfData = nullptr) {
    std::string bytes;
    for (;;) {
        FILT_FilterBuffer* buffer = stream.Read();
        if (buffer->DataAvailable() == 0) {
            if (endOfData)
                *endOfData = buffer->IsEOD();
            return bytes;
        }
        bytes.append(reinterpret_cast<const char*>(buffer->GetPtr()), buffer->DataAvailable());
        buffer->AdvanceGetPtr(buffer->DataAvailable());
    }
}
