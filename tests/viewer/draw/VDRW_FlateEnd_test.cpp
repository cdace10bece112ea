// Flate data reach their last block's end whether or not the check after
// it is there; data cut inside a block, or not zlib data, do not. The
// separator's own decoder says its data whole exactly where the drawing's
// check says they reach their end: the two judge one stream alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FILT/FILT_FlateDecode.h"
#include "GLIB/GLIB_Exception.h"
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
        // Given piece by piece, as a stream is read: the same verdict.
        for (size_t piece : {size_t{1}, size_t{7}, size_t{5000}}) {
            SCOPED_TRACE(piece);
            VDRW_FlateJudge* judge = VDRW_NewFlateJudge();
            ASSERT_NE(judge, nullptr);
            int verdict = -1;
            for (size_t at = 0; verdict < 0; at += piece) {
                const size_t size = std::min(piece, row.data.size() - std::min(at, row.data.size()));
                verdict = VDRW_FeedFlateJudge(judge, reinterpret_cast<const unsigned char*>(row.data.data()) + at,
                                              size, at + size >= row.data.size());
            }
            VDRW_DropFlateJudge(judge);
            EXPECT_EQ(verdict, row.reaches);
        }
        // The separator's decoder gives what cut data hold and says the
        // cut; data that are not Flate fail.
        bool whole = true;
        try {
            FILT_FlateDecode decoder;
            std::string out;
            RunFilterInto(decoder, row.data, {{0}, {0}}, out);
            whole = decoder.Loss() == nullptr;
        } catch (...) {  // the decoder's own error types
            whole = false;
        }
        EXPECT_EQ(whole, row.reaches == 1);
    }
}


// plain as one zlib stream of the given level and strategy.
std::string DeflatedAs(const std::string& plain, int level, int strategy) {
    z_stream zip{};
    deflateInit2(&zip, level, Z_DEFLATED, 15, 8, strategy);
    std::string out(deflateBound(&zip, static_cast<uLong>(plain.size())), '\0');
    zip.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
    zip.avail_in = static_cast<uInt>(plain.size());
    zip.next_out = reinterpret_cast<Bytef*>(&out[0]);
    zip.avail_out = static_cast<uInt>(out.size());
    deflate(&zip, Z_FINISH);
    out.resize(out.size() - zip.avail_out);
    deflateEnd(&zip);
    return out;
}

// How many bytes inflate, stepped block by block, must be given before it
// has read the last block's header, begun its coded data or its stored
// bytes, and decoded its end; 0 for a place never reached.
struct Places {
    size_t lastHeader = 0, codedData = 0, storedBytes = 0, lastEnd = 0;
};

Places PlacesOf(const std::string& data) {
    Places at;
    z_stream z{};
    inflateInit(&z);
    Bytef out[4096];
    for (size_t k = 1; k <= data.size() && !at.lastEnd; ++k) {
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(&data[k - 1]));
        z.avail_in = 1;
        int rc = Z_OK;
        while (rc == Z_OK && !at.lastEnd) {
            z.next_out = out;
            z.avail_out = sizeof out;
            rc = inflate(&z, Z_BLOCK);
            const long mark = inflateMark(&z);
            if ((z.data_type & 64) && !at.lastHeader)
                at.lastHeader = k;
            // Inside a block's codes the upper half of the mark is not -1;
            // copying stored bytes it is, with the length left below.
            if (at.lastHeader && !at.codedData && (mark >> 16) != -1)
                at.codedData = k;
            if (at.lastHeader && !at.storedBytes && (mark >> 16) == -1 && (mark & 0xffff) != 0)
                at.storedBytes = k;
            if ((z.data_type & 192) == 192)
                at.lastEnd = k;
            if (z.avail_in == 0 && z.avail_out != 0)
                break;
        }
    }
    inflateEnd(&z);
    return at;
}

