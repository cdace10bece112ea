#include "GLOB/GLOB_MemoryStream.h"

#include "FILT/FILT_ASCIIHexDecode.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Globals.h"
#include "GLOB/GLOB_Dict.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Memory_Impl.h"
#include "GLOB/GLOB_Stream.h"
#include "GLOB/GLOB_StringStream.h"
#include "GLOB_ChunkedCore.h"
#include "support/TestSupport.h"
#include "win32/TmpDirScope.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <string>

namespace {

GLOB_Doc NewDoc() {
    GLOB_Doc doc = GLOB_Memory_Impl::Make();
    doc.Create("%PDF-1.3", 0);
    return doc;
}

struct CopyBufferScope {
    explicit CopyBufferScope(uint32_t size) : m_old(GLOB_Memory_Impl::CopyBufferSize()) {
        GLOB_Memory_Impl::SetCopyBufferSize(size);
    }
    ~CopyBufferScope() { GLOB_Memory_Impl::SetCopyBufferSize(m_old); }
    uint32_t m_old;
};

// A stream of data handed out in odd chunks, stored under dict (empty: Null).
GLOB_Object Store(const GLOB_Doc& doc, const std::string& data, const std::string& dict, int32_t encoded = 0) {
    return doc.NewStream(GLOB_Stream(new GLOB_ChunkedCore(data, {7, 1, 13})), encoded,
                         dict.empty() ? GLOB_Object() : doc.ParseObject(dict.c_str()), GLOB_Object(), -1);
}

// Everything the stream gives, in chunks of bufferSize (0: as it is) taking
// at most take bytes per read (0: all).
std::string ReadAll(GLOB_Stream stream, uint32_t bufferSize = 0, size_t take = 0) {
    if (bufferSize)
        stream.SetBufferSize(bufferSize);
    std::string data;
    for (FILT_FilterBuffer* buf = stream.Read(); buf->DataAvailable() > 0 || !buf->IsEOD(); buf = stream.Read()) {
        const size_t n = take ? std::min<size_t>(take, buf->DataAvailable()) : buf->DataAvailable();
        data.append(reinterpret_cast<const char*>(buf->GetPtr()), n);
        buf->AdvanceGetPtr(static_cast<FILT_Size>(n));
    }
    return data;
}

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
    FILT_FilterBuffer in(6);
    in.Write(reinterpret_cast<const uint8_t*>("123456"), 6);
    stream.Write(in);
    EXPECT_EQ(in.DataAvailable(), 2u);
    EXPECT_EQ(ReadAll(stream), "1234");
}

TEST(GLOB_MemoryStream, EveryFilterRoundTripsInMemoryAndSpilled) {
    struct Case {
        const char* dict;
        std::string data;
    };
    const Case cases[] = {
        {"<< /Filter /FlateDecode >>", Sample(5000)},
        {"<< /Filter /FlateDecode /DecodeParms << /Predictor 12 /Columns 5 >> >>", Sample(500)},
        {"<< /Filter /FlateDecode /DecodeParms << /Predictor 2 /Colors 3 /Columns 4 >> >>", Sample(480)},
        {"<< /Filter /FlateDecode /DecodeParms << /Predictor 15 /Columns 7 /BitsPerComponent 4 >> >>", Sample(400)},
        {"<< /Filter /ASCIIHexDecode >>", Sample(300)},
        {"<< /Filter /ASCII85Decode >>", Sample(301)},
        {"<< /Filter /RunLengthDecode >>", Sample(1000)},
        {"<< /Filter /CCITTFaxDecode /DecodeParms << /K -1 /Columns 16 /Rows 40 >> >>", Sample(80)},
        {"<< /Filter /CCITTFaxDecode /DecodeParms << /Columns 24 /Rows 30 /EndOfLine true /BlackIs1 true >> >>",
         Sample(90)},
        {"<< /Filter [/ASCII85Decode /FlateDecode] /DecodeParms [null << /Predictor 12 /Columns 5 >>] >>", Sample(700)},
        {"<< /Filter [/ASCIIHexDecode /RunLengthDecode] >>", Sample(200)},
    };
    const GLOB_Doc doc = NewDoc();
    for (const uint32_t copySize : {65536u, 16u}) {
        const CopyBufferScope copy(copySize);
        for (size_t i = 0; i < std::size(cases); ++i) {
            SCOPED_TRACE(std::to_string(copySize) + " " + std::to_string(i));
            const TmpDirScope tmp;
            GLOB_Object stream = Store(doc, cases[i].data, cases[i].dict);
            const std::string stored = ReadAll(stream.OpenStream(0));
            EXPECT_NE(stored, cases[i].data);
            EXPECT_EQ(ReadAll(stream.OpenStream(1)), stored);
            EXPECT_EQ(stream.IntegerValue("Length"), static_cast<int32_t>(stored.size()));
            EXPECT_EQ(doc.Impl()->StreamLength(stream), stored.size());
            if (stored.size() != copySize) {
                EXPECT_EQ(tmp.Dir().List().size(), stored.size() > copySize ? 1u : 0u);
            }
            for (const auto& [bufferSize, take] : {std::pair<uint32_t, size_t>{0, 0}, {1, 1}, {7, 3}})
                EXPECT_EQ(ReadAll(stream.OpenStream(2), bufferSize, take), cases[i].data);
            // An open core keeps the data (and their file) after the object goes.
            GLOB_Stream reader = stream.OpenStream(2);
            const size_t files = tmp.Dir().List().size();
            stream = GLOB_Object();
            EXPECT_EQ(tmp.Dir().List().size(), files);
            EXPECT_EQ(ReadAll(reader, 64, 5), cases[i].data);
            reader = GLOB_Stream();
            EXPECT_TRUE(tmp.Dir().List().empty());
        }
    }
}

