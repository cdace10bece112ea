// The framework's strings, in every module that links the framework.
#include "Exchange/XCHG/XCHG_Resources.h"
#include "win32/win32_resources.h"

namespace {

const Win32StringResource g_strings[] = {
    {20010, "The plug-in %s could not save its preferences file."},
    {20011, "The plug-in %s could not save its preference file %s."},
    {20012, "The plug-in %s failed when using the directory %s for its preference file."},
    {20013, "The plug-in %s discovered a corrupt preference file %s."},
    {20014, "%s::%s caught an exception: %s : code %d"},
    {20016, "%s::%s caught a system exception: "},
    {20017, "Out of Memory\n\nTry to increase the amount of memory\ndedicated to this program"},
};

const Win32ResourceTables g_tables = [] {
    Win32ResourceTables tables;
    tables.m_strings = g_strings;
    tables.m_stringCount = sizeof g_strings / sizeof g_strings[0];
    return tables;
}();

const Win32ResourceRegistration g_registration(g_tables);

}  // namespace

const int gXCHG_FrameworkStringsLinked = 1;
