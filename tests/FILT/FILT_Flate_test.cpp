#include "FILT/FILT_FlateDecode.h"
#include "FILT/FILT_FlateEncode.h"

#include "FILT_TestData.h"

#include <zlib.h>

#include <cstring>

namespace {

std::string ZlibCompress(const std::string& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    EXPECT_EQ(compress(reinterpret_cast<Bytef*>(&out[0]), &size, U8(data), static_cast<uLong>(data.size())), Z_OK);
    out.resize(size);
    return out;
}

std::string ZlibUncompress(const std::string& data, size_t expectedSize) {
    uLongf size = static_cast<uLongf>(expectedSize + 1);
    std::string out(size, '\0');
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(&out[0]), &size, U8(data), static_cast<uLong>(data.size())), Z_OK);
    out.resize(size);
    return out;
}

// "abc" as a zlib stream with one stored block, written by hand: header
// 78 01, final stored block of length 3 (03 00, complement fc ff), the bytes,
// and the Adler-32 of "abc" (a = 1+97+98+99 = 0x127, b = 98+196+295 = 0x24d).
const std::string StoredAbc("\x78\x01\x01\x03\x00\xfc\xff" "abc" "\x02\x4d\x01\x27", 14);

void Inflate(const std::string& data, const Chunking& ch = {{0}, {0}}) {
    FILT_FlateDecode dec;
    RunFilter(dec, data, ch, 1u << 22);
}

// What zlib's inflate makes of a stream that ends early, in one call with
// room for all of it.
std::string ZlibInflateCut(const std::string& cut, size_t room) {
    z_stream z;
    std::memset(&z, 0, sizeof z);
    EXPECT_EQ(inflateInit(&z), Z_OK);
    std::string out(room, '\0');
    z.next_in = const_cast<Bytef*>(U8(cut));
    z.avail_in = static_cast<uInt>(cut.size());
    z.next_out = U8(out);
    z.avail_out = static_cast<uInt>(room);
    EXPECT_EQ(inflate(&z, Z_FINISH), Z_BUF_ERROR);
    out.resize(z.total_out);
    inflateEnd(&z);
    return out;
}

// Where the deflate data after a zlib stream's 2-byte header end, as raw
// inflate finds it: what follows is the Adler-32 check.
size_t DeflateEnd(const std::string& stream) {
    z_stream z;
    std::memset(&z, 0, sizeof z);
    EXPECT_EQ(inflateInit2(&z, -15), Z_OK);
    std::string out(1u << 20, '\0');
    z.next_in = const_cast<Bytef*>(U8(stream)) + 2;
    z.avail_in = static_cast<uInt>(stream.size() - 2);
    z.next_out = U8(out);
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
    const size_t end = 2 + z.total_in;
    inflateEnd(&z);
    return end;
}

template <class Base>
class FailingInit : public Base {
public:
    explicit FailingInit(int rc) : m_rc(rc) {}

protected:
    int InitZStream(z_stream*) { return m_rc; }
    int InitZStream(z_stream*, int32_t) { return m_rc; }
    int m_rc;
};

}  // namespace

// Our output inflates with zlib's uncompress, zlib's compress output and a
// hand-made stored block decode through our decoder.
TEST(FILT_Flate, InteroperatesWithZlib) {
    const auto inputs = RoundTripInputs();
    for (const Chunking& ch : StandardChunkings()) {
        FILT_FlateDecode stored;
        EXPECT_EQ(RunFilter(stored, StoredAbc, ch), "abc") << ch.Name();
        for (size_t k = 0; k < inputs.size(); ++k) {
            SCOPED_TRACE("input " + std::to_string(k) + " " + ch.Name());
            FILT_FlateEncode enc;
            const std::string encoded = RunFilter(enc, inputs[k], ch, 2 * inputs[k].size() + 1024);
            EXPECT_EQ(ZlibUncompress(encoded, inputs[k].size()), inputs[k]);
            FILT_FlateDecode dec;
            EXPECT_EQ(RunFilter(dec, ZlibCompress(inputs[k]), ch, inputs[k].size() + 1024), inputs[k]);
        }
    }
}

