// The host's menu bar (AcroView 16, 71, 74, 80, 89, 90, 92, 93, 95, 99 to
// 102): the menu "UsingExtensions" and the item "AboutExtensions" with its
// submenu, each removable by a test; items with their procedures, chosen
// by name as a user would. Acquired menus and items are counted until
// released.
#pragma once

#include "viewer/host_api.h"

#include <cstddef>
#include <string>
#include <vector>

class VIEW_Menus {
public:
    static PDFL_AVMenubar Menubar();
    static void RemoveUsingExtensions();
    static void RemoveAboutExtensions();

    static PDFL_AVMenu AcquireMenuByName(PDFL_AVMenubar menubar, const char* name);
    static PDFL_AVMenuItem AcquireItemByName(PDFL_AVMenubar menubar, const char* name);
    static PDFL_AVMenu AcquireSubmenu(PDFL_AVMenuItem item);
    // Releasing what is not acquired is a VIEW_AssertionFailure.
    static void ReleaseMenu(PDFL_AVMenu menu);
    static void ReleaseItem(PDFL_AVMenuItem item);
    // Acquisitions not yet released.
    static size_t Outstanding();

    static PDFL_AVMenuItem NewItem(const char* title, const char* name, PDFL_AVMenu submenu,
                                   uint16_t flags, PDFL_AVIcon icon);
    static void AddItem(PDFL_AVMenu menu, PDFL_AVMenuItem item, int32_t position);
    // Takes the item out of its menu and ends it.
    static void RemoveItem(PDFL_AVMenuItem item);
    // Copies the title, cut to size - 1 bytes and terminated; its length.
    static int32_t Title(PDFL_AVMenuItem item, char* buffer, int32_t size);
    enum Proc { ComputeEnabled, ComputeMarked, Execute };
    static void SetProc(PDFL_AVMenuItem item, Proc which, PDFL_ASCallback proc, void* data);

    // The item names of a menu ("UsingExtensions", or the submenu of
    // "AboutExtensions" as "AboutExtensions"), in order.
    static std::vector<std::string> ItemsOf(const std::string& menu);
    static size_t LiveItemCount();
    // ComputeEnabled (true without one), then Execute; false when disabled.
    static bool Choose(const std::string& name);
    static void Reset();
};
