#include "CPDF/CPDF_Exception.h"

void CPDF_ThrowInvalid(uint32_t code, const std::string& lines, const char* file, int32_t line) {
    throw CPDF_Exception(code, lines, file, line);
}
