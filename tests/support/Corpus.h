// The shared corpus of real-world PDF files, next to the checkout.
#pragma once

#include <string>
#include <sys/stat.h>

#include <gtest/gtest.h>

// The path of a corpus file under TINTSCOPE_CORPUS_DIR.
inline std::string CorpusFile(const std::string& name) { return std::string(TINTSCOPE_CORPUS_DIR) + "/" + name; }

inline bool CorpusPresent() {
    struct stat info {};
    return stat(TINTSCOPE_CORPUS_DIR, &info) == 0 && S_ISDIR(info.st_mode);
}

// Stated first in a test that reads the corpus. A macro, because GTEST_SKIP
// returns only from the function it is written in.
#define TINTSCOPE_SKIP_WITHOUT_CORPUS()                                                      \
    do {                                                                                     \
        if (!CorpusPresent())                                                                \
            GTEST_SKIP() << "the shared corpus is absent: " << TINTSCOPE_CORPUS_DIR;          \
    } while (0)
