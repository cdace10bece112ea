// Points TMPDIR at a fresh scratch folder while it lives, so that the
// temporary files the code under test makes can be seen and counted.
#pragma once

#include "support/TestSupport.h"

#include <cstdlib>
#include <string>

class TmpDirScope {
public:
    TmpDirScope() : m_had(std::getenv("TMPDIR") != nullptr), m_old(m_had ? std::getenv("TMPDIR") : "") {
        setenv("TMPDIR", m_dir.Path().c_str(), 1);
    }
    ~TmpDirScope() { m_had ? setenv("TMPDIR", m_old.c_str(), 1) : unsetenv("TMPDIR"); }
    TmpDirScope(const TmpDirScope&) = delete;
    TmpDirScope& operator=(const TmpDirScope&) = delete;

    const ScratchDir& Dir() const { return m_dir; }
    const std::string& Path() const { return m_dir.Path(); }

private:
    ScratchDir m_dir;
    bool m_had;
    std::string m_old;
};
