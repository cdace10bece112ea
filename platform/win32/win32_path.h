// Path rule shared by the Win32 stand-in and the viewer stand-in. Ours, not
// Win32's: no file under src/ includes it.
#pragma once

#include <string>

// The POSIX path a Win32 path names: each '\' is a '/', and drive C is the
// root, so "C:\dir\file" and "c:/dir/file" name "/dir/file". Other text is
// taken as it stands; a null path is empty.
std::string PosixPath(const char* path);
