#include "viewer/program/VIEW_ProgramOutput.h"

#include "viewer/program/VIEW_ProgramFolderAt.h"
#include "viewer/program/VIEW_ProgramInks.h"
#include "viewer/program/VIEW_ProgramSignals.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

VIEW_ProgramOutput::RenameHook g_renameHook = nullptr;
VIEW_ProgramOutput::MakeHook g_makeHook = nullptr;
VIEW_ProgramOutput::StageHook g_stageHook = nullptr;

// Far more than the inks.txt of any page: a larger file is not read on.
constexpr size_t kListingBytes = 64u << 20;

std::string Because(const std::string& what) { return what + ": " + std::strerror(errno); }

// The folder's inks.txt as an earlier run left it; empty when it is not a
// regular file (a FIFO would block the open) or is a link (another
// folder's listing names none of this one's files).
std::string EarlierListing(int folder) {
    const int fd = openat(folder, "inks.txt", O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return std::string();
    std::string text;
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        char chunk[1 << 16];
        while (text.size() < kListingBytes) {
            const ssize_t n = read(fd, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            text.append(chunk, static_cast<size_t>(n));
        }
    }
    close(fd);
    return text;
}

void BeforeRename(const std::string& name) {
    if (g_renameHook)
        g_renameHook(name);
}

// As many links in a row as the system follows.
constexpr int MostLinks = 40;

// What the symbolic link path names, relative to the link's own folder; ""
// when path is no link.
std::string LinkTarget(const std::string& path) {
    std::string target(PATH_MAX, '\0');
    const ssize_t length = readlink(path.c_str(), &target[0], target.size());
    if (length <= 0 || static_cast<size_t>(length) >= target.size())
        return std::string();
    target.resize(static_cast<size_t>(length));
    const size_t slash = path.rfind('/');
    if (target[0] == '/' || slash == std::string::npos)
        return target;
    return path.substr(0, slash + 1) + target;
}

// The end of the chain of links that starts at path; "" when it is longer
// than the system follows.
std::string LinksEnd(const std::string& path) {
    std::string end = path;
    for (int i = 0; i < MostLinks; ++i) {
        const std::string next = LinkTarget(end);
        if (next.empty())
            return end;
        end = next;
    }
    errno = ELOOP;
    return std::string();
}

}  // namespace

VIEW_ProgramOutput::~VIEW_ProgramOutput() { Abandon(); }

bool VIEW_ProgramOutput::Prepare(const std::string& folder, std::string* reason) {
    Abandon();
    m_folder = folder;
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0) {
        // A link to a folder not there yet: the folder it names is made.
        const std::string made = errno == ENOENT ? LinksEnd(folder) : std::string();
        if (!made.empty() && g_makeHook)
            g_makeHook(folder);
        const bool madeHere = !made.empty() && mkdir(made.c_str(), 0777) == 0;
        // Another run may have made it since: it is used as found.
        if (!madeHere && (made.empty() || errno != EEXIST || stat(folder.c_str(), &info) != 0)) {
            *reason = Because("cannot make the output folder " + folder +
                              (made.empty() || made == folder ? "" : " (a link to " + made + ")"));
            return false;
        }
        if (madeHere) {
            m_made = made;
            VIEW_ProgramSignals::Register(2, made);
            info.st_mode = S_IFDIR;
        }
    }
    if (!S_ISDIR(info.st_mode)) {
        *reason = "the output folder " + folder + " is not a folder";
        return false;
    }
    // Opened once: from here on its name is never followed again, so one
    // swapped for a link leads nothing of the run elsewhere.
    m_fd = VIEW_OpenFolderBase(folder);
    if (m_fd < 0) {
        *reason = Because("cannot write in the output folder " + folder);
        Abandon();
        return false;
    }
    // Found now, or the run would fail only once its work is done.
    const std::string inTheWay = VIEW_ProgramFolderLock::InTheWay(m_fd, folder);
    if (!inTheWay.empty()) {
        *reason = "cannot hold the output folder " + folder + " for this run: " + inTheWay;
        Abandon();
        return false;
    }
    if (!m_staging.Make(m_fd, folder)) {
        *reason = Because("cannot write in the output folder " + folder);
        Abandon();
        return false;
    }
    m_staging.RegisterForSignals(1);
    return true;
}

int VIEW_ProgramOutput::Staged(const std::string& name) {
    // A file staged again is written over, and moved once.
    if (m_staged.insert(name).second)
        m_names.push_back(name);
    if (g_stageHook)
        g_stageHook(m_staging.Path(), name);
    return m_staging.Fd();
}

bool VIEW_ProgramOutput::Hold(std::string* reason) {
    std::string why;
    if (m_lock.Held() || m_lock.Take(m_fd, m_folder, &why))
        return true;
    *reason = "cannot hold the output folder " + m_folder + " for this run: " + why;
    return false;
}

bool VIEW_ProgramOutput::Commit(std::string* reason) {
    // From reading the earlier listing to the last move, or another run
    // may remove the plates its own listing names.
    if (!Hold(reason))
        return false;
    // No live run holds them, and none ever will.
    VIEW_ProgramStaging::RemoveAbandoned(m_fd, m_folder);
    const int folder = m_fd, staging = m_staging.Fd();
    // A folder in a file's way would stop the renames half done.
    for (const std::string& name : m_names) {
        struct stat info {};
        if (fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode)) {
            *reason = "cannot write " + m_folder + "/" + name + ": a folder of that name is in the way";
            m_lock.Release();
            return false;
        }
    }
    // Left, they would pass for plates of the new set. Aside, they go with
    // the staging folder: a run killed from here on leaves them to the
    // next run, which removes it.
    std::vector<std::string> aside;
    if (m_staged.count("inks.txt"))
        for (const std::string& name : VIEW_ListedPlateFiles(EarlierListing(folder))) {
            struct stat info {};
            // A folder would keep the staging folder.
            if (m_staged.count(name) || fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 ||
                S_ISDIR(info.st_mode))
                continue;
            BeforeRename(name);
            if (renameat(folder, name.c_str(), staging, name.c_str()) == 0)
                aside.push_back(name);
        }
    // inks.txt before the plates it lists that the earlier one did not.
    std::vector<std::string> order = m_names;
    std::stable_partition(order.begin(), order.end(), [](const std::string& name) { return name == "inks.txt"; });
    for (const std::string& name : order) {
        BeforeRename(name);
        if (renameat(staging, name.c_str(), folder, name.c_str()) != 0) {
            *reason = Because("cannot write " + m_folder + "/" + name);
            // The earlier inks.txt still lists them.
            if (name == "inks.txt")
                for (const std::string& back : aside)
                    renameat(staging, back.c_str(), folder, back.c_str());
            m_lock.Release();
            return false;
        }
    }
    m_names.clear();
    m_staged.clear();
    m_made.clear();
    Abandon();
    return true;
}

void VIEW_ProgramOutput::SetRenameHook(RenameHook hook) { g_renameHook = hook; }

void VIEW_ProgramOutput::SetMakeHook(MakeHook hook) { g_makeHook = hook; }

void VIEW_ProgramOutput::SetStageHook(StageHook hook) { g_stageHook = hook; }

void VIEW_ProgramOutput::Abandon() {
    m_staging.Remove();
    // Its file would keep the folder this run made.
    m_lock.Release();
    if (!m_made.empty())
        rmdir(m_made.c_str());
    m_made.clear();
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
    VIEW_ProgramSignals::Register(2, std::string());
}
