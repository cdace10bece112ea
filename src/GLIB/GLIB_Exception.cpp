#include "GLIB/GLIB_Exception.h"

#include "GLIB/GLIB_Globals.h"

#include <cstdio>
#include <ostream>
#include <sstream>

GLIB_Exception::GLIB_Exception(uint32_t code, const char* message, const char* file, int32_t line)
    : m_code(code), m_message(message ? message : ""), m_file(file), m_line(line) {}

GLIB_Exception::GLIB_Exception(uint32_t code, const std::string& message, const char* file,
                               int32_t line)
    : m_code(code), m_message(message), m_file(file), m_line(line) {}

GLIB_Exception::GLIB_Exception(uint32_t code, const std::vector<std::string>& params,
                               const char* message, const char* file, int32_t line)
    : m_code(code), m_message(message ? message : ""), m_file(file), m_line(line),
      m_params(params) {}

GLIB_Exception::~GLIB_Exception() = default;

const char* GLIB_Exception::What() const { return m_message.c_str(); }

void GLIB_Exception::Describe(std::ostream& os) const {
    os << "code = " << m_code;
    if (!m_message.empty())
        os << "; developer-speak message = '" << m_message << "'";
    if (m_file && *m_file)
        os << "; source file = " << m_file;
    if (m_line > 0)
        os << "; line number = " << m_line;
    const std::string localized = LocalizedMessage();
    if (!localized.empty())
        os << "; localized Message = '" << localized << "'";
}

std::string GLIB_Exception::Description() const {
    std::ostringstream os;
    Describe(os);
    return os.str();
}

void GLIB_Exception::SetParam(size_t i, const std::string& text) {
    if (m_params.size() <= i)
        m_params.resize(i + 1);
    m_params[i] = text;
}

std::string GLIB_Exception::Param(size_t i) const {
    return i < m_params.size() ? m_params[i] : std::string();
}

std::string GLIB_Exception::LocalizedMessage() const {
    return GLIB_Globals::Instance().MessageFunction(m_code, m_params);
}

std::string GLIB_DefaultMessageFunction(uint32_t code, const std::vector<std::string>& params) {
    char number[16];
    std::snprintf(number, sizeof number, "%d", static_cast<int>(code));
    std::string text = "( code = ";
    text += number;
    for (size_t i = 0; i < params.size(); ++i) {
        if (params[i].empty())
            continue;
        text += "; param[" + std::to_string(i) + "] = '" + params[i] + "'";
    }
    text += " )";
    return text;
}
