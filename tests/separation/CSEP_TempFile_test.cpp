#include "separation/CSEP_TempFile.h"

#include "CSEP_TestUtil.h"
#include "GLOB/GLOB_Filter.h"
#include "GLOB/GLOB_OperandStack.h"
#include "fileio/MACR_IOException.h"
#include "separation/CSEP_MultiWriter.h"

#include <zlib.h>

#include <csignal>
#include <sys/resource.h>

namespace {

using CSEP_TempFileTest = CSEP_TempDirTest;

// n created files with a stream open on each, and a writer over the streams.
struct Inks {
    explicit Inks(size_t n) : files(n) {
        for (CSEP_TempFile& file : files) {
            file.Create();
            streams.push_back(file.OpenStream());
        }
        writer.SetStreams(streams);
    }
    std::vector<CSEP_TempFile> files;
    std::vector<GLOB_Stream> streams;
    CSEP_MultiWriter writer;
};

// Files may grow to limit bytes while it lives; a write past it fails
// (EFBIG) instead of raising SIGXFSZ.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t limit) : signal(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit lower = old;
        lower.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, signal);
    }
    rlimit old;
    void (*signal)(int);
};

}  // namespace

TEST_F(CSEP_TempFileTest, SharedTokensReachEveryInkAndTargetedOnesOne) {
    const GLOB_Doc doc = NewDoc();
    Inks inks(3);
    inks.writer.WriteOperator("q");
    inks.writer.SetTarget(1);
    inks.writer.WriteOperator("0.5 g");
    inks.writer.SetTarget(-1);
    GLOB_OperandStack operands;
    for (int v : {0, 0, 10, 10})
        operands.Push(doc.NewInteger(v));
    inks.writer.WriteOperation("re", operands);
    EXPECT_THROW(inks.writer.SetTarget(3), TestAssertionFailure);
    inks.writer.Reset();
    const char* const expected[] = {"q\n0 0 10 10 re\n", "q\n0.5 g\n0 0 10 10 re\n", "q\n0 0 10 10 re\n"};
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ReadWholeFile(inks.files[i].FileSpec().PathString()), expected[i]);
        const GLOB_Object stream = inks.files[i].MakeEmbeddedStream(doc, GLOB_Object(), GLOB_Object());
        EXPECT_EQ(StreamData(stream), expected[i]);
        EXPECT_FALSE(stream.Known(GLOB_Name("Filter")) || inks.files[i].HoldsFile());
    }
}

TEST_F(CSEP_TempFileTest, EmbeddedStreamsHoldEveryByteAroundTheBufferSize) {
    const GLOB_Doc doc = NewDoc();
    Inks inks(4);
    std::vector<std::string> data;
    for (size_t i = 0; i < 4; ++i) {
        std::string bytes(i == 3 ? 0 : 8191 + i, '\0');  // the last file stays empty
        for (size_t j = 0; j < bytes.size(); ++j)
            bytes[j] = static_cast<char>('a' + (j * 7 + i) % 26);
        inks.writer.SetTarget(static_cast<int32_t>(i));
        inks.writer.WriteText(bytes.c_str());
        data.push_back(bytes);
    }
    inks.writer.Reset();
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(data[i].size());
        EXPECT_EQ(StreamData(inks.files[i].MakeEmbeddedStream(doc, GLOB_Object(), GLOB_Object())), data[i]);
        EXPECT_EQ(TempFiles().size(), 3 - i);
    }
}

TEST_F(CSEP_TempFileTest, MakingAStreamFinishesTheEncoderOfAnOpenOutput) {
    // Written through a Flate encoder that the writer never closed: the last
    // deflate block reaches the file only when the stream is finished.
    const GLOB_Doc doc = NewDoc();
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += std::to_string(i * 37 % 1000) + " ";
    const GLOB_Object flate = doc.ParseObject("/FlateDecode");
    for (bool external : {false, true}) {
        SCOPED_TRACE(external);
        CSEP_TempFile file;
        file.Create();
        GLOB_Stream out = file.OpenStream();
        out.SetFilter(GLOB_Filter::MakeFilterChain(flate, GLOB_Object(), GLOB_Filter::Encoding));
        FILT_FilterBuffer buffer(reinterpret_cast<uint8_t*>(&text[0]), static_cast<FILT_Size>(text.size()), false);
        buffer.AdvancePutPtr(static_cast<FILT_Size>(text.size()));
        out.Write(buffer);
        const GLOB_Object stream = external ? file.MakeExternalStream(doc, flate, GLOB_Object())
                                            : file.MakeEmbeddedStream(doc, flate, GLOB_Object());
        const std::string stored = StreamData(stream);
        std::string inflated(text.size() + 1, '\0');
        uLongf length = static_cast<uLongf>(inflated.size());
        ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(&inflated[0]), &length,
                             reinterpret_cast<const Bytef*>(stored.data()), static_cast<uLong>(stored.size())),
                  Z_OK);
        EXPECT_EQ(inflated.substr(0, length), text);
        EXPECT_TRUE(stream.DictGet(GLOB_Name(external ? "FFilter" : "Filter")).IsDeepEqual(flate));
        file.Delete();
    }
}

