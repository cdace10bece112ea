// The inline-image state, between BI and ID, named "Inline Image Object".
// ID builds the inline image from the dictionary entries collected since BI
// (CPDF_ContentParser::BuildInlineImage) and, once it stands, arms the
// skipping of what the client leaves unread of its data; EI returns to the
// page description. Every other known operator is illegal here.
#pragma once

#include "CPDF/content/iCPDF_CPStateBase.h"

class iCPDF_CPImageState : public iCPDF_CPStateBase {
public:
    const char* StateName() const override { return "Inline Image Object"; }

    bool Op_ID(CPDF_ContentParser& parser) const override;
    bool Op_EI(CPDF_ContentParser& parser) const override;
};
