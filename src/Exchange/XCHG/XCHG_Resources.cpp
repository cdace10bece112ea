#include "Exchange/XCHG/XCHG_Resources.h"

#include "Exchange/XCHG/XCHG_ModuleInfo.h"

#include <cstdio>
#include <cstring>

namespace {

HMODULE ResourceModule() {
    return XCHG_ModuleInfo::Instance().ResourceModule();
}

HMODULE PluginModule() {
    return XCHG_ModuleInfo::Instance().ModuleInstance();
}

}  // namespace

void XCHG_DeleteObject(HGDIOBJ object) {
    DeleteObject(object);
}

HBITMAP XCHG_LoadBitmap(uint16_t id) {
    HBITMAP bitmap = LoadBitmapA(ResourceModule(), MAKEINTRESOURCEA(id));
    if (bitmap == nullptr)
        bitmap = LoadBitmapA(PluginModule(), MAKEINTRESOURCEA(id));
    return bitmap;
}

char* XCHG_LoadString(uint32_t id, char* buffer, size_t size) {
    if (buffer == nullptr || size == 0)
        return buffer;
    const int room = size > 0x7fffffff ? 0x7fffffff : static_cast<int>(size);
    // Keeps the framework's table in every module that loads strings.
    if (gXCHG_FrameworkStringsLinked &&
        (LoadStringA(ResourceModule(), id, buffer, room) > 0 || LoadStringA(PluginModule(), id, buffer, room) > 0))
        return buffer;
    std::snprintf(buffer, size, "*** Unknown string ID: %d ***", static_cast<int>(id));
    return buffer;
}

void XCHG_LoadColor(uint16_t id, PDFL_PDColorValueRec* color) {
    std::memset(color, 0, sizeof *color);
    HMODULE module = ResourceModule();
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), "PDCL");
    if (resource == nullptr) {
        module = PluginModule();
        resource = FindResourceA(module, MAKEINTRESOURCEA(id), "PDCL");
    }
    if (resource == nullptr)
        return;
    const auto* data = static_cast<const unsigned char*>(LockResource(LoadResource(module, resource)));
    size_t count = SizeofResource(module, resource) / 2;
    if (data == nullptr || count == 0)
        return;
    if (count > 5)
        count = 5;
    auto value = [data](size_t i) {
        return static_cast<int16_t>(static_cast<uint16_t>(data[2 * i] | (data[2 * i + 1] << 8)));
    };
    color->m_space = value(0);
    for (size_t i = 1; i < count; ++i)
        color->m_value[i - 1] = static_cast<PDFL_Fixed>(value(i) / 255.0 * 65536.0 + 0.5);
}

uint32_t XCHG_HitTestRect(int16_t x, int16_t y, const PDFL_AVRect& rect) {
    uint32_t flags = 0;
    bool insideX = false;
    if (x < rect.m_left - 1)
        return 0;
    if (x <= rect.m_left + 1)
        flags |= XCHG_HitLeft;
    else if (x < rect.m_right - 1)
        insideX = true;
    else if (x <= rect.m_right + 1)
        flags |= XCHG_HitRight;
    else
        return 0;

    bool insideY = false;
    if (y < rect.m_top - 1)
        return 0;
    if (y <= rect.m_top + 1)
        flags |= XCHG_HitTop;
    else if (y < rect.m_bottom - 1)
        insideY = true;
    else if (y <= rect.m_bottom + 1)
        flags |= XCHG_HitBottom;
    else
        return 0;
    return insideX && insideY ? XCHG_HitInside : flags;
}
