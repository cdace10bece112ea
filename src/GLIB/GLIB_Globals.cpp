#include "GLIB/GLIB_Globals.h"

#include "GLIB/GLIB_Exception.h"

#include <new>

GLIB_Globals::GLIB_Globals()
    : m_prefix("TEMP"), m_messageFunction(GLIB_DefaultMessageFunction),
      m_outOfMemoryHandler(GLIB_DefaultOutOfMemoryHandler), m_logger(GLIB_DefaultLogger) {}

GLIB_Globals& GLIB_Globals::Instance() {
    // Never destroyed: static objects may still log while the others go.
    alignas(GLIB_Globals) static unsigned char storage[sizeof(GLIB_Globals)];
    static GLIB_Globals* instance = new (storage) GLIB_Globals();
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
