// SIGINT, SIGTERM and SIGHUP during a run. The first one only raises a
// flag, which the stand-in's pump turns into a click on Stop, so the run
// fails and cleans up as any failed run does. A second one ends the
// process at once, after removing the folders registered here (their
// files only, then the folders) and a folder the run made.
#pragma once

#include <csignal>
#include <string>

class VIEW_ProgramSignals {
public:
    // Installs the handlers; the destructor puts the previous ones back.
    VIEW_ProgramSignals();
    ~VIEW_ProgramSignals();
    VIEW_ProgramSignals(const VIEW_ProgramSignals&) = delete;
    VIEW_ProgramSignals& operator=(const VIEW_ProgramSignals&) = delete;

    // The first signal caught, 0 when none.
    static int Caught();
    static const volatile std::sig_atomic_t* Flag();
    // "SIGINT", "SIGTERM", "SIGHUP".
    static const char* Name(int signal);
    // The folders a second signal removes: slot 0 the run's scratch
    // folder, 1 the output's staging folder, 2 an output folder the run
    // made (removed only when empty). Empty clears the slot.
    static void Register(int slot, const std::string& folder);
};

// Removes the files of folder, then the folder; only calls that are safe
// in a signal handler. False when something stayed.
bool VIEW_RemoveFolderNow(const char* folder);
