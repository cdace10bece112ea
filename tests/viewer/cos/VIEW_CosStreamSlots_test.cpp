// Streams through the Cos table: made by slot 14 from a procedure stream
// (encoded by the stand-in or stored as given) and read back by slot 32 in
// every mode, against zlib and known decoded data.
#include "VIEW_CosSlotFixture.h"

#include <zlib.h>

#include "VCOS_TestPdf.h"
#include "support/Corpus.h"
#include "viewer/VIEW_CosHandles.h"
#include "viewer/VIEW_Paths.h"
#include "viewer/VIEW_Streams.h"
#include "support/Deflated.h"

namespace {

// A procedure source that hands out its bytes in pieces of m_piece.
struct Source {
    std::string m_bytes;
    size_t m_next = 0;
    size_t m_piece = 1000;
};

int32_t Feed(char* buffer, int32_t size, void* clientData) {
    Source& source = *static_cast<Source*>(clientData);
    const size_t count = std::min({source.m_piece, static_cast<size_t>(size), source.m_bytes.size() - source.m_next});
    source.m_bytes.copy(buffer, count, source.m_next);
    source.m_next += count;
    return static_cast<int32_t>(count);
}

std::string Sample(size_t size) {
    std::string bytes;
    for (size_t i = 0; i < size; ++i)
        bytes += static_cast<char>((i * 7) % 251 < 40 ? 'A' : (i * 13) % 256);
    return bytes;
}

class StreamSlotsTest : public CosSlotsTest {
protected:
    // Slot 14 over a procedure stream of bytes; the source is read to its end.
    PDFL_CosObj Make(PDFL_CosDoc doc, const std::string& bytes, bool encoded, PDFL_CosObj attributes,
                     PDFL_CosObj params = PDFL_CosObj{}) {
        Source source{bytes};
        const PDFL_ASStm stm = VIEW_Streams::OpenProcedure(Feed, &source);
        PDFL_CosObj stream{};
        try {
            stream = CosSlot<14>()(doc, 1, stm, -1, encoded, attributes, params,
                                   static_cast<int32_t>(bytes.size()));
        } catch (...) {
            VIEW_Streams::Close(stm);  // the caller owns the source, as the back-end does
            throw;
        }
        EXPECT_EQ(source.m_next, bytes.size()) << "the source is read within the call";
        VIEW_Streams::Close(stm);
        return stream;
    }
    PDFL_CosObj Filtered(PDFL_CosDoc doc, const char* filter) {
        const PDFL_CosObj dict = Dict(doc);
        if (filter)
            CosSlot<22>()(dict, Atom("Filter"), Name(doc, filter));
        return dict;
    }
    std::string Open(PDFL_CosObj stream, uint16_t mode) { return VIEW_ReadAndClose(CosSlot<32>()(stream, mode)); }
    std::string Stored(PDFL_CosObj stream) { return Open(stream, 0); }
};

TEST_F(StreamSlotsTest, SourceEncodedWithFlateInflatesBackAndDecodesInMode2) {
    const PDFL_CosDoc doc = NewDoc();
    for (size_t size : {size_t{0}, size_t{1}, size_t{4095}, size_t{4096}, size_t{20000}}) {
        SCOPED_TRACE(size);
        const std::string source = Sample(size);
        const PDFL_CosObj stream = Make(doc, source, /*encoded=*/false, Filtered(doc, "FlateDecode"));
        const std::string stored = Stored(stream);
        EXPECT_EQ(VCOS_Inflate(stored), source);
        EXPECT_EQ(Open(stream, 1), stored);
        EXPECT_EQ(Open(stream, 2), source);
        EXPECT_EQ(CosSlot<30>()(stream), static_cast<int32_t>(stored.size()));
        EXPECT_EQ(CosSlot<16>()(CosSlot<21>()(stream, Atom("Length"))), static_cast<int32_t>(stored.size()));
        EXPECT_EQ(NameText(CosSlot<21>()(stream, Atom("Filter"))), "FlateDecode");
    }
}

TEST_F(StreamSlotsTest, StoredAsGivenWhenEncodedOrWithoutFilter) {
    const PDFL_CosDoc doc = NewDoc();
    const std::string source = Sample(9000);

    const PDFL_CosObj raw = Make(doc, source, false, Filtered(doc, nullptr));
    EXPECT_EQ(Stored(raw), source);
    EXPECT_EQ(Open(raw, 2), source);

    const std::string deflated = Deflated(source);
    const PDFL_CosObj given = Make(doc, deflated, true, Filtered(doc, "FlateDecode"));
    EXPECT_EQ(Stored(given), deflated);
    EXPECT_EQ(Open(given, 2), source);

    const PDFL_CosObj nullDict = Make(doc, "abc", false, PDFL_CosObj{});
    EXPECT_EQ(Stored(nullDict), "abc");
    const PDFL_CosObj dict = CosSlot<31>()(nullDict);
    EXPECT_EQ(CosSlot<16>()(CosSlot<21>()(dict, Atom("Length"))), 3) << "a null dictionary makes one";
    EXPECT_FALSE(CosSlot<24>()(dict, Atom("Filter")));
}

TEST_F(StreamSlotsTest, EncodingTheStandInCannotDoIsAHostErrorNamingIt) {
    const PDFL_CosDoc doc = NewDoc();
    const PDFL_CosObj predictor = Dict(doc);
    CosSlot<22>()(predictor, Atom("Predictor"), Int(doc, 12));
    const PDFL_CosObj withParms = Filtered(doc, "FlateDecode");
    CosSlot<22>()(withParms, Atom("DecodeParms"), predictor);
    struct Case {
        const char* m_what;
        PDFL_CosObj m_attributes;
        PDFL_CosObj m_params;
        const char* m_text;
    } const cases[] = {
        {"DCT", Filtered(doc, "DCTDecode"), PDFL_CosObj{}, "cannot encode with the filter /DCTDecode"},
        {"predictor in the dictionary", withParms, PDFL_CosObj{}, "/Predictor 12"},
        {"predictor given", Filtered(doc, "FlateDecode"), predictor, "/Predictor 12"},
        {"not a dictionary", Int(doc, 3), PDFL_CosObj{}, "is not a dictionary"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.m_what);
        const VIEW_Raised raised = VIEW_RaisedBy([&] { Make(doc, "data", false, c.m_attributes, c.m_params); });
        EXPECT_NE(raised.m_text.find(c.m_text), std::string::npos) << raised.m_text;
    }
    EXPECT_EQ(VIEW_Streams::OpenCount(), 0u);
}

TEST_F(StreamSlotsTest, DecodingAFilterQpdfLacksIsAHostErrorNamingIt) {
    const PDFL_CosDoc doc = NewDoc();
    const PDFL_CosObj stream = Make(doc, "data", true, Filtered(doc, "NoSuchDecode"));
    EXPECT_EQ(Stored(stream), "data");
    const VIEW_Raised raised = VIEW_RaisedBy([&] { CosSlot<32>()(stream, 2); });
    EXPECT_EQ(raised.m_text.rfind("The stream cannot be encoded or decoded: ", 0), 0u) << raised.m_text;
    EXPECT_NE(raised.m_text.find("/NoSuchDecode"), std::string::npos) << raised.m_text;
    EXPECT_EQ(VIEW_Streams::OpenCount(), 0u);
    const VIEW_Raised notStream = VIEW_RaisedBy([&] { CosSlot<33>()(Dict(doc)); });
    EXPECT_NE(notStream.m_text.find("is Dict, not Stream"), std::string::npos) << notStream.m_text;
    EXPECT_EQ(CosSlot<33>()(stream), 0);
}

// Object 4 of this file is the lookup table of an /Indexed /DeviceRGB 255
// space behind [/ASCII85Decode /LZWDecode]: a 6 x 6 x 6 cube with blue
// fastest in steps of 0x33, then 40 greys.
TEST_F(StreamSlotsTest, Ascii85AndLzwDecodeToTheIndexedLookupTable) {
    TINTSCOPE_SKIP_WITHOUT_CORPUS();
    const PDFL_ASPathName path = VIEW_Paths::Make(CorpusFile("skia_GHOSTSCRIPT-539359-0.pdf"));
    PDFL_CosDocOpenParams params{sizeof(PDFL_CosDocOpenParams), 0, nullptr, path, ""};
    const PDFL_CosDoc doc = CosSlot<38>()(&params);
    VIEW_Paths::Release(path);
    PDFL_CosObj object4{};
    for (VCOS_Obj obj : VIEW_Cos::Store().IndirectObjects(VIEW_DocIdFromCosDoc(doc)))
        if (VIEW_Cos::Store().Number(obj) == 4)
            object4 = VIEW_CosFromObj(obj);
    ASSERT_EQ(CosSlot<2>()(object4), 8);
    const PDFL_CosObj filter = CosSlot<21>()(object4, Atom("Filter"));
    ASSERT_EQ(CosSlot<29>()(filter), 2);
    EXPECT_EQ(NameText(CosSlot<25>()(filter, 1)), "LZWDecode");

    const std::string table = Open(object4, 2);
    ASSERT_EQ(table.size(), 768u);
    EXPECT_EQ(table.substr(0, 9), std::string("\0\0\0\0\0\x33\0\0\x66", 9));
    for (int i = 0; i < 256; ++i) {
        SCOPED_TRACE(i);
        const auto r = static_cast<uint8_t>(table[3 * i]), g = static_cast<uint8_t>(table[3 * i + 1]),
                   b = static_cast<uint8_t>(table[3 * i + 2]);
        if (i < 216) {
            EXPECT_EQ(r, i / 36 * 0x33);
            EXPECT_EQ(g, i / 6 % 6 * 0x33);
            EXPECT_EQ(b, i % 6 * 0x33);
        } else {
            EXPECT_TRUE(r == g && g == b) << "grey";
        }
    }
    EXPECT_EQ(Open(object4, 0), Open(object4, 1));
    EXPECT_NE(Open(object4, 0), table) << "modes 0 and 1 give the stored bytes";
}

}  // namespace
