// GDI bitmap objects: 32-bit DIB sections, memory DCs that hold one bitmap,
// and the stock 1 x 1 bitmap a new DC starts with.
#include "win32/win32_gdi_table.h"

#include <cstdlib>
#include <cstring>

namespace {

uintptr_t g_stockBitmap = 0;

using Kind = Win32GdiObject::Kind;

// The monochrome 1 x 1 bitmap of every new memory DC; never deleted.
uintptr_t StockBitmap() {
    if (g_stockBitmap == 0) {
        Win32GdiObject o{Kind::Bitmap};
        o.m_bitmap = {1, 1, 1, nullptr, 0};
        o.m_stock = true;
        g_stockBitmap = Win32GdiAdd(o);
    }
    return g_stockBitmap;
}

bool ImageBytes(LONG width, LONG height, size_t* bytes) {
    if (width <= 0 || height == 0 || height == INT32_MIN)
        return false;
    const uint64_t rows = static_cast<uint64_t>(height < 0 ? -static_cast<int64_t>(height) : height);
    // Row bytes are a LONG and the image size a DWORD in the records.
    uint64_t total = 0;
    if (width > INT32_MAX / 4 || __builtin_mul_overflow(static_cast<uint64_t>(width) * 4u, rows, &total) ||
        total > UINT32_MAX)
        return false;
    *bytes = static_cast<size_t>(total);
    return true;
}

BITMAP BitmapRecord(const Win32GdiBitmap& b) {
    BITMAP record{};
    record.bmWidth = b.m_width;
    record.bmHeight = b.m_height < 0 ? -b.m_height : b.m_height;
    record.bmWidthBytes = b.m_bitsPerPixel == 32 ? b.m_width * 4 : 2;  // monochrome rows are WORD-aligned
    record.bmPlanes = 1;
    record.bmBitsPixel = b.m_bitsPerPixel;
    record.bmBits = b.m_bits;
    return record;
}

HGDIOBJ SelectBitmap(Win32GdiObject& d, Win32GdiObject& b, uintptr_t handle) {
    if (!d.m_dc.m_memory)
        return nullptr;  // a window DC draws on its window
    const uintptr_t previous = d.m_dc.m_bitmap;
    if (previous == handle)
        return reinterpret_cast<HGDIOBJ>(handle);
    if (b.m_bitmap.m_selections > 0 && handle != g_stockBitmap)
        return nullptr;  // a bitmap lives in one DC at a time
    Win32GdiFind(reinterpret_cast<void*>(previous), Kind::Bitmap)->m_bitmap.m_selections--;
    b.m_bitmap.m_selections++;
    d.m_dc.m_bitmap = handle;
    return reinterpret_cast<HGDIOBJ>(previous);
}

}  // namespace

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD) {
    if (bits)
        *bits = nullptr;
    size_t bytes = 0;
    if (info == nullptr || usage != DIB_RGB_COLORS || section != nullptr ||
        info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER) || info->bmiHeader.biPlanes != 1 ||
        info->bmiHeader.biBitCount != 32 || info->bmiHeader.biCompression != BI_RGB ||
        !ImageBytes(info->bmiHeader.biWidth, info->bmiHeader.biHeight, &bytes)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    void* memory = std::calloc(bytes, 1);
    if (memory == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::lock_guard<std::recursive_mutex> lock(Win32GdiMutex());
    Win32GdiObject o{Kind::Bitmap};
    o.m_bitmap = {info->bmiHeader.biWidth, info->bmiHeader.biHeight, 32, memory, 0};
    const uintptr_t handle = Win32GdiAdd(o);
    if (bits)
        *bits = memory;
    return reinterpret_cast<HBITMAP>(handle);
}

HDC CreateCompatibleDC(HDC) {
    std::lock_guard<std::recursive_mutex> lock(Win32GdiMutex());
    const uintptr_t stock = StockBitmap();
    Win32GdiFind(reinterpret_cast<void*>(stock), Kind::Bitmap)->m_bitmap.m_selections++;
    Win32GdiDc dc;
    dc.m_bitmap = stock;
    return reinterpret_cast<HDC>(Win32GdiNewDc(dc));
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    std::lock_guard<std::recursive_mutex> lock(Win32GdiMutex());
    Win32GdiObject* d = Win32GdiFind(dc, Kind::Dc);
    const uintptr_t handle = reinterpret_cast<uintptr_t>(object);
    if (d != nullptr) {
        if (Win32GdiObject* b = Win32GdiFind(object, Kind::Bitmap))
            return SelectBitmap(*d, *b, handle);
        for (const auto& [kind, slot] : {std::pair{Kind::Pen, &Win32GdiDc::m_pen}, std::pair{Kind::Brush, &Win32GdiDc::m_brush}})
            if (Win32GdiFind(object, kind)) {
                const uintptr_t previous = d->m_dc.*slot;
                d->m_dc.*slot = handle;
                return reinterpret_cast<HGDIOBJ>(previous);
            }
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

HGDIOBJ GetCurrentObject(HDC dc, UINT type) {
    std::lock_guard<std::recursive_mutex> lock(Win32GdiMutex());
    const Win32GdiObject* d = Win32GdiFind(dc, Kind::Dc);
    if (d == nullptr)
        return nullptr;
    switch (type) {
    case OBJ_BITMAP: return d->m_dc.m_memory ? reinterpret_cast<HGDIOBJ>(d->m_dc.m_bitmap) : nullptr;
    case OBJ_PEN: return reinterpret_cast<HGDIOBJ>(d->m_dc.m_pen);
    case OBJ_BRUSH: return reinterpret_cast<HGDIOBJ>(d->m_dc.m_brush);
    default: return nullptr;
    }
}

int GetObjectA(HGDIOBJ object, int size, LPVOID buffer) {
    std::lock_guard<std::recursive_mutex> lock(Win32GdiMutex());
    const Win32GdiObject* b = Win32GdiFind(object, Kind::Bitmap);
    if (b == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    const bool dib = b->m_bitmap.m_bits != nullptr;
    if (buffer == nullptr)
        return dib ? sizeof(DIBSECTION) : sizeof(BITMAP);
    if (size < static_cast<int>(sizeof(BITMAP)))
        return 0;
    const BITMAP record = BitmapRecord(b->m_bitmap);
    if (!dib || size < static_cast<int>(sizeof(DIBSECTION))) {
        std::memcpy(buffer, &record, sizeof record);
        return sizeof(BITMAP);
    }
    DIBSECTION section{};
    section.dsBm = record;
    section.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
    section.dsBmih.biWidth = b->m_bitmap.m_width;
    section.dsBmih.biHeight = b->m_bitmap.m_height;
    section.dsBmih.biPlanes = 1;
    section.dsBmih.biBitCount = 32;
    section.dsBmih.biCompression = BI_RGB;
    section.dsBmih.biSizeImage = static_cast<DWORD>(record.bmWidthBytes) * static_cast<DWORD>(record.bmHeight);
    std::memcpy(buffer, &section, sizeof section);
    return sizeof(DIBSECTION);
}

BOOL DeleteDC(HDC dc) {
    std::lock_guard<std::recursive_mutex> lock(Win32GdiMutex());
    const Win32GdiObject* d = Win32GdiFind(dc, Kind::Dc);
    if (d == nullptr || !d->m_dc.m_memory)
        return FALSE;
    Win32GdiFind(reinterpret_cast<void*>(d->m_dc.m_bitmap), Kind::Bitmap)->m_bitmap.m_selections--;
    Win32GdiErase(reinterpret_cast<uintptr_t>(dc));
    return TRUE;
}

BOOL DeleteObject(HGDIOBJ object) {
    std::lock_guard<std::recursive_mutex> lock(Win32GdiMutex());
    Win32GdiObject* o = Win32GdiFind(object, Kind::Bitmap);
    if (o == nullptr)
        o = Win32GdiFind(object, Kind::Pen);
    if (o == nullptr)
        o = Win32GdiFind(object, Kind::Brush);
    if (o == nullptr)
        return FALSE;
    if (o->m_stock)
        return TRUE;  // stock objects stay
    if (o->m_kind == Kind::Bitmap) {
        if (o->m_bitmap.m_selections > 0)
            return FALSE;
        std::free(o->m_bitmap.m_bits);
    }
    // A pen or brush still selected into a DC goes; the DC then draws with
    // its default, which is what Windows' DCs show after such a deletion.
    Win32GdiErase(reinterpret_cast<uintptr_t>(object));
    return TRUE;
}
