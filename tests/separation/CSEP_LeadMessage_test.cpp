#include "separation/CSEP_LeadMessage.h"

#include "separation/CSEP_DocProgressMeter.h"

#include <gtest/gtest.h>

namespace {

std::string Led(uint32_t code, const std::string& message, const std::string& construct) {
    GLIB_Exception e(code, message, __FILE__, __LINE__);
    CSEP_LeadMessage(e, construct);
    return e.What();
}

TEST(CSEP_LeadMessage, TheConstructLeadsTheCauseOnce) {
    EXPECT_EQ(Led(1128001, "Unsupported colorspace: ColorSpace: DeviceRGB", "image /Im0"),
              "image /Im0: Unsupported colorspace: ColorSpace: DeviceRGB");
    // After a source unit's name, which the log's reader looks for first.
    EXPECT_EQ(Led(1128001, "CSEP_DeviceCMYKConverter: the image's DCT data", "image /Im0"),
              "CSEP_DeviceCMYKConverter: image /Im0: the image's DCT data");
    // A nested resource of the same name is not named twice.
    EXPECT_EQ(Led(1128001, "image /Im0: cause", "image /Im0"), "image /Im0: cause");
    EXPECT_EQ(Led(1128001, "CSEP_X: image /Im0: cause", "image /Im0"), "CSEP_X: image /Im0: cause");
    // No construct, no lead; a word with an underscore after the colon is
    // not a unit's name.
    EXPECT_EQ(Led(1128001, "cause", ""), "cause");
    EXPECT_EQ(Led(1128001, "a cause: in_it", "ink Gold"), "ink Gold: a cause: in_it");
}

TEST(CSEP_LeadMessage, ACancelPassesUnchangedAnotherFailureOfItsCodeDoesNot) {
    EXPECT_EQ(Led(CSEP_DocProgressMeter::CancelCode, "Cancel requested", "image /Im0"), "Cancel requested");
    EXPECT_EQ(Led(CSEP_DocProgressMeter::CancelCode, "DeviceN colorspace has 1000 colorants", "colour space /CS0"),
              "colour space /CS0: DeviceN colorspace has 1000 colorants");
}

}  // namespace
