// A stream's bytes read into memory, for data small enough to hold whole.
#pragma once

#include "GLOB/GLOB_Stream.h"

#include <cstdint>
#include <string>

namespace CSEP_StreamBytes {

// Up to limit bytes of data, which is closed after.
std::string Read(GLOB_Stream data, uint64_t limit);

}  // namespace CSEP_StreamBytes
