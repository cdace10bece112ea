#include "CPDF/iCPDF_OperatorLookupTable.h"

#include "GLIB/GLIB_MessageStream.h"

#include <cstring>

int iCPDF_OperatorLookup::CompareNames(const char* a, const char* b) {
    const int c = std::strcmp(a, b);
    return (c > 0) - (c < 0);
}

void iCPDF_OperatorLookup::ReportMisplacedRow(int32_t code, int32_t i) {
    GLIB_MessageStream ms;
    ms << "opToString[ i ].m_op==i :: " << code << "==" << i;
    ms.Assert(__FILE__, __LINE__);
}
