// Notices about a document, delivered to the observers of its back-end.
#pragma once

#include "GLIB/GLIB_Message.h"
#include "GLOB/GLOB_Doc.h"
#include "GLOB/GLOB_Object.h"
#include "GLOB/GLOB_Stream.h"

#include <string>

class GLOB_DocMessage : public GLIB_Message {
public:
    explicit GLOB_DocMessage(const GLOB_Doc& doc) : m_doc(doc) {}
    const GLOB_Doc& Doc() const { return m_doc; }

private:
    GLOB_Doc m_doc;
};

// A stream object's data were opened: the object and the very stream that
// the opener receives.
class GLOB_DocStreamDidOpenMessage : public GLOB_DocMessage {
public:
    GLOB_DocStreamDidOpenMessage(const GLOB_Doc& doc, const GLOB_Object& object, const GLOB_Stream& stream)
        : GLOB_DocMessage(doc), m_object(object), m_stream(stream) {}
    std::string Description() const override { return "GLOB_DocStreamDidOpen"; }
    const GLOB_Object& Object() const { return m_object; }
    const GLOB_Stream& Stream() const { return m_stream; }

private:
    GLOB_Object m_object;
    GLOB_Stream m_stream;
};