// Cuts anywhere before the last block's end, also where zlib has read that
// the block is the last, leave data cut; data lacking part or all of their
// check, or with a wrong one, give all they hold. zlib's deflate writes the
// check as the stream's last 4 bytes: data whole up to there are whole.
// Each row goes through the separator's decoder and the drawing's check.
TEST(VDRW_FlateEnd, CutOnlyBeforeTheLastBlocksEnd) {
    std::string text;
    for (int i = 0; i < 400; ++i)
        text += std::to_string(i * 37 % 500) + " " + std::to_string(i * 53 % 700) + " 4 4 re f " +
                (i % 7 ? "0 0 0 1 k " : "0 1 0 0 k ");
    const std::string dynamic = DeflatedAs(text, Z_DEFAULT_COMPRESSION, Z_DEFAULT_STRATEGY);
    const std::string fixed = DeflatedAs(text, Z_DEFAULT_COMPRESSION, Z_FIXED);
    const std::string stored = DeflatedAs(text.substr(0, 3000), 0, Z_DEFAULT_STRATEGY);
    const Places d = PlacesOf(dynamic), f = PlacesOf(fixed), s = PlacesOf(stored);
    // The data are of the block kinds asked for, one last block each, and
    // the two halves of zlib agree on where it ends.
    ASSERT_EQ(d.lastHeader, 3u);
    ASSERT_GE(d.codedData, d.lastHeader + 8);
    ASSERT_LE(f.codedData, f.lastHeader + 1);
    ASSERT_EQ(s.storedBytes, s.lastHeader + 4);
    ASSERT_EQ(d.lastEnd, dynamic.size() - 4);
    ASSERT_EQ(f.lastEnd, fixed.size() - 4);
    ASSERT_EQ(s.lastEnd, stored.size() - 4);
    std::string dynamicWrongCheck = dynamic, storedWrongCheck = stored;
    dynamicWrongCheck[dynamic.size() - 4] ^= 0x01;
    storedWrongCheck[stored.size() - 1] ^= 0x80;
    const struct {
        const char* name;
        std::string whole;  // the data the row is taken from
        std::string data;
        std::string plain;
    } rows[] = {
        {"dynamic: in the last block's header", dynamic, dynamic.substr(0, d.lastHeader), text},
        {"dynamic: in its code tables", dynamic, dynamic.substr(0, (d.lastHeader + d.codedData) / 2), text},
        {"dynamic: at the tables' end", dynamic, dynamic.substr(0, d.codedData - 1), text},
        {"dynamic: in its coded data", dynamic, dynamic.substr(0, (d.codedData + d.lastEnd) / 2), text},
        {"dynamic: one byte short of its end", dynamic, dynamic.substr(0, d.lastEnd - 1), text},
        {"fixed: in its coded data", fixed, fixed.substr(0, (f.codedData + f.lastEnd) / 2), text},
        {"fixed: one byte short of its end", fixed, fixed.substr(0, f.lastEnd - 1), text},
        {"stored: in the last block's length", stored, stored.substr(0, s.lastHeader + 2), text.substr(0, 3000)},
        {"stored: in its bytes", stored, stored.substr(0, (s.storedBytes + s.lastEnd) / 2), text.substr(0, 3000)},
        {"stored: one byte short of its end", stored, stored.substr(0, s.lastEnd - 1), text.substr(0, 3000)},
        {"dynamic: whole", dynamic, dynamic, text},
        {"dynamic: lacking 1 byte of the check", dynamic, dynamic.substr(0, dynamic.size() - 1), text},
        {"dynamic: lacking 2 bytes of the check", dynamic, dynamic.substr(0, dynamic.size() - 2), text},
        {"dynamic: lacking 3 bytes of the check", dynamic, dynamic.substr(0, dynamic.size() - 3), text},
        {"dynamic: lacking the check", dynamic, dynamic.substr(0, dynamic.size() - 4), text},
        {"fixed: lacking 1 byte of the check", fixed, fixed.substr(0, fixed.size() - 1), text},
        {"stored: lacking the check", stored, stored.substr(0, stored.size() - 4), text.substr(0, 3000)},
        {"dynamic: whole with a wrong check", dynamic, dynamicWrongCheck, text},
        {"stored: whole with a wrong check", stored, storedWrongCheck, text.substr(0, 3000)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const bool wrongCheck = row.data.size() == row.whole.size() && row.data != row.whole;
        const bool whole = row.data.size() >= row.whole.size() - 4 || wrongCheck;
        EXPECT_EQ(VDRW_FlateReachesLastBlock(reinterpret_cast<const unsigned char*>(row.data.data()), row.data.size()),
                  whole ? 1 : 0);
        for (const Chunking& chunking : std::vector<Chunking>{{{0}, {0}}, {{1}, {1}}, {{7, 3, 13}, {5, 11, 2}}}) {
            SCOPED_TRACE(chunking.Name());
            FILT_FlateDecode decoder;
            std::string out;
            const char* loss = "";
            try {
                RunFilterInto(decoder, row.data, chunking, out);
                loss = decoder.Loss();
            } catch (const GLIB_Exception&) {
                ADD_FAILURE() << "cut data are given as far as they go";
            }
            const std::string said = loss ? loss : "";
            EXPECT_EQ(said.find("stop before their end") == std::string::npos, whole) << said;
            EXPECT_EQ(said.find("do not match their check") != std::string::npos, wrongCheck) << said;
            if (whole)
                EXPECT_EQ(out, row.plain);
            else
                EXPECT_EQ(row.plain.compare(0, out.size(), out), 0);  // what it gave is the data's start
        }
    }
}

}  // namespace
