#include "CPDF/iCPDF_ValidationMessage.h"

#include "GLIB/GLIB_New.h"

iCPDF_ValidationMessage::iCPDF_ValidationMessage(std::string* sink) : m_sink(sink) {}

iCPDF_ValidationMessage::~iCPDF_ValidationMessage() {
    // A destructor cannot pass on an allocation failure; the validator's
    // answer stands without its text.
    try {
        Flush();
    } catch (...) {
    }
}

std::ostream& iCPDF_ValidationMessage::Stream() {
    std::unique_ptr<std::ostringstream> stream(GLIB_NEW std::ostringstream);
    m_streams.push_back(std::move(stream));
    ++m_numBegun;
    return *m_streams.back();
}

void iCPDF_ValidationMessage::Flush() {
    std::string text;
    for (const auto& stream : m_streams) {
        *stream << '\n';
        text += stream->str();
    }
    m_streams.clear();
    if (m_sink) {
        *m_sink = text;
        m_sink = nullptr;
    }
}
