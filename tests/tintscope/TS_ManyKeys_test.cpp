// Pages whose dictionaries hold thousands of keys: an unused /Properties
// dictionary in the resources, and one-pixel inline images, each of which
// becomes a named image in every ink's resources. The Cos store's
// dictionary steps above a near-empty page's grow with the keys, not with
// their square.
#include "TS_ProgramFixture.h"
#include "viewer/cos/VCOS_DictEntries.h"

#include <string>

namespace {

std::string Properties(int count) {
    std::string properties;
    for (int i = 0; i < count; ++i)
        properties += "/P" + std::to_string(i) + " << /MCID " + std::to_string(i) + " >> ";
    return TS_OnePage("/Properties << " + properties + ">>", "0 0 0 1 k 10 10 80 80 re f");
}

std::string InlineImages(int count) { return TS_OnePage("", TS_OnePixelImages(count, 100)); }

TEST_F(TS_ProgramTest, ManyKeysCostDictionaryStepsInProportionToTheirCount) {
    const struct {
        const char* what;
        std::string (*page)(int);
        int small;
    } shapes[] = {
        {"an unused /Properties dictionary", Properties, 4000},
        {"one-pixel inline images", InlineImages, 400},
    };
    for (const auto& shape : shapes) {
        SCOPED_TRACE(shape.what);
        const auto stepsFor = [&](int n) {
            const std::string file = WriteFile("keys.pdf", shape.page(n));
            const uint64_t before = VCOS_DictEntries::Steps();
            const TS_Run run = Run(WithOut({file, "--dpi", "150"}));
            EXPECT_EQ(run.m_code, 0) << run.m_err;
            return static_cast<double>(VCOS_DictEntries::Steps() - before);
        };
        const double base = stepsFor(10);
        const double small = stepsFor(shape.small) - base;
        const double large = stepsFor(2 * shape.small) - base;
        ASSERT_GT(small, 0);
        EXPECT_LE(large, 2.5 * small) << small << " steps above the near-empty page for " << shape.small << ", "
                                      << large << " for twice as many";
    }
}

}  // namespace
