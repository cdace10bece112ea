#include "viewer/VIEW_Paths.h"

#include "viewer/VIEW_Atoms.h"
#include "viewer/VIEW_HandleTable.h"
#include "viewer/VIEW_Memory.h"
#include "win32/win32_path.h"

#include <cstring>
#include <map>

namespace {

VIEW_HandleTable<PDFL_ASPathName, std::string>& Paths() {
    static VIEW_HandleTable<PDFL_ASPathName, std::string> paths("path name", 0x5A000001);
    return paths;
}

std::map<PDFL_ASPathName, PDFL_ASFileSys>& OwnFileSystems() {
    static std::map<PDFL_ASPathName, PDFL_ASFileSys> owners;
    return owners;
}

// Without a trailing '/': empty for the file system's root.
std::string& DriveRoot() {
    static std::string root;
    return root;
}

void RequireText(const void* text, const char* what) {
    if (!text)
        throw VIEW_AssertionFailure(std::string(what) + " without a path text");
}

}  // namespace

PDFL_ASPathName VIEW_Paths::FromPlatformPath(const char* path) {
    RequireText(path, "PathFromPlatformPath");
    return Make(PosixPath(path));
}

PDFL_ASPathName VIEW_Paths::FromCstring(PDFL_ASAtom type, const void* data) {
    const char* typeName = VIEW_Atoms::GetString(type);
    if (!typeName || std::strcmp(typeName, "Cstring") != 0)
        throw VIEW_AssertionFailure(std::string("FileSysCreatePathName with path type \"") +
                                    (typeName ? typeName : "") + "\"");
    RequireText(data, "FileSysCreatePathName");
    return Make(PosixPath(static_cast<const char*>(data)));
}

PDFL_ASPathName VIEW_Paths::FromDisplayText(const char* text) {
    RequireText(text, "FileSysPathFromDIPath");
    return Make(FromDisplay(text));
}

char* VIEW_Paths::DisplayText(PDFL_ASPathName path) {
    const std::string text = Display(Posix(path));
    char* block = static_cast<char*>(VIEW_Memory::Allocate(text.size() + 1));
    if (block)
        std::memcpy(block, text.c_str(), text.size() + 1);
    return block;
}

void VIEW_Paths::Release(PDFL_ASPathName path) {
    Paths().Remove(path);
    OwnFileSystems().erase(path);
}

void VIEW_Paths::SetOwnFileSys(PDFL_ASPathName path, PDFL_ASFileSys fileSys) {
    Paths().Get(path);
    OwnFileSystems()[path] = fileSys;
}

PDFL_ASFileSys VIEW_Paths::OwnFileSys(PDFL_ASPathName path) {
    Paths().Get(path);
    const auto found = OwnFileSystems().find(path);
    return found == OwnFileSystems().end() ? nullptr : found->second;
}

PDFL_ASPathName VIEW_Paths::Make(const std::string& posixPath) {
    return Paths().Add(posixPath);
}

std::string VIEW_Paths::Posix(PDFL_ASPathName path) {
    return Paths().Get(path);
}

std::string VIEW_Paths::Display(const std::string& posixPath) {
    const std::string& root = DriveRoot();
    if (posixPath.empty() || posixPath[0] != '/')
        return posixPath;
    if (root.empty())
        return "/C" + posixPath;
    if (posixPath == root)
        return "/C/";
    if (posixPath.compare(0, root.size() + 1, root + "/") == 0)
        return "/C" + posixPath.substr(root.size());
    return posixPath;
}

std::string VIEW_Paths::FromDisplay(const std::string& text) {
    const std::string& root = DriveRoot();
    if (text == "/C")
        return root.empty() ? "/" : root;
    if (text.compare(0, 3, "/C/") == 0)
        return root + text.substr(2);
    return text;
}

void VIEW_Paths::SetDriveRoot(const std::string& folder) {
    std::string root = folder;
    while (!root.empty() && root.back() == '/')
        root.pop_back();
    DriveRoot() = root;
}

size_t VIEW_Paths::LiveCount() {
    return Paths().Size();
}

void VIEW_Paths::Reset() {
    DriveRoot().clear();
    Paths().Clear();
    OwnFileSystems().clear();
}
