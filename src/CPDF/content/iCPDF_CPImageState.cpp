#include "CPDF/content/iCPDF_CPImageState.h"

#include "CPDF/content/CPDF_ContentParser.h"

bool iCPDF_CPImageState::Op_ID(CPDF_ContentParser& parser) const {
    // Armed only over an image that was built: skipping the data of a
    // refused dictionary would read with parameters that do not stand.
    if (!parser.BuildInlineImage())
        return false;
    parser.SetPostProcess(&CPDF_ContentParser::SkipInlineImageData);
    return true;
}

bool iCPDF_CPImageState::Op_EI(CPDF_ContentParser& parser) const {
    parser.ChangeState(PageState());
    return true;
}
