#include "Exchange/ZOVA/ZOVA_Resources.h"

#include "win32/win32_resources.h"

namespace {

// Controls are shown with their dialog; a hidden Stop button takes no click.
constexpr DWORD Shown = WS_VISIBLE;
constexpr DWORD ListStyle = LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOSEL | LBS_NOTIFY | WS_BORDER |
                            WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | Shown;

const Win32DialogItem g_separationsItems[] = {
    {"Static", "Resolution", ZOVA_ItemResolutionLabel, SS_LEFT | Shown, 37, 7, 33, 9},
    {"ComboBox", "", ZOVA_ItemResolution, CBS_DROPDOWNLIST | WS_TABSTOP | Shown, 76, 4, 45, 72},
    {"Static", "Magnification", ZOVA_ItemMagnificationLabel, SS_LEFT | Shown, 30, 21, 43, 9},
    {"ComboBox", "", ZOVA_ItemMagnification, CBS_DROPDOWNLIST | WS_TABSTOP | Shown, 76, 19, 45, 60},
    {"ListBox", "", ZOVA_ItemInkList, ListStyle, 2, 35, 119, 82},
    {"Static", "Status", ZOVA_ItemStatus, SS_LEFT | Shown, 3, 124, 64, 8},
    {"Button", "Cancel", ZOVA_ItemUpdate, BS_PUSHBUTTON | WS_TABSTOP | Shown, 70, 122, 50, 14},
};

const Win32DialogResource g_dialogs[] = {
    {ZOVA_DialogSeparations, "Separations", WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_TOOLWINDOW, 0, 0, 124, 138,
     g_separationsItems, sizeof g_separationsItems / sizeof g_separationsItems[0]},
};

const Win32StringResource g_strings[] = {
    {1102, "Quillark Tintscope Tool"},
    {1103, "  150 dpi"},
    {1104, "  300 dpi"},
    {1105, "  600 dpi"},
    {1106, " 1200 dpi"},
    {1107, " 2400 dpi"},
    {1108, "          1x"},
    {1109, "          2x"},
    {1110, "          4x"},
    {1111, "          8x"},
    {1112, "        16x"},
    {1114, "      Fit"},
    {1400, "Quillark Tintscope..."},
    {1401, "Quillark Tintscope..."},
    {1403, "Separating Page..."},
    {1404, "Rendering..."},
    {1405, "Needs Update"},
    {1406, "Ready"},
    {1407, "Stop"},
    {1408, "Update"},
    {2001, "An error occured reading a disk file. The system disk may be full."},
    {2002, "An error occured trying to separate this page."},
    {2003, "The Tintscope is not able to \nseparate some objects on this page.  \n\nThe page must be run through the "
           "\nQuillark TintAdjuster before it can \nbe viewed with the Tintscope."},
};

constexpr uint32_t White = 0xFFFFFF, Black = 0x000000;

void Fill(uint32_t* pixels, int width, int left, int top, int right, int bottom, uint32_t colour) {
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            pixels[y * width + x] = colour;
}

// Four overlapping plates, cyan, magenta, yellow and black, on white.
void DrawToolButton(uint32_t* pixels, int width, int height) {
    Fill(pixels, width, 0, 0, width, height, White);
    Fill(pixels, width, 1, 1, 9, 9, 0x00FFFF);
    Fill(pixels, width, 7, 1, 15, 9, 0xFF00FF);
    Fill(pixels, width, 1, 7, 9, 15, 0xFFFF00);
    Fill(pixels, width, 7, 7, 15, 15, Black);
}

// A box of 11 x 11 with a one-pixel black edge, centred in the tick
// column's 15 x 20.
void DrawBox(uint32_t* pixels, int width, int height) {
    Fill(pixels, width, 0, 0, width, height, White);
    Fill(pixels, width, 2, 4, 13, 15, Black);
    Fill(pixels, width, 3, 5, 12, 14, White);
}

void DrawTickedBox(uint32_t* pixels, int width, int height) {
    DrawBox(pixels, width, height);
    // A check mark: down from (4, 9) to (6, 11), then up to (10, 7).
    for (int i = 0; i <= 2; ++i)
        Fill(pixels, width, 4 + i, 9 + i, 5 + i, 11 + i, Black);
    for (int i = 1; i <= 4; ++i)
        Fill(pixels, width, 6 + i, 11 - i, 7 + i, 13 - i, Black);
}

const Win32BitmapResource g_bitmaps[] = {
    {ZOVA_BitmapToolButton, 16, 16, DrawToolButton},
    {ZOVA_BitmapTicked, 15, 20, DrawTickedBox},
    {ZOVA_BitmapUnticked, 15, 20, DrawBox},
};

// The frame colour: colour space 1 (RGB) and green.
const int16_t g_frameColor[] = {1, 0, 255, 0, 0};
const Win32CustomResource g_custom[] = {
    {"PDCL", ZOVA_ColorFrame, g_frameColor, sizeof g_frameColor},
};

const Win32ResourceTables g_tables = [] {
    Win32ResourceTables tables;
    tables.m_strings = g_strings;
    tables.m_stringCount = sizeof g_strings / sizeof g_strings[0];
    tables.m_bitmaps = g_bitmaps;
    tables.m_bitmapCount = sizeof g_bitmaps / sizeof g_bitmaps[0];
    tables.m_custom = g_custom;
    tables.m_customCount = sizeof g_custom / sizeof g_custom[0];
    tables.m_dialogs = g_dialogs;
    tables.m_dialogCount = sizeof g_dialogs / sizeof g_dialogs[0];
    return tables;
}();

const Win32ResourceRegistration g_registration(g_tables);

}  // namespace

const int gZOVA_ResourcesLinked = 1;
