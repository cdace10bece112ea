// Folders and files of a run reached through descriptors, never again by
// their names: a name swapped meanwhile for a link or another folder leads
// the run nowhere else. A folder used only as the base of openat, fstatat,
// mkdirat, renameat and unlinkat, or as the folder to return to, is opened
// with O_PATH: that needs no read permission (a drop box of mode 1733 or
// 0333 serves), and fchdir takes it. Such a descriptor lists nothing and
// takes no flock.
#pragma once

#include <cstdio>
#include <string>

// path as such a base; -1 with errno set when it is no folder or cannot be
// reached.
int VIEW_OpenFolderBase(const std::string& path);

// A new folder of mode 0700 named prefix and six random letters, made in
// the folder open at parent; its name, or empty with errno set when none
// can be made.
std::string VIEW_MakeFolderAt(int parent, const std::string& prefix);

// A new file (or one truncated) name in the folder open at folder, as a
// stream for writing; null with errno set. The run's own folders are the
// only ones written in, and only this user (or root) can put anything in
// them.
std::FILE* VIEW_CreateFileAt(int folder, const std::string& name);