TEST(GLOB_MemoryStream, RawZlibDataAreStoredAsGivenAndDecodedOnReading) {
    const std::string data = Sample(3000);
    std::string packed(compressBound(data.size()), '\0');
    uLongf packedSize = packed.size();
    ASSERT_EQ(compress(reinterpret_cast<Bytef*>(&packed[0]), &packedSize,
                       reinterpret_cast<const Bytef*>(data.data()), data.size()),
              Z_OK);
    packed.resize(packedSize);
    const GLOB_Doc doc = NewDoc();
    // A copy into another document keeps the stored bytes.
    const GLOB_Object raw = Store(doc, packed, "<< /Filter /FlateDecode /Length 3 >>", 1);
    const GLOB_Object copy = NewDoc().Copy(raw, true);
    for (const GLOB_Object& stream : {raw, copy}) {
        EXPECT_EQ(ReadAll(stream.OpenStream(0)), packed);
        EXPECT_EQ(ReadAll(stream.OpenStream(2)), data);
        EXPECT_EQ(stream.IntegerValue("Length"), static_cast<int32_t>(packed.size()));
    }
}

TEST(GLOB_MemoryStream, DCTDataComeBackCloseToTheImage) {
    std::string image;  // a smooth RGB gradient, 16 x 16
    for (int i = 0; i < 16 * 16; ++i)
        image += {static_cast<char>(i % 16 * 8), static_cast<char>(i / 16 * 8), static_cast<char>(128)};
    // A /Length of 1 must not size the encoding buffer.
    const GLOB_Object stream = Store(
        NewDoc(), image, "<< /Filter /DCTDecode /DecodeParms << /Colors 3 /Columns 16 /Rows 16 >> /Length 1 >>");
    EXPECT_EQ(ReadAll(stream.OpenStream(0)).substr(0, 2), "\xFF\xD8");
    const std::string decoded = ReadAll(stream.OpenStream(2), 5, 3);
    ASSERT_EQ(decoded.size(), image.size());
    for (size_t i = 0; i < image.size(); ++i)
        ASSERT_NEAR(uint8_t(decoded[i]), uint8_t(image[i]), 12) << i;
}

TEST(GLOB_MemoryStream, LengthSizesOnlyTheFirstBufferOfUnencodedData) {
    struct Case {
        const char* dict;
        size_t files;  // spilled?
    };
    const Case cases[] = {
        {"<< /Length 10 >>", 1},
        {"<< /Length 0 >>", 1},
        {"<< /Length -5 >>", 0},
        {"<< /Filter /RunLengthDecode /Length 0 >>", 0},
        {"<< /Filter /CCITTFaxDecode /DecodeParms << /Columns 8 /Rows 100 >> /Length 1 >>", 0},
    };
    const std::string data = Sample(100);
    const GLOB_Doc doc = NewDoc();
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const TmpDirScope tmp;
        const GLOB_Object stream = Store(doc, data, cases[i].dict);
        EXPECT_EQ(tmp.Dir().List().size(), cases[i].files);
        EXPECT_EQ(ReadAll(stream.OpenStream(2)), data);
        EXPECT_EQ(stream.IntegerValue("Length"), static_cast<int32_t>(ReadAll(stream.OpenStream(0)).size()));
    }
}

