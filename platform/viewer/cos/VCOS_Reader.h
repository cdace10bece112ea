// Reads a whole PDF-syntax file with qpdf into a new document of the store:
// every object with its number and generation, stream data as stored
// (decrypted, still encoded), root and information dictionary from the
// trailer, the first line as the header, and qpdf's warnings in order.
//
// Refusals (VCOS_Error; the document is not left open):
// - PasswordNeeded: an encrypted file that needs a user password;
// - BadDocument: a trailer without a /Root dictionary, where MuPDF's repair
//   finds no catalog either;
// - ReadFailed: what neither qpdf nor MuPDF's repair can read, with qpdf's
//   message and the repair's.
// A file qpdf refuses for any other reason is repaired in memory by MuPDF
// and its repaired copy read instead; the document's warnings then start
// with one naming qpdf's reason, followed by the repair's own. So is a file
// in which qpdf read an object as null that holds more (a stream whose
// /Length refers to itself), however much white space or comment lies
// between its header and its body, or an object whose cross-reference
// stream entry names no object stream or one that does not list it; where
// the repair fails, or recovers none of them, qpdf's reading stands with
// those objects marked lost in the store.
// An object whose cross-reference entry points at no header of its own
// number (another object's, say) is missing: null, with qpdf's warning, as
// other readers take it; it is not lost. An entry at offset 0 points at the
// file's first object: when that is the entry's own, it is lost, and as the
// repair finds nothing there either, the page that uses it is refused.
// Each object number is declared once, with the generation the newest
// cross-reference section that lists it gives (the trailers' /Prev chain,
// VCOS_XrefChain.h): an update that frees a number and reuses it raises the
// generation, and one may lower it too; a reference to another generation
// of the number reads as null. Where the chain cannot be followed, the
// number keeps its body last in the file (an object stream's object at the
// stream's place), as a repair that reads the file from its start finds it;
// and where qpdf too rebuilt its table from the bodies, a reference to
// another generation the file holds a body of reads the last such body,
// declared under a number of its own. A reference to a
// generation no body holds reads as null; in a page's /Contents, an array
// given by reference included, it stays a reference to a missing object.
// A body whose header gives another generation than its entry ("4 7 obj"
// where the entry says 4 0) is read as the object the entry names, which a
// reference by either generation reaches, also where qpdf, rebuilding its
// table over that header, reads an older body of the number instead.
// A seek past the end of the file (an absurd /Length) ends at the end, so
// that qpdf recovers the stream up to its endstream. A last startxref whose
// offset does not fit 64 bits, on which qpdf gives up, is read as the file
// that ends before it.
// No qpdf type leaves the reader.
#pragma once

#include <cstdint>
#include <string>

#include "viewer/cos/VCOS_Store.h"

class VCOS_Reader {
public:
    // name: how messages and warnings call the file (its path).
    static VCOS_DocId Read(VCOS_Store& store, const std::string& bytes, const std::string& name);

    // The first line when the file starts with "%", else the line that
    // starts at the first "%PDF-" of the first 1024 bytes; "" when neither.
    static std::string HeaderLine(const std::string& bytes);

    // The reader's own work beside qpdf's, summed over every read in the
    // process: bytes looked at around the objects qpdf read as null and
    // warnings gone through to name a lost object. It grows with the
    // file's size and object count, never with their product.
    static uint64_t Steps();
};
