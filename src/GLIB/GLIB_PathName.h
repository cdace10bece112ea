// The narrow form of a wide Windows-style path, one that the ANSI file calls
// can open: components that do not survive the ANSI code page are replaced by
// the names the file system gives for them.
#pragma once

#include <cstddef>

// Writes the narrow form of path into narrow (size bytes) and returns narrow.
// '/' is taken as '\\'; the root (drive "C:" or "C:\\", or UNC
// "\\\\server\\share\\") is kept; empty components are dropped, and so is a
// trailing backslash. A component that is not plain printable ASCII is
// looked up (FindFirstFileW) and replaced by the entry's short name, or its
// long name when it has none.
// Throws GLIB_Exception 1125005 "Incomplete UNC PathName" (parameter 0 the
// path) for a UNC path without a server or share name, and 1125006 "Can't
// obtain narrow pathname" (parameter 0 the path, parameter 1 the path
// searched or the result) when a component has no directory entry, when the
// result does not fit in size bytes or still holds '?', or when path has
// MAX_PATH (260) characters or more.
char* GLIB_MakeNarrowPathName(char* narrow, const wchar_t* path, size_t size);
