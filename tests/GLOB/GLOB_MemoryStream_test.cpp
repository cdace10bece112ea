#include "GLOB/GLOB_MemoryStream.h"

#include "FILT/FILT_ASCIIHexDecode.h"
#include "GLIB/GLIB_Globals.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_StringStream.h"
#include "GLOB_TestUtil.h"
#include "support/TestSupport.h"
#include "win32/TmpDirScope.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <tuple>

namespace {

// Runs of equal bytes among varied ones.
std::string Sample(size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s += (i / 11) % 3 == 0 ? 'A' : static_cast<char>(i * 37 + i / 5);
    return s;
}

}  // namespace

TEST(GLOB_MemoryStream, ReadsItsBytesAtOnceAndWritesOnlyIntoItsRoom) {
    char held[] = "abc";
    EXPECT_EQ(ReadAll(GLOB_Stream(new GLOB_MemoryStream(held, 3, true))), "abc");
    char room[4] = {};
    GLOB_Stream stream(new GLOB_MemoryStream(room, 4, false));
    EXPECT_EQ(Put(stream, "123456"), 2u);
    EXPECT_EQ(ReadAll(stream), "1234");
}

// Stored encoded (spilled to a temporary file past the copy buffer), read
// back decoded in any chunking; an open reader keeps the data, file and all,
// after the object goes.
TEST(GLOB_MemoryStream, EveryFilterRoundTripsInMemoryAndSpilled) {
    const struct {
        const char* dict;
        std::string data;
    } cases[] = {
        {"<< /Filter /FlateDecode >>", Sample(5000)},
        {"<< /Filter /FlateDecode /DecodeParms << /Predictor 12 /Columns 5 >> >>", Sample(500)},
        {"<< /Filter /FlateDecode /DecodeParms << /Predictor 2 /Colors 3 /Columns 4 >> >>", Sample(480)},
        {"<< /Filter /FlateDecode /DecodeParms << /Predictor 15 /Columns 7 /BitsPerComponent 4 >> >>", Sample(400)},
        {"<< /Filter /ASCIIHexDecode >>", Sample(300)}, {"<< /Filter /ASCII85Decode >>", Sample(301)},
        {"<< /Filter /RunLengthDecode >>", Sample(1000)},
        {"<< /Filter [/ASCIIHexDecode /RunLengthDecode] >>", Sample(200)},
        {"<< /Filter /CCITTFaxDecode /DecodeParms << /K -1 /Columns 16 /Rows 40 >> >>", Sample(80)},
        {"<< /Filter /CCITTFaxDecode /DecodeParms << /Columns 24 /Rows 30 /EndOfLine true /BlackIs1 true >> >>",
         Sample(90)},
        {"<< /Filter [/ASCII85Decode /FlateDecode] /DecodeParms [null << /Predictor 12 /Columns 5 >>] >>", Sample(700)},
    };
    const GLOB_Doc doc = NewMemoryDoc();
    for (const uint32_t copySize : {65536u, 16u}) {
        const CopyBufferScope copy(copySize);
        for (const auto& [dict, data] : cases) {
            SCOPED_TRACE(std::to_string(copySize) + " " + dict);
            const TmpDirScope tmp;
            GLOB_Object stream = StoreStream(doc, data, dict);
            const std::string stored = ReadAll(stream.OpenStream(0));
            EXPECT_NE(stored, data);
            EXPECT_EQ(ReadAll(stream.OpenStream(1)), stored);
            EXPECT_EQ(stream.IntegerValue("Length"), static_cast<int32_t>(stored.size()));
            EXPECT_EQ(doc.Impl()->StreamLength(stream), stored.size());
            if (stored.size() != copySize) {
                EXPECT_EQ(tmp.Dir().List().size(), stored.size() > copySize ? 1u : 0u);
            }
            for (const auto& [bufferSize, take] : {std::pair<uint32_t, size_t>{0, 0}, {1, 1}, {7, 3}})
                EXPECT_EQ(ReadAll(stream.OpenStream(2), bufferSize, take), data);
            GLOB_Stream reader = stream.OpenStream(2);
            const size_t files = tmp.Dir().List().size();
            stream = GLOB_Object();
            EXPECT_EQ(tmp.Dir().List().size(), files);
            EXPECT_EQ(ReadAll(reader, 64, 5), data);
            reader = GLOB_Stream();
            EXPECT_TRUE(tmp.Dir().List().empty());
        }
    }
}

