// The output folder of a run. It is checked (and made when missing) before
// any work (for a symbolic link to nothing, the folder it names); a folder
// another run made meanwhile is used as found. Files are written into a
// staging folder inside it (VIEW_ProgramStaging) and moved to their names
// only once every file is written, each through the two folders'
// descriptors. A run that fails leaves the folder as it was, and removes
// it when the run made it. A new inks.txt takes the place of the folder's
// earlier set: first the plates the earlier one listed that the new set
// does not write over are moved into the staging folder (which goes with
// them), then inks.txt takes its name, then the plates and the preview
// take theirs. So a run ended at any step, even by SIGKILL, leaves an
// inks.txt (the new one or the earlier) that lists every plate in the
// folder, and perhaps some already gone. The earlier inks.txt is read only
// when it is a regular file and no link. One run at a time does that step
// in a folder (VIEW_ProgramFolderLock), so two runs never remove each
// other's plates; that run also removes the staging folders that killed
// runs left. Once opened, the folder is reached only through its
// descriptor: its name swapped for a link meanwhile leads nothing
// elsewhere.
#pragma once

#include "viewer/program/VIEW_ProgramFolderLock.h"
#include "viewer/program/VIEW_ProgramStaging.h"

#include <set>
#include <string>
#include <vector>

class VIEW_ProgramOutput {
public:
    VIEW_ProgramOutput() = default;
    // Abandons what was not committed.
    ~VIEW_ProgramOutput();
    VIEW_ProgramOutput(const VIEW_ProgramOutput&) = delete;
    VIEW_ProgramOutput& operator=(const VIEW_ProgramOutput&) = delete;

    // False with the reason when the folder cannot be made, is not a folder,
    // cannot be written in, or has something other than a file at the
    // lock file's name.
    bool Prepare(const std::string& folder, std::string* reason);
    // The staging folder's descriptor, in which to write the file that
    // will be called name (VIEW_CreateFileAt, never by a path); it counts
    // as written from then on. A name staged again is written over and
    // moved once.
    int Staged(const std::string& name);
    // The staging folder's path, for words; empty when there is none.
    const std::string& StagingPath() const { return m_staging.Path(); }
    // Waits until no other run is at Commit in the folder, then holds it
    // until Commit or Abandon; false with the reason when the folder cannot
    // be held, or a signal ended the wait.
    bool Hold(std::string* reason);
    // The earlier set's plates that are not replaced moved aside, then
    // every staged file moved to its name, inks.txt first, the folder held
    // throughout (Hold when not yet held); false with the reason when a
    // file cannot be moved (when inks.txt cannot, the earlier set stays
    // whole).
    bool Commit(std::string* reason);
    // The staged files removed, the folder let go, and the folder removed
    // when this run made it.
    void Abandon();

    // For tests: called before each rename of Commit (an earlier plate's
    // move aside too) with the file's name; null (the default) for none.
    using RenameHook = void (*)(const std::string& name);
    static void SetRenameHook(RenameHook hook);
    // For tests: called with the folder when Prepare found it missing,
    // before it makes it; null (the default) for none.
    using MakeHook = void (*)(const std::string& folder);
    static void SetMakeHook(MakeHook hook);
    // For tests: called in Staged with the staging folder's path and the
    // name, before the file is written; null (the default) for none.
    using StageHook = void (*)(const std::string& folder, const std::string& name);
    static void SetStageHook(StageHook hook);

private:
    std::string m_folder;  // for words
    int m_fd = -1;  // the folder, as opened once it was checked (O_PATH)
    VIEW_ProgramStaging m_staging;
    std::string m_made;  // the folder this run made, if any
    std::vector<std::string> m_names;  // in the order staged
    std::set<std::string> m_staged;
    VIEW_ProgramFolderLock m_lock;
};
