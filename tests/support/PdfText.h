// Hand-made PDF files for tests: object bodies in, a file with a correct
// cross-reference table out.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

// Object i of the list is object number i + 1, generation 0. trailer: the
// trailer dictionary's entries besides /Size.
std::string PdfText(const std::string& header, const std::vector<std::string>& objects,
                    const std::string& trailer = "/Root 1 0 R");
// The same objects and trailer with no cross-reference table or startxref,
// so that a reader must find the objects by scanning.
std::string PdfTextWithoutTable(const std::string& header, const std::vector<std::string>& objects,
                                const std::string& trailer = "/Root 1 0 R");
// PdfText's file whose cross-reference entries for objects first to last
// (inclusive) say offset 0, the objects left where they stand.
std::string PdfTextWithEntriesAtZero(const std::string& header, const std::vector<std::string>& objects,
                                     size_t first, size_t last, const std::string& trailer = "/Root 1 0 R");
// An object of an incremental update: its header's number and generation,
// which its cross-reference entry gives too.
struct PdfUpdateObject {
    int m_number;
    int m_generation;
    std::string m_body;
};
// file with an incremental update appended: the objects, a cross-reference
// section of one subsection each, and a trailer whose /Prev is file's last
// startxref. trailer: the entries besides /Prev (/Size included).
std::string PdfTextWithUpdate(const std::string& file, const std::vector<PdfUpdateObject>& objects,
                              const std::string& trailer);
// PdfText's objects with those numbered in packed moved into one object
// stream (number objects.size() + 1), and a cross-reference stream (number
// objects.size() + 2) in place of the table: unencoded rows of /W [1 4 2],
// one per object number from 0, which end the file's last stream data, so
// that a test may disturb them at PdfCrossReferenceRow.
std::string PdfTextWithObjectStream(const std::string& header, const std::vector<std::string>& objects,
                                    const std::set<size_t>& packed, const std::string& trailer = "/Root 1 0 R");
// data as ASCIIHexDecode's input, lower-case, without its ">".
std::string PdfHexText(const std::string& data);
// data as RunLengthDecode's input: literal runs, then the end mark.
std::string PdfRunLengthText(const std::string& data);
// One row of a cross-reference stream: each field big-endian in its width
// of bytes.
std::string PdfCrossReferenceStreamRow(const std::vector<int>& widths, const std::vector<uint64_t>& fields);
// Where object number's 7-byte row of PdfTextWithObjectStream's file starts.
size_t PdfCrossReferenceRow(const std::string& file, size_t number);
