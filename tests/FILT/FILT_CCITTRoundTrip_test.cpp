// FILT_CCITTFaxEncode then FILT_CCITTFaxDecode over random and structured
// bitmaps, for every coding scheme and option, with cut input and output.
#include "FILT/FILT_CCITTFaxDecode.h"
#include "FILT/FILT_CCITTFaxEncode.h"

#include "GLIB/GLIB_Exception.h"
#include "support/FilterDriver.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

struct Image {
    std::string name;
    int columns;
    int rows;
    std::string data;  // packed rows; padding bits are noise
    int RowBytes() const { return (columns + 7) / 8; }
};

// Builds an image from per-row run lengths (white first); the rest of a
// row after its runs keeps the last colour.
Image FromRuns(const std::string& name, int columns, const std::vector<std::vector<int>>& rows,
               std::mt19937& rng) {
    Image img{name, columns, static_cast<int>(rows.size()), std::string()};
    for (const std::vector<int>& runs : rows) {
        std::string row(static_cast<size_t>(img.RowBytes()), '\0');
        for (char& c : row)
            c = static_cast<char>(rng());
        int col = 0;
        bool white = true;
        auto paint = [&](int end) {
            for (; col < end && col < columns; ++col) {
                const char bit = static_cast<char>(0x80 >> (col % 8));
                row[static_cast<size_t>(col / 8)] = static_cast<char>(
                    white ? row[static_cast<size_t>(col / 8)] | bit : row[static_cast<size_t>(col / 8)] & ~bit);
            }
        };
        for (int r : runs) {
            paint(col + r);
            white = !white;
        }
        white = !white;
        paint(columns);
        img.data += row;
    }
    return img;
}

