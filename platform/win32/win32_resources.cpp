// The resource registry and the calls that read it.
#include "win32/win32_resources.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <strings.h>
#include <vector>

namespace {

std::map<HMODULE, std::vector<const Win32ResourceTables*>>& Registry() {
    static auto* registry = new std::map<HMODULE, std::vector<const Win32ResourceTables*>>;
    return *registry;
}

const std::vector<const Win32ResourceTables*>* TablesOf(HMODULE module) {
    const auto it = Registry().find(module ? module : GetModuleHandleA(nullptr));
    return it != Registry().end() ? &it->second : nullptr;
}

template <typename Entry, typename Match>
const Entry* FindEntry(HMODULE module, const Entry* Win32ResourceTables::*table,
                       size_t Win32ResourceTables::*count, Match match) {
    if (const auto* sets = TablesOf(module))
        for (const Win32ResourceTables* tables : *sets)
            for (size_t i = 0; i < tables->*count; ++i)
                if (match((tables->*table)[i]))
                    return &(tables->*table)[i];
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
}

}  // namespace

void Win32RegisterResources(HMODULE module, const Win32ResourceTables* tables) {
    if (module && tables)
        Registry()[module].push_back(tables);
}

void Win32WithdrawResources(HMODULE module, const Win32ResourceTables* tables) {
    const auto it = Registry().find(module);
    if (it == Registry().end())
        return;
    auto& sets = it->second;
    sets.erase(std::remove(sets.begin(), sets.end(), tables), sets.end());
    if (sets.empty())
        Registry().erase(it);
}

int LoadStringA(HINSTANCE module, UINT id, LPSTR buffer, int size) {
    if (buffer == nullptr || size <= 0)
        return 0;
    const Win32StringResource* s = FindEntry(module, &Win32ResourceTables::m_strings, &Win32ResourceTables::m_stringCount,
                                             [&](const Win32StringResource& e) { return e.m_id == id; });
    if (s == nullptr || s->m_text == nullptr) {
        buffer[0] = '\0';
        return 0;
    }
    const size_t n = std::min(std::strlen(s->m_text), static_cast<size_t>(size - 1));
    std::memcpy(buffer, s->m_text, n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

HBITMAP LoadBitmapA(HINSTANCE module, LPCSTR name) {
    if (module == nullptr || !IS_INTRESOURCE(name))  // no system bitmaps, no named bitmaps
        return nullptr;
    const UINT id = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name));
    const Win32BitmapResource* b = FindEntry(module, &Win32ResourceTables::m_bitmaps, &Win32ResourceTables::m_bitmapCount,
                                             [&](const Win32BitmapResource& e) { return e.m_id == id; });
    if (b == nullptr)
        return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = b->m_width;
    info.bmiHeader.biHeight = -b->m_height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && b->m_draw)
        b->m_draw(static_cast<uint32_t*>(bits), b->m_width, b->m_height);
    return bitmap;
}

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
    if (!IS_INTRESOURCE(name) || type == nullptr || IS_INTRESOURCE(type)) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return nullptr;
    }
    const UINT id = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name));
    const Win32CustomResource* r =
        FindEntry(module, &Win32ResourceTables::m_custom, &Win32ResourceTables::m_customCount,
                  [&](const Win32CustomResource& e) { return e.m_id == id && e.m_type && strcasecmp(e.m_type, type) == 0; });
    return reinterpret_cast<HRSRC>(const_cast<Win32CustomResource*>(r));
}

HGLOBAL LoadResource(HMODULE, HRSRC resource) {
    return resource ? const_cast<void*>(reinterpret_cast<const Win32CustomResource*>(resource)->m_data) : nullptr;
}

LPVOID LockResource(HGLOBAL data) { return data; }

DWORD SizeofResource(HMODULE, HRSRC resource) {
    return resource ? reinterpret_cast<const Win32CustomResource*>(resource)->m_size : 0;
}

const Win32DialogResource* Win32FindDialog(HMODULE module, UINT id) {
    return FindEntry(module, &Win32ResourceTables::m_dialogs, &Win32ResourceTables::m_dialogCount,
                     [&](const Win32DialogResource& e) { return e.m_id == id; });
}
