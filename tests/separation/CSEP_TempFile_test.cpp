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

// Three inks' files, created, with a stream open on each.
struct Inks {
    explicit Inks(size_t n = 3) : files(n) {
        for (CSEP_TempFile& file : files) {
            file.Create();
            streams.push_back(file.OpenStream());
        }
    }
    std::string OnDisk(size_t i) const { return ReadWholeFile(files[i].FileSpec().PathString()); }

    std::vector<CSEP_TempFile> files;
    std::vector<GLOB_Stream> streams;
};

// Files may grow to limit bytes while it lives; a write past it fails
// (EFBIG, a full disk) instead of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) : m_signal(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit lower = m_old;
        lower.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_signal);
    }

private:
    rlimit m_old;
    void (*m_signal)(int);
};

std::string Inflate(const std::string& data, size_t size) {
    std::string out(size, '\0');
    uLongf length = static_cast<uLongf>(size);
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(&out[0]), &length,
                         reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size())),
              Z_OK);
    out.resize(length);
    return out;
}

using CSEP_TempFileTest = CSEP_TempDirTest;
using CSEP_MultiWriterTest = CSEP_TempDirTest;

}  // namespace

TEST_F(CSEP_MultiWriterTest, SharedTokensReachEveryInkAndTargetedOnesOne) {
    const GLOB_Doc doc = NewDoc();
    Inks inks;
    CSEP_MultiWriter writer;
    writer.SetStreams(inks.streams);
    writer.WriteOperator("q");
    writer.SetTarget(1);
    EXPECT_EQ(writer.Target(), 1);
    writer.WriteOperator("0.5 g");
    writer.SetTarget(-1);
    GLOB_OperandStack operands;
    for (int v : {0, 0, 10, 10})
        operands.Push(doc.NewInteger(v));
    writer.WriteOperation("re", operands);
    EXPECT_THROW(writer.SetTarget(3), TestAssertionFailure);
    writer.Reset();
    EXPECT_EQ(writer.Target(), -1);

    const char* const expected[] = {"q\n0 0 10 10 re\n", "q\n0.5 g\n0 0 10 10 re\n", "q\n0 0 10 10 re\n"};
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(inks.OnDisk(i), expected[i]);
        const GLOB_Object stream = inks.files[i].MakeEmbeddedStream(doc, GLOB_Object(), GLOB_Object());
        EXPECT_EQ(StreamData(stream), expected[i]);
        EXPECT_FALSE(stream.Known(GLOB_Name("Filter")));
        EXPECT_FALSE(inks.files[i].HoldsFile());
    }
}

TEST_F(CSEP_TempFileTest, EmbeddedStreamsHoldEveryByteAroundTheBufferSize) {
    const GLOB_Doc doc = NewDoc();
    Inks inks;
    CSEP_MultiWriter writer;
    writer.SetStreams(inks.streams);
    std::vector<std::string> data;
    for (size_t i = 0; i < 3; ++i) {
        std::string bytes(8191 + i, '\0');
        for (size_t j = 0; j < bytes.size(); ++j)
            bytes[j] = static_cast<char>('a' + (j * 7 + i) % 26);
        writer.SetTarget(static_cast<int32_t>(i));
        writer.WriteText(bytes.c_str());
        data.push_back(bytes);
    }
    writer.Reset();
    EXPECT_EQ(TempFiles().size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(data[i].size());
        EXPECT_EQ(StreamData(inks.files[i].MakeEmbeddedStream(doc, GLOB_Object(), GLOB_Object())), data[i]);
    }
    EXPECT_TRUE(TempFiles().empty());

    // An empty file gives empty data.
    CSEP_TempFile empty;
    empty.Create();
    EXPECT_EQ(StreamData(empty.MakeEmbeddedStream(doc, GLOB_Object(), GLOB_Object())), "");
    EXPECT_TRUE(TempFiles().empty());
}

TEST_F(CSEP_TempFileTest, MakingAStreamFinishesTheEncoderOfAnOpenOutput) {
    // Written through a Flate encoder and never closed by the writer: the
    // last deflate block reaches the file only when the stream is finished.
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
        EXPECT_EQ(Inflate(StreamData(stream), text.size()), text);
        EXPECT_EQ(StreamData(stream, 2), text);
        EXPECT_TRUE(stream.DictGet(GLOB_Name(external ? "FFilter" : "Filter")).IsDeepEqual(flate));
    }
}

