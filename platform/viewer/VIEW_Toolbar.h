// The host's toolbar buttons and its main toolbar (AcroView 17, 163, 165,
// 167, 169, 170, 173, 175 to 177 and 214). The main toolbar starts with the
// button "endToolsGroup" and room for more; a test can take the toolbar or
// its room away and press a button by name as a user would.
#pragma once

#include "viewer/host_api.h"

#include <cstddef>
#include <string>
#include <vector>

struct VIEW_ToolButton {
    PDFL_ASAtom m_name = 0;
    PDFL_AVIcon m_icon = nullptr;
    bool m_separator = false;
    PDFL_ASCallback m_computeEnabled = nullptr;
    void* m_computeEnabledData = nullptr;
    PDFL_ASCallback m_computeMarked = nullptr;
    void* m_computeMarkedData = nullptr;
    PDFL_ASCallback m_execute = nullptr;
    void* m_executeData = nullptr;
    bool m_hasHelpText = false;
    std::string m_helpText;
};

class VIEW_Toolbar {
public:
    static PDFL_AVToolBar MainToolBar();   // null once removed
    static void RemoveMainToolBar();
    static void SetRoom(bool room);

    static PDFL_AVToolButton NewButton(PDFL_ASAtom name, PDFL_AVIcon icon, PDFL_Bool separator);
    // An unknown or destroyed button is a VIEW_AssertionFailure.
    static void DestroyButton(PDFL_AVToolButton button);
    static VIEW_ToolButton& Button(PDFL_AVToolButton button);
    static PDFL_AVToolButton ButtonByName(PDFL_AVToolBar toolBar, PDFL_ASAtom name);
    // Placed after other (at the end when other is null, at the front when
    // before is set).
    static void AddButton(PDFL_AVToolBar toolBar, PDFL_AVToolButton button, PDFL_Bool before,
                          PDFL_AVToolButton other);
    static PDFL_Bool IsRoomFor(PDFL_AVToolBar toolBar, uint16_t buttons, uint16_t separators);

    // The names of the main toolbar's buttons, in order.
    static std::vector<std::string> Names();
    static size_t LiveCount();
    // The live button named name, or null.
    static PDFL_AVToolButton Find(const std::string& name);
    // ComputeEnabled (true when it has none), then Execute; false when the
    // button was disabled.
    static bool Press(const std::string& name);
    static bool IsMarked(const std::string& name);
    static void Reset();
};
