// Comparing a rewritten file with its original through qpdf: the corpus
// files the round trips use, and a comparison of objects that takes numbers
// as numbers, skips /Length and expects references to missing or flattened
// objects to be written as null.
#pragma once

#include <cstdlib>
#include <dirent.h>
#include <set>
#include <string>
#include <vector>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include "support/Corpus.h"

// Every PDF file of the corpus but the encrypted one.
inline std::vector<std::string> CorpusPdfs() {
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

// Object and cross-reference streams, which the writer flattens.
inline bool IsFlattened(QPDFObjectHandle object) {
    if (!object.isStream())
        return false;
    QPDFObjectHandle type = object.getDict().getKey("/Type");
    return type.isName() && (type.getName() == "/ObjStm" || type.getName() == "/XRef");
}

inline double Number(QPDFObjectHandle object) {
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
