#include "GLOB/GLOB_FileSpecification.h"

#include "GLIB/GLIB_Assert.h"
#include "GLIB/GLIB_Log.h"
#include "GLOB/GLOB_Object.h"
#include "GLOB/GLOB_String.h"

#include <cstring>

std::string GLOB_FileSpecification::NextToken(const std::string& text, const char* pDelim, size_t* pPos) {
    GLIB_ASSERT(pDelim != NULL);
    GLIB_ASSERT(pDelim && strlen(pDelim));
    GLIB_ASSERT(pPos != NULL);
    GLIB_ASSERT_CMP(*pPos, !=, std::string::npos);
    if (pDelim == nullptr || *pDelim == '\0' || pPos == nullptr || *pPos == std::string::npos) {
        if (pPos)
            *pPos = std::string::npos;
        return std::string();
    }
    const size_t start = *pPos;
    if (start >= text.size()) {
        *pPos = std::string::npos;
        return std::string();
    }
    const size_t at = text.find(pDelim, start);
    if (at == std::string::npos) {
        *pPos = text.size();
        return text.substr(start);
    }
    *pPos = at + std::strlen(pDelim);
    return text.substr(start, at - start);
}

std::string GLOB_FileSpecification::NextPathComponent(const std::string& text, size_t* pos) {
    std::string component = NextToken(text, "/", pos);
    while (!component.empty() && component.back() == '\\') {
        component.back() = '/';
        if (*pos == std::string::npos || *pos >= text.size())
            break;
        component += NextToken(text, "/", pos);
    }
    return component;
}

std::string GLOB_FileSpecification::PdfPathToOsPath(const std::string& pdfPath) {
    size_t pos = 0;
    std::string component = NextPathComponent(pdfPath, &pos);
    if (pos == std::string::npos)
        return std::string();
    // Drive letters and server names of other platforms are plain first
    // components of a POSIX path: /c/dir stays /c/dir.
    std::string result = pdfPath[0] == '/' ? "/" : "";
    for (;;) {
        if (!component.empty()) {
            if (!result.empty() && result.back() != '/')
                result += '/';
            result += component;
        }
        if (pos == std::string::npos)
            break;
        component = NextPathComponent(pdfPath, &pos);
    }
    return result;
}

std::string GLOB_FileSpecification::OsPathToPdfPath(const char* pOsPath) {
    GLIB_ASSERT(pOsPath != NULL);
    if (pOsPath == nullptr || *pOsPath == '\0')
        return std::string();
    const std::string osPath(pOsPath);
    std::string result = osPath[0] == '/' ? "/" : "";
    size_t pos = 0;
    while (pos != std::string::npos) {
        const std::string component = NextToken(osPath, "/", &pos);
        if (component.empty())
            continue;
        if (!result.empty() && result.back() != '/')
            result += '/';
        result += component;
    }
    return result;
}

std::string GLOB_FileSpecification::OsPath(const GLOB_String& pdfPath) {
    return PdfPathToOsPath(pdfPath.AsStdString());
}

std::string GLOB_FileSpecification::OsPath(const GLOB_Object& fileSpec) {
    const int32_t type = fileSpec.Type();
    if (type == GLOB_Object::KindString)
        return OsPath(fileSpec.AsString());
    if (type != GLOB_Object::KindDict) {
        GLIB_LOG(GLIB_LogWarning, "Unexpected file specification object type: "
                                      << GLOB_Object::TypeString(type) << ", must be string or dictionary");
        return std::string();
    }
    if (!fileSpec.HasType("Filespec")) {
        GLIB_LOG(GLIB_LogWarning, "Dictionary is not a valid file specification dictionary");
        return std::string();
    }
    GLOB_Object path;
    for (const char* key : {"Unix", "F", "DOS"})
        if (fileSpec.KnownPath(key, &path) && path.Type() == GLOB_Object::KindString)
            return OsPath(path.AsString());
    GLIB_LOG(GLIB_LogWarning, "File specification dictionary defines neither "
                                  << "a valid platform-dependent or platform-independent path");
    return std::string();
}