// Data kept in memory hold their own size, not the copy buffer they came
// through, and are let go with the last holder; spilled data hold no memory.
TEST(GLOB_MemoryStream, KeptDataHoldTheirOwnSizeUntilTheLastHolderGoes) {
    const GLOB_Doc doc = NewMemoryDoc();
    const TmpDirScope tmp;
    const struct {
        size_t bytes;
        const char* dict;
        int32_t encoded;
    } cases[] = {
        {0, nullptr, 1}, {1, nullptr, 1}, {100, nullptr, 1}, {100, "<< /Filter /FlateDecode >>", 0},
        {3000, "<< /Length 3000 >>", 1}, {65536, nullptr, 1}, {65537, nullptr, 1},
        {5000, "<< /Filter /ASCIIHexDecode >>", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.bytes) + " " + (c.dict ? c.dict : "no dictionary"));
        const uint64_t before = GLOB_Memory_Impl::MemoryBytesHeld();
        std::vector<GLOB_Object> streams;
        for (int i = 0; i < 50; ++i)
            streams.push_back(StoreStream(doc, Sample(c.bytes), c.dict, c.encoded));
        const uint64_t stored = doc.Impl()->StreamLength(streams[0]);
        // Kept in memory up to the copy buffer's size; an empty stream takes a byte.
        const uint64_t each = stored > 65536 ? 0 : std::max<uint64_t>(stored, 1);
        EXPECT_EQ(GLOB_Memory_Impl::MemoryBytesHeld() - before, 50 * each);
        GLOB_Stream reader = streams[0].OpenStream(2);
        streams.clear();
        EXPECT_EQ(GLOB_Memory_Impl::MemoryBytesHeld() - before, each);
        EXPECT_EQ(ReadAll(reader), Sample(c.bytes));
        reader = GLOB_Stream();
        EXPECT_EQ(GLOB_Memory_Impl::MemoryBytesHeld(), before);
        EXPECT_TRUE(tmp.Dir().List().empty());
    }
}

// Raw zlib data are stored as given; a DCT image comes back close to itself.
TEST(GLOB_MemoryStream, EncodedDataAndLossyImages) {
    const std::string data = Sample(3000);
    std::string packed(compressBound(data.size()), '\0');
    uLongf packedSize = packed.size();
    ASSERT_EQ(compress(reinterpret_cast<Bytef*>(&packed[0]), &packedSize,
                       reinterpret_cast<const Bytef*>(data.data()), data.size()),
              Z_OK);
    packed.resize(packedSize);
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Object raw = StoreStream(doc, packed, "<< /Filter /FlateDecode /Length 3 >>", 1);
    EXPECT_EQ(ReadAll(raw.OpenStream(0)), packed);
    EXPECT_EQ(ReadAll(raw.OpenStream(2)), data);
    EXPECT_EQ(raw.IntegerValue("Length"), static_cast<int32_t>(packed.size()));

    std::string image;  // a smooth RGB gradient, 16 x 16
    for (int i = 0; i < 16 * 16; ++i)
        image += {static_cast<char>(i % 16 * 8), static_cast<char>(i / 16 * 8), static_cast<char>(128)};
    const GLOB_Object stream = StoreStream(
        doc, image, "<< /Filter /DCTDecode /DecodeParms << /Colors 3 /Columns 16 /Rows 16 >> /Length 1 >>");
    EXPECT_EQ(ReadAll(stream.OpenStream(0)).substr(0, 2), "\xFF\xD8");
    const std::string decoded = ReadAll(stream.OpenStream(2), 5, 3);
    ASSERT_EQ(decoded.size(), image.size());
    for (size_t i = 0; i < image.size(); ++i)
        ASSERT_NEAR(uint8_t(decoded[i]), uint8_t(image[i]), 12) << i;
}

