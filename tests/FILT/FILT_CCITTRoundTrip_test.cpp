// FILT_CCITTFaxEncode then FILT_CCITTFaxDecode over random and structured
// bitmaps, for every coding scheme and option, with cut input and output.
#include "FILT/FILT_CCITTFaxDecode.h"
#include "FILT/FILT_CCITTFaxEncode.h"

#include "FILT_TestData.h"

namespace {

// Packed rows whose padding bits are noise.
struct Image {
    std::string name;
    int columns;
    std::string data;
    size_t RowBytes() const { return static_cast<size_t>(columns + 7) / 8; }
    int Rows() const { return static_cast<int>(data.size() / RowBytes()); }
};

// An image from per-row run lengths (white first) over noise; the rest of
// a row after its runs keeps the last colour.
Image FromRuns(const std::string& name, int columns, const std::vector<std::vector<int>>& rows, unsigned seed) {
    Image img{name, columns, RandomBytes(rows.size() * static_cast<size_t>((columns + 7) / 8), seed)};
    uint8_t* row = U8(img.data);
    for (const std::vector<int>& runs : rows) {
        int col = 0, white = 1;
        for (size_t r = 0; r <= runs.size(); ++r, white ^= 1) {
            const int end = r < runs.size() ? col + runs[r] : columns;
            if (r == runs.size())
                white ^= 1;
            for (; col < end && col < columns; ++col)
                row[col / 8] = static_cast<uint8_t>(white ? row[col / 8] | (0x80 >> col % 8)
                                                          : row[col / 8] & ~(0x80 >> col % 8));
        }
        row += img.RowBytes();
    }
    return img;
}

std::vector<Image> Images() {
    std::vector<Image> images = {Image{"noise, Columns not a multiple of 8", 77, RandomBytes(12 * 10, 1)},
                                 Image{"one column", 1, RandomBytes(9, 2)}};
    // Runs longer than 2560 of both colours.
    images.push_back(FromRuns("long runs", 6001,
                              {{6001}, {0, 6001}, {2600, 3000}, {0, 2561, 100, 100, 100, 100, 1}, {2560, 2560, 64, 1}},
                              3));
    // Alternating pixels, starting either colour.
    std::vector<std::vector<int>> rows;
    for (int r = 0; r < 6; ++r) {
        rows.push_back(std::vector<int>(13, 1));
        if (r % 2 == 0)
            rows.back().insert(rows.back().begin(), 0);
    }
    images.push_back(FromRuns("alternating", 13, rows, 4));
    // Every make-up code in both colours, and every terminating code in both
    // colours at many bit offsets.
    rows.clear();
    for (int k = 1; k <= 40; ++k)
        rows.push_back({64 * k + k % 64, 64 * (41 - k) + (7 * k) % 64, 13, 1, 62});
    for (int p : {1, 7, 13, 29})
        for (int lead = 0; lead < 2; ++lead) {
            rows.push_back(std::vector<int>(static_cast<size_t>(lead), 0));
            for (int j = 0; j < 64; ++j)
                rows.back().push_back(j * p % 64);
        }
    images.push_back(FromRuns("every code", 2800, rows, 5));
    // Edges that drift a few pixels per row: vertical and pass modes.
    std::mt19937 rng(6);
    std::vector<int> edges = {10, 30, 31, 60, 90, 95, 150, 170};
    rows.clear();
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
    images.push_back(FromRuns("drifting edges", 200, rows, 7));
    return images;
}

// The pixels with the padding bits of every row cleared.
std::string Pixels(const Image& img, std::string data) {
    const uint8_t lastMask = static_cast<uint8_t>(0xFF << ((8 - img.columns % 8) % 8));
    for (size_t i = img.RowBytes() - 1; i < data.size(); i += img.RowBytes())
        data[i] = static_cast<char>(data[i] & lastMask);
    return data;
}

template <class Filter>
std::string Run(const FaxParams& o, const std::string& input, const Chunking& c, size_t bound) {
    Filter f;
    EXPECT_TRUE(f.SetParams(o.k, o.eol, o.align, o.eob, o.blackIs1, o.rows, o.columns));
    return RunFilter(f, input, c, bound);
}

std::string Encode(const Image& img, const FaxParams& o, const Chunking& c) {
    return Run<FILT_CCITTFaxEncode>(o, img.data, c, 16 * img.data.size() + 4096);
}

// Strict: a warning is an error.
std::string Decode(const Image& img, const FaxParams& o, const std::string& coded, const Chunking& c,
                   bool strict = false) {
    FILT_CCITTFaxDecode d;
    d.SetStrict(strict);
    EXPECT_TRUE(d.SetParams(o.k, o.eol, o.align, o.eob, o.blackIs1, o.rows, o.columns));
    return RunFilter(d, coded, c, img.data.size() + 64);
}

}  // namespace

