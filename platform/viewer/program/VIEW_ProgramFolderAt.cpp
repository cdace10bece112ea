#include "viewer/program/VIEW_ProgramFolderAt.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// As many as mkdtemp tries before it gives up.
constexpr int kTries = 100;

constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

}  // namespace

int VIEW_OpenFolderBase(const std::string& path) { return open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC); }

std::string VIEW_MakeFolderAt(int parent, const std::string& prefix) {
    thread_local std::mt19937_64 engine{std::random_device{}()};
    std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
    for (int tries = 0; tries < kTries; ++tries) {
        std::string name = prefix;
        for (int i = 0; i < 6; ++i)
            name += kLetters[pick(engine)];
        if (mkdirat(parent, name.c_str(), 0700) == 0)
            return name;
        if (errno != EEXIST)
            return std::string();
    }
    return std::string();
}

std::FILE* VIEW_CreateFileAt(int folder, const std::string& name) {
    const int fd = openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    std::FILE* file = fdopen(fd, "wb");
    if (!file) {
        const int error = errno;
        close(fd);
        errno = error;
    }
    return file;
}
