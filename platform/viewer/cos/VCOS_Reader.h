// Reads a whole PDF-syntax file with qpdf into a new document of the store:
// every object with its number and generation, stream data as stored
// (decrypted, still encoded), root and information dictionary from the
// trailer, the first line as the header, and qpdf's warnings in order.
//
// Refusals (VCOS_Error; the document is not left open):
// - PasswordNeeded: an encrypted file that needs a user password;
// - BadDocument: a trailer without a /Root dictionary;
// - ReadFailed: anything else qpdf refuses, with qpdf's message.
// No qpdf type leaves the reader.
#pragma once

#include <string>

#include "viewer/cos/VCOS_Store.h"

class VCOS_Reader {
public:
    // name: how messages and warnings call the file (its path).
    static VCOS_DocId Read(VCOS_Store& store, const std::string& bytes, const std::string& name);

    // The first line when the file starts with "%", else the line that
    // starts at the first "%PDF-" of the first 1024 bytes; "" when neither.
    static std::string HeaderLine(const std::string& bytes);
};
