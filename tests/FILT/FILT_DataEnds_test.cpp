// Where each decoder's data end: data cut anywhere before their end mark
// give what the data hold, as the decoder's own library reads them (zlib for
// Flate, mutool for LZW and RunLength), and say their loss; whole data and
// Flate data lacking only their check say none.
#include "FILT/FILT_ASCII85Decode.h"
#include "FILT/FILT_ASCIIHexDecode.h"
#include "FILT/FILT_FlateDecode.h"
#include "FILT/FILT_LZWDecode.h"
#include "FILT/FILT_LossTeller.h"
#include "FILT/FILT_Utils.h"
#include "FILT/FILT_ASCII85Encode.h"
#include "COMN_LossRecord.h"
#include "FILT/FILT_RunLengthDecode.h"
#include "FILT/FILT_RunLengthEncode.h"
#include "FILT_TestData.h"
#include "support/Deflated.h"
#include "support/FilterDriver.h"
#include "support/LZWEncoded.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

// Content-like text of many squares: runs and repeats for every coder.
std::string Squares(int count) {
    std::string text = "0 0 0 1 k\n";
    for (int i = 0; i < count; ++i)
        text += std::to_string(i * 7 % 500) + " " + std::to_string(i * 13 % 700) + " 4 4 re f\n";
    return text;
}