TEST(FILT_Flate, TrailingBytesStayUnread) {
    TestBuffer in(StoredAbc + "XYZ", false), out("", false, 64), out2("", false, 64);
    FILT_FlateDecode dec;
    dec.ProcessBytes(in.buf, out.buf);
    EXPECT_EQ(out.Text(), "abc");
    EXPECT_TRUE(out.buf.IsEOD());
    dec.ProcessBytes(in.buf, out2.buf);
    EXPECT_TRUE(out2.buf.IsEOD());
    EXPECT_EQ(out2.Text(), "");
    EXPECT_EQ(in.Text(), "XYZ");
}

// A pipe calls its first filter with nothing new when its caller has no
// input yet, also while output written since the last read is waiting.
TEST(FILT_Flate, EmptyInputWithoutEODNeedsMoreInput) {
    for (int written = 0; written < 2; ++written) {
        SCOPED_TRACE(written);
        LogCapture log;
        FILT_FlateDecode dec;
        TestBuffer in(StoredAbc.substr(0, 8), false), out("", false, 64), rest(StoredAbc.substr(8), true);
        dec.ProcessBytes(in.buf, out.buf);
        EXPECT_EQ(out.Text(), "a");
        if (!written)
            out.buf.AdvanceGetPtr(out.buf.DataAvailable());
        EXPECT_NO_THROW(dec.ProcessBytes(in.buf, out.buf));
        EXPECT_TRUE(log.Contains(GLIB_LogDebug, "Encountered Z_BUF_ERROR that will be ignored."));
        dec.ProcessBytes(rest.buf, out.buf);
        EXPECT_TRUE(out.buf.IsEOD());
        EXPECT_EQ(out.Text(), written ? "abc" : "bc");
    }
}

// A cut stream gives every byte zlib makes of it, then finishes with its
// loss, however its input and output are cut: rooms of a few bytes used to
// lose what zlib still had to give once the input had run out. Damaged data
// throw the zlib message.
TEST(FILT_Flate, CutStreamsGiveWhatTheyHoldAndDamagedOnesThrowTheZlibMessage) {
    const std::string mixed = ZlibCompress(MixedBytes(3000, 9)), zeros = ZlibCompress(std::string(100000, '\0'));
    const auto check = [](const std::string& cut, const Chunking& ch, size_t room) {
        FILT_FlateDecode dec;
        std::string output;
        RunFilterInto(dec, cut, ch, output, room);
        EXPECT_STREQ(dec.Loss(), "a compressed stream's data stop before their end");
        EXPECT_TRUE(output == ZlibInflateCut(cut, room)) << output.size();
    };
    for (size_t n = 0; n < DeflateEnd(mixed); ++n) {
        for (const Chunking& ch : {Chunking{{0}, {0}}, Chunking{{7, 3, 13}, {1}}}) {
            SCOPED_TRACE("prefix " + std::to_string(n) + " " + ch.Name());
            check(mixed.substr(0, n), ch, 4000);
        }
    }
    std::vector<Chunking> chunkings;
    for (const std::vector<size_t>& in : {std::vector<size_t>{1}, {7, 3, 13}, {0}}) {
        for (size_t room = 1; room <= 20; ++room)
            chunkings.push_back({in, {room}});
        chunkings.push_back({in, {4096}});
    }
    for (const std::string& cut : {mixed.substr(0, 2), mixed.substr(0, mixed.size() / 2),
                                   mixed.substr(0, mixed.size() - 5), zeros.substr(0, zeros.size() - 7)}) {
        for (const Chunking& ch : chunkings) {
            SCOPED_TRACE("prefix " + std::to_string(cut.size()) + " " + ch.Name());
            check(cut, ch, 200000);
        }
    }
    std::string bad = StoredAbc;
    bad[5] = '\x00';  // the stored length's complement does not match
    ExpectThrows([&] { Inflate(bad); }, 1130010, "FILT_FlateDecode encountered a zlib error (-3): data error");
    // A stream that asks for a preset dictionary (FDICT set in the header).
    ExpectThrows([] { Inflate(std::string("\x78\x20\x00\x00\x00\x01rest", 10)); }, 1130010,
                 "FILT_FlateDecode encountered a zlib error (2): need dictionary");
}

