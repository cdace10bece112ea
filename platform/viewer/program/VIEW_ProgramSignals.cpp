#include "viewer/program/VIEW_ProgramSignals.h"

#include <climits>
#include <cstdint>
#include <signal.h>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kSlots = 3;

volatile std::sig_atomic_t g_caught = 0;
// Copied in with the signals blocked, so the handler never reads half a path.
char g_folders[kSlots][PATH_MAX] = {};
struct sigaction g_previous[3];

// The layout getdents64 fills.
struct LinuxDirent64 {
    uint64_t d_ino;
    int64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[1];
};

void OnSignal(int signal) {
    if (g_caught == 0) {
        g_caught = signal;
        return;
    }
    VIEW_RemoveFolderNow(g_folders[1]);
    VIEW_RemoveFolderNow(g_folders[0]);
    if (g_folders[2][0])
        rmdir(g_folders[2]);
    _exit(128 + signal);
}

sigset_t Handled() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kSignals)
        sigaddset(&set, signal);
    return set;
}

}  // namespace

bool VIEW_RemoveFolderNow(const char* folder) {
    if (!folder || !folder[0])
        return true;
    const int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
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
    close(fd);
    return rmdir(folder) == 0;
}

VIEW_ProgramSignals::VIEW_ProgramSignals() {
    g_caught = 0;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    action.sa_mask = Handled();
    for (int i = 0; i < 3; ++i)
        sigaction(kSignals[i], &action, &g_previous[i]);
}

VIEW_ProgramSignals::~VIEW_ProgramSignals() {
    for (int i = 0; i < 3; ++i)
        sigaction(kSignals[i], &g_previous[i], nullptr);
    for (int slot = 0; slot < kSlots; ++slot)
        Register(slot, std::string());
}

int VIEW_ProgramSignals::Caught() { return g_caught; }

const volatile std::sig_atomic_t* VIEW_ProgramSignals::Flag() { return &g_caught; }

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
    const sigset_t handled = Handled();
    sigset_t old;
    pthread_sigmask(SIG_BLOCK, &handled, &old);
    std::memcpy(g_folders[slot], folder.c_str(), folder.size() + 1);
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
}
