// The plug-in's string resources as the dialog, the status line, the
// alerts and the menus read them, for the tests that load them from the
// linked resources and from the built module.
#pragma once

#include "win32/win32_resources.h"

struct ZOVA_ExpectedString {
    UINT m_id;
    const char* m_text;
};

inline const ZOVA_ExpectedString kZOVA_ExpectedStrings[] = {
    // Combo texts, leading blanks included so that they line up right.
    {1114, "      Fit"}, {1103, "  150 dpi"}, {1104, "  300 dpi"}, {1105, "  600 dpi"},
    {1106, " 1200 dpi"}, {1107, " 2400 dpi"}, {1108, "          1x"}, {1109, "          2x"},
    {1110, "          4x"}, {1111, "          8x"}, {1112, "        16x"},
    // Status line and button.
    {1403, "Separating Page..."}, {1404, "Rendering..."}, {1405, "Needs Update"}, {1406, "Ready"},
    {1407, "Stop"}, {1408, "Update"},
    // Tool button help and the menu items.
    {1102, "Quillark Tintscope Tool"}, {1400, "Quillark Tintscope..."}, {1401, "Quillark Tintscope..."},
    // Alerts, misspellings kept.
    {2001, "An error occured reading a disk file. The system disk may be full."},
    {2002, "An error occured trying to separate this page."},
    {2003, "The Tintscope is not able to \nseparate some objects on this page.  \n\nThe page must be run "
           "through the \nQuillark TintAdjuster before it can \nbe viewed with the Tintscope."},
};
