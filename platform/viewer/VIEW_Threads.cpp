#include "viewer/VIEW_Threads.h"

#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <thread>

int VIEW_Cores() {
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        return std::max(1, CPU_COUNT(&set));
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

VIEW_SignalsBlocked::VIEW_SignalsBlocked() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &set, &m_old);
}

VIEW_SignalsBlocked::~VIEW_SignalsBlocked() { pthread_sigmask(SIG_SETMASK, &m_old, nullptr); }
