// Every corpus file but the encrypted one is read into the store, written
// back, and compared with the original by qpdf: the same objects, numbers,
// generations, values and stream bytes, and no warning on the rewrite.
// /Length (written direct) and the object and cross-reference streams
// (written flat) are left out of the comparison.
#include <gtest/gtest.h>

#include <cstdlib>
#include <dirent.h>
#include <set>
#include <string>
#include <vector>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include "VCOS_Compare.h"
#include "VCOS_TestPdf.h"
#include "support/Corpus.h"
#include "support/TestSupport.h"
#include "viewer/cos/VCOS_Reader.h"

namespace {

TEST(VCOS_RoundTrip, EveryCorpusFileRewritesToTheSameObjects) {
    TINTSCOPE_SKIP_WITHOUT_CORPUS();
    const std::vector<std::string> names = CorpusPdfs();
    ASSERT_GE(names.size(), 29u);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::string bytes = ReadWholeFile(CorpusFile(name));
        VCOS_Store store;
        const VCOS_DocId doc = VCOS_Reader::Read(store, bytes, name);
        const std::string written = VCOS_WriteToString(store, doc);
        EXPECT_EQ(written.substr(0, store.Header(doc).size() + 1), store.Header(doc) + "\n");

        QPDF original;
        original.setSuppressWarnings(true);
        original.processMemoryFile(name.c_str(), bytes.data(), bytes.size());
        QPDF rewritten;
        rewritten.setSuppressWarnings(true);
        rewritten.processMemoryFile("rewritten", written.data(), written.size());

        Comparison comparison(original);
        size_t compared = 0;
        for (QPDFObjectHandle object : original.getAllObjects()) {
            if (IsFlattened(object))
                continue;
            QPDFObjectHandle copy = rewritten.getObjectByObjGen(object.getObjGen());
            const std::string difference = comparison.Compare(object, copy, object.getObjGen().unparse(), 0);
            EXPECT_EQ(difference, "");
            ++compared;
        }
        EXPECT_EQ(compared, store.IndirectObjects(doc).size());
        EXPECT_EQ(rewritten.getTrailer().getKey("/Root").getObjGen(), original.getTrailer().getKey("/Root").getObjGen());
        EXPECT_EQ(rewritten.getTrailer().getKey("/Info").getObjGen(), original.getTrailer().getKey("/Info").getObjGen());
        for (QPDFObjectHandle object : rewritten.getAllObjects())
            if (object.isStream())
                object.getRawStreamData();
        EXPECT_FALSE(rewritten.anyWarnings());
        for (const QPDFExc& warning : rewritten.getWarnings())
            ADD_FAILURE() << warning.what();
    }
}

}  // namespace
