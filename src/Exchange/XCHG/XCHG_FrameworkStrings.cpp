// The framework's resources (strings, the About dialog and its picture), in
// every module that links the framework.
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
    {20008, "Quillark Version"},
    {20017, "Out of Memory\n\nTry to increase the amount of memory\ndedicated to this program"},
};

// The About picture: a deep blue field with a lighter band and a frame.
void DrawAboutPicture(uint32_t* pixels, int width, int height) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool frame = x < 2 || y < 2 || x >= width - 2 || y >= height - 2;
            const bool band = y >= height / 3 && y < height / 3 + height / 8;
            pixels[y * width + x] = frame ? 0x00202040u : band ? 0x006080C0u : 0x00203870u;
        }
}

const Win32BitmapResource g_bitmaps[] = {
    {20003, 500, 320, &DrawAboutPicture},
};

// Controls are shown with their dialog.
const Win32DialogItem g_aboutItems[] = {
    {"Static", "", 20003, SS_BITMAP | WS_VISIBLE, 0, 0, 333, 196},
    {"Static", "", 20002, SS_LEFT | WS_VISIBLE, 7, 6, 96, 9},
};

const Win32DialogResource g_dialogs[] = {
    {20000, "", WS_POPUP | WS_VISIBLE, 0, 0, 0, 333, 196, g_aboutItems,
     sizeof g_aboutItems / sizeof g_aboutItems[0]},
};

const Win32ResourceTables g_tables = [] {
    Win32ResourceTables tables;
    tables.m_bitmaps = g_bitmaps;
    tables.m_bitmapCount = sizeof g_bitmaps / sizeof g_bitmaps[0];
    tables.m_dialogs = g_dialogs;
    tables.m_dialogCount = sizeof g_dialogs / sizeof g_dialogs[0];
    tables.m_strings = g_strings;
    tables.m_stringCount = sizeof g_strings / sizeof g_strings[0];
    return tables;
}();

const Win32ResourceRegistration g_registration(g_tables);

}  // namespace

const int gXCHG_FrameworkStringsLinked = 1;
