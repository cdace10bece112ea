// Makes a module's resources current for the length of a call. Windows
// finds resources through the module handle each call names, so entering
// and leaving do nothing here; the scope marks where another platform
// would switch.
#pragma once

#include "win32/win32.h"

class XCHG_ResourceScope {
public:
    explicit XCHG_ResourceScope(HMODULE module) : m_module(module) {}
    XCHG_ResourceScope(const XCHG_ResourceScope&) = delete;
    XCHG_ResourceScope& operator=(const XCHG_ResourceScope&) = delete;
    HMODULE Module() const { return m_module; }

private:
    HMODULE m_module;
};