// Data that end after the deflate stream's last block, lacking the check or
// part of it, have given all they hold: they finish as a whole stream does,
// however cut into chunks.
TEST(FILT_Flate, DataLackingOnlyTheirCheckFinish) {
    const std::string data = MixedBytes(3000, 9);
    const std::string mixed = ZlibCompress(data), stored = StoredAbc;
    ASSERT_EQ(DeflateEnd(mixed), mixed.size() - 4);
    const struct {
        const char* name;
        std::string stream;
        std::string expected;
    } rows[] = {
        {"whole", mixed, data},
        {"without the check", mixed.substr(0, mixed.size() - 4), data},
        {"with 1 byte of the check", mixed.substr(0, mixed.size() - 3), data},
        {"with 3 bytes of the check", mixed.substr(0, mixed.size() - 1), data},
        {"a stored block without the check", stored.substr(0, stored.size() - 4), "abc"},
    };
    for (const auto& row : rows) {
        for (const Chunking& ch : {Chunking{{0}, {0}}, Chunking{{1}, {1}}, Chunking{{7, 3, 13}, {5}}}) {
            SCOPED_TRACE(std::string(row.name) + " " + ch.Name());
            FILT_FlateDecode dec;
            std::string output;
            RunFilterInto(dec, row.stream, ch, output, 1u << 20);
            EXPECT_TRUE(output == row.expected) << output.size();
        }
    }
}

// Out of memory is GLIB_BadAllocException; any other failure is the
// filter's own exception, then its Error state.
TEST(FILT_Flate, FailedInitThrows) {
    TestBuffer in(StoredAbc, true), out("", false, 64);
    FailingInit<FILT_FlateDecode> noMemDec(Z_MEM_ERROR), dec(Z_VERSION_ERROR);
    FailingInit<FILT_FlateEncode> noMemEnc(Z_MEM_ERROR), enc(Z_STREAM_ERROR);
    EXPECT_THROW(noMemDec.ProcessBytes(in.buf, out.buf), GLIB_BadAllocException);
    EXPECT_THROW(noMemEnc.ProcessBytes(in.buf, out.buf), GLIB_BadAllocException);
    ExpectThrows([&] { dec.ProcessBytes(in.buf, out.buf); }, 1130010, "FILT_FlateDecode: Error -6 calling infateInit");
    ExpectThrows([&] { dec.ProcessBytes(in.buf, out.buf); }, 1130010,
                 "FILT_FlateDecode: ProcessBytes called while in the Error state");
    ExpectThrows([&] { enc.ProcessBytes(in.buf, out.buf); }, 1130011, "FILT_FlateEncode: Error -2 calling delfateInit");
    ExpectThrows([&] { enc.ProcessBytes(in.buf, out.buf); }, 1130010,
                 "FILT_FlateEncode: ProcessBytes called while in the Error state");
}

// In a pipe the encoder is called so when the filter after it has drained
// its output while its own input ran dry at the same moment.
TEST(FILT_Flate, EncoderWithNothingToTakeWaits) {
    FILT_FlateEncode enc;
    TestBuffer empty, out("", false, 64), in("hello", true);
    for (int k = 0; k < 3; ++k)  // the first call writes the zlib header
        EXPECT_NO_THROW(enc.ProcessBytes(empty.buf, out.buf)) << k;
    for (int guard = 0; guard < 10 && !out.buf.IsEOD(); ++guard)
        enc.ProcessBytes(in.buf, out.buf);
    EXPECT_EQ(ZlibUncompress(out.Text(), 5), "hello");
}