// /Length sizes only the first buffer of unencoded data: small, zero,
// negative or beside an encoder, it never stalls or cuts the data.
TEST(GLOB_MemoryStream, AWrongLengthNeitherStallsNorCutsAndTheDictionaryIsCopied) {
    const std::pair<const char*, size_t> cases[] = {  // the dictionary; spilled?
        {"<< /Length 10 >>", 1}, {"<< /Length 0 >>", 1}, {"<< /Length -5 >>", 0},
        {"<< /Filter /RunLengthDecode /Length 0 >>", 0},
        {"<< /Filter /CCITTFaxDecode /DecodeParms << /Columns 8 /Rows 100 >> /Length 1 >>", 0},
    };
    const std::string data = Sample(100);
    const GLOB_Doc doc = NewMemoryDoc();
    for (const auto& [dict, files] : cases) {
        SCOPED_TRACE(dict);
        const TmpDirScope tmp;
        const GLOB_Object stream = StoreStream(doc, data, dict);
        EXPECT_EQ(tmp.Dir().List().size(), files);
        EXPECT_EQ(ReadAll(stream.OpenStream(2)), data);
        EXPECT_EQ(stream.IntegerValue("Length"), static_cast<int32_t>(ReadAll(stream.OpenStream(0)).size()));
    }
    // No dictionary: an empty one. The caller's, of another document too, is
    // copied and left alone; it must be direct, and parameters a dictionary.
    const GLOB_Object bare = StoreStream(doc, "xyz");
    EXPECT_EQ(bare.AsDict().Size(), 1u);
    EXPECT_EQ(bare.IntegerValue("Length"), 3);
    const GLOB_Doc other = NewMemoryDoc();
    const GLOB_Object mine = other.ParseObject("<< /Length 5 /Filter /RunLengthDecode >>");
    const GLOB_Object stream = doc.NewStream(GLOB_Stream(new GLOB_StringStream("aaaa")), 0, mine, GLOB_Object(), -1);
    EXPECT_EQ(mine.IntegerValue("Length"), 5);
    EXPECT_EQ(stream.IntegerValue("Length"), 3);  // one run of four, then the end mark
    EXPECT_EQ(stream.StreamDict().GetImpl(), doc.Impl());
    EXPECT_TRUE(stream.StreamDict().IsDirect());
    EXPECT_THROW(doc.NewStream(GLOB_Stream(new GLOB_StringStream("1")), 1, other.NewDict(0, true), GLOB_Object(), -1),
                 TestAssertionFailure);
    EXPECT_THROW(doc.NewStream(GLOB_Stream(new GLOB_StringStream("1")), 1, GLOB_Object(), doc.NewInteger(1, false), -1),
                 TestAssertionFailure);
}

TEST(GLOB_MemoryStream, ExternalFilesAreReadOrRefusedClearly) {
    const ScratchDir dir;
    WriteWholeFile(dir.File("ext.hex"), "48656c6c6f>");
    const GLOB_Doc doc = NewMemoryDoc();
    auto external = [&](const std::string& path) {
        const std::string dict = "<< /F (" + path + ") /FFilter /ASCIIHexDecode /Filter /FlateDecode >>";
        return StoreStream(doc, "", dict.c_str(), 1);
    };
    const GLOB_Object stream = external(dir.File("ext.hex"));
    EXPECT_EQ(ReadAll(stream.OpenStream(2)), "Hello");
    EXPECT_EQ(ReadAll(stream.OpenStream(0)), "48656c6c6f>");
    // A name too long for the file system is quoted by its first 64 bytes.
    const std::string longName = dir.File(std::string(5000, 'n'));
    const std::string quoted = longName.substr(0, 64) + "...' (" + std::to_string(longName.size()) + " bytes)";
    for (const auto& [path, error, text] : {std::tuple<std::string, int, std::string>{dir.File("missing"), 2, ""},
                                            {dir.Path(), 21, ""}, {longName, ENAMETOOLONG, quoted}}) {
        const LogCapture log;
        EXPECT_EQ(Failure([&] { external(path).OpenStream(2); }), "1151011 Failed to open external stream file '" +
                                                                      (text.empty() ? path + "'" : text) + ": " +
                                                                      std::to_string(error));
        EXPECT_TRUE(log.Contains(2, "Failed to open external stream file '"));
    }
}

