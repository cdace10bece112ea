// A locale library for the module tests: its own strings, registered for its
// own handle while it is loaded.
#include "win32/win32_resources.h"

namespace {

const Win32StringResource g_strings[] = {
    {20010, "Locale: the plug-in %s could not save its preferences file."},
    {7, "only here"},
};

const Win32ResourceTables g_tables = [] {
    Win32ResourceTables t;
    t.m_strings = g_strings;
    t.m_stringCount = sizeof g_strings / sizeof g_strings[0];
    return t;
}();

const Win32ResourceRegistration g_registration(g_tables);

}  // namespace
