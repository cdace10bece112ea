// Small PDF files written from their objects: the program's sample page and
// the fuzz seeds are made this way.
#pragma once

#include <string>
#include <vector>

// A file of the objects given (object i + 1, generation 0), catalog first,
// with its cross-reference table and a trailer naming object 1 as root.
std::string VIEW_PdfFile(const std::vector<std::string>& objects);

// A stream object: dict's entries with its /Length, then data.
std::string VIEW_PdfStream(const std::string& dict, const std::string& data);
