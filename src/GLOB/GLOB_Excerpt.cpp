#include "GLOB/GLOB_Excerpt.h"

#include <ostream>

std::ostream& operator<<(std::ostream& os, const GLOB_Excerpt& excerpt) {
    const bool cut = excerpt.m_length > GLOB_Excerpt::MaxBytes;
    if (excerpt.m_quoted)
        os << '\'';
    os.write(excerpt.m_text, static_cast<std::streamsize>(cut ? GLOB_Excerpt::MaxBytes : excerpt.m_length));
    if (cut)
        os << "...";
    if (excerpt.m_quoted)
        os << '\'';
    if (cut)
        os << " (" << excerpt.m_length << " bytes)";
    return os;
}
