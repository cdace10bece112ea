// The process-wide hooks (logger, out-of-memory handler, localized-message
// function) and the temporary-file prefix. Every change is announced to the
// observers with a GLIB_GlobalsMessage.
#pragma once

#include "GLIB/GLIB_Log.h"
#include "GLIB/GLIB_New.h"
#include "GLIB/GLIB_Observable.h"

#include <cstdint>
#include <string>
#include <vector>

using GLIB_MessageFunction = std::string (*)(uint32_t code, const std::vector<std::string>& params);

// A snapshot of the settings, delivered on every change.
class GLIB_GlobalsMessage : public GLIB_Message {
public:
    GLIB_GlobalsMessage(GLIB_Logger logger, const std::string& prefix,
                        GLIB_MessageFunction messageFunction,
                        GLIB_OutOfMemoryHandler outOfMemoryHandler)
        : m_prefix(prefix), m_messageFunction(messageFunction),
          m_outOfMemoryHandler(outOfMemoryHandler), m_logger(logger) {}

    std::string Description() const override { return "GLIB_GlobalsMessage"; }

    const std::string& TempFilePrefix() const { return m_prefix; }
    GLIB_MessageFunction MessageFunction() const { return m_messageFunction; }
    GLIB_OutOfMemoryHandler OutOfMemoryHandler() const { return m_outOfMemoryHandler; }
    GLIB_Logger Logger() const { return m_logger; }

private:
    std::string m_prefix;
    GLIB_MessageFunction m_messageFunction;
    GLIB_OutOfMemoryHandler m_outOfMemoryHandler;
    GLIB_Logger m_logger;
};

class GLIB_Globals : public GLIB_Observable {
public:
    // The one instance; it outlives every static object that logs.
    static GLIB_Globals& Instance();

    std::string TempFilePrefix() const { return m_prefix; }
    std::string MessageFunction(uint32_t code, const std::vector<std::string>& params) const {
        return m_messageFunction(code, params);
    }
    GLIB_OutOfMemoryHandler OutOfMemoryHandler() const { return m_outOfMemoryHandler; }
    GLIB_Logger Logger() const { return m_logger; }

    // Takes the message function, prefix, logger and out-of-memory handler of
    // the record (null hooks mean the defaults), then announces the change.
    void SetAll(const GLIB_GlobalsMessage& settings);
    void SetLogger(GLIB_Logger logger);

private:
    GLIB_Globals();
    void Announce() const;

    std::string m_prefix;
    GLIB_MessageFunction m_messageFunction;
    GLIB_OutOfMemoryHandler m_outOfMemoryHandler;
    GLIB_Logger m_logger;
};
