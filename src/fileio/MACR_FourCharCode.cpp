#include "fileio/MACR_FourCharCode.h"

MACR_FourCharCode::MACR_FourCharCode(const char* text) {
    int i = 0;
    for (; text && i < 4 && text[i] != '\0'; ++i)
        m_code[i] = text[i];
    for (; i < 4; ++i)
        m_code[i] = ' ';
    m_code[4] = '\0';
}
