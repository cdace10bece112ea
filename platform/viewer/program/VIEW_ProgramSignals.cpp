#include "viewer/program/VIEW_ProgramSignals.h"

#include "viewer/VIEW_Threads.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <signal.h>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kSlots = 4;

volatile std::sig_atomic_t g_caught = 0;
// Copied in with the signals blocked, so the handler never reads half a path.
char g_folders[kSlots][PATH_MAX] = {};
// Slots 0, 1 and 3, held open: never reached by their names.
constexpr int kOpenSlots = 4;
constexpr int kLockSlot = 3;
struct OpenEntry {
    int m_parent;
    int m_fd;
    char m_name[NAME_MAX + 1];
};
OpenEntry g_open[kOpenSlots] = {{-1, -1, {}}, {-1, -1, {}}, {-1, -1, {}}, {-1, -1, {}}};
// The last line of a run ended at once, or its start "tintscope: FILE:
// stopped by " when g_lastNamesSignal is set; empty once the run has said
// its last line.
// A file name escaped takes up to four bytes a byte.
char g_lastLine[4 * PATH_MAX + 512] = {};
volatile std::sig_atomic_t g_lastNamesSignal = 0;
struct sigaction g_previous[3];
struct sigaction g_previousPipe;
struct sigaction g_previousFileSize;
// The first signal's number goes down it, for the stop watcher.
int g_wake[2] = {-1, -1};
// Set by whoever ends the process first: the handler or the watcher.
std::atomic<int> g_ending{0};

// The layout getdents64 fills.
struct LinuxDirent64 {
    uint64_t d_ino;
    int64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[1];
};

void WriteAll(int fd, const char* text, size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, text, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        text += n;
        size -= static_cast<size_t>(n);
    }
}

// The main thread may still be making files in the folder: again until it
// is gone, after which nothing can be made in it.
void RemoveUntilGone(const OpenEntry& folder) {
    for (int pass = 0; pass < 100 && folder.m_fd >= 0; ++pass)
        if (VIEW_RemoveOpenFolder(folder.m_parent, folder.m_name, folder.m_fd))
            return;
}

void OnSignal(int signal) {
    if (g_caught == 0) {
        g_caught = signal;
        const int saved = errno;
        VIEW_ProgramSignals::Wake(static_cast<char>(signal));
        errno = saved;
        return;
    }
    VIEW_EndRunNow(signal);
}

sigset_t Handled() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kSignals)
        sigaddset(&set, signal);
    return set;
}

}  // namespace

