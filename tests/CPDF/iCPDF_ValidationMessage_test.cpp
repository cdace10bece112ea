#include "CPDF/iCPDF_ValidationMessage.h"

#include "CPDF/CPDF_TestUtil.h"

#include <gtest/gtest.h>

TEST(iCPDF_ValidationMessage, LeavesExactlyItsOwnLines) {
    const struct {
        std::vector<std::string> messages;
        const char* text;
    } cases[] = {
        {{}, ""},
        {{"one"}, "one\n"},
        {{"one", "two"}, "one\ntwo\n"},
        {{""}, "\n"},  // begun but left empty: still a problem
        {{"nested\n"}, "nested\n\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string sink = "what the caller held before";
        bool valid = false;
        {
            iCPDF_ValidationMessage collector(&sink);
            for (const std::string& m : c.messages)
                collector.Stream() << m;
            valid = collector.IsValid();
            EXPECT_EQ(sink, "what the caller held before");  // delivered only at the flush
        }
        EXPECT_EQ(valid, c.messages.empty());
        EXPECT_EQ(sink, c.text);
        iCPDF_ValidationMessage discarding(nullptr);
        for (const std::string& m : c.messages)
            discarding.Stream() << m;
        EXPECT_EQ(discarding.IsValid(), c.messages.empty());
    }
}

TEST(iCPDF_ValidationMessage, ASecondFlushKeepsTheFirstText) {
    std::string sink;
    {
        iCPDF_ValidationMessage collector(&sink);
        collector.Stream() << "first";
        collector.Flush();
        collector.Stream() << "after the flush";
        EXPECT_FALSE(collector.IsValid());
    }
    EXPECT_EQ(sink, "first\n");
}

TEST(CPDF_Exception, ValidatorLinesBecomeTheMessageOfTheFamily) {
    EXPECT_EQ(Thrown([] { CPDF_THROW_INVALID(CPDF_InvalidFunctionCode, "a\nb\n"); }), "1128007 a\nb\n");
    try {
        CPDF_THROW_INVALID(CPDF_InvalidColorCode, "x\n");
    } catch (const CPDF_Exception& e) {
        EXPECT_NE(std::string(e.File()).find("iCPDF_ValidationMessage_test.cpp"), std::string::npos);
    }
}
