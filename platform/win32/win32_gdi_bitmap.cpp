// GDI bitmap objects: 32-bit DIB sections, memory DCs that hold one bitmap,
// and the stock 1 x 1 bitmap a new DC starts with.
#include "win32/win32.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace {

struct Bitmap {
    LONG width;
    LONG height;  // as created: negative for top-down rows
    WORD bitsPerPixel;
    void* bits;
    int selections;  // DCs holding it
};

struct Dc {
    uintptr_t bitmap;
};

struct Object {
    enum class Kind { Bitmap, Dc } kind;
    Bitmap bitmap;
    Dc dc;
};

std::recursive_mutex g_mutex;
uintptr_t g_nextHandle = 0x30000;
uintptr_t g_stockBitmap = 0;

std::unordered_map<uintptr_t, Object>& Objects() {
    static auto* table = new std::unordered_map<uintptr_t, Object>;  // lives past static destruction
    return *table;
}

uintptr_t Add(const Object& object) {
    g_nextHandle += 4;
    Objects().emplace(g_nextHandle, object);
    return g_nextHandle;
}

Object* Find(const void* handle, Object::Kind kind) {
    const auto it = Objects().find(reinterpret_cast<uintptr_t>(handle));
    return it != Objects().end() && it->second.kind == kind ? &it->second : nullptr;
}

// The monochrome 1 x 1 bitmap of every new memory DC; never deleted.
uintptr_t StockBitmap() {
    if (g_stockBitmap == 0)
        g_stockBitmap = Add({Object::Kind::Bitmap, {1, 1, 1, nullptr, 0}, {}});
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

BITMAP BitmapRecord(const Bitmap& b) {
    BITMAP record{};
    record.bmWidth = b.width;
    record.bmHeight = b.height < 0 ? -b.height : b.height;
    record.bmWidthBytes = b.bitsPerPixel == 32 ? b.width * 4 : 2;  // monochrome rows are WORD-aligned
    record.bmPlanes = 1;
    record.bmBitsPixel = b.bitsPerPixel;
    record.bmBits = b.bits;
    return record;
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
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    const uintptr_t handle =
        Add({Object::Kind::Bitmap, {info->bmiHeader.biWidth, info->bmiHeader.biHeight, 32, memory, 0}, {}});
    if (bits)
        *bits = memory;
    return reinterpret_cast<HBITMAP>(handle);
}

HDC CreateCompatibleDC(HDC) {
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    const uintptr_t stock = StockBitmap();
    Objects().at(stock).bitmap.selections++;
    return reinterpret_cast<HDC>(Add({Object::Kind::Dc, {}, {stock}}));
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    Object* d = Find(dc, Object::Kind::Dc);
    Object* b = Find(object, Object::Kind::Bitmap);
    const uintptr_t handle = reinterpret_cast<uintptr_t>(object);
    if (d == nullptr || b == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    const uintptr_t previous = d->dc.bitmap;
    if (previous == handle)
        return object;
    if (b->bitmap.selections > 0 && handle != g_stockBitmap)
        return nullptr;  // a bitmap lives in one DC at a time
    Objects().at(previous).bitmap.selections--;
    b->bitmap.selections++;
    d->dc.bitmap = handle;
    return reinterpret_cast<HGDIOBJ>(previous);
}

HGDIOBJ GetCurrentObject(HDC dc, UINT type) {
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    const Object* d = Find(dc, Object::Kind::Dc);
    if (d == nullptr || type != OBJ_BITMAP)
        return nullptr;
    return reinterpret_cast<HGDIOBJ>(d->dc.bitmap);
}

int GetObjectA(HGDIOBJ object, int size, LPVOID buffer) {
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    const Object* b = Find(object, Object::Kind::Bitmap);
    if (b == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    const bool dib = b->bitmap.bits != nullptr;
    if (buffer == nullptr)
        return dib ? sizeof(DIBSECTION) : sizeof(BITMAP);
    if (size < static_cast<int>(sizeof(BITMAP)))
        return 0;
    const BITMAP record = BitmapRecord(b->bitmap);
    if (!dib || size < static_cast<int>(sizeof(DIBSECTION))) {
        std::memcpy(buffer, &record, sizeof record);
        return sizeof(BITMAP);
    }
    DIBSECTION section{};
    section.dsBm = record;
    section.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
    section.dsBmih.biWidth = b->bitmap.width;
    section.dsBmih.biHeight = b->bitmap.height;
    section.dsBmih.biPlanes = 1;
    section.dsBmih.biBitCount = 32;
    section.dsBmih.biCompression = BI_RGB;
    section.dsBmih.biSizeImage = static_cast<DWORD>(record.bmWidthBytes) * static_cast<DWORD>(record.bmHeight);
    std::memcpy(buffer, &section, sizeof section);
    return sizeof(DIBSECTION);
}

BOOL DeleteDC(HDC dc) {
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    const Object* d = Find(dc, Object::Kind::Dc);
    if (d == nullptr)
        return FALSE;
    Objects().at(d->dc.bitmap).bitmap.selections--;
    Objects().erase(reinterpret_cast<uintptr_t>(dc));
    return TRUE;
}

BOOL DeleteObject(HGDIOBJ object) {
    std::lock_guard<std::recursive_mutex> lock(g_mutex);
    Object* b = Find(object, Object::Kind::Bitmap);
    if (b == nullptr)
        return FALSE;
    if (reinterpret_cast<uintptr_t>(object) == g_stockBitmap)
        return TRUE;  // stock objects stay
    if (b->bitmap.selections > 0)
        return FALSE;
    std::free(b->bitmap.bits);
    Objects().erase(reinterpret_cast<uintptr_t>(object));
    return TRUE;
}
