// Pages whose dictionaries hold thousands of keys: an unused /Properties
// dictionary in the resources, and one-pixel inline images, each of which
// becomes an image of the output document; and the unused dictionary with
// keys that all share one std::hash value. The inline images take no name
// of the host's table, which holds 65,535. The Cos store's dictionary
// steps above a near-empty page's, keys compared inside its index included,
// grow with the keys, not with their square.
#include "TS_ProgramFixture.h"
#include "viewer/VIEW_Atoms.h"
#include "viewer/cos/VCOS_DictEntries.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

namespace {

std::string Properties(int count) {
    std::string properties;
    for (int i = 0; i < count; ++i)
        properties += "/P" + std::to_string(i) + " << /MCID " + std::to_string(i) + " >> ";
    return TS_OnePage("/Properties << " + properties + ">>", "0 0 0 1 k 10 10 80 80 re f");
}

// 16-byte keys whose std::hash values are all equal. libstdc++ hashes a
// string with MurmurHash64A's word mix under a fixed seed; each key's first
// word is its number, and its second word, the mix inverted, brings every
// key to the same state.
std::vector<std::string> CollidingKeys(int count) {
    constexpr uint64_t mul = 0xc6a4a7935bd1e995ULL;
    uint64_t inverse = mul;
    for (int i = 0; i < 5; ++i)
        inverse *= 2 - mul * inverse;
    const auto shiftMix = [](uint64_t v) { return v ^ (v >> 47); };
    std::vector<std::string> keys;
    for (int n = 0; static_cast<int>(keys.size()) < count; ++n) {
        char first[9];
        std::snprintf(first, sizeof first, "P%07u", static_cast<unsigned>(n) % 10000000u);
        uint64_t word = 0;
        std::memcpy(&word, first, 8);
        const uint64_t state = ((0xc70f6907ULL ^ (16 * mul)) ^ (shiftMix(word * mul) * mul)) * mul;
        const uint64_t second = shiftMix(state * inverse) * inverse;
        std::string key(first, 8);
        key.append(reinterpret_cast<const char*>(&second), 8);
        // PDF names hold no NUL byte.
        if (key.find('\0') == std::string::npos)
            keys.push_back(key);
    }
    return keys;
}

std::string CollidingProperties(int count) {
    std::string properties;
    int mcid = 0;
    for (const std::string& key : CollidingKeys(count)) {
        properties += '/';
        for (const unsigned char c : key) {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "#%02X", c);
            properties += escaped;
        }
        properties += " << /MCID " + std::to_string(mcid++) + " >> ";
    }
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
        {"an unused /Properties dictionary of keys sharing one std::hash value", CollidingProperties, 4000},
    };
    const std::vector<std::string> colliding = CollidingKeys(100);
    for (const std::string& key : colliding)
        ASSERT_EQ(std::hash<std::string>()(key), std::hash<std::string>()(colliding[0]));
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

TEST_F(TS_ProgramTest, InlineImagesTakeNoNameOfTheHostsTable) {
    // Each shape more images than the one before, for names once given stay.
    const struct {
        const char* what;
        int count;
        const char* images;  // at one point of the page
    } shapes[] = {
        {"grey", 2000, "BI /W 1 /H 1 /CS /G /BPC 8 ID \x80 EI"},
        {"CMYK, sliced for each ink", 2500, "BI /W 1 /H 1 /CS /CMYK /BPC 8 ID \x10\x20\x30\x40 EI"},
        {"a stencil mask and a hex-encoded grey", 1500,
         "BI /W 1 /H 1 /IM true ID \x80 EI BI /W 1 /H 1 /CS /G /BPC 8 /F /AHx ID 80> EI"},
    };
    for (const auto& shape : shapes) {
        SCOPED_TRACE(shape.what);
        const auto namesFor = [&](int count) {
            std::string content = "0 0 1 0 k ";
            for (int i = 0; i < count; ++i)
                content += "q 1 0 0 1 " + std::to_string(i % 100) + " " + std::to_string(i / 100) + " cm " +
                           shape.images + " Q\n";
            const std::string file = WriteFile("names.pdf", TS_OnePage("", content));
            const unsigned before = VIEW_Atoms::Count();
            const TS_Run run = Run(WithOut({file, "--dpi", "150"}));
            EXPECT_EQ(run.m_code, 0) << run.m_err;
            return VIEW_Atoms::Count() - before;
        };
        namesFor(10);
        // A page of more images may add only what the first did not need.
        EXPECT_LE(namesFor(shape.count), 5u);
    }
}

}  // namespace
