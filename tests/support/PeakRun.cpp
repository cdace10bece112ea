// peak_run FD PROGRAM [ARGS...]: runs PROGRAM as its only child and writes
// two longs to FD: the wait status and the child's peak resident size in
// KB. A child forked from a large test process counts that process's pages
// in its peak until it execs; forked from this small one, it counts its own.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    const int report = std::atoi(argv[1]);
    long result[2] = {-1, 0};
    const pid_t program = fork();
    if (program == 0) {
        close(report);
        execv(argv[2], argv + 2);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (program > 0 && wait4(program, &status, 0, &usage) == program) {
        result[0] = status;
        result[1] = usage.ru_maxrss;
    }
    return write(report, result, sizeof result) == static_cast<ssize_t>(sizeof result) ? 0 : 1;
}
