// The plug-in's own resources, registered for the module that links them:
// the Separations dialog, its strings, the tool button and tick-box
// bitmaps, the alert texts and the frame colour. Referencing
// gZOVA_ResourcesLinked keeps them in every module that uses them.
#pragma once

#include <cstdint>

enum : uint16_t {
    ZOVA_DialogSeparations = 401,

    // Controls of the Separations dialog.
    ZOVA_ItemResolutionLabel = 1001,
    ZOVA_ItemResolution = 1002,
    ZOVA_ItemInkList = 1003,
    ZOVA_ItemMagnificationLabel = 1019,
    ZOVA_ItemMagnification = 1020,
    ZOVA_ItemStatus = 1021,
    ZOVA_ItemUpdate = 1022,

    // Combo texts: resolution index i (1 to 5) is 1102 + i, "Fit" is 1114;
    // magnification index i (0 to 4) is 1108 + i.
    ZOVA_StringFirstDpi = 1103,
    ZOVA_StringFirstMagnification = 1108,
    ZOVA_StringFit = 1114,
    ZOVA_StringToolHelp = 1102,
    ZOVA_StringHelpItem = 1400,
    ZOVA_StringAboutItem = 1401,
    // Status texts 0 to 3 and the button's two labels.
    ZOVA_StringSeparating = 1403,
    ZOVA_StringRendering = 1404,
    ZOVA_StringNeedsUpdate = 1405,
    ZOVA_StringReady = 1406,
    ZOVA_StringStop = 1407,
    ZOVA_StringUpdate = 1408,
    // Alerts.
    ZOVA_StringDiskError = 2001,
    ZOVA_StringSeparateFailed = 2002,
    ZOVA_StringCannotSeparate = 2003,

    ZOVA_BitmapToolButton = 1001,
    ZOVA_BitmapTicked = 1004,
    ZOVA_BitmapUnticked = 1005,

    ZOVA_ColorFrame = 1301,
};

extern const int gZOVA_ResourcesLinked;
