// A run's private folder in the temporary folder. While the run is inside
// it, it is the current folder (the plug-in writes "Debug.log" into the
// current folder once the host offers the debugger window) and TMPDIR (the
// system's "VDQ…" and "GLGC…" files); so no file of a user is truncated or
// left, and whatever stays is removed with the folder, through the
// descriptor it was made and entered by (VIEW_RemoveOpenFolder).
#pragma once

#include <string>

class VIEW_ProgramScratch {
public:
    VIEW_ProgramScratch() = default;
    ~VIEW_ProgramScratch();
    VIEW_ProgramScratch(const VIEW_ProgramScratch&) = delete;
    VIEW_ProgramScratch& operator=(const VIEW_ProgramScratch&) = delete;

    // Makes the folder and enters it; false with error set when it cannot.
    bool Enter(std::string* error);
    // Back to the current folder and TMPDIR of before; the folder and its
    // files removed.
    void Leave();
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    int m_parent = -1;  // the temporary folder (O_PATH)
    int m_fd = -1;
    int m_home = -1;  // the folder that was current (O_PATH)
    bool m_hadTmpDir = false;
    std::string m_tmpDir;
};

// path made absolute against the current folder (as the user meant it).
std::string VIEW_AbsolutePath(const std::string& path);