// The length of spilled data is their file's, measured anew: a file that
// has gone is a clear error, logged.
TEST(GLOB_MemoryStream, LengthOfSpilledDataMeasuresTheirFile) {
    const CopyBufferScope copy(16);
    const TmpDirScope tmp;
    const GLOB_Doc doc = NewMemoryDoc();
    const GLOB_Object stream = StoreStream(doc, Sample(100));
    ASSERT_EQ(tmp.Dir().List().size(), 1u);
    const std::string path = tmp.Dir().File(tmp.Dir().List()[0]);
    EXPECT_EQ(doc.Impl()->StreamLength(stream), 100u);
    WriteWholeFile(path, Sample(40));
    EXPECT_EQ(doc.Impl()->StreamLength(stream), 40u);
    ASSERT_EQ(std::remove(path.c_str()), 0);
    const LogCapture log;
    EXPECT_EQ(Failure([&] { doc.Impl()->StreamLength(stream); }), "1151011 Failed to open file '" + path + "': 2");
    EXPECT_TRUE(log.Contains(2, "Failed to open file '" + path + "': 2"));
}

TEST(GLOB_MemoryStream, FailedStoresLeaveNoTemporaryFile) {
    const CopyBufferScope copy(16);
    const TmpDirScope tmp;
    const GLOB_Doc doc = NewMemoryDoc();
    // The source fails after more than a buffer has been spilled.
    GLOB_Stream source(new GLOB_StringStream(std::string(64, '4') + "zz>"));
    source.SetFilter(new FILT_ASCIIHexDecode);
    EXPECT_THROW(doc.NewStream(source, 1, GLOB_Object(), GLOB_Object(), -1), GLIB_Exception);
    EXPECT_TRUE(tmp.Dir().List().empty());
    // No temporary file can be made: its folder does not exist.
    GLIB_Globals& globals = GLIB_Globals::Instance();
    const std::string prefix = globals.TempFilePrefix();
    globals.SetAll(GLIB_GlobalsMessage(globals.Logger(), "missing/TEMP", nullptr, globals.OutOfMemoryHandler()));
    const LogCapture log;
    const std::string failure = Failure([&] { StoreStream(doc, Sample(100)); });
    globals.SetAll(GLIB_GlobalsMessage(globals.Logger(), prefix, nullptr, globals.OutOfMemoryHandler()));
    EXPECT_EQ(failure.rfind("1151012 Failed to open temporary stream file '", 0), 0u) << failure;
    EXPECT_TRUE(log.Contains(2, "Failed to open temporary stream file '"));
    EXPECT_TRUE(tmp.Dir().List().empty());
}

TEST(GLOB_MemoryStream, FaxParametersOutOfRangeThrowInBothDirections) {
    const GLOB_Doc doc = NewMemoryDoc();
    const LogCapture quiet;
    for (const char* params : {"/Columns 0", "/Columns -5", "/Columns 1073741824", "/Rows -3 /EndOfBlock false",
                               "/K -1000 /Rows -1", "/K 1000 /Rows 0 /EndOfBlock false"}) {
        SCOPED_TRACE(params);
        const std::string dict = std::string("<< /Filter /CCITTFaxDecode /DecodeParms << ") + params + " >> >>";
        EXPECT_THROW(ReadAll(StoreStream(doc, Sample(64), dict.c_str(), 1).OpenStream(2)), GLIB_Exception);
        EXPECT_THROW(StoreStream(doc, Sample(64), dict.c_str(), 0), GLIB_Exception);
    }
}
