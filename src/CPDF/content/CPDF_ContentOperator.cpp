#include "CPDF/content/CPDF_ContentOperator.h"

#define CPDF_CONTENT_OPERATOR_ROW(code, text, id, legal) {code, text, legal},
const CPDF_ContentOperator CPDF_ContentOperator::Declared[NumCodes] = {
    CPDF_CONTENT_OPERATORS(CPDF_CONTENT_OPERATOR_ROW)};
#undef CPDF_CONTENT_OPERATOR_ROW
