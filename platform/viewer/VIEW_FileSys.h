// The host's default file system (AcroSupport slot 21): a record of 32
// words over POSIX descriptors. Words 1 to 9 open, close, flush, set and get
// the position, set and get the end of file, read and write (the signatures
// of PDFL_FileSysWord); words 11, 12, 22 and 25 to 28, 31 only record their
// call and answer 0; words 23 and 24 take a read request and complete it at
// once through its completion procedure. The other words are null.
//
// The record's procedures are plain C: they never raise and never throw
// for a bad file; a failure is a code (VIEW_FileErrorCode) as their
// signatures allow. A path name not live is a VIEW_AssertionFailure.
//
// Every procedure call is logged (Calls), so tests see the traffic that
// reaches the host's files. Three fault switches stand in for a failing
// disk: the next n opens fail, the next n writes write at most k bytes, and
// the next n writes fail with a given errno. A listener hears every write
// that fails, whose code a layer above may not pass on.
#pragma once

#include "viewer/host_api.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The code of a failed file operation: errno's value in a range of its own.
constexpr PDFL_ErrorCode VIEW_FileErrorBase = 0x00B00000;
constexpr PDFL_ErrorCode VIEW_FileErrorCode(int error) { return VIEW_FileErrorBase + error; }

// One call of a procedure of the default record. Arguments by word: 1 the
// mode and the path's POSIX text; 4 the position; 6 the length; 8 and 9 the
// bytes asked for and the file position before; 11, 12, 27 the further
// words; 23, 24 the request's counts (words 3 and 4); others none.
struct VIEW_FileSysCall {
    int m_word;
    PDFL_ASFile m_file;
    std::vector<uint64_t> m_args;
    std::string m_path;
};

class VIEW_FileSys {
public:
    static PDFL_ASFileSys Default();

    static const std::vector<VIEW_FileSysCall>& Calls();
    static void ClearCalls();
    // Calls of one word only.
    static std::vector<VIEW_FileSysCall> CallsOf(int word);

    // The next count opens fail with VIEW_FileErrorCode(EIO), before any
    // file is touched.
    static void FailOpens(uint32_t count);
    // The next count writes write at most maxBytes bytes each.
    static void LimitWrites(uint32_t count, uint32_t maxBytes);
    // The next count writes fail with VIEW_FileErrorCode(error), writing
    // nothing: a full disk (ENOSPC), a limit on file size (EFBIG).
    static void FailWrites(uint32_t count, int error);
    // Told the errno of each write that fails; null for none.
    static void SetWriteFailedListener(std::function<void(int error)> listener);

    // Files opened through word 1 and not closed.
    static size_t OpenCount();
    // Closes every file, clears the log, the switches and the listener.
    static void Reset();
};