// K = -1, 0 and 2, each with every combination of EndOfLine,
// EncodedByteAlign, EndOfBlock and BlackIs1 (the bits of options); our own
// data decodes without a warning, so also in strict mode.
TEST(FILT_CCITTRoundTrip, EveryOptionAndChunking) {
    LogCapture log;
    for (const Image& img : Images()) {
        const std::string pixels = Pixels(img, img.data);
        // The large image is cut in odd sizes only, to keep the run short.
        const std::vector<Chunking> odd = {{{7, 3, 13}, {5, 11, 2}}};
        const std::vector<Chunking> chunkings = img.data.size() < 8192 ? StandardChunkings(img.RowBytes()) : odd;
        for (int k : {-1, 0, 2}) {
            for (int options = 0; options < 16; ++options) {
                SCOPED_TRACE(img.name + ", K=" + std::to_string(k) + ", options " + std::to_string(options));
                const FaxParams o{k,           (options & 1) != 0, (options & 2) != 0, (options & 4) != 0,
                                  (options & 8) != 0, img.Rows(),  img.columns};
                const std::string coded = Encode(img, o, {{0}, {0}});
                for (const Chunking& c : chunkings) {
                    SCOPED_TRACE(c.Name());
                    EXPECT_EQ(Encode(img, o, c), coded);
                    std::string message;
                    EXPECT_EQ(ThrownCode([&] { EXPECT_EQ(Pixels(img, Decode(img, o, coded, c, true)), pixels); },
                                         &message), 0u) << message;
                }
            }
        }
    }
    EXPECT_TRUE(log.Entries().empty()) << log.Entries().front().text;
}

// Coded data cut anywhere decodes to whole rows that match the image up to
// the last delivered row (which may be completed from nothing), or throws
// the decoder's exception where the cut leaves a code that reads as an error.
TEST(FILT_CCITTRoundTrip, TruncatedDataEndsCleanly) {
    LogCapture quiet;
    const std::vector<Image> images = Images();
    for (const Image& img : {images[0], images[2], images[5]}) {
        for (const FaxParams& o : {FaxParams{-1, false, false, true, false, img.Rows(), img.columns},
                                   FaxParams{0, true, false, true, false, img.Rows(), img.columns},
                                   FaxParams{2, true, true, false, true, img.Rows(), img.columns}}) {
            const std::string coded = Encode(img, o, {{0}, {0}});
            for (size_t cut = 0; cut < coded.size(); cut += 1 + coded.size() / 40) {
                SCOPED_TRACE(img.name + ", K=" + std::to_string(o.k) + ", cut at " + std::to_string(cut));
                std::string decoded;
                const uint32_t code = ThrownCode([&] { decoded = Decode(img, o, coded.substr(0, cut), {{0}, {0}}); });
                EXPECT_TRUE(code == 0 || code == 1130006u) << code;
                ASSERT_EQ(decoded.size() % img.RowBytes(), 0u);
                ASSERT_LE(decoded.size(), img.data.size());
                const size_t whole = decoded.size() ? decoded.size() - img.RowBytes() : 0;
                EXPECT_EQ(Pixels(img, decoded.substr(0, whole)), Pixels(img, img.data.substr(0, whole)));
            }
        }
    }
}