TEST_F(CSEP_TempFileTest, ExternalStreamsNameTheirFileUntilItIsDeleted) {
    const GLOB_Doc doc = NewDoc();
    const GLOB_Doc other = NewDoc();  // filter and parameters come from another document
    CSEP_TempFile file;
    file.Create();
    const std::string path = file.FileSpec().PathString();
    GLOB_Stream out = file.OpenStream();
    CSEP_MultiWriter writer;
    writer.SetStreams({out});
    writer.WriteText("30206720300A>");
    writer.Reset();
    const GLOB_Object filter = other.ParseObject("[/ASCIIHexDecode]");
    const GLOB_Object params = other.ParseObject("[null]");
    const GLOB_Object stream = file.MakeExternalStream(doc, filter, params);

    EXPECT_EQ(stream.GetImpl()->StreamLength(stream), 0u);
    EXPECT_TRUE(stream.DictGet(GLOB_Name("FFilter")).IsDeepEqual(filter));
    EXPECT_TRUE(stream.DictGet(GLOB_Name("FDecodeParms")).IsDeepEqual(params));
    EXPECT_EQ(stream.DictGet(GLOB_Name("FFilter")).GetImpl(), doc.Impl());
    const GLOB_Object spec = stream.DictGet(GLOB_Name("F"));
    EXPECT_TRUE(spec.IsIndirect() && spec.HasType("Filespec"));
    EXPECT_EQ(spec.StringValue("DOS").AsStdString(), path);
    EXPECT_EQ(spec.AsDict().Size(), 2u);
    // The memory back-end reads the file through the DOS entry.
    EXPECT_EQ(StreamData(stream), "30206720300A>");
    EXPECT_EQ(StreamData(stream, 2), "0 g 0\n");
    EXPECT_EQ(TempFiles().size(), 1u);

    // Without filter and parameters the keys are left out.
    CSEP_TempFile bare;
    bare.Create();
    const GLOB_Object plain = bare.MakeExternalStream(doc, GLOB_Object(), GLOB_Object());
    EXPECT_FALSE(plain.Known(GLOB_Name("FFilter")) || plain.Known(GLOB_Name("FDecodeParms")));
    EXPECT_EQ(StreamData(plain), "");

    file.Delete();
    bare.Delete();
    EXPECT_TRUE(TempFiles().empty());
    const LogCapture capture;
    EXPECT_EQ(Failure([&] { StreamData(stream); }).substr(0, 8), "1151011 ");
}

TEST_F(CSEP_TempFileTest, HandlesShareOneFileThatGoesWithTheLast) {
    CSEP_TempFile never;
    never.Release();  // a file never created: nothing to delete
    EXPECT_THROW(never.FileSpec(), TestAssertionFailure);
    EXPECT_THROW(never.OpenStream(), TestAssertionFailure);

    CSEP_TempFile file;
    file.Create();
    const std::string path = file.FileSpec().PathString();
    file.Create();  // keeps the file it has
    EXPECT_EQ(file.FileSpec().PathString(), path);
    EXPECT_EQ(TempFiles().size(), 1u);
    EXPECT_NE(path.find("/VDQ"), std::string::npos);

    CSEP_TempFile copy = file;
    copy = copy;
    EXPECT_TRUE(copy.SameFile(file));
    file.Release();
    EXPECT_FALSE(file.SameFile(copy) || file.HoldsFile());
    EXPECT_EQ(TempFiles().size(), 1u);
    copy.Close();  // closed, still on disk
    EXPECT_EQ(TempFiles().size(), 1u);
    copy.Release();
    EXPECT_TRUE(TempFiles().empty());
}

TEST_F(CSEP_TempFileTest, AFailedWriteInTheMiddleOfAStreamLeavesNoFile) {
    const GLOB_Doc doc = NewDoc();
    GLOB_Stream orphan;
    {
        Inks inks;
        orphan = inks.streams[0];
        CSEP_MultiWriter writer;
        writer.SetStreams(inks.streams);
        const std::string chunk(1000, 'x');
        const FileSizeLimit limit(20000);
        try {
            for (int i = 0; i < 100; ++i)
                writer.WriteText(chunk.c_str());
            writer.Reset();
            ADD_FAILURE() << "the writes past the limit succeeded";
        } catch (const MACR_IOException& e) {
            EXPECT_NE(std::string(e.What()).find("[error]: 112 "), std::string::npos) << e.What();  // disk full
        }
    }
    // The stream a writer still holds is closed with its file.
    EXPECT_THROW(ReadAll(orphan), TestAssertionFailure);
}
