// Resource tables of modules: each module (the program, the plug-in, a locale
// library, a test module) registers its own tables for its own handle while
// it loads, and withdraws them when it unloads. Ours, not Win32's; src/ may
// include it. LoadStringA, LoadBitmapA and the custom-resource calls of
// win32.h read them.
#pragma once

#include "win32/win32.h"

#include <cstddef>
#include <cstdint>

struct Win32StringResource {
    UINT m_id;
    const char* m_text;
};

// A bitmap drawn by code into a zeroed 32-bit top-down DIB of its size:
// pixels are width * height words, rows top to bottom, 0x00RRGGBB.
struct Win32BitmapResource {
    UINT m_id;
    int m_width;
    int m_height;
    void (*m_draw)(uint32_t* pixels, int width, int height);
};

// Bytes of a named resource type ("PDCL").
struct Win32CustomResource {
    const char* m_type;
    UINT m_id;
    const void* m_data;
    DWORD m_size;
};

// A control of a dialog template: its class ("Static", "Button",
// "ComboBox", "ListBox"), text, id, style (WS_CHILD is implied) and place
// in dialog units.
struct Win32DialogItem {
    const char* m_class;
    const char* m_text;
    UINT m_id;
    DWORD m_style;
    int m_x;
    int m_y;
    int m_width;
    int m_height;
};

// A dialog template: its client area in dialog units, from the owner's
// client origin, and its controls in creation order.
struct Win32DialogResource {
    UINT m_id;
    const char* m_caption;
    DWORD m_style;
    DWORD m_exStyle;
    int m_x;
    int m_y;
    int m_width;
    int m_height;
    const Win32DialogItem* m_items;
    size_t m_itemCount;
};

struct Win32ResourceTables {
    const Win32StringResource* m_strings = nullptr;
    size_t m_stringCount = 0;
    const Win32BitmapResource* m_bitmaps = nullptr;
    size_t m_bitmapCount = 0;
    const Win32CustomResource* m_custom = nullptr;
    size_t m_customCount = 0;
    const Win32DialogResource* m_dialogs = nullptr;
    size_t m_dialogCount = 0;
};

// The template of a dialog id in the module (null: the program), or null.
const Win32DialogResource* Win32FindDialog(HMODULE module, UINT id);

// The module handle of the loaded object that holds address.
HMODULE Win32ModuleOfAddress(const void* address);

// A module may register several sets; the first that has a resource answers.
// The tables must outlive their registration.
void Win32RegisterResources(HMODULE module, const Win32ResourceTables* tables);
void Win32WithdrawResources(HMODULE module, const Win32ResourceTables* tables);

// A static object of a module: registers the tables for the module it sits
// in when the module loads, withdraws them when it unloads.
class Win32ResourceRegistration {
public:
    explicit Win32ResourceRegistration(const Win32ResourceTables& tables)
        : m_tables(&tables), m_module(Win32ModuleOfAddress(this)) {
        Win32RegisterResources(m_module, m_tables);
    }
    ~Win32ResourceRegistration() { Win32WithdrawResources(m_module, m_tables); }
    Win32ResourceRegistration(const Win32ResourceRegistration&) = delete;
    Win32ResourceRegistration& operator=(const Win32ResourceRegistration&) = delete;

private:
    const Win32ResourceTables* m_tables;
    HMODULE m_module;
};
