// Points TMPDIR at a fresh scratch folder while it lives, so that the
// temporary files the code under test makes can be seen and counted.
#pragma once

#include "support/TestSupport.h"

#include <cstdlib>
#include <string>

class TmpDirScope {
public:
    TmpDirScope() {
        const char* old = std::getenv("TMPDIR");
        m_had = old != nullptr;
        if (m_had)
            m_old = old;
        setenv("TMPDIR", m_dir.Path().c_str(), 1);
    }
    ~TmpDirScope() {
        if (m_had)
            setenv("TMPDIR", m_old.c_str(), 1);
        else
            unsetenv("TMPDIR");
    }
    TmpDirScope(const TmpDirScope&) = delete;
    TmpDirScope& operator=(const TmpDirScope&) = delete;

    const ScratchDir& Dir() const { return m_dir; }
    const std::string& Path() const { return m_dir.Path(); }

private:
    ScratchDir m_dir;
    bool m_had = false;
    std::string m_old;
};
