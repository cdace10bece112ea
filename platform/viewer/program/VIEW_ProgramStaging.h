// The staging folder of a run in its output folder (".tintscope-XXXXXX"),
// where the run writes its files before it moves them to their names. The
// run holds an advisory lock (flock) on the folder itself for as long as it
// keeps it, and the lock goes with the process: a folder nobody holds was
// left by a run that was killed before it could remove it, and the run
// that holds the output folder removes it. A folder is removed only
// through the descriptors it was checked and held by, never by its name
// again (VIEW_RemoveOpenFolder): a name swapped meanwhile for a link or
// another folder loses nothing. Its files too are made, written and moved
// only through its descriptor and the output folder's (Fd, Parent), never
// by a path through its name.
#pragma once

#include <string>

class VIEW_ProgramStaging {
public:
    VIEW_ProgramStaging() = default;
    // Lets go of the folder, which stays, and clears its signal slot.
    ~VIEW_ProgramStaging();
    VIEW_ProgramStaging(const VIEW_ProgramStaging&) = delete;
    VIEW_ProgramStaging& operator=(const VIEW_ProgramStaging&) = delete;

    // A new staging folder in the folder open at folder (O_PATH serves;
    // path is its name, for words), held; false with errno set when none
    // can be made.
    bool Make(int folder, const std::string& path);
    // Empty when there is none.
    const std::string& Path() const { return m_path; }
    // The folder as it was made and checked; -1 when there is none.
    int Fd() const { return m_fd; }
    // Removed by a second signal (VIEW_ProgramSignals::RegisterOpen, in
    // slot) until Remove.
    void RegisterForSignals(int slot);
    // Its files removed, then the folder, then it is let go.
    void Remove();

    // Removes every staging folder in the folder open at folder (path is
    // its name, for the hook) that no run holds, with the files in it; a
    // live run's own, held, stays. Listed and removed through that
    // descriptor alone. A folder this user may write in but not list is
    // passed over.
    static void RemoveAbandoned(int folder, const std::string& path);

    static constexpr const char* Prefix = ".tintscope-";

    // For tests: called with a folder's path once it is held and checked,
    // just before it is removed (the run's own too); null (the default)
    // for none.
    using RemoveHook = void (*)(const std::string& path);
    static void SetRemoveHook(RemoveHook hook);

private:
    void Close();

    int m_parent = -1;  // its own copy of the output folder's descriptor
    int m_fd = -1;
    int m_slot = -1;
    std::string m_name;
    std::string m_path;
};