TEST_F(CSEP_TempFileTest, ExternalStreamsNameTheirFileUntilItIsDeleted) {
    const GLOB_Doc doc = NewDoc();
    const GLOB_Doc other = NewDoc();  // filter and parameters come from another document
    Inks inks(2);
    inks.writer.WriteText("30206720300A>");
    inks.writer.Reset();
    const GLOB_Object filter = other.ParseObject("[/ASCIIHexDecode]");
    const GLOB_Object params = other.ParseObject("[null]");
    const GLOB_Object stream = inks.files[0].MakeExternalStream(doc, filter, params);
    EXPECT_EQ(stream.GetImpl()->StreamLength(stream), 0u);
    EXPECT_TRUE(stream.DictGet(GLOB_Name("FFilter")).IsDeepEqual(filter));
    EXPECT_TRUE(stream.DictGet(GLOB_Name("FDecodeParms")).IsDeepEqual(params));
    EXPECT_EQ(stream.DictGet(GLOB_Name("FFilter")).GetImpl(), doc.Impl());
    const GLOB_Object spec = stream.DictGet(GLOB_Name("F"));
    EXPECT_TRUE(spec.IsIndirect() && spec.HasType("Filespec") && spec.AsDict().Size() == 2);
    EXPECT_EQ(spec.StringValue("DOS").AsStdString(), inks.files[0].FileSpec().PathString());
    // The memory back-end reads the file through the DOS entry.
    EXPECT_EQ(StreamData(stream), "30206720300A>");
    EXPECT_EQ(StreamData(stream, 2), "0 g 0\n");
    // Without filter and parameters the keys are left out.
    const GLOB_Object bare = inks.files[1].MakeExternalStream(doc, GLOB_Object(), GLOB_Object());
    EXPECT_FALSE(bare.Known(GLOB_Name("FFilter")) || bare.Known(GLOB_Name("FDecodeParms")));
    EXPECT_EQ(StreamData(bare), "30206720300A>");
    EXPECT_EQ(TempFiles().size(), 2u);

    inks.files[0].Delete();
    const LogCapture capture;
    EXPECT_EQ(Failure([&] { StreamData(stream); }).substr(0, 8), "1151011 ");
    EXPECT_EQ(TempFiles().size(), 1u);
}

TEST_F(CSEP_TempFileTest, HandlesShareOneFileThatGoesWithTheLast) {
    CSEP_TempFile never;
    never.Release();  // never created: nothing to delete
    EXPECT_THROW(never.FileSpec(), TestAssertionFailure);
    EXPECT_THROW(never.OpenStream(), TestAssertionFailure);

    CSEP_TempFile file;
    file.Create();
    const std::string path = file.FileSpec().PathString();
    file.Create();  // keeps the file it has
    EXPECT_EQ(file.FileSpec().PathString(), path);
    EXPECT_EQ(TempFiles(), std::vector<std::string>({path.substr(path.rfind('/') + 1)}));
    EXPECT_EQ(path.substr(path.rfind('/') + 1, 3), "VDQ");
    CSEP_TempFile copy = file;
    file.Release();
    EXPECT_FALSE(file.SameFile(copy) || file.HoldsFile());
    copy.Close();  // closed, still on disk
    EXPECT_EQ(TempFiles().size(), 1u);
}

TEST_F(CSEP_TempFileTest, AFailedWriteInTheMiddleOfAStreamLeavesNoFile) {
    GLOB_Stream orphan;
    {
        Inks inks(3);
        orphan = inks.streams[0];
        const std::string chunk(1000, 'x');
        const FileSizeLimit limit(20000);
        try {
            for (int i = 0; i < 100; ++i)
                inks.writer.WriteText(chunk.c_str());
            ADD_FAILURE() << "the writes past the limit succeeded";
        } catch (const MACR_IOException& e) {
            // ERROR_FILE_TOO_LARGE: the limit, not a full disk.
            EXPECT_NE(std::string(e.What()).find("[error]: 223 "), std::string::npos) << e.What();
        }
    }
    // A stream that outlives its file is closed with it.
    EXPECT_THROW(orphan.Read(), TestAssertionFailure);
}