// zlib's own reading of data: every byte inflate gives of them.
std::string ZlibInflated(const std::string& data) {
    z_stream z{};
    inflateInit(&z);
    std::string out, room(1 << 16, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    int rc = Z_OK;
    do {
        z.next_out = reinterpret_cast<Bytef*>(&room[0]);
        z.avail_out = static_cast<uInt>(room.size());
        rc = inflate(&z, Z_NO_FLUSH);
        out.append(room, 0, room.size() - z.avail_out);
    } while (rc == Z_OK && z.avail_out == 0);
    inflateEnd(&z);
    return out;
}

// mutool's reading of one stream under filter: its bytes, and whether it
// warned; false when mutool cannot be run.
bool MutoolDecoded(const std::string& filter, const std::string& data, std::string* bytes, bool* warned) {
    ScratchDir dir;
    const std::string pdf = dir.File("s.pdf");
    std::string text = "%PDF-1.4\n1 0 obj\n<< /Filter /" + filter + " /Length " + std::to_string(data.size()) +
                       " >>\nstream\n" + data + "\nendstream\nendobj\ntrailer\n<< /Size 2 >>\n%%EOF\n";
    WriteWholeFile(pdf, text);
    const std::string command = "mutool show -b " + pdf + " 1 >" + dir.File("out") + " 2>" + dir.File("err");
    if (std::system(command.c_str()) != 0)
        return false;
    *bytes = ReadWholeFile(dir.File("out"));
    *warned = ReadWholeFile(dir.File("err")).find("premature") != std::string::npos;
    return true;
}

struct Decoded {
    std::string bytes;
    std::string loss;  // empty: none
};

Decoded Decode(FILT_Filter& filter, const std::string& data, const Chunking& chunking) {
    Decoded d;
    d.bytes = RunFilter(filter, data, chunking);
    d.loss = filter.Loss() ? filter.Loss() : "";
    return d;
}

TEST(FILT_DataEnds, FlateDataCutAnywhereGiveWhatZlibReadsAndSayTheirLossUnlessOnlyTheCheckIsShort) {
    const std::string plain = Squares(300);
    const std::string whole = Deflated(plain);
    const std::string cut = "a compressed stream's data stop before their end";
    for (const Chunking& chunking : {Chunking{{0}, {0}}, Chunking{{7, 3, 13}, {5, 11, 2}}}) {
        SCOPED_TRACE(chunking.Name());
        for (size_t at = 0; at <= whole.size(); at += at < 16 || at + 8 > whole.size() ? 1 : 37) {
            SCOPED_TRACE(at);
            FILT_FlateDecode decoder;
            const Decoded d = Decode(decoder, whole.substr(0, at), chunking);
            EXPECT_EQ(d.bytes, ZlibInflated(whole.substr(0, at)));
            // The last four bytes are the Adler-32 check alone.
            EXPECT_EQ(d.loss, at + 4 < whole.size() ? cut : "");
        }
    }
    // A wrong check: whole data, said as damaged.
    std::string wrong = whole;
    wrong.back() = static_cast<char>(wrong.back() ^ 1);
    FILT_FlateDecode checked;
    const Decoded d = Decode(checked, wrong, {{0}, {0}});
    EXPECT_EQ(d.bytes, plain);
    EXPECT_EQ(d.loss, "a compressed stream's data do not match their check");
    // Data that end at a sync flush, with no last block: all they hold.
    z_stream z{};
    deflateInit(&z, 6);
    std::string flushed(compressBound(static_cast<uLong>(plain.size())) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
    z.avail_in = static_cast<uInt>(plain.size());
    z.next_out = reinterpret_cast<Bytef*>(&flushed[0]);
    z.avail_out = static_cast<uInt>(flushed.size());
    ASSERT_EQ(deflate(&z, Z_SYNC_FLUSH), Z_OK);
    flushed.resize(flushed.size() - z.avail_out);
    deflateEnd(&z);
    FILT_FlateDecode synced;
    const Decoded s = Decode(synced, flushed, {{1}, {1}});
    EXPECT_EQ(s.bytes, plain);
    EXPECT_EQ(s.loss, cut);
    // A preset dictionary PDF cannot give is refused, not read as empty.
    std::string preset = whole;
    preset[1] = static_cast<char>(0xBB);  // 0x78BB: FDICT set, header check kept
    FILT_FlateDecode dictionary;
    ExpectThrows([&] { Decode(dictionary, preset, {{0}, {0}}); }, 1130010,
                 "FILT_FlateDecode encountered a zlib error (2): need dictionary");
}

TEST(FILT_DataEnds, LZWAndRunLengthDataCutAnywhereGiveWhatMutoolReadsAndSayTheirLoss) {
    const std::string plain = Squares(120);
    FILT_RunLengthEncode encoder;
    const struct {
        const char* filter;
        std::string data;
        std::function<FILT_Filter*()> make;
        const char* loss;
    } coders[] = {
        {"LZWDecode", LZWEncoded(plain), [] { return new FILT_LZWDecode; }, "an LZW stream stops before its end code"},
        {"RunLengthDecode", RunFilter(encoder, plain, {{0}, {0}}), [] { return new FILT_RunLengthDecode; },
         "a run-length stream stops before its end mark"},
    };
    for (const auto& coder : coders) {
        SCOPED_TRACE(coder.filter);
        for (size_t at = 0; at <= coder.data.size(); at += at + 4 > coder.data.size() ? 1 : 29) {
            SCOPED_TRACE(at);
            std::string peer;
            bool warned = false;
            if (!MutoolDecoded(coder.filter, coder.data.substr(0, at), &peer, &warned))
                GTEST_SKIP() << "mutool cannot be run";
            // mutool's show writes its end of file as one byte 0xFF after it
            // warns of a cut: no byte of the data.
            if (warned && !peer.empty() && peer.back() == '\xFF')
                peer.pop_back();
            for (const Chunking& chunking : {Chunking{{0}, {0}}, Chunking{{1}, {3}}}) {
                std::unique_ptr<FILT_Filter> decoder(coder.make());
                const Decoded d = Decode(*decoder, coder.data.substr(0, at), chunking);
                // mutool's read of a cut run-length stream drops the bytes of
                // the read that failed: the data's bytes at least as far as
                // mutool's, and no byte the data do not hold.
                EXPECT_EQ(d.bytes.compare(0, peer.size(), peer), 0) << chunking.Name();
                EXPECT_EQ(plain.compare(0, d.bytes.size(), d.bytes), 0) << chunking.Name();
                if (at == coder.data.size() || std::string(coder.filter) == "LZWDecode") {
                    EXPECT_EQ(d.bytes, peer) << chunking.Name();
                }
                EXPECT_EQ(d.loss, at == coder.data.size() ? "" : coder.loss);
                // mutool warns of every cut too.
                EXPECT_EQ(warned, at < coder.data.size());
            }
        }
        std::unique_ptr<FILT_Filter> whole(coder.make());
        EXPECT_EQ(Decode(*whole, coder.data, {{0}, {0}}).bytes, plain);
    }
}

TEST(FILT_DataEnds, ASCIIDataWithoutTheirEndMarkSayItAndWholeOnesDoNot) {
    const struct {
        const char* what;
        std::function<FILT_Filter*()> make;
        const char* data;
        const char* loss;
    } rows[] = {
        {"hex whole", [] { return new FILT_ASCIIHexDecode; }, "41 42 43>", ""},
        {"hex cut", [] { return new FILT_ASCIIHexDecode; }, "41 42 43", "an ASCIIHex stream stops before its end mark"},
        {"85 whole", [] { return new FILT_ASCII85Decode; }, "5sdq~>", ""},
        {"85 cut", [] { return new FILT_ASCII85Decode; }, "5sdq", "an ASCII85 stream stops before its end mark"},
        {"85 cut after ~", [] { return new FILT_ASCII85Decode; }, "5sdq~", "an ASCII85 stream stops before its end mark"},
    };
    for (const auto& row : rows)
        for (const Chunking& chunking : StandardChunkings()) {
            SCOPED_TRACE(std::string(row.what) + " " + chunking.Name());
            std::unique_ptr<FILT_Filter> decoder(row.make());
            const Decoded d = Decode(*decoder, row.data, chunking);
            EXPECT_EQ(d.bytes, "ABC");
            EXPECT_EQ(d.loss, row.loss);
        }
}

std::string HexOf(const std::string& plain) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (const unsigned char c : plain)
        text += std::string{digits[c >> 4], digits[c & 15]};
    return text;
}

// A reading chain: a cut end mark is no loss where a later filter comes to
// its own end whole; a decoder that meets damaged data ends them there, what
// came before reaching the filters after it, and its loss is logged once.
TEST(FILT_DataEnds, AReadingChainEndsAtDamageAndSaysACutEndOnlyWhereNoLaterFilterEndsWhole) {
    const std::string plain = Squares(200);
    const std::string deflated = Deflated(plain);
    FILT_ASCII85Encode encoder;
    const std::string a85 = RunFilter(encoder, deflated, {{0}, {0}});
    std::string badLzw = LZWEncoded(plain);
    badLzw.replace(badLzw.size() / 2, 3, "\xFF\xFF\xFF");
    std::string badHex = HexOf(plain);
    badHex.insert(1000, "x");
    std::string badA85 = a85;
    badA85.insert(a85.size() / 2, "{");
    const struct {
        const char* what;
        std::function<FILT_Filter*()> chain;
        std::string data;
        std::string bytes;  // "": a leading part of plain, checked as such
        const char* loss;
    } cases[] = {
        {"hex then Flate without >", [] { return FILT_ConcatenateFilters(new FILT_ASCIIHexDecode, new FILT_FlateDecode); },
         HexOf(deflated), plain, ""},
        {"hex then LZW without >", [] { return FILT_ConcatenateFilters(new FILT_ASCIIHexDecode, new FILT_LZWDecode); },
         HexOf(LZWEncoded(plain)), plain, ""},
        {"hex then run-length without >",
         [] { return FILT_ConcatenateFilters(new FILT_ASCIIHexDecode, new FILT_RunLengthDecode); },
         HexOf(RunFilter(*std::make_unique<FILT_RunLengthEncode>(), plain, {{0}, {0}})), plain, ""},
        {"hex alone without >", [] { return new FILT_ASCIIHexDecode; }, HexOf(plain), plain,
         "an ASCIIHex stream stops before its end mark"},
        {"hex then Flate cut", [] { return FILT_ConcatenateFilters(new FILT_ASCIIHexDecode, new FILT_FlateDecode); },
         HexOf(deflated.substr(0, deflated.size() / 2)), "", "an ASCIIHex stream stops before its end mark"},
        {"hex holding an x", [] { return new FILT_ASCIIHexDecode; }, badHex, plain.substr(0, 500),
         "an ASCIIHex stream holds a character that is not a hexadecimal digit"},
        {"ASCII85 holding { then Flate",
         [] { return FILT_ConcatenateFilters(new FILT_ASCII85Decode, new FILT_FlateDecode); }, badA85, "",
         "an ASCII85 stream holds a character or group that is not ASCII85"},
        {"LZW holding a code beyond its table", [] { return new FILT_LZWDecode; }, badLzw, "",
         "an LZW stream holds a code beyond its table"},
        {"Flate damaged", [] { return new FILT_FlateDecode; },
         deflated.substr(0, 2) + std::string(40, '\xff') + deflated.substr(42), "",
         "a compressed stream in it is damaged"},
    };
    for (const auto& c : cases) {
        for (const Chunking& chunking : {Chunking{{0}, {0}}, Chunking{{7, 3, 13}, {5, 11, 2}}}) {
            SCOPED_TRACE(std::string(c.what) + " " + chunking.Name());
            const LogCapture log;
            FILT_LossTeller teller(c.chain());
            const std::string got = RunFilter(teller, c.data, chunking);
            if (!c.bytes.empty())
                EXPECT_EQ(got, c.bytes);
            else
                EXPECT_EQ(plain.compare(0, got.size(), got), 0) << "a leading part";
            EXPECT_STREQ(teller.Loss() ? teller.Loss() : "", c.loss);
            size_t told = 0;
            for (const LogCapture::Entry& e : log.Entries())
                told += e.text.find(COMN_LOSS_LEAD) == 0;
            EXPECT_EQ(told, *c.loss ? 1u : 0u);
            if (*c.loss) {
                EXPECT_TRUE(log.Contains(GLIB_LogWarning, std::string(COMN_LOSS_LEAD) + c.loss));
            }
        }
    }
    // Inline LZW and ASCIIHex data without their end end once they give the
    // bytes needed: the padding is theirs, what follows is not; an end code
    // or mark there is taken.
    for (const std::string end : {"", ">", " \n>"}) {
        SCOPED_TRACE("hex ending in '" + end + "'");
        FILT_ASCIIHexDecode hex;
        hex.SetNeeded(plain.size());
        size_t untaken = 0;
        EXPECT_EQ(RunFilter(hex, HexOf(plain) + end + "\nEI Q", {{0}, {0}}, 1u << 28, &untaken), plain);
        EXPECT_EQ(untaken, 5u);
        EXPECT_EQ(hex.Loss(), nullptr);
    }
    // Inline ASCII85 and run-length data likewise ("EI" is ASCII85 digits;
    // after run-length data any byte may read as a length), whatever the
    // size of the last ASCII85 group.
    for (const std::string tail : {"", "x", "xy", "xyz"}) {
        const std::string bytes = plain + tail;
        std::string a85 = RunFilter(*std::make_unique<FILT_ASCII85Encode>(), bytes, {{0}, {0}});
        a85.resize(a85.size() - 2);  // "~>"
        // The coder's line end before "~>": space the content may keep.
        const size_t lineEnd = a85.size() - (a85.find_last_not_of(" \r\n") + 1);
        std::string runs = RunFilter(*std::make_unique<FILT_RunLengthEncode>(), bytes, {{0}, {0}});
        runs.pop_back();  // 128
        const auto a85Decoder = [](uint64_t n) { auto* f = new FILT_ASCII85Decode; f->SetNeeded(n); return f; };
        const auto runDecoder = [](uint64_t n) { auto* f = new FILT_RunLengthDecode; f->SetNeeded(n); return f; };
        const struct {
            const char* what;
            std::function<FILT_Filter*(uint64_t)> make;
            std::string data;
            size_t needed;
            size_t space;  // white space the data end in
        } rows[] = {
            {"ASCII85 without ~>", a85Decoder, a85, bytes.size(), lineEnd},
            {"ASCII85 with ~>", a85Decoder, a85 + " \n~>", bytes.size(), 0},
            // The rest of the last group and its mark are the data's.
            {"ASCII85 beyond the bytes needed", a85Decoder, a85 + "~>",
             bytes.size() - (bytes.size() % 4 == 1 ? 0 : 1), 0},
            {"run-length without 128", runDecoder, runs, bytes.size(), 0},
            {"run-length with 128", runDecoder, runs + "\x80", bytes.size(), 0},
        };
        for (const auto& row : rows)
            for (const Chunking& chunking : StandardChunkings()) {
                SCOPED_TRACE(std::string(row.what) + " ending in '" + tail + "' " + chunking.Name());
                std::unique_ptr<FILT_Filter> decoder(row.make(row.needed));
                size_t untaken = 0;
                const std::string got = RunFilter(*decoder, row.data + "\nEI Q", chunking, 1u << 28, &untaken);
                EXPECT_EQ(got.substr(0, row.needed), bytes.substr(0, row.needed));
                EXPECT_LE(got.size(), row.needed + 3);
                // What the decoder took only to see that it is not the data's
                // is given back.
                if (auto* a85Decoder = dynamic_cast<FILT_ASCII85Decode*>(decoder.get()))
                    untaken += a85Decoder->HeldBytes().size();
                EXPECT_EQ(untaken, 5u + row.space);
                EXPECT_EQ(decoder->Loss(), nullptr);
            }
    }
    for (const bool endCode : {false, true}) {
        SCOPED_TRACE(endCode ? "with its end code" : "without");
        FILT_LZWDecode lzw;
        lzw.SetNeeded(plain.size());
        size_t untaken = 0;
        EXPECT_EQ(RunFilter(lzw, LZWEncoded(plain, endCode) + "\nEI Q", {{0}, {0}}, 1u << 28, &untaken), plain);
        EXPECT_EQ(untaken, 5u);
        EXPECT_EQ(lzw.Loss(), nullptr);
    }
}

}  // namespace
