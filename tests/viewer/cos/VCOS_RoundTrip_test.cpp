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

#include "VCOS_TestPdf.h"
#include "support/Corpus.h"
#include "support/TestSupport.h"
#include "viewer/cos/VCOS_Reader.h"

namespace {

std::vector<std::string> CorpusPdfs() {
    std::vector<std::string> names;
    if (DIR* dir = opendir(TINTSCOPE_CORPUS_DIR)) {
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() > 4 && name.substr(name.size() - 4) == ".pdf" && name != "pdfjs_bug1782186.pdf")
                names.push_back(name);
        }
        closedir(dir);
    }
    return names;
}

bool IsFlattened(QPDFObjectHandle object) {
    if (!object.isStream())
        return false;
    QPDFObjectHandle type = object.getDict().getKey("/Type");
    return type.isName() && (type.getName() == "/ObjStm" || type.getName() == "/XRef");
}

double Number(QPDFObjectHandle object) {
    return object.isInteger() ? static_cast<double>(object.getIntValue())
                              : std::strtod(object.getRealValue().c_str(), nullptr);
}

class Comparison {
public:
    explicit Comparison(QPDF& original) {
        for (QPDFObjectHandle object : original.getAllObjects())
            if (!IsFlattened(object))
                m_kept.insert(object.getObjGen());
    }

    // An empty text when equal, else where they differ.
    std::string Compare(QPDFObjectHandle a, QPDFObjectHandle b, const std::string& path, int depth) {
        if (depth > 0 && a.isIndirect()) {
            if (m_kept.count(a.getObjGen()) == 0)  // missing or flattened: written as null
                return b.isNull() ? "" : path + ": expected null for a dangling reference";
            if (!b.isIndirect() || b.getObjGen() != a.getObjGen())
                return path + ": reference " + a.getObjGen().unparse() + " became " + b.unparse();
            return "";
        }
        if (a.isNumber() || b.isNumber())
            return a.isNumber() && b.isNumber() && Number(a) == Number(b)
                       ? ""
                       : path + ": " + a.unparse() + " became " + b.unparse();
        if (a.getTypeCode() != b.getTypeCode())
            return path + ": " + a.getTypeName() + " became " + b.getTypeName();
        if (a.isBool())
            return a.getBoolValue() == b.getBoolValue() ? "" : path + ": boolean";
        if (a.isName())
            return a.getName() == b.getName() ? "" : path + ": " + a.getName() + " became " + b.getName();
        if (a.isString())
            return a.getStringValue() == b.getStringValue() ? "" : path + ": string";
        if (a.isArray()) {
            if (a.getArrayNItems() != b.getArrayNItems())
                return path + ": array length";
            for (int i = 0; i < a.getArrayNItems(); ++i) {
                const std::string d = Compare(a.getArrayItem(i), b.getArrayItem(i), path + "[" + std::to_string(i) + "]", depth + 1);
                if (!d.empty())
                    return d;
            }
            return "";
        }
        if (a.isStream()) {
            const std::string d = CompareDict(a.getDict(), b.getDict(), path, depth, /*skipLength=*/true);
            if (!d.empty())
                return d;
            return a.getRawStreamData()->getSize() == b.getRawStreamData()->getSize() &&
                           std::string(reinterpret_cast<char*>(a.getRawStreamData()->getBuffer()),
                                       a.getRawStreamData()->getSize()) ==
                               std::string(reinterpret_cast<char*>(b.getRawStreamData()->getBuffer()),
                                           b.getRawStreamData()->getSize())
                       ? ""
                       : path + ": stream bytes";
        }
        if (a.isDictionary())
            return CompareDict(a, b, path, depth, false);
        return "";
    }

private:
    std::string CompareDict(QPDFObjectHandle a, QPDFObjectHandle b, const std::string& path, int depth,
                            bool skipLength) {
        std::set<std::string> keysA = a.getKeys(), keysB = b.getKeys();
        if (skipLength) {
            keysA.erase("/Length");
            keysB.erase("/Length");
        }
        if (keysA != keysB)
            return path + ": dictionary keys differ";
        for (const std::string& key : keysA) {
            const std::string d = Compare(a.getKey(key), b.getKey(key), path + key, depth + 1);
            if (!d.empty())
                return d;
        }
        return "";
    }

    std::set<QPDFObjGen> m_kept;
};

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