TEST(GLOB_MemoryStream, NullDictionaryIsEmptyAndTheCallersIsLeftAlone) {
    const GLOB_Doc doc = NewDoc();
    const GLOB_Object bare = Store(doc, "xyz", "");
    EXPECT_EQ(bare.AsDict().Size(), 1u);
    EXPECT_EQ(bare.IntegerValue("Length"), 3);
    const GLOB_Object mine = doc.ParseObject("<< /Length 5 /Filter /RunLengthDecode >>");
    const GLOB_Object stream = doc.NewStream(GLOB_Stream(new GLOB_StringStream("aaaa")), 0, mine, GLOB_Object(), -1);
    EXPECT_EQ(mine.IntegerValue("Length"), 5);
    EXPECT_EQ(stream.IntegerValue("Length"), 3);  // one run of four, then the end mark
    EXPECT_TRUE(stream.StreamDict().IsDirect());
}

TEST(GLOB_MemoryStream, ExternalFilesAreReadOrRefusedClearly) {
    const ScratchDir dir;
    WriteWholeFile(dir.File("ext.hex"), "48656c6c6f>");
    const GLOB_Doc doc = NewDoc();
    auto external = [&](const std::string& path) {
        return Store(doc, "", "<< /F (" + path + ") /FFilter /ASCIIHexDecode /Filter /FlateDecode >>", 1);
    };
    const GLOB_Object stream = external(dir.File("ext.hex"));
    EXPECT_EQ(ReadAll(stream.OpenStream(2)), "Hello");
    EXPECT_EQ(ReadAll(stream.OpenStream(0)), "48656c6c6f>");
    for (const auto& [path, error] : {std::pair<std::string, int>{dir.File("missing"), 2}, {dir.Path(), 21}}) {
        SCOPED_TRACE(path);
        const LogCapture log;
        try {
            external(path).OpenStream(2);
            ADD_FAILURE() << "no exception";
        } catch (const GLIB_Exception& e) {
            EXPECT_EQ(e.Code(), 1151011u);
            EXPECT_EQ(e.What(), "Failed to open external stream file '" + path + "': " + std::to_string(error));
        }
        EXPECT_TRUE(log.Contains(2, "Failed to open external stream file '"));
    }
}

TEST(GLOB_MemoryStream, FailedStoresLeaveNoTemporaryFile) {
    const CopyBufferScope copy(16);
    const TmpDirScope tmp;
    const GLOB_Doc doc = NewDoc();
    // The source fails after more than a buffer has been spilled.
    GLOB_Stream source(new GLOB_StringStream(std::string(64, '4') + "zz>"));
    source.SetFilter(new FILT_ASCIIHexDecode);
    EXPECT_THROW(doc.NewStream(source, 1, GLOB_Object(), GLOB_Object(), -1), GLIB_Exception);
    EXPECT_TRUE(tmp.Dir().List().empty());

    // No temporary file can be made: its folder does not exist.
    GLIB_Globals& globals = GLIB_Globals::Instance();
    const std::string prefix = globals.TempFilePrefix();
    globals.SetAll(GLIB_GlobalsMessage(globals.Logger(), "missing/TEMP", nullptr, globals.OutOfMemoryHandler()));
    LogCapture log;
    try {
        Store(doc, Sample(100), "");
        ADD_FAILURE() << "no exception";
    } catch (const GLIB_Exception& e) {
        EXPECT_EQ(e.Code(), 1151012u);
        EXPECT_EQ(std::string(e.What()).rfind("Failed to open temporary stream file '", 0), 0u);
    }
    globals.SetAll(GLIB_GlobalsMessage(globals.Logger(), prefix, nullptr, globals.OutOfMemoryHandler()));
    EXPECT_TRUE(log.Contains(2, "Failed to open temporary stream file '"));
    EXPECT_TRUE(tmp.Dir().List().empty());
}

TEST(GLOB_MemoryStream, FaxParametersOutOfRangeThrowInBothDirections) {
    const char* params[] = {"/Columns 0", "/Columns -5", "/Columns 1073741824", "/Rows -3 /EndOfBlock false",
                            "/K -1000 /Rows -1", "/K 1000 /Rows 0 /EndOfBlock false"};
    const GLOB_Doc doc = NewDoc();
    const LogCapture quiet;
    for (size_t i = 0; i < std::size(params); ++i) {
        SCOPED_TRACE(i);
        const std::string dict = std::string("<< /Filter /CCITTFaxDecode /DecodeParms << ") + params[i] + " >> >>";
        EXPECT_THROW(ReadAll(Store(doc, Sample(64), dict, 1).OpenStream(2)), GLIB_Exception);
        EXPECT_THROW(Store(doc, Sample(64), dict, 0), GLIB_Exception);
    }
}
