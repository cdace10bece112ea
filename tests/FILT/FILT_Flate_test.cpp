#include "FILT/FILT_FlateDecode.h"
#include "FILT/FILT_FlateEncode.h"
#include "FILT/FILT_FilterPipe.h"

#include "GLIB/GLIB_Exception.h"
#include "support/FilterDriver.h"
#include "support/TestSupport.h"
#include "FILT_TestData.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <functional>
#include <string>
#include <utility>

namespace {

std::string ZlibCompress(const std::string& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    EXPECT_EQ(compress(reinterpret_cast<Bytef*>(&out[0]), &size, reinterpret_cast<const Bytef*>(data.data()),
                       static_cast<uLong>(data.size())),
              Z_OK);
    out.resize(size);
    return out;
}

std::string ZlibUncompress(const std::string& data, size_t expectedSize) {
    uLongf size = static_cast<uLongf>(expectedSize + 1);
    std::string out(size, '\0');
    const int rc = uncompress(reinterpret_cast<Bytef*>(&out[0]), &size, reinterpret_cast<const Bytef*>(data.data()),
                              static_cast<uLong>(data.size()));
    EXPECT_EQ(rc, Z_OK);
    out.resize(rc == Z_OK ? size : 0);
    return out;
}

// "abc" as a zlib stream with one stored block, written by hand: header
// 78 01, final stored block of length 3 (03 00, complement fc ff), the bytes,
// and the Adler-32 of "abc" (a = 1+97+98+99 = 0x127, b = 98+196+295 = 0x24d).
const std::string StoredAbc("\x78\x01\x01\x03\x00\xfc\xff" "abc" "\x02\x4d\x01\x27", 14);

// Runs the decoder and returns the exception code, or 0 when it ended with EOD.
uint32_t DecodeCode(const std::string& data, const Chunking& ch, std::string* message = nullptr) {
    FILT_FlateDecode dec;
    try {
        RunFilter(dec, data, ch, 1u << 22);
        return 0;
    } catch (const GLIB_Exception& e) {
        if (message)
            *message = e.What();
        return e.Code();
    }
}

class FailingInitDecode : public FILT_FlateDecode {
public:
    explicit FailingInitDecode(int rc) : m_rc(rc) {}

protected:
    int InitZStream(z_stream*) override { return m_rc; }
    int m_rc;
};
class FailingInitEncode : public FILT_FlateEncode {
public:
    explicit FailingInitEncode(int rc) : m_rc(rc) {}

protected:
    int InitZStream(z_stream*, int32_t) override { return m_rc; }
    int m_rc;
};

// The code and message of the exception f throws, or 0.
std::pair<uint32_t, std::string> Thrown(const std::function<void()>& f) {
    try {
        f();
    } catch (const GLIB_Exception& e) {
        return {e.Code(), e.What()};
    }
    return {0, ""};
}

}  // namespace

TEST(FILT_Flate, DecodesHandMadeStoredBlock) {
    for (const Chunking& ch : StandardChunkings()) {
        SCOPED_TRACE(ch.Name());
        FILT_FlateDecode dec;
        EXPECT_EQ(RunFilter(dec, StoredAbc, ch), "abc");
    }
}

TEST(FILT_Flate, EncoderOutputInflatesWithZlib) {
    const auto inputs = RoundTripInputs();
    for (size_t k = 0; k < inputs.size(); ++k) {
        for (const Chunking& ch : StandardChunkings()) {
            SCOPED_TRACE("input " + std::to_string(k) + " " + ch.Name());
            FILT_FlateEncode enc;
            const std::string encoded = RunFilter(enc, inputs[k], ch, 2 * inputs[k].size() + 1024);
            EXPECT_EQ(ZlibUncompress(encoded, inputs[k].size()), inputs[k]);
        }
    }
}

TEST(FILT_Flate, ZlibOutputDecodes) {
    const auto inputs = RoundTripInputs();
    for (size_t k = 0; k < inputs.size(); ++k) {
        const std::string encoded = ZlibCompress(inputs[k]);
        for (const Chunking& ch : StandardChunkings()) {
            SCOPED_TRACE("input " + std::to_string(k) + " " + ch.Name());
            FILT_FlateDecode dec;
            EXPECT_EQ(RunFilter(dec, encoded, ch, inputs[k].size() + 1024), inputs[k]);
        }
    }
}

TEST(FILT_Flate, TrailingBytesStayUnread) {
    TestBuffer in(StoredAbc + "XYZ", false), out("", false, 64);
    FILT_FlateDecode dec;
    dec.ProcessBytes(in.buf, out.buf);
    EXPECT_EQ(out.Text(), "abc");
    EXPECT_TRUE(out.buf.IsEOD());
    EXPECT_EQ(in.Text(), "XYZ");
    TestBuffer out2("", false, 64);
    dec.ProcessBytes(in.buf, out2.buf);
    EXPECT_TRUE(out2.buf.IsEOD());
    EXPECT_EQ(out2.buf.DataAvailable(), 0u);
    EXPECT_EQ(in.Text(), "XYZ");
}