bool VIEW_StillNamedAt(int parent, const char* name, int fd) {
    struct stat held {}, named {};
    return fstat(fd, &held) == 0 && fstatat(parent, name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

void VIEW_RemoveOpenFile(int parent, const char* name, int fd) {
    if (fd >= 0 && VIEW_StillNamedAt(parent, name, fd))
        unlinkat(parent, name, 0);
}

bool VIEW_RemoveOpenFolder(int parent, const char* name, int fd) {
    if (fd < 0)
        return true;
    // From its first entry again: an earlier pass read it to its end.
    if (lseek(fd, 0, SEEK_SET) != 0)
        return false;
    alignas(8) char buffer[4096];
    for (;;) {
        const long n = syscall(SYS_getdents64, fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        for (long at = 0; at < n;) {
            const LinuxDirent64* entry = reinterpret_cast<const LinuxDirent64*>(buffer + at);
            at += entry->d_reclen;
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                unlinkat(fd, entry->d_name, 0);
        }
    }
    // Renamed away, or its name given to something else: nothing more of it
    // can go, and nothing else may.
    if (!VIEW_StillNamedAt(parent, name, fd))
        return true;
    return unlinkat(parent, name, AT_REMOVEDIR) == 0;
}

void VIEW_EndRunNow(int signal) {
    if (g_ending.exchange(1) != 0) {
        // The other one is ending the process already.
        for (;;)
            pause();
    }
    RemoveUntilGone(g_open[1]);
    RemoveUntilGone(g_open[0]);
    // Ending lets the lock go; the file goes first, or the folder stays.
    VIEW_RemoveOpenFile(g_open[kLockSlot].m_parent, g_open[kLockSlot].m_name, g_open[kLockSlot].m_fd);
    if (g_folders[2][0])
        rmdir(g_folders[2]);
    // A second signal only hurries the run the first one stopped.
    const int first = g_caught != 0 ? static_cast<int>(g_caught) : signal;
    if (g_lastLine[0]) {
        WriteAll(STDERR_FILENO, g_lastLine, std::strlen(g_lastLine));
        if (g_lastNamesSignal) {
            const char* name = VIEW_ProgramSignals::Name(first);
            WriteAll(STDERR_FILENO, name, std::strlen(name));
        }
        WriteAll(STDERR_FILENO, "\n", 1);
    }
    _exit(128 + first);
}

VIEW_ProgramSignals::VIEW_ProgramSignals() {
    g_caught = 0;
    g_ending = 0;
    if (pipe2(g_wake, O_CLOEXEC) == 0)
        fcntl(g_wake[1], F_SETFL, O_NONBLOCK);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    action.sa_mask = Handled();
    for (int i = 0; i < 3; ++i)
        sigaction(kSignals[i], &action, &g_previous[i]);
    // A reader of the messages that went away costs the run its messages,
    // not its work.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &g_previousPipe);
    sigaction(SIGXFSZ, &ignore, &g_previousFileSize);
}

VIEW_ProgramSignals::~VIEW_ProgramSignals() {
    sigaction(SIGXFSZ, &g_previousFileSize, nullptr);
    sigaction(SIGPIPE, &g_previousPipe, nullptr);
    for (int i = 0; i < 3; ++i)
        sigaction(kSignals[i], &g_previous[i], nullptr);
    for (int slot = 0; slot < kSlots; ++slot)
        Register(slot, std::string());
    for (int slot = 0; slot < kOpenSlots; ++slot)
        RegisterOpen(slot, -1, std::string(), -1);
    SayStopped(std::string());
    for (int& fd : g_wake) {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
}

int VIEW_ProgramSignals::Caught() { return g_caught; }

const volatile std::sig_atomic_t* VIEW_ProgramSignals::Flag() { return &g_caught; }

int VIEW_ProgramSignals::WakeFd() { return g_wake[0]; }

void VIEW_ProgramSignals::Wake(char byte) {
    if (g_wake[1] >= 0)
        (void)!write(g_wake[1], &byte, 1);
}

const char* VIEW_ProgramSignals::Name(int signal) {
    switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "a signal";
    }
}

void VIEW_ProgramSignals::Register(int slot, const std::string& folder) {
    if (slot < 0 || slot >= kSlots || folder.size() >= PATH_MAX)
        return;
    // The handler reads it: never half written under its feet.
    const VIEW_SignalsBlocked blocked;
    std::memcpy(g_folders[slot], folder.c_str(), folder.size() + 1);
}

void VIEW_ProgramSignals::RegisterOpen(int slot, int parent, const std::string& name, int fd) {
    if (slot < 0 || slot >= kOpenSlots || name.size() >= sizeof g_open[slot].m_name)
        return;
    // The handler reads it: never half written under its feet.
    const VIEW_SignalsBlocked blocked;
    std::memcpy(g_open[slot].m_name, name.c_str(), name.size() + 1);
    g_open[slot].m_parent = parent;
    g_open[slot].m_fd = fd;
}

namespace {

void HoldLastLine(const std::string& line, bool namesSignal) {
    // On a terminal it replaces a progress line left open.
    const std::string start = line.empty() || !isatty(STDERR_FILENO) ? "" : "\r\033[K";
    if (start.size() + line.size() >= sizeof g_lastLine)
        return;
    // The handler reads it: never half written under its feet.
    const VIEW_SignalsBlocked blocked;
    std::memcpy(g_lastLine, start.c_str(), start.size());
    std::memcpy(g_lastLine + start.size(), line.c_str(), line.size() + 1);
    g_lastNamesSignal = namesSignal;
}

}  // namespace

void VIEW_ProgramSignals::SayStopped(const std::string& file) {
    HoldLastLine(file.empty() ? std::string() : "tintscope: " + file + ": stopped by ", !file.empty());
}

void VIEW_ProgramSignals::SayLine(const std::string& line) {
    HoldLastLine(line.empty() ? std::string() : "tintscope: " + line, false);
}
