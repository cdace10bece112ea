// The plug-in's Windows resources, looked up in the resource module
// (XCHG_ModuleInfo::ResourceModule: the locale library when one is loaded)
// and then in the plug-in module, and a point tested against a rectangle's
// edges.
#pragma once

#include "viewer/host_api.h"
#include "win32/win32.h"

#include <cstddef>
#include <cstdint>

void XCHG_DeleteObject(HGDIOBJ object);
// Null when neither module has it.
HBITMAP XCHG_LoadBitmap(uint16_t id);
// Fills buffer (size bytes) and returns it; a string in neither module reads
// "*** Unknown string ID: <id> ***", cut to the buffer.
char* XCHG_LoadString(uint32_t id, char* buffer, size_t size);
// Clears the record, then fills it from the "PDCL" resource id: value 0 is
// the colour space code, values 1 to 4 (0..255) become 16.16 components.
// Without the resource the record stays cleared.
void XCHG_LoadColor(uint16_t id, PDFL_PDColorValueRec* color);

// Edge flags of (x, y) against rect with a band of one pixel on each side
// of an edge: 1 top, 2 left, 4 bottom, 8 right (the left and top win where
// bands overlap); 15 strictly inside; 0 outside or on a band whose other
// coordinate is outside.
enum : uint32_t { XCHG_HitTop = 1, XCHG_HitLeft = 2, XCHG_HitBottom = 4, XCHG_HitRight = 8,
                  XCHG_HitInside = 15 };
uint32_t XCHG_HitTestRect(int16_t x, int16_t y, const PDFL_AVRect& rect);

// The framework's own strings (20010 to 20014, 20016, 20017), registered for
// the module that links them; referenced so that every module does.
extern const int gXCHG_FrameworkStringsLinked;
