// Conversions between PDF file specifications and operating-system paths.
//
// PDF paths: components separated by "/", a "/" inside a component written
// with a backslash before it, a leading "/" making the path absolute (ISO
// 32000-1, 7.11.2). Operating-system paths on this system are POSIX paths:
// "/" separates, a leading "/" is the root. Both directions keep whether the
// path is absolute and drop empty components (doubled and trailing
// separators); "//dir/f", rooted on the current drive in PDF terms, is
// "/dir/f" here. These are pure string functions and never throw for bad
// input.
#pragma once

#include <cstddef>
#include <string>

class GLOB_Object;
class GLOB_String;

class GLOB_FileSpecification {
public:
    // The path of a file specification: a String (a PDF path), or a Dict
    // whose /Type is Filespec, by the first of its "Unix" (this platform's
    // own path), "F" and "DOS" entries that is a String. "DOS" comes last:
    // the separation engine's external-file streams put their temporary
    // file's POSIX path there, in PDF form. Anything else logs a warning and
    // gives an empty path.
    static std::string OsPath(const GLOB_Object& fileSpec);
    static std::string OsPath(const GLOB_String& pdfPath);
    static std::string PdfPathToOsPath(const std::string& pdfPath);
    // osPath not null (asserted).
    static std::string OsPathToPdfPath(const char* osPath);
    static std::string PdfPath(const char* osPath) { return OsPathToPdfPath(osPath); }

    // The text from *pos up to the next delimiter; *pos moves past it, or to
    // the end of the text when there is none. At or past the end the token
    // is empty and *pos becomes std::string::npos, so a text ending in the
    // delimiter yields a last empty token. delimiter not empty, pos not null
    // and *pos not npos (asserted).
    static std::string NextToken(const std::string& text, const char* delimiter, size_t* pos);
    // The next component of a PDF path: a component ending in a backslash is
    // joined, with a "/", to the one after it ("a\/b/c" gives "a/b", "c").
    static std::string NextPathComponent(const std::string& text, size_t* pos);
};
