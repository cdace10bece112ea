#include "separation/CSEP_ProgressMessage.h"

#include "GLIB/GLIB_StringUtil.h"

std::string CSEP_ProgressMessage::Description() const {
    char text[400];
    GLIB_Sprintf(text, sizeof text, "CSEP_ProgressMessage: %f.2%% complete.", m_percentDone);
    return text;
}
