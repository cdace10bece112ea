#include "separation/CSEP_NullConverter.h"

#include "GLIB/GLIB_Exception.h"

namespace {

[[noreturn]] void Refuse() {
    throw GLIB_Exception(CSEP_UnsupportedCode, "Illegal method called on a CSEP_NullConverter.", __FILE__, __LINE__);
}

}  // namespace

void CSEP_NullConverter::ConvertColor(const CPDF_Color&, CPDF_Color&) { Refuse(); }

void CSEP_NullConverter::ConvertImage(const GLOB_Object&, std::vector<GLOB_Object>&) { Refuse(); }

void CSEP_NullConverter::ConvertIndexed(const CPDF_IndexedColorSpace&, std::vector<GLOB_Object>&) { Refuse(); }

void CSEP_NullConverter::ConvertShading(const GLOB_Object&, std::vector<GLOB_Object>&) { Refuse(); }