TEST(FILT_Flate, EmptyInputWithoutEODNeedsMoreInput) {
    // Also when bytes were written into outBuf since it was last read: a pipe
    // calls the first filter so when its caller has nothing new yet.
    for (int written = 0; written < 2; ++written) {
        SCOPED_TRACE(written);
        LogCapture log;
        FILT_FlateDecode dec;
        TestBuffer in(StoredAbc.substr(0, 8), false), out("", false, 64);
        dec.ProcessBytes(in.buf, out.buf);
        EXPECT_EQ(out.Text(), "a");
        if (!written)
            out.buf.AdvanceGetPtr(out.buf.DataAvailable());
        EXPECT_NO_THROW(dec.ProcessBytes(in.buf, out.buf));
        EXPECT_TRUE(log.Contains(GLIB_LogWarning, "Encountered Z_BUF_ERROR that will be ignored."));
        TestBuffer rest(StoredAbc.substr(8), true);
        dec.ProcessBytes(rest.buf, out.buf);
        EXPECT_TRUE(out.buf.IsEOD());
        EXPECT_EQ(out.Text(), written ? "abc" : "bc");
    }
}

TEST(FILT_Flate, EveryPrefixThrowsTheZlibMessage) {
    const std::string encoded = ZlibCompress(MixedBytes(3000, 9));
    for (size_t n = 0; n < encoded.size(); ++n) {
        for (const Chunking& ch : {Chunking{{0}, {0}}, Chunking{{7, 3, 13}, {1}}}) {
            SCOPED_TRACE("prefix " + std::to_string(n) + " " + ch.Name());
            std::string message;
            EXPECT_EQ(DecodeCode(encoded.substr(0, n), ch, &message), 1130010u);
            EXPECT_EQ(message, "FILT_FlateDecode encountered a zlib error (-5): buffer error");
        }
    }
}

TEST(FILT_Flate, DamagedStreamsThrowTheZlibMessage) {
    std::string message;
    // A damaged stored block: the length's complement does not match.
    std::string bad = StoredAbc;
    bad[5] = '\x00';
    EXPECT_EQ(DecodeCode(bad, {{0}, {0}}, &message), 1130010u);
    EXPECT_EQ(message, "FILT_FlateDecode encountered a zlib error (-3): data error");
    // A stream that asks for a preset dictionary (FDICT set in the header).
    EXPECT_EQ(DecodeCode(std::string("\x78\x20\x00\x00\x00\x01", 6) + "rest", {{0}, {0}}, &message), 1130010u);
    EXPECT_EQ(message, "FILT_FlateDecode encountered a zlib error (2): need dictionary");
}

TEST(FILT_Flate, ErrorStateRepeats) {
    FILT_FlateDecode dec;
    TestBuffer in("\x78\x01\xff\xff", true), out("", false, 64);
    EXPECT_THROW(dec.ProcessBytes(in.buf, out.buf), GLIB_Exception);
    for (int k = 0; k < 2; ++k) {
        try {
            dec.ProcessBytes(in.buf, out.buf);
            FAIL() << "no exception";
        } catch (const GLIB_Exception& e) {
            EXPECT_EQ(e.Code(), 1130010u);
            EXPECT_STREQ(e.What(), "FILT_FlateDecode: ProcessBytes called while in the Error state");
        }
    }
}

TEST(FILT_Flate, FailedInitThrows) {
    TestBuffer in(StoredAbc, true), out("", false, 64);
    FailingInitDecode dec(Z_MEM_ERROR);
    EXPECT_THROW(dec.ProcessBytes(in.buf, out.buf), GLIB_BadAllocException);
    FailingInitEncode enc(Z_MEM_ERROR);
    EXPECT_THROW(enc.ProcessBytes(in.buf, out.buf), GLIB_BadAllocException);

    // Any other failure is the filter's own exception, then its Error state.
    FailingInitDecode badDec(Z_VERSION_ERROR);
    auto call = [&](FILT_Filter& f) { return Thrown([&] { f.ProcessBytes(in.buf, out.buf); }); };
    EXPECT_EQ(call(badDec), std::make_pair(1130010u, std::string("FILT_FlateDecode: Error -6 calling infateInit")));
    EXPECT_EQ(call(badDec), std::make_pair(1130010u, std::string("FILT_FlateDecode: ProcessBytes called while in "
                                                                 "the Error state")));
    FailingInitEncode badEnc(Z_STREAM_ERROR);
    EXPECT_EQ(call(badEnc), std::make_pair(1130011u, std::string("FILT_FlateEncode: Error -2 calling delfateInit")));
    EXPECT_EQ(call(badEnc), std::make_pair(1130010u, std::string("FILT_FlateEncode: ProcessBytes called while in "
                                                                 "the Error state")));
}

TEST(FILT_Flate, EncoderWithNothingToTakeWaits) {
    // In a pipe the encoder is called so when the filter after it has drained
    // its output while its own input ran dry at the same moment.
    FILT_FlateEncode enc;
    TestBuffer empty, out("", false, 64);
    for (int k = 0; k < 3; ++k)  // the first call writes the zlib header
        EXPECT_NO_THROW(enc.ProcessBytes(empty.buf, out.buf)) << k;
    TestBuffer in("hello", true);
    for (int guard = 0; guard < 10 && !out.buf.IsEOD(); ++guard)
        enc.ProcessBytes(in.buf, out.buf);
    EXPECT_EQ(ZlibUncompress(out.Text(), 5), "hello");
}

TEST(FILT_Flate, ChainOfEncoderAndDecoder) {
    const std::string data = RandomBytes(60000, 4);
    LogCapture quiet;  // the decoder warns when the pipe resumes it without input
    for (const Chunking& ch : StandardChunkings()) {
        SCOPED_TRACE(ch.Name());
        FILT_FilterPipe pipe;
        pipe.Append(new FILT_FlateEncode);
        pipe.Append(new FILT_FlateDecode);
        EXPECT_EQ(RunFilter(pipe, data, ch, data.size() + 64), data);
    }
}
