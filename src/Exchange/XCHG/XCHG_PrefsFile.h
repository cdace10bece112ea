// The preference file on disk: read whole or found wanting, and replaced
// whole. A new file is written beside the old one under a name of its own,
// read back, flushed to the disk and renamed over the old one, so a reader
// (another run of the host, at any moment) finds the old file or the new
// one, never a cut one, and a save stopped midway leaves the old file.
#pragma once

#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_FileName.h"
#include "GLOB/GLOB_Object.h"

#include <cstddef>

// The first line of every preference file.
inline constexpr const char* XCHG_PrefsHeader = "%VelmDornapPrefs-1.0";

// A new, open memory document headed as a preference file: what a file's
// value is read into.
GLOB_Doc XCHG_NewPrefsDoc();

enum class XCHG_PrefsFileState {
    Missing,   // nothing of that name
    Unusable,  // something that cannot be opened: a folder, a FIFO, no permission
    Damaged,   // a file that does not read as a preference file
    Read,
};

// The most keys and name values a file's "VELM_Preferences" may hold: the
// host gives each name it reads an atom for the life of the process, from
// one table of 65,535 that the documents need too.
inline constexpr size_t XCHG_MaxPrefsNames = 4096;

// The file's "VELM_Preferences", when it has one, put into the catalog of
// into (an open document of another back-end). With writable, a file that
// cannot also be opened for writing is Unusable. A value of more names than
// XCHG_MaxPrefsNames (each indirect object counted once) is Damaged, and
// the host then has no atom of them. After Damaged, into may hold part of
// what was read. Nothing is retried or waited for.
XCHG_PrefsFileState XCHG_ReadPrefsFile(const GLOB_FileName& fileName, bool writable, const GLOB_Doc& into);

// Writes a preference file whose catalog holds value under
// "VELM_Preferences" and puts it in place of fileName, with the old file's
// permissions; when fileName is a link, in place of the file it names.
// False when any step failed: the old file is then as it was and no new
// file is left behind.
bool XCHG_ReplacePrefsFile(const GLOB_FileName& fileName, const GLOB_Object& value);

// Makes the host's atom of every name value holds (keys and name values,
// through arrays and dictionaries) and of "VELM_Preferences" now, so that a
// later XCHG_ReplacePrefsFile of it needs no new atom: a file that filled
// the host's table does not cost the save too.
void XCHG_ReservePrefsNames(const GLOB_Object& value);

// Called with the new file's name once it is written and flushed, before
// the rename; null (the default) calls nothing. For tests that stop or hold
// a save there.
void iXCHG_SetPrefsReplaceHook(void (*hook)(const char* written));

// Called with the preference file's name while a save finds the file that
// name leads to; null (the default) calls nothing. For tests that land
// another save's rename there.
void iXCHG_SetPrefsTargetHook(void (*hook)(const char* name));