std::vector<Image> Images() {
    std::mt19937 rng(77);
    std::vector<Image> images;
    {
        // Pixel noise, Columns not a multiple of 8.
        Image img{"noise", 77, 12, std::string()};
        for (int i = 0; i < img.rows * img.RowBytes(); ++i)
            img.data += static_cast<char>(rng());
        images.push_back(img);
    }
    // Runs longer than 2560 of both colours.
    images.push_back(FromRuns("long runs", 6001,
                              {{6001}, {0, 6001}, {2600, 3000}, {0, 2561, 100, 100, 100, 100, 1},
                               {2560, 2560, 64, 1}},
                              rng));
    {
        // Alternating pixels, starting either colour.
        std::vector<std::vector<int>> rows;
        for (int r = 0; r < 6; ++r)
            rows.push_back(r % 2 ? std::vector<int>(13, 1) : std::vector<int>{0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
        images.push_back(FromRuns("alternating", 13, rows, rng));
    }
    {
        // Runs of random lengths.
        std::geometric_distribution<int> length(0.05);
        std::vector<std::vector<int>> rows;
        for (int r = 0; r < 10; ++r) {
            std::vector<int> runs;
            for (int total = 0; total < 1728;) {
                runs.push_back(length(rng));
                total += runs.back();
            }
            rows.push_back(runs);
        }
        images.push_back(FromRuns("random runs", 1728, rows, rng));
    }
    {
        // Edges that drift a few pixels per row: vertical and pass modes.
        std::vector<std::vector<int>> rows;
        std::vector<int> edges = {10, 30, 31, 60, 90, 95, 150, 170};
        for (int r = 0; r < 16; ++r) {
            std::vector<int> runs;
            int prev = 0;
            for (int& e : edges) {
                e = std::max(prev, std::min(199, e + static_cast<int>(rng() % 9) - 4));
                runs.push_back(e - prev);
                prev = e;
            }
            if (r % 5 == 4)
                runs.insert(runs.begin() + 2, {3, 2});
            rows.push_back(runs);
        }
        images.push_back(FromRuns("drifting edges", 200, rows, rng));
    }
    {
        Image img{"one column", 1, 9, std::string()};
        for (int i = 0; i < img.rows; ++i)
            img.data += static_cast<char>(rng());
        images.push_back(img);
    }
    return images;
}

// Equal pixels, padding bits ignored.
bool SamePixels(const Image& img, const std::string& decoded, std::string* why) {
    const size_t rowBytes = static_cast<size_t>(img.RowBytes());
    if (decoded.size() != img.data.size()) {
        *why = "size " + std::to_string(decoded.size()) + " for " + std::to_string(img.data.size());
        return false;
    }
    const uint8_t lastMask = static_cast<uint8_t>(0xFF << ((8 - img.columns % 8) % 8));
    for (size_t i = 0; i < decoded.size(); ++i) {
        const uint8_t mask = (i + 1) % rowBytes == 0 ? lastMask : 0xFF;
        if ((decoded[i] ^ img.data[i]) & mask) {
            *why = "row " + std::to_string(i / rowBytes) + " byte " + std::to_string(i % rowBytes);
            return false;
        }
    }
    return true;
}

struct Options {
    int k;
    bool eol, align, eob, blackIs1;
};

std::string Describe(const Options& o) {
    return "K=" + std::to_string(o.k) + (o.eol ? " EndOfLine" : "") + (o.align ? " EncodedByteAlign" : "") +
           (o.eob ? " EndOfBlock" : "") + (o.blackIs1 ? " BlackIs1" : "");
}

std::vector<Options> AllOptions() {
    std::vector<Options> all;
    for (int k : {-1, 0, 2})
        for (int bits = 0; bits < 16; ++bits)
            all.push_back({k, (bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0, (bits & 8) != 0});
    return all;
}

std::string Encode(const Image& img, const Options& o, const Chunking& c) {
    FILT_CCITTFaxEncode e;
    EXPECT_TRUE(e.SetParams(o.k, o.eol, o.align, o.eob, o.blackIs1, img.rows, img.columns));
    // A bound on the output keeps the driver's output buffers small.
    return RunFilter(e, img.data, c, 16 * img.data.size() + 4096);
}

std::string Decode(const Image& img, const Options& o, const std::string& coded, const Chunking& c) {
    FILT_CCITTFaxDecode d;
    EXPECT_TRUE(d.SetParams(o.k, o.eol, o.align, o.eob, o.blackIs1, img.rows, img.columns));
    return RunFilter(d, coded, c, img.data.size() + 64);
}

}  // namespace

TEST(FILT_CCITTRoundTrip, EveryOptionAndChunking) {
    LogCapture quiet;  // "Expecting exactly one EOL" before an unannounced first row
    for (const Image& img : Images()) {
        for (const Options& o : AllOptions()) {
            SCOPED_TRACE(img.name + ", " + Describe(o));
            const std::string coded = Encode(img, o, {{0}, {0}});
            std::string why;
            EXPECT_TRUE(SamePixels(img, Decode(img, o, coded, {{0}, {0}}), &why)) << why;
            for (const Chunking& c : StandardChunkings(static_cast<size_t>(img.RowBytes()))) {
                SCOPED_TRACE(c.Name());
                EXPECT_EQ(Encode(img, o, c), coded);
                EXPECT_TRUE(SamePixels(img, Decode(img, o, coded, c), &why)) << why;
            }
        }
    }
}

// Coded data cut anywhere decodes to whole rows that match the image up to
// the cut, and ends with end of data.
TEST(FILT_CCITTRoundTrip, TruncatedDataEndsCleanly) {
    LogCapture quiet;
    const std::vector<Image> images = Images();
    for (const Image& img : {images[0], images[3], images[4]}) {
        for (const Options& o : {Options{-1, false, false, true, false}, Options{0, true, false, true, false},
                                 Options{2, true, true, false, true}}) {
            const std::string coded = Encode(img, o, {{0}, {0}});
            for (size_t cut = 0; cut < coded.size(); cut += 1 + coded.size() / 40) {
                SCOPED_TRACE(img.name + ", " + Describe(o) + ", cut at " + std::to_string(cut));
                std::string decoded;
                try {
                    decoded = Decode(img, o, coded.substr(0, cut), {{0}, {0}});
                } catch (const GLIB_Exception& e) {
                    // A cut may leave a code that reads as an error; nothing worse.
                    EXPECT_EQ(e.Code(), FILT_CCITTFaxDecodeCode);
                    continue;
                }
                const size_t rowBytes = static_cast<size_t>(img.RowBytes());
                ASSERT_EQ(decoded.size() % rowBytes, 0u);
                ASSERT_LE(decoded.size(), img.data.size());
                // All rows but the last delivered one are complete.
                if (decoded.size() > rowBytes) {
                    Image head = img;
                    head.rows = static_cast<int>(decoded.size() / rowBytes) - 1;
                    head.data = img.data.substr(0, decoded.size() - rowBytes);
                    std::string why;
                    EXPECT_TRUE(SamePixels(head, decoded.substr(0, head.data.size()), &why)) << why;
                }
            }
        }
    }
}
