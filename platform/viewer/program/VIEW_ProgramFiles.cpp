#include "viewer/program/VIEW_ProgramFiles.h"

#include "viewer/program/VIEW_ProgramFolderAt.h"
#include "viewer/program/VIEW_ProgramText.h"
#include "win32/win32_driver.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

// FNV-1a, 32 bits.
uint32_t NameHash(const std::string& text) {
    uint32_t hash = 2166136261u;
    for (const char c : text)
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return hash;
}

}  // namespace

std::string VIEW_PlateFileName(int index, const std::string& ink) {
    const std::string lead = "plate-" + std::to_string(index) + "-";
    std::string body;
    // Where each byte's text ends, so a shortened name never splits "#xx".
    std::vector<size_t> ends;
    for (const char c : ink) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
            byte == '.' || byte == '_' || byte == '-')
            body += c;
        else
            VIEW_AppendEscapedByte(&body, byte);
        ends.push_back(body.size());
    }
    if (lead.size() + body.size() + 4 <= VIEW_MaxFileNameBytes)
        return lead + body + ".png";
    char hash[16];
    std::snprintf(hash, sizeof hash, "~%08x", static_cast<unsigned>(NameHash(ink)));
    const size_t room = VIEW_MaxFileNameBytes - lead.size() - std::strlen(hash) - 4;
    size_t keep = 0;
    for (const size_t end : ends)
        if (end <= room)
            keep = end;
    return lead + body.substr(0, keep) + hash + ".png";
}

bool VIEW_IsPlateFileName(const std::string& name) {
    const std::string lead = "plate-", end = ".png";
    if (name.size() > VIEW_MaxFileNameBytes || name.size() < lead.size() + 2 + end.size() ||
        name.compare(0, lead.size(), lead) != 0 || name.compare(name.size() - end.size(), end.size(), end) != 0 ||
        name.find_first_of(std::string("/\0", 2)) != std::string::npos)
        return false;
    const size_t digits = name.find_first_not_of("0123456789", lead.size());
    return digits > lead.size() && digits < name.size() - end.size() && name[digits] == '-';
}

bool VIEW_WriteGreyPng(const std::string& path, int width, int height, const std::vector<uint8_t>& grey) {
    if (width <= 0 || height <= 0 || grey.size() != static_cast<size_t>(width) * height)
        return false;
    return Win32Driver::WritePng(path, width, height, 1, grey.data());
}

bool VIEW_WriteGreyPng(const std::string& path, int width, int height, const uint8_t* first, size_t rowBytes,
                       std::string* why) {
    return Win32Driver::WritePng(path, width, height, 1, first, rowBytes, why);
}

bool VIEW_WriteFileAt(int folder, const std::string& name,
                      const std::function<bool(std::FILE*, std::string*)>& write, std::string* why) {
    errno = 0;
    std::FILE* file = VIEW_CreateFileAt(folder, name);
    if (!file) {
        if (why)
            *why = std::strerror(errno);
        return false;
    }
    std::string reason;
    bool ok = write(file, &reason);
    // A full disk often shows only as the buffer is written out.
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        reason = std::strerror(errno);
    }
    if (ok)
        return true;
    unlinkat(folder, name.c_str(), 0);
    if (why)
        *why = reason;
    return false;
}

bool VIEW_WritePngAt(int folder, const std::string& name, int width, int height, int channels,
                     const uint8_t* first, size_t rowBytes, std::string* why) {
    return VIEW_WriteFileAt(
        folder, name,
        [&](std::FILE* file, std::string* reason) {
            return Win32Driver::WritePng(file, width, height, channels, first, rowBytes, reason);
        },
        why);
}
