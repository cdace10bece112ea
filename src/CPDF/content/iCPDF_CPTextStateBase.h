// The base of the two object states in which the same operators are legal:
// the page description and the text object. It will hold the handlers of
// the general graphics-state, colour, text-state and marked-content
// operators; until then they fall to iCPDF_CPStateBase's illegal-operator
// report.
#pragma once

#include "CPDF/content/iCPDF_CPStateBase.h"

class iCPDF_CPTextStateBase : public iCPDF_CPStateBase {
protected:
    iCPDF_CPTextStateBase() = default;
};
