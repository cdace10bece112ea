// Flate data reach their last block's end whether or not the check after
// it is there; data cut inside a block, or not zlib data, do not. The
// separator's own decoder finishes exactly where the drawing's check says
// the data reach their end: the two judge one stream alike.
#include <gtest/gtest.h>

#include <string>

#include "FILT/FILT_FlateDecode.h"
#include "support/Deflated.h"
#include "support/FilterDriver.h"
#include "viewer/draw/VDRW_FlateEnd.h"

namespace {

std::string Pseudorandom(size_t size) {
    std::string text(size, '\0');
    uint32_t x = 12345;
    for (char& c : text) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    return text;
}

std::string Cut(std::string data, size_t bytes) {
    data.resize(data.size() - bytes);
    return data;
}

TEST(VDRW_FlateEnd, OnlyTheCheckMayBeMissing) {
    // Over 16 KB of output, so that the decoding loops.
    const std::string big = Deflated(Pseudorandom(70000));
    const std::string small = Deflated("1 g 0 0 612 396 re f 0.5 g 0 396 612 396 re f");
    // 0x78BB: a header whose check holds, asking for a preset dictionary.
    const std::string presetDictionary = "\x78\xbb" + small.substr(2);
    const struct {
        const char* name;
        std::string data;
        int reaches;
    } rows[] = {
        {"whole", small, 1},
        {"whole, many blocks", big, 1},
        {"without the check", Cut(small, 4), 1},
        {"without the check, many blocks", Cut(big, 4), 1},
        {"with one byte of the check", Cut(small, 3), 1},
        {"cut one byte into the last block", Cut(small, 5), 0},
        {"cut halfway", big.substr(0, big.size() / 2), 0},
        {"header alone", small.substr(0, 2), 0},
        {"nothing", "", 0},
        {"not zlib data", "plain text, not compressed", 0},
        {"a preset dictionary", presetDictionary, 0},
        {"a block type that does not exist", std::string("\x78\x9c\xff\xff\xff\xff", 6), 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(VDRW_FlateReachesLastBlock(reinterpret_cast<const unsigned char*>(row.data.data()), row.data.size()),
                  row.reaches);
        bool finished = true;
        try {
            FILT_FlateDecode decoder;
            std::string out;
            RunFilterInto(decoder, row.data, {{0}, {0}}, out);
        } catch (...) {  // the decoder's own error types
            finished = false;
        }
        EXPECT_EQ(finished, row.reaches == 1);
    }
}

}  // namespace
