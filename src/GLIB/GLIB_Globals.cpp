#include "GLIB/GLIB_Globals.h"

#include "GLIB/GLIB_Exception.h"

#include <new>

GLIB_Globals::GLIB_Globals()
    : m_prefix("TEMP"), m_messageFunction(GLIB_DefaultMessageFunction),
      m_outOfMemoryHandler(GLIB_DefaultOutOfMemoryHandler), m_logger(GLIB_DefaultLogger) {}

namespace {

alignas(GLIB_Globals) unsigned char g_storage[sizeof(GLIB_Globals)];
GLIB_Globals* g_instance = nullptr;

// Built before every other static object of the program or module, so
// ended after all of them: nothing that may log is left when the globals
// go, and a module that is unloaded and loaded again leaves none of their
// memory behind.
struct Reaper {
    ~Reaper() {
        if (g_instance)
            g_instance->~GLIB_Globals();
        g_instance = nullptr;
    }
};
__attribute__((init_priority(101))) Reaper g_reaper;

}  // namespace

GLIB_Globals& GLIB_Globals::Instance() {
    static GLIB_Globals* const instance = g_instance = new (g_storage) GLIB_Globals();
    return *instance;
}

void GLIB_Globals::SetAll(const GLIB_GlobalsMessage& settings) {
    m_messageFunction = settings.MessageFunction() ? settings.MessageFunction()
                                                   : GLIB_DefaultMessageFunction;
    m_prefix = settings.TempFilePrefix();
    m_logger = settings.Logger() ? settings.Logger() : GLIB_DefaultLogger;
    m_outOfMemoryHandler = settings.OutOfMemoryHandler() ? settings.OutOfMemoryHandler()
                                                         : GLIB_DefaultOutOfMemoryHandler;
    Announce();
}

void GLIB_Globals::SetLogger(GLIB_Logger logger) {
    m_logger = logger ? logger : GLIB_DefaultLogger;
    Announce();
}

void GLIB_Globals::Announce() const {
    const GLIB_GlobalsMessage message(m_logger, m_prefix, m_messageFunction, m_outOfMemoryHandler);
    Notify(message);
}
