// Hand-made PDF files for the Cos store's tests: object bodies in, a file
// with a correct cross-reference table out.
#pragma once

#include <string>
#include <vector>

#include "viewer/cos/VCOS_Store.h"

// Object i of the list is object number i + 1, generation 0. trailer: the
// trailer dictionary's entries besides /Size.
std::string VCOS_MakePdf(const std::string& header, const std::vector<std::string>& objects,
                         const std::string& trailer = "/Root 1 0 R");

// A store document written to memory by VCOS_Writer.
std::string VCOS_WriteToString(const VCOS_Store& store, VCOS_DocId doc, const std::string& header = "");

// zlib's one-shot inflate; "" on failure.
std::string VCOS_Inflate(const std::string& bytes);
