// SIGINT, SIGTERM and SIGHUP during a run. The first one raises a flag,
// which the stand-in's pump turns into a click on Stop, so the run fails
// and cleans up as any failed run does; it also wakes the stop watcher
// (VIEW_ProgramStopWatch) through a pipe. A second one ends the process at
// once (VIEW_EndRunNow). SIGPIPE is ignored during the run: a closed
// standard error loses the messages, and the run goes on. So is SIGXFSZ:
// a write past the file-size limit fails as a full disk does, and the run
// fails with that reason and cleans up.
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
    // The pipe's reading end: a byte for the first signal (its number), or
    // one that Wake wrote.
    static int WakeFd();
    static void Wake(char byte);
    // "SIGINT", "SIGTERM", "SIGHUP".
    static const char* Name(int signal);
    // What a second signal removes: slot 0 the run's scratch folder, 1 the
    // output's staging folder, 3 the output folder's lock file while the
    // run holds it (all three by RegisterOpen), 2 an output folder the run
    // made (removed only when empty). Empty clears the slot.
    static void Register(int slot, const std::string& folder);
    // Slots 0 and 1: the folder open at fd, named name in the folder open
    // at parent, removed as VIEW_RemoveOpenFolder does; slot 3: the file
    // open at fd, removed as VIEW_RemoveOpenFile does. fd -1 clears the
    // slot. The caller keeps both open until it clears the slot.
    static void RegisterOpen(int slot, int parent, const std::string& name, int fd);
    // The last line of a run ended at once: "tintscope: FILE: stopped by
    // SIGNAL" while the run works, then the run's own last line ("LINE"
    // here, said as "tintscope: LINE") once it has one; empty once the run
    // has said it, or has nothing left to stop.
    static void SayStopped(const std::string& file);
    static void SayLine(const std::string& line);
};

// From a signal handler or any thread: the registered folders removed,
// the registered last line written, and the process ended with 128 + the
// first signal caught (signal when none was), the one that stopped the
// run. Only calls that are safe in a signal handler; a second caller waits
// for the first to end it.
[[noreturn]] void VIEW_EndRunNow(int signal);

// Removes what the folder open at fd holds, each entry unlinked relative
// to it (a link itself, never what it leads to; a folder in it stays, and
// so does it), then the folder from parent as name, only while that name
// still leads to it. Never opens a name, so a name swapped for a link or
// for another folder loses nothing. Only calls that are safe in a signal
// handler. False while the folder still stands at its name.
bool VIEW_RemoveOpenFolder(int parent, const char* name, int fd);

// Removes name from the folder open at parent only while it leads to the
// file open at fd (a name given to another file meanwhile stays); safe in
// a signal handler.
void VIEW_RemoveOpenFile(int parent, const char* name, int fd);

// Whether name in the folder open at parent leads to the file open at fd,
// not through a link; safe in a signal handler.
bool VIEW_StillNamedAt(int parent, const char* name, int fd);
