// Path names of the host (AcroSupport slots 20, 22, 23, 25 and 52). Every
// path name holds a POSIX path; the file system a slot is given does not
// change it, since every file system of the host names files the same way.
//
// Texts: a platform path or a "Cstring" path is read by the Win32 path rule
// (PosixPath: each '\' a '/', "C:\rest" as "/rest"). The display text of an
// absolute path is the path on drive C ("/home/u/a.pdf" shows as
// "/C/home/u/a.pdf"), and a display text "/C/rest" reads back as "/rest";
// other texts are taken as they stand. A test may let a folder stand for
// drive C's root: paths under it show as "/C/rest", other absolute paths
// as they stand, and "/C/rest" reads back under the folder.
#pragma once

#include "viewer/host_api.h"

#include <cstddef>
#include <string>

class VIEW_Paths {
public:
    static PDFL_ASPathName FromPlatformPath(const char* path);                // slot 20
    static PDFL_ASPathName FromCstring(PDFL_ASAtom type, const void* data);   // slot 52
    static PDFL_ASPathName FromDisplayText(const char* text);                 // slot 23
    // Slot 22: a block of the host's memory, freed with slot 3.
    static char* DisplayText(PDFL_ASPathName path);
    static void Release(PDFL_ASPathName path);                                // slot 25

    static PDFL_ASPathName Make(const std::string& posixPath);
    // The POSIX path; a VIEW_AssertionFailure for a path name not live.
    static std::string Posix(PDFL_ASPathName path);
    static std::string Display(const std::string& posixPath);
    static std::string FromDisplay(const std::string& text);
    // The folder drive C stands for; "/" until set and after Reset.
    static void SetDriveRoot(const std::string& folder);

    // The file system a path name was taken from (slot 37 records the
    // file's); null when it was made from a text.
    static void SetOwnFileSys(PDFL_ASPathName path, PDFL_ASFileSys fileSys);
    static PDFL_ASFileSys OwnFileSys(PDFL_ASPathName path);

    // Path names made and not released.
    static size_t LiveCount();
    static void Reset();  // releases every path name
};
